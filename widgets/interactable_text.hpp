// The text widget: a label, one line of UTF-8 text in the foreground colour
// on a rectangle of the background colour, in the application's one font.
// It is also the base of every other text-bearing kind (button, toggle, text
// input, slider). The picture is rebuilt only after the text or the colours
// changed (`texture_valid` 0), so a static panel costs one textured quad per
// widget and frame.
#pragma once

#include <SDL_ttf.h>

#include <cstdarg>
#include <cstdint>
#include <memory>
#include <string>

#include "widgets/interactable.hpp"

struct InteractableText : Interactable {
    std::uint8_t texture_valid = 0;  // 1 when the texture shows the current text and colours
    TTF_Font* font = nullptr;        // not owned: the program opens one font for all widgets
    std::string text;                // the text shown, UTF-8
    std::int32_t text_size = 0;      // strlen(text) + 1 (while a text input is edited: its byte length)
    std::uint8_t wrap = 0;           // 1: the text breaks into lines at the widget's width, between words

    void render() override;  // interactable_text_render
};

void interactable_text_init(InteractableText* widget, int x, int y, int w, int h, const Color* foreground,
                            const Color* background, InteractableCallback callback, const char* text,
                            TTF_Font* font);
std::unique_ptr<InteractableText> interactable_text_create(int x, int y, int w, int h, const Color* foreground,
                                                           const Color* background, InteractableCallback callback,
                                                           const char* text, TTF_Font* font);

void interactable_text_set_text(InteractableText* widget, const char* text);
// The formatting is complete before the old text is released, so the
// widget's own text may be one of the arguments.
void interactable_text_set_text_formatted(InteractableText* widget, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
void interactable_text_set_text_formatted_va(InteractableText* widget, const char* format, va_list arguments)
    __attribute__((format(printf, 2, 0)));

// The widget's picture: its rectangle in the background colour with the text
// drawn from (3, 0), cut at the edges.
SurfacePtr interactable_text_draw_text(InteractableText* widget);
// The lines a wrapping widget's text takes at its width (1 without a font
// or text, or when the widget does not wrap).
int interactable_text_wrapped_lines(const InteractableText* widget);
// Rebuilds the texture when the widget is active and its picture is stale.
void interactable_text_render(InteractableText* widget);
// The same picture with a one-pixel frame in the foreground colour (buttons
// and toggles).
void interactable_text_render_outline(InteractableText* widget);
void interactable_text_free(std::unique_ptr<InteractableText> widget);

// Formats like vsnprintf into a new string.
std::string string_format_va(const char* format, va_list arguments) __attribute__((format(printf, 1, 0)));
std::string string_format(const char* format, ...) __attribute__((format(printf, 1, 2)));
