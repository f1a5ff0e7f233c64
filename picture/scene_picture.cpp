#include "picture/scene_picture.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "geometry/path_simplification.hpp"
#include "geometry/path_switching.hpp"
#include "geometry/path_trails.hpp"

namespace {

// The camera of one scene operation, computed once per call.
class SceneProjection {
public:
    explicit SceneProjection(const SceneFrame& frame) : frame_(frame), clips_near_(frame.view.perspective)
    {
        double projection[16];
        camera_gl_matrices(frame.view, frame.view_width, frame.view_height, model_view_.m, projection, viewport_);
    }

    // Whether the view cuts the scene at the near plane (perspective only).
    bool clips_near() const { return clips_near_; }
    const Matrix4& model_view() const { return model_view_; }

    // The point on the page: the window position gluProject would give,
    // divided by the view's size (fractions, y turned downwards), times the
    // page's size. (The projection matrix is the identity, so the model-view
    // matrix alone carries the camera.) False when the point cannot be
    // projected or a coordinate is not finite, as a fraction, as a
    // percentage or on the page.
    bool project(const Vector3& point, PicturePoint* out) const
    {
        Vector3 window;
        if (!camera_project(&window, model_view_, point))
            return false;
        const double wx = window.x * viewport_[2] + viewport_[0];
        const double wy = window.y * viewport_[3] + viewport_[1];
        const double fx = wx / viewport_[2] + 0.0;
        const double fy = 1.0 - wy / viewport_[3];
        const double x = fx * frame_.page_width, y = fy * frame_.page_height;
        if (!std::isfinite(fx * 100) || !std::isfinite(fy * 100) || !std::isfinite(x) || !std::isfinite(y))
            return false;
        *out = {x, y};
        return true;
    }

    // In a perspective view the screen shows only what lies on or in front
    // of the near plane; the picture leaves out the rest in the same way.
    // (The orthographic view is drawn as it is, whatever its depth.)
    bool in_front(const Vector3& point) const
    {
        return !clips_near_ || camera_near_plane_side(model_view_, point) >= 0;
    }

    bool clip_segment(Vector3* a, Vector3* b) const
    {
        return !clips_near_ || camera_clip_segment_to_near_plane(model_view_, a, b);
    }

private:
    SceneFrame frame_;
    bool clips_near_;
    Matrix4 model_view_{};
    int viewport_[4]{};
};

bool finite_point(const Vector3& p)
{
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

// The dash of a closing piece: 1 % of the page's normalised diagonal on,
// as much off.
PictureStyle dashed_style(const SceneFrame& frame)
{
    PictureStyle style;
    style.dash = PictureDash::dashed;
    const double unit = std::sqrt((frame.page_width * frame.page_width + frame.page_height * frame.page_height) / 2);
    style.dash_on = style.dash_off = unit / 100;
    return style;
}

// One piece of a switched path as polylines of its style. Where the piece
// passes behind the near plane it is cut there: the polyline ends at the
// plane and, when the piece comes back in front, a new one begins at it. A
// sample that is missing (a coordinate not finite) leaves a gap: the
// polyline ends before it and a new one begins after it. Other points
// without a place are left out, the line running past them.
void add_path_piece(Picture* picture, const SceneFrame& frame, const SceneProjection& projection,
                    const Vector3* vertices, const PathPiece& piece, double tolerance)
{
    const PictureStyle style = piece.dashed ? dashed_style(frame) : PictureStyle{};
    std::vector<PathPoint2> points;  // of the polyline being built
    auto point = [&](const Vector3& vertex) {
        PicturePoint p;
        if (projection.project(vertex, &p))
            points.push_back({p.x, p.y});
    };
    // A polyline keeps its first and last points, so the switches and the
    // cuts at the near plane stay where they are.
    auto close = [&] {
        std::vector<PicturePoint> kept;
        if (tolerance > 0) {
            const std::vector<std::uint32_t> indices =
                path_simplification_polyline(points.data(), points.size(), tolerance);
            kept.reserve(indices.size());
            for (std::uint32_t k : indices)
                kept.push_back({points[k].x, points[k].y});
        } else {
            kept.reserve(points.size());
            for (const PathPoint2& p : points)
                kept.push_back({p.x, p.y});
        }
        picture_polyline(picture, std::move(kept), style);
        points.clear();
    };
    bool open_polyline = true;
    const Vector3* previous = nullptr;  // the last vertex with a side
    double previous_side = 0;
    for (std::int32_t i = piece.first; i < piece.first + piece.count; ++i) {
        const Vector3& vertex = vertices[i];
        if (!finite_point(vertex)) {
            if (open_polyline && !points.empty()) {
                close();
                open_polyline = false;
            }
            previous = nullptr;
            continue;
        }
        if (!projection.clips_near()) {
            open_polyline = true;
            point(vertex);
            continue;
        }
        const double side = camera_near_plane_side(projection.model_view(), vertex);
        if (std::isnan(side))
            continue;
        if (previous != nullptr && (previous_side >= 0) != (side >= 0)) {
            const Vector3 crossing = camera_near_plane_crossing(*previous, vertex, previous_side, side);
            open_polyline = true;
            point(crossing);
            if (side < 0) {
                close();
                open_polyline = false;
            }
        }
        if (side >= 0) {
            open_polyline = true;
            point(vertex);
        }
        previous = &vertex;
        previous_side = side;
    }
    if (open_polyline)
        close();
}

// A level of cells keeping more than this share of the pairs is not worth
// drawing instead of the samples.
constexpr double worthwhile_share = 0.75;

// Whether the whole box lies on or in front of the near plane.
bool box_in_front(const SceneProjection& projection, const PathBox& box)
{
    if (!projection.clips_near())
        return true;
    for (int corner = 0; corner < 8; ++corner) {
        const Vector3 p{(corner & 1) ? box.max.x : box.min.x, (corner & 2) ? box.max.y : box.min.y,
                        (corner & 4) ? box.max.z : box.min.z};
        if (!(camera_near_plane_side(projection.model_view(), p) >= 0))
            return false;
    }
    return true;
}

// The polylines of one style's cells: each trail of joined cells, cut where
// a cell has no place on the page, simplified with `tolerance`.
void add_cell_trails(Picture* picture, const PathLevel& cells, const PictureStyle& style, double tolerance)
{
    if (cells.segments.empty())
        return;
    // Each cell at its centre.
    const double size = path_simplification_cell_size(cells.level);
    std::vector<PathPoint2> page(cells.vertex_count());
    for (std::size_t v = 0; v < page.size(); ++v)
        page[v] = {(cells.cells[3 * v] + 0.5) * size, (cells.cells[3 * v + 1] + 0.5) * size};
    const PathTrails trails = path_trails_join(cells.vertex_count(), cells.segments);
    std::vector<PathPoint2> run;
    auto flush = [&] {
        if (run.size() >= 2) {
            std::vector<PicturePoint> kept;
            if (tolerance > 0) {
                for (std::uint32_t k : path_simplification_polyline(run.data(), run.size(), tolerance))
                    kept.push_back({run[k].x, run[k].y});
            } else {
                for (const PathPoint2& p : run)
                    kept.push_back({p.x, p.y});
            }
            picture_polyline(picture, std::move(kept), style);
        }
        run.clear();
    };
    for (std::size_t t = 0; t < trails.trail_count(); ++t) {
        for (std::size_t k = trails.starts[t]; k < trails.trail_end(t); ++k) {
            run.push_back(page[trails.vertices[k]]);
        }
        flush();
    }
}

}  // namespace

bool scene_picture_path_cells(Picture* picture, const SceneFrame& frame, const Vector3* vertices,
                              int vertex_count, const std::int32_t* switches, int switch_count,
                              PictureColor color, double cell_pixels, double tolerance)
{
    if (vertex_count < 2 || !(cell_pixels > 0))
        return false;
    const SceneProjection projection(frame);
    PathBox box;
    for (int k = 0; k < vertex_count; ++k)
        box.add(vertices[k]);
    if (box.empty() || !box_in_front(projection, box))
        return false;

    // The samples on the page (z = 0), a sample without a place left out as
    // a missing one.
    const double missing = std::numeric_limits<double>::quiet_NaN();
    std::vector<Vector3> page(static_cast<std::size_t>(vertex_count));
    for (std::size_t k = 0; k < page.size(); ++k) {
        PicturePoint at;
        page[k] = finite_point(vertices[k]) && projection.project(vertices[k], &at) ? Vector3{at.x, at.y, 0.0}
                                                                                     : Vector3{missing, 0.0, 0.0};
    }
    const std::int32_t level = static_cast<std::int32_t>(std::floor(std::log2(cell_pixels)));

    // The pairs of each style: every consecutive pair of a piece.
    std::vector<std::uint32_t> pairs[2];  // solid, dashed
    for (const PathPiece& piece : path_switching_pieces(vertex_count, switches, switch_count))
        for (std::int32_t m = piece.first; m + 1 < piece.first + piece.count; ++m) {
            pairs[piece.dashed].push_back(static_cast<std::uint32_t>(m));
            pairs[piece.dashed].push_back(static_cast<std::uint32_t>(m + 1));
        }
    PathLevel cells[2];
    for (int style = 0; style < 2; ++style)
        if (!path_simplification_cluster(&cells[style], page.data(), vertex_count, pairs[style].data(),
                                         pairs[style].size() / 2, level))
            return false;
    const double kept = static_cast<double>(cells[0].segment_count() + cells[1].segment_count());
    if (kept == 0 || kept > worthwhile_share * static_cast<double>((pairs[0].size() + pairs[1].size()) / 2))
        return false;

    PictureStyle group = picture_stroke(color);
    group.fill = PicturePaint::none_paint();
    picture_group(picture, group);
    add_cell_trails(picture, cells[0], PictureStyle{}, tolerance);
    add_cell_trails(picture, cells[1], dashed_style(frame), tolerance);
    picture_group_end(picture);
    return true;
}

bool scene_picture_project(const SceneFrame& frame, const Vector3& vertex, PicturePoint* out)
{
    const SceneProjection projection(frame);
    return projection.in_front(vertex) && projection.project(vertex, out);
}

void scene_picture_vertices(Picture* picture, const SceneFrame& frame, const Vector3* vertices, int vertex_count,
                            PictureColor color, double radius)
{
    const SceneProjection projection(frame);
    picture_group(picture, picture_fill(color));
    for (int i = 0; i < vertex_count; ++i) {
        PicturePoint centre;
        if (projection.in_front(vertices[i]) && projection.project(vertices[i], &centre))
            picture_circle(picture, centre, radius);
    }
    picture_group_end(picture);
}

void scene_picture_edges(Picture* picture, const SceneFrame& frame, const Vector3* vertices, int vertex_count,
                         const std::int32_t* edges, int edge_count, PictureColor color)
{
    const SceneProjection projection(frame);
    picture_group(picture, picture_stroke(color));
    auto valid = [vertex_count](std::int32_t index) { return index >= 0 && index < vertex_count; };
    for (int e = 0; e < edge_count; ++e) {
        const std::int32_t a = edges[2 * e], b = edges[2 * e + 1];
        if (!valid(a) || !valid(b))
            continue;
        Vector3 from = vertices[a], to = vertices[b];
        PicturePoint pa, pb;
        if (projection.clip_segment(&from, &to) && projection.project(from, &pa) && projection.project(to, &pb))
            picture_line(picture, pa, pb);
    }
    picture_group_end(picture);
}

void scene_picture_path_switched(Picture* picture, const SceneFrame& frame, const Vector3* vertices,
                                 int vertex_count, const std::int32_t* switches, int switch_count,
                                 PictureColor color, double tolerance)
{
    const SceneProjection projection(frame);
    PictureStyle group = picture_stroke(color);
    group.fill = PicturePaint::none_paint();
    picture_group(picture, group);
    // One polyline per piece, empty pieces included, so that every switch
    // shows in the picture as it does in the walk over the path.
    for (const PathPiece& piece : path_switching_pieces(vertex_count, switches, switch_count))
        add_path_piece(picture, frame, projection, vertices, piece, tolerance);
    picture_group_end(picture);
}
