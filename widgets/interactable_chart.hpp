// The chart widget: the picture of a time chart (report/emg_chart) with a
// vertical cursor at the current sample. A press on a plot, and the drag
// that follows, ask for the sample under the pointer (the callback reads
// `seek_sample`); hovering shows the time and the values under the pointer
// in the plots' text lines, in place of their legends. The mouse wheel over
// a plot zooms the time axis about the pointer, a drag with the right
// button pans it, a double click shows the whole exercise again: each asks
// for another range of samples (`view_callback` reads `view`), which the
// application shows by setting a chart built for it.
//
// Costs. The picture is drawn in software once per chart, when a new one is
// set, and kept as the texture; the chart holds no more than its pixel
// columns, so the picture of an hour-long exercise costs what a short one
// costs. A pass that only moves the cursor draws the texture and one line
// per plot. The text lines under the pointer are small textures of their
// own, drawn again only when the pointer moves to another column.
#pragma once

#include <SDL_ttf.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "report/emg_chart.hpp"
#include "widgets/interactable.hpp"

struct InteractableChart : Interactable {
    EmgChart chart;                    // what the picture shows, chart.width x chart.height from (x, y)
    TTF_Font* font = nullptr;          // not owned
    std::uint8_t texture_valid = 0;    // 1 when the texture shows `chart`
    double cursor_sample = -1.0;       // the sample the cursor marks; none below 0
    std::uint8_t seeking = 0;          // 1 from a press on a plot until any release
    std::uint8_t panning = 0;          // 1 from a right press on a plot until any release
    int pan_x = 0;                     // where the pan started, window x
    ChartTimeScale pan_start;          // the samples shown when it started
    EmgChartRange view;                // the range the last zoom, pan or double click asked for
    InteractableCallback view_callback = nullptr;
    std::int64_t seek_sample = -1;     // the sample the last press or drag asked for
    std::int32_t hover_column = -1;    // the plot column under the pointer, -1 for none
    std::int32_t readout_column = -2;  // the column the text lines below were drawn for
    std::vector<GlTexture> readouts;   // per plot: its text line with the values under the pointer

    void react(const SDL_Event* event) override;       // interactable_chart_react
    void blit(int window_width, int window_height) override;  // interactable_chart_blit
    void render() override;                            // interactable_chart_render
};

// `foreground` draws the frames, labels and cursor, `background` fills the
// picture. Starts with the chart of no report.
void interactable_chart_init(InteractableChart* chart, int x, int y, int w, int h, const Color* foreground,
                             const Color* background, InteractableCallback callback, TTF_Font* font);
std::unique_ptr<InteractableChart> interactable_chart_create(int x, int y, int w, int h, const Color* foreground,
                                                             const Color* background, InteractableCallback callback,
                                                             TTF_Font* font);
// Shows another chart (built for the widget's size); its picture is drawn
// at the next render.
void interactable_chart_set_chart(InteractableChart* chart, EmgChart model);
// Moves the cursor (fractional samples are shown at their whole sample);
// nothing is drawn again but the cursor line.
void interactable_chart_set_cursor(InteractableChart* chart, double sample);
// The range a wheel step over window column `window_x` asks for: `steps`
// notches away from the user (positive) zoom in, towards (negative) out.
EmgChartRange interactable_chart_zoom_at(const InteractableChart* chart, int window_x, int steps);
// The plot column under window column `window_x`, or -1 beside the plots.
std::int32_t interactable_chart_column_at(const InteractableChart* chart, int window_x);
void interactable_chart_react(InteractableChart* chart, const SDL_Event* event);
void interactable_chart_render(InteractableChart* chart);
void interactable_chart_blit(InteractableChart* chart, int window_width, int window_height);
void interactable_chart_free(std::unique_ptr<InteractableChart> chart);
