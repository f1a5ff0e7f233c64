#include "geometry/path_simplification.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "geometry/path_switching.hpp"

// ---------------------------------------------------------------------------
// [SECTION] Screen scale
// ---------------------------------------------------------------------------

void PathBox::add(const Vector3& p)
{
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z))
        return;
    if (empty()) {
        min = max = p;
        return;
    }
    min = {std::min(min.x, p.x), std::min(min.y, p.y), std::min(min.z, p.z)};
    max = {std::max(max.x, p.x), std::max(max.y, p.y), std::max(max.z, p.z)};
}

double path_simplification_pixels_per_mm(const Matrix4& m, const PathBox& box, double side)
{
    if (box.empty())
        return 0.0;
    auto row = [&m](int r) { return Vector3{m.m[r], m.m[4 + r], m.m[8 + r]}; };
    const Vector3 rx = row(0), ry = row(1), rw = row(3);
    // A point moved by d moves on the screen by J d, J = (R - ndc (x) rw) / w
    // with R the rows x and y; |J| <= (|R| + |ndc| |rw|) / w over the box,
    // where w is smallest and |ndc| largest at corners (w is affine, and the
    // box stays convex under the projection while w > 0).
    double w_min = std::numeric_limits<double>::infinity();
    double ndc_max = 0.0;
    for (int corner = 0; corner < 8; ++corner) {
        const Vector3 p{(corner & 1) ? box.max.x : box.min.x, (corner & 2) ? box.max.y : box.min.y,
                        (corner & 4) ? box.max.z : box.min.z};
        const double x = rx.x * p.x + rx.y * p.y + rx.z * p.z + m.m[12];
        const double y = ry.x * p.x + ry.y * p.y + ry.z * p.z + m.m[13];
        const double w = rw.x * p.x + rw.y * p.y + rw.z * p.z + m.m[15];
        if (!(w > 0))
            return std::numeric_limits<double>::infinity();
        w_min = std::min(w_min, w);
        ndc_max = std::max(ndc_max, std::hypot(x / w, y / w));
    }
    // The largest singular value of the 2 x 3 matrix R.
    const double a = algebra_vector_vector_dot(&rx, &rx), b = algebra_vector_vector_dot(&ry, &ry);
    const double c = algebra_vector_vector_dot(&rx, &ry);
    const double r_norm = std::sqrt((a + b) / 2 + std::hypot((a - b) / 2, c));
    const double scale = (r_norm + ndc_max * algebra_vector_length(&rw)) / w_min * side / 2;
    return std::isnan(scale) ? std::numeric_limits<double>::infinity() : scale;
}

// ---------------------------------------------------------------------------
// [SECTION] Levels of detail
// ---------------------------------------------------------------------------

namespace {

constexpr std::int32_t finest_level = -60;
constexpr std::int32_t coarsest_level = 60;
constexpr double cell_coordinate_limit = 1073741824.0;  // 2^30: cells and their parents fit an int32
constexpr std::uint32_t no_vertex = std::numeric_limits<std::uint32_t>::max();
// A level that keeps more than this share of the drawn segments is not worth
// drawing instead of the samples.
constexpr double worthwhile_share = 0.75;

std::uint64_t mix(std::uint64_t x)
{
    x ^= x >> 31;
    x *= 0x7fb5d329728ea185ULL;
    x ^= x >> 27;
    x *= 0x81dadef4bc2dd44dULL;
    return x ^ (x >> 33);
}

// Open addressing from cells to vertex ids, grown at half load.
class CellTable {
public:
    explicit CellTable(std::size_t expected)
    {
        std::size_t capacity = 64;
        while (capacity < 2 * expected)
            capacity *= 2;
        slots_.assign(capacity, Slot{});
    }

    // The id of the cell, or `fresh` after storing it under that id.
    std::uint32_t find_or_add(std::int32_t x, std::int32_t y, std::int32_t z, std::uint32_t fresh)
    {
        if (2 * (size_ + 1) > slots_.size())
            grow();
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t at = hash(x, y, z) & mask;; at = (at + 1) & mask) {
            Slot& slot = slots_[at];
            if (slot.id == no_vertex) {
                slot = {x, y, z, fresh};
                ++size_;
                return fresh;
            }
            if (slot.x == x && slot.y == y && slot.z == z)
                return slot.id;
        }
    }

private:
    struct Slot {
        std::int32_t x = 0, y = 0, z = 0;
        std::uint32_t id = no_vertex;
    };
    static std::size_t hash(std::int32_t x, std::int32_t y, std::int32_t z)
    {
        return static_cast<std::size_t>(mix((static_cast<std::uint64_t>(static_cast<std::uint32_t>(x)) << 32
                                             | static_cast<std::uint32_t>(y))
                                            ^ mix(static_cast<std::uint32_t>(z))));
    }
    void grow()
    {
        std::vector<Slot> old(slots_.size() * 2);
        old.swap(slots_);
        const std::size_t mask = slots_.size() - 1;
        for (const Slot& s : old)
            if (s.id != no_vertex) {
                std::size_t at = hash(s.x, s.y, s.z) & mask;
                while (slots_[at].id != no_vertex)
                    at = (at + 1) & mask;
                slots_[at] = s;
            }
    }
    std::vector<Slot> slots_;
    std::size_t size_ = 0;
};

// Open addressing set of vertex pairs (either order is the same pair).
class PairSet {
public:
    explicit PairSet(std::size_t expected)
    {
        std::size_t capacity = 64;
        while (capacity < 2 * expected)
            capacity *= 2;
        slots_.assign(capacity, empty_slot);
    }
    // True when the pair was not there yet.
    bool insert(std::uint32_t a, std::uint32_t b)
    {
        const std::uint64_t key = static_cast<std::uint64_t>(std::min(a, b)) << 32 | std::max(a, b);
        if (2 * (size_ + 1) > slots_.size())
            grow();
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t at = static_cast<std::size_t>(mix(key)) & mask;; at = (at + 1) & mask) {
            if (slots_[at] == empty_slot) {
                slots_[at] = key;
                ++size_;
                return true;
            }
            if (slots_[at] == key)
                return false;
        }
    }

private:
    static constexpr std::uint64_t empty_slot = ~std::uint64_t{0};  // never a pair of two different ids
    void grow()
    {
        std::vector<std::uint64_t> old(slots_.size() * 2, empty_slot);
        old.swap(slots_);
        const std::size_t mask = slots_.size() - 1;
        for (std::uint64_t key : old)
            if (key != empty_slot) {
                std::size_t at = static_cast<std::size_t>(mix(key)) & mask;
                while (slots_[at] != empty_slot)
                    at = (at + 1) & mask;
                slots_[at] = key;
            }
    }
    std::vector<std::uint64_t> slots_;
    std::size_t size_ = 0;
};

// Appends the segments of `pairs` between the vertices `vertex_of` gives,
// each pair of different vertices once, in the order first met.
template <typename VertexOf>
void add_segments(PathLevel* level, const std::uint32_t* pairs, std::size_t pair_count, VertexOf&& vertex_of)
{
    PairSet seen(level->vertex_count() * 2);
    for (std::size_t k = 0; k < pair_count; ++k) {
        const std::uint32_t a = vertex_of(pairs[2 * k]), b = vertex_of(pairs[2 * k + 1]);
        if (a == no_vertex || b == no_vertex || a == b || !seen.insert(a, b))
            continue;
        level->segments.push_back(a);
        level->segments.push_back(b);
    }
}

}  // namespace

double path_simplification_cell_size(std::int32_t level)
{
    return std::ldexp(1.0, level);
}

std::int32_t path_simplification_level(double pixels_per_mm, double max_cell_pixels)
{
    const double widest = max_cell_pixels / pixels_per_mm;  // mm
    if (!(pixels_per_mm > 0) || !std::isfinite(widest) || !(widest > 0))
        return INT32_MIN;
    double level = std::floor(std::log2(widest));
    if (level < finest_level)
        return INT32_MIN;
    level = std::min<double>(level, coarsest_level);
    auto l = static_cast<std::int32_t>(level);
    // Rounding of the logarithm: the cell must fit, the next one must not.
    while (l > finest_level && path_simplification_cell_size(l) > widest)
        --l;
    while (l < coarsest_level && path_simplification_cell_size(l + 1) <= widest)
        ++l;
    return l;
}

std::vector<std::uint32_t> path_simplification_drawn_pairs(std::int32_t vertex_count, const std::int32_t* switches,
                                                          std::int32_t switch_count)
{
    std::vector<std::uint32_t> pairs;
    for (const PathPiece& piece : path_switching_pieces(vertex_count, switches, switch_count)) {
        const std::int32_t step = piece.dashed ? 2 : 1;
        for (std::int32_t m = piece.first; m + 1 < piece.first + piece.count; m += step) {
            pairs.push_back(static_cast<std::uint32_t>(m));
            pairs.push_back(static_cast<std::uint32_t>(m + 1));
        }
    }
    return pairs;
}

bool path_simplification_drop_missing(std::vector<std::uint32_t>* pairs, const Vector3* points, std::int32_t count)
{
    std::vector<bool> missing(static_cast<std::size_t>(std::max(count, 0)), false);
    bool any = false;
    for (std::size_t k = 0; k < missing.size(); ++k) {
        const Vector3& p = points[k];
        missing[k] = !std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z);
        any = any || missing[k];
    }
    if (!any)
        return false;
    std::size_t kept = 0;
    for (std::size_t k = 0; k + 1 < pairs->size(); k += 2) {
        const std::uint32_t a = (*pairs)[k], b = (*pairs)[k + 1];
        if (a < missing.size() && b < missing.size() && !missing[a] && !missing[b]) {
            (*pairs)[kept++] = a;
            (*pairs)[kept++] = b;
        }
    }
    pairs->resize(kept);
    return true;
}

bool path_simplification_cluster(PathLevel* out, const Vector3* points, std::int32_t count,
                                 const std::uint32_t* drawn_pairs, std::size_t pair_count, std::int32_t level)
{
    if (level < finest_level || level > coarsest_level)
        return false;
    const double scale = std::ldexp(1.0, -level);  // exact: a power of two
    PathLevel built;
    built.level = level;
    const std::size_t n = count > 0 ? static_cast<std::size_t>(count) : 0;
    std::vector<std::uint32_t> vertex_of(n, no_vertex);
    CellTable table(std::min<std::size_t>(n, 1 << 16));
    for (std::size_t k = 0; k < n; ++k) {
        const Vector3& p = points[k];
        const double cx = std::floor(p.x * scale), cy = std::floor(p.y * scale), cz = std::floor(p.z * scale);
        if (!std::isfinite(cx) || !std::isfinite(cy) || !std::isfinite(cz))
            continue;
        if (std::fabs(cx) >= cell_coordinate_limit || std::fabs(cy) >= cell_coordinate_limit
            || std::fabs(cz) >= cell_coordinate_limit)
            return false;
        const auto x = static_cast<std::int32_t>(cx), y = static_cast<std::int32_t>(cy),
                   z = static_cast<std::int32_t>(cz);
        const auto fresh = static_cast<std::uint32_t>(built.first_samples.size());
        const std::uint32_t id = table.find_or_add(x, y, z, fresh);
        if (id == fresh) {
            built.positions.insert(built.positions.end(),
                                   {static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)});
            built.cells.insert(built.cells.end(), {x, y, z});
            built.first_samples.push_back(static_cast<std::uint32_t>(k));
        }
        vertex_of[k] = id;
    }
    add_segments(&built, drawn_pairs, pair_count,
                 [&vertex_of, n](std::uint32_t k) { return k < n ? vertex_of[k] : no_vertex; });
    *out = std::move(built);
    return true;
}

PathLevel path_simplification_coarsen(const PathLevel& finer)
{
    PathLevel coarser;
    coarser.level = finer.level + 1;
    const std::size_t n = finer.vertex_count();
    std::vector<std::uint32_t> parent_of(n);
    CellTable table(n / 4 + 1);
    // Vertices come in the order of their first sample, so the first one met
    // in a parent cell is the parent's first sample.
    for (std::size_t v = 0; v < n; ++v) {
        const std::int32_t x = finer.cells[3 * v] >> 1, y = finer.cells[3 * v + 1] >> 1,
                           z = finer.cells[3 * v + 2] >> 1;  // floor of half, also below 0
        const auto fresh = static_cast<std::uint32_t>(coarser.first_samples.size());
        const std::uint32_t id = table.find_or_add(x, y, z, fresh);
        if (id == fresh) {
            coarser.positions.insert(coarser.positions.end(), finer.positions.begin() + 3 * static_cast<long>(v),
                                     finer.positions.begin() + 3 * static_cast<long>(v) + 3);
            coarser.cells.insert(coarser.cells.end(), {x, y, z});
            coarser.first_samples.push_back(finer.first_samples[v]);
        }
        parent_of[v] = id;
    }
    add_segments(&coarser, finer.segments.data(), finer.segment_count(),
                 [&parent_of](std::uint32_t v) { return parent_of[v]; });
    return coarser;
}

void PathLevels::reset()
{
    levels_.clear();
    no_gain_below_ = INT32_MIN;
    box_ = PathBox{};
    boxed_ = false;
}

const PathLevel* PathLevels::from_built(std::int32_t level, std::size_t pair_count)
{
    while (levels_.back().level < level)
        levels_.push_back(path_simplification_coarsen(levels_.back()));
    const PathLevel& found = levels_[static_cast<std::size_t>(level - levels_.front().level)];
    if (static_cast<double>(found.segment_count()) > worthwhile_share * static_cast<double>(pair_count)) {
        no_gain_below_ = std::max(no_gain_below_, level);
        return nullptr;
    }
    return &found;
}

// ---------------------------------------------------------------------------
// [SECTION] Polylines simplified in the plane
// ---------------------------------------------------------------------------

namespace {

double squared_distance_to_segment(const PathPoint2& p, const PathPoint2& a, const PathPoint2& b)
{
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double length = dx * dx + dy * dy;
    double t = length > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    const double ex = a.x + t * dx - p.x, ey = a.y + t * dy - p.y;
    return ex * ex + ey * ey;
}

}  // namespace

std::vector<std::uint32_t> path_simplification_polyline(const PathPoint2* points, std::size_t count,
                                                        double tolerance)
{
    std::vector<std::uint32_t> kept;
    if (count == 0)
        return kept;
    std::vector<bool> keep(count, false);
    keep.front() = keep.back() = true;
    const double limit = tolerance * tolerance;
    std::vector<std::pair<std::size_t, std::size_t>> spans{{0, count - 1}};
    while (!spans.empty()) {
        const auto [first, last] = spans.back();
        spans.pop_back();
        double farthest = -1;
        std::size_t at = first;
        for (std::size_t k = first + 1; k < last; ++k) {
            const double d = squared_distance_to_segment(points[k], points[first], points[last]);
            if (d > farthest) {
                farthest = d;
                at = k;
            }
        }
        if (farthest > limit || std::isnan(farthest)) {
            keep[at] = true;
            spans.push_back({first, at});
            spans.push_back({at, last});
        }
    }
    for (std::size_t k = 0; k < count; ++k)
        if (keep[k])
            kept.push_back(static_cast<std::uint32_t>(k));
    return kept;
}

// ---------------------------------------------------------------------------
// [SECTION] Signals decimated to pixel columns
// ---------------------------------------------------------------------------

void path_simplification_min_max_columns(const double* values, std::size_t count, std::size_t columns,
                                         std::vector<double>* minimum, std::vector<double>* maximum)
{
    minimum->clear();
    maximum->clear();
    if (count == 0 || columns == 0)
        return;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    minimum->assign(columns, nan);
    maximum->assign(columns, nan);
    // Column c holds the samples k with floor(k * columns / count) == c.
    auto first_of = [count, columns](std::size_t c) {
        return static_cast<std::size_t>((static_cast<unsigned __int128>(c) * count + columns - 1) / columns);
    };
    for (std::size_t c = 0; c < columns; ++c) {
        std::size_t first = first_of(c), last = first_of(c + 1);
        if (first == last) {  // more columns than samples: the sample under the column
            first = static_cast<std::size_t>(static_cast<unsigned __int128>(c) * count / columns);
            last = first + 1;
        }
        for (std::size_t k = first; k < last; ++k) {
            const double v = values[k];
            if (std::isnan(v))
                continue;
            if (std::isnan((*minimum)[c]) || v < (*minimum)[c])
                (*minimum)[c] = v;
            if (std::isnan((*maximum)[c]) || v > (*maximum)[c])
                (*maximum)[c] = v;
        }
    }
}
