// The button: a framed label that is pressed while a mouse button is held on
// it and calls its callback at the moment of the press. It shows its state by
// swapping to a second pair of colours.
#pragma once

#include "widgets/interactable_text.hpp"

struct InteractableButton : InteractableText {
    std::uint8_t pressed = 0;  // button: a mouse button is held on it; toggle: it is on
    Color foreground_released{};
    Color background_released{};
    Color foreground_pressed{};
    Color background_pressed{};

    void react(const SDL_Event* event) override;  // interactable_button_react
    void render() override;                       // interactable_text_render_outline
};

// Null pressed colours become the released background and foreground: a
// button without pressed colours shows inverse colours while pressed.
void interactable_button_init(InteractableButton* button, int x, int y, int w, int h, const Color* foreground,
                              const Color* background, const Color* foreground_pressed,
                              const Color* background_pressed, InteractableCallback callback, const char* text,
                              TTF_Font* font);
std::unique_ptr<InteractableButton> interactable_button_create(int x, int y, int w, int h, const Color* foreground,
                                                               const Color* background,
                                                               const Color* foreground_pressed,
                                                               const Color* background_pressed,
                                                               InteractableCallback callback, const char* text,
                                                               TTF_Font* font);
void interactable_button_react(InteractableButton* button, const SDL_Event* event);
void interactable_button_free(std::unique_ptr<InteractableButton> button);
