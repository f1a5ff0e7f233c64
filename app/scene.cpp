#include "app/scene.hpp"

#include <algorithm>
#include <cmath>

#include "geometry/basic_models.hpp"
#include "geometry/lattice.hpp"
#include "gui/gui.hpp"
#include "report/emg_comparison.hpp"

void scene_points(const GuiState* s, ScenePoint out[3])
{
    const EmgReport* report = s->report.get();
    out[0] = {'l', GUI_KIND_LEFT, s->draw_l_vertex, s->draw_extrapolation_l, s->l_vertex_color, &s->l_verts,
              report != nullptr ? &report->calibration_left : nullptr};
    out[1] = {'i', GUI_KIND_INCISAL, s->draw_i_vertex, s->draw_extrapolation_i, s->i_vertex_color, &s->i_verts,
              report != nullptr ? &report->calibration_incisal : nullptr};
    out[2] = {'r', GUI_KIND_RIGHT, s->draw_r_vertex, s->draw_extrapolation_r, s->r_vertex_color, &s->r_verts,
              report != nullptr ? &report->calibration_right : nullptr};
}

std::int32_t scene_current_sample(const GuiState* s)
{
    const EmgExercise* exercise = gui_selected_exercise(s);
    if (exercise == nullptr || exercise->data.empty())
        return -1;
    const std::int32_t n = static_cast<std::int32_t>(exercise->data.size());
    if (s->verts_number != n || s->l_verts.size() != exercise->data.size() || s->i_verts.size() != s->l_verts.size()
        || s->r_verts.size() != s->l_verts.size())
        return -1;
    const double p = s->animation_position;
    if (!(p >= 0))  // negative or not a number
        return 0;
    if (p >= n - 1)
        return n - 1;
    return static_cast<std::int32_t>(p);
}

void scene_draw_reference_objects(const GuiState* s)
{
    if (s->viewport == nullptr)
        return;
    if (s->draw_reference)
        interactable_viewport3d_draw_edges(s->viewport, unit_cube_verts, unit_cube_verts_number, unit_cube_edges,
                                           unit_cube_edges_number, &c_white);
    if (s->draw_axis)
        interactable_viewport3d_draw_edges(s->viewport, unit_axis_verts, unit_axis_verts_number, unit_axis_edges,
                                           unit_axis_edges_number, &c_white);
}

namespace {

// The drawing helpers return how many lines or points they sent.
std::size_t draw_edge(const InteractableViewport3d* viewport, const Vector3& a, const Vector3& b,
                      const Color* color)
{
    const Vector3 ends[2] = {a, b};
    const std::int32_t edge[2] = {0, 1};
    interactable_viewport3d_draw_edges(viewport, ends, 2, edge, 1, color);
    return 1;
}

std::size_t draw_lattice_lines(const InteractableViewport3d* viewport, const std::vector<Vector3>& nodes,
                               const std::vector<std::int32_t>& edges, const Color* color)
{
    interactable_viewport3d_draw_edges(viewport, nodes.data(), static_cast<int>(nodes.size()), edges.data(),
                                       static_cast<int>(edges.size() / 2), color);
    return edges.size() / 2;
}

std::size_t draw_points(const InteractableViewport3d* viewport, const Vector3* points, std::size_t count,
                        const Color* color)
{
    interactable_viewport3d_draw_vertices(viewport, points, static_cast<int>(count), color);
    return count;
}

std::size_t draw_points(const InteractableViewport3d* viewport, const std::vector<Vector3>& points,
                        const Color* color)
{
    return draw_points(viewport, points.data(), points.size(), color);
}

// Forgets the levels of detail when the paths, their copies or the switches
// changed since they were built.
void refresh_path_levels(const GuiState* s, ScenePathLevels* cache)
{
    const std::vector<Vector3>* plain[3] = {&s->l_verts, &s->i_verts, &s->r_verts};
    const std::int32_t samples = s->verts_number;
    bool same = cache->paths_generation == s->paths_generation && cache->samples == samples
             && cache->copy_count == gui_extrapolated_copy_count(s) && cache->switches == s->open_close_movements;
    for (int p = 0; p < 3; ++p)
        same = same && cache->arrays[p] == plain[p]->data();
    if (same)
        return;
    cache->paths_generation = s->paths_generation;
    cache->samples = samples;
    cache->copy_count = gui_extrapolated_copy_count(s);
    cache->switches = s->open_close_movements;
    cache->drawn_pairs = path_simplification_drawn_pairs(samples, cache->switches.data(),
                                                         static_cast<std::int32_t>(cache->switches.size()));
    for (int p = 0; p < 3; ++p) {
        cache->arrays[p] = plain[p]->data();
        cache->plain[p].reset();
        cache->copies[p].assign(static_cast<std::size_t>(std::max(cache->copy_count, 0)), PathLevels{});
    }
}

}  // namespace

void scene_take_prepared_levels(GuiState* s, SceneBuffers* b)
{
    GuiPreparedFrame* prepared = s->prepared_frame.get();
    if (prepared == nullptr || prepared->paths_generation != s->paths_generation
        || prepared->samples != s->verts_number || prepared->copy_count != gui_extrapolated_copy_count(s)
        || prepared->switches != s->open_close_movements)
        return;
    ScenePathLevels* cache = &b->path_levels;
    cache->paths_generation = s->paths_generation;
    cache->samples = prepared->samples;
    cache->copy_count = prepared->copy_count;
    cache->switches = std::move(prepared->switches);
    cache->drawn_pairs = std::move(prepared->drawn_pairs);
    const std::vector<Vector3>* plain[3] = {&s->l_verts, &s->i_verts, &s->r_verts};
    for (int p = 0; p < 3; ++p) {
        cache->arrays[p] = plain[p]->data();
        cache->plain[p] = std::move(prepared->plain[p]);
        cache->copies[p] = std::move(prepared->copies[p]);
    }
}

namespace {

// One whole path: its level of detail for the current camera, or its
// samples when no level helps. `samples` gives the path's points.
template <typename Fetch>
std::size_t draw_whole_path(const InteractableViewport3d* viewport, const Matrix4& camera, const ScenePathLevels& cache,
                     PathLevels* levels, Fetch&& samples, const Color* color)
{
    const std::int32_t count = cache.samples;
    const double side = std::max(viewport->w, viewport->h);
    const double scale = path_simplification_pixels_per_mm(camera, levels->box(count, samples), side);
    const PathLevel* level = levels->get(path_simplification_level(scale, cache.cell_pixels), count,
                                         cache.drawn_pairs, samples);
    if (level != nullptr) {
        interactable_viewport3d_draw_segments(viewport, level->positions.data(),
                                              static_cast<int>(level->vertex_count()), level->segments.data(),
                                              static_cast<int>(level->segment_count()), color);
        return level->segment_count();
    }
    const std::vector<Vector3>& path = samples();
    interactable_viewport3d_draw_path_switched(viewport, path.data(),
                                               std::min(count, static_cast<std::int32_t>(path.size())),
                                               cache.switches.data(), static_cast<int>(cache.switches.size()),
                                               color);
    return path.size();
}

// Takes the baseline exercise's paths again when another baseline or
// exercise is shown.
void refresh_baseline_paths(const GuiState* s, SceneBaselinePaths* paths)
{
    const EmgExercise& exercise = s->baseline->exercises[static_cast<std::size_t>(s->baseline_exercise)];
    if (paths->generation == s->baseline_generation && paths->exercise == s->baseline_exercise
        && paths->levels.switches == s->baseline_switches)
        return;
    paths->generation = s->baseline_generation;
    paths->exercise = s->baseline_exercise;
    const std::int32_t n = emg_sample_count(&exercise);
    for (std::vector<Vector3>& path : paths->points)
        path.resize(static_cast<std::size_t>(n));
    for (std::int32_t k = 0; k < n; ++k) {
        const EmgDataPoint& sample = exercise.data[static_cast<std::size_t>(k)];
        paths->points[0][static_cast<std::size_t>(k)] = sample.left;
        paths->points[1][static_cast<std::size_t>(k)] = sample.incisal;
        paths->points[2][static_cast<std::size_t>(k)] = sample.right;
    }
    ScenePathLevels& levels = paths->levels;
    levels.samples = n;
    levels.switches = s->baseline_switches;
    levels.drawn_pairs =
        path_simplification_drawn_pairs(n, levels.switches.data(), static_cast<std::int32_t>(levels.switches.size()));
    for (PathLevels& path : levels.plain)
        path.reset();
}

// The baseline's exercise at the same time from its start: its triangle and
// points with the current sample's, its whole paths in the layer, all in
// muted colours and drawn after the report's, so that where both lie at
// one depth the report's stays on top.
void baseline_steps(const GuiState* s, SceneBuffers* b, const ScenePoint points[3], std::int32_t f,
                    std::vector<SceneStep>* steps)
{
    if (s->baseline == nullptr || s->baseline_exercise < 0
        || s->baseline_exercise >= static_cast<std::int32_t>(s->baseline->exercises.size()))
        return;
    const InteractableViewport3d* viewport = s->viewport;
    const EmgExercise& exercise = s->baseline->exercises[static_cast<std::size_t>(s->baseline_exercise)];
    const std::int32_t k = emg_comparison_sample(f, s->report->frequency, s->baseline->frequency,
                                                 emg_sample_count(&exercise));
    if (k < 0)
        return;
    const EmgDataPoint* at = &exercise.data[static_cast<std::size_t>(k)];
    const auto before = [steps](std::function<std::size_t()> draw) {
        steps->push_back({ScenePhase::before_layer, std::move(draw)});
    };
    if (s->draw_li_edge)
        before([=, c = scene_baseline_color(*s->li_edge_color)] { return draw_edge(viewport, at->left, at->incisal, &c); });
    if (s->draw_lr_edge)
        before([=, c = scene_baseline_color(*s->lr_edge_color)] { return draw_edge(viewport, at->left, at->right, &c); });
    if (s->draw_ri_edge)
        before([=, c = scene_baseline_color(*s->ri_edge_color)] { return draw_edge(viewport, at->right, at->incisal, &c); });
    const Vector3* fields[3] = {&at->left, &at->incisal, &at->right};
    for (int p = 0; p < 3; ++p)
        if (points[p].shown)
            before([=, c = scene_baseline_color(*points[p].color), field = fields[p]] {
                return draw_points(viewport, field, 1, &c);
            });
    if (!s->draw_all_exercise_verts)
        return;
    SceneBaselinePaths* paths = &b->baseline;
    refresh_baseline_paths(s, paths);
    const Matrix4 camera = camera_model_view_matrix(interactable_viewport3d_camera_view(viewport));
    for (int p = 0; p < 3; ++p)
        if (points[p].shown)
            steps->push_back({ScenePhase::layer, [=, c = scene_baseline_color(*points[p].color)] {
                                  const std::vector<Vector3>* path = &paths->points[p];
                                  return draw_whole_path(viewport, camera, paths->levels, &paths->levels.plain[p],
                                                  [path]() -> const std::vector<Vector3>& { return *path; }, &c);
                              }});
}

}  // namespace

Color scene_baseline_color(const Color& color)
{
    // Half the colour over a mid grey.
    const auto mix = [](std::uint8_t v) { return static_cast<std::uint8_t>((v + 110) / 2); };
    return {mix(color.r), mix(color.g), mix(color.b), color.a};
}

std::vector<SceneStep> scene_steps(const GuiState* s, SceneBuffers* b)
{
    std::vector<SceneStep> steps;
    const std::int32_t f = scene_current_sample(s);
    const EmgExercise* exercise = gui_selected_exercise(s);
    if (f < 0 || exercise == nullptr || s->viewport == nullptr)
        return steps;
    const InteractableViewport3d* viewport = s->viewport;
    const EmgDataPoint& sample = exercise->data[static_cast<std::size_t>(f)];
    const std::int32_t x = s->extrapolation_x_amount, y = s->extrapolation_y_amount, z = s->extrapolation_z_amount;
    const double d = s->extrapolation_distance;
    ScenePoint points[3];
    scene_points(s, points);

    // The jaw frame of this sample; at the reference sample (sample 0, or the
    // first whose points are all finite) it becomes the reference the lattice
    // directions are measured from, kept until that sample comes again.
    const Matrix3 basis = lattice_jaw_basis(s->l_verts[f], s->i_verts[f], s->r_verts[f]);
    const std::size_t first = lattice_reference_sample(s->l_verts.data(), s->i_verts.data(), s->r_verts.data(),
                                                       static_cast<std::size_t>(f) + 1);
    if (first == static_cast<std::size_t>(f) || (f == 0 && first > 0))
        b->reference_basis = basis;
    Vector3 directions[3];
    lattice_directions(directions, b->reference_basis, basis);

    // The lattices of this sample, built in every pass whether shown or not.
    for (int p = 0; p < 3; ++p) {
        lattice_nodes(&b->frame_lattice[p], (*points[p].verts)[static_cast<std::size_t>(f)], directions, d, x, y, z);
        lattice_nodes(&b->calibration_lattice[p], *points[p].calibration, lattice_world_axes, d, x, y, z);
    }
    if (b->edges_amounts[0] != x || b->edges_amounts[1] != y || b->edges_amounts[2] != z) {
        lattice_edges(&b->lattice_edges, x, y, z);
        b->edges_amounts[0] = x;
        b->edges_amounts[1] = y;
        b->edges_amounts[2] = z;
    }

    auto before = [&steps](std::function<std::size_t()> draw) {
        steps.push_back({ScenePhase::before_layer, std::move(draw)});
    };
    auto layer = [&steps](std::function<std::size_t()> draw) { steps.push_back({ScenePhase::layer, std::move(draw)}); };
    auto after = [&steps](std::function<std::size_t()> draw) {
        steps.push_back({ScenePhase::after_layer, std::move(draw)});
    };

    // The reference objects.
    if (s->draw_reference)
        before([viewport] {
            interactable_viewport3d_draw_edges(viewport, unit_cube_verts, unit_cube_verts_number, unit_cube_edges,
                                               unit_cube_edges_number, &c_white);
            return static_cast<std::size_t>(unit_cube_edges_number);
        });
    if (s->draw_axis)
        before([viewport] {
            interactable_viewport3d_draw_edges(viewport, unit_axis_verts, unit_axis_verts_number, unit_axis_edges,
                                               unit_axis_edges_number, &c_white);
            return static_cast<std::size_t>(unit_axis_edges_number);
        });

    // Connections at the current sample.
    const EmgDataPoint* current = &sample;
    if (s->draw_li_edge)
        before([=] { return draw_edge(viewport, current->left, current->incisal, s->li_edge_color); });
    if (s->draw_lr_edge)
        before([=] { return draw_edge(viewport, current->left, current->right, s->lr_edge_color); });
    if (s->draw_ri_edge)
        before([=] { return draw_edge(viewport, current->right, current->incisal, s->ri_edge_color); });

    // Grid lines: around the calibration point, then around the point.
    if (s->draw_spokes)
        for (int p = 0; p < 3; ++p) {
            if (!points[p].shown || !points[p].extrapolated)
                continue;
            const Color* color = points[p].color;
            if (s->draw_callibration)
                before([=] { return draw_lattice_lines(viewport, b->calibration_lattice[p], b->lattice_edges, color); });
            before([=] { return draw_lattice_lines(viewport, b->frame_lattice[p], b->lattice_edges, color); });
        }

    // The points of the current sample.
    const Vector3* fields[3] = {&sample.left, &sample.incisal, &sample.right};
    for (int p = 0; p < 3; ++p)
        if (points[p].shown) {
            const Vector3* field = fields[p];
            const Color* color = points[p].color;
            before([=] { return draw_points(viewport, field, 1, color); });
        }

    // Whole paths, solid while opening and dashed while closing, each at its
    // level of detail.
    if (s->draw_all_exercise_verts) {
        ScenePathLevels* cache = &b->path_levels;
        refresh_path_levels(s, cache);
        const Matrix4 camera = camera_model_view_matrix(interactable_viewport3d_camera_view(viewport));
        for (int p = 0; p < 3; ++p) {
            const ScenePoint& point = points[p];
            if (!point.shown)
                continue;
            const Color* color = point.color;
            if (point.extrapolated) {
                for (std::size_t k = 0; k < cache->copies[p].size(); ++k) {
                    PathLevels* levels = &cache->copies[p][k];
                    const int kind = point.index;
                    layer([=] {
                        // The copy's points, computed only when its level must be built.
                        bool fetched = false;
                        const auto copy = [&]() -> const std::vector<Vector3>& {
                            if (!fetched)
                                gui_extrapolated_path(s, kind, static_cast<std::int32_t>(k), &cache->copy);
                            fetched = true;
                            return cache->copy;
                        };
                        const std::size_t drawn = draw_whole_path(viewport, camera, *cache, levels, copy, color);
                        // A copy's points are as many as the samples: kept only
                        // while its level is built.
                        if (fetched)
                            std::vector<Vector3>().swap(cache->copy);
                        return drawn;
                    });
                }
            } else {
                const std::vector<Vector3>* verts = point.verts;
                PathLevels* levels = &cache->plain[p];
                layer([=] {
                    return draw_whole_path(viewport, camera, *cache, levels,
                                           [verts]() -> const std::vector<Vector3>& { return *verts; }, color);
                });
            }
        }
    }

    // Calibration points.
    if (s->draw_callibration)
        for (int p = 0; p < 3; ++p) {
            if (!points[p].shown)
                continue;
            const Color* color = points[p].color;
            if (points[p].extrapolated) {
                layer([=] { return draw_points(viewport, b->calibration_lattice[p], color); });
            } else {
                const Vector3* calibration = points[p].calibration;
                layer([=] { return draw_points(viewport, calibration, 1, color); });
            }
        }

    baseline_steps(s, b, points, f, &steps);

    // The lattice nodes of this sample, with or without their lines.
    for (int p = 0; p < 3; ++p)
        if (points[p].shown && points[p].extrapolated) {
            const Color* color = points[p].color;
            after([=] { return draw_points(viewport, b->frame_lattice[p], color); });
        }
    return steps;
}

bool SceneLayerKey::operator==(const SceneLayerKey& o) const
{
    const CameraView &a = camera, &c = o.camera;
    return a.camera_x == c.camera_x && a.camera_y == c.camera_y && a.camera_z == c.camera_z && a.pitch == c.pitch
        && a.yaw == c.yaw && a.roll == c.roll && a.near == c.near && a.far == c.far && a.fov == c.fov
        && a.aspect == c.aspect && a.perspective == c.perspective && side == o.side
        && projection_generation == o.projection_generation && report == o.report
        && report_loads == o.report_loads && baseline_generation == o.baseline_generation
        && selected_exercise == o.selected_exercise && switches == o.switches && colors[0] == o.colors[0]
        && colors[1] == o.colors[1] && colors[2] == o.colors[2] && amounts[0] == o.amounts[0]
        && amounts[1] == o.amounts[1] && amounts[2] == o.amounts[2] && distance == o.distance
        && movements == o.movements && baseline == o.baseline && baseline_exercise == o.baseline_exercise;
}

SceneLayerKey scene_layer_key(const GuiState* s)
{
    SceneLayerKey key;
    if (s->viewport != nullptr)
        key.camera = interactable_viewport3d_camera_view(s->viewport);
    key.side = s->window_height;
    key.projection_generation = s->projection_generation;
    key.report = s->report.get();
    key.report_loads = s->report_loads;
    key.selected_exercise = s->selected_exercise;
    key.switches = (s->draw_l_vertex ? 1u : 0u) | (s->draw_i_vertex ? 2u : 0u) | (s->draw_r_vertex ? 4u : 0u)
                 | (s->draw_extrapolation_l ? 8u : 0u) | (s->draw_extrapolation_i ? 16u : 0u)
                 | (s->draw_extrapolation_r ? 32u : 0u) | (s->draw_all_exercise_verts ? 64u : 0u)
                 | (s->draw_callibration ? 128u : 0u);
    key.colors[0] = s->l_vertex_color;
    key.colors[1] = s->i_vertex_color;
    key.colors[2] = s->r_vertex_color;
    key.amounts[0] = s->extrapolation_x_amount;
    key.amounts[1] = s->extrapolation_y_amount;
    key.amounts[2] = s->extrapolation_z_amount;
    key.distance = s->extrapolation_distance;
    key.movements = s->open_close_movements;
    if (s->baseline != nullptr) {
        key.baseline = s->baseline.get();
        key.baseline_generation = s->baseline_generation;
        key.baseline_exercise = s->baseline_exercise;
    }
    return key;
}
