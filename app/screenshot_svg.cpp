#include "app/screenshot_svg.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_writer.hpp"
#include "platform/screenshot_name.hpp"
#include "gui/gui_messages.hpp"
#include "geometry/basic_models.hpp"
#include "app/scene.hpp"
#include "geometry/lattice.hpp"
#include "gui/gui.hpp"
#include "gui/gui_baseline.hpp"
#include "picture/scene_picture.hpp"
#include "svg/svg_picture.hpp"
#include "svg/svg_writer.hpp"

namespace {

// The viewport's camera, projecting onto a page of size x size.
SceneFrame scene_frame(const GuiState& state, int size)
{
    const InteractableViewport3d* viewport = state.viewport;
    return SceneFrame{interactable_viewport3d_camera_view(viewport), viewport->w, viewport->h,
                      static_cast<double>(size), static_cast<double>(size)};
}

PictureColor picture_color(const Color* color)
{
    return PictureColor{color->r, color->g, color->b};
}

// ---------------------------------------------------------------------------
// Settings
// ---------------------------------------------------------------------------

struct ElementColors {
    const Color* point[3];  // left, incisal, right
    const Color* li_edge;
    const Color* lr_edge;
    const Color* ri_edge;
    const Color* reference;  // cube and axes
};

ElementColors choose_colors(const GuiState& state)
{
    const int override_value = state.screenshot_svg_color_override;
    if (override_value == 1 || override_value == 2) {
        const Color* all = override_value == 1 ? &c_black : &c_white;
        return {{all, all, all}, all, all, all, all};
    }
    if (override_value != 0) {
        std::printf("WARNING: Unknown svg element color override value (%d)!\n", override_value);
        std::printf("Using default color override setting (color) instead.\n");
    }
    return {{state.l_vertex_color, state.i_vertex_color, state.r_vertex_color},
            state.li_edge_color,
            state.lr_edge_color,
            state.ri_edge_color,
            &c_white};
}

// The background's colour, or null for none.
const Color* background_color(int background)
{
    switch (background) {
    case 0:
        return nullptr;
    case 1:
        return &c_black;
    case 2:
        return &c_white;
    default:
        std::printf("WARNING: Unknown svg background value (%d)!\n", background);
        std::printf("Using default background setting (black) instead.\n");
        return &c_black;
    }
}

// The line width in percent. The panel keeps it at 1 or more; a value that
// is not a positive number could only put "inf" or "nan" into the file and
// counts as the default of 100.
double line_width_percent(const GuiState& state)
{
    const double width = state.screenshot_svg_scale;
    return std::isfinite(width) && width > 0 ? width : 100.0;
}

// ---------------------------------------------------------------------------
// The scene of the current sample
// ---------------------------------------------------------------------------

// The sample shown at `position` in an array of `count` (> 0) samples: the
// position truncated toward zero, held inside the array.
std::size_t sample_index(double position, std::size_t count)
{
    if (!(position >= 0))  // negative or NaN
        return 0;
    const double truncated = std::trunc(position);
    if (truncated >= static_cast<double>(count - 1))
        return count - 1;
    return static_cast<std::size_t>(truncated);
}

// A count read from the state, never more than the array actually holds.
template <typename T>
int usable_count(std::int32_t stated, const std::vector<T>& array)
{
    return static_cast<int>(std::clamp<std::int64_t>(stated, 0, static_cast<std::int64_t>(array.size())));
}

// One of the three tracked points with everything the drawing needs of it.
struct TrackedPoint {
    bool shown;
    bool extrapolated;
    const Color* color;
    const std::vector<Vector3>* path;
    int kind;  // GUI_KIND_LEFT, GUI_KIND_INCISAL or GUI_KIND_RIGHT
    Vector3 calibration;
    Vector3 EmgDataPoint::*sample_field;
};

// The six lattices of the drawing and their shared edges, built afresh for
// every screenshot. The reference frame is that of the first vertex whose
// three points are finite (vertex 0 of a whole recording).
struct Lattices {
    int node_count = 0;                    // 0: no lattice can be built
    std::vector<Vector3> frame[3];         // around the points of the current sample; empty without paths
    std::vector<Vector3> calibration[3];   // around the calibration points, along the world axes
    std::vector<std::int32_t> edges;       // flat pairs of node indices

    int edge_count() const { return static_cast<int>(edges.size() / 2); }
};

Lattices build_lattices(const GuiState& state, const TrackedPoint points[3], int path_length)
{
    Lattices lattices;
    const std::int32_t x = state.extrapolation_x_amount, y = state.extrapolation_y_amount,
                       z = state.extrapolation_z_amount;
    const std::int64_t nodes = lattice_node_count(x, y, z);
    const std::int64_t edges = lattice_edge_count(x, y, z);
    if (nodes <= 0 || nodes > INT32_MAX || edges <= 0 || edges > INT32_MAX / 2)
        return lattices;
    lattices.node_count = static_cast<int>(nodes);
    const double distance = state.extrapolation_distance;

    lattice_edges(&lattices.edges, x, y, z);
    for (int p = 0; p < 3; ++p)
        lattice_nodes(&lattices.calibration[p], points[p].calibration, lattice_world_axes, distance, x, y, z);

    if (path_length > 0) {
        const std::vector<Vector3>& l = *points[0].path;
        const std::vector<Vector3>& i = *points[1].path;
        const std::vector<Vector3>& r = *points[2].path;
        const std::size_t c = sample_index(state.animation_position, static_cast<std::size_t>(path_length));
        const std::size_t first =
            lattice_reference_sample(l.data(), i.data(), r.data(), static_cast<std::size_t>(path_length));
        const std::size_t f = first < static_cast<std::size_t>(path_length) ? first : 0;
        const Matrix3 reference = lattice_jaw_basis(l[f], i[f], r[f]);
        const Matrix3 basis = lattice_jaw_basis(l[c], i[c], r[c]);
        Vector3 directions[3];
        lattice_directions(directions, reference, basis);
        for (int p = 0; p < 3; ++p)
            lattice_nodes(&lattices.frame[p], (*points[p].path)[c], directions, distance, x, y, z);
    }
    return lattices;
}

// The drawing being composed: the picture, its frame and the sizes of its
// strokes and points in page units.
struct Drawing {
    Picture* picture;
    SceneFrame frame;
    double point_radius;

    void vertices(const Vector3* points, int count, const Color* color) const
    {
        scene_picture_vertices(picture, frame, points, count, picture_color(color), point_radius);
    }
    void vertices(const std::vector<Vector3>& points, const Color* color) const
    {
        vertices(points.data(), static_cast<int>(points.size()), color);
    }
    void edges(const Vector3* nodes, int node_count, const std::int32_t* pairs, int pair_count,
               const Color* color) const
    {
        scene_picture_edges(picture, frame, nodes, node_count, pairs, pair_count, picture_color(color));
    }
    void lattice_lines(const std::vector<Vector3>& nodes, const Lattices& lattices, const Color* color) const
    {
        edges(nodes.data(), static_cast<int>(nodes.size()), lattices.edges.data(), lattices.edge_count(), color);
    }
    // A whole path: from its cells at the drawing's scale where they make a
    // saving, else sample by sample; a tolerance of 0 keeps every sample.
    void path(const Vector3* samples, int count, const std::int32_t* switches, int switch_count, const Color* color,
              double tolerance) const
    {
        if (tolerance > 0
            && scene_picture_path_cells(picture, frame, samples, count, switches, switch_count, picture_color(color),
                                        SCENE_PICTURE_CELL_PIXELS, tolerance))
            return;
        scene_picture_path_switched(picture, frame, samples, count, switches, switch_count, picture_color(color),
                                    tolerance);
    }
    // A line between two points of the current sample.
    void connection(const Vector3& from, const Vector3& to, const Color* color) const
    {
        static constexpr std::int32_t one_edge[2] = {0, 1};
        const Vector3 ends[2] = {from, to};
        edges(ends, 2, one_edge, 1, color);
    }
};

// The baseline's exercise at the playback's time, drawn first so that the
// report lies over it: its connections and points, or (`paths`) its whole
// paths, in the muted colours of the screen (a grey when every element is
// drawn in one colour).
void add_baseline(const Drawing& drawing, const GuiState& state, const ElementColors& colors, bool paths,
                  double path_tolerance)
{
    const std::int32_t k = gui_baseline_sample(&state);
    if (k < 0)
        return;
    const EmgExercise& exercise = state.baseline->exercises[static_cast<std::size_t>(state.baseline_exercise)];
    const bool one_colour = state.screenshot_svg_color_override == 1 || state.screenshot_svg_color_override == 2;
    const Color grey{128, 128, 128, 255};
    const auto muted = [&](const Color* c) { return one_colour ? grey : scene_baseline_color(*c); };
    const bool shown[3] = {state.draw_l_vertex, state.draw_i_vertex, state.draw_r_vertex};
    Vector3 EmgDataPoint::*const fields[3] = {&EmgDataPoint::left, &EmgDataPoint::incisal, &EmgDataPoint::right};
    if (paths) {
        if (!state.draw_all_exercise_verts)
            return;
        std::vector<Vector3> path(exercise.data.size());
        for (int p = 0; p < 3; ++p) {
            if (!shown[p])
                continue;
            for (std::size_t s = 0; s < path.size(); ++s)
                path[s] = exercise.data[s].*fields[p];
            const Color c = muted(colors.point[p]);
            drawing.path(path.data(), static_cast<int>(path.size()), state.baseline_switches.data(),
                         static_cast<int>(state.baseline_switches.size()), &c, path_tolerance);
        }
        return;
    }
    const EmgDataPoint& at = exercise.data[static_cast<std::size_t>(k)];
    const Color li = muted(colors.li_edge), lr = muted(colors.lr_edge), ri = muted(colors.ri_edge);
    if (state.draw_li_edge)
        drawing.connection(at.left, at.incisal, &li);
    if (state.draw_lr_edge)
        drawing.connection(at.left, at.right, &lr);
    if (state.draw_ri_edge)
        drawing.connection(at.right, at.incisal, &ri);
    for (int p = 0; p < 3; ++p)
        if (shown[p]) {
            const Color c = muted(colors.point[p]);
            drawing.vertices(&(at.*fields[p]), 1, &c);
        }
}

// Everything that needs the report, from the connections to the lattice
// nodes, in the order the screen draws them.
void add_report_scene(const Drawing& drawing, const GuiState& state, const ElementColors& colors,
                      double line_width, double path_tolerance)
{
    const EmgReport& report = *state.report;
    const TrackedPoint points[3] = {
        {state.draw_l_vertex, state.draw_extrapolation_l, colors.point[0], &state.l_verts,
         GUI_KIND_LEFT, report.calibration_left, &EmgDataPoint::left},
        {state.draw_i_vertex, state.draw_extrapolation_i, colors.point[1], &state.i_verts,
         GUI_KIND_INCISAL, report.calibration_incisal, &EmgDataPoint::incisal},
        {state.draw_r_vertex, state.draw_extrapolation_r, colors.point[2], &state.r_verts,
         GUI_KIND_RIGHT, report.calibration_right, &EmgDataPoint::right},
    };
    const int path_length = std::min({usable_count(state.verts_number, state.l_verts),
                                      usable_count(state.verts_number, state.i_verts),
                                      usable_count(state.verts_number, state.r_verts)});
    const int switch_count = usable_count(state.open_close_movements_number, state.open_close_movements);

    // The current sample of the selected exercise, when there is one.
    const EmgDataPoint* sample = nullptr;
    const std::int32_t exercise = state.selected_exercise;
    if (exercise >= 0 && exercise < report.exercises_number
        && static_cast<std::size_t>(exercise) < report.exercises.size()) {
        const std::vector<EmgDataPoint>& data = report.exercises[static_cast<std::size_t>(exercise)].data;
        if (!data.empty())
            sample = &data[sample_index(state.animation_position, data.size())];
    }

    const Lattices lattices = build_lattices(state, points, path_length);

    add_baseline(drawing, state, colors, false, path_tolerance);
    // Lines between the points of the current sample.
    if (sample != nullptr) {
        if (state.draw_li_edge)
            drawing.connection(sample->left, sample->incisal, colors.li_edge);
        if (state.draw_lr_edge)
            drawing.connection(sample->left, sample->right, colors.lr_edge);
        if (state.draw_ri_edge)
            drawing.connection(sample->right, sample->incisal, colors.ri_edge);
    }

    // Grid lines: the calibration lattice first, then the frame lattice.
    if (state.draw_spokes && lattices.node_count > 0)
        for (int p = 0; p < 3; ++p) {
            if (!points[p].shown || !points[p].extrapolated)
                continue;
            if (state.draw_callibration)
                drawing.lattice_lines(lattices.calibration[p], lattices, points[p].color);
            if (!lattices.frame[p].empty())
                drawing.lattice_lines(lattices.frame[p], lattices, points[p].color);
        }

    // The points of the current sample.
    if (sample != nullptr)
        for (const TrackedPoint& point : points)
            if (point.shown)
                drawing.vertices(&(sample->*point.sample_field), 1, point.color);

    // The whole paths, in a group of their own, which gives them a stroke as
    // thick as the other lines.
    PictureStyle paths_style;
    paths_style.stroke_width = line_width / 100.0;
    picture_group(drawing.picture, paths_style).hints.svg_form = PictureSvgForm::scale_box;
    add_baseline(drawing, state, colors, true, path_tolerance);
    if (state.draw_all_exercise_verts)
        for (const TrackedPoint& point : points) {
            if (!point.shown)
                continue;
            if (point.extrapolated) {
                // Each copy's points are computed in turn.
                std::vector<Vector3> copy;
                for (std::int32_t k = 0; k < gui_extrapolated_copy_count(&state); ++k) {
                    gui_extrapolated_path(&state, point.kind, k, &copy);
                    drawing.path(copy.data(), usable_count(state.extrapolated_verts_number, copy),
                                 state.open_close_movements.data(), switch_count, point.color, path_tolerance);
                }
            } else {
                drawing.path(point.path->data(), path_length, state.open_close_movements.data(), switch_count,
                             point.color, path_tolerance);
            }
        }
    picture_group_end(drawing.picture);

    // Calibration: the whole calibration lattice of an extrapolated point,
    // else the calibration point itself.
    if (state.draw_callibration)
        for (int p = 0; p < 3; ++p) {
            if (!points[p].shown)
                continue;
            if (!points[p].extrapolated)
                drawing.vertices(&points[p].calibration, 1, points[p].color);
            else if (lattices.node_count > 0)
                drawing.vertices(lattices.calibration[p], points[p].color);
        }

    // Lattice nodes, whether or not the grid lines are shown.
    for (int p = 0; p < 3; ++p)
        if (points[p].shown && points[p].extrapolated && !lattices.frame[p].empty())
            drawing.vertices(lattices.frame[p], points[p].color);
}

}  // namespace

Picture screenshot_svg_picture(const GuiState& state, int size, double path_tolerance)
{
    const ElementColors colors = choose_colors(state);
    const double line_width = line_width_percent(state);
    Picture picture;
    picture.width = size;
    picture.height = size;

    // The drawing's group carries the line width: every stroke and point is
    // that much of its default size.
    PictureStyle drawing_style;
    drawing_style.stroke_width = line_width / 100.0;
    PictureItem& drawing_group = picture_group(&picture, drawing_style);
    drawing_group.hints.svg_form = PictureSvgForm::scaled_document;
    const double user_units = 100.0 / line_width;
    drawing_group.box = PictureRect{0, 0, size * user_units, size * user_units};
    if (const Color* background = background_color(state.screenshot_svg_background)) {
        PictureStyle filled;
        filled.fill = PicturePaint::of(picture_color(background));
        picture_rectangle(&picture, PictureRect{0, 0, picture.width, picture.height}, filled);
    }

    // Without a viewport there is no camera to project with.
    if (state.viewport != nullptr) {
        const Drawing drawing{&picture, scene_frame(state, size), SCENE_PICTURE_POINT_RADIUS * line_width / 100.0};
        if (state.draw_reference)
            drawing.edges(unit_cube_verts, unit_cube_verts_number, unit_cube_edges, unit_cube_edges_number,
                          colors.reference);
        if (state.draw_axis)
            drawing.edges(unit_axis_verts, unit_axis_verts_number, unit_axis_edges, unit_axis_edges_number,
                          colors.reference);
        if (state.report != nullptr)
            add_report_scene(drawing, state, colors, line_width, path_tolerance);
    }
    picture_group_end(&picture);
    return picture;
}

void screenshot_svg_write(SvgSink& file, const GuiState& state, int size, double path_tolerance)
{
    svg_picture_write(file, screenshot_svg_picture(state, size, path_tolerance));
}

void screenshot_svg(int size)
{
    if (gui_state == nullptr)
        return;
    const std::string name = screenshot_file_name(std::time(nullptr), "svg");
    FileWriter file(name);
    if (file.stream() != nullptr) {
        SvgFileSink sink(file.stream());
        screenshot_svg_write(sink, *gui_state, size);
    }
    const bool ok = file.commit();
    gui_report_written(ok, "the screenshot", name, file.error(), gui_state->screenshot_taken_text,
                       "Screenshot taken!", "Screenshot failed!");
}
