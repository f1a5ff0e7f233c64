#include "widgets/interactable_slider.hpp"

#include <algorithm>
#include <cmath>

void InteractableSlider::react(const SDL_Event* event)
{
    interactable_slider_react(this, event);
}

void InteractableSlider::render()
{
    interactable_slider_render(this);
}

namespace {

// One track step: 0.1 as the single-precision value it has always had.
constexpr double slider_step = static_cast<double>(0.1f);

// Geometry, in window pixels. The knob centre sits at X + 10 for position 0
// and at X + 10 + L for position 1.
double knob_centre(const InteractableSlider* slider)
{
    return static_cast<double>(slider->track_length) * slider->position + static_cast<double>(slider->x + 10);
}

// The knob zone is 12 pixels wide from trunc(centre - 6) and 12 high ending
// 4 pixels above the bottom. Compared in double precision, so a position far
// out of range (or not a number) simply misses instead of overflowing an int.
bool in_knob_zone(const InteractableSlider* slider, int mx, int my)
{
    const double k = std::trunc(knob_centre(slider) - 6.0);
    const double px = static_cast<double>(mx);
    const int bottom = slider->y + slider->h;
    return k <= px && px < k + 12.0 && bottom - 16 <= my && my < bottom - 4;
}

bool in_track_zone(const InteractableSlider* slider, int mx, int my)
{
    const int bottom = slider->y + slider->h;
    return slider->x + 5 <= mx && mx < slider->x + slider->track_length + 15 && bottom - 15 <= my &&
           my < bottom - 5;
}

// The position the pointer asks for while dragging, clamped to [0, 1].
double drag_position(const InteractableSlider* slider, int mx)
{
    const double offset = static_cast<double>(mx) - static_cast<double>(slider->x + 10);
    // A track of no length has no inside: the pointer is before or after it.
    const double t = slider->track_length != 0 ? offset / static_cast<double>(slider->track_length)
                                               : (offset > 0 ? 1.0 : 0.0);
    return t < 0 ? 0.0 : std::min(t, 1.0);
}

void fill(SDL_Surface* picture, int x, int y, int w, int h, const Color& c)
{
    SDL_Rect rect{x, y, w, h};
    SDL_FillRect(picture, &rect, SDL_MapRGBA(picture->format, c.r, c.g, c.b, c.a));
}

}  // namespace

void interactable_slider_init(InteractableSlider* slider, int x, int y, int w, int h, const Color* foreground,
                              const Color* background, InteractableCallback callback, const char* text,
                              TTF_Font* font, double position, std::uint32_t track_length)
{
    interactable_text_init(slider, x, y, w, h, foreground, background, callback, text, font);
    slider->dragging = 0;
    slider->track_length = static_cast<std::int32_t>(track_length);
    slider->position = position;
}

std::unique_ptr<InteractableSlider> interactable_slider_create(int x, int y, int w, int h, const Color* foreground,
                                                               const Color* background, InteractableCallback callback,
                                                               const char* text, TTF_Font* font, double position,
                                                               std::uint32_t track_length)
{
    auto slider = interactable_allocate<InteractableSlider>("Malloc for interactable (slider) failed\n");
    interactable_slider_init(slider.get(), x, y, w, h, foreground, background, callback, text, font, position,
                             track_length);
    return slider;
}

void interactable_slider_set_position(InteractableSlider* slider, double position)
{
    slider->position = position;
    slider->texture_valid = 0;
}

// Idle --press on the knob--> dragging (no callback)
// Idle --press on the track beside the knob--> one step towards the pointer,
//        callback; dragging when the moved knob is now under the pointer
// Dragging --motion anywhere--> knob centre follows the pointer, callback
// Any --release anywhere--> idle
void interactable_slider_react(InteractableSlider* slider, const SDL_Event* event)
{
    switch (interactable_pointer(slider, event)) {
    case InteractablePointer::press: {
        // Input
        const int mx = event->button.x, my = event->button.y;
        // State change
        slider->texture_valid = 0;
        if (in_knob_zone(slider, mx, my)) {
            slider->dragging = 1;
            return;
        }
        if (!in_track_zone(slider, mx, my))
            return;
        // A click exactly on the knob centre steps down.
        const double moved = static_cast<double>(mx) > knob_centre(slider) ? slider->position + slider_step
                                                                            : slider->position - slider_step;
        slider->position = moved < 0 ? 0.0 : moved > 1 ? 1.0 : moved;
        if (in_knob_zone(slider, mx, my))
            slider->dragging = 1;
        // Callback
        if (slider->callback != nullptr)
            slider->callback(slider);
        return;
    }
    case InteractablePointer::release:
        // State change only: the release, wherever it happens, ends a drag.
        slider->dragging = 0;
        slider->texture_valid = 0;
        return;
    case InteractablePointer::drag:
        // Input
        if (!slider->dragging)
            return;
        // State change
        slider->texture_valid = 0;
        slider->position = drag_position(slider, event->motion.x);
        // Callback
        if (slider->callback != nullptr)
            slider->callback(slider);
        return;
    case InteractablePointer::none:
        return;
    }
}

// The label picture with the track (from (9, h - 11), L + 2 by 2) and the
// 10 by 10 knob (left edge trunc(L p + 5), top h - 15) in the foreground
// colour; no frame.
void interactable_slider_render(InteractableSlider* slider)
{
    if (!slider->active || slider->texture_valid)
        return;
    // Build picture
    const SurfacePtr picture = interactable_text_draw_text(slider);
    const int L = slider->track_length, h = slider->h;
    fill(picture.get(), 9, h - 11, L + 2, 2, slider->foreground);
    const double knob_left = std::trunc(static_cast<double>(L) * slider->position + 10.0 - 5.0);
    // A knob wholly outside the picture is clipped away anyway; keeping the
    // value in a small range first avoids converting an out-of-range (or
    // not-a-number) position into an int.
    if (knob_left > -10.0 && knob_left < static_cast<double>(slider->w))
        fill(picture.get(), static_cast<int>(knob_left), h - 15, 10, 10, slider->foreground);
    // Upload texture
    slider->texture.reset(surface_to_GL_Texture(picture.get()));
    slider->texture_valid = 1;
}

void interactable_slider_free(std::unique_ptr<InteractableSlider> slider)
{
    slider.reset();
}
