// A whole program session for the reliability suites: the real start-up, real passes of the main loop, and
// input delivered as SDL events the way a user produces them (drops, clicks, typed text, keys).
#pragma once

#include <SDL.h>

#include <filesystem>
#include <functional>
#include <string>

#include "app/zelto.hpp"
#include "tests/test_support.hpp"

namespace zelto_reliability {

// How a report path reaches the program: dropped on the window, typed into the
// path field with Enter, or given to gui_load_report (as the command line does).
enum class Road { drop, path_field, call };

// Zelto started without a report, in a fresh working directory of its own (preset files and screenshots land
// there). Everything the program prints is collected instead of going to the test's output.
class Session {
public:
    Session();
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    GuiState& state() { return *loop_.gui; }
    const std::filesystem::path& directory() const { return directory_.path(); }

    // One pass of the main loop; false once the window was closed. A still pass keeps the animation clock (the
    // previous pass counts 0 ms), so that the same input always draws the same frame.
    bool pass();
    bool still_pass();
    // Loads a report by one of the roads and runs one still pass; returns what the program printed meanwhile.
    std::string load(const std::string& path, Road road);

    // Input as a user gives it, each followed by a still pass but `push`: a click one pixel inside the widget;
    // page 'a' to 'i' through its tab; `text` typed into a shown field in SDL's pieces, then Enter.
    void push(SDL_Event event);
    void click(const Interactable* widget);
    void show_page(char letter);
    void type_into(InteractableTextInput* field, const std::string& text);
    void move_mouse(int x, int y);
    void set_toggle(InteractableToggle* toggle, bool on);

    // Passes that let the clock run; after each the animation position lies inside the selected exercise and
    // the playback slider shows a sample of it.
    void run_passes(int count, const std::string& context);
    // The program still works: a valid report loads by the road and the frame shows its paths in the black 3D
    // area and the beige panel; else a failure.
    void expect_usable(const std::string& context, Road road = Road::call);

private:
    void capture(const std::function<void()>& body) { console_ += zelto_test::capture_stdout(body); }

    zelto_test::TempWorkingDirectory directory_;
    ZeltoLoop loop_;
    std::string console_;
    std::string usable_report_ = (directory_.path() / "usable.tsv").string();
};

}  // namespace zelto_reliability
