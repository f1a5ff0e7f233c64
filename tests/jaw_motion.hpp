// Synthetic jaw motion for tests and benchmarks, and a GUI state filled with
// it as report loading fills one. The mandible opens and closes in `cycles`
// smooth cycles, turning about the intercondylar axis (x) by up to
// `max_opening_degrees` while the condyles glide forward by up to `max_glide_mm`.
#pragma once

#include <cmath>
#include <cstdint>
#include <memory>
#include <numbers>
#include <utility>
#include <vector>

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

inline std::vector<EmgDataPoint> samples(const Motion& motion)
{
    std::vector<EmgDataPoint> data(static_cast<std::size_t>(motion.samples));
    for (int k = 0; k < motion.samples; ++k) {
        // The opening (0 closed, 1 fully open): a raised cosine per cycle.
        const double o = 0.5 * (1.0 - std::cos(2.0 * std::numbers::pi * motion.cycles * k / motion.samples));
        const double angle = o * motion.max_opening_degrees * std::numbers::pi / 180.0;
        EmgDataPoint& p = data[static_cast<std::size_t>(k)];
        p = EmgDataPoint{};
        p.left = moved(rest_left, angle, o * motion.max_glide_mm, motion.scale);
        p.incisal = moved(rest_incisal, angle, o * motion.max_glide_mm, motion.scale);
        p.right = moved(rest_right, angle, o * motion.max_glide_mm, motion.scale);
        p.open = o * motion.max_opening_degrees;
    }
    return data;
}

// The samples where the jaw turns: widest open, then closed again, per cycle.
inline std::vector<std::int32_t> turning_samples(const Motion& motion)
{
    std::vector<std::int32_t> turns;
    for (int c = 0; c < motion.cycles; ++c)
        for (double at : {c + 0.5, c + 1.0})
            if (const auto k = static_cast<std::int32_t>(at * motion.samples / motion.cycles); k < motion.samples)
                turns.push_back(k);
    return turns;
}

// Gives the state (with its viewport) a report of one exercise of `data`, the
// paths and grid copies the pipeline builds from it, and the switches.
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
    exercise.length = static_cast<double>(data.size()) / report->frequency;
    report->exercises.push_back(std::move(exercise));
    report->exercises_number = 1;
    state->report = std::move(report);
    state->selected_exercise = 0;

    GuiState* const previous = std::exchange(gui_state, state);
    gui_build_seperate_jaw_vertices();
    gui_build_extrapolated_and_projected_jaw_vertices();
    gui_state = previous;
    state->open_close_movements = switches;
    state->open_close_movements_number = static_cast<std::int32_t>(switches.size());
}

// Applies the settings of a built-in preset but its camera: the drawing
// switches and the grid.
inline void apply_preset_switches(GuiState* state, const GuiPreset& p)
{
    InteractableViewport3d* const viewport = std::exchange(state->viewport, nullptr);
    gui_deserialize(state, &p);  // without a viewport the camera stays
    state->viewport = viewport;
}

}  // namespace jaw_motion
