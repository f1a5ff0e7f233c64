// The jaw vertex pipeline: from the selected exercise to the vertex arrays
// that the scene draws, the inspection picks from and the SVG export
// writes, and the fitting of the camera to what is shown.
//
//   1. separation:    the three tracked points of every sample -> l/i/r_verts
//   2. extrapolation: the grid copies of the three paths, moving with the jaw
//   3. projection:    every path point through the camera -> fractions of the view
//   4. fitting:       the orthographic camera centred and zoomed on what is on
//
// Who calls what: a camera change re-projects (3); a grid change rebuilds
// (2, 3) and refits when automatic fitting is on; a drawing switch refits;
// a new exercise or report separates and rebuilds (1, 2, 3) and refits.
// Every call rebuilds its arrays from scratch.
#include <cmath>
#include <cstdio>
#include <limits>

#include "geometry/basic_models.hpp"
#include "geometry/camera.hpp"
#include "geometry/lattice.hpp"
#include "gui/gui.hpp"

namespace {

struct PathArrays {
    std::vector<Vector3>* verts;
    std::vector<std::vector<Vector3>>* extrapolated;
    std::vector<Vector3>* projected;
    std::vector<std::vector<Vector3>>* projected_extrapolated;
};

std::array<PathArrays, 3> path_arrays(GuiState* s)
{
    return {{
        {&s->l_verts, &s->l_extrapolated_verts, &s->l_projected_verts, &s->l_projected_extrapolated_verts},
        {&s->i_verts, &s->i_extrapolated_verts, &s->i_projected_verts, &s->i_projected_extrapolated_verts},
        {&s->r_verts, &s->r_extrapolated_verts, &s->r_projected_verts, &s->r_projected_extrapolated_verts},
    }};
}

// Projects p; a point that cannot be projected gets NaN coordinates, so it
// never bounds the view and is never picked.
Vector3 project(const Matrix4& m, const Vector3& p)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    Vector3 out{nan, nan, nan};
    camera_project(&out, m, p);
    return out;
}

// Whether the grid copies were built for the selected exercise and the
// current amounts, so that a projection-only call may use them.
bool extrapolation_is_current(const GuiState* s, std::int64_t node_count, std::int32_t samples)
{
    if (s->extrapolations_number != node_count || s->extrapolated_verts_number != samples)
        return false;
    for (const auto& copies : {&s->l_extrapolated_verts, &s->i_extrapolated_verts, &s->r_extrapolated_verts}) {
        if (copies->size() != static_cast<std::size_t>(node_count))
            return false;
        for (const auto& copy : *copies)
            if (copy.size() != static_cast<std::size_t>(samples))
                return false;
    }
    return true;
}

void extrapolate(GuiState* s, std::int32_t node_count, std::int32_t samples)
{
    const std::int32_t X = s->extrapolation_x_amount, Y = s->extrapolation_y_amount, Z = s->extrapolation_z_amount;
    const double distance = s->extrapolation_distance;
    auto arrays = path_arrays(s);
    for (PathArrays& a : arrays)
        a.extrapolated->assign(static_cast<std::size_t>(node_count),
                               std::vector<Vector3>(static_cast<std::size_t>(samples)));
    s->extrapolations_number = node_count;
    s->extrapolated_verts_number = samples;
    if (samples < 1)
        return;

    // The directions of every sample first (the world axes as they lay in
    // the jaw frame of sample 0, turned with the jaw), then the copies.
    const Matrix3 reference = lattice_jaw_basis(s->l_verts[0], s->i_verts[0], s->r_verts[0]);
    std::vector<std::array<Vector3, 3>> directions(static_cast<std::size_t>(samples));
    for (std::int32_t t = 0; t < samples; ++t) {
        const Matrix3 basis = lattice_jaw_basis(s->l_verts[t], s->i_verts[t], s->r_verts[t]);
        lattice_directions(directions[t].data(), reference, basis);
    }

    for (std::int32_t k = 0; k < node_count; ++k) {
        std::int32_t offsets[3];
        lattice_node_offsets(k, X, Y, Z, &offsets[0], &offsets[1], &offsets[2]);
        for (PathArrays& a : arrays) {
            const std::vector<Vector3>& path = *a.verts;
            std::vector<Vector3>& copy = (*a.extrapolated)[static_cast<std::size_t>(k)];
            for (std::int32_t t = 0; t < samples; ++t) {
                Vector3 point = path[static_cast<std::size_t>(t)];
                for (int j = 0; j < 3; ++j) {
                    Vector3 step;
                    algebra_vector_scalar_mul(&step, &directions[t][j], offsets[j] * distance);
                    algebra_vector_vector_add(&point, &point, &step);
                }
                copy[static_cast<std::size_t>(t)] = point;
            }
        }
    }
}

void project_all(GuiState* s)
{
    ++s->projection_generation;
    const Matrix4 m = camera_model_view_matrix(interactable_viewport3d_camera_view(s->viewport));
    const std::int32_t center = lattice_node_index(0, 0, 0, s->extrapolation_x_amount, s->extrapolation_y_amount,
                                                   s->extrapolation_z_amount);
    for (PathArrays& a : path_arrays(s)) {
        a.projected->assign(static_cast<std::size_t>(s->verts_number), Vector3{0, 0, 0});
        a.projected_extrapolated->resize(a.extrapolated->size());
        for (std::size_t k = 0; k < a.extrapolated->size(); ++k) {
            const std::vector<Vector3>& copy = (*a.extrapolated)[k];
            std::vector<Vector3>& projected = (*a.projected_extrapolated)[k];
            projected.resize(copy.size());
            for (std::size_t t = 0; t < copy.size(); ++t)
                projected[t] = project(m, copy[t]);
            // The central copy is the path itself.
            if (static_cast<std::int32_t>(k) == center)
                for (std::size_t t = 0; t < copy.size() && t < a.projected->size(); ++t)
                    (*a.projected)[t] = projected[t];
        }
    }
}

void widen_bounds(double bounds[4], const Vector3* points, std::size_t count, const InteractableViewport3d* viewport)
{
    gui_get_projected_min_max(&bounds[0], &bounds[1], &bounds[2], &bounds[3], points, static_cast<int>(count),
                              viewport);
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

void gui_build_seperate_jaw_vertices()
{
    GuiState* s = gui_state;
    const EmgExercise* exercise = gui_selected_exercise(s);
    if (exercise == nullptr)
        return;
    const std::size_t n = exercise->data.size();
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

bool gui_extrapolation_amounts_fit(std::int64_t x, std::int64_t y, std::int64_t z, const GuiState* state)
{
    const std::int64_t nodes = lattice_node_count(x, y, z);
    const EmgExercise* exercise = state != nullptr ? gui_selected_exercise(state) : nullptr;
    const double samples = exercise != nullptr ? static_cast<double>(exercise->data.size()) : 0.0;
    const std::int64_t limit = state != nullptr ? state->extrapolation_memory_limit : gui_machine_grid_memory_limit();
    // Three paths, each with its copies and their projections, plus the
    // lattices the scene builds around the six points of every frame.
    const double bytes = static_cast<double>(nodes) * (6.0 * std::max(samples, 1.0) + 6.0) * sizeof(Vector3);
    if (nodes >= 0 && nodes <= INT32_MAX && bytes <= static_cast<double>(limit))
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
    if (s->verts_number != exercise->data_length || s->l_verts.size() != exercise->data.size())
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
    const Matrix4 m = camera_model_view_matrix(interactable_viewport3d_camera_view(viewport));
    for (int i = 0; i < count; ++i) {
        Vector3 p;
        if (!camera_project(&p, m, points[i]))
            continue;
        if (p.x < *min_x)
            *min_x = p.x;
        if (p.y < *min_y)
            *min_y = p.y;
        if (p.x > *max_x)
            *max_x = p.x;
        if (p.y > *max_y)
            *max_y = p.y;
    }
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

    // Measured through a camera that is not mirrored: a zoom divisor nearer
    // than the limit (0 in an old state) would leave the zoom scale out.
    const double bounded = interactable_viewport3d_bounded_camera_z(viewport->camera_z);
    if (bounded != viewport->camera_z) {
        viewport->camera_z = bounded;
        gui_update_3d_variables_display();
        gui_build_projected_jaw_vertices();
    }

    const double inf = std::numeric_limits<double>::infinity();
    double bounds[4] = {inf, inf, -inf, -inf};  // min x, min y, max x, max y
    if (s->draw_reference)
        widen_bounds(bounds, unit_cube_verts, static_cast<std::size_t>(unit_cube_verts_number), viewport);
    if (s->draw_axis)
        widen_bounds(bounds, unit_axis_verts, static_cast<std::size_t>(unit_axis_verts_number), viewport);
    // The paths count only while a report is loaded: after a failed load the
    // arrays of the previous report are still there but no longer shown.
    if (s->report != nullptr) {
        const struct {
            bool shown, extrapolated;
            const std::vector<Vector3>& path;
            const std::vector<std::vector<Vector3>>& copies;
        } kinds[3] = {
            {s->draw_l_vertex, s->draw_extrapolation_l, s->l_verts, s->l_extrapolated_verts},
            {s->draw_i_vertex, s->draw_extrapolation_i, s->i_verts, s->i_extrapolated_verts},
            {s->draw_r_vertex, s->draw_extrapolation_r, s->r_verts, s->r_extrapolated_verts},
        };
        for (const auto& kind : kinds) {
            if (!kind.shown)
                continue;
            widen_bounds(bounds, kind.path.data(), kind.path.size(), viewport);
            if (kind.extrapolated)
                for (const auto& copy : kind.copies)
                    widen_bounds(bounds, copy.data(), copy.size(), viewport);
        }
    }
    for (double b : bounds)
        if (std::isinf(b))
            return;  // nothing visible

    const double min_x = bounds[0], min_y = bounds[1], max_x = bounds[2], max_y = bounds[3];
    const double z0 = viewport->camera_z;
    viewport->camera_x += (max_x + min_x - 1.0) * z0;
    viewport->camera_y += (min_y + max_y - 1.0) * z0;
    // A view of no extent (a single point) is centred at the zoom it has;
    // anything smaller than the nearest zoom shows is shown at that zoom.
    const double extent = std::max(max_y - min_y, max_x - min_x);
    if (extent > 0)
        viewport->camera_z = interactable_viewport3d_bounded_camera_z(z0 * extent / GUI_FIT_MARGIN);

    gui_update_3d_variables_display();
    gui_build_projected_jaw_vertices();
}

void gui_automatic_fit_display_to_verts()
{
    if (gui_state->auto_display_fitting)
        gui_fit_display_to_verts();
}
