#include "geometry/basic_models.hpp"

const Vector3 unit_cube_verts[8] = {
    {-1, -1, -1}, {-1, -1, 1}, {-1, 1, -1}, {-1, 1, 1},
    {1, -1, -1},  {1, -1, 1},  {1, 1, -1},  {1, 1, 1},
};
const std::int32_t unit_cube_verts_number = 8;

const std::int32_t unit_cube_edges[2 * 14] = {
    0, 1, 0, 2, 0, 4, 1, 3, 1, 5, 2, 3, 2, 6,
    3, 7, 4, 6, 4, 5, 5, 7, 6, 7, 0, 6, 2, 4,
};
const std::int32_t unit_cube_edges_number = 14;

const Vector3 unit_axis_verts[6] = {
    {5, 0, 0}, {-5, 0, 0}, {0, 5, 0}, {0, -5, 0}, {0, 0, 5}, {0, 0, -5},
};
const std::int32_t unit_axis_verts_number = 6;

const std::int32_t unit_axis_edges[2 * 3] = {0, 1, 2, 3, 4, 5};
const std::int32_t unit_axis_edges_number = 3;
