// Value operations on 3-vectors and 3 x 3 matrices of doubles.
//
// Every function writes its result through the first argument (or returns a
// single number), never allocates and never fails: division by zero and
// square roots follow IEEE arithmetic. Unless noted, each output element is
// computed from input elements of the same index only, so the output may be
// one of the inputs (in-place use).
#pragma once

struct Vector3 {
    double x;
    double y;
    double z;
};

// Row-major: entry (r, c) is m[3 * r + c]. A basis is stored as its rows.
struct Matrix3 {
    double m[9];
};

void algebra_vector_copy(Vector3* out, const Vector3* v);
void algebra_matrix_copy(Matrix3* out, const Matrix3* m);

void algebra_vector_scalar_add(Vector3* out, const Vector3* v, double s);
void algebra_vector_scalar_sub(Vector3* out, const Vector3* v, double s);
void algebra_vector_scalar_mul(Vector3* out, const Vector3* v, double s);
void algebra_vector_scalar_div(Vector3* out, const Vector3* v, double s);

void algebra_vector_vector_add(Vector3* out, const Vector3* a, const Vector3* b);
void algebra_vector_vector_sub(Vector3* out, const Vector3* a, const Vector3* b);
void algebra_vector_vector_mul(Vector3* out, const Vector3* a, const Vector3* b);
void algebra_vector_vector_div(Vector3* out, const Vector3* a, const Vector3* b);

// out may be m: the input is copied before the first write.
void algebra_matrix_transpose(Matrix3* out, const Matrix3* m);

double algebra_vector_length(const Vector3* v);
// No guard: a zero vector gives NaN components.
void algebra_vector_normalize(Vector3* out, const Vector3* v);
double algebra_vector_vector_dot(const Vector3* a, const Vector3* b);
// out must not be a or b: the components are written one after the other.
void algebra_vector_vector_cross(Vector3* out, const Vector3* a, const Vector3* b);
double algebra_vector_vector_distance(const Vector3* a, const Vector3* b);
double algebra_vector_vector_distance_squared(const Vector3* a, const Vector3* b);
// Radians. Exactly 0 when a.b and |a||b| differ by less than 1e-14 (parallel
// vectors in the same direction, two zero vectors); NaN for a zero vector
// against a non-zero one.
double algebra_vector_vector_angle(const Vector3* a, const Vector3* b);
// v - n (v.n): the part of v orthogonal to the unit vector n.
void algebra_extract_orthogonal_subvector(Vector3* out, const Vector3* n, const Vector3* v);
// Right-handed orthonormal basis: row 0 along a, rows 0 and 1 spanning the
// plane of a and b, row 2 = row 0 x row 1. Parallel a and b give NaN rows.
void algebra_orthonormal_basis_from_plane(Matrix3* out, const Vector3* a, const Vector3* b);
double algebra_matrix_determinant(const Matrix3* m);
// Cramer's rule; x is left untouched when det(A) is exactly 0.
void algebra_solve_linear_equasion(Vector3* x, const Matrix3* A, const Vector3* b);
// out may be v.
void algebra_matrix_vector_mul(Vector3* out, const Matrix3* m, const Vector3* v);
