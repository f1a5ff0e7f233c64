// How a path is cut into pieces that alternate between solid and dashed at
// given switch indices (the samples where the jaw turns from opening to
// closing and back). The screen and the SVG export draw the same pieces.
//
// The path starts solid. At each switch index i the current piece ends and
// the other style begins; the new piece starts at vertex i - 1, so the path
// stays connected, except after the last switch, where it starts at vertex i
// itself. A switch index equal to the one before switches again at once.
// Indices that are out of order or out of range are never reached and end
// no piece.
#pragma once

#include <cstdint>
#include <vector>

struct PathPiece {
    bool dashed;          // false: a connected line strip; true: separate segments
    std::int32_t first;   // first vertex of the piece
    std::int32_t count;   // number of consecutive vertices in it
};

std::vector<PathPiece> path_switching_pieces(std::int32_t vertex_count, const std::int32_t* switches,
                                             std::int32_t switch_count);
