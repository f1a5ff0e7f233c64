// The two reference wire models of the 3D view, in the units of the recorded
// paths (millimetres): a cube of half-edge 1 around the origin, and three
// axis lines reaching 5 units from the origin on each side.
#pragma once

#include <cstdint>

#include "geometry/vector_algebra.hpp"

// Edges are flat arrays of vertex indices, two per edge, the form the
// viewport's edge drawing takes.
extern const Vector3 unit_cube_verts[8];
extern const std::int32_t unit_cube_verts_number;
// Twelve cube edges, then the two diagonals of the face z = -1, which mark
// that face with a cross.
extern const std::int32_t unit_cube_edges[2 * 14];
extern const std::int32_t unit_cube_edges_number;

extern const Vector3 unit_axis_verts[6];
extern const std::int32_t unit_axis_verts_number;
// The x, y and z axis, each from its positive to its negative end.
extern const std::int32_t unit_axis_edges[2 * 3];
extern const std::int32_t unit_axis_edges_number;
