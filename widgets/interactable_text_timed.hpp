// The timed text: a label that hides itself a given time after it was
// started or restarted (the "Screenshot taken!" notice).
#pragma once

#include "widgets/interactable_text.hpp"

struct InteractableTextTimed : InteractableText {
    double start_time = 0.0;  // SDL_GetTicks() at creation or at the last restart, ms
    double duration = 0.0;    // ms the widget stays visible after start_time

    void render() override;  // interactable_text_timed_render
};

void interactable_text_timed_init(InteractableTextTimed* widget, int x, int y, int w, int h,
                                  const Color* foreground, const Color* background, InteractableCallback callback,
                                  const char* text, TTF_Font* font, std::uint8_t active, double duration);
std::unique_ptr<InteractableTextTimed> interactable_text_timed_create(int x, int y, int w, int h,
                                                                      const Color* foreground,
                                                                      const Color* background,
                                                                      InteractableCallback callback, const char* text,
                                                                      TTF_Font* font, std::uint8_t active,
                                                                      double duration);
// Hides the widget once its time has run out, then renders as a label.
void interactable_text_timed_render(InteractableTextTimed* widget);
// Shows the widget again for its duration from now.
void interactable_text_timed_restart(InteractableTextTimed* widget);
void interactable_text_timed_free(std::unique_ptr<InteractableTextTimed> widget);
