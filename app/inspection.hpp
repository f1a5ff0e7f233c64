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
// each by sample index. The nearest wins; of equally near ones, the first.
// A search index over the projected positions finds exactly this winner
// without visiting every candidate in every pass.
#pragma once

#include <cstdint>
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

// A uniform grid of cells over the projected candidates, rebuilt when the
// projections or the set of candidate paths change.
class InspectionIndex {
public:
    InspectionHit find(const GuiState* state, double mouse_x, double mouse_y, char previous_kind);

private:
    struct Source {
        const std::vector<Vector3>* points;
        std::int32_t count;   // candidates taken from it
        char kind;
        bool lattice;
        std::int32_t node;
    };
    bool stale(const GuiState* state) const;
    void build(const GuiState* state);
    InspectionHit hit_for(std::uint32_t id) const;
    const Vector3& candidate(std::uint32_t id) const;

    std::uint64_t generation_ = 0;
    std::uint32_t switches_ = 0;
    bool built_ = false;
    std::vector<Source> sources_;
    std::vector<std::uint32_t> offsets_;  // first candidate id of each source, then the total
    double x0_ = 0, y0_ = 0, cell_w_ = 1, cell_h_ = 1;
    std::int32_t columns_ = 1, rows_ = 1;
    // The candidates cell by cell: their id and their position in single
    // precision, read in sequence to rule out the far ones cheaply; the
    // exact comparison reads the candidate itself.
    struct Entry {
        float x;
        float y;
        std::uint32_t id;
    };
    std::vector<std::uint32_t> cell_start_;  // columns * rows + 1 entries
    std::vector<Entry> entries_;
    std::int32_t lattice_x_ = 0, lattice_y_ = 0, lattice_z_ = 0;
};

// The search over every candidate in order; mouse in viewport fractions
// (origin bottom left). Used for a locked sample and as the reference the
// index must agree with.
InspectionHit inspection_find_linear(const GuiState* state, double mouse_x, double mouse_y, char previous_kind);

// One pass of the inspection: find the sample under the mouse (window
// pixels), draw the highlight and set the information text.
void inspection_run(GuiState* state, InspectionIndex* index, int mouse_x, int mouse_y, int* hovered_point,
                    char* hovered_kind);
