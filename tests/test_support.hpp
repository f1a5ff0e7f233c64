// Shared helpers of the test programs.
#pragma once

#include <SDL.h>
#include <SDL_ttf.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/sdl_help.hpp"
#include "geometry/vector_algebra.hpp"
#include "svg/svg_writer.hpp"
#include "widgets/interactable_viewport3d.hpp"

namespace zelto_test {

// The repository's root directory (from ZELTO_SOURCE_DIR, set by ctest).
std::filesystem::path source_dir();

// Runs `body` and returns everything it printed on standard output.
std::string capture_stdout(const std::function<void()>& body);

// A fresh temporary directory, the working directory while the object lives;
// removed, and the previous one back, on destruction.
class TempWorkingDirectory {
public:
    TempWorkingDirectory();
    ~TempWorkingDirectory();
    TempWorkingDirectory(const TempWorkingDirectory&) = delete;
    TempWorkingDirectory& operator=(const TempWorkingDirectory&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path previous_;
    std::filesystem::path path_;
};

// Writes `contents` to `path` byte for byte.
void write_file(const std::filesystem::path& path, const std::string& contents);
// Reads a whole file; empty when it cannot be read.
std::string read_file(const std::filesystem::path& path);
// How often `piece` occurs in `text` (overlaps counted).
std::size_t count_of(const std::string& text, const std::string& piece);
// Whether `text` is an optional minus, digits, and (for decimals above 0) a
// point with exactly that many digits, followed by `unit`.
bool is_number_text(std::string text, int decimals, const std::string& unit = "");

void expect_near(const Vector3& actual, const Vector3& expected, double tolerance = 1e-9);
bool same_color(const Color& a, const Color& b);

// What `body` writes into a string sink.
std::string svg_text(const std::function<void(SvgSink&)>& body);
// A viewport record without a texture whose camera maps (x, y, z) to the
// drawing fractions (x / 2 + 1/2, 1/2 - y / 2); white foreground.
void flat_viewport(InteractableViewport3d* viewport, int w = 750, int h = 750);

// A real window with an OpenGL context as the program opens it (offscreen in
// ctest), the user event type registered and the embedded font at size 16
// and at the small size.
class OffscreenWindow {
public:
    explicit OffscreenWindow(int width = 1100, int height = 750);
    ~OffscreenWindow();
    OffscreenWindow(const OffscreenWindow&) = delete;
    OffscreenWindow& operator=(const OffscreenWindow&) = delete;

    SDL_Window* window() const { return window_.get(); }
    TTF_Font* font() const { return font_.get(); }
    TTF_Font* small_font() const { return small_font_.get(); }
    int width() const { return width_; }
    int height() const { return height_; }

    // Pixels of the current draw buffer in window coordinates (origin at the
    // top left), RGBA, top row first.
    std::vector<std::uint8_t> read_pixels(int x, int y, int w, int h) const;
    Color pixel(int x, int y) const;

private:
    int width_;
    int height_;
    WindowPtr window_;
    GlContextPtr context_;
    FontPtr font_;
    FontPtr small_font_;
};

// Keeps every library loaded so far mapped, so that the OpenGL driver's leaks
// keep their names for tests/lsan.supp. Call once a GL context exists.
void keep_loaded_libraries_mapped();

// Clears the colour and depth buffers and sets the state the program uses
// to draw widgets: viewport over the whole window, depth test always passing.
void prepare_widget_frame(int width, int height);

// Events built the way SDL delivers them.
SDL_Event mouse_button_event(std::uint32_t type, int x, int y, std::uint8_t button = SDL_BUTTON_LEFT);
SDL_Event mouse_motion_event(int x, int y, int xrel, int yrel);
SDL_Event key_event(std::uint32_t type, SDL_Keycode key);
SDL_Event text_input_event(const char* utf8);

// Posts the event and offers the queue to the widgets in list order; returns
// the codes of the user events they posted, their data released.
std::vector<int> deliver(const std::vector<Interactable*>& widgets, SDL_Event event);

}  // namespace zelto_test
