#include "geometry/path_trails.hpp"

#include <algorithm>

PathTrails path_trails_join(std::size_t vertex_count, const std::vector<std::uint32_t>& segments)
{
    // The graph with the extra vertex (index vertex_count) as adjacency
    // lists in one array: the edges around vertex v are
    // around[first[v] .. first[v + 1]), each an edge index.
    const std::size_t extra = vertex_count;
    std::vector<std::uint32_t> ends;  // flat pairs of the edges, real ones first
    ends.reserve(segments.size() + 16);
    for (std::size_t k = 0; k + 1 < segments.size(); k += 2)
        if (segments[k] < vertex_count && segments[k + 1] < vertex_count) {
            ends.push_back(segments[k]);
            ends.push_back(segments[k + 1]);
        }
    std::vector<std::uint32_t> degree(vertex_count + 1, 0);
    for (std::uint32_t v : ends)
        ++degree[v];
    for (std::size_t v = 0; v < vertex_count; ++v)
        if (degree[v] % 2 == 1) {
            ends.push_back(static_cast<std::uint32_t>(v));
            ends.push_back(static_cast<std::uint32_t>(extra));
            ++degree[v];
            ++degree[extra];
        }
    const std::size_t edge_count = ends.size() / 2;
    std::vector<std::size_t> first(vertex_count + 2, 0);
    for (std::size_t v = 0; v <= vertex_count; ++v)
        first[v + 1] = first[v] + degree[v];
    std::vector<std::uint32_t> around(ends.size());
    std::vector<std::size_t> fill(first.begin(), first.end() - 1);
    for (std::size_t e = 0; e < edge_count; ++e) {
        around[fill[ends[2 * e]]++] = static_cast<std::uint32_t>(e);
        around[fill[ends[2 * e + 1]]++] = static_cast<std::uint32_t>(e);
    }

    // Hierholzer's walk; next[v] is the first edge around v not yet looked at.
    std::vector<std::size_t> next(first.begin(), first.end() - 1);
    std::vector<bool> used(edge_count, false);
    PathTrails trails;
    std::vector<std::uint32_t> circuit;
    std::vector<std::uint32_t> stack;
    auto cut = [&] {
        // The circuit (in reverse walking order) cut at the extra vertex.
        std::size_t k = 0;
        while (k < circuit.size()) {
            while (k < circuit.size() && circuit[k] == extra)
                ++k;
            const std::size_t begin = k;
            while (k < circuit.size() && circuit[k] != extra)
                ++k;
            if (k - begin >= 2) {
                trails.starts.push_back(trails.vertices.size());
                trails.vertices.insert(trails.vertices.end(), circuit.begin() + static_cast<long>(begin),
                                       circuit.begin() + static_cast<long>(k));
            }
        }
    };
    auto walk_from = [&](std::uint32_t start) {
        circuit.clear();
        stack.assign(1, start);
        while (!stack.empty()) {
            const std::uint32_t v = stack.back();
            std::size_t& at = next[v];
            while (at < first[v + 1] && used[around[at]])
                ++at;
            if (at == first[v + 1]) {
                circuit.push_back(v);
                stack.pop_back();
                continue;
            }
            const std::uint32_t e = around[at];
            used[e] = true;
            stack.push_back(ends[2 * e] == v ? ends[2 * e + 1] : ends[2 * e]);
        }
        std::reverse(circuit.begin(), circuit.end());
        cut();
    };
    // Parts with odd vertices through the extra vertex first, then the
    // closed ones, each from its vertex met first.
    walk_from(static_cast<std::uint32_t>(extra));
    for (std::size_t v = 0; v < vertex_count; ++v)
        if (next[v] < first[v + 1])
            walk_from(static_cast<std::uint32_t>(v));
    return trails;
}
