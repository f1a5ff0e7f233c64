// Paths drawn at the cost of the pixels they cover, not of their samples.
// The screen, the SVG export and the charts take their simplified paths from
// here; nothing here touches OpenGL.
//
// Index of this file:
// [SECTION] Screen scale: pixels per millimetre of a box under a camera
// [SECTION] Levels of detail of a switched 3D path (the screen)
// [SECTION] Polylines simplified in the plane (the SVG export)
// [SECTION] Signals decimated to pixel columns (charts)
//
// Levels of detail. A level L cuts space into cubic cells of side 2^L mm,
// aligned on the origin. Every sample is drawn at the first sample of its
// cell (an actual sample, so the current and the highlighted sample, which
// are drawn apart, still sit on the path), and of the segments that the
// switched path draws (every consecutive pair in a solid piece, every
// other pair from its start in a dashed piece, as the viewport draws them)
// each pair of cells is drawn once. A path that runs over the same place a
// thousand times thus costs what the place costs: the count of segments is
// bounded by the occupied cells, not by the samples. The cells do not depend
// on the rotation of the view, so a level stays valid while the user turns
// the view: in an orthographic view a cell of side c mm is c x (pixels per
// mm) pixels wide for every rotation, and the screen picks the coarsest
// level whose cells are at most a pixel wide (path_simplification_level);
// a point moves by at most the projected diagonal of its cell. A perspective
// view takes the scale at the nearest depth of the path's box.
//
// Level L + 1 is level L with every cell merged with its seven siblings
// (path_simplification_coarsen gives exactly what clustering the samples at
// L + 1 gives), so a path clustered once at a fine level yields every
// coarser level cheaply while the user zooms out.
#pragma once

#include <cstdint>
#include <vector>

#include "geometry/camera.hpp"
#include "geometry/vector_algebra.hpp"

// ---------------------------------------------------------------------------
// [SECTION] Screen scale
// ---------------------------------------------------------------------------

// An axis-aligned box; empty (min > max) until a finite point is added.
struct PathBox {
    Vector3 min{1, 1, 1};
    Vector3 max{0, 0, 0};

    bool empty() const { return min.x > max.x; }
    void add(const Vector3& p);
};

// The most screen pixels one millimetre anywhere in `box` spans under the
// camera `m` (fractions of the view, as camera_project gives them) in a
// square view of `side` pixels. 0 for an empty box; +infinity when it cannot
// be bounded (a perspective view with part of the box at or behind the eye).
double path_simplification_pixels_per_mm(const Matrix4& m, const PathBox& box, double side);

// ---------------------------------------------------------------------------
// [SECTION] Levels of detail of a switched path
// ---------------------------------------------------------------------------

// One level: cells with their representative sample, and the segments
// between cells as pairs of vertex indices. Vertices come in the order of
// their representative's sample index.
struct PathLevel {
    std::int32_t level = 0;
    std::vector<float> positions;               // x, y, z of each vertex (its representative sample)
    std::vector<std::int32_t> cells;            // cell coordinates x, y, z of each vertex
    std::vector<std::uint32_t> first_samples;   // the representative's sample index
    std::vector<std::uint32_t> segments;        // pairs of vertex indices, each pair of cells once

    std::size_t vertex_count() const { return first_samples.size(); }
    std::size_t segment_count() const { return segments.size() / 2; }
};

// Side of the cells of a level, in mm: 2^level.
double path_simplification_cell_size(std::int32_t level);

// The coarsest level whose cells are at most `max_cell_pixels` wide at
// `pixels_per_mm`; INT32_MIN when no level is needed or possible (a scale
// that is 0, not finite, or so large that cells would be finer than 2^-60
// mm).
std::int32_t path_simplification_level(double pixels_per_mm, double max_cell_pixels);

// The segments a switched path draws (see geometry/path_switching.hpp) as
// flat pairs of sample indices: every consecutive pair of a solid piece,
// every other pair from the start of a dashed piece.
std::vector<std::uint32_t> path_simplification_drawn_pairs(std::int32_t vertex_count, const std::int32_t* switches,
                                                          std::int32_t switch_count);

// Leaves out of flat pairs of sample indices every pair that touches a sample
// with a coordinate that is not finite (a missing sample), so that a path
// drawn from them has a gap there. False when every sample is finite (the
// pairs are then left as they are).
bool path_simplification_drop_missing(std::vector<std::uint32_t>* pairs, const Vector3* points, std::int32_t count);

// Clusters the samples at `level`. Samples that are not finite, and the
// segments touching them, are left out. False (and `out` untouched) when a
// coordinate is too far from the origin for the level's cells.
bool path_simplification_cluster(PathLevel* out, const Vector3* points, std::int32_t count,
                                 const std::uint32_t* drawn_pairs, std::size_t pair_count, std::int32_t level);

// The next coarser level of `finer`: the same as clustering the samples at
// finer.level + 1.
PathLevel path_simplification_coarsen(const PathLevel& finer);

// The levels of one switched path, built on demand: the finest one asked for
// so far from the samples (one level finer than asked, so that zooming in a
// little needs no new pass over the samples; each finer level would hold
// about twice the vertices of a long path), the coarser ones from it.
// `samples` is a callable returning the path's points (a const reference to
// a vector of at least `sample_count`), called only when they are needed.
class PathLevels {
public:
    // Forgets everything: the samples or the switches changed.
    void reset();
    // The box of the path's finite samples, computed once.
    template <typename Fetch>
    const PathBox& box(std::int32_t sample_count, Fetch&& samples);
    // The level for drawing, or null when the samples are best drawn as they
    // are (the cells would hardly merge any samples, or the path is too far
    // out for them).
    template <typename Fetch>
    const PathLevel* get(std::int32_t level, std::int32_t sample_count, const std::vector<std::uint32_t>& drawn_pairs,
                         Fetch&& samples);

private:
    const PathLevel* from_built(std::int32_t level, std::size_t pair_count);

    std::vector<PathLevel> levels_;           // consecutive levels, finest first
    std::int32_t no_gain_below_ = INT32_MIN;  // levels at or below this draw the samples
    PathBox box_;
    bool boxed_ = false;
};

// ---------------------------------------------------------------------------
// [SECTION] Polylines simplified in the plane
// ---------------------------------------------------------------------------

struct PathPoint2 {
    double x;
    double y;
};

// Douglas-Peucker: the indices (ascending) of the points of `points` to keep
// so that no point lies farther than `tolerance` from the kept polyline; the
// first and the last point are always kept.
std::vector<std::uint32_t> path_simplification_polyline(const PathPoint2* points, std::size_t count,
                                                        double tolerance);

// ---------------------------------------------------------------------------
// [SECTION] Signals decimated to pixel columns
// ---------------------------------------------------------------------------

// For a chart of `columns` pixel columns over `count` samples: the smallest
// and largest value of the samples falling in each column (sample k falls in
// column floor(k * columns / count)), which is everything a one-pixel line
// through them can show. Columns without samples (more columns than samples)
// repeat the sample they lie on. Values that are not numbers are skipped.
void path_simplification_min_max_columns(const double* values, std::size_t count, std::size_t columns,
                                         std::vector<double>* minimum, std::vector<double>* maximum);

// ---------------------------------------------------------------------------

template <typename Fetch>
const PathBox& PathLevels::box(std::int32_t sample_count, Fetch&& samples)
{
    if (!boxed_) {
        const std::vector<Vector3>& points = samples();
        for (std::int32_t k = 0; k < sample_count; ++k)
            box_.add(points[static_cast<std::size_t>(k)]);
        boxed_ = true;
    }
    return box_;
}

template <typename Fetch>
const PathLevel* PathLevels::get(std::int32_t level, std::int32_t sample_count,
                                 const std::vector<std::uint32_t>& drawn_pairs, Fetch&& samples)
{
    if (level == INT32_MIN || level <= no_gain_below_)
        return nullptr;
    if (levels_.empty() || levels_.front().level > level) {
        // Nothing fine enough yet: cluster the samples a little finer than asked.
        PathLevel clustered;
        const std::vector<Vector3>& points = samples();
        if (!path_simplification_cluster(&clustered, points.data(), sample_count, drawn_pairs.data(),
                                         drawn_pairs.size() / 2, level - 1)) {
            no_gain_below_ = level;
            return nullptr;
        }
        levels_.clear();
        levels_.push_back(std::move(clustered));
    }
    return from_built(level, drawn_pairs.size() / 2);
}
