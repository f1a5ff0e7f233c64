#include "geometry/path_switching.hpp"

std::vector<PathPiece> path_switching_pieces(std::int32_t vertex_count, const std::int32_t* switches,
                                             std::int32_t switch_count)
{
    if (switches == nullptr)  // no array: no switch points
        switch_count = 0;
    std::vector<PathPiece> pieces;
    bool dashed = false;
    std::int32_t start = 0;
    std::int32_t next = 0;  // cursor into the switch indices
    std::int32_t i = 0;
    while (i < vertex_count) {
        if (next < switch_count && i == switches[next]) {
            pieces.push_back({dashed, start, i - start});
            dashed = !dashed;
            ++next;
            if (next < switch_count) {
                // Join the previous piece and test vertex i again.
                start = i > 0 ? i - 1 : i;
            } else {
                start = i;
                ++i;
            }
        } else {
            ++i;
        }
    }
    pieces.push_back({dashed, start, (vertex_count > 0 ? vertex_count : 0) - start});
    return pieces;
}
