// The tracing widget: the tracing sheet (picture/tracing_picture) drawn in
// the square view area. A press on a plot asks for the sample of the
// selected exercise drawn nearest to the pointer (the callback reads
// `seek_sample`).
//
// Costs. The sheet is drawn in software once per sheet, when a new one is
// set, and kept; moving the current-sample marks draws the kept sheet's
// pixels again with only the marks over them, so playback never draws the
// paths again.
#pragma once

#include <SDL_ttf.h>

#include <cstdint>
#include <memory>

#include "picture/tracing_picture.hpp"
#include "widgets/interactable.hpp"

struct InteractableTracing : Interactable {
    TracingSheet sheet;                   // built for w x h page units from (x, y)
    const EmgReport* report = nullptr;    // what the sheet shows; not owned
    std::uint8_t sheet_drawn = 0;         // 1 when `drawn` holds the sheet without its marks
    std::uint8_t texture_valid = 0;       // 1 when the texture shows the sheet and its marks
    SurfacePtr drawn;                     // the sheet without the marks
    TTF_Font* font = nullptr;             // every text of the sheet; not owned
    std::int32_t seek_sample = -1;        // the sample the last press asked for

    void react(const SDL_Event* event) override;  // interactable_tracing_react
    void render() override;                       // interactable_tracing_render
};

// `font` draws every text of the sheet.
std::unique_ptr<InteractableTracing> interactable_tracing_create(int x, int y, int w, int h,
                                                                 InteractableCallback callback, TTF_Font* font);
// Shows another sheet (built for the widget's size from `report`, which must
// outlive it); it is drawn at the next render.
void interactable_tracing_set_sheet(InteractableTracing* tracing, TracingSheet sheet, const EmgReport* report);
// Moves the current-sample marks to `sample` of the sheet's exercise.
void interactable_tracing_set_sample(InteractableTracing* tracing, std::int32_t sample);
// A new place and size (the sheet must then be built again for the size).
void interactable_tracing_place(InteractableTracing* tracing, int x, int y, int w, int h);
void interactable_tracing_react(InteractableTracing* tracing, const SDL_Event* event);
void interactable_tracing_render(InteractableTracing* tracing);
