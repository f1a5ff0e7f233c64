// The callback table: what every control of the panel does.
//
// Index of this file:
// [SECTION] Helpers (firing widget, typed numbers)
// [SECTION] Page tabs
// [SECTION] Window sizes
// [SECTION] Switch mirrors
// [SECTION] Projection type
// [SECTION] Typed numbers
// [SECTION] Camera display, standard views, fit
// [SECTION] Playback
// [SECTION] Report and exercises
// [SECTION] Presets
// [SECTION] Screenshot
// [SECTION] Measures and the time chart
//
// Every callback runs inside the react of the widget that fired, in the
// middle of the event dispatch. Toggles of a radio group also fire when
// another member switches them off, so their callbacks act only when the
// firing toggle is on ("condition on" below).
#include "gui/gui_callbacks.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>
#include <string>

#include "gui/gui.hpp"
#include "gui/gui_messages.hpp"
#include "gui/gui_report_access.hpp"

// =============================================================================
// [SECTION] Helpers (firing widget, typed numbers)
// =============================================================================

namespace {

// The on/off state of a firing toggle or button; -1 for any other kind.
int pressed_of(const Interactable* widget)
{
    const auto* button = dynamic_cast<const InteractableButton*>(widget);
    return button != nullptr ? button->pressed : -1;
}

bool is_on(const Interactable* widget)
{
    return pressed_of(widget) == 1;
}

// One number from the start of the text, as "%lf" reads it (leading white
// space skipped, the rest ignored). No number, and a value that is not
// finite (a typed inf or nan, or one too large for a double), read as 0.
double read_double(const std::string& text)
{
    const char* begin = text.c_str();
    char* end = nullptr;
    const double value = std::strtod(begin, &end);
    if (end == begin || !std::isfinite(value))
        return 0.0;
    return value;
}

// One integer from the start of the text, as "%d" reads it. No number reads
// as 0; an integer beyond the 32-bit range reads as the nearest 32-bit
// value, so the bounds that follow see a defined number.
std::int32_t read_int(const std::string& text)
{
    const char* begin = text.c_str();
    char* end = nullptr;
    const long long value = std::strtoll(begin, &end, 10);
    if (end == begin)
        return 0;
    if (value > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

InteractableTextInput* as_input(Interactable* widget)
{
    return dynamic_cast<InteractableTextInput*>(widget);
}

// Camera translations are shown with two decimals, angles with one.
enum class CameraField { translation, depth, angle };

// Reads, bounds, shows and stores a typed camera value; then re-projects.
void set_camera_value(Interactable* widget, double InteractableViewport3d::*field, CameraField kind)
{
    InteractableTextInput* input = as_input(widget);
    InteractableViewport3d* viewport = gui_state->viewport;
    if (input == nullptr || viewport == nullptr)
        return;
    double value = read_double(input->text);
    // A positive zoom names the zoom divisor negated; none comes nearer than
    // the viewport's limit (the field shows what is stored).
    if (kind == CameraField::depth)
        value = interactable_viewport3d_camera_z_from(value);
    if (kind == CameraField::angle)
        interactable_text_input_set_text_formatted_and_deactivate(input, "%.1lf", value);
    else
        interactable_text_input_set_text_formatted_and_deactivate(input, "%.2lf", value);
    viewport->*field = value;
    gui_build_projected_jaw_vertices();
}

// Reads a grid amount; negative amounts become 0, amounts whose grid would
// not fit are refused (the field shows the amount kept).
void set_extrapolation_amount(Interactable* widget, int axis)
{
    InteractableTextInput* input = as_input(widget);
    if (input == nullptr)
        return;
    GuiState* state = gui_state;
    std::int32_t* amounts[3] = {&state->extrapolation_x_amount, &state->extrapolation_y_amount,
                                &state->extrapolation_z_amount};
    std::int32_t value = read_int(input->text);
    if (value < 0)
        value = 0;
    std::int64_t wanted[3] = {*amounts[0], *amounts[1], *amounts[2]};
    wanted[axis] = value;
    const bool taken = gui_set_extrapolation_amounts(state, wanted[0], wanted[1], wanted[2]);
    interactable_text_input_set_text_formatted_and_deactivate(input, "%d", *amounts[axis]);
    if (!taken)
        return;
    gui_build_extrapolated_and_projected_jaw_vertices();
    gui_automatic_fit_display_to_verts();
}

void set_special_view(double pitch, double yaw, double roll)
{
    InteractableViewport3d* viewport = gui_state->viewport;
    if (viewport == nullptr)
        return;
    viewport->pitch = pitch;
    viewport->yaw = yaw;
    viewport->roll = roll;
    gui_automatic_fit_display_to_verts();
    gui_update_3d_variables_display();
    // The projected paths follow the new angles also when no fit ran (fitting
    // switched off, perspective projection, nothing to fit), so the point
    // under the mouse is found where it is drawn.
    gui_build_projected_jaw_vertices();
}

std::string preset_path_file_name()
{
    const InteractableTextInput* input = gui_state->preset_path_input;
    // The typed text is an argument: it is never read as a format.
    return string_format("%s.zlp", input != nullptr ? input->text.c_str() : "");
}

}  // namespace

// =============================================================================
// [SECTION] Page tabs
// =============================================================================

namespace {
// Condition on: switching tabs also fires the tabs switched off.
void activate_page_if_on(Interactable* widget, char letter)
{
    if (is_on(widget))
        gui_activate_specific_page(letter);
}
}  // namespace

void callback_activate_page_a(Interactable* widget) { activate_page_if_on(widget, 'a'); }
void callback_activate_page_b(Interactable* widget) { activate_page_if_on(widget, 'b'); }
void callback_activate_page_c(Interactable* widget) { activate_page_if_on(widget, 'c'); }
void callback_activate_page_d(Interactable* widget) { activate_page_if_on(widget, 'd'); }
void callback_activate_page_e(Interactable* widget) { activate_page_if_on(widget, 'e'); }
void callback_activate_page_f(Interactable* widget) { activate_page_if_on(widget, 'f'); }
void callback_activate_page_g(Interactable* widget) { activate_page_if_on(widget, 'g'); }
void callback_activate_page_h(Interactable* widget) { activate_page_if_on(widget, 'h'); }
void callback_activate_page_i(Interactable* widget) { activate_page_if_on(widget, 'i'); }
void callback_activate_page_j(Interactable* widget) { activate_page_if_on(widget, 'j'); }

// =============================================================================
// [SECTION] Window sizes
// =============================================================================

namespace {
// The panel keeps its 350 pixels beside the square view.
void request_square_view(Interactable* widget, int side)
{
    if (is_on(widget))
        gui_set_window_size(side + GUI_PANEL_WIDTH, side);
}
}  // namespace

void callback_set_resolution_1(Interactable* widget) { request_square_view(widget, 750); }
void callback_set_resolution_2(Interactable* widget) { request_square_view(widget, 1000); }
void callback_set_resolution_3(Interactable* widget) { request_square_view(widget, 1250); }
void callback_set_resolution_4(Interactable* widget) { request_square_view(widget, 1500); }
void callback_set_resolution_5(Interactable* widget) { request_square_view(widget, 1750); }
void callback_set_resolution_6(Interactable* widget) { request_square_view(widget, 2000); }

// =============================================================================
// [SECTION] Switch mirrors
// =============================================================================

namespace {
// Copies the toggle's state into a flag; false when the widget is no toggle.
bool mirror(Interactable* widget, bool GuiState::*flag)
{
    const int pressed = pressed_of(widget);
    if (pressed < 0)
        return false;
    gui_state->*flag = pressed != 0;
    return true;
}

// Switches that change what is visible refit the view (when fitting is on).
void mirror_and_fit(Interactable* widget, bool GuiState::*flag)
{
    if (mirror(widget, flag))
        gui_automatic_fit_display_to_verts();
}
}  // namespace

void callback_toggle_draw_l_vertex(Interactable* widget) { mirror_and_fit(widget, &GuiState::draw_l_vertex); }
void callback_toggle_draw_i_vertex(Interactable* widget) { mirror_and_fit(widget, &GuiState::draw_i_vertex); }
void callback_toggle_draw_r_vertex(Interactable* widget) { mirror_and_fit(widget, &GuiState::draw_r_vertex); }
void callback_toggle_draw_li_edge(Interactable* widget) { mirror_and_fit(widget, &GuiState::draw_li_edge); }
void callback_toggle_draw_lr_edge(Interactable* widget) { mirror_and_fit(widget, &GuiState::draw_lr_edge); }
void callback_toggle_draw_ri_edge(Interactable* widget) { mirror_and_fit(widget, &GuiState::draw_ri_edge); }
void callback_toggle_draw_reference(Interactable* widget) { mirror_and_fit(widget, &GuiState::draw_reference); }
void callback_toggle_draw_axis(Interactable* widget) { mirror_and_fit(widget, &GuiState::draw_axis); }
void callback_toggle_draw_extrapolation_l(Interactable* widget)
{
    mirror_and_fit(widget, &GuiState::draw_extrapolation_l);
}
void callback_toggle_draw_extrapolation_i(Interactable* widget)
{
    mirror_and_fit(widget, &GuiState::draw_extrapolation_i);
}
void callback_toggle_draw_extrapolation_r(Interactable* widget)
{
    mirror_and_fit(widget, &GuiState::draw_extrapolation_r);
}
void callback_toggle_paused(Interactable* widget) { mirror(widget, &GuiState::paused); }
void callback_toggle_looping(Interactable* widget) { mirror(widget, &GuiState::looping); }
void callback_toggle_draw_callibration(Interactable* widget) { mirror(widget, &GuiState::draw_callibration); }
void callback_toggle_draw_spokes(Interactable* widget) { mirror(widget, &GuiState::draw_spokes); }
void callback_toggle_draw_all_exercise_verts(Interactable* widget)
{
    mirror(widget, &GuiState::draw_all_exercise_verts);
}
void callback_toggle_auto_display_fitting(Interactable* widget) { mirror(widget, &GuiState::auto_display_fitting); }

void callback_toggle_pitch_rotation(Interactable* widget)
{
    const int pressed = pressed_of(widget);
    if (pressed >= 0 && gui_state->viewport != nullptr)
        gui_state->viewport->pitch_locked = static_cast<std::uint8_t>(pressed != 0);
}

// The single-toggle form of the projection switch (no widget carries it).
void callback_toggle_3d_perspective(Interactable* widget)
{
    const int pressed = pressed_of(widget);
    if (pressed < 0 || gui_state->viewport == nullptr)
        return;
    gui_state->viewport->perspective = static_cast<std::uint8_t>(pressed != 0);
    gui_build_projected_jaw_vertices();
}

// =============================================================================
// [SECTION] Projection type
// =============================================================================

namespace {
void set_perspective(Interactable* widget, std::uint8_t perspective)
{
    if (!is_on(widget) || gui_state->viewport == nullptr)
        return;
    gui_state->viewport->perspective = perspective;
    gui_build_projected_jaw_vertices();
}
}  // namespace

void callback_set_3d_perspective_false(Interactable* widget) { set_perspective(widget, 0); }
void callback_set_3d_perspective_true(Interactable* widget) { set_perspective(widget, 1); }

// =============================================================================
// [SECTION] Typed numbers
// =============================================================================

// Each runs after Enter confirmed an edit: read one number from the start of
// the text, bound it, show it in the display format, store it, follow up.

void callback_set_viewport_x(Interactable* widget)
{
    set_camera_value(widget, &InteractableViewport3d::camera_x, CameraField::translation);
}
void callback_set_viewport_y(Interactable* widget)
{
    set_camera_value(widget, &InteractableViewport3d::camera_y, CameraField::translation);
}
void callback_set_viewport_z(Interactable* widget)
{
    set_camera_value(widget, &InteractableViewport3d::camera_z, CameraField::depth);
}
// Angles are stored as typed; the viewport wraps them at its next frame.
void callback_set_viewport_pitch(Interactable* widget)
{
    set_camera_value(widget, &InteractableViewport3d::pitch, CameraField::angle);
}
void callback_set_viewport_yaw(Interactable* widget)
{
    set_camera_value(widget, &InteractableViewport3d::yaw, CameraField::angle);
}
void callback_set_viewport_roll(Interactable* widget)
{
    set_camera_value(widget, &InteractableViewport3d::roll, CameraField::angle);
}

void callback_set_extrapolation_x_amount(Interactable* widget) { set_extrapolation_amount(widget, 0); }
void callback_set_extrapolation_y_amount(Interactable* widget) { set_extrapolation_amount(widget, 1); }
void callback_set_extrapolation_z_amount(Interactable* widget) { set_extrapolation_amount(widget, 2); }

void callback_set_extrapolation_distance(Interactable* widget)
{
    InteractableTextInput* input = as_input(widget);
    if (input == nullptr)
        return;
    double value = read_double(input->text);
    if (value < 0.0)
        value = 0.0;
    interactable_text_input_set_text_formatted_and_deactivate(input, "%.2lf", value);
    gui_state->extrapolation_distance = value;
    gui_build_extrapolated_and_projected_jaw_vertices();
    gui_automatic_fit_display_to_verts();
}

void callback_set_screenshot_svg_scale(Interactable* widget)
{
    InteractableTextInput* input = as_input(widget);
    if (input == nullptr)
        return;
    double value = read_double(input->text);
    if (value <= 1.0)
        value = 1.0;
    interactable_text_input_set_text_formatted_and_deactivate(input, "%.2lf", value);
    gui_state->screenshot_svg_scale = value;
}

// =============================================================================
// [SECTION] Camera display, standard views, fit
// =============================================================================

// The viewport calls this after every mouse step that moved the camera.
void callback_update_display_3d_variables(Interactable* widget)
{
    const auto* viewport = dynamic_cast<const InteractableViewport3d*>(widget);
    gui_show_camera(viewport != nullptr ? viewport : gui_state->viewport);
}

void callback_set_special_view_frontal(Interactable*) { set_special_view(0.0, 270.0, 0.0); }
void callback_set_special_view_posterior(Interactable*) { set_special_view(0.0, 90.0, 0.0); }
void callback_set_special_view_sagittal_l(Interactable*) { set_special_view(0.0, 180.0, 0.0); }
void callback_set_special_view_sagittal_r(Interactable*) { set_special_view(0.0, 0.0, 0.0); }

// "Fit view" fits whatever automatic fitting says.
void callback_fit_display_to_verts(Interactable*)
{
    gui_fit_display_to_verts();
}

// =============================================================================
// [SECTION] Playback
// =============================================================================

// Dragging the playback slider pauses the animation at the chosen sample.
namespace {
// Goes to sample k (held inside the exercise of n samples) and pauses; the
// slider shows "k/n" counted from 1. The position slider and the chart go
// to a sample this one way.
void seek_and_pause(InteractableSlider* slider, double k, std::int32_t n)
{
    if (!(k >= 0.0))
        k = 0.0;
    if (k > n - 1)
        k = n - 1;
    gui_state->animation_position = k;
    if (gui_state->paused_toggle != nullptr)
        interactable_toggle_set_state(gui_state->paused_toggle, 1, 1);
    if (slider != nullptr)
        interactable_text_set_text_formatted(slider, "%d/%d", static_cast<int>(k) + 1, n);
}
}  // namespace

void callback_animation_position(Interactable* widget)
{
    auto* slider = dynamic_cast<InteractableSlider*>(widget);
    const std::int32_t n = gui_exercise_sample_count(gui_selected_exercise(gui_state));
    if (slider == nullptr || n == 0)
        return;
    seek_and_pause(slider, std::trunc(static_cast<double>(n - 1) * slider->position), n);
}

void callback_set_data_speed_multiplier(Interactable* widget)
{
    const auto* slider = dynamic_cast<const InteractableSlider*>(widget);
    if (slider == nullptr)
        return;
    GuiState* state = gui_state;
    state->speed_slider_position = slider->position;
    state->speed_multiplier = 10.0 * slider->position;
    if (state->speed_reset_button != nullptr)
        interactable_text_set_text_formatted(state->speed_reset_button, "x%.1lf", state->speed_multiplier);
}

// "x1.0": back to real time.
void callback_button_reset_animation_speed(Interactable* widget)
{
    GuiState* state = gui_state;
    InteractableSlider* slider = state->speed_slider;
    if (slider == nullptr)
        return;
    interactable_slider_set_position(slider, GUI_SPEED_SLIDER_DEFAULT);
    state->speed_slider_position = slider->position;
    state->speed_multiplier = 10.0 * slider->position;
    auto* button = dynamic_cast<InteractableText*>(widget);
    if (button == nullptr)
        button = state->speed_reset_button;
    if (button != nullptr)
        interactable_text_set_text_formatted(button, "x%.1lf", state->speed_multiplier);
}

// =============================================================================
// [SECTION] Report and exercises
// =============================================================================

void callback_load_report(Interactable* widget)
{
    if (const InteractableTextInput* input = as_input(widget))
        gui_load_report(input->text.c_str());
}

// Condition on. Selects the exercise of the firing toggle (0 for a toggle
// that is not in the list).
void callback_set_selected_exercise_number(Interactable* widget)
{
    if (!is_on(widget))
        return;
    const GuiState* state = gui_state;
    std::int32_t index = 0;
    const std::size_t count =
        std::min(state->exercise_toggles.size(), static_cast<std::size_t>(std::max(state->exercise_toggles_number, 0)));
    for (std::size_t i = 0; i < count; ++i) {
        if (state->exercise_toggles[i].get() == widget) {
            index = static_cast<std::int32_t>(i);
            break;
        }
    }
    gui_set_selected_exercise_number(index);
}

// Next and previous exercise; the selection wraps around. The toggles are
// left as they are.
void callback_increase_selected_exercise_number(Interactable*)
{
    if (gui_state->report != nullptr)
        gui_set_selected_exercise_number(gui_state->selected_exercise + 1);
}

void callback_decrease_selected_exercise_number(Interactable*)
{
    if (gui_state->report != nullptr)
        gui_set_selected_exercise_number(gui_state->selected_exercise - 1);
}

// =============================================================================
// [SECTION] Presets
// =============================================================================

void callback_load_preset_0(Interactable*) { gui_state_load_preset(0); }
void callback_load_preset_1(Interactable*) { gui_state_load_preset(1); }
void callback_load_preset_2(Interactable*) { gui_state_load_preset(2); }
void callback_load_preset_3(Interactable*) { gui_state_load_preset(3); }
void callback_load_preset_4(Interactable*) { gui_state_load_preset(4); }
void callback_load_preset_5(Interactable*) { gui_state_load_preset(5); }
void callback_load_preset_6(Interactable*) { gui_state_load_preset(6); }
void callback_save_custom_preset_1(Interactable*) { gui_state_save_custom_preset(1); }
void callback_save_custom_preset_2(Interactable*) { gui_state_save_custom_preset(2); }
void callback_save_custom_preset_3(Interactable*) { gui_state_save_custom_preset(3); }
void callback_load_custom_preset_1(Interactable*) { gui_state_load_custom_preset(1); }
void callback_load_custom_preset_2(Interactable*) { gui_state_load_custom_preset(2); }
void callback_load_custom_preset_3(Interactable*) { gui_state_load_custom_preset(3); }

// "Save" under the path field: the typed name with ".zlp" appended.
void callback_save_custom_preset_to_file(Interactable*)
{
    const std::string name = preset_path_file_name();
    GuiPreset preset{};
    gui_serialize(gui_state, &preset);
    std::string why;
    const bool ok = gui_serialization_save_to_file(&preset, name.c_str(), &why);
    gui_report_written(ok, "the preset", name, why, nullptr, "", "");
}

// "Load" under the path field; a file that cannot be read gives preset 0.
void callback_load_custom_preset_from_file(Interactable*)
{
    GuiState* state = gui_state;
    const std::string name = preset_path_file_name();
    GuiPreset preset{};
    if (gui_serialization_load_from_file(&preset, name.c_str()) == 0)
        gui_deserialize(state, &preset);
    else
        gui_deserialize(state, &state->presets[0]);
    gui_build_extrapolated_and_projected_jaw_vertices();
    gui_update_serializable_interactalbes();
    gui_automatic_fit_display_to_verts();
}

// =============================================================================
// [SECTION] Screenshot
// =============================================================================

void callback_take_screenshot(Interactable*)
{
    gui_take_screenshot();
}

void callback_toggle_screenshot_file_using_bmp(Interactable* widget)
{
    if (is_on(widget))
        gui_state->screenshot_file_type = 0;
}

void callback_toggle_screenshot_file_using_svg(Interactable* widget)
{
    if (is_on(widget))
        gui_state->screenshot_file_type = 1;
}

// The SVG background and the colour override (0 none, 1 black, 2 white) may
// not be the same colour: choosing a colour the other setting holds moves
// the other one to the opposite colour through its own toggles. The new
// value is stored first, so the chained callback finds nothing to move and
// the chain ends after one step.

void callback_toggle_screenshot_svg_background_none(Interactable* widget)
{
    if (is_on(widget))
        gui_state->screenshot_svg_background = 0;
}

void callback_toggle_screenshot_svg_background_black(Interactable* widget)
{
    GuiState* state = gui_state;
    if (!is_on(widget))
        return;
    state->screenshot_svg_background = 1;
    if (state->screenshot_svg_color_override == 1) {
        interactable_toggle_set_state(state->svg_color_black_toggle, 0, 0);
        interactable_toggle_set_state(state->svg_color_white_toggle, 1, 1);
    }
}

void callback_toggle_screenshot_svg_background_white(Interactable* widget)
{
    GuiState* state = gui_state;
    if (!is_on(widget))
        return;
    state->screenshot_svg_background = 2;
    if (state->screenshot_svg_color_override == 2) {
        interactable_toggle_set_state(state->svg_color_white_toggle, 0, 0);
        interactable_toggle_set_state(state->svg_color_black_toggle, 1, 1);
    }
}

void callback_toggle_screenshot_svg_color_override_none(Interactable* widget)
{
    if (is_on(widget))
        gui_state->screenshot_svg_color_override = 0;
}

void callback_toggle_screenshot_svg_color_override_black(Interactable* widget)
{
    GuiState* state = gui_state;
    if (!is_on(widget))
        return;
    state->screenshot_svg_color_override = 1;
    if (state->screenshot_svg_background == 1) {
        interactable_toggle_set_state(state->svg_background_black_toggle, 0, 0);
        interactable_toggle_set_state(state->svg_background_white_toggle, 1, 1);
    }
}

void callback_toggle_screenshot_svg_color_override_white(Interactable* widget)
{
    GuiState* state = gui_state;
    if (!is_on(widget))
        return;
    state->screenshot_svg_color_override = 2;
    if (state->screenshot_svg_background == 2) {
        interactable_toggle_set_state(state->svg_background_white_toggle, 0, 0);
        interactable_toggle_set_state(state->svg_background_black_toggle, 1, 1);
    }
}

// =============================================================================
// [SECTION] Measures
// =============================================================================

void callback_write_measures_csv(Interactable*)
{
    gui_write_measures_csv();
}

void callback_chart_seek(Interactable* widget)
{
    const auto* chart = dynamic_cast<const InteractableChart*>(widget);
    const std::int32_t n = gui_exercise_sample_count(gui_selected_exercise(gui_state));
    // A chart of another exercise than the one playing asks for nothing.
    if (chart == nullptr || n == 0 || chart->chart.exercise_samples != n || chart->seek_sample < 0)
        return;
    const auto k = static_cast<double>(chart->seek_sample);
    InteractableSlider* slider = gui_state->animation_slider;
    seek_and_pause(slider, k, n);
    // The knob goes there at once, as the slider's own drag puts it.
    if (slider != nullptr)
        interactable_slider_set_position(slider, n > 1 ? k / (n - 1) : 0.0);
}

void callback_chart_view(Interactable* widget)
{
    const auto* chart = dynamic_cast<const InteractableChart*>(widget);
    const std::int32_t n = gui_exercise_sample_count(gui_selected_exercise(gui_state));
    if (chart == nullptr || n == 0 || chart->chart.exercise_samples != n)
        return;
    gui_set_chart_range(gui_state, chart->view);
}

void callback_write_chart_svg(Interactable*)
{
    gui_write_chart_svg();
}

// A press on the tracing sheet goes to the sample drawn nearest to it and
// pauses, as the chart does.
void callback_tracing_seek(Interactable* widget)
{
    const auto* tracing = dynamic_cast<const InteractableTracing*>(widget);
    const std::int32_t n = gui_exercise_sample_count(gui_selected_exercise(gui_state));
    // A sheet of another exercise than the one playing asks for nothing.
    if (tracing == nullptr || n == 0 || tracing->sheet.exercise != gui_state->selected_exercise
        || tracing->seek_sample < 0 || tracing->seek_sample >= n)
        return;
    const auto k = static_cast<double>(tracing->seek_sample);
    InteractableSlider* slider = gui_state->animation_slider;
    seek_and_pause(slider, k, n);
    if (slider != nullptr)
        interactable_slider_set_position(slider, n > 1 ? k / (n - 1) : 0.0);
    gui_update_tracing_marks();
}

void callback_toggle_tracings(Interactable*)
{
    // The sheet and the comparison share the view: one at a time.
    GuiState* state = gui_state;
    if (state->tracings_toggle != nullptr && state->tracings_toggle->pressed == 1 && state->compare_toggle != nullptr)
        interactable_toggle_set_state(state->compare_toggle.get(), 0, 0);
    gui_show_tracings();
}

void callback_write_tracings_svg(Interactable*)
{
    gui_write_tracings_svg();
}

void callback_write_summary_pdf(Interactable*)
{
    gui_write_summary_pdf();
}

void callback_set_reference_recording(Interactable* widget)
{
    if (is_on(widget))
        gui_set_reference_plane({EmgReferencePlaneKind::recording, gui_state->reference_plane.tilt_deg});
}

void callback_set_reference_calibration(Interactable* widget)
{
    if (is_on(widget))
        gui_set_reference_plane({EmgReferencePlaneKind::calibration, gui_state->reference_plane.tilt_deg});
}

void callback_set_reference_tilt(Interactable* widget)
{
    auto* input = dynamic_cast<InteractableTextInput*>(widget);
    if (input == nullptr)
        return;
    // A tilt that is no number, or beyond a quarter turn, keeps the old one.
    EmgReferencePlane plane = gui_state->reference_plane;
    const std::string text = std::string(emg_reference_plane_name(plane.kind)) + "," + input->text;
    if (!emg_reference_plane_parse(text, &plane))
        plane = gui_state->reference_plane;
    gui_set_reference_plane(plane);
}

// Playback pauses at the sample where the clicked figure is reached, as a
// click on the chart does; a figure without one asks for nothing.
void callback_seek_clinical_figure(Interactable* widget)
{
    const auto& values = gui_state->clinical_values;
    const auto row = std::find(values.begin(), values.end(), widget);
    const std::int32_t n = gui_exercise_sample_count(gui_selected_exercise(gui_state));
    if (row == values.end() || n == 0)
        return;
    const std::int32_t k = gui_state->clinical_samples[static_cast<std::size_t>(row - values.begin())];
    if (k < 0 || k >= n)
        return;
    InteractableSlider* slider = gui_state->animation_slider;
    seek_and_pause(slider, k, n);
    if (slider != nullptr)
        interactable_slider_set_position(slider, n > 1 ? static_cast<double>(k) / (n - 1) : 0.0);
}
