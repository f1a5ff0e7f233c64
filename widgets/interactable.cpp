#include "widgets/interactable.hpp"

void Interactable::react(const SDL_Event* event)
{
    interactable_react(this, event);
}

void Interactable::blit(int window_width, int window_height)
{
    interactable_blit(this, window_width, window_height);
}

void Interactable::render()
{
    interactable_render(this);
}

void interactable_init(Interactable* widget, int x, int y, int w, int h, const Color* foreground,
                       const Color* background, InteractableCallback callback)
{
    widget->x = x;
    widget->y = y;
    widget->w = w;
    widget->h = h;
    widget->active = 1;
    widget->texture.reset(create_GL_texture(w, h));
    sdl_help_color_copy(&widget->foreground, foreground);
    sdl_help_color_copy(&widget->background, background);
    widget->callback = callback;
}

std::unique_ptr<Interactable> interactable_create(int x, int y, int w, int h, const Color* foreground,
                                                  const Color* background, InteractableCallback callback)
{
    auto widget = interactable_allocate<Interactable>("Malloc for interactable (base) failed\n");
    interactable_init(widget.get(), x, y, w, h, foreground, background, callback);
    return widget;
}

void interactable_react(Interactable*, const SDL_Event*) {}

void interactable_render(Interactable*) {}

void interactable_blit(Interactable* widget, int window_width, int window_height)
{
    if (!widget->active)
        return;
    const int W = window_width, H = window_height;
    const int HW = W / 2, HH = H / 2;
    // Each value is a quotient of two integers, in single precision.
    const float left = static_cast<float>(HW - (W - widget->x)) / static_cast<float>(HW);
    const float right = static_cast<float>(HW - (W - (widget->x + widget->w))) / static_cast<float>(HW);
    const float top = static_cast<float>(HH - widget->y) / static_cast<float>(HH);
    const float bottom = static_cast<float>(HH - (widget->y + widget->h)) / static_cast<float>(HH);

    // Row 0 of the texture is the top of the widget.
    glBindTexture(GL_TEXTURE_2D, widget->texture.get());
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(left, top);
    glTexCoord2f(1, 0);
    glVertex2f(right, top);
    glTexCoord2f(1, 1);
    glVertex2f(right, bottom);
    glTexCoord2f(0, 1);
    glVertex2f(left, bottom);
    glColor4f(1, 1, 1, 1);
    glEnd();
    glBindTexture(GL_TEXTURE_2D, 0);
}

void interactable_free(std::unique_ptr<Interactable> widget)
{
    widget.reset();
}

void interactable_set_position(Interactable* widget, int x, int y)
{
    widget->x = x;
    widget->y = y;
}

void interactable_move(Interactable* widget, int dx, int dy)
{
    widget->x += dx;
    widget->y += dy;
}

void interactable_activate(Interactable* widget)
{
    widget->active = 1;
}

void interactable_deactivate(Interactable* widget)
{
    widget->active = 0;
}

bool interactable_contains(const Interactable* widget, int px, int py)
{
    return widget->x <= px && px < widget->x + widget->w && widget->y <= py && py < widget->y + widget->h;
}

InteractablePointer interactable_pointer(Interactable* widget, const SDL_Event* event, InteractableCapture capture)
{
    if (!widget->active)
        return InteractablePointer::none;
    switch (event->type) {
    case SDL_MOUSEBUTTONDOWN:
        if ((widget->pointer_held && capture != InteractableCapture::restart)
            || !interactable_contains(widget, event->button.x, event->button.y))
            return InteractablePointer::none;
        widget->pointer_held = capture != InteractableCapture::none ? 1 : 0;
        return InteractablePointer::press;
    case SDL_MOUSEMOTION:
        return widget->pointer_held ? InteractablePointer::drag : InteractablePointer::none;
    case SDL_MOUSEBUTTONUP:
        if (!widget->pointer_held)
            return InteractablePointer::none;
        widget->pointer_held = 0;
        return InteractablePointer::release;
    default:
        return InteractablePointer::none;
    }
}
