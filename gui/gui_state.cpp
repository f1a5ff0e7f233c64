#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <new>

#include "gui/gui.hpp"
#include "gui/gui_report_access.hpp"

GuiState* gui_state = nullptr;

std::unique_ptr<GuiState> gui_state_create()
{
    try {
        return std::make_unique<GuiState>();
    } catch (const std::bad_alloc&) {
        std::fputs("Malloc for gui state failed\n", stdout);
        std::fflush(stdout);
        std::exit(1);
    }
}

void gui_state_set_to_default_settings(GuiState* state)
{
    state->window = nullptr;
    state->font = nullptr;
    state->small_font = nullptr;
    gui_serialization_set_default_presets(state);

    state->window_width = -1;
    state->window_height = -1;
    state->screenshot_file_type = 1;
    state->screenshot_svg_scale = 100.0;
    state->screenshot_svg_background = 0;
    state->screenshot_svg_color_override = 1;

    state->selected_exercise = 0;
    state->animation_position = 0.0;
    state->data_speed = 1.0;
    state->speed_multiplier = 1.0;

    state->draw_l_vertex = true;
    state->l_vertex_color = &c_red;
    state->draw_i_vertex = true;
    state->i_vertex_color = &c_blue;
    state->draw_r_vertex = true;
    state->r_vertex_color = &c_green;
    state->draw_li_edge = true;
    state->li_edge_color = &c_magenta;
    state->draw_lr_edge = false;
    state->lr_edge_color = &c_yellow;
    state->draw_ri_edge = true;
    state->ri_edge_color = &c_cyan;
    state->draw_reference = true;
    state->draw_axis = true;
    state->paused = false;
    state->looping = true;
    state->speed_slider_position = GUI_SPEED_SLIDER_DEFAULT;
    state->draw_all_exercise_verts = false;
    state->auto_display_fitting = true;
    state->draw_callibration = false;
    state->draw_spokes = false;

    state->extrapolation_distance = 10.0;
    state->draw_extrapolation_r = false;
    state->draw_extrapolation_l = false;
    state->draw_extrapolation_i = false;
    state->extrapolation_x_amount = 0;
    state->extrapolation_y_amount = 0;
    state->extrapolation_z_amount = 0;
    state->extrapolation_memory_limit = gui_machine_grid_memory_limit();

    state->locked_point = -1;
}

std::int64_t gui_machine_grid_memory_limit()
{
    const std::int64_t address_space_quarter = static_cast<std::int64_t>(
        std::min<std::uintmax_t>(std::numeric_limits<std::size_t>::max() / 4, INT64_MAX));
    const int ram_mib = SDL_GetSystemRAM();
    if (ram_mib <= 0)
        return std::min(std::int64_t{1} << 30, address_space_quarter);
    return std::min(static_cast<std::int64_t>(ram_mib) / 2 * (std::int64_t{1} << 20), address_space_quarter);
}

bool gui_set_extrapolation_amounts(GuiState* s, std::int64_t x, std::int64_t y, std::int64_t z)
{
    if (!gui_extrapolation_amounts_fit(x, y, z, s)) {
        std::printf("Using the previous amounts %d, %d, %d instead.\n", s->extrapolation_x_amount,
                    s->extrapolation_y_amount, s->extrapolation_z_amount);
        return false;
    }
    s->extrapolation_x_amount = static_cast<std::int32_t>(x);
    s->extrapolation_y_amount = static_cast<std::int32_t>(y);
    s->extrapolation_z_amount = static_cast<std::int32_t>(z);
    return true;
}

void gui_state_free(std::unique_ptr<GuiState> state)
{
    if (state == nullptr)
        return;
    // The report, then every derived array, then the widgets: the panel
    // widgets in list order, the page lists (which own nothing), the
    // exercise toggles. The window and the fonts belong to the main loop.
    // A load still running is stopped first.
    state->load.reset();
    emg_free(std::move(state->report));
    gui_release_derived_arrays(state.get());
    for (auto& widget : state->interactables)
        widget.reset();
    state->interactables.clear();
    for (auto& page : state->pages)
        page.clear();
    for (auto& toggle : state->exercise_toggles)
        toggle.reset();
    state->exercise_toggles.clear();
    state->message_line.reset();
    state->recent_buttons.clear();
    state->open_button.reset();
    state->baseline_button.reset();
    state->baseline_choice.reset();
    state->compare_toggle.reset();
    state->baseline_legend.reset();
    state->tooltip.reset();
    if (gui_state == state.get())
        gui_state = nullptr;
}
