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
inline const char* road_name(Road road)
{
    return road == Road::drop ? "drop" : road == Road::path_field ? "path field" : "call";
}

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
    // Presses a slider's knob, drags it to `to_x` and lets go.
    void drag_slider(const InteractableSlider* slider, int to_x);
    // Clicks the toggle unless it already is as wanted.
    void set_toggle(InteractableToggle* toggle, bool on);

    // Passes that let the clock run; after each the animation position lies
    // inside the selected exercise (it may stand between the last sample and
    // the end) and the playback slider shows a sample of it.
    void run_passes(int count, const std::string& context);

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
