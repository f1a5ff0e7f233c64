// Synthetic jaw motion for tests and benchmarks, and a GUI state filled with
// it the way report loading and the jaw vertex pipeline fill one: the report
// with one exercise, the three separated paths, the extrapolated lattice
// copies of each path and the opening / closing switch indices.
//
// The motion: the mandible opens and closes in `cycles` smooth cycles, each
// a rigid rotation about the intercondylar axis (the x axis through both
// condyles) by up to `max_opening_degrees`, combined with a forward and
// slightly downward glide of the condyles of up to `max_glide_mm`.
#pragma once

#include <cmath>
#include <cstdint>
#include <memory>
#include <numbers>
#include <vector>

#include "geometry/lattice.hpp"
#include "gui/gui.hpp"
#include "report/emg_processing.hpp"

namespace jaw_motion {

struct Motion {
    int samples = 300;
    int cycles = 2;
    double max_opening_degrees = 25.0;
    double max_glide_mm = 8.0;
    double scale = 1.0;  // all coordinates multiplied by this
};

// Rest positions in mm: x across (left condyle at +x), y up, z forward.
inline constexpr Vector3 rest_left{50.0, 0.0, 0.0};
inline constexpr Vector3 rest_incisal{0.0, -30.0, 80.0};
inline constexpr Vector3 rest_right{-50.0, 0.0, 0.0};

inline Vector3 moved(const Vector3& rest, double angle, double glide, double scale)
{
    const double c = std::cos(angle), s = std::sin(angle);
    // Opening turns the front of the jaw down and back about the x axis.
    const Vector3 turned{rest.x, rest.y * c - rest.z * s, rest.y * s + rest.z * c};
    return {turned.x * scale, (turned.y - 0.3 * glide) * scale, (turned.z + glide) * scale};
}

// The opening (0 closed, 1 fully open) at sample k: a raised cosine per cycle.
inline double opening(const Motion& motion, int k)
{
    const double t = static_cast<double>(k) / motion.samples;
    return 0.5 * (1.0 - std::cos(2.0 * std::numbers::pi * motion.cycles * t));
}

inline std::vector<EmgDataPoint> samples(const Motion& motion)
{
    std::vector<EmgDataPoint> data(static_cast<std::size_t>(motion.samples));
    for (int k = 0; k < motion.samples; ++k) {
        const double o = opening(motion, k);
        const double angle = o * motion.max_opening_degrees * std::numbers::pi / 180.0;
        const double glide = o * motion.max_glide_mm;
        EmgDataPoint& p = data[static_cast<std::size_t>(k)];
        p = EmgDataPoint{};
        p.left = moved(rest_left, angle, glide, motion.scale);
        p.incisal = moved(rest_incisal, angle, glide, motion.scale);
        p.right = moved(rest_right, angle, glide, motion.scale);
        p.open = o * motion.max_opening_degrees;
    }
    return data;
}

// The samples where the jaw turns: widest open, then closed again, per cycle.
inline std::vector<std::int32_t> turning_samples(const Motion& motion)
{
    std::vector<std::int32_t> turns;
    for (int c = 0; c < motion.cycles; ++c) {
        const auto open = static_cast<std::int32_t>((c + 0.5) * motion.samples / motion.cycles);
        const auto closed = static_cast<std::int32_t>((c + 1.0) * motion.samples / motion.cycles);
        if (open < motion.samples)
            turns.push_back(open);
        if (closed < motion.samples)
            turns.push_back(closed);
    }
    return turns;
}

// The extrapolated copies of the three paths for the state's amounts and
// spacing: copy k holds, for every sample, the point at lattice offset k
// from the tracked point, the offsets measured along the world axes as they
// lay in the jaw frame of sample 0 and carried along with the jaw.
inline void build_extrapolations(GuiState* state)
{
    const std::int32_t x = state->extrapolation_x_amount, y = state->extrapolation_y_amount,
                       z = state->extrapolation_z_amount;
    const auto copies = static_cast<std::size_t>(lattice_node_count(x, y, z));
    const auto n = static_cast<std::size_t>(state->verts_number);
    std::vector<std::vector<Vector3>>* outs[3] = {&state->l_extrapolated_verts, &state->i_extrapolated_verts,
                                                  &state->r_extrapolated_verts};
    const std::vector<Vector3>* paths[3] = {&state->l_verts, &state->i_verts, &state->r_verts};
    for (auto* out : outs)
        out->assign(copies, std::vector<Vector3>(n));
    state->extrapolations_number = static_cast<std::int32_t>(copies);
    state->extrapolated_verts_number = static_cast<std::int32_t>(n);
    if (n == 0)
        return;
    const Matrix3 reference = lattice_jaw_basis(state->l_verts[0], state->i_verts[0], state->r_verts[0]);
    std::vector<Vector3> nodes;
    for (std::size_t s = 0; s < n; ++s) {
        Vector3 directions[3];
        lattice_directions(directions, reference,
                           lattice_jaw_basis(state->l_verts[s], state->i_verts[s], state->r_verts[s]));
        for (int p = 0; p < 3; ++p) {
            lattice_nodes(&nodes, (*paths[p])[s], directions, state->extrapolation_distance, x, y, z);
            for (std::size_t k = 0; k < copies; ++k)
                (*outs[p])[k][s] = nodes[k];
        }
    }
}

// Gives the state a report with one exercise of `data` (calibration at the
// rest positions times `scale`), separates the paths, builds the
// extrapolated copies for the current amounts and stores the switches.
inline void load(GuiState* state, const std::vector<EmgDataPoint>& data, const std::vector<std::int32_t>& switches,
                 double scale = 1.0)
{
    auto report = std::make_unique<EmgReport>();
    report->frequency = 100.0;
    report->calibration_left = {rest_left.x * scale, rest_left.y * scale, rest_left.z * scale};
    report->calibration_incisal = {rest_incisal.x * scale, rest_incisal.y * scale, rest_incisal.z * scale};
    report->calibration_right = {rest_right.x * scale, rest_right.y * scale, rest_right.z * scale};
    EmgExercise exercise;
    exercise.name = "Synthetic opening";
    exercise.data = data;
    exercise.data_length = static_cast<std::int32_t>(data.size());
    exercise.length = static_cast<double>(data.size()) / report->frequency;
    report->exercises.push_back(std::move(exercise));
    report->exercises_number = 1;
    state->report = std::move(report);
    state->selected_exercise = 0;

    state->l_verts.clear();
    state->i_verts.clear();
    state->r_verts.clear();
    for (const EmgDataPoint& p : data) {
        state->l_verts.push_back(p.left);
        state->i_verts.push_back(p.incisal);
        state->r_verts.push_back(p.right);
    }
    state->verts_number = static_cast<std::int32_t>(data.size());
    build_extrapolations(state);
    state->open_close_movements = switches;
    state->open_close_movements_number = static_cast<std::int32_t>(switches.size());
}

// Applies the settings of a built-in preset that matter for a drawing (the
// camera is left alone).
inline void apply_preset_switches(GuiState* state, const GuiPreset& p)
{
    state->draw_l_vertex = p.draw_l_vertex;
    state->draw_i_vertex = p.draw_i_vertex;
    state->draw_r_vertex = p.draw_r_vertex;
    state->draw_li_edge = p.draw_li_edge;
    state->draw_lr_edge = p.draw_lr_edge;
    state->draw_ri_edge = p.draw_ri_edge;
    state->draw_reference = p.draw_reference;
    state->draw_axis = p.draw_axis;
    state->draw_all_exercise_verts = p.draw_all_exercise_verts;
    state->draw_callibration = p.draw_callibration;
    state->draw_extrapolation_l = p.draw_extrapolation_l;
    state->draw_extrapolation_i = p.draw_extrapolation_i;
    state->draw_extrapolation_r = p.draw_extrapolation_r;
    state->extrapolation_distance = p.extrapolation_distance;
    state->extrapolation_x_amount = p.extrapolation_x_amount;
    state->extrapolation_y_amount = p.extrapolation_y_amount;
    state->extrapolation_z_amount = p.extrapolation_z_amount;
    state->draw_spokes = p.draw_spokes;
}

}  // namespace jaw_motion
