// Report loading, the exercise list, exercise selection, the playback slider
// and bringing the settings widgets in line with the state.
//
// Index of this file:
// [SECTION] Checked access to the report
// [SECTION] gui_load_report
// [SECTION] Exercise list and selection
// [SECTION] Playback slider
// [SECTION] Settings widgets
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <utility>
#include <vector>

#include "gui/gui.hpp"
#include "gui/gui_baseline.hpp"
#include "report/emg_measures.hpp"
#include "gui/gui_callbacks.hpp"
#include "gui/gui_load_preparation.hpp"
#include "gui/gui_messages.hpp"
#include "gui/gui_recent.hpp"
#include "gui/gui_report_access.hpp"

// =============================================================================
// [SECTION] Checked access to the report
// =============================================================================

std::int32_t gui_report_exercise_count(const EmgReport* report)
{
    if (report == nullptr || report->exercises_number <= 0)
        return 0;
    return static_cast<std::int32_t>(
        std::min<std::size_t>(static_cast<std::size_t>(report->exercises_number), report->exercises.size()));
}

std::int32_t gui_exercise_sample_count(const EmgExercise* exercise)
{
    return exercise != nullptr ? emg_sample_count(exercise) : 0;
}

void gui_release_derived_arrays(GuiState* state)
{
    ++state->paths_generation;
    state->lattice_directions.clear();
    state->extrapolations_number = 0;
    state->extrapolated_verts_number = 0;
    state->l_verts.clear();
    state->i_verts.clear();
    state->r_verts.clear();
    state->verts_number = 0;
    state->open_close_movements.clear();
    state->open_close_movements_number = 0;
}

namespace {

void release_exercise_toggles(GuiState* state)
{
    for (auto& toggle : state->exercise_toggles)
        interactable_toggle_free(std::move(toggle));
    state->exercise_toggles.clear();
    state->exercise_toggles_number = 0;
}

// The open and close movements of the selected exercise, found afresh.
void analyze_selected_exercise(GuiState* state)
{
    state->open_close_movements.clear();
    state->open_close_movements_number = 0;
    if (gui_load_preparation_take_movements(state))
        return;
    if (const EmgExercise* exercise = gui_selected_exercise(state))
        emg_analyze_open_close_movements(&state->open_close_movements, &state->open_close_movements_number, exercise);
}

void set_toggle_with_callback(InteractableToggle* toggle, bool on)
{
    if (toggle != nullptr)
        interactable_toggle_set_state(toggle, on ? 1 : 0, 1);
}

}  // namespace

// =============================================================================
// [SECTION] gui_load_report
// =============================================================================

void gui_open_report(const char* path)
{
    GuiState* state = gui_state;
    if (state->report_path_input != nullptr)
        interactable_text_input_set_text_formatted_and_deactivate(state->report_path_input, "%s", path);
    gui_load_report(path);
}

namespace {

bool showing_progress(const GuiState* state)
{
    return state->message_text.rfind("Loading \"", 0) == 0 && !state->message_error;
}

// The main thread's part of a load whose reading has ended: the report read
// takes the place of the open one, or, when the reading failed, the open
// one stays as it was and the window says why.
void load_complete(GuiState* state, std::unique_ptr<GuiLoad> load)
{
    load->worker.join();
    // The reading's console lines, printed now that it is over.
    std::fwrite(load->progress.console.data(), 1, load->progress.console.size(), stdout);
    if (showing_progress(state))
        state->message_text.clear();
    const std::string& path = load->path;
    const char* name = path.c_str();
    if (load->result == 2)
        return;

    GuiConsoleCapture console;
    if (load->result != 0 || load->report == nullptr) {
        std::fputs("Bad report load\n", stdout);
        const std::string why = gui_message_from_console(load->progress.console + console.finish());
        gui_message_show(state, GuiMessageKind::error,
                         "Could not load \"" + std::filesystem::path(path).filename().string() + "\"" +
                             (why.empty() ? std::string() : ": " + why));
        return;
    }

    emg_free(std::move(state->report));
    state->report = std::move(load->report);
    ++state->report_loads;
    // What the worker prepared is taken below where it would be computed.
    state->prepared = std::move(load->prepared);
    if (state->prepared != nullptr)
        state->prepared->report_loads = state->report_loads;
    gui_point_lock_unlock();
    gui_recent_remember(name);

    state->report_path = path;
    state->report_file_name = std::filesystem::path(state->report_path).filename().string();
    state->selected_exercise = 0;
    state->animation_position = 0.0;
    state->data_speed = GUI_DATA_SPEED_FACTOR * state->report->frequency;
    // A report may list no exercises. The pipeline then builds nothing, so
    // the arrays of the previous report are dropped here: nothing may read
    // them against this report.
    if (gui_report_exercise_count(state->report.get()) == 0) {
        gui_release_derived_arrays(state);
        // No sample to show: the playback slider goes back to its empty state
        // instead of keeping the previous report's sample.
        if (state->animation_slider != nullptr) {
            interactable_text_set_text(state->animation_slider, "0/0");
            interactable_slider_set_position(state->animation_slider, 0.0);
        }
    }

    // Every load ends in the view of preset 1, "Condular left from the left -
    // dynamic", whatever was shown before. When the preset places the camera
    // wholly, the fits before it are skipped: no frame shows their camera.
    const GuiPreset& preset = state->presets[1];
    state->fits_replaced = std::isfinite(preset.camera_x) && std::isfinite(preset.camera_y)
                        && std::isfinite(preset.camera_z);
    // Switching on the first toggle selects exercise 0 through its callback,
    // which separates the paths, rebuilds the grid and finds the movements.
    gui_build_exercise_list();
    // The opening angles were computed and the warnings found with the reading.
    std::fwrite(load->warnings.data(), 1, load->warnings.size(), stdout);
    if (state->auto_display_fitting)
        gui_fit_display_to_verts();
    state->fits_replaced = false;

    gui_deserialize(state, &preset);
    gui_build_extrapolated_and_projected_jaw_vertices_select(0);
    gui_update_serializable_interactalbes();
    if (state->auto_display_fitting)
        gui_fit_display_to_verts();
    gui_load_preparation_finish(state);
    gui_show_measures();
    gui_show_chart();
    gui_show_tracings();
    gui_show_clinical();
    const std::string warnings = gui_message_from_console(load->progress.console + console.finish());
    if (!warnings.empty())
        gui_message_show(state, GuiMessageKind::note, warnings);
    // The baseline, brought into this report's space by the worker.
    gui_baseline_take_load(state, load->setup.baseline, std::move(load->baseline));
}

// What the worker needs to prepare the first frame: the preset every load
// ends in and the view it is shown in.
GuiLoadSetup load_setup(const GuiState* state)
{
    GuiLoadSetup setup;
    setup.baseline = state->baseline_read;
    if (state->viewport == nullptr)
        return setup;
    setup.prepare = true;
    setup.preset = state->presets[1];
    setup.view = interactable_viewport3d_camera_view(state->viewport);
    setup.side = std::max(state->viewport->w, state->viewport->h);
    setup.memory_limit = state->extrapolation_memory_limit;
    setup.extra = state->load_extra_work;
    return setup;
}

}  // namespace

void gui_load_report(const char* path)
{
    GuiState* state = gui_state;
    // The report is read aside: one that fails to load leaves the open
    // report, its paths, figures and exercise list as they were, and the
    // window says why. A load still running is dropped for the new one.
    state->load.reset();
    state->load = gui_load_begin(path != nullptr ? path : "", SDL_GetTicks(), load_setup(state));
    if (gui_load_wait(state->load.get(), state->load_wait_ms))
        load_complete(state, std::move(state->load));
    else
        gui_message_show(state, GuiMessageKind::note, gui_load_message(state->load.get()));
}

void gui_load_update(GuiState* state)
{
    if (state->load == nullptr)
        return;
    if (gui_load_wait(state->load.get(), 0)) {
        load_complete(state, std::move(state->load));
        return;
    }
    // The line stays while the load runs, unless something else was said since.
    if (showing_progress(state) || state->message_text.empty())
        gui_message_show(state, GuiMessageKind::note, gui_load_message(state->load.get()));
}

bool gui_load_cancel(GuiState* state)
{
    if (state->load == nullptr)
        return false;
    const std::string name = std::filesystem::path(state->load->path).filename().string();
    state->load.reset();
    gui_say(GuiMessageKind::note, "Loading of \"%s\" cancelled; the open report stays", name.c_str());
    return true;
}

void gui_load_finish(GuiState* state)
{
    if (state->load == nullptr)
        return;
    gui_load_wait(state->load.get(), UINT32_MAX);
    load_complete(state, std::move(state->load));
}

// =============================================================================
// [SECTION] Exercise list and selection
// =============================================================================

void gui_build_exercise_list()
{
    GuiState* state = gui_state;
    gui_activate_specific_page('b');
    if (state->report == nullptr)
        return;

    release_exercise_toggles(state);
    const std::int32_t n = gui_report_exercise_count(state->report.get());
    state->exercise_toggles.reserve(static_cast<std::size_t>(n));
    for (std::int32_t i = 0; i < n; ++i) {
        // Two per row below the "Exercises" label.
        const int x = (i % 2) * 170 + state->window_height + 10;
        const int y = (i / 2) * 30 + 220;
        auto toggle = interactable_toggle_create(x, y, 160, 20, &c_black, &c_beige, &c_black, &c_button_active,
                                                 callback_set_selected_exercise_number, "[X] Unnamed", state->font, 0);
        // The name is an argument, never the format.
        interactable_text_set_text_formatted(toggle.get(), "[%d] %s", i + 1,
                                             state->report->exercises[static_cast<std::size_t>(i)].name.c_str());
        state->exercise_toggles.push_back(std::move(toggle));
    }
    state->exercise_toggles_number = n;

    std::vector<Interactable*> list;
    std::vector<std::uint32_t> indices;
    list.reserve(static_cast<std::size_t>(n));
    indices.reserve(static_cast<std::size_t>(n));
    for (std::int32_t i = 0; i < n; ++i) {
        list.push_back(state->exercise_toggles[static_cast<std::size_t>(i)].get());
        indices.push_back(static_cast<std::uint32_t>(i));
    }
    interactable_toggle_associate_radio_buttons(list.data(), indices.data(), static_cast<std::uint32_t>(n));

    if (n > 0)
        interactable_toggle_set_state(state->exercise_toggles[0].get(), 1, 1);
}

void gui_set_selected_exercise_number(std::int32_t index)
{
    GuiState* state = gui_state;
    const std::int32_t n = gui_report_exercise_count(state->report.get());
    if (n == 0)
        return;
    // One remainder rather than repeated steps of n: the same index for
    // every input, and no long loop for an index far out of range.
    std::int64_t wrapped = static_cast<std::int64_t>(index) % n;
    if (wrapped < 0)
        wrapped += n;

    state->selected_exercise = static_cast<std::int32_t>(wrapped);
    state->animation_position = 0.0;
    gui_build_seperate_jaw_vertices();
    gui_build_extrapolated_and_projected_jaw_vertices_select(0);
    gui_point_lock_unlock();
    analyze_selected_exercise(state);
    if (state->auto_display_fitting)
        gui_fit_display_to_verts();
    gui_show_measures();
    gui_show_chart();
    gui_show_tracings();
    gui_show_clinical();
}

// =============================================================================
// [SECTION] Playback slider
// =============================================================================

void gui_update_playback_slider()
{
    GuiState* state = gui_state;
    gui_update_chart_cursor();
    gui_update_tracing_marks();
    const std::int32_t n = gui_exercise_sample_count(gui_selected_exercise(state));
    if (n == 0 || state->animation_slider == nullptr)
        return;
    // The sample shown, kept inside the exercise whatever the position holds.
    double position = std::trunc(state->animation_position);
    if (!(position >= 0.0))
        position = 0.0;
    if (position > n - 1)
        position = n - 1;
    const int p = static_cast<int>(position);
    interactable_text_set_text_formatted(state->animation_slider, "%d/%d", p + 1, n);
    // A single sample sits at the start of the track.
    interactable_slider_set_position(state->animation_slider,
                                     n > 1 ? static_cast<double>(p) / static_cast<double>(n - 1) : 0.0);
}

// =============================================================================
// [SECTION] Settings widgets
// =============================================================================

// Writes the state into every settings widget. Toggles are set with their
// callbacks, so each switch is written back unchanged and the view follows
// (refits, re-projections) as if the user had clicked it.
void gui_update_serializable_interactalbes()
{
    GuiState* state = gui_state;
    const InteractableViewport3d* v = state->viewport;
    if (v == nullptr)
        return;

    gui_update_3d_variables_display();

    set_toggle_with_callback(state->pitch_lock_toggle, v->pitch_locked != 0);
    set_toggle_with_callback(state->perspective_toggle, v->perspective != 0);
    set_toggle_with_callback(state->orthogonal_toggle, v->perspective == 0);

    set_toggle_with_callback(state->l_vertex_toggle, state->draw_l_vertex);
    set_toggle_with_callback(state->i_vertex_toggle, state->draw_i_vertex);
    set_toggle_with_callback(state->r_vertex_toggle, state->draw_r_vertex);
    set_toggle_with_callback(state->li_edge_toggle, state->draw_li_edge);
    set_toggle_with_callback(state->lr_edge_toggle, state->draw_lr_edge);
    set_toggle_with_callback(state->ri_edge_toggle, state->draw_ri_edge);
    set_toggle_with_callback(state->reference_toggle, state->draw_reference);
    set_toggle_with_callback(state->axis_toggle, state->draw_axis);
    set_toggle_with_callback(state->paused_toggle, state->paused);
    set_toggle_with_callback(state->looping_toggle, state->looping);

    if (state->speed_slider != nullptr)
        interactable_slider_set_position(state->speed_slider, state->speed_slider_position);

    set_toggle_with_callback(state->all_exercise_verts_toggle, state->draw_all_exercise_verts);
    set_toggle_with_callback(state->auto_display_fitting_toggle, state->auto_display_fitting);
    set_toggle_with_callback(state->callibration_toggle, state->draw_callibration);

    state->speed_multiplier = 10.0 * state->speed_slider_position;
    if (state->speed_reset_button != nullptr)
        interactable_text_set_text_formatted(state->speed_reset_button, "x%.1lf", state->speed_multiplier);

    set_toggle_with_callback(state->extrapolation_l_toggle, state->draw_extrapolation_l);
    set_toggle_with_callback(state->extrapolation_i_toggle, state->draw_extrapolation_i);
    set_toggle_with_callback(state->extrapolation_r_toggle, state->draw_extrapolation_r);

    if (state->extrapolation_distance_input != nullptr) {
        interactable_text_input_set_text_formatted_and_deactivate(state->extrapolation_distance_input, "%.2lf",
                                                                  state->extrapolation_distance);
        interactable_text_input_set_text_formatted_and_deactivate(state->extrapolation_x_input, "%d",
                                                                  state->extrapolation_x_amount);
        interactable_text_input_set_text_formatted_and_deactivate(state->extrapolation_y_input, "%d",
                                                                  state->extrapolation_y_amount);
        interactable_text_input_set_text_formatted_and_deactivate(state->extrapolation_z_input, "%d",
                                                                  state->extrapolation_z_amount);
    }

    set_toggle_with_callback(state->spokes_toggle, state->draw_spokes);

    state->animation_position = 0.0;
    gui_update_playback_slider();
}
