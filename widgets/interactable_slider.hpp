// The slider: a label with a horizontal track and a square knob along its
// bottom edge; its value is the knob's position from 0 to 1. The knob can be
// dragged, and a click on the track beside it moves it one step of 0.1
// towards the click.
#pragma once

#include "widgets/interactable_text.hpp"

struct InteractableSlider : InteractableText {
    double position = 0.0;           // 0 (left end) to 1 (right end)
    std::int32_t track_length = 0;   // pixels
    std::uint8_t dragging = 0;       // 1 while the knob follows the pointer

    void react(const SDL_Event* event) override;  // interactable_slider_react
    void render() override;                       // interactable_slider_render
};

void interactable_slider_init(InteractableSlider* slider, int x, int y, int w, int h, const Color* foreground,
                              const Color* background, InteractableCallback callback, const char* text,
                              TTF_Font* font, double position, std::uint32_t track_length);
std::unique_ptr<InteractableSlider> interactable_slider_create(int x, int y, int w, int h, const Color* foreground,
                                                               const Color* background, InteractableCallback callback,
                                                               const char* text, TTF_Font* font, double position,
                                                               std::uint32_t track_length);
// Stores the position unchanged (no clamping, no callback).
void interactable_slider_set_position(InteractableSlider* slider, double position);
void interactable_slider_react(InteractableSlider* slider, const SDL_Event* event);
void interactable_slider_render(InteractableSlider* slider);
void interactable_slider_free(std::unique_ptr<InteractableSlider> slider);
