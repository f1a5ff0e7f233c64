// The geometry module: guards of the vector algebra, the grid lattice and
// the pieces of a switched path.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "geometry/lattice.hpp"
#include "geometry/path_switching.hpp"
#include "geometry/vector_algebra.hpp"
#include "tests/test_support.hpp"

namespace {

using zelto_test::expect_near;

Vector3 row(const Matrix3& m, int r)
{
    return {m.m[3 * r], m.m[3 * r + 1], m.m[3 * r + 2]};
}

// Angles guard parallel and zero vectors; the basis from a plane is
// right-handed and orthonormal (not a number for parallel edges); a singular
// system leaves the result alone.
TEST(VectorAlgebra, AnglesBasesAndSolutions)
{
    const Vector3 x{1, 0, 0}, x2{2, 0, 0}, y{0, 1, 0}, minus_x{-1, 0, 0}, zero{0, 0, 0};
    EXPECT_EQ(algebra_vector_vector_angle(&x, &x2), 0.0);
    EXPECT_EQ(algebra_vector_vector_angle(&zero, &zero), 0.0);
    EXPECT_EQ(algebra_vector_vector_angle(&x, &zero), 0.0);  // answered before any division
    EXPECT_DOUBLE_EQ(algebra_vector_vector_angle(&x, &y), std::numbers::pi / 2);
    EXPECT_DOUBLE_EQ(algebra_vector_vector_angle(&x, &minus_x), std::numbers::pi);
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
    EXPECT_EQ(lattice_node_count(0, 0, 0), 1);
    EXPECT_EQ(lattice_node_count(1, 1, 0), 9);
    EXPECT_EQ(lattice_node_count(2, 2, 2), 125);
    EXPECT_EQ(lattice_node_count(-1, 0, 0), -1);
    EXPECT_EQ(lattice_node_count(INT32_MAX, INT32_MAX, INT32_MAX), -1) << "overflow is refused, not wrapped";
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

// Each switch starts a new piece of the other kind; the piece of every switch
// but the last begins one vertex early, so that consecutive pieces join.
TEST(PathSwitching, PiecesAlternateAtTheSwitches)
{
    const struct {
        int vertex_count;
        std::vector<std::int32_t> switches;
        std::vector<Primitive> expected;
    } cases[] = {
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

}  // namespace
