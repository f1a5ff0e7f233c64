#include "widgets/interactable_text_timed.hpp"

void InteractableTextTimed::render()
{
    interactable_text_timed_render(this);
}

void interactable_text_timed_init(InteractableTextTimed* widget, int x, int y, int w, int h,
                                  const Color* foreground, const Color* background, InteractableCallback callback,
                                  const char* text, TTF_Font* font, std::uint8_t active, double duration)
{
    interactable_text_init(widget, x, y, w, h, foreground, background, callback, text, font);
    widget->start_time = static_cast<double>(SDL_GetTicks());
    widget->active = active;
    widget->duration = duration;
}

std::unique_ptr<InteractableTextTimed> interactable_text_timed_create(int x, int y, int w, int h,
                                                                      const Color* foreground,
                                                                      const Color* background,
                                                                      InteractableCallback callback, const char* text,
                                                                      TTF_Font* font, std::uint8_t active,
                                                                      double duration)
{
    auto widget = interactable_allocate<InteractableTextTimed>("Malloc for interactable (text timed) failed\n");
    interactable_text_timed_init(widget.get(), x, y, w, h, foreground, background, callback, text, font, active,
                                 duration);
    return widget;
}

void interactable_text_timed_render(InteractableTextTimed* widget)
{
    if (widget->active) {
        const double now = static_cast<double>(SDL_GetTicks());
        if (now > widget->start_time + widget->duration)
            interactable_deactivate(widget);
    }
    interactable_text_render(widget);
}

void interactable_text_timed_restart(InteractableTextTimed* widget)
{
    widget->start_time = static_cast<double>(SDL_GetTicks());
    interactable_activate(widget);
}

void interactable_text_timed_free(std::unique_ptr<InteractableTextTimed> widget)
{
    widget.reset();
}
