#include "app/inspection.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "app/scene.hpp"
#include "geometry/lattice.hpp"
#include "gui/gui.hpp"

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();

// Where the candidates come from, in the order they are compared.
struct CandidateSource {
    const std::vector<Vector3>* points;
    std::int32_t count;
    char kind;
    bool lattice;
    std::int32_t node;
};

std::vector<CandidateSource> candidate_sources(const GuiState* s)
{
    std::vector<CandidateSource> sources;
    ScenePoint points[3];
    scene_points(s, points);
    auto count_of = [s](const std::vector<Vector3>& v) {
        return static_cast<std::int32_t>(std::min<std::size_t>(v.size(), static_cast<std::size_t>(
                                                                             std::max(s->verts_number, 0))));
    };
    // First the plain paths, then the grid copies.
    for (const ScenePoint& p : points)
        if (p.shown && !p.extrapolated)
            sources.push_back({p.projected_verts, count_of(*p.projected_verts), p.kind, false, 0});
    for (const ScenePoint& p : points)
        if (p.shown && p.extrapolated)
            for (std::size_t n = 0; n < p.projected_extrapolated_verts->size(); ++n) {
                const std::vector<Vector3>& copy = (*p.projected_extrapolated_verts)[n];
                sources.push_back({&copy, count_of(copy), p.kind, true, static_cast<std::int32_t>(n)});
            }
    return sources;
}

double squared_distance_to_mouse(const Vector3& candidate, const Vector3& mouse)
{
    const Vector3 test{candidate.x, candidate.y, 0};
    return algebra_vector_vector_distance_squared(&test, &mouse);
}

void set_lattice_offsets(InspectionHit* hit, const GuiState* s, std::int32_t node)
{
    hit->lattice_hit = true;
    lattice_node_offsets(node, s->extrapolation_x_amount, s->extrapolation_y_amount, s->extrapolation_z_amount,
                         &hit->s, &hit->v, &hit->h);
}

const char* kind_word(char kind)
{
    switch (kind) {
    case 'i': return "Incisal";
    case 'r': return "Right";
    default: return "Left";
    }
}

}  // namespace

InspectionHit inspection_find_linear(const GuiState* s, double mouse_x, double mouse_y, char previous_kind)
{
    InspectionHit hit;
    hit.kind = previous_kind;
    const Vector3 mouse{mouse_x, mouse_y, 0};
    double best = infinity;  // the distance of (+infinity, +infinity, 0)
    auto consider = [&](const CandidateSource& source, std::int32_t k) {
        const double d = squared_distance_to_mouse((*source.points)[static_cast<std::size_t>(k)], mouse);
        if (best > d) {
            best = d;
            hit.hovered = k;
            hit.kind = source.kind;
            if (source.lattice)
                set_lattice_offsets(&hit, s, source.node);
        }
    };
    for (const CandidateSource& source : candidate_sources(s)) {
        if (s->locked_point >= 0) {
            if (s->locked_point < source.count)
                consider(source, s->locked_point);
        } else {
            for (std::int32_t k = 0; k < source.count; ++k)
                consider(source, k);
        }
    }
    return hit;
}

// ---------------------------------------------------------------------------
// The search index
// ---------------------------------------------------------------------------

namespace {

std::uint32_t switch_bits(const GuiState* s)
{
    return (s->draw_l_vertex ? 1u : 0u) | (s->draw_i_vertex ? 2u : 0u) | (s->draw_r_vertex ? 4u : 0u)
         | (s->draw_extrapolation_l ? 8u : 0u) | (s->draw_extrapolation_i ? 16u : 0u)
         | (s->draw_extrapolation_r ? 32u : 0u);
}

bool usable(const Vector3& p)
{
    return std::isfinite(p.x) && std::isfinite(p.y);
}

}  // namespace

bool InspectionIndex::stale(const GuiState* s) const
{
    return !built_ || generation_ != s->projection_generation || switches_ != switch_bits(s)
        || lattice_x_ != s->extrapolation_x_amount || lattice_y_ != s->extrapolation_y_amount
        || lattice_z_ != s->extrapolation_z_amount || offsets_.empty()
        || sources_.size() != candidate_sources(s).size();
}

void InspectionIndex::build(const GuiState* s)
{
    built_ = true;
    generation_ = s->projection_generation;
    switches_ = switch_bits(s);
    lattice_x_ = s->extrapolation_x_amount;
    lattice_y_ = s->extrapolation_y_amount;
    lattice_z_ = s->extrapolation_z_amount;

    sources_.clear();
    offsets_.clear();
    std::uint64_t total = 0;
    for (const CandidateSource& c : candidate_sources(s)) {
        sources_.push_back({c.points, c.count, c.kind, c.lattice, c.node});
        offsets_.push_back(static_cast<std::uint32_t>(total));
        total += static_cast<std::uint64_t>(c.count);
    }
    offsets_.push_back(static_cast<std::uint32_t>(total));

    // The cells span the candidates near the view; those far outside it
    // land in the border cells, which reach out to infinity.
    double x0 = infinity, y0 = infinity, x1 = -infinity, y1 = -infinity;
    for (const Source& source : sources_)
        for (std::int32_t k = 0; k < source.count; ++k) {
            const Vector3& p = (*source.points)[static_cast<std::size_t>(k)];
            if (!usable(p))
                continue;
            x0 = std::min(x0, std::clamp(p.x, -2.0, 3.0));
            x1 = std::max(x1, std::clamp(p.x, -2.0, 3.0));
            y0 = std::min(y0, std::clamp(p.y, -2.0, 3.0));
            y1 = std::max(y1, std::clamp(p.y, -2.0, 3.0));
        }
    if (x0 > x1) {  // nothing usable
        x0 = y0 = 0;
        x1 = y1 = 1;
    }
    const double cells = std::max(1.0, static_cast<double>(total) / 4.0);
    const std::int32_t side = static_cast<std::int32_t>(std::clamp(std::ceil(std::sqrt(cells)), 1.0, 1024.0));
    columns_ = rows_ = side;
    x0_ = x0;
    y0_ = y0;
    cell_w_ = x1 > x0 ? (x1 - x0) / columns_ : 1.0;
    cell_h_ = y1 > y0 ? (y1 - y0) / rows_ : 1.0;

    auto cell_of = [this](const Vector3& p) {
        const double fx = std::floor((p.x - x0_) / cell_w_), fy = std::floor((p.y - y0_) / cell_h_);
        const std::int32_t i = static_cast<std::int32_t>(std::clamp(fx, 0.0, static_cast<double>(columns_ - 1)));
        const std::int32_t j = static_cast<std::int32_t>(std::clamp(fy, 0.0, static_cast<double>(rows_ - 1)));
        return static_cast<std::size_t>(j) * static_cast<std::size_t>(columns_) + static_cast<std::size_t>(i);
    };
    // Counting sort of the candidate ids into their cells, in id order.
    cell_start_.assign(static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_) + 1, 0);
    for (const Source& source : sources_)
        for (std::int32_t k = 0; k < source.count; ++k) {
            const Vector3& p = (*source.points)[static_cast<std::size_t>(k)];
            if (usable(p))
                ++cell_start_[cell_of(p) + 1];
        }
    for (std::size_t c = 1; c < cell_start_.size(); ++c)
        cell_start_[c] += cell_start_[c - 1];
    entries_.resize(cell_start_.back());
    std::vector<std::uint32_t> fill(cell_start_.begin(), cell_start_.end() - 1);
    for (std::size_t a = 0; a < sources_.size(); ++a)
        for (std::int32_t k = 0; k < sources_[a].count; ++k) {
            const Vector3& p = (*sources_[a].points)[static_cast<std::size_t>(k)];
            if (usable(p))
                entries_[fill[cell_of(p)]++] = {static_cast<float>(p.x), static_cast<float>(p.y),
                                                offsets_[a] + static_cast<std::uint32_t>(k)};
        }
}

const Vector3& InspectionIndex::candidate(std::uint32_t id) const
{
    const auto after = std::upper_bound(offsets_.begin(), offsets_.end() - 1, id);
    const std::size_t a = static_cast<std::size_t>(after - offsets_.begin()) - 1;
    return (*sources_[a].points)[id - offsets_[a]];
}

InspectionHit InspectionIndex::hit_for(std::uint32_t id) const
{
    const auto after = std::upper_bound(offsets_.begin(), offsets_.end() - 1, id);
    const std::size_t a = static_cast<std::size_t>(after - offsets_.begin()) - 1;
    InspectionHit hit;
    hit.hovered = static_cast<std::int32_t>(id - offsets_[a]);
    hit.kind = sources_[a].kind;
    if (sources_[a].lattice) {
        hit.lattice_hit = true;
        lattice_node_offsets(sources_[a].node, lattice_x_, lattice_y_, lattice_z_, &hit.s, &hit.v, &hit.h);
    }
    return hit;
}

InspectionHit InspectionIndex::find(const GuiState* s, double mouse_x, double mouse_y, char previous_kind)
{
    // A locked sample has one candidate per path and copy: no index needed.
    if (s->locked_point >= 0)
        return inspection_find_linear(s, mouse_x, mouse_y, previous_kind);
    if (stale(s))
        build(s);

    const Vector3 mouse{mouse_x, mouse_y, 0};
    double best = infinity;
    std::uint32_t best_id = 0;
    bool found = false;
    // The nearest wins; of equally near ones the first in order. The single
    // precision copy gives each candidate's squared distance within a known
    // error; only candidates that may beat or tie the best are compared
    // exactly.
    auto consider = [&](const Entry& e) {
        const double dx = static_cast<double>(e.x) - mouse_x, dy = static_cast<double>(e.y) - mouse_y;
        const double approximate = dx * dx + dy * dy;
        if (found && std::isfinite(approximate)) {
            // |x - float(x)| <= 2^-23 |float(x)| (and a subnormal's step).
            const double ex = std::ldexp(std::fabs(static_cast<double>(e.x)), -23) + 1e-44;
            const double ey = std::ldexp(std::fabs(static_cast<double>(e.y)), -23) + 1e-44;
            const double error = ex * (2 * std::fabs(dx) + ex) + ey * (2 * std::fabs(dy) + ey) + 1e-15 * approximate;
            if (approximate - error > best)
                return;
        }
        const double d = squared_distance_to_mouse(candidate(e.id), mouse);
        if (d < best || (found && d == best && e.id < best_id)) {
            best = d;
            best_id = e.id;
            found = true;
        }
    };
    // The cells reach out to infinity at the border of the grid.
    auto cell_left = [&](std::int32_t i) { return i <= 0 ? -infinity : x0_ + i * cell_w_; };
    auto cell_right = [&](std::int32_t i) { return i >= columns_ - 1 ? infinity : x0_ + (i + 1) * cell_w_; };
    auto cell_bottom = [&](std::int32_t j) { return j <= 0 ? -infinity : y0_ + j * cell_h_; };
    auto cell_top = [&](std::int32_t j) { return j >= rows_ - 1 ? infinity : y0_ + (j + 1) * cell_h_; };
    // Guards the bounds against rounding in the cell arithmetic.
    const double slack = 1e-9 * (cell_w_ + cell_h_);
    auto visit_cell = [&](std::int32_t i, std::int32_t j) {
        const std::size_t c = static_cast<std::size_t>(j) * static_cast<std::size_t>(columns_) + static_cast<std::size_t>(i);
        const std::uint32_t first = cell_start_[c], last = cell_start_[c + 1];
        if (first == last)
            return;
        // A cell wholly farther than the best holds no winner.
        if (found) {
            const double gx = std::max({0.0, cell_left(i) - mouse_x, mouse_x - cell_right(i)}) - slack;
            const double gy = std::max({0.0, cell_bottom(j) - mouse_y, mouse_y - cell_top(j)}) - slack;
            const double cx = std::max(gx, 0.0), cy = std::max(gy, 0.0);
            if (cx * cx + cy * cy > best)
                return;
        }
        for (std::uint32_t e = first; e < last; ++e)
            consider(entries_[e]);
    };

    if (!std::isnan(mouse_x) && !std::isnan(mouse_y) && !entries_.empty()) {
        const std::int32_t cx = static_cast<std::int32_t>(
            std::clamp(std::floor((mouse_x - x0_) / cell_w_), 0.0, static_cast<double>(columns_ - 1)));
        const std::int32_t cy = static_cast<std::int32_t>(
            std::clamp(std::floor((mouse_y - y0_) / cell_h_), 0.0, static_cast<double>(rows_ - 1)));
        for (std::int32_t r = 0;; ++r) {
            const std::int32_t i0 = cx - r, i1 = cx + r, j0 = cy - r, j1 = cy + r;
            for (std::int32_t j = std::max(j0, 0); j <= std::min(j1, rows_ - 1); ++j) {
                if (j == j0 || j == j1) {
                    for (std::int32_t i = std::max(i0, 0); i <= std::min(i1, columns_ - 1); ++i)
                        visit_cell(i, j);
                } else {
                    if (i0 >= 0)
                        visit_cell(i0, j);
                    if (i1 < columns_)
                        visit_cell(i1, j);
                }
            }
            // Everything not visited lies outside this block of cells (the
            // border cells reach out to infinity).
            const double left = cell_left(i0), right = cell_right(i1), bottom = cell_bottom(j0), top = cell_top(j1);
            if (std::isinf(left) && std::isinf(right) && std::isinf(bottom) && std::isinf(top))
                break;
            const double bound =
                std::min({mouse_x - left, right - mouse_x, mouse_y - bottom, top - mouse_y}) - slack;
            if (found && bound > 0 && bound * bound > best)
                break;
        }
    }

    if (!found) {
        InspectionHit none;
        none.kind = previous_kind;
        return none;
    }
    return hit_for(best_id);
}

// ---------------------------------------------------------------------------
// One pass
// ---------------------------------------------------------------------------

void inspection_run(GuiState* s, InspectionIndex* index, int mouse_x, int mouse_y, int* hovered_point,
                    char* hovered_kind)
{
    const double side = static_cast<double>(s->window_height);
    const double mx = mouse_x / side, my = 1.0 - mouse_y / side;
    const InspectionHit hit = index->find(s, mx, my, *hovered_kind);
    *hovered_point = hit.hovered;
    *hovered_kind = hit.kind;

    ScenePoint points[3];
    scene_points(s, points);
    const ScenePoint& point = points[hit.kind == 'i' ? 1 : hit.kind == 'r' ? 2 : 0];
    const EmgExercise* exercise = gui_selected_exercise(s);
    const bool valid = hit.hovered >= 0 && exercise != nullptr && point.calibration != nullptr
                    && static_cast<std::size_t>(hit.hovered) < exercise->data.size();

    std::string text;
    if (valid && hit.lattice_hit) {
        const std::int32_t x = s->extrapolation_x_amount, y = s->extrapolation_y_amount,
                           z = s->extrapolation_z_amount;
        const std::int32_t hit_node = lattice_node_index(hit.s, hit.v, hit.h, x, y, z);
        const auto& copies = *point.extrapolated_verts;
        std::vector<Vector3> others;
        others.reserve(copies.size());
        for (std::size_t n = 0; n < copies.size(); ++n)
            if (static_cast<std::int32_t>(n) != hit_node && static_cast<std::size_t>(hit.hovered) < copies[n].size())
                others.push_back(copies[n][static_cast<std::size_t>(hit.hovered)]);
        interactable_viewport3d_draw_vertices(s->viewport, others.data(), static_cast<int>(others.size()), &c_gray);
        if (hit_node >= 0 && static_cast<std::size_t>(hit_node) < copies.size()
            && static_cast<std::size_t>(hit.hovered) < copies[static_cast<std::size_t>(hit_node)].size()) {
            const Vector3 p = copies[static_cast<std::size_t>(hit_node)][static_cast<std::size_t>(hit.hovered)];
            const double translation = algebra_vector_vector_distance(point.calibration, &p);
            interactable_viewport3d_draw_vertices(s->viewport, &p, 1, &c_white);
            text = string_format("[S%+d][V%+d][H%+d] %s Point #%d, Rotation: %.2lf\xC2\xB0, Translation: %.2lfmm",
                                 hit.s, hit.v, hit.h, kind_word(hit.kind), hit.hovered,
                                 exercise->data[static_cast<std::size_t>(hit.hovered)].open, translation);
        }
    } else if (valid && static_cast<std::size_t>(hit.hovered) < point.verts->size()) {
        const Vector3 p = (*point.verts)[static_cast<std::size_t>(hit.hovered)];
        const double translation = algebra_vector_vector_distance(point.calibration, &p);
        interactable_viewport3d_draw_vertices(s->viewport, &p, 1, &c_white);
        text = string_format("%s Point #%d, Rotation: %.2lf\xC2\xB0, Translation: %.2lfmm", kind_word(hit.kind),
                             hit.hovered, exercise->data[static_cast<std::size_t>(hit.hovered)].open, translation);
    }
    if (text.empty()) {
        const Vector3 origin{0, 0, 0};
        interactable_viewport3d_draw_vertices(s->viewport, &origin, 1, &c_white);
        text = "[Point Info Display]";
    }
    // Setting the same text again would only rebuild the same picture.
    if (s->point_info_text != nullptr && s->point_info_text->text != text)
        interactable_text_set_text(s->point_info_text, text.c_str());
}
