#include "geometry/lattice.hpp"

#include <cmath>

std::int64_t lattice_node_count(std::int64_t x, std::int64_t y, std::int64_t z)
{
    if (x < 0 || y < 0 || z < 0 || x > INT32_MAX || y > INT32_MAX || z > INT32_MAX)
        return -1;
    // Each side fits in 33 bits; the product is checked step by step.
    const std::int64_t a = 2 * x + 1, b = 2 * y + 1, c = 2 * z + 1;
    std::int64_t ab = 0, abc = 0;
    if (__builtin_mul_overflow(a, b, &ab) || __builtin_mul_overflow(ab, c, &abc))
        return -1;
    return abc;
}

std::int64_t lattice_edge_count(std::int64_t x, std::int64_t y, std::int64_t z)
{
    if (x < 0 || y < 0 || z < 0 || x > INT32_MAX || y > INT32_MAX || z > INT32_MAX)
        return -1;
    const std::int64_t a = 2 * x + 1, b = 2 * y + 1, c = 2 * z + 1;
    std::int64_t ab = 0, ac = 0, bc = 0, sum = 0, total = 0;
    if (__builtin_mul_overflow(a, b, &ab) || __builtin_mul_overflow(a, c, &ac) || __builtin_mul_overflow(b, c, &bc)
        || __builtin_add_overflow(ab, ac, &sum) || __builtin_add_overflow(sum, bc, &total))
        return -1;
    return total;
}

std::int32_t lattice_node_index(std::int32_t s, std::int32_t v, std::int32_t h, std::int32_t x, std::int32_t y,
                                std::int32_t z)
{
    return ((s + x) * (2 * y + 1) + (v + y)) * (2 * z + 1) + (h + z);
}

void lattice_node_offsets(std::int32_t index, std::int32_t x, std::int32_t y, std::int32_t z, std::int32_t* s,
                          std::int32_t* v, std::int32_t* h)
{
    const std::int32_t c = 2 * z + 1, b = 2 * y + 1;
    *h = index % c - z;
    *v = (index / c) % b - y;
    *s = index / c / b - x;
}

void lattice_edges(std::vector<std::int32_t>* out, std::int32_t x, std::int32_t y, std::int32_t z)
{
    out->clear();
    out->reserve(static_cast<std::size_t>(2 * lattice_edge_count(x, y, z)));
    auto pair = [&](std::int32_t a, std::int32_t b) {
        out->push_back(a);
        out->push_back(b);
    };
    for (std::int32_t s = -x; s <= x; ++s)
        for (std::int32_t v = -y; v <= y; ++v)
            pair(lattice_node_index(s, v, -z, x, y, z), lattice_node_index(s, v, z, x, y, z));
    for (std::int32_t s = -x; s <= x; ++s)
        for (std::int32_t h = -z; h <= z; ++h)
            pair(lattice_node_index(s, -y, h, x, y, z), lattice_node_index(s, y, h, x, y, z));
    for (std::int32_t v = -y; v <= y; ++v)
        for (std::int32_t h = -z; h <= z; ++h)
            pair(lattice_node_index(-x, v, h, x, y, z), lattice_node_index(x, v, h, x, y, z));
}

Matrix3 lattice_jaw_basis(const Vector3& left, const Vector3& incisal, const Vector3& right)
{
    Vector3 a, b;
    algebra_vector_vector_sub(&a, &right, &left);
    algebra_vector_vector_sub(&b, &right, &incisal);
    Matrix3 basis;
    algebra_orthonormal_basis_from_plane(&basis, &a, &b);
    return basis;
}

std::size_t lattice_reference_sample(const Vector3* left, const Vector3* incisal, const Vector3* right,
                                     std::size_t count)
{
    const auto finite = [](const Vector3& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); };
    for (std::size_t t = 0; t < count; ++t)
        if (finite(left[t]) && finite(incisal[t]) && finite(right[t]))
            return t;
    return count;
}

void lattice_directions(Vector3 directions[3], const Matrix3& reference, const Matrix3& basis)
{
    for (int j = 0; j < 3; ++j) {
        Vector3 sum{0, 0, 0};
        for (int i = 0; i < 3; ++i) {
            const Vector3 row{basis.m[3 * i], basis.m[3 * i + 1], basis.m[3 * i + 2]};
            Vector3 scaled;
            algebra_vector_scalar_mul(&scaled, &row, reference.m[3 * i + j]);
            if (i == 0)
                sum = scaled;
            else
                algebra_vector_vector_add(&sum, &sum, &scaled);
        }
        algebra_vector_normalize(&directions[j], &sum);
    }
}

void lattice_nodes(std::vector<Vector3>* out, const Vector3& point, const Vector3 directions[3], double distance,
                   std::int32_t x, std::int32_t y, std::int32_t z)
{
    out->resize(static_cast<std::size_t>(lattice_node_count(x, y, z)));
    std::size_t k = 0;
    for (std::int32_t s = -x; s <= x; ++s)
        for (std::int32_t v = -y; v <= y; ++v)
            for (std::int32_t h = -z; h <= z; ++h) {
                const std::int32_t offsets[3] = {s, v, h};
                Vector3 node = point;
                for (int j = 0; j < 3; ++j) {
                    Vector3 step;
                    algebra_vector_scalar_mul(&step, &directions[j], offsets[j] * distance);
                    algebra_vector_vector_add(&node, &node, &step);
                }
                (*out)[k++] = node;
            }
}

const Vector3 lattice_world_axes[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
