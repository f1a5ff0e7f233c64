// Point inspection: the candidate order, tie rules and locked samples of the
// search, the index agreeing with the plain search, and what a pass draws
// and writes.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "app/inspection.hpp"
#include "app/scene.hpp"
#include "geometry/lattice.hpp"
#include "gui/gui.hpp"
#include "tests/test_support.hpp"

namespace {

// A state whose projected arrays are set by hand: no report is needed for
// the search itself.
struct SearchState {
    GuiState state;

    explicit SearchState(int samples)
    {
        state.verts_number = samples;
        for (auto* v : {&state.l_projected_verts, &state.i_projected_verts, &state.r_projected_verts})
            v->assign(static_cast<std::size_t>(samples), Vector3{5, 5, 0});
    }
    // Grid copies for the kinds that are extrapolated, with (x, y, z) amounts.
    void grid(std::int32_t x, std::int32_t y, std::int32_t z)
    {
        state.extrapolation_x_amount = x;
        state.extrapolation_y_amount = y;
        state.extrapolation_z_amount = z;
        const auto n = static_cast<std::size_t>(lattice_node_count(x, y, z));
        for (auto* copies : {&state.l_projected_extrapolated_verts, &state.i_projected_extrapolated_verts,
                             &state.r_projected_extrapolated_verts})
            copies->assign(n, std::vector<Vector3>(static_cast<std::size_t>(state.verts_number), Vector3{5, 5, 0}));
        ++state.projection_generation;
    }
};

void expect_same(const InspectionHit& a, const InspectionHit& b, const char* what)
{
    EXPECT_EQ(a.hovered, b.hovered) << what;
    EXPECT_EQ(a.kind, b.kind) << what;
    EXPECT_EQ(a.lattice_hit, b.lattice_hit) << what;
    EXPECT_EQ(a.s, b.s) << what;
    EXPECT_EQ(a.v, b.v) << what;
    EXPECT_EQ(a.h, b.h) << what;
}

TEST(InspectionSearch, NearestWinsLowerIndexAndEarlierPathOnTies)
{
    SearchState t(4);
    GuiState& s = t.state;
    s.l_projected_verts = {{0.1, 0.1, 0}, {0.5, 0.5, 0.3}, {0.9, 0.9, 0}, {0.5, 0.5, 0.9}};
    s.i_projected_verts = {{0.5, 0.5, 0}, {0.2, 0.8, 0}, {0.8, 0.2, 0}, {0.7, 0.7, 0}};
    s.r_projected_verts = {{0.52, 0.5, 0}, {0.5, 0.5, 0}, {0.3, 0.3, 0}, {0.6, 0.6, 0}};

    InspectionHit hit = inspection_find_linear(&s, 0.5, 0.5, 'r');
    EXPECT_EQ(hit.hovered, 1) << "two equally near samples: the lower index";
    EXPECT_EQ(hit.kind, 'l') << "between paths at equal distance: left before incisal before right";
    EXPECT_FALSE(hit.lattice_hit);

    s.draw_l_vertex = false;
    hit = inspection_find_linear(&s, 0.5, 0.5, 'l');
    EXPECT_EQ(hit.hovered, 0);
    EXPECT_EQ(hit.kind, 'i');

    s.draw_i_vertex = s.draw_r_vertex = false;
    hit = inspection_find_linear(&s, 0.5, 0.5, 'r');
    EXPECT_EQ(hit.hovered, -1) << "all paths hidden: no candidate";
    EXPECT_EQ(hit.kind, 'r') << "the kind of the previous pass stays";
}

TEST(InspectionSearch, LockedSampleIsTheOnlyCandidatePerPath)
{
    SearchState t(8);
    GuiState& s = t.state;
    for (int k = 0; k < 8; ++k) {
        s.l_projected_verts[k] = {0.1 * k, 0.0, 0};
        s.i_projected_verts[k] = {0.1 * k, 0.5, 0};
        s.r_projected_verts[k] = {0.1 * k, 1.0, 0};
    }
    s.locked_point = 5;
    InspectionIndex index;
    InspectionHit hit = index.find(&s, 0.0, 0.9, 'l');
    EXPECT_EQ(hit.hovered, 5);
    EXPECT_EQ(hit.kind, 'r');
    hit = index.find(&s, 0.0, 0.4, 'l');
    EXPECT_EQ(hit.hovered, 5);
    EXPECT_EQ(hit.kind, 'i');

    s.locked_point = 8;  // beyond the arrays: nothing is a candidate
    hit = index.find(&s, 0.0, 0.4, 'i');
    EXPECT_EQ(hit.hovered, -1);
}

TEST(InspectionSearch, GridCopiesCompeteAfterThePlainPathsAndCarryTheirOffsets)
{
    SearchState t(3);
    GuiState& s = t.state;
    s.draw_extrapolation_i = true;
    t.grid(1, 0, 0);
    // Incisal copies s = -1, 0, +1 at x 0.2, 0.5, 0.8; the left path at 0.21.
    for (int k = 0; k < 3; ++k) {
        s.i_projected_extrapolated_verts[0][k] = {0.2, 0.1 * k, 0};
        s.i_projected_extrapolated_verts[1][k] = {0.5, 0.1 * k, 0};
        s.i_projected_extrapolated_verts[2][k] = {0.8, 0.1 * k, 0};
        s.l_projected_verts[k] = {0.21, 0.9, 0};
    }
    InspectionHit hit = inspection_find_linear(&s, 0.19, 0.1, 'l');
    EXPECT_TRUE(hit.lattice_hit);
    EXPECT_EQ(hit.kind, 'i');
    EXPECT_EQ(hit.hovered, 1);
    EXPECT_EQ(hit.s, -1);
    EXPECT_EQ(hit.v, 0);
    EXPECT_EQ(hit.h, 0);

    // A plain path point at exactly the distance of the nearest copy wins:
    // the plain paths come first.
    s.l_projected_verts[2] = {0.19, 0.2, 0};
    hit = inspection_find_linear(&s, 0.19, 0.15, 'l');
    EXPECT_FALSE(hit.lattice_hit);
    EXPECT_EQ(hit.kind, 'l');
    EXPECT_EQ(hit.hovered, 2);
}

TEST(InspectionSearch, PointsThatCannotBeProjectedNeverWin)
{
    SearchState t(3);
    GuiState& s = t.state;
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    s.l_projected_verts = {{nan, nan, nan}, {inf, 0.5, 0}, {0.9, 0.9, 0}};
    s.draw_i_vertex = s.draw_r_vertex = false;
    InspectionIndex index;
    const InspectionHit hit = index.find(&s, 0.5, 0.5, 'i');
    EXPECT_EQ(hit.hovered, 2);
    expect_same(hit, inspection_find_linear(&s, 0.5, 0.5, 'i'), "non-finite candidates");
}

// The index must find exactly what the plain search finds: same winner,
// same ties, over paths and grid copies, with the mouse anywhere.
TEST(InspectionSearch, IndexAgreesWithThePlainSearch)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> coordinate(-0.2, 1.2);
    std::uniform_real_distribution<double> mouse(-0.6, 1.6);
    for (int round = 0; round < 30; ++round) {
        SearchState t(400);
        GuiState& s = t.state;
        s.draw_extrapolation_l = round % 2 == 0;
        s.draw_extrapolation_r = round % 3 == 0;
        s.draw_i_vertex = round % 5 != 0;
        t.grid(round % 3, 1, round % 2);
        // Coarse coordinates make many exact ties between candidates.
        auto point = [&] {
            return Vector3{std::round(coordinate(random) * 40) / 40, std::round(coordinate(random) * 40) / 40, 0};
        };
        for (auto* v : {&s.l_projected_verts, &s.i_projected_verts, &s.r_projected_verts})
            for (Vector3& p : *v)
                p = point();
        for (auto* copies : {&s.l_projected_extrapolated_verts, &s.i_projected_extrapolated_verts,
                             &s.r_projected_extrapolated_verts})
            for (auto& copy : *copies)
                for (Vector3& p : copy)
                    p = point();
        ++s.projection_generation;

        InspectionIndex index;
        for (int q = 0; q < 40; ++q) {
            const double mx = q % 4 == 0 ? std::round(mouse(random) * 40) / 40 : mouse(random);
            const double my = q % 4 == 0 ? std::round(mouse(random) * 40) / 40 : mouse(random);
            expect_same(index.find(&s, mx, my, 'r'), inspection_find_linear(&s, mx, my, 'r'), "random scene");
        }
    }
}

// Candidates closer together than single precision can tell apart: the
// index must still pick the exact nearest, and the first of exact ties.
TEST(InspectionSearch, IndexSeparatesCandidatesBelowSinglePrecision)
{
    SearchState t(300);
    GuiState& s = t.state;
    std::mt19937 random(11);
    std::uniform_int_distribution<int> step(-50, 50);
    for (auto* v : {&s.l_projected_verts, &s.i_projected_verts, &s.r_projected_verts})
        for (Vector3& p : *v)
            p = {0.5 + step(random) * 1e-11, 0.25 + step(random) * 1e-11, 0};
    ++s.projection_generation;
    InspectionIndex index;
    for (int q = 0; q < 50; ++q) {
        const double mx = 0.5 + step(random) * 1e-11, my = 0.25 + step(random) * 1e-11;
        expect_same(index.find(&s, mx, my, 'l'), inspection_find_linear(&s, mx, my, 'l'), "dense candidates");
    }
    // Far away, the same winner too.
    expect_same(index.find(&s, 3.0, -2.0, 'l'), inspection_find_linear(&s, 3.0, -2.0, 'l'), "far mouse");
}

TEST(InspectionSearch, IndexFollowsNewProjectionsAndSwitches)
{
    SearchState t(2);
    GuiState& s = t.state;
    s.l_projected_verts = {{0.1, 0.1, 0}, {0.9, 0.9, 0}};
    s.i_projected_verts = {{0.4, 0.4, 0}, {0.6, 0.6, 0}};
    s.r_projected_verts = {{0.45, 0.45, 0}, {0.7, 0.7, 0}};
    InspectionIndex index;
    EXPECT_EQ(index.find(&s, 0.42, 0.42, 'l').kind, 'i');
    s.draw_i_vertex = false;
    EXPECT_EQ(index.find(&s, 0.42, 0.42, 'l').kind, 'r');
    s.r_projected_verts = {{0.0, 0.0, 0}, {0.95, 0.95, 0}};
    ++s.projection_generation;
    const InspectionHit hit = index.find(&s, 0.42, 0.42, 'l');
    EXPECT_EQ(hit.kind, 'l');
    EXPECT_EQ(hit.hovered, 0);
}

}  // namespace
