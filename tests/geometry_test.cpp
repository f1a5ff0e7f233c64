// The geometry module: guards of the vector algebra, the grid lattice and the pieces of a switched path.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <random>
#include <set>

#include "geometry/chart_axes.hpp"
#include "geometry/lattice.hpp"
#include "geometry/path_simplification.hpp"
#include "geometry/path_switching.hpp"
#include "geometry/path_trails.hpp"
#include "geometry/vector_algebra.hpp"
#include "tests/jaw_motion.hpp"
#include "tests/test_support.hpp"

namespace {

using zelto_test::expect_near;

Vector3 row(const Matrix3& m, int r)
{
    return {m.m[3 * r], m.m[3 * r + 1], m.m[3 * r + 2]};
}

// Angles guard parallel and zero vectors; the basis from a plane is right-handed and orthonormal (not a number for
// parallel edges); a singular system leaves the result alone.
TEST(VectorAlgebra, AnglesBasesAndSolutions)
{
    const Vector3 x{1, 0, 0}, x2{2, 0, 0}, y{0, 1, 0}, minus_x{-1, 0, 0}, zero{0, 0, 0};
    // With a zero vector answered before any division.
    for (const auto& [a, b, angle] : {std::tuple(&x, &x2, 0.0), {&zero, &zero, 0.0}, {&x, &zero, 0.0},
                                      {&x, &y, std::numbers::pi / 2}, {&x, &minus_x, std::numbers::pi}})
        EXPECT_DOUBLE_EQ(algebra_vector_vector_angle(a, b), angle) << a->x << " " << b->y;
    const Vector3 a{0.1, 0.2, 0.3}, b{0.3, 0.6, 0.9};  // a cosine that rounds above 1
    EXPECT_FALSE(std::isnan(algebra_vector_vector_angle(&a, &b)));

    const Vector3 p{3.5, -1.25, 7.0}, q{-2.0, 4.0, 0.5};
    Matrix3 basis;
    algebra_orthonormal_basis_from_plane(&basis, &p, &q);
    const Vector3 r0 = row(basis, 0), r1 = row(basis, 1), r2 = row(basis, 2);
    for (const Vector3& r : {r0, r1, r2})
        EXPECT_NEAR(algebra_vector_length(&r), 1.0, 1e-12);
    EXPECT_NEAR(algebra_vector_vector_dot(&r0, &r1), 0.0, 1e-12);
    Vector3 cross, p_unit;
    algebra_vector_vector_cross(&cross, &r0, &r1);
    expect_near(cross, r2, 1e-12);
    algebra_vector_normalize(&p_unit, &p);
    expect_near(r0, p_unit, 1e-12);
    algebra_orthonormal_basis_from_plane(&basis, &x, &x2);
    EXPECT_TRUE(std::isnan(basis.m[3]) && std::isnan(basis.m[6]));

    const Matrix3 singular{{1, 2, 3, 1, 2, 3, 0, 1, 5}};
    const Matrix3 general{{2, 1, -1, -3, -1, 2, -2, 1, 2}};
    EXPECT_EQ(algebra_matrix_determinant(&singular), 0.0);
    EXPECT_DOUBLE_EQ(algebra_matrix_determinant(&general), -1.0);
    Vector3 solution{42, 43, 44};
    algebra_solve_linear_equasion(&solution, &singular, &y);
    expect_near(solution, {42, 43, 44}, 0);
    const Vector3 rhs{2 - 2 - 3, -3 + 2 + 6, -2 - 2 + 6};  // general * (1, -2, 3)
    algebra_solve_linear_equasion(&solution, &general, &rhs);
    expect_near(solution, {1, -2, 3}, 1e-12);
}

TEST(Lattice, SizesIndicesAndEdges)
{
    EXPECT_EQ(std::tuple(lattice_node_count(0, 0, 0), lattice_node_count(1, 1, 0), lattice_node_count(2, 2, 2),
                         lattice_node_count(-1, 0, 0), lattice_node_count(INT32_MAX, INT32_MAX, INT32_MAX)),
              std::tuple(1, 9, 125, -1, -1));  // overflow is refused, not wrapped
    EXPECT_EQ(lattice_edge_count(1, 0, 0), 7);
    EXPECT_EQ(lattice_node_index(0, 0, 0, 1, 1, 0), 4);  // the central copy
    for (std::int32_t k = 0; k < 125; ++k) {
        std::int32_t s, v, h;
        lattice_node_offsets(k, 2, 2, 2, &s, &v, &h);
        EXPECT_EQ(lattice_node_index(s, v, h, 2, 2, 2), k);
    }
    std::vector<std::int32_t> edges;
    lattice_edges(&edges, 1, 0, 0);
    EXPECT_EQ(edges, (std::vector<std::int32_t>{0, 0, 1, 1, 2, 2, 0, 0, 1, 1, 2, 2, 0, 2}));
    lattice_edges(&edges, 0, 0, 0);
    EXPECT_EQ(edges, (std::vector<std::int32_t>{0, 0, 0, 0, 0, 0}));
}

struct Primitive {
    bool dashed;
    std::vector<int> vertices;
    bool operator==(const Primitive&) const = default;
};

std::vector<Primitive> primitives(int vertex_count, const std::int32_t* switches, std::int32_t switch_count)
{
    std::vector<Primitive> out;
    for (const PathPiece& piece : path_switching_pieces(vertex_count, switches, switch_count)) {
        out.push_back({piece.dashed, {}});
        for (int k = 0; k < piece.count; ++k)
            out.back().vertices.push_back(piece.first + k);
    }
    return out;
}

// Each switch starts a new piece of the other kind; the piece of every switch but the last begins one vertex early,
// so that consecutive pieces join.
TEST(PathSwitching, PiecesAlternateAtTheSwitches)
{
    const struct { int vertex_count; std::vector<std::int32_t> switches; std::vector<Primitive> expected; } cases[] = {
        {6, {}, {{false, {0, 1, 2, 3, 4, 5}}}},
        {6, {3}, {{false, {0, 1, 2}}, {true, {3, 4, 5}}}},
        {6, {2, 4}, {{false, {0, 1}}, {true, {1, 2, 3}}, {false, {4, 5}}}},
        {4, {0}, {{false, {}}, {true, {0, 1, 2, 3}}}},
        {6, {0, 3}, {{false, {}}, {true, {0, 1, 2}}, {false, {3, 4, 5}}}},
        {6, {2, 2, 4}, {{false, {0, 1}}, {true, {1}}, {false, {1, 2, 3}}, {true, {4, 5}}}},
        {6, {4, 2}, {{false, {0, 1, 2, 3}}, {true, {3, 4, 5}}}},  // out of order: 2 is never reached
        {6, {9}, {{false, {0, 1, 2, 3, 4, 5}}}},                  // out of range
        {6, {-1, 3}, {{false, {0, 1, 2, 3, 4, 5}}}},
        {6, {5}, {{false, {0, 1, 2, 3, 4}}, {true, {5}}}},
        {0, {0}, {{false, {}}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(primitives(c.vertex_count, c.switches.data(), static_cast<std::int32_t>(c.switches.size())),
                  c.expected)
            << c.vertex_count << " vertices, " << c.switches.size() << " switches";
    // No array at all: one solid piece, whatever the count says.
    EXPECT_EQ(primitives(3, nullptr, 4), (std::vector<Primitive>{{false, {0, 1, 2}}}));
}

// The pairs a switched path draws: every pair of a solid piece, every other pair of a dashed one (as the viewport).
TEST(PathSimplification, DrawnPairsFollowTheSwitches)
{
    const std::int32_t one[] = {3}, two[] = {2, 4};
    using Pairs = std::vector<std::uint32_t>;
    EXPECT_EQ(path_simplification_drawn_pairs(6, one, 1), (Pairs{0, 1, 1, 2, 3, 4}));
    EXPECT_EQ(path_simplification_drawn_pairs(6, two, 2), (Pairs{0, 1, 1, 2, 4, 5}));
    EXPECT_EQ(path_simplification_drawn_pairs(3, nullptr, 0), (Pairs{0, 1, 1, 2}));
    // A missing sample leaves a gap: no pair touches it.
    Pairs pairs = path_simplification_drawn_pairs(6, one, 1);
    Vector3 points[6] = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {4, 0, 0}, {5, 0, 0}};
    EXPECT_FALSE(path_simplification_drop_missing(&pairs, points, 6));
    std::tie(points[2].x, points[4].y) = std::tuple(NAN, INFINITY);
    EXPECT_TRUE(path_simplification_drop_missing(&pairs, points, 6));
    EXPECT_EQ(pairs, (Pairs{0, 1}));
}

// A level against a plain map of cells: every sample is drawn at the first sample of its cell, each drawn pair of
// distinct cells is one segment, and a coarser level made from a finer one is the level made from the samples.
TEST(PathSimplification, LevelsAreTheCellsOfTheDrawnPairs)
{
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0.0, 0.3);
    jaw_motion::Motion motion;
    motion.samples = 4000;
    motion.cycles = 12;
    std::vector<Vector3> jaw, wander{{0, 0, 0}};
    for (const EmgDataPoint& p : jaw_motion::samples(motion))
        jaw.push_back({p.incisal.x + noise(random) * 0.1, p.incisal.y, p.incisal.z + noise(random) * 0.1});
    for (int k = 1; k < 3000; ++k)
        wander.push_back({wander.back().x + noise(random), wander.back().y + noise(random), -wander.back().z});
    wander[17].y = std::nan("");
    const std::vector<std::int32_t> switches = jaw_motion::turning_samples(motion);
    for (const auto& [path, level] : {std::pair{&jaw, -2}, std::pair{&wander, -1}, std::pair{&wander, 2}}) {
        const auto n = static_cast<std::int32_t>(path->size());
        const std::vector<std::uint32_t> pairs =
            path_simplification_drawn_pairs(n, switches.data(), static_cast<std::int32_t>(switches.size()));
        PathLevel built, finer;
        ASSERT_TRUE(path_simplification_cluster(&built, path->data(), n, pairs.data(), pairs.size() / 2, level));
        ASSERT_TRUE(path_simplification_cluster(&finer, path->data(), n, pairs.data(), pairs.size() / 2, level - 1));
        const double cell = std::ldexp(1.0, level);
        std::map<std::tuple<double, double, double>, std::uint32_t> first;  // cell -> its first sample
        auto cell_of = [&](const Vector3& p) {
            return std::tuple{std::floor(p.x / cell), std::floor(p.y / cell), std::floor(p.z / cell)};
        };
        for (std::uint32_t k = 0; k < path->size(); ++k)
            if (std::isfinite((*path)[k].y))
                first.emplace(cell_of((*path)[k]), k);
        std::set<std::pair<std::uint32_t, std::uint32_t>> expected, drawn;
        for (std::size_t k = 0; k < pairs.size(); k += 2) {
            const Vector3 &a = (*path)[pairs[k]], &b = (*path)[pairs[k + 1]];
            if (std::isfinite(a.y) && std::isfinite(b.y) && cell_of(a) != cell_of(b))
                expected.insert(std::minmax(first[cell_of(a)], first[cell_of(b)]));
        }
        for (std::size_t s = 0; s < built.segments.size(); s += 2)
            EXPECT_TRUE(drawn.insert(std::minmax(built.first_samples[built.segments[s]],
                                                  built.first_samples[built.segments[s + 1]])).second)
                << "each pair of cells once";
        EXPECT_EQ(drawn, expected) << "level " << level;
        EXPECT_EQ(built.vertex_count(), first.size());
        for (std::size_t v = 0; v < built.vertex_count(); ++v)  // drawn at its representative sample
            EXPECT_LE(std::abs(built.positions[3 * v] - (*path)[built.first_samples[v]].x), 1e-5 * (1 + cell));
        const PathLevel coarsened = path_simplification_coarsen(finer);
        EXPECT_EQ(coarsened.first_samples, built.first_samples);
        EXPECT_EQ(coarsened.cells, built.cells);
        EXPECT_EQ(coarsened.segment_count(), built.segment_count());
        EXPECT_TRUE(path != &jaw || built.segment_count() < pairs.size() / 2 / 2) << "retraced samples share cells";
    }
    // A path far out for the cells is refused.
    const Vector3 far[2] = {{1e12, 0, 0}, {0, 0, 0}};
    const std::uint32_t pair[2] = {0, 1};
    PathLevel untouched;
    EXPECT_FALSE(path_simplification_cluster(&untouched, far, 2, pair, 1, -10));
    EXPECT_EQ(untouched.vertex_count(), 0u);
}

// The scale a level is chosen from: in an orthographic view one mm spans side / (2 |z|) pixels whatever the rotation,
// and no point of the box moves on the screen by more than the scale times its move, in perspective too.
TEST(PathSimplification, ScreenScaleBoundsEveryMove)
{
    PathBox box;
    for (const Vector3& p : {Vector3{-3, 1, 2}, {4, -2, 7}, {std::nan(""), 0, 0}})  // a point not a number: passed over
        box.add(p);
    EXPECT_EQ(std::tuple(box.min.x, box.min.y, box.max.y, box.max.z), std::tuple(-3.0, -2.0, 1.0, 7.0));
    std::mt19937 random(3);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (const bool perspective : {false, true})
        for (const double yaw : {0.0, 33.0, 180.0}) {
            const CameraView view{0.5, -1, -20, 17, yaw, 5, 0.1, 1000, 60, 1, perspective};
            const Matrix4 m = camera_model_view_matrix(view);
            const double scale = path_simplification_pixels_per_mm(m, box, 750);
            EXPECT_TRUE(perspective || std::fabs(scale - 750 / 40.0) < 1e-9) << scale;
            for (int k = 0; k < 200; ++k) {
                const Vector3 p{-3 + 7 * unit(random), -2 + 3 * unit(random), 2 + 5 * unit(random)};
                const Vector3 q{std::min(4.0, p.x + 0.01 * unit(random)), p.y, std::min(7.0, p.z + 0.01)};
                Vector3 a, b;
                ASSERT_TRUE(camera_project(&a, m, p) && camera_project(&b, m, q));
                EXPECT_LE(std::hypot(a.x - b.x, a.y - b.y) * 750,
                          scale * algebra_vector_vector_distance(&p, &q) * (1 + 1e-9));
            }
        }
    EXPECT_EQ(path_simplification_pixels_per_mm(camera_identity_matrix(), PathBox{}, 750), 0.0);
    const CameraView behind{0, 0, 5, 0, 0, 0, 0.1, 1000, 60, 1, true};  // the box reaches behind the eye
    EXPECT_TRUE(std::isinf(path_simplification_pixels_per_mm(camera_model_view_matrix(behind), box, 750)));
    // The coarsest cell of at most the given width.
    for (const double scale : {17.36, 4.42, 1e-3, 300.0}) {
        const std::int32_t level = path_simplification_level(scale, 1.25);
        EXPECT_LE(std::ldexp(scale, level), 1.25);
        EXPECT_GT(std::ldexp(scale, level + 1), 1.25);
    }
    EXPECT_EQ(path_simplification_level(0.0, 1.25), INT32_MIN);
    EXPECT_EQ(path_simplification_level(std::numeric_limits<double>::infinity(), 1.25), INT32_MIN);
    PathLevels levels;  // new samples (another exercise) get their own box
    const std::vector<Vector3> before{{0, 0, 0}}, after{{5, 5, 5}};
    levels.box(1, [&]() -> const std::vector<Vector3>& { return before; });
    levels.reset();
    EXPECT_EQ(levels.box(1, [&]() -> const std::vector<Vector3>& { return after; }).max.x, 5.0);
}

// Douglas-Peucker keeps the ends and stays within its tolerance of every point; a chart column keeps its extremes.
TEST(PathSimplification, PolylinesAndColumns)
{
    std::mt19937 random(11);
    std::normal_distribution<double> step(0.0, 1.0);
    std::vector<PathPoint2> points{{0, 0}};
    for (int k = 1; k < 2000; ++k)
        points.push_back({points.back().x + 0.3 + 0.2 * step(random), points.back().y + step(random)});
    for (const double tolerance : {0.25, 1.0, 4.0}) {
        const std::vector<std::uint32_t> kept = path_simplification_polyline(points.data(), points.size(), tolerance);
        ASSERT_TRUE(kept.size() >= 2 && kept.size() < points.size()) << kept.size();
        EXPECT_TRUE(kept.front() == 0 && kept.back() == points.size() - 1);
        for (std::size_t s = 0; s + 1 < kept.size(); ++s)
            for (std::uint32_t k = kept[s]; k < kept[s + 1]; ++k) {
                const PathPoint2 &a = points[kept[s]], &b = points[kept[s + 1]], &p = points[k];
                const double t = std::clamp(((p.x - a.x) * (b.x - a.x) + (p.y - a.y) * (b.y - a.y))
                                                / (std::pow(b.x - a.x, 2) + std::pow(b.y - a.y, 2)),
                                            0.0, 1.0);
                EXPECT_LE(std::hypot(a.x + t * (b.x - a.x) - p.x, a.y + t * (b.y - a.y) - p.y), tolerance + 1e-9);
            }
    }
    EXPECT_EQ(path_simplification_polyline(points.data(), 1, 1.0), (std::vector<std::uint32_t>{0}));

    // More columns than samples (fewer are checked against a plain search below).
    const double values[] = {3, -1};
    std::vector<double> low, high;
    path_simplification_min_max_columns(values, 2, 4, &low, &high);
    EXPECT_EQ(low, (std::vector<double>{3, 3, -1, -1}));
}

// Segments joined into trails: each segment drawn exactly once (either way round), consecutive vertices of a trail
// joined by a segment, and as few trails as the odd vertices of each connected part allow (one for a closed part).
TEST(PathTrails, EverySegmentOnceInTheFewestTrails)
{
    const struct { const char* what; std::size_t vertices; std::vector<std::uint32_t> segments; std::size_t trails; }
        cases[] = {
            {"nothing", 3, {}, 0},
            {"a chain", 4, {2, 3, 0, 1, 1, 2}, 1},
            {"a square and a separate line", 6, {0, 1, 1, 2, 2, 3, 3, 0, 4, 5}, 2},
            {"a star of four", 5, {0, 1, 0, 2, 0, 3, 0, 4}, 2},
            {"two triangles at one vertex (a bow tie)", 5, {0, 1, 1, 2, 2, 0, 0, 3, 3, 4, 4, 0}, 1},
            {"out of range left out", 2, {0, 1, 1, 7}, 1},
        };
    for (const auto& c : cases) {
        const PathTrails trails = path_trails_join(c.vertices, c.segments);
        EXPECT_EQ(trails.trail_count(), c.trails) << c.what;
        std::multiset<std::pair<std::uint32_t, std::uint32_t>> drawn, expected;
        for (std::size_t k = 0; k + 1 < c.segments.size(); k += 2)
            if (c.segments[k + 1] < c.vertices)
                expected.insert(std::minmax(c.segments[k], c.segments[k + 1]));
        for (std::size_t t = 0; t < trails.trail_count(); ++t)
            for (std::size_t k = trails.starts[t]; k + 1 < trails.trail_end(t); ++k)
                drawn.insert(std::minmax(trails.vertices[k], trails.vertices[k + 1]));
        EXPECT_EQ(drawn, expected) << c.what;
    }
    // A random graph: as many trails as half its odd vertices (it is connected through vertex 0).
    std::mt19937 random(5);
    std::vector<std::uint32_t> segments;
    std::vector<int> degree(200, 0);
    for (std::uint32_t v = 1; v < 200; ++v)
        for (std::uint32_t to : {0u, static_cast<std::uint32_t>(random() % v)}) {
            segments.insert(segments.end(), {v, to});
            ++degree[v];
            ++degree[to];
        }
    const auto odd = std::count_if(degree.begin(), degree.end(), [](int d) { return d % 2 == 1; });
    const PathTrails trails = path_trails_join(200, segments);
    EXPECT_EQ(trails.trail_count(), static_cast<std::size_t>(std::max<long>(1, odd / 2)));
    EXPECT_EQ(trails.vertices.size(), segments.size() / 2 + trails.trail_count());
}

// Chart axes: round steps, ranges widened to whole steps with no more intervals than asked (and the next smaller
// round step would need more), ticks, and the rows of values.
TEST(ChartAxes, RoundStepsRangesAndTicks)
{
    const double nan = std::nan("");
    const struct { double low, high; int intervals; ChartAxis expected; } cases[] = {
        {0.3, 45.97, 6, {0, 50, 10}},         {-0.4, 26.0, 6, {-10, 30, 10}},    {0.008, 0.028, 4, {0, 0.03, 0.01}},
        {0.008, 0.028, 6, {0.005, 0.03, 0.005}}, {7, 7, 4, {6, 8, 0.5}},          {0, 0, 4, {-1, 1, 0.5}},
        {3, -2, 4, {-2, 4, 2}},                {nan, 5, 4, {0, 1, 0.5}},          {-1e6, 1e6, 2, {-1e6, 1e6, 1e6}},
    };
    for (const auto& c : cases) {
        const ChartAxis a = chart_axes_value_axis(c.low, c.high, c.intervals);
        EXPECT_TRUE(std::fabs(a.low - c.expected.low) < 1e-12 && std::fabs(a.high - c.expected.high) < 1e-12
                    && std::fabs(a.step - c.expected.step) < 1e-15)
            << c.low << ".." << c.high << ": " << a.low << ".." << a.high << " by " << a.step;
        const std::vector<double> ticks = chart_axes_ticks(a);
        EXPECT_EQ(ticks.size(), static_cast<std::size_t>(std::lround((a.high - a.low) / a.step)) + 1);
        EXPECT_LE(ticks.size(), static_cast<std::size_t>(c.intervals) + 1);
    }
    for (const auto& [span, intervals, step] :
         {std::tuple(10.0, 5, 2.0), {1.0, 10, 0.1}, {46.0, 6, 10.0}, {0.02, 4, 0.005}, {7.0, 1, 10.0}, {0.0, 5, 1.0},
          {1e-7, 3, 5e-8}, {nan, 3, 1.0}})
        EXPECT_DOUBLE_EQ(chart_axes_nice_step(span, intervals), step) << span;
    // One interval cannot hold a range across zero: the fewest there can be.
    const ChartAxis across = chart_axes_value_axis(-1e6, 1e6, 1);
    EXPECT_EQ(std::tuple(across.low, across.high, across.step), std::tuple(-2e6, 2e6, 2e6));
    EXPECT_EQ(chart_axes_ticks({-0.5, 1.0, 0.5}), (std::vector<double>{-0.5, 0, 0.5, 1.0}));
    EXPECT_EQ(chart_axes_ticks({0.0, 10.0, 0.0}), std::vector<double>{});
    for (const auto& [step, decimals] : {std::pair(5.0, 0), {1.0, 0}, {0.5, 1}, {0.1, 1}, {0.05, 2}, {2e-4, 4}})
        EXPECT_EQ(chart_axes_decimals(step), decimals) << step;
    // The top row's centre, the bottom row's centre, the middle.
    const ChartAxis axis{0, 10, 5};
    EXPECT_EQ(std::tuple(chart_axes_y_of_value(axis, 10, 11), chart_axes_y_of_value(axis, 0, 11),
                         chart_axes_y_of_value(axis, 5, 11)),
              std::tuple(0.5, 10.5, 5.5));
    EXPECT_TRUE(std::isnan(chart_axes_y_of_value(axis, std::numeric_limits<double>::infinity(), 11)));
}

// Time and columns both ways: a click on a column means a sample that falls in it or, where none does, the sample
// whose slot the column lies in; and the decimation puts every sample in the column the cursor marks for it, keeping
// the column's smallest and largest value.
TEST(ChartAxes, TimeAndColumnsBothWays)
{
    std::mt19937 random(5);
    std::uniform_real_distribution<double> value(-50.0, 50.0);
    for (const auto& [n, columns] : {std::pair(1000, 246), {30000, 816}, {246, 246}, {10, 246}, {1, 50}, {7, 3}}) {
        const ChartTimeScale scale{n, columns, 0.01};
        for (std::int32_t c = 0; c < columns; ++c) {
            const std::int64_t k = chart_axes_sample_of_column(scale, c);
            ASSERT_TRUE(k >= 0 && k < n);
            EXPECT_TRUE(chart_axes_column_of_sample(scale, k) == c
                        || (n < columns && k * columns <= c * n && c * n < (k + 1) * columns))
                << n << " " << c;
        }
        std::vector<double> values(static_cast<std::size_t>(n)), low, high;
        std::vector<double> oracle_low(static_cast<std::size_t>(columns), 1e9), oracle_high(oracle_low.size(), -1e9);
        for (std::int64_t k = 0; k < n; ++k) {
            values[k] = k % 17 == 3 ? std::nan("") : value(random);
            const std::size_t c = static_cast<std::size_t>(k * columns / n);  // the slot's left edge
            EXPECT_EQ(chart_axes_column_of_sample(scale, k), static_cast<std::int32_t>(c));
            EXPECT_NEAR(chart_axes_x_of_time(scale, k * 0.01), static_cast<double>(k) * columns / n, 1e-9);
            if (!std::isnan(values[k]))
                std::tie(oracle_low[c], oracle_high[c]) =
                    std::pair(std::min(oracle_low[c], values[k]), std::max(oracle_high[c], values[k]));
        }
        path_simplification_min_max_columns(values.data(), values.size(), columns, &low, &high);
        for (std::int32_t c = 0; c < columns && n >= columns; ++c)  // columns without a finite sample are not compared
            EXPECT_TRUE(oracle_low[c] > oracle_high[c] || (low[c] == oracle_low[c] && high[c] == oracle_high[c]))
                << n << " " << c;
        EXPECT_NEAR(chart_axes_time_of_x(scale, chart_axes_x_of_time(scale, 1.2345)), 1.2345, 1e-12);
        EXPECT_DOUBLE_EQ(chart_axes_duration(scale), n * 0.01);
    }
    EXPECT_EQ(chart_axes_column_of_sample({0, 10, 1.0}, 0) + chart_axes_sample_of_column({5, 0, 1.0}, 0), -2);
}

// The plots of a chart stack inside the picture, equally high and one above the other, with the time labels under the
// last; a picture too small for them gets empty plots, never negative ones.
TEST(ChartAxes, LayoutStacksThePlots)
{
    for (const auto& [w, h, count] : {std::tuple(330, 230, 2), {330, 230, 1}, {900, 600, 2}, {10, 10, 2}, {0, -5, 1}}) {
        const ChartLayout layout = chart_axes_layout(w, h, count);
        ASSERT_EQ(layout.panels.size(), static_cast<std::size_t>(count));
        int below = 0;
        for (const ChartPanelLayout& panel : layout.panels) {
            const ChartRect &p = panel.plot, &head = panel.header;
            EXPECT_TRUE(p.w >= 0 && p.h >= 0 && p.h == layout.panels[0].plot.h && p.x == CHART_SIDE_MARGIN) << w;
            EXPECT_TRUE(head.y >= below && head.y + head.h <= p.y && head.h >= CHART_TEXT_LINE) << w;
            below = p.y + p.h;
        }
        const ChartRect& row = layout.time_labels;
        EXPECT_TRUE(row.y >= below && row.h >= CHART_TEXT_LINE) << w;
        const ChartRect& first = layout.panels[0].plot;
        EXPECT_TRUE(w < 100 || h < 100 ||
                    (row.y + row.h <= h && count * first.h > h / 2 && first.x + first.w + CHART_SIDE_MARGIN == w))
            << w;
    }
}

}  // namespace
