// What the first frame after a load needs, worked out by the loading worker
// once the report is read. Every load ends in its first exercise shown with
// the settings of preset 1, so the worker copies that exercise's paths,
// finds their lattice directions and their open and close movements, runs
// the camera fits the preset's switches will ask for, and builds the levels
// of detail its whole paths will be drawn at.
//
// The main thread takes each result where it would have computed it (the
// separation, the grid rebuild, the movements, a fit, the scene's levels),
// and only when what it would compute from is what the worker computed
// from; otherwise it computes as always. The worker runs the same functions
// on the same numbers, so the window ends exactly as if the main thread had
// done all of it, only without the long pass.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "geometry/camera.hpp"
#include "geometry/path_simplification.hpp"
#include "geometry/vector_algebra.hpp"
#include "gui/gui_serialization.hpp"

struct GuiState;
struct EmgReport;

// The pixels of a whole path's cells on the screen: the scene draws each
// path at the coarsest level whose cells are at most this wide.
inline constexpr double GUI_PATH_CELL_PIXELS = 1.25;

// One fit of the orthographic camera `from`: first the zoom brought within
// its limit (z_bounded: it was not), then, when anything is visible
// (fitted), the camera `to`, centred and zoomed.
struct GuiFitOutcome {
    CameraView from;
    CameraView to;
    bool z_bounded;
    bool fitted;
};

// Work of the application for its first frame (the search index of its
// point inspection), run by the worker on its own state record once the rest
// is prepared. What it makes stays opaque here until the application takes it.
using GuiLoadExtraWork = std::function<std::shared_ptr<void>(const GuiState* state)>;

// What the main thread tells the worker when the load starts.
struct GuiLoadSetup {
    bool prepare = false;  // false: the worker only reads
    GuiPreset preset{};    // the preset the load ends in
    CameraView view{};     // the camera before it: its near, far, field of view and aspect stay
    double side = 0.0;     // the 3D view's side in pixels
    std::int64_t memory_limit = 0;
    GuiLoadExtraWork extra;
    std::shared_ptr<const EmgReport> baseline;  // brought into the report's space, when there is one
};

// The levels of detail of the whole paths of the first frame, for the
// scene (app/scene) to take, and the application's own work.
struct GuiPreparedFrame {
    std::uint64_t paths_generation = 0;  // of the state once the load was in place
    std::int32_t samples = 0;
    std::int32_t copy_count = 0;
    std::vector<std::int32_t> switches;
    std::vector<std::uint32_t> drawn_pairs;
    PathLevels plain[3];                // l, i, r paths
    std::vector<PathLevels> copies[3];  // their grid copies
    std::shared_ptr<void> extra;        // of GuiLoadSetup::extra
};

// What a fit looks at, besides the paths and the camera.
struct GuiFitKey {
    bool reference = false, axis = false;
    bool shown[3] = {false, false, false};
    bool extrapolated[3] = {false, false, false};
    std::int32_t amounts[3] = {0, 0, 0};
    double distance = 0.0;
    std::int32_t copies = 0;
    std::int32_t samples = 0;
    std::int32_t copy_samples = 0;

    bool operator==(const GuiFitKey&) const = default;
};
GuiFitKey gui_fit_key(const GuiState* state);

struct GuiLoadPreparation {
    std::uint64_t report_loads = 0;  // the load it belongs to, once in place
    std::int32_t samples = 0;        // of the first exercise
    std::vector<Vector3> paths[3];   // l, i, r
    bool paths_taken = false;
    std::vector<std::array<Vector3, 3>> directions;
    bool directions_taken = false;
    std::vector<std::int32_t> movements;
    std::int32_t movements_number = 0;
    bool has_fits = false;
    GuiFitKey fit_key;
    std::vector<GuiFitOutcome> fits;  // each fit of the chain from the preset's camera
    std::unique_ptr<GuiPreparedFrame> levels;
};

// On the worker: works everything out for `report` (taken for the time and
// given back). `permille` tells how far it is; false when `cancel` was set.
bool gui_load_prepare(GuiLoadPreparation* out, std::unique_ptr<EmgReport>* report, const GuiLoadSetup& setup,
                      const std::atomic<bool>& cancel, std::atomic<int>* permille);

// On the main thread, while the load is put in place (state->prepared):
// each puts the worker's result into the state and returns true, or returns
// false when the state would compute from something else.
bool gui_load_preparation_take_paths(GuiState* state);
bool gui_load_preparation_take_directions(GuiState* state, std::int32_t samples);
bool gui_load_preparation_take_movements(GuiState* state);
// The worker's fit of `view`, null when it made none for it.
const GuiFitOutcome* gui_load_preparation_fit(const GuiState* state, const CameraView& view);
// The load is in place: the levels stay for the scene when they fit what is
// shown, the rest goes.
void gui_load_preparation_finish(GuiState* state);
