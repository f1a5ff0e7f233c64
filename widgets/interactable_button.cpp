#include "widgets/interactable_button.hpp"

void InteractableButton::react(const SDL_Event* event)
{
    interactable_button_react(this, event);
}

void InteractableButton::render()
{
    interactable_text_render_outline(this);
}

void interactable_button_init(InteractableButton* button, int x, int y, int w, int h, const Color* foreground,
                              const Color* background, const Color* foreground_pressed,
                              const Color* background_pressed, InteractableCallback callback, const char* text,
                              TTF_Font* font)
{
    interactable_text_init(button, x, y, w, h, foreground, background, callback, text, font);
    button->pressed = 0;
    sdl_help_color_copy(&button->foreground_released, foreground);
    sdl_help_color_copy(&button->background_released, background);
    // Without a pressed pair the button shows its own colours swapped.
    sdl_help_color_copy(&button->foreground_pressed, foreground_pressed != nullptr ? foreground_pressed : background);
    sdl_help_color_copy(&button->background_pressed, background_pressed != nullptr ? background_pressed : foreground);
}

std::unique_ptr<InteractableButton> interactable_button_create(int x, int y, int w, int h, const Color* foreground,
                                                               const Color* background,
                                                               const Color* foreground_pressed,
                                                               const Color* background_pressed,
                                                               InteractableCallback callback, const char* text,
                                                               TTF_Font* font)
{
    auto button = interactable_allocate<InteractableButton>("Malloc for interactable (button) failed\n");
    interactable_button_init(button.get(), x, y, w, h, foreground, background, foreground_pressed,
                             background_pressed, callback, text, font);
    return button;
}

// Released --press inside--> pressed (callback now) --release anywhere--> released.
// The callback belongs to the press: leaving the button before the release
// does not take it back, and the release never calls it.
void interactable_button_react(InteractableButton* button, const SDL_Event* event)
{
    // Input
    const InteractablePointer pointer = interactable_pointer(button, event);
    if (pointer == InteractablePointer::press) {
        // State change
        button->pressed = 1;
        button->texture_valid = 0;
        button->foreground = button->foreground_pressed;
        button->background = button->background_pressed;
        // Callback
        if (button->callback != nullptr)
            button->callback(button);
    } else if (pointer == InteractablePointer::release) {
        // State change; no callback
        button->pressed = 0;
        button->texture_valid = 0;
        button->foreground = button->foreground_released;
        button->background = button->background_released;
    }
}

void interactable_button_free(std::unique_ptr<InteractableButton> button)
{
    button.reset();
}
