// Point inspection: the sample nearest the mouse, among every shown path and
// every shown grid copy of a path, is highlighted in white and described in
// the information line under the 3D view ("Left Point #..., Rotation: ...°,
// Translation: ...mm"). With a sample locked (space bar), only that sample of
// each path and copy takes part. When a grid copy wins, the other copies of
// that sample are shown in grey around it.
//
// Candidates are compared in a fixed order: first the plain paths (left,
// incisal, right; those shown without grid), then the grid copies (left,
// incisal, right; those shown with grid, copy by copy in lattice order),
// each by sample index. Their positions are those of the last projection
// (gui_projected_vertex). The nearest wins; of equally near ones, the first.
// A search index finds exactly this winner without visiting every
// candidate in every pass.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "geometry/vector_algebra.hpp"

struct GuiState;

struct InspectionHit {
    std::int32_t hovered = -1;  // sample index, -1 when no candidate
    char kind = 'l';            // 'l', 'i' or 'r'; the previous kind when there is no candidate
    bool lattice_hit = false;   // a grid copy won
    std::int32_t s = 0;         // the winning copy's lattice offsets
    std::int32_t v = 0;
    std::int32_t h = 0;
};

// Boxes around runs of consecutive samples of every candidate path, in 3D,
// and a tree of boxes around boxes that lie near each other: the boxes do
// not depend on the camera, so the index is built when the paths or the
// candidate set change, never after a drag. A search projects boxes with the camera of the last projection,
// nearest first, and compares only the samples of boxes that may hold the
// winner.
class InspectionIndex {
public:
    InspectionHit find(const GuiState* state, double mouse_x, double mouse_y, char previous_kind);
    // Builds the index for a state record (the loading worker's own one).
    void prepare(const GuiState* state);
    // Takes an index prepared on another record for the same paths; false,
    // and nothing taken, when it was built for other switches, grid or
    // samples.
    bool take(InspectionIndex&& prepared, const GuiState* state);

    // A box as the camera of the last projection shows it, worked out when
    // a search first needs it.
    struct Shown {
        double x0, x1, y0, y1;  // the bounds of its projected corners
        double margin;          // for the rounding of the projection
        bool bounded;           // false: partly at or behind the eye, no bound
        std::uint64_t generation;  // the projection it was worked out for; 0: none yet
    };

private:
    struct Box {
        Vector3 min{1, 1, 1};
        Vector3 max{0, 0, 0};  // empty: min above max
    };
    struct Source {
        int kind_index;  // GUI_KIND_LEFT, GUI_KIND_INCISAL or GUI_KIND_RIGHT
        char kind;
        std::int32_t copy;  // -1: the path itself
        bool lattice;
        std::int32_t count;  // candidates taken from it
    };
    // A run of consecutive samples of one source.
    struct Run {
        std::uint32_t source;
        std::int32_t first;
    };
    bool stale(const GuiState* state) const;
    void build(const GuiState* state);

    bool built_ = false;
    std::uint64_t paths_generation_ = 0;
    std::uint32_t switches_ = 0;
    std::int32_t lattice_[3] = {0, 0, 0};
    std::int32_t copies_ = 0;
    std::int32_t samples_ = 0;
    std::vector<Source> sources_;
    // The runs of every source in an order that keeps neighbours in space
    // together, and a tree over them: level 0 holds the runs' boxes, each
    // level above one box around every four below it, up to one.
    std::vector<Run> runs_;
    std::vector<std::vector<Box>> levels_;
    std::vector<std::vector<Shown>> shown_;  // the same shape as the levels
    // The last search: while the mouse, the projection and the index stay
    // the same, so does its winner.
    struct LastSearch {
        double mouse_x, mouse_y;
        std::uint64_t projection_generation;
        char previous_kind;
        InspectionHit hit;
    };
    std::optional<LastSearch> last_;
};

// The search over every candidate in order; mouse in viewport fractions
// (origin bottom left). Used for a locked sample and as the reference the
// index must agree with.
InspectionHit inspection_find_linear(const GuiState* state, double mouse_x, double mouse_y, char previous_kind);

// The loading worker's part (GuiLoadExtraWork): the index for its record.
std::shared_ptr<void> inspection_prepare(const GuiState* state);
// Takes the index a load prepared for its first frame, when it fits.
void inspection_take_prepared(GuiState* state, InspectionIndex* index);

// One pass of the inspection: find the sample under the mouse (window
// pixels), draw the highlight and set the information text.
void inspection_run(GuiState* state, InspectionIndex* index, int mouse_x, int mouse_y, int* hovered_point,
                    char* hovered_kind);
