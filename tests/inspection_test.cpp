// Point inspection: the search's candidate order, ties and locked samples, and the index agreeing with the plain
// search over paths and grid copies placed by the last projection's camera (a pass: the scene tests).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <tuple>

#include "app/inspection.hpp"
#include "geometry/camera.hpp"
#include "geometry/lattice.hpp"
#include "gui/gui.hpp"
#include "tests/test_support.hpp"

namespace {

// A state whose paths and lattice directions are set by hand, under a camera that projects (x, y, z) to the view
// fractions (x, y): no report is needed for the search itself. Copy n of a path is the path moved by the copy's
// offsets along the directions of each sample (spacing 1).
struct SearchState {
    GuiState state;

    explicit SearchState(int samples)
    {
        state.verts_number = state.extrapolated_verts_number = samples;
        for (auto* v : {&state.l_verts, &state.i_verts, &state.r_verts})
            v->assign(static_cast<std::size_t>(samples), Vector3{5, 5, 0});
        state.lattice_directions.assign(static_cast<std::size_t>(samples), {Vector3{1, 0, 0}, {0, 1, 0}, {0, 0, 1}});
        state.extrapolated_distance = 1.0;
        state.projection_camera = camera_identity_matrix();
        state.projection_camera.m[0] = state.projection_camera.m[5] = 2;
        state.projection_camera.m[12] = state.projection_camera.m[13] = -1;
        grid(0, 0, 0);
    }
    // Copies for the kinds that are extrapolated, with (x, y, z) amounts.
    void grid(std::int32_t x, std::int32_t y, std::int32_t z)
    {
        state.extrapolation_x_amount = state.extrapolated_amounts[0] = x;
        state.extrapolation_y_amount = state.extrapolated_amounts[1] = y;
        state.extrapolation_z_amount = state.extrapolated_amounts[2] = z;
        state.extrapolations_number = static_cast<std::int32_t>(lattice_node_count(x, y, z));
        changed();
    }
    // The paths moved: whatever was derived from them is stale.
    void changed() { ++state.paths_generation; }
    std::vector<Vector3>& path(int kind) { return const_cast<std::vector<Vector3>&>(gui_path(&state, kind)); }
};

// Everything a hit says, for comparisons.
std::tuple<int, char, bool, int, int, int> fields(const InspectionHit& hit)
{
    return {hit.hovered, hit.kind, hit.lattice_hit, hit.s, hit.v, hit.h};
}

// Equally near: the lower index, and left before incisal before right; all paths hidden: no candidate, and the kind
// of the previous pass stays. The index follows switches and new projections.
TEST(InspectionSearch, NearestWinsLowerIndexAndEarlierPathOnTies)
{
    SearchState t(4);
    GuiState& s = t.state;
    s.l_verts = {{0.1, 0.1, 0}, {0.5, 0.5, 0.3}, {0.9, 0.9, 0}, {0.5, 0.5, 0.9}};
    s.i_verts = {{0.5, 0.5, 0}, {0.2, 0.8, 0}, {0.8, 0.2, 0}, {0.7, 0.7, 0}};
    s.r_verts = {{0.52, 0.5, 0}, {0.5, 0.5, 0}, {0.3, 0.3, 0}, {0.6, 0.6, 0}};
    EXPECT_EQ(fields(inspection_find_linear(&s, 0.5, 0.5, 'r')), std::make_tuple(1, 'l', false, 0, 0, 0));
    s.draw_l_vertex = false;
    EXPECT_EQ(fields(inspection_find_linear(&s, 0.5, 0.5, 'l')), std::make_tuple(0, 'i', false, 0, 0, 0));
    s.draw_i_vertex = s.draw_r_vertex = false;
    EXPECT_EQ(fields(inspection_find_linear(&s, 0.5, 0.5, 'r')), std::make_tuple(-1, 'r', false, 0, 0, 0));

    s.draw_l_vertex = s.draw_i_vertex = s.draw_r_vertex = true;
    s.l_verts = {{0.1, 0.1, 0}, {0.9, 0.9, 0}, {0.9, 0.9, 0}, {0.9, 0.9, 0}};
    s.i_verts = {{0.4, 0.4, 0}, {0.6, 0.6, 0}, {0.6, 0.6, 0}, {0.6, 0.6, 0}};
    s.r_verts = {{0.45, 0.45, 0}, {0.7, 0.7, 0}, {0.7, 0.7, 0}, {0.7, 0.7, 0}};
    t.changed();
    InspectionIndex index;
    EXPECT_EQ(index.find(&s, 0.42, 0.42, 'l').kind, 'i');
    s.draw_i_vertex = false;
    EXPECT_EQ(index.find(&s, 0.42, 0.42, 'l').kind, 'r');
    s.r_verts = {{0.0, 0.0, 0}, {0.95, 0.95, 0}, {0.95, 0.95, 0}, {0.95, 0.95, 0}};
    t.changed();
    EXPECT_EQ(fields(index.find(&s, 0.42, 0.42, 'l')), std::make_tuple(0, 'l', false, 0, 0, 0));
}

// A locked sample is the only candidate of each path; points that cannot be projected never win; grid copies compete
// after the plain paths.
TEST(InspectionSearch, LockedSamplesUnprojectablePointsAndGridCopies)
{
    SearchState t(8);
    GuiState& s = t.state;
    for (int kind = 0; kind < 3; ++kind)  // left at y 0, incisal at 0.5, right at 1
        for (int k = 0; k < 8; ++k)
            t.path(kind)[k] = {0.1 * k, 0.5 * kind, 0};
    s.locked_point = 5;
    InspectionIndex index;
    EXPECT_EQ(fields(index.find(&s, 0.0, 0.9, 'l')), std::make_tuple(5, 'r', false, 0, 0, 0));
    EXPECT_EQ(fields(index.find(&s, 0.0, 0.4, 'l')), std::make_tuple(5, 'i', false, 0, 0, 0));
    s.locked_point = 8;  // beyond the arrays: nothing is a candidate
    EXPECT_EQ(index.find(&s, 0.0, 0.4, 'i').hovered, -1);

    SearchState u(3);
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    u.state.l_verts = {{nan, nan, nan}, {inf, 0.5, 0}, {0.9, 0.9, 0}};
    u.state.draw_i_vertex = u.state.draw_r_vertex = false;
    EXPECT_EQ(std::pair(InspectionIndex().find(&u.state, 0.5, 0.5, 'i').hovered,
                        inspection_find_linear(&u.state, 0.5, 0.5, 'i').hovered),
              std::pair(2, 2));

    // Grid copies compete after the plain paths and carry their offsets.
    SearchState g(3);
    g.state.draw_extrapolation_i = true;
    g.grid(1, 0, 0);
    // Incisal copies s = -1, 0, +1 at x 0.2, 0.5, 0.8; the left path at 0.21.
    for (int k = 0; k < 3; ++k) {
        g.state.i_verts[k] = {0.5, 0.1 * k, 0};
        g.state.lattice_directions[k][0] = {0.3, 0, 0};
        g.state.l_verts[k] = {0.21, 0.9, 0};
    }
    EXPECT_EQ(fields(inspection_find_linear(&g.state, 0.19, 0.1, 'l')), std::make_tuple(1, 'i', true, -1, 0, 0));
    // A plain path point as near as the nearest copy wins: plain paths come first.
    g.state.l_verts[2] = {0.19, 0.2, 0};
    g.changed();
    EXPECT_EQ(fields(inspection_find_linear(&g.state, 0.19, 0.15, 'l')), std::make_tuple(2, 'l', false, 0, 0, 0));
}

// The index must find exactly what the plain search finds: same winner, same ties, over paths and grid copies, with
// the mouse anywhere, also for candidates closer together than single precision can tell apart.
TEST(InspectionSearch, IndexAgreesWithThePlainSearch)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> coordinate(-0.2, 1.2);
    std::uniform_real_distribution<double> mouse(-0.6, 1.6);
    for (int round = 0; round < 30; ++round) {
        SearchState t(400);
        GuiState& s = t.state;
        std::tie(s.draw_extrapolation_l, s.draw_extrapolation_r, s.draw_i_vertex) =
            std::tuple(round % 2 == 0, round % 3 == 0, round % 5 != 0);
        t.grid(round % 3, 1, round % 2);
        // Coarse coordinates make many exact ties between candidates.
        auto point = [&] {
            return Vector3{std::round(coordinate(random) * 40) / 40, std::round(coordinate(random) * 40) / 40, 0};
        };
        for (int kind = 0; kind < 3; ++kind)
            for (Vector3& p : t.path(kind))
                p = point();
        for (auto& directions : s.lattice_directions)
            for (Vector3& d : directions)
                d = {point().x, point().y, 0};
        t.changed();
        InspectionIndex index;
        for (int q = 0; q < 40; ++q) {
            const double mx = q % 4 == 0 ? std::round(mouse(random) * 40) / 40 : mouse(random);
            const double my = q % 4 == 0 ? std::round(mouse(random) * 40) / 40 : mouse(random);
            EXPECT_EQ(fields(index.find(&s, mx, my, 'r')), fields(inspection_find_linear(&s, mx, my, 'r')))
                << "round " << round << " at " << mx << ", " << my;
        }
    }

    SearchState t(300);
    GuiState& s = t.state;
    std::uniform_int_distribution<int> step(-50, 50);
    for (int kind = 0; kind < 3; ++kind)
        for (Vector3& p : t.path(kind))
            p = {0.5 + step(random) * 1e-11, 0.25 + step(random) * 1e-11, 0};
    t.changed();
    InspectionIndex index;
    for (int q = 0; q <= 50; ++q) {  // the last query far away
        const double mx = q < 50 ? 0.5 + step(random) * 1e-11 : 3.0, my = q < 50 ? 0.25 + step(random) * 1e-11 : -2.0;
        EXPECT_EQ(fields(index.find(&s, mx, my, 'l')), fields(inspection_find_linear(&s, mx, my, 'l')));
    }
}

}  // namespace
