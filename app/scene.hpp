// The 3D scene drawn in every pass: the reference objects, and, with a
// report loaded, the three tracked points of the current sample with their
// connecting lines, the grid lattices that move with the jaw, the whole
// paths and the calibration points. Everything goes through the 3D
// viewport's drawing operations.
#pragma once

#include <cstdint>
#include <vector>

#include "geometry/vector_algebra.hpp"

struct GuiState;

// Working arrays of the scene, kept by the main loop between passes.
struct SceneBuffers {
    std::vector<Vector3> frame_lattice[3];        // l, i, r: nodes around each point, moved with the jaw
    std::vector<Vector3> calibration_lattice[3];  // l, i, r: nodes around each calibration point
    std::vector<std::int32_t> lattice_edges;      // pairs of node indices, shared by all six lattices
    Matrix3 reference_basis{};                    // jaw basis at sample 0; zero until captured
};

// The cube and the axes, when switched on; drawn with or without a report.
void scene_draw_reference_objects(const GuiState* state);
