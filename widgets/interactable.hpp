// The base record of every widget, and how the main loop talks to widgets.
//
// A widget is a rectangle in window pixels with an `active` flag, one OpenGL
// texture holding its picture, two colours, an optional callback and three
// operations a kind may replace: react (one SDL event), blit (draw the
// texture onto the window) and render (rebuild the texture when it is out of
// date). The fourth operation, free, is the virtual destructor: a widget is
// destroyed only through it, so each kind releases what it owns.
//
// Calling contract with the main loop:
//  1. Every SDL event is offered to every widget of the panel list, then of
//     the exercise list, active or not; each react decides for itself, and a
//     widget's callback runs inside its react, before the next widget sees
//     the event.
//  2. Once per frame, after the 3D scene: render of every widget, then blit
//     of every widget, with the viewport set to the whole window, the depth
//     test always passing, identity matrices, alpha blending and 2D textures.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>

#include "platform/sdl_help.hpp"

struct Interactable;

// The application's handler, called with the widget that fired.
using InteractableCallback = void (*)(Interactable* widget);

struct Interactable {
    std::int32_t x = 0;  // left edge, window pixels, origin top left
    std::int32_t y = 0;  // top edge, y grows downwards
    std::int32_t w = 0;
    std::int32_t h = 0;
    std::uint8_t active = 0;  // 1: drawn and reacting; 0: hidden, ignores input
    GlTexture texture;        // the widget's picture, w x h pixels
    Color foreground{};       // text and drawing colour
    Color background{};       // fill colour of the picture
    InteractableCallback callback = nullptr;
    std::uint8_t pointer_held = 0;  // a press inside took hold of the pointer until the next release

    Interactable() = default;
    Interactable(const Interactable&) = delete;
    Interactable& operator=(const Interactable&) = delete;
    virtual ~Interactable() = default;

    // The kind's operations. The base ones: react ignores everything, blit
    // draws the texture quad, render does nothing.
    virtual void react(const SDL_Event* event);
    virtual void blit(int window_width, int window_height);
    virtual void render();
};

// Fills a default-constructed record: position and size, active, a fresh
// blank texture, the colours (copied) and the callback.
void interactable_init(Interactable* widget, int x, int y, int w, int h, const Color* foreground,
                       const Color* background, InteractableCallback callback);
std::unique_ptr<Interactable> interactable_create(int x, int y, int w, int h, const Color* foreground,
                                                  const Color* background, InteractableCallback callback);

void interactable_react(Interactable* widget, const SDL_Event* event);
void interactable_render(Interactable* widget);
// Draws the texture over the widget's rectangle, placed in normalised device
// coordinates computed from the window size (halves truncated).
void interactable_blit(Interactable* widget, int window_width, int window_height);
// Releases a widget through its own free operation (its destructor).
void interactable_free(std::unique_ptr<Interactable> widget);

void interactable_set_position(Interactable* widget, int x, int y);
void interactable_move(Interactable* widget, int dx, int dy);
void interactable_activate(Interactable* widget);
void interactable_deactivate(Interactable* widget);

// The hit test every kind that reacts to the mouse uses: left and top edges
// inside, right and bottom edges outside.
bool interactable_contains(const Interactable* widget, int px, int py);

// The pointer handling every kind that takes the mouse shares (button,
// toggle, slider, chart, 3D view): what one event means to the widget.
//   not held --press of any button inside--> press (held unless `none`)
//   held     --motion anywhere-------------> drag
//   held     --release anywhere------------> release, not held
// Everything else, and every event while the widget is inactive, is none.
// A press inside while held is none (a second button does not press a
// button twice), except for `restart`, where it starts over.
enum class InteractablePointer : std::uint8_t { none, press, drag, release };
enum class InteractableCapture : std::uint8_t { none, hold, restart };
InteractablePointer interactable_pointer(Interactable* widget, const SDL_Event* event,
                                         InteractableCapture capture = InteractableCapture::hold);

// Allocates a widget record of kind T. An allocation failure prints
// `failure_message` and ends the process with status 1.
template <typename T>
std::unique_ptr<T> interactable_allocate(const char* failure_message)
{
    try {
        return std::make_unique<T>();
    } catch (const std::bad_alloc&) {
        std::fputs(failure_message, stdout);
        std::fflush(stdout);
        std::exit(1);
    }
}
