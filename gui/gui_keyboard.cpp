#include "gui/gui_keyboard.hpp"

#include <algorithm>
#include <cmath>

#include "gui/gui.hpp"
#include "gui/gui_recent.hpp"
#include "gui/gui_report_access.hpp"

namespace {

void set_paused(GuiState* state, bool paused)
{
    state->paused = paused;
    if (state->paused_toggle != nullptr)
        interactable_toggle_set_state(state->paused_toggle, paused ? 1 : 0, 0);
}

// Moves to sample `sample` (kept inside the exercise) and pauses there.
void go_to_sample(GuiState* state, double sample)
{
    const std::int32_t n = gui_exercise_sample_count(gui_selected_exercise(state));
    if (n == 0)
        return;
    set_paused(state, true);
    state->animation_position = std::clamp(sample, 0.0, static_cast<double>(n - 1));
    gui_update_playback_slider();
}

double current_sample(const GuiState* state)
{
    const double p = std::trunc(state->animation_position);
    return std::isfinite(p) ? p : 0.0;
}

}  // namespace

bool gui_keyboard_handle(GuiState* state, const SDL_KeyboardEvent& key)
{
    const bool ctrl = (key.keysym.mod & KMOD_CTRL) != 0;
    const bool shift = (key.keysym.mod & KMOD_SHIFT) != 0;
    if (ctrl) {
        switch (key.keysym.sym) {
        case SDLK_o:
            gui_open_report_dialog();
            return true;
        case SDLK_s:
            gui_take_screenshot();
            return true;
        case SDLK_e:
            gui_write_measures_csv();
            return true;
        case SDLK_q: {
            SDL_Event quit{};
            quit.type = SDL_QUIT;
            SDL_PushEvent(&quit);
            return true;
        }
        default:
            return false;
        }
    }
    const double second = state->report != nullptr && std::isfinite(state->report->frequency) &&
                                  state->report->frequency >= 1.0
                              ? std::round(state->report->frequency)
                              : 1.0;
    switch (key.keysym.sym) {
    case SDLK_LEFT:
        go_to_sample(state, current_sample(state) - (shift ? second : 1.0));
        return true;
    case SDLK_RIGHT:
        go_to_sample(state, current_sample(state) + (shift ? second : 1.0));
        return true;
    case SDLK_HOME:
        go_to_sample(state, 0.0);
        return true;
    case SDLK_END:
        go_to_sample(state, 1e18);
        return true;
    case SDLK_p:
        set_paused(state, !state->paused);
        return true;
    case SDLK_ESCAPE:
        return gui_load_cancel(state);
    default:
        return false;
    }
}
