// Segments joined into as few polylines as they allow. A set of segments
// between vertices is a graph; a polyline that draws each of its segments
// once is a trail, and a connected part of the graph with 2k vertices of odd
// degree needs k trails (one when k is 0), which is what is found here:
// every odd vertex is linked to one extra vertex, an Euler circuit is walked
// through each part (Hierholzer), and the circuits are cut where they pass
// the extra vertex.
#pragma once

#include <cstdint>
#include <vector>

// Trails as runs of vertex indices: trail k is vertices[starts[k]] up to
// vertices[starts[k + 1]] (or the end). A closed trail repeats its first
// vertex at its end.
struct PathTrails {
    std::vector<std::uint32_t> vertices;
    std::vector<std::size_t> starts;

    std::size_t trail_count() const { return starts.size(); }
    std::size_t trail_end(std::size_t k) const { return k + 1 < starts.size() ? starts[k + 1] : vertices.size(); }
};

// The fewest trails that draw each of `segments` (flat pairs of indices below
// `vertex_count`) exactly once. Pairs with an index out of range are left out.
PathTrails path_trails_join(std::size_t vertex_count, const std::vector<std::uint32_t>& segments);
