// The 3D scene drawn in every pass: the reference objects, and, with a
// report loaded, the three tracked points of the current sample with their
// connecting lines, the grid lattices that move with the jaw, the whole
// paths and the calibration points. Everything goes through the 3D
// viewport's drawing operations, in a fixed order; the depth test decides
// what is in front.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/sdl_help.hpp"
#include "geometry/camera.hpp"
#include "geometry/path_simplification.hpp"
#include "geometry/vector_algebra.hpp"
#include "gui/gui_load_preparation.hpp"

struct GuiState;
struct EmgExercise;

// The levels of detail of the whole paths (geometry/path_simplification.hpp):
// each path is drawn at the coarsest level whose cells are at most
// SCENE_PATH_CELL_PIXELS wide on the screen, so a pass costs what the
// pixels of the paths cost, whatever the number of samples. Kept while the
// paths and the switches stay the same.
inline constexpr double SCENE_PATH_CELL_PIXELS = GUI_PATH_CELL_PIXELS;
struct ScenePathLevels {
    double cell_pixels = SCENE_PATH_CELL_PIXELS;  // 0: every path drawn sample by sample
    std::uint64_t paths_generation = 0;
    const void* arrays[3] = {nullptr, nullptr, nullptr};  // l, i, r paths the levels were built for
    std::int32_t copy_count = -1;
    std::int32_t samples = -1;
    std::vector<std::int32_t> switches;
    std::vector<std::uint32_t> drawn_pairs;  // the segments a switched path draws, as sample pairs
    PathLevels plain[3];                     // l, i, r paths
    std::vector<PathLevels> copies[3];       // their grid copies
    std::vector<Vector3> copy;               // the points of one copy, while they are needed
};

// The baseline's exercise drawn under the report's: its three paths (taken
// once from its samples) and their levels of detail.
struct SceneBaselinePaths {
    std::uint64_t generation = ~std::uint64_t{0};  // GuiState::baseline_generation the paths were taken for
    std::int32_t exercise = -1;
    std::vector<Vector3> points[3];  // l, i, r
    ScenePathLevels levels;
};

// Working arrays of the scene, kept by the main loop between passes.
struct SceneBuffers {
    std::vector<Vector3> frame_lattice[3];        // l, i, r: nodes around each point, moved with the jaw
    std::vector<Vector3> calibration_lattice[3];  // l, i, r: nodes around each calibration point
    std::vector<std::int32_t> lattice_edges;      // pairs of node indices, shared by all six lattices
    std::int32_t edges_amounts[3] = {-1, -1, -1}; // the amounts lattice_edges was built for
    Matrix3 reference_basis{};                    // jaw basis at the reference sample; zero until captured
    ScenePathLevels path_levels;
    SceneBaselinePaths baseline;
};

// The baseline's colour of a tracked point's colour: muted toward grey, so
// that it reads as the earlier recording under the current one.
Color scene_baseline_color(const Color& color);

// The three tracked points in their fixed order (l, i, r) and how each is
// switched, coloured and found in the state.
struct ScenePoint {
    char kind;                // 'l', 'i' or 'r'
    int index;                // GUI_KIND_LEFT, GUI_KIND_INCISAL or GUI_KIND_RIGHT
    bool shown;
    bool extrapolated;
    const Color* color;
    const std::vector<Vector3>* verts;
    const Vector3* calibration;  // null without a report
};
void scene_points(const GuiState* state, ScenePoint out[3]);

// The sample the scene shows: the animation position truncated toward zero,
// held inside the exercise (0 to n - 1, 0 for a position that is not a
// number). -1 when nothing can be shown: no report, no selected exercise,
// no samples, or paths not built for this exercise.
std::int32_t scene_current_sample(const GuiState* state);

// Takes the levels of detail a load prepared for its first frame
// (GuiState::prepared_frame) when they were made for the paths shown.
void scene_take_prepared_levels(GuiState* state, SceneBuffers* buffers);

// The cube and the axes, when switched on; drawn with or without a report.
void scene_draw_reference_objects(const GuiState* state);

// One drawing call of the scene. The steps of a pass come in drawing order;
// the depth test (less) decides what is in front, and of equally deep
// fragments the one drawn first stays. The whole paths and the calibration
// points form a layer that stays the same from pass to pass while nothing
// but the current sample changes; the steps before and after it move with
// the sample.
enum class ScenePhase { before_layer, layer, after_layer };
struct SceneStep {
    ScenePhase phase;
    std::function<std::size_t()> draw;  // returns the lines and points it sent
};

// The steps of the current sample, the reference objects first; computes
// this sample's lattices into the buffers. Empty when there is nothing to
// show (no report, no samples).
std::vector<SceneStep> scene_steps(const GuiState* state, SceneBuffers* buffers);

// What the layer of whole paths and calibration points depends on: while it
// stays equal, a picture of the layer can be reused.
struct SceneLayerKey {
    CameraView camera{};
    std::int32_t side = 0;
    std::uint64_t projection_generation = 0;
    const void* report = nullptr;
    std::uint64_t report_loads = 0;  // a report read later may take the address of one freed
    std::int32_t selected_exercise = 0;
    std::uint32_t switches = 0;
    const Color* colors[3] = {nullptr, nullptr, nullptr};
    std::int32_t amounts[3] = {0, 0, 0};
    double distance = 0.0;
    std::vector<std::int32_t> movements;
    const void* baseline = nullptr;
    std::uint64_t baseline_generation = 0;
    std::int32_t baseline_exercise = -1;

    bool operator==(const SceneLayerKey& other) const;
};
SceneLayerKey scene_layer_key(const GuiState* state);
