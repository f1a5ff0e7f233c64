#include "app/summary_views.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <tuple>

#include "app/screenshot_svg.hpp"
#include "gui/gui.hpp"
#include "gui/gui_report_access.hpp"
#include "report/emg_measures.hpp"

namespace {

// The sample a view shows: the exercise's farthest point of the movement its
// type names, the largest vertical opening for the others.
struct Shown {
    std::int32_t sample;
    const char* what;
};

Shown farthest(const EmgMeasures& m, std::int32_t samples)
{
    auto pick = [&](const std::optional<std::int32_t>& sample, const char* what) -> std::optional<Shown> {
        if (sample && *sample >= 0 && *sample < samples)
            return Shown{*sample, what};
        return std::nullopt;
    };
    std::optional<Shown> shown;
    switch (m.clinical.type) {
    case EmgExerciseType::protrusion:
        shown = pick(m.max_protrusion_sample, "farthest protrusion");
        break;
    case EmgExerciseType::laterotrusion_right:
        shown = pick(m.max_laterotrusion_right_sample, "farthest laterotrusion to the right");
        break;
    case EmgExerciseType::laterotrusion_left:
        shown = pick(m.max_laterotrusion_left_sample, "farthest laterotrusion to the left");
        break;
    default:
        break;
    }
    if (!shown)
        shown = pick(m.max_vertical_opening_sample, "largest vertical opening");
    return shown ? *shown : Shown{samples - 1, "last sample"};
}

PictureColor picture_color(const Color& c)
{
    return {c.r, c.g, c.b};
}

}  // namespace

std::vector<SummaryLegendEntry> summary_views_legend()
{
    return {{"Cond. Left", picture_color(c_red)},       {"Incisal", picture_color(c_blue)},
            {"Cond. Right", picture_color(c_green)},    {"Left-Incisal", picture_color(c_magenta)},
            {"Left-Right", picture_color(c_yellow)},    {"Right-Incisal", picture_color(c_cyan)}};
}

std::vector<SummaryJawViews> summary_views_draw(GuiState* state, int size)
{
    std::vector<SummaryJawViews> views;
    if (state == nullptr || state->report == nullptr || state->viewport == nullptr)
        return views;
    InteractableViewport3d& v = *state->viewport;
    const auto camera = std::tuple(v.camera_x, v.camera_y, v.camera_z, v.pitch, v.yaw, v.roll);
    const auto settings = std::tuple(state->screenshot_svg_background, state->screenshot_svg_color_override,
                                     state->screenshot_svg_scale, state->draw_reference, state->draw_axis);
    const std::int32_t selected = state->selected_exercise;
    const double position = state->animation_position;
    // The jaw alone: its three points, the lines between them and their
    // whole paths, no grid; on white, in the scene's own colours (the white
    // cube and axes would not show).
    auto shown = [](GuiState* s) {
        return std::tie(s->draw_l_vertex, s->draw_i_vertex, s->draw_r_vertex, s->draw_li_edge, s->draw_lr_edge,
                        s->draw_ri_edge, s->draw_all_exercise_verts, s->draw_spokes, s->draw_extrapolation_l,
                        s->draw_extrapolation_i, s->draw_extrapolation_r);
    };
    using Switches = std::tuple<bool, bool, bool, bool, bool, bool, bool, bool, bool, bool, bool>;
    const Switches drawn = shown(state);
    shown(state) = std::tuple(true, true, true, true, true, true, true, false, false, false, false);
    std::tie(state->screenshot_svg_background, state->screenshot_svg_color_override, state->screenshot_svg_scale,
             state->draw_reference, state->draw_axis) = std::tuple(2, 0, 100.0, false, false);

    const EmgReport& report = *state->report;
    const std::int32_t count = gui_report_exercise_count(&report);
    for (std::int32_t k = 0; k < count; ++k) {
        gui_set_selected_exercise_number(k);
        const EmgExercise& exercise = report.exercises[static_cast<std::size_t>(k)];
        const std::int32_t samples = gui_exercise_sample_count(&exercise);
        SummaryJawViews view;
        if (samples > 0) {
            const EmgMeasures m = emg_measures_of_exercise(&report, &exercise, state->reference_plane);
            const Shown shown = farthest(m, samples);
            state->animation_position = shown.sample;
            view.when = "sample " + std::to_string(shown.sample + 1) + " of " + std::to_string(samples);
            if (report.frequency > 0)
                view.when += ", " + emg_measures_format(shown.sample / report.frequency, 2) + " s";
            view.when += std::string(": ") + shown.what;
            // The "Frontal" and "Sagittal from the right" views, fitted.
            for (const auto& [yaw, out] : {std::pair{270.0, &view.front}, std::pair{0.0, &view.side}}) {
                std::tie(v.pitch, v.yaw, v.roll) = std::tuple(0.0, yaw, 0.0);
                gui_fit_display_to_verts();
                gui_build_projected_jaw_vertices();
                *out = screenshot_svg_picture(*state, size);
            }
        }
        views.push_back(std::move(view));
    }

    shown(state) = drawn;
    gui_set_selected_exercise_number(selected);
    state->animation_position = position;
    std::tie(v.camera_x, v.camera_y, v.camera_z, v.pitch, v.yaw, v.roll) = camera;
    std::tie(state->screenshot_svg_background, state->screenshot_svg_color_override, state->screenshot_svg_scale,
             state->draw_reference, state->draw_axis) = settings;
    gui_build_projected_jaw_vertices();
    return views;
}
