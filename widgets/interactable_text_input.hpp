// The text input: a one-line entry field, an underlined label that the user
// clicks to type a new value. Editing starts from an empty text in inverse
// colours, takes typed UTF-8 text, Backspace, copy (Ctrl+C) and paste
// (Ctrl+V), and ends by confirming with Enter (the callback runs) or by
// cancelling (Escape, a click anywhere, the field becoming inactive), which
// brings the previous text back.
#pragma once

#include <optional>
#include <string>

#include "widgets/interactable_text.hpp"

struct InteractableTextInput : InteractableText {
    std::optional<std::string> saved_text;  // the text when editing began; empty when not editing
    std::uint8_t editing = 0;

    void react(const SDL_Event* event) override;  // interactable_text_input_react
    void render() override;                       // interactable_text_input_render (underlined)
};

void interactable_text_input_init(InteractableTextInput* input, int x, int y, int w, int h,
                                  const Color* foreground, const Color* background, InteractableCallback callback,
                                  const char* text, TTF_Font* font);
std::unique_ptr<InteractableTextInput> interactable_text_input_create(int x, int y, int w, int h,
                                                                      const Color* foreground,
                                                                      const Color* background,
                                                                      InteractableCallback callback, const char* text,
                                                                      TTF_Font* font);
// Ends any edit without calling the callback and sets the text.
void interactable_text_input_set_text_formatted_and_deactivate(InteractableTextInput* input, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
void interactable_text_input_react(InteractableTextInput* input, const SDL_Event* event);
void interactable_text_input_render(InteractableTextInput* input);
void interactable_text_input_free(std::unique_ptr<InteractableTextInput> input);
