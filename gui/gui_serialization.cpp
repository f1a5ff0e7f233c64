#include "gui/gui_serialization.hpp"

#include "gui/gui.hpp"

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
