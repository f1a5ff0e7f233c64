// A whole program session for the reliability suites: the real start-up,
// real passes of the main loop, and input delivered as SDL events the way a
// user produces them (drops, clicks, typed text, keys).
#pragma once

#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "app/zelto.hpp"
#include "tests/test_support.hpp"

namespace zelto_reliability {

// How a report path reaches the program.
enum class Road {
    drop,        // a file dropped on the window
    path_field,  // typed into the report path field and confirmed with Enter
    call,        // gui_load_report called directly (as the command line does)
};
const char* road_name(Road road);

// What one drawn frame shows.
struct FrameCheck {
    bool view_background_black = false;  // a corner of the 3D area
    bool panel_background_beige = false; // right of every panel widget
    std::size_t lit_view_pixels = 0;     // pixels of the 3D area that are not black
};

// Zelto started without a report, in a fresh working directory of its own
// (preset files and screenshots land there). Everything the program prints
// is collected instead of going to the test's output.
class Session {
public:
    Session();
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    ZeltoLoop& loop() { return loop_; }
    GuiState& state() { return *loop_.gui; }
    const std::filesystem::path& directory() const { return directory_.path(); }

    // One pass of the main loop; false once the window was closed.
    bool pass();
    // A pass whose animation clock does not move (the previous pass counts
    // 0 ms), so that the same input always draws the same frame.
    bool still_pass();

    // Loads a report by one of the roads and runs one still pass; returns
    // what the program printed meanwhile.
    std::string load(const std::string& path, Road road);

    void push(SDL_Event event);
    // A left click one pixel inside the widget's corner, handled by a pass.
    void click(const Interactable* widget);
    // Shows page 'a' to 'h' through its tab.
    void show_page(char letter);
    // Clicks the field (its page must be shown), types `text` in pieces as
    // SDL delivers text input, confirms with Enter; then a pass.
    void type_into(InteractableTextInput* field, const std::string& text);
    // Moves the mouse pointer to window coordinates.
    void move_mouse(int x, int y);

    // Draws one frame without swapping and reads it back.
    FrameCheck draw_and_read();

    // The program still works: a valid report loads by the given road, a
    // pass runs, and the frame shows the black 3D area with the report's
    // paths in it and the beige panel. Adds a test failure naming `context`
    // when not.
    void expect_usable(const std::string& context, Road road = Road::call);

    // Everything printed since the last call.
    std::string take_console();

private:
    void capture(const std::function<void()>& body);

    zelto_test::TempWorkingDirectory directory_;
    ZeltoLoop loop_;
    std::string console_;
    std::string usable_report_;
};

}  // namespace zelto_reliability
