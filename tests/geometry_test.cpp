// Vector algebra and the reference models.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <set>
#include <utility>

#include "geometry/basic_models.hpp"
#include "geometry/vector_algebra.hpp"

namespace {

void expect_vector(const Vector3& v, double x, double y, double z, double tolerance = 1e-12)
{
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
}

Vector3 row(const Matrix3& m, int r)
{
    return {m.m[3 * r], m.m[3 * r + 1], m.m[3 * r + 2]};
}

TEST(VectorAlgebra, AngleGuardsParallelAndZeroVectors)
{
    const Vector3 x{1, 0, 0}, x2{2, 0, 0}, y{0, 1, 0}, minus_x{-1, 0, 0}, zero{0, 0, 0};
    EXPECT_EQ(algebra_vector_vector_angle(&x, &x2), 0.0);
    EXPECT_EQ(algebra_vector_vector_angle(&zero, &zero), 0.0);
    EXPECT_DOUBLE_EQ(algebra_vector_vector_angle(&x, &y), std::numbers::pi / 2);
    EXPECT_DOUBLE_EQ(algebra_vector_vector_angle(&x, &minus_x), std::numbers::pi);
    // A zero vector against a non-zero one: the dot product and the product of
    // the lengths are both 0, so the guard answers 0 before any division.
    EXPECT_EQ(algebra_vector_vector_angle(&x, &zero), 0.0);
    // Nearly parallel vectors whose cosine rounds above 1 still give a number.
    const Vector3 a{0.1, 0.2, 0.3}, b{0.3, 0.6, 0.9};
    EXPECT_FALSE(std::isnan(algebra_vector_vector_angle(&a, &b)));
}

TEST(VectorAlgebra, BasisFromPlaneIsRightHandedAndOrthonormal)
{
    const Vector3 a{2, 0, 0}, b{1, 1, 0};
    Matrix3 basis;
    algebra_orthonormal_basis_from_plane(&basis, &a, &b);
    expect_vector(row(basis, 0), 1, 0, 0);
    expect_vector(row(basis, 1), 0, 1, 0);
    expect_vector(row(basis, 2), 0, 0, 1);

    // An arbitrary triangle: rows unit, pairwise orthogonal, row 2 = row 0 x row 1.
    const Vector3 p{3.5, -1.25, 7.0}, q{-2.0, 4.0, 0.5};
    algebra_orthonormal_basis_from_plane(&basis, &p, &q);
    for (int r = 0; r < 3; ++r) {
        const Vector3 v = row(basis, r);
        EXPECT_NEAR(algebra_vector_length(&v), 1.0, 1e-12);
    }
    const Vector3 r0 = row(basis, 0), r1 = row(basis, 1), r2 = row(basis, 2);
    EXPECT_NEAR(algebra_vector_vector_dot(&r0, &r1), 0.0, 1e-12);
    Vector3 cross;
    algebra_vector_vector_cross(&cross, &r0, &r1);
    expect_vector(cross, r2.x, r2.y, r2.z);
    Vector3 p_unit;
    algebra_vector_normalize(&p_unit, &p);
    expect_vector(r0, p_unit.x, p_unit.y, p_unit.z);
}

TEST(VectorAlgebra, ParallelEdgesGiveNanRows)
{
    const Vector3 a{1, 0, 0}, b{3, 0, 0};
    Matrix3 basis;
    algebra_orthonormal_basis_from_plane(&basis, &a, &b);
    EXPECT_TRUE(std::isnan(basis.m[3]));
    EXPECT_TRUE(std::isnan(basis.m[6]));
}

TEST(VectorAlgebra, SolveLeavesResultUntouchedForSingularMatrix)
{
    const Matrix3 singular{{1, 2, 3, 1, 2, 3, 0, 1, 5}};
    const Vector3 b{1, 2, 3};
    Vector3 x{42, 43, 44};
    algebra_solve_linear_equasion(&x, &singular, &b);
    expect_vector(x, 42, 43, 44, 0);

    const Matrix3 identity{{1, 0, 0, 0, 1, 0, 0, 0, 1}};
    algebra_solve_linear_equasion(&x, &identity, &b);
    expect_vector(x, 1, 2, 3, 0);

    // A general system: x = (1, -2, 3).
    const Matrix3 a{{2, 1, -1, -3, -1, 2, -2, 1, 2}};
    const Vector3 rhs{2 * 1 + 1 * -2 - 3, -3 * 1 - 1 * -2 + 2 * 3, -2 * 1 + 1 * -2 + 2 * 3};
    algebra_solve_linear_equasion(&x, &a, &rhs);
    expect_vector(x, 1, -2, 3);
}

TEST(VectorAlgebra, Determinants)
{
    const Matrix3 identity{{1, 0, 0, 0, 1, 0, 0, 0, 1}};
    const Matrix3 zero_row{{1, 2, 3, 0, 0, 0, 4, 5, 6}};
    const Matrix3 general{{2, -3, 1, 2, 0, -1, 1, 4, 5}};
    EXPECT_EQ(algebra_matrix_determinant(&identity), 1.0);
    EXPECT_EQ(algebra_matrix_determinant(&zero_row), 0.0);
    EXPECT_DOUBLE_EQ(algebra_matrix_determinant(&general), 49.0);
}

TEST(VectorAlgebra, InPlaceOperations)
{
    Matrix3 m{{1, 2, 3, 4, 5, 6, 7, 8, 9}};
    algebra_matrix_transpose(&m, &m);
    const Matrix3 expected{{1, 4, 7, 2, 5, 8, 3, 6, 9}};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(m.m[i], expected.m[i]);

    Vector3 v{3, 0, 4};
    algebra_vector_normalize(&v, &v);
    expect_vector(v, 0.6, 0, 0.8);

    Vector3 w{1, 2, 3};
    algebra_vector_vector_add(&w, &w, &w);
    expect_vector(w, 2, 4, 6, 0);
    algebra_vector_scalar_sub(&w, &w, 1);
    algebra_vector_scalar_div(&w, &w, 2);
    expect_vector(w, 0.5, 1.5, 2.5, 0);

    const Matrix3 turn{{0, -1, 0, 1, 0, 0, 0, 0, 1}};  // 90 degrees about z
    Vector3 p{1, 0, 5};
    algebra_matrix_vector_mul(&p, &turn, &p);
    expect_vector(p, 0, 1, 5, 0);
}

TEST(VectorAlgebra, DistancesAndOrthogonalPart)
{
    const Vector3 a{1, 2, 3}, b{4, 6, 3};
    EXPECT_EQ(algebra_vector_vector_distance(&a, &b), 5.0);
    EXPECT_EQ(algebra_vector_vector_distance_squared(&a, &b), 25.0);
    const Vector3 n{0, 0, 1}, v{2, 3, 4};
    Vector3 o;
    algebra_extract_orthogonal_subvector(&o, &n, &v);
    expect_vector(o, 2, 3, 0, 0);
}

TEST(BasicModels, TablesAreConsistent)
{
    ASSERT_EQ(unit_cube_verts_number, 8);
    ASSERT_EQ(unit_cube_edges_number, 14);
    ASSERT_EQ(unit_axis_verts_number, 6);
    ASSERT_EQ(unit_axis_edges_number, 3);

    std::set<std::pair<int, int>> seen;
    for (int e = 0; e < unit_cube_edges_number; ++e) {
        const int a = unit_cube_edges[2 * e], b = unit_cube_edges[2 * e + 1];
        ASSERT_TRUE(a >= 0 && a < 8 && b >= 0 && b < 8);
        EXPECT_TRUE(seen.insert({std::min(a, b), std::max(a, b)}).second) << "edge repeated";
        const Vector3 &p = unit_cube_verts[a], &q = unit_cube_verts[b];
        const int differing = (p.x != q.x) + (p.y != q.y) + (p.z != q.z);
        if (e < 12) {
            EXPECT_EQ(differing, 1) << "cube edge " << e;
        } else {
            // The cross on the face z = -1.
            EXPECT_EQ(differing, 2);
            EXPECT_EQ(p.z, -1);
            EXPECT_EQ(q.z, -1);
        }
    }
    for (int e = 0; e < unit_axis_edges_number; ++e) {
        const Vector3 &p = unit_axis_verts[unit_axis_edges[2 * e]], &q = unit_axis_verts[unit_axis_edges[2 * e + 1]];
        EXPECT_EQ(algebra_vector_length(&p), 5.0);
        EXPECT_EQ(algebra_vector_vector_distance(&p, &q), 10.0);
    }
}

}  // namespace
