#include "geometry/vector_algebra.hpp"

#include <cmath>

void algebra_vector_copy(Vector3* out, const Vector3* v)
{
    *out = *v;
}

void algebra_matrix_copy(Matrix3* out, const Matrix3* m)
{
    *out = *m;
}

void algebra_vector_scalar_add(Vector3* out, const Vector3* v, double s)
{
    out->x = v->x + s;
    out->y = v->y + s;
    out->z = v->z + s;
}

void algebra_vector_scalar_sub(Vector3* out, const Vector3* v, double s)
{
    out->x = v->x - s;
    out->y = v->y - s;
    out->z = v->z - s;
}

void algebra_vector_scalar_mul(Vector3* out, const Vector3* v, double s)
{
    out->x = v->x * s;
    out->y = v->y * s;
    out->z = v->z * s;
}

void algebra_vector_scalar_div(Vector3* out, const Vector3* v, double s)
{
    out->x = v->x / s;
    out->y = v->y / s;
    out->z = v->z / s;
}

void algebra_vector_vector_add(Vector3* out, const Vector3* a, const Vector3* b)
{
    out->x = a->x + b->x;
    out->y = a->y + b->y;
    out->z = a->z + b->z;
}

void algebra_vector_vector_sub(Vector3* out, const Vector3* a, const Vector3* b)
{
    out->x = a->x - b->x;
    out->y = a->y - b->y;
    out->z = a->z - b->z;
}

void algebra_vector_vector_mul(Vector3* out, const Vector3* a, const Vector3* b)
{
    out->x = a->x * b->x;
    out->y = a->y * b->y;
    out->z = a->z * b->z;
}

void algebra_vector_vector_div(Vector3* out, const Vector3* a, const Vector3* b)
{
    out->x = a->x / b->x;
    out->y = a->y / b->y;
    out->z = a->z / b->z;
}

void algebra_matrix_transpose(Matrix3* out, const Matrix3* m)
{
    const Matrix3 t = *m;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            out->m[3 * r + c] = t.m[3 * c + r];
}

double algebra_vector_length(const Vector3* v)
{
    return std::sqrt(v->x * v->x + v->y * v->y + v->z * v->z);
}

void algebra_vector_normalize(Vector3* out, const Vector3* v)
{
    algebra_vector_scalar_div(out, v, algebra_vector_length(v));
}

double algebra_vector_vector_dot(const Vector3* a, const Vector3* b)
{
    return a->x * b->x + a->y * b->y + a->z * b->z;
}

void algebra_vector_vector_cross(Vector3* out, const Vector3* a, const Vector3* b)
{
    out->x = a->y * b->z - a->z * b->y;
    out->y = a->z * b->x - a->x * b->z;
    out->z = a->x * b->y - a->y * b->x;
}

double algebra_vector_vector_distance(const Vector3* a, const Vector3* b)
{
    return std::sqrt(algebra_vector_vector_distance_squared(a, b));
}

double algebra_vector_vector_distance_squared(const Vector3* a, const Vector3* b)
{
    const double dx = a->x - b->x;
    const double dy = a->y - b->y;
    const double dz = a->z - b->z;
    return dx * dx + dy * dy + dz * dz;
}

double algebra_vector_vector_angle(const Vector3* a, const Vector3* b)
{
    const double d = algebra_vector_vector_dot(a, b);
    const double p = algebra_vector_length(a) * algebra_vector_length(b);
    // Parallel vectors would otherwise give acos of a value a rounding error
    // above 1, which is NaN.
    if (std::fabs(d - p) < 1e-14)
        return 0.0;
    return std::acos(d / p);
}

void algebra_extract_orthogonal_subvector(Vector3* out, const Vector3* n, const Vector3* v)
{
    const double along = algebra_vector_vector_dot(v, n);
    out->x = v->x - n->x * along;
    out->y = v->y - n->y * along;
    out->z = v->z - n->z * along;
}

void algebra_orthonormal_basis_from_plane(Matrix3* out, const Vector3* a, const Vector3* b)
{
    Vector3 a_hat;
    Vector3 b_hat;
    algebra_vector_normalize(&a_hat, a);
    algebra_vector_normalize(&b_hat, b);

    Vector3 o;
    algebra_extract_orthogonal_subvector(&o, &a_hat, &b_hat);
    Vector3 c;
    algebra_vector_vector_cross(&c, a, &o);

    Vector3 rows[3];
    algebra_vector_normalize(&rows[0], a);
    algebra_vector_normalize(&rows[1], &o);
    algebra_vector_normalize(&rows[2], &c);
    for (int r = 0; r < 3; ++r) {
        out->m[3 * r + 0] = rows[r].x;
        out->m[3 * r + 1] = rows[r].y;
        out->m[3 * r + 2] = rows[r].z;
    }
}

double algebra_matrix_determinant(const Matrix3* m)
{
    const double* e = m->m;
    return e[0] * (e[4] * e[8] - e[5] * e[7])
         + e[1] * (e[5] * e[6] - e[3] * e[8])
         + e[2] * (e[3] * e[7] - e[4] * e[6]);
}

void algebra_solve_linear_equasion(Vector3* x, const Matrix3* A, const Vector3* b)
{
    const double d = algebra_matrix_determinant(A);
    if (d == 0.0)
        return;
    const double rhs[3] = {b->x, b->y, b->z};
    double result[3];
    for (int k = 0; k < 3; ++k) {
        Matrix3 a_k = *A;
        for (int r = 0; r < 3; ++r)
            a_k.m[3 * r + k] = rhs[r];
        result[k] = algebra_matrix_determinant(&a_k) / d;
    }
    x->x = result[0];
    x->y = result[1];
    x->z = result[2];
}

void algebra_matrix_vector_mul(Vector3* out, const Matrix3* m, const Vector3* v)
{
    const Vector3 in = *v;
    const double* e = m->m;
    out->x = e[0] * in.x + e[1] * in.y + e[2] * in.z;
    out->y = e[3] * in.x + e[4] * in.y + e[5] * in.z;
    out->z = e[6] * in.x + e[7] * in.y + e[8] * in.z;
}
