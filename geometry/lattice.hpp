// The grid lattice: (2x+1)(2y+1)(2z+1) virtual points spaced `distance`
// apart along three directions ("Sagittal", "Vertical", "Horizontal"),
// centred on a tracked point and carried along with the jaw. The scene, the
// jaw vertex pipeline, the point inspection and the SVG export share the
// node order, the edge list and the directions defined here.
//
// Node (s, v, h), with s from -x to x outermost, v from -y to y, h from -z
// to z innermost, has the index ((s + x)(2y+1) + (v + y))(2z+1) + (h + z).
#pragma once

#include <cstdint>
#include <vector>

#include "geometry/vector_algebra.hpp"

// (2x+1)(2y+1)(2z+1), computed without overflow; -1 for a negative amount.
std::int64_t lattice_node_count(std::int64_t x, std::int64_t y, std::int64_t z);
// (2x+1)(2y+1) + (2x+1)(2z+1) + (2y+1)(2z+1); -1 for a negative amount.
std::int64_t lattice_edge_count(std::int64_t x, std::int64_t y, std::int64_t z);

std::int32_t lattice_node_index(std::int32_t s, std::int32_t v, std::int32_t h, std::int32_t x, std::int32_t y,
                                std::int32_t z);
// The offsets (s, v, h) of node `index`.
void lattice_node_offsets(std::int32_t index, std::int32_t x, std::int32_t y, std::int32_t z, std::int32_t* s,
                          std::int32_t* v, std::int32_t* h);

// The lines of the lattice as flat pairs of node indices, each one straight
// line through a whole row: first along h (for each s, then v), then along v
// (for each s, then h), then along s (for each v, then h).
void lattice_edges(std::vector<std::int32_t>* out, std::int32_t x, std::int32_t y, std::int32_t z);

// The jaw frame of three points: the orthonormal basis of the plane of
// (right - left, right - incisal); row 0 points from the left to the right
// condyle, row 2 is normal to the plane.
Matrix3 lattice_jaw_basis(const Vector3& left, const Vector3& incisal, const Vector3& right);

// The sample whose jaw frame is the reference of the lattice directions: the
// first whose three points are all finite, or `count` when none is. A
// sample with a point that is not finite (missing) has no frame: its
// directions, and so its grid nodes, are NaN and leave a gap.
std::size_t lattice_reference_sample(const Vector3* left, const Vector3* incisal, const Vector3* right,
                                     std::size_t count);

// The lattice directions at a sample: the world axes as they lay in the jaw
// frame `reference` (of sample 0), carried along to the frame `basis`:
// direction j = normalize(sum over i of reference[i][j] * basis row i).
// At basis == reference they are the world axes x, y, z.
void lattice_directions(Vector3 directions[3], const Matrix3& reference, const Matrix3& basis);

// The nodes around `point` in lattice order: point + d0 (s D) + d1 (v D) +
// d2 (h D), the three terms added in turn. `out` is resized to the count.
void lattice_nodes(std::vector<Vector3>* out, const Vector3& point, const Vector3 directions[3], double distance,
                   std::int32_t x, std::int32_t y, std::int32_t z);

// The world axes, the directions of the calibration lattices.
extern const Vector3 lattice_world_axes[3];
