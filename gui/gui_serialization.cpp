// Presets: the built-in records, copying between a record and the state,
// and applying a preset (the 104-byte files are in gui_preset_file.cpp).
//
// Index of this file:
// [SECTION] Built-in presets
// [SECTION] Record <-> state
// [SECTION] Applying presets
#include "gui/gui_serialization.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <memory>
#include <string>

#include "gui/gui.hpp"
#include "gui/gui_messages.hpp"

// =============================================================================
// [SECTION] Built-in presets
// =============================================================================

namespace {

// What the seven built-in presets have in common.
GuiPreset preset_base()
{
    GuiPreset p{};
    p.camera_x = 0.0;
    p.pitch = 0.0;
    p.roll = 0.0;
    p.pitch_locked = 1;
    p.perspective = 0;
    p.draw_lr_edge = 0;
    p.looping = 1;
    p.speed_slider_position = GUI_SPEED_SLIDER_DEFAULT;
    p.auto_display_fitting = 1;
    return p;
}

struct PresetColumn {
    double camera_y, camera_z, yaw;
    std::uint8_t l_vertex, i_vertex, r_vertex, li_edge, ri_edge, reference, axis, paused, all_verts, callibration;
    std::uint8_t extrapolation_l, extrapolation_i, extrapolation_r;
    double extrapolation_distance;
    std::int32_t x_amount, y_amount, z_amount;
    std::uint8_t spokes;
};

// Preset 0 is the default view; then, for the left condyle, the incisal
// point and the right condyle, a "dynamic" preset (playing, calibration and
// grid shown) and its "static" twin (paused, both hidden).
constexpr PresetColumn builtin_presets[GUI_BUILTIN_PRESET_COUNT] = {
    {0.0, -5.0, 180.0, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 10.0, 0, 0, 0, 0},
    {0.0, -20.0, 180.0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 0, 0, 10.0, 1, 1, 0, 1},
    {0.0, -20.0, 180.0, 1, 0, 0, 0, 0, 0, 0, 1, 1, 0, 1, 0, 0, 10.0, 1, 1, 0, 0},
    {75.0, -100.0, 270.0, 0, 1, 0, 0, 0, 0, 0, 0, 1, 1, 0, 1, 0, 50.0, 0, 1, 1, 1},
    {75.0, -100.0, 270.0, 0, 1, 0, 0, 0, 0, 0, 1, 1, 0, 0, 1, 0, 50.0, 0, 1, 1, 0},
    {0.0, -20.0, 0.0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 1, 0, 0, 1, 10.0, 1, 1, 0, 1},
    {0.0, -20.0, 0.0, 0, 0, 1, 0, 0, 0, 0, 1, 1, 0, 0, 0, 1, 10.0, 1, 1, 0, 0},
};

}  // namespace

void gui_serialization_set_default_presets(GuiState* state)
{
    for (int n = 0; n < GUI_BUILTIN_PRESET_COUNT; ++n) {
        const PresetColumn& c = builtin_presets[n];
        GuiPreset p = preset_base();
        p.camera_y = c.camera_y;
        p.camera_z = c.camera_z;
        p.yaw = c.yaw;
        p.draw_l_vertex = c.l_vertex;
        p.draw_i_vertex = c.i_vertex;
        p.draw_r_vertex = c.r_vertex;
        p.draw_li_edge = c.li_edge;
        p.draw_ri_edge = c.ri_edge;
        p.draw_reference = c.reference;
        p.draw_axis = c.axis;
        p.paused = c.paused;
        p.draw_all_exercise_verts = c.all_verts;
        p.draw_callibration = c.callibration;
        p.draw_extrapolation_l = c.extrapolation_l;
        p.draw_extrapolation_i = c.extrapolation_i;
        p.draw_extrapolation_r = c.extrapolation_r;
        p.extrapolation_distance = c.extrapolation_distance;
        p.extrapolation_x_amount = c.x_amount;
        p.extrapolation_y_amount = c.y_amount;
        p.extrapolation_z_amount = c.z_amount;
        p.draw_spokes = c.spokes;
        state->presets[n] = p;
    }
}

// =============================================================================
// [SECTION] Record <-> state
// =============================================================================

namespace {

// A number of a record that is not finite counts as no number: the setting
// keeps the value it has.
void take_finite(double* setting, double value)
{
    if (std::isfinite(value))
        *setting = value;
}

}  // namespace

void gui_serialize(const GuiState* state, GuiPreset* preset)
{
    *preset = GuiPreset{};
    if (const InteractableViewport3d* v = state->viewport) {
        preset->camera_x = v->camera_x;
        preset->camera_y = v->camera_y;
        preset->camera_z = v->camera_z;
        preset->pitch = v->pitch;
        preset->yaw = v->yaw;
        preset->roll = v->roll;
        preset->pitch_locked = v->pitch_locked != 0;
        preset->perspective = v->perspective != 0;
    }
    preset->draw_l_vertex = state->draw_l_vertex;
    preset->draw_i_vertex = state->draw_i_vertex;
    preset->draw_r_vertex = state->draw_r_vertex;
    preset->draw_li_edge = state->draw_li_edge;
    preset->draw_lr_edge = state->draw_lr_edge;
    preset->draw_ri_edge = state->draw_ri_edge;
    preset->draw_reference = state->draw_reference;
    preset->draw_axis = state->draw_axis;
    preset->paused = state->paused;
    preset->looping = state->looping;
    preset->speed_slider_position = state->speed_slider_position;
    preset->draw_all_exercise_verts = state->draw_all_exercise_verts;
    preset->auto_display_fitting = state->auto_display_fitting;
    preset->draw_callibration = state->draw_callibration;
    preset->draw_extrapolation_l = state->draw_extrapolation_l;
    preset->draw_extrapolation_i = state->draw_extrapolation_i;
    preset->draw_extrapolation_r = state->draw_extrapolation_r;
    preset->extrapolation_distance = state->extrapolation_distance;
    preset->extrapolation_x_amount = state->extrapolation_x_amount;
    preset->extrapolation_y_amount = state->extrapolation_y_amount;
    preset->extrapolation_z_amount = state->extrapolation_z_amount;
    preset->draw_spokes = state->draw_spokes;
}

// A record may come from a file, so it is applied with the rules of typed
// values: any non-zero byte is on, numbers that are not finite are skipped,
// the zoom is taken as the Z field takes it, a negative amount is 0, and
// grid amounts that would not fit are refused as a whole, as typed ones are
// (the amounts in force stay). A negative spacing is applied as read: it
// gives the same grid points, mirrored.
void gui_preset_camera(const GuiPreset* preset, CameraView* view)
{
    take_finite(&view->camera_x, preset->camera_x);
    take_finite(&view->camera_y, preset->camera_y);
    if (std::isfinite(preset->camera_z))
        view->camera_z = interactable_viewport3d_camera_z_from(preset->camera_z);
    take_finite(&view->pitch, preset->pitch);
    take_finite(&view->yaw, preset->yaw);
    take_finite(&view->roll, preset->roll);
    view->perspective = preset->perspective != 0;
}

void gui_deserialize(GuiState* state, const GuiPreset* preset)
{
    if (InteractableViewport3d* v = state->viewport) {
        CameraView view = interactable_viewport3d_camera_view(v);
        gui_preset_camera(preset, &view);
        v->camera_x = view.camera_x;
        v->camera_y = view.camera_y;
        v->camera_z = view.camera_z;
        v->pitch = view.pitch;
        v->yaw = view.yaw;
        v->roll = view.roll;
        v->pitch_locked = preset->pitch_locked != 0 ? 1 : 0;
        v->perspective = view.perspective ? 1 : 0;
    }
    state->draw_l_vertex = preset->draw_l_vertex != 0;
    state->draw_i_vertex = preset->draw_i_vertex != 0;
    state->draw_r_vertex = preset->draw_r_vertex != 0;
    state->draw_li_edge = preset->draw_li_edge != 0;
    state->draw_lr_edge = preset->draw_lr_edge != 0;
    state->draw_ri_edge = preset->draw_ri_edge != 0;
    state->draw_reference = preset->draw_reference != 0;
    state->draw_axis = preset->draw_axis != 0;
    state->paused = preset->paused != 0;
    state->looping = preset->looping != 0;
    take_finite(&state->speed_slider_position, preset->speed_slider_position);
    state->draw_all_exercise_verts = preset->draw_all_exercise_verts != 0;
    state->auto_display_fitting = preset->auto_display_fitting != 0;
    state->draw_callibration = preset->draw_callibration != 0;
    state->draw_extrapolation_l = preset->draw_extrapolation_l != 0;
    state->draw_extrapolation_i = preset->draw_extrapolation_i != 0;
    state->draw_extrapolation_r = preset->draw_extrapolation_r != 0;
    take_finite(&state->extrapolation_distance, preset->extrapolation_distance);
    gui_set_extrapolation_amounts(state, std::max(preset->extrapolation_x_amount, 0),
                                  std::max(preset->extrapolation_y_amount, 0),
                                  std::max(preset->extrapolation_z_amount, 0));
    state->draw_spokes = preset->draw_spokes != 0;
}

// =============================================================================
// [SECTION] Applying presets
// =============================================================================

namespace {

// The one sequence every preset goes through: the settings, the grid copies
// of the paths for them, the widgets (whose callbacks also refit), then a
// last fit when the preset asks for fitting.
void apply_preset(const GuiPreset* preset)
{
    GuiState* state = gui_state;
    gui_deserialize(state, preset);
    gui_build_extrapolated_and_projected_jaw_vertices_select(0);
    gui_update_serializable_interactalbes();
    if (state->auto_display_fitting)
        gui_fit_display_to_verts();
}

std::string custom_preset_file_name(int n)
{
    return string_format("preset%d.zlp", n);
}

}  // namespace

void gui_state_apply_preset(const GuiPreset* preset)
{
    const GuiPreset copy = *preset;
    apply_preset(&copy);
}

void gui_state_load_preset(int n)
{
    if (n < 0 || n >= GUI_BUILTIN_PRESET_COUNT)
        return;
    // A copy: applying must not read from the record it is changing.
    const GuiPreset preset = gui_state->presets[n];
    apply_preset(&preset);
}

void gui_state_save_custom_preset(int n)
{
    const std::string name = custom_preset_file_name(n);
    GuiPreset preset{};
    gui_serialize(gui_state, &preset);
    std::string why;
    const bool ok = gui_serialization_save_to_file(&preset, name.c_str(), &why);
    gui_report_written(ok, "the preset", name, why, nullptr, "", "");
}

void gui_state_load_custom_preset(int n)
{
    const std::string name = custom_preset_file_name(n);
    GuiPreset preset{};
    if (gui_serialization_load_from_file(&preset, name.c_str()) == 0) {
        apply_preset(&preset);
    } else {
        const GuiPreset fallback = gui_state->presets[0];
        apply_preset(&fallback);
    }
}
