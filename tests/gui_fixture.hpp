// What the GUI tests share: the whole panel built in a real offscreen window,
// events delivered the way the main loop delivers them, and small report
// files written by hand.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "gui/gui.hpp"
#include "gui/gui_callbacks.hpp"
#include "tests/test_support.hpp"

namespace zelto_test {

// One sample block of a report file: the exercise's name and its samples.
struct ReportExercise {
    std::string name;
    int samples;
};

// A report with one block of samples per exercise, in each of which the jaw
// opens and closes once (incisal point down and back, condyles forward).
inline std::string report_text(const std::vector<ReportExercise>& exercises, double frequency = 100.0)
{
    std::string out = "Exercises\n{\n";
    char line[512];
    for (std::size_t i = 0; i < exercises.size(); ++i) {
        std::snprintf(line, sizeof line, "%zu\t%s\t%.3f\t%.3f\n", i + 1, exercises[i].name.c_str(), 10.0 * i, 10.0);
        out += line;
    }
    out += "}\n";
    std::snprintf(line, sizeof line, "Frequency,Hz\t%g\n", frequency);
    out += line + std::string("Count\t5\nCalibr\t0.0\t0.0\t50.0\t0.0\t0.0\t-50.0\t95.0\t-40.0\t0.0\n") +
           "Time,ms\tRight.x,mm\tRight.y,mm\tRight.z,mm\tLeft.x,mm\tLeft.y,mm\tLeft.z,mm\tIncisal.x,mm\tIncisal.y,mm\t"
           "Incisal.z,mm\n";
    for (std::size_t e = 0; e < exercises.size(); ++e) {
        out += e > 0 ? "\n" : "";
        const int n = exercises[e].samples;
        for (int s = 0; s < n; ++s) {
            // 0 -> 1 -> 0 over the block.
            const double t = n > 1 ? static_cast<double>(s) / (n - 1) : 0.0;
            const double open = t < 0.5 ? 2 * t : 2 * (1 - t);
            const double slide = 5.0 * open + static_cast<double>(e);
            std::snprintf(line, sizeof line, "%d\t%.3f\t%.3f\t50.0\t%.3f\t%.3f\t-50.0\t%.3f\t%.3f\t0.0\n", s * 10,
                          slide, -2.0 * open, slide, -2.0 * open, 95.0 + 3.0 * open, -40.0 - 20.0 * open);
            out += line;
        }
    }
    return out;
}

// The panel as the program builds it: a real window and GL context, the GUI
// state with its defaults, the sizes the main loop stores, and gui_build.
class GuiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window_ = std::make_unique<OffscreenWindow>();
        owned_ = gui_state_create();
        gui_state = owned_.get();
        gui_state_set_to_default_settings(gui_state);
        std::tie(gui_state->window_width, gui_state->window_height) = std::pair(1100, 750);
        std::tie(gui_state->window, gui_state->font) = std::pair(window_->window(), window_->font());
        gui_state->small_font = window_->small_font();
        gui_build(gui_state, 750);
        drain_queue();
    }

    void TearDown() override
    {
        drain_queue();
        gui_state_free(std::move(owned_));
        gui_state = nullptr;
        window_.reset();
    }

    GuiState* state() const { return gui_state; }
    Interactable* widget(int index) const { return gui_state->interactables[static_cast<std::size_t>(index)].get(); }
    template <typename T> T* widget_as(int index) const { return dynamic_cast<T*>(widget(index)); }

    // Offers every queued event to the panel, then the exercise toggles, as
    // the main loop does; keeps the program's user events, their data released.
    void drain_queue()
    {
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
            for (std::size_t i = 0; i < gui_state->interactables.size(); ++i)
                gui_state->interactables[i]->react(&event);
            for (std::size_t i = 0; i < gui_state->exercise_toggles.size(); ++i)
                gui_state->exercise_toggles[i]->react(&event);
            if (event.type == zelto_user_event_type) {
                const CMemoryPtr data1(event.user.data1), data2(event.user.data2);
                posted_.push_back(event.user.code);
            }
        }
    }

    void deliver(SDL_Event event)
    {
        SDL_PushEvent(&event);
        drain_queue();
    }

    // A left click (press and release) one pixel inside the widget's corner.
    void click(const Interactable* target, int dx = 1, int dy = 1)
    {
        deliver(mouse_button_event(SDL_MOUSEBUTTONDOWN, target->x + dx, target->y + dy));
        deliver(mouse_button_event(SDL_MOUSEBUTTONUP, target->x + dx, target->y + dy));
    }

    // Clicks a field, types the text and confirms with Enter.
    void type_into(const Interactable* field, const char* text)
    {
        click(field);
        deliver(text_input_event(text));
        deliver(key_event(SDL_KEYDOWN, SDLK_RETURN));
        deliver(key_event(SDL_KEYUP, SDLK_RETURN));
    }

    // The codes of the program's user events posted since the last call.
    std::vector<int> take_posted()
    {
        drain_queue();
        return std::exchange(posted_, {});
    }

    // Writes a report into the current directory and loads it.
    void load_report_file(const std::string& name, const std::string& text)
    {
        write_file(name, text);
        gui_load_report(name.c_str());
        gui_load_finish(gui_state);
        drain_queue();
    }

private:
    std::unique_ptr<OffscreenWindow> window_;
    std::unique_ptr<GuiState> owned_;
    std::vector<int> posted_;
};

// The settings of a preset record, its padding left out, for comparisons.
inline std::string settings_of(GuiPreset p)
{
    std::memset(p.padding_60, 0, sizeof p.padding_60);
    std::memset(p.padding_78, 0, sizeof p.padding_78);
    std::memset(p.padding_101, 0, sizeof p.padding_101);
    return std::string(reinterpret_cast<const char*>(&p), sizeof p);
}

// The settings in force, as a record.
inline GuiPreset current()
{
    GuiPreset p{};
    gui_serialize(gui_state, &p);
    return p;
}

// The settings in force with the camera position of `wanted`, which a fit
// may have moved.
inline GuiPreset current_but_camera(const GuiPreset& wanted)
{
    GuiPreset p = current();
    std::tie(p.camera_x, p.camera_y, p.camera_z) = std::tie(wanted.camera_x, wanted.camera_y, wanted.camera_z);
    return p;
}

inline std::string text_of(const Interactable* widget)
{
    const auto* text = dynamic_cast<const InteractableText*>(widget);
    return text != nullptr ? text->text : std::string("<not a text widget>");
}

inline int pressed_of(const Interactable* widget)
{
    const auto* button = dynamic_cast<const InteractableButton*>(widget);
    return button != nullptr ? button->pressed : -1;
}

}  // namespace zelto_test
