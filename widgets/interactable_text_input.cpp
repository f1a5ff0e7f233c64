#include "widgets/interactable_text_input.hpp"

#include <cstdio>

#include "base/utf8.hpp"

void InteractableTextInput::react(const SDL_Event* event)
{
    interactable_text_input_react(this, event);
}

void InteractableTextInput::render()
{
    interactable_text_input_render(this);
}

void interactable_text_input_init(InteractableTextInput* input, int x, int y, int w, int h,
                                  const Color* foreground, const Color* background, InteractableCallback callback,
                                  const char* text, TTF_Font* font)
{
    interactable_text_init(input, x, y, w, h, foreground, background, callback, text, font);
    input->editing = 0;
    input->saved_text.reset();
}

std::unique_ptr<InteractableTextInput> interactable_text_input_create(int x, int y, int w, int h,
                                                                      const Color* foreground,
                                                                      const Color* background,
                                                                      InteractableCallback callback, const char* text,
                                                                      TTF_Font* font)
{
    auto input = interactable_allocate<InteractableTextInput>("Malloc for interactable (text input) failed\n");
    interactable_text_input_init(input.get(), x, y, w, h, foreground, background, callback, text, font);
    return input;
}

namespace {

// While editing, `text_size` is the byte length of the text (no terminator).
void store_edit_length(InteractableTextInput* input)
{
    input->text_size = static_cast<std::int32_t>(input->text.size());
}

void begin_editing(InteractableTextInput* input)
{
    input->saved_text = std::move(input->text);
    input->text.clear();
    store_edit_length(input);
    input->texture_valid = 0;
    sdl_help_color_switch(&input->foreground, &input->background);
    input->editing = 1;
    SDL_StartTextInput();
}

void confirm_editing(InteractableTextInput* input)
{
    sdl_help_color_switch(&input->foreground, &input->background);
    input->texture_valid = 0;
    input->editing = 0;
    input->saved_text.reset();
    SDL_StopTextInput();
    // The typed text stays; the callback reads it from the field.
    if (input->callback != nullptr)
        input->callback(input);
}

void cancel_editing(InteractableTextInput* input)
{
    input->texture_valid = 0;
    input->text = input->saved_text.value_or(std::string());
    input->saved_text.reset();
    sdl_help_color_switch(&input->foreground, &input->background);
    input->editing = 0;
    SDL_StopTextInput();
}

// Removes the last character of a UTF-8 text: the last whole character, or
// the last byte when the text does not end in one.
void remove_last_character(std::string& text)
{
    text.resize(utf8_last_character_start(text));
}

bool ctrl_held()
{
    return (SDL_GetModState() & KMOD_CTRL) != 0;
}

void copy_to_clipboard(const InteractableTextInput* input)
{
    if (SDL_SetClipboardText(input->text.c_str()) != 0)
        std::printf("Copying into Clipboard failed: %s\n", SDL_GetError());
}

void paste_from_clipboard(InteractableTextInput* input)
{
    const SdlMemoryPtr clipboard(SDL_GetClipboardText());
    if (clipboard == nullptr) {
        std::printf("Pasting from Clipboard failed: %s\n", SDL_GetError());
        return;
    }
    // Text that is not UTF-8 is not taken: the field holds characters only.
    if (!utf8_valid(clipboard.get()))
        return;
    interactable_text_set_text_formatted(input, "%s%s", input->text.c_str(), clipboard.get());
    store_edit_length(input);
}

void handle_key(InteractableTextInput* input, SDL_Keycode key)
{
    switch (key) {
    case SDLK_BACKSPACE:
        if (input->text.empty())
            return;
        remove_last_character(input->text);
        store_edit_length(input);
        input->texture_valid = 0;
        return;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        confirm_editing(input);
        return;
    case SDLK_ESCAPE:
        cancel_editing(input);
        return;
    case SDLK_c:
        if (ctrl_held())
            copy_to_clipboard(input);
        return;
    case SDLK_v:
        if (ctrl_held())
            paste_from_clipboard(input);
        return;
    default:
        return;
    }
}

}  // namespace

// Two states:
//
//   idle    --press inside the active field-------------------> editing
//             (old text saved, text emptied, colours swapped, platform
//              text input started)
//   editing --Enter / keypad Enter----------------------------> idle, confirm:
//             typed text kept, callback called
//   editing --Escape, a press inside or outside the field,
//             any event while the field is inactive-----------> idle, cancel:
//             saved text back, no callback
//   editing --set_text_formatted_and_deactivate---------------> idle, new text,
//             no callback
//
// While editing, typed text, Backspace, Ctrl+C and Ctrl+V act wherever the
// pointer is. A press inside an editing field cancels: it never starts a new
// edit in the same event.
void interactable_text_input_react(InteractableTextInput* input, const SDL_Event* event)
{
    // An inactive field only ends an edit in progress (its page was switched
    // away during the edit); it takes no input.
    if (!input->active) {
        if (input->editing)
            cancel_editing(input);
        return;
    }

    switch (event->type) {
    case SDL_TEXTINPUT:
        if (!input->editing || !utf8_valid(event->text.text))
            return;
        interactable_text_set_text_formatted(input, "%s%s", input->text.c_str(), event->text.text);
        store_edit_length(input);
        return;
    case SDL_MOUSEBUTTONDOWN: {
        const bool inside = interactable_contains(input, event->button.x, event->button.y);
        if (input->editing)
            cancel_editing(input);
        else if (inside)
            begin_editing(input);
        return;
    }
    case SDL_KEYDOWN:
        if (input->editing)
            handle_key(input, event->key.keysym.sym);
        return;
    default:
        return;
    }
}

void interactable_text_input_render(InteractableTextInput* input)
{
    if (!input->active || input->texture_valid)
        return;
    // The font is shared by every widget: underline only for this rebuild.
    if (input->font != nullptr)
        TTF_SetFontStyle(input->font, TTF_STYLE_UNDERLINE);
    interactable_text_render(input);
    if (input->font != nullptr)
        TTF_SetFontStyle(input->font, TTF_STYLE_NORMAL);
}

void interactable_text_input_set_text_formatted_and_deactivate(InteractableTextInput* input, const char* format, ...)
{
    input->texture_valid = 0;
    if (input->editing) {
        sdl_help_color_switch(&input->foreground, &input->background);
        input->editing = 0;
        SDL_StopTextInput();
    }
    input->saved_text.reset();
    // The text is formatted before the old one is released, so it may be
    // one of the arguments.
    va_list arguments;
    va_start(arguments, format);
    interactable_text_set_text_formatted_va(input, format, arguments);
    va_end(arguments);
}

void interactable_text_input_free(std::unique_ptr<InteractableTextInput> input)
{
    input.reset();
}
