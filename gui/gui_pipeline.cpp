// The jaw vertex pipeline: from the selected exercise to the vertex arrays
// that the scene draws, the inspection picks from and the SVG export
// writes, and the fitting of the camera to what is shown.
//
//   1. separation:    the three tracked points of every sample -> l/i/r_verts
//   2. extrapolation: the lattice directions of every sample, from which
//                     the grid copies of the three paths, moving with the
//                     jaw, are computed when asked for
//   3. projection:    the camera of the view, with which the position of any
//                     path point is computed when asked for
//   4. fitting:       the orthographic camera centred and zoomed on what is on
//
// Who calls what: a camera change re-projects (3); a grid change rebuilds
// (2, 3) and refits when automatic fitting is on; a drawing switch refits;
// a new exercise or report separates and rebuilds (1, 2, 3) and refits.
// The copies and the projected positions are not stored: an hour-long
// recording with a grid would hold hundreds of megabytes of them, and a
// projection would cost a pass over all of them at the end of every drag.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "geometry/basic_models.hpp"
#include "geometry/camera.hpp"
#include "geometry/lattice.hpp"
#include "gui/gui.hpp"
#include "gui/gui_load_preparation.hpp"
#include "gui/gui_report_access.hpp"

namespace {

// Projects p; a point that cannot be projected gets NaN coordinates, so it
// never bounds the view and is never picked.
Vector3 project(const Matrix4& m, const Vector3& p)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    Vector3 out{nan, nan, nan};
    camera_project(&out, m, p);
    return out;
}

// Whether the lattice directions were built for the selected exercise and
// the current amounts and spacing, so that a projection-only call may use
// them.
bool extrapolation_is_current(const GuiState* s, std::int64_t node_count, std::int32_t samples)
{
    return s->extrapolations_number == node_count && s->extrapolated_verts_number == samples
        && s->lattice_directions.size() == static_cast<std::size_t>(samples)
        && s->extrapolated_amounts[0] == s->extrapolation_x_amount
        && s->extrapolated_amounts[1] == s->extrapolation_y_amount
        && s->extrapolated_amounts[2] == s->extrapolation_z_amount
        && s->extrapolated_distance == s->extrapolation_distance;
}

// The copies themselves are computed when asked for; what they need is the
// lattice directions of every sample: the world axes as they lay in the jaw
// frame of the first sample whose points are all finite (sample 0 in a
// whole recording), turned with the jaw. A sample with a missing point has
// NaN directions, so its copies leave a gap.
void extrapolate(GuiState* s, std::int32_t node_count, std::int32_t samples)
{
    ++s->paths_generation;
    s->extrapolations_number = node_count;
    s->extrapolated_verts_number = samples;
    s->extrapolated_amounts[0] = s->extrapolation_x_amount;
    s->extrapolated_amounts[1] = s->extrapolation_y_amount;
    s->extrapolated_amounts[2] = s->extrapolation_z_amount;
    s->extrapolated_distance = s->extrapolation_distance;
    // The loading worker may have worked them out already for these paths.
    if (gui_load_preparation_take_directions(s, samples))
        return;
    s->lattice_directions.assign(static_cast<std::size_t>(std::max(samples, 0)), {});
    if (samples < 1)
        return;
    const std::size_t first = lattice_reference_sample(s->l_verts.data(), s->i_verts.data(), s->r_verts.data(),
                                                       static_cast<std::size_t>(samples));
    const std::size_t r = first < static_cast<std::size_t>(samples) ? first : 0;
    const Matrix3 reference = lattice_jaw_basis(s->l_verts[r], s->i_verts[r], s->r_verts[r]);
    for (std::int32_t t = 0; t < samples; ++t) {
        const Matrix3 basis = lattice_jaw_basis(s->l_verts[t], s->i_verts[t], s->r_verts[t]);
        lattice_directions(s->lattice_directions[static_cast<std::size_t>(t)].data(), reference, basis);
    }
}

void project_all(GuiState* s)
{
    ++s->projection_generation;
    s->projection_camera = camera_model_view_matrix(interactable_viewport3d_camera_view(s->viewport));
}

// The offsets of a copy in the lattice of the last rebuild.
void copy_offsets(const GuiState* s, std::int32_t copy, std::int32_t offsets[3])
{
    lattice_node_offsets(copy, s->extrapolated_amounts[0], s->extrapolated_amounts[1], s->extrapolated_amounts[2],
                         &offsets[0], &offsets[1], &offsets[2]);
}

// The central copy is the path itself, also where the sample has no frame.
Vector3 moved(const Vector3& point, const std::array<Vector3, 3>& directions, const std::int32_t offsets[3],
              double distance)
{
    Vector3 p = point;
    if (offsets[0] == 0 && offsets[1] == 0 && offsets[2] == 0)
        return p;
    for (int j = 0; j < 3; ++j) {
        Vector3 step;
        algebra_vector_scalar_mul(&step, &directions[static_cast<std::size_t>(j)], offsets[j] * distance);
        algebra_vector_vector_add(&p, &p, &step);
    }
    return p;
}

bool copy_exists(const GuiState* s, std::int32_t copy)
{
    return copy >= 0 && copy < gui_extrapolated_copy_count(s);
}

void widen_bounds(double bounds[4], const Vector3* points, std::size_t count, const Matrix4& m)
{
    for (std::size_t i = 0; i < count; ++i) {
        Vector3 p;
        if (!camera_project(&p, m, points[i]))
            continue;
        if (p.x < bounds[0])
            bounds[0] = p.x;
        if (p.y < bounds[1])
            bounds[1] = p.y;
        if (p.x > bounds[2])
            bounds[2] = p.x;
        if (p.y > bounds[3])
            bounds[3] = p.y;
    }
}

}  // namespace

const EmgExercise* gui_selected_exercise(const GuiState* state)
{
    if (state->report == nullptr || state->selected_exercise < 0
        || state->selected_exercise >= state->report->exercises_number
        || static_cast<std::size_t>(state->selected_exercise) >= state->report->exercises.size())
        return nullptr;
    return &state->report->exercises[static_cast<std::size_t>(state->selected_exercise)];
}

std::int32_t gui_extrapolated_copy_count(const GuiState* s)
{
    const std::int64_t made =
        lattice_node_count(s->extrapolated_amounts[0], s->extrapolated_amounts[1], s->extrapolated_amounts[2]);
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(std::min<std::int64_t>(made, s->extrapolations_number), 0,
                                                              INT32_MAX));
}

const std::vector<Vector3>& gui_path(const GuiState* state, int kind)
{
    return kind == GUI_KIND_INCISAL ? state->i_verts : kind == GUI_KIND_RIGHT ? state->r_verts : state->l_verts;
}

Vector3 gui_extrapolated_vertex(const GuiState* s, int kind, std::int32_t copy, std::int32_t sample)
{
    const std::vector<Vector3>& path = gui_path(s, kind);
    if (!copy_exists(s, copy) || sample < 0 || sample >= s->extrapolated_verts_number
        || static_cast<std::size_t>(sample) >= path.size()
        || static_cast<std::size_t>(sample) >= s->lattice_directions.size()) {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        return {nan, nan, nan};
    }
    std::int32_t offsets[3];
    copy_offsets(s, copy, offsets);
    return moved(path[static_cast<std::size_t>(sample)], s->lattice_directions[static_cast<std::size_t>(sample)],
                 offsets, s->extrapolated_distance);
}

void gui_extrapolated_path(const GuiState* s, int kind, std::int32_t copy, std::vector<Vector3>* out)
{
    const std::vector<Vector3>& path = gui_path(s, kind);
    const std::size_t n = std::min({static_cast<std::size_t>(std::max(s->extrapolated_verts_number, 0)), path.size(),
                                    s->lattice_directions.size()});
    out->resize(copy_exists(s, copy) ? n : 0);
    if (out->empty())
        return;
    std::int32_t offsets[3];
    copy_offsets(s, copy, offsets);
    for (std::size_t t = 0; t < n; ++t)
        (*out)[t] = moved(path[t], s->lattice_directions[t], offsets, s->extrapolated_distance);
}

Vector3 gui_projected_vertex(const GuiState* s, int kind, std::int32_t copy, std::int32_t sample)
{
    Vector3 out;
    gui_projected_vertices(s, kind, copy, sample, 1, &out);
    return out;
}

void gui_projected_vertices(const GuiState* s, int kind, std::int32_t copy, std::int32_t first, std::int32_t count,
                            Vector3* out)
{
    if (copy < 0)  // the path: its central copy
        copy = lattice_node_index(0, 0, 0, s->extrapolated_amounts[0], s->extrapolated_amounts[1],
                                  s->extrapolated_amounts[2]);
    const std::vector<Vector3>& path = gui_path(s, kind);
    const std::int64_t made = std::min<std::int64_t>(
        {s->extrapolated_verts_number, static_cast<std::int64_t>(path.size()),
         static_cast<std::int64_t>(s->lattice_directions.size())});
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::int32_t offsets[3] = {0, 0, 0};
    const bool exists = copy_exists(s, copy);
    if (exists)
        copy_offsets(s, copy, offsets);
    for (std::int32_t k = 0; k < count; ++k) {
        const std::int64_t t = static_cast<std::int64_t>(first) + k;
        out[k] = exists && t >= 0 && t < made
                   ? project(s->projection_camera, moved(path[static_cast<std::size_t>(t)],
                                                         s->lattice_directions[static_cast<std::size_t>(t)], offsets,
                                                         s->extrapolated_distance))
                   : Vector3{nan, nan, nan};
    }
}

void gui_build_seperate_jaw_vertices()
{
    GuiState* s = gui_state;
    // The loading worker may have copied them already.
    if (!gui_load_preparation_take_paths(s))
        gui_separate_paths(s);
}

void gui_separate_paths(GuiState* s)
{
    const EmgExercise* exercise = gui_selected_exercise(s);
    if (exercise == nullptr)
        return;
    const std::size_t n = exercise->data.size();
    ++s->paths_generation;
    s->l_verts.resize(n);
    s->i_verts.resize(n);
    s->r_verts.resize(n);
    for (std::size_t t = 0; t < n; ++t) {
        s->l_verts[t] = exercise->data[t].left;
        s->i_verts[t] = exercise->data[t].incisal;
        s->r_verts[t] = exercise->data[t].right;
    }
    s->verts_number = static_cast<std::int32_t>(n);
}

namespace {

struct GridNeed {
    std::int64_t nodes;
    double bytes;
    std::int64_t limit;
    bool fits() const { return nodes >= 0 && nodes <= INT32_MAX && bytes <= static_cast<double>(limit); }
};

GridNeed grid_need(std::int64_t x, std::int64_t y, std::int64_t z, const GuiState* state)
{
    const std::int64_t nodes = lattice_node_count(x, y, z);
    const EmgExercise* exercise = state != nullptr ? gui_selected_exercise(state) : nullptr;
    const double samples = exercise != nullptr ? static_cast<double>(exercise->data.size()) : 0.0;
    const std::int64_t limit = state != nullptr ? state->extrapolation_memory_limit : gui_machine_grid_memory_limit();
    // Three paths, each with its copies and their projections, plus the
    // lattices the scene builds around the six points of every frame.
    const double bytes = static_cast<double>(nodes) * (6.0 * std::max(samples, 1.0) + 6.0) * sizeof(Vector3);
    return {nodes, bytes, limit};
}

}  // namespace

bool gui_extrapolation_amounts_within_limit(std::int64_t x, std::int64_t y, std::int64_t z, const GuiState* state)
{
    return grid_need(x, y, z, state).fits();
}

bool gui_extrapolation_amounts_fit(std::int64_t x, std::int64_t y, std::int64_t z, const GuiState* state)
{
    const GridNeed need = grid_need(x, y, z, state);
    const std::int64_t nodes = need.nodes, limit = need.limit;
    const double bytes = need.bytes;
    if (need.fits())
        return true;
    std::printf("WARNING: Grid amounts %lld, %lld, %lld are too large: the grid would need %.0lf MiB, more than "
                "%lld MiB.\n",
                static_cast<long long>(x), static_cast<long long>(y), static_cast<long long>(z),
                nodes < 0 ? std::numeric_limits<double>::infinity() : bytes / (1 << 20),
                static_cast<long long>(limit >> 20));
    return false;
}

void gui_build_extrapolated_and_projected_jaw_vertices_select(std::uint8_t project_only)
{
    GuiState* s = gui_state;
    const EmgExercise* exercise = gui_selected_exercise(s);
    if (exercise == nullptr || s->viewport == nullptr)
        return;
    // The paths must belong to the selected exercise before anything is
    // derived from them.
    if (s->verts_number != gui_exercise_sample_count(exercise) || s->l_verts.size() != exercise->data.size())
        gui_build_seperate_jaw_vertices();
    const std::int32_t samples = s->verts_number;

    // A grid that grew too large for this exercise (amounts that fitted a
    // shorter one) falls back to no grid.
    if (!gui_extrapolation_amounts_fit(s->extrapolation_x_amount, s->extrapolation_y_amount,
                                       s->extrapolation_z_amount)) {
        std::printf("Using no grid (amounts 0, 0, 0) instead.\n");
        s->extrapolation_x_amount = s->extrapolation_y_amount = s->extrapolation_z_amount = 0;
        for (InteractableTextInput* field : {s->extrapolation_x_input, s->extrapolation_y_input,
                                             s->extrapolation_z_input})
            if (field != nullptr)
                interactable_text_input_set_text_formatted_and_deactivate(field, "%d", 0);
        project_only = 0;
    }
    const std::int32_t nodes = static_cast<std::int32_t>(
        lattice_node_count(s->extrapolation_x_amount, s->extrapolation_y_amount, s->extrapolation_z_amount));

    // Projecting alone needs copies built for this exercise and these
    // amounts; without them, rebuild.
    if (!project_only || !extrapolation_is_current(s, nodes, samples))
        extrapolate(s, nodes, samples);
    project_all(s);
}

void gui_extrapolate_paths(GuiState* s)
{
    extrapolate(s,
                static_cast<std::int32_t>(lattice_node_count(s->extrapolation_x_amount, s->extrapolation_y_amount,
                                                             s->extrapolation_z_amount)),
                s->verts_number);
}

void gui_build_extrapolated_and_projected_jaw_vertices()
{
    gui_build_extrapolated_and_projected_jaw_vertices_select(0);
}

void gui_build_projected_jaw_vertices()
{
    gui_build_extrapolated_and_projected_jaw_vertices_select(1);
}

void gui_get_model_poject_viewport_data(double model_view[16], double projection[16], int viewport_rect[4],
                                        const InteractableViewport3d* viewport)
{
    interactable_viewport3d_gl_matrices(viewport, model_view, projection, viewport_rect);
}

void gui_get_projected_min_max(double* min_x, double* min_y, double* max_x, double* max_y, const Vector3* points,
                               int count, const InteractableViewport3d* viewport)
{
    double bounds[4] = {*min_x, *min_y, *max_x, *max_y};
    widen_bounds(bounds, points, static_cast<std::size_t>(std::max(count, 0)),
                 camera_model_view_matrix(interactable_viewport3d_camera_view(viewport)));
    *min_x = bounds[0];
    *min_y = bounds[1];
    *max_x = bounds[2];
    *max_y = bounds[3];
}

GuiFitOutcome gui_fit_view(const GuiState* s, const CameraView& view)
{
    GuiFitOutcome out{view, view, false, false};
    // Measured through a camera that is not mirrored: a zoom divisor nearer
    // than the limit (0 in an old state) would leave the zoom scale out.
    const double bounded = interactable_viewport3d_bounded_camera_z(view.camera_z);
    out.z_bounded = bounded != view.camera_z;
    out.to.camera_z = bounded;
    const Matrix4 m = camera_model_view_matrix(out.to);

    const double inf = std::numeric_limits<double>::infinity();
    double bounds[4] = {inf, inf, -inf, -inf};  // min x, min y, max x, max y
    if (s->draw_reference)
        widen_bounds(bounds, unit_cube_verts, static_cast<std::size_t>(unit_cube_verts_number), m);
    if (s->draw_axis)
        widen_bounds(bounds, unit_axis_verts, static_cast<std::size_t>(unit_axis_verts_number), m);
    // The paths count only while a report is loaded: after a failed load the
    // arrays of the previous report are still there but no longer shown.
    if (s->report != nullptr) {
        const bool shown[3] = {s->draw_l_vertex, s->draw_i_vertex, s->draw_r_vertex};
        const bool extrapolated[3] = {s->draw_extrapolation_l, s->draw_extrapolation_i, s->draw_extrapolation_r};
        std::vector<Vector3> copy;
        for (int kind = 0; kind < 3; ++kind) {
            if (!shown[kind])
                continue;
            const std::vector<Vector3>& path = gui_path(s, kind);
            widen_bounds(bounds, path.data(), path.size(), m);
            if (extrapolated[kind])
                for (std::int32_t k = 0; k < gui_extrapolated_copy_count(s); ++k) {
                    gui_extrapolated_path(s, kind, k, &copy);
                    widen_bounds(bounds, copy.data(), copy.size(), m);
                }
        }
    }
    for (double b : bounds)
        if (std::isinf(b))
            return out;  // nothing visible

    const double min_x = bounds[0], min_y = bounds[1], max_x = bounds[2], max_y = bounds[3];
    const double z0 = out.to.camera_z;
    out.to.camera_x += (max_x + min_x - 1.0) * z0;
    out.to.camera_y += (min_y + max_y - 1.0) * z0;
    // A view of no extent (a single point) is centred at the zoom it has;
    // anything smaller than the nearest zoom shows is shown at that zoom.
    const double extent = std::max(max_y - min_y, max_x - min_x);
    if (extent > 0)
        out.to.camera_z = interactable_viewport3d_bounded_camera_z(z0 * extent / GUI_FIT_MARGIN);
    out.fitted = true;
    return out;
}

void gui_fit_display_to_verts()
{
    GuiState* s = gui_state;
    InteractableViewport3d* viewport = s->viewport;
    if (viewport == nullptr)
        return;
    if (viewport->perspective) {
        std::printf("Vertex centering only works for orthogonal projection.\n");
        return;
    }
    // A load about to replace the whole camera with its preset's skips the
    // fits before it: no frame ever shows their camera.
    if (s->fits_replaced)
        return;

    const CameraView view = interactable_viewport3d_camera_view(viewport);
    const GuiFitOutcome* prepared = gui_load_preparation_fit(s, view);
    GuiFitOutcome fit = prepared != nullptr ? *prepared : gui_fit_view(s, view);
    if (fit.z_bounded) {
        viewport->camera_z = interactable_viewport3d_bounded_camera_z(view.camera_z);
        gui_update_3d_variables_display();
        gui_build_projected_jaw_vertices();
        // That projection may have rebuilt what the fit measures.
        if (prepared == nullptr)
            fit = gui_fit_view(s, interactable_viewport3d_camera_view(viewport));
    }
    if (!fit.fitted)
        return;
    viewport->camera_x = fit.to.camera_x;
    viewport->camera_y = fit.to.camera_y;
    viewport->camera_z = fit.to.camera_z;
    gui_update_3d_variables_display();
    gui_build_projected_jaw_vertices();
}

void gui_automatic_fit_display_to_verts()
{
    if (gui_state->auto_display_fitting)
        gui_fit_display_to_verts();
}
