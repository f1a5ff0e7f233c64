#include "app/inspection.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <tuple>

#include "app/scene.hpp"
#include "geometry/lattice.hpp"
#include "gui/gui.hpp"

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();

// Where the candidates come from, in the order they are compared.
struct CandidateSource {
    int kind_index;
    char kind;
    std::int32_t copy;  // -1: the path itself
    bool lattice;
    std::int32_t count;
};

std::vector<CandidateSource> candidate_sources(const GuiState* s)
{
    std::vector<CandidateSource> sources;
    ScenePoint points[3];
    scene_points(s, points);
    const std::int32_t samples = std::max(s->verts_number, 0);
    const std::int32_t copy_samples = std::min(samples, std::max(s->extrapolated_verts_number, 0));
    // First the plain paths, then the grid copies.
    for (const ScenePoint& p : points)
        if (p.shown && !p.extrapolated)
            sources.push_back({p.index, p.kind, -1, false, samples});
    for (const ScenePoint& p : points)
        if (p.shown && p.extrapolated)
            for (std::int32_t n = 0; n < gui_extrapolated_copy_count(s); ++n)
                sources.push_back({p.index, p.kind, n, true, copy_samples});
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
        const double d =
            squared_distance_to_mouse(gui_projected_vertex(s, source.kind_index, source.copy, k), mouse);
        if (best > d) {
            best = d;
            hit.hovered = k;
            hit.kind = source.kind;
            if (source.lattice)
                set_lattice_offsets(&hit, s, source.copy);
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

// Samples per box at the bottom of the tree, and boxes per box above.
constexpr std::int32_t run_length = 128;
constexpr std::size_t fan_out = 4;

}  // namespace

// Widens a box (empty: min above max) to a finite point.
template <typename Box>
void add_to_box(Box* box, const Vector3& p)
{
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z))
        return;
    if (box->min.x > box->max.x) {
        box->min = box->max = p;
        return;
    }
    box->min = {std::min(box->min.x, p.x), std::min(box->min.y, p.y), std::min(box->min.z, p.z)};
    box->max = {std::max(box->max.x, p.x), std::max(box->max.y, p.y), std::max(box->max.z, p.z)};
}

bool InspectionIndex::stale(const GuiState* s) const
{
    return !built_ || paths_generation_ != s->paths_generation || switches_ != switch_bits(s)
        || lattice_[0] != s->extrapolation_x_amount || lattice_[1] != s->extrapolation_y_amount
        || lattice_[2] != s->extrapolation_z_amount || copies_ != s->extrapolations_number
        || samples_ != s->verts_number;
}

void InspectionIndex::prepare(const GuiState* s)
{
    build(s);
}

bool InspectionIndex::take(InspectionIndex&& prepared, const GuiState* s)
{
    if (!prepared.built_ || prepared.switches_ != switch_bits(s) || prepared.lattice_[0] != s->extrapolation_x_amount
        || prepared.lattice_[1] != s->extrapolation_y_amount || prepared.lattice_[2] != s->extrapolation_z_amount
        || prepared.copies_ != s->extrapolations_number || prepared.samples_ != s->verts_number)
        return false;
    *this = std::move(prepared);
    paths_generation_ = s->paths_generation;
    last_.reset();
    return true;
}

std::shared_ptr<void> inspection_prepare(const GuiState* state)
{
    auto index = std::make_shared<InspectionIndex>();
    index->prepare(state);
    return index;
}

void inspection_take_prepared(GuiState* state, InspectionIndex* index)
{
    const GuiPreparedFrame* prepared = state->prepared_frame.get();
    if (prepared == nullptr || prepared->extra == nullptr || prepared->paths_generation != state->paths_generation)
        return;
    index->take(std::move(*static_cast<InspectionIndex*>(prepared->extra.get())), state);
}

void InspectionIndex::build(const GuiState* s)
{
    built_ = true;
    last_.reset();
    paths_generation_ = s->paths_generation;
    switches_ = switch_bits(s);
    lattice_[0] = s->extrapolation_x_amount;
    lattice_[1] = s->extrapolation_y_amount;
    lattice_[2] = s->extrapolation_z_amount;
    copies_ = s->extrapolations_number;
    samples_ = s->verts_number;
    sources_.clear();
    runs_.clear();
    levels_.clear();
    shown_.clear();
    const std::int32_t center = lattice_node_index(0, 0, 0, s->extrapolated_amounts[0], s->extrapolated_amounts[1],
                                                   s->extrapolated_amounts[2]);
    struct Placed {
        std::uint64_t code;
        Run run;
        Box box;
    };
    std::vector<Placed> placed;
    Box all;
    for (const CandidateSource& c : candidate_sources(s)) {
        const auto source = static_cast<std::uint32_t>(sources_.size());
        sources_.push_back({c.kind_index, c.kind, c.copy, c.lattice, c.count});
        // The path itself is where its central copy is. The points are
        // computed sample by sample, as a whole copy would be as large as
        // the path; a sample or copy that was not made has no finite point.
        const std::int32_t copy = c.copy < 0 ? center : c.copy;
        const std::int32_t count = c.count;
        for (std::int32_t first = 0; first < count; first += run_length) {
            Box box;
            for (std::int32_t k = first; k < std::min(count, first + run_length); ++k)
                add_to_box(&box, gui_extrapolated_vertex(s, c.kind_index, copy, k));
            if (box.min.x > box.max.x)
                continue;  // no finite point: projected as not a number, never a winner
            placed.push_back({0, {source, first}, box});
            add_to_box(&all, box.min);
            add_to_box(&all, box.max);
        }
    }
    if (placed.empty())
        return;
    // Runs near each other in space next to each other: ordered along a
    // curve through the cells of the whole box (Morton order).
    for (Placed& p : placed) {
        const double centre[3] = {(p.box.min.x + p.box.max.x) / 2, (p.box.min.y + p.box.max.y) / 2,
                                  (p.box.min.z + p.box.max.z) / 2};
        const double low[3] = {all.min.x, all.min.y, all.min.z}, high[3] = {all.max.x, all.max.y, all.max.z};
        for (int axis = 0; axis < 3; ++axis) {
            const double span = high[axis] - low[axis];
            const double at = span > 0 ? (centre[axis] - low[axis]) / span : 0.0;
            const auto cell = static_cast<std::uint64_t>(std::clamp(at, 0.0, 1.0) * 2097151.0);  // 21 bits
            for (int bit = 0; bit < 21; ++bit)
                p.code |= ((cell >> bit) & 1u) << (3 * bit + axis);
        }
    }
    std::sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) {
        return std::tie(a.code, a.run.source, a.run.first) < std::tie(b.code, b.run.source, b.run.first);
    });
    levels_.emplace_back();
    for (const Placed& p : placed) {
        runs_.push_back(p.run);
        levels_.back().push_back(p.box);
    }
    while (levels_.back().size() > 1) {
        const std::vector<Box>& below = levels_.back();
        std::vector<Box> above((below.size() + fan_out - 1) / fan_out);
        for (std::size_t b = 0; b < below.size(); ++b) {
            add_to_box(&above[b / fan_out], below[b].min);
            add_to_box(&above[b / fan_out], below[b].max);
        }
        levels_.push_back(std::move(above));
    }
    for (const std::vector<Box>& level : levels_)
        shown_.emplace_back(level.size(), Shown{0, 0, 0, 0, 0, false, 0});
}

namespace {

// How the camera shows a box: the bounds of its projected corners. A box in
// front of the eye (w > 0 at every corner, so everywhere in it) projects
// within them; a box partly at or behind the eye is not bounded. The margin
// covers the rounding of the projection.
InspectionIndex::Shown show_box(const Matrix4& m, const Vector3& low, const Vector3& high)
{
    InspectionIndex::Shown shown{std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                                 std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                                 0.0, true, 0};
    if (m.m[3] == 0 && m.m[7] == 0 && m.m[11] == 0 && m.m[15] == 1) {
        // An orthographic camera is affine: the box's centre moved by the
        // sum of its half sides, each as far as the camera stretches it.
        const Vector3 centre{(low.x + high.x) / 2, (low.y + high.y) / 2, (low.z + high.z) / 2};
        const Vector3 half{(high.x - low.x) / 2, (high.y - low.y) / 2, (high.z - low.z) / 2};
        double size = 0;
        for (int r = 0; r < 2; ++r) {
            const double middle = m.m[r] * centre.x + m.m[4 + r] * centre.y + m.m[8 + r] * centre.z + m.m[12 + r];
            const double reach = std::fabs(m.m[r]) * half.x + std::fabs(m.m[4 + r]) * half.y
                               + std::fabs(m.m[8 + r]) * half.z;
            size = std::max(size, std::fabs(m.m[r] * low.x) + std::fabs(m.m[r] * high.x) + std::fabs(m.m[4 + r] * low.y)
                                      + std::fabs(m.m[4 + r] * high.y) + std::fabs(m.m[8 + r] * low.z)
                                      + std::fabs(m.m[8 + r] * high.z) + std::fabs(m.m[12 + r]));
            (r == 0 ? shown.x0 : shown.y0) = (middle - reach) * 0.5 + 0.5;
            (r == 0 ? shown.x1 : shown.y1) = (middle + reach) * 0.5 + 0.5;
        }
        shown.margin = 1e-12 * size + 1e-12;
        shown.bounded = std::isfinite(shown.x0) && std::isfinite(shown.x1) && std::isfinite(shown.y0)
                     && std::isfinite(shown.y1);
        return shown;
    }
    for (int corner = 0; corner < 8; ++corner) {
        const double p[3] = {(corner & 1) ? high.x : low.x, (corner & 2) ? high.y : low.y,
                             (corner & 4) ? high.z : low.z};
        double clip[3], size[3];
        for (int r : {0, 1, 3}) {
            const int at = r == 3 ? 2 : r;
            clip[at] = m.m[r] * p[0] + m.m[4 + r] * p[1] + m.m[8 + r] * p[2] + m.m[12 + r];
            size[at] = std::fabs(m.m[r] * p[0]) + std::fabs(m.m[4 + r] * p[1]) + std::fabs(m.m[8 + r] * p[2])
                     + std::fabs(m.m[12 + r]);
        }
        const double fx = clip[0] / clip[2] * 0.5 + 0.5, fy = clip[1] / clip[2] * 0.5 + 0.5;
        if (!(clip[2] > 0) || !std::isfinite(fx) || !std::isfinite(fy)) {
            shown.bounded = false;
            return shown;
        }
        shown.x0 = std::min(shown.x0, fx);
        shown.x1 = std::max(shown.x1, fx);
        shown.y0 = std::min(shown.y0, fy);
        shown.y1 = std::max(shown.y1, fy);
        shown.margin =
            std::max(shown.margin, (size[0] + size[1] + size[2] * (std::fabs(fx) + std::fabs(fy) + 1)) / clip[2]);
    }
    shown.margin = 1e-12 * shown.margin + 1e-12;
    return shown;
}

// The smallest squared distance from the mouse that a projected point of a
// shown box can have, or less.
double shown_bound(const InspectionIndex::Shown& shown, double mouse_x, double mouse_y)
{
    if (!shown.bounded)
        return 0.0;
    const double gx = std::max({0.0, shown.x0 - mouse_x, mouse_x - shown.x1}) - shown.margin;
    const double gy = std::max({0.0, shown.y0 - mouse_y, mouse_y - shown.y1}) - shown.margin;
    const double bound = (gx > 0 ? gx * gx : 0.0) + (gy > 0 ? gy * gy : 0.0);
    return std::isfinite(bound) ? bound : 0.0;
}

}  // namespace

InspectionHit InspectionIndex::find(const GuiState* s, double mouse_x, double mouse_y, char previous_kind)
{
    // A locked sample has one candidate per path and copy: no index needed.
    if (s->locked_point >= 0)
        return inspection_find_linear(s, mouse_x, mouse_y, previous_kind);
    if (stale(s))
        build(s);
    if (last_ && last_->mouse_x == mouse_x && last_->mouse_y == mouse_y
        && last_->projection_generation == s->projection_generation && last_->previous_kind == previous_kind)
        return last_->hit;

    const Vector3 mouse{mouse_x, mouse_y, 0};
    const Matrix4& camera = s->projection_camera;
    double best = infinity;
    std::uint64_t best_id = 0;  // source, then sample: the order of the plain search
    bool found = false;
    // Boxes nearest first; a box no nearer than the best so far holds no
    // winner, unless as near, where a tie with an earlier candidate decides.
    struct Pending {
        double bound;
        std::uint32_t level;
        std::uint32_t index;
        bool operator>(const Pending& o) const { return bound > o.bound; }
    };
    std::vector<Pending> heap;
    auto push = [&](std::uint32_t level, std::uint32_t index) {
        const Box& box = levels_[level][index];
        if (box.min.x > box.max.x)
            return;
        // Projections are counted from 1, so a box never shown is shown now.
        const std::uint64_t generation = s->projection_generation + 1;
        Shown& shown = shown_[level][index];
        if (shown.generation != generation) {
            shown = show_box(camera, box.min, box.max);
            shown.generation = generation;
        }
        const double bound = shown_bound(shown, mouse_x, mouse_y);
        if (found && bound > best)
            return;  // farther than the best: no winner in it
        heap.push_back({bound, level, index});
        std::push_heap(heap.begin(), heap.end(), std::greater<>{});
    };
    if (!std::isnan(mouse_x) && !std::isnan(mouse_y) && !levels_.empty())
        push(static_cast<std::uint32_t>(levels_.size() - 1), 0);
    Vector3 projected[run_length];
    while (!heap.empty()) {
        std::pop_heap(heap.begin(), heap.end(), std::greater<>{});
        const Pending next = heap.back();
        heap.pop_back();
        if (found && next.bound > best)
            break;
        if (next.level > 0) {
            const std::size_t width = levels_[next.level - 1].size();
            for (std::size_t child = fan_out * next.index; child < fan_out * (next.index + 1) && child < width; ++child)
                push(next.level - 1, static_cast<std::uint32_t>(child));
            continue;
        }
        const Run& run = runs_[next.index];
        const Source& source = sources_[run.source];
        const std::int32_t last = std::min(source.count, run.first + run_length);
        gui_projected_vertices(s, source.kind_index, source.copy, run.first, last - run.first, projected);
        for (std::int32_t k = run.first; k < last; ++k) {
            const double d = squared_distance_to_mouse(projected[k - run.first], mouse);
            const std::uint64_t id = static_cast<std::uint64_t>(run.source) << 32 | static_cast<std::uint32_t>(k);
            if (d < best || (found && d == best && id < best_id)) {
                best = d;
                best_id = id;
                found = true;
            }
        }
    }

    InspectionHit hit;
    hit.kind = previous_kind;
    if (found) {
        const Source& source = sources_[static_cast<std::size_t>(best_id >> 32)];
        hit.hovered = static_cast<std::int32_t>(best_id & 0xffffffffu);
        hit.kind = source.kind;
        if (source.lattice) {
            hit.lattice_hit = true;
            lattice_node_offsets(source.copy, lattice_[0], lattice_[1], lattice_[2], &hit.s, &hit.v, &hit.h);
        }
    }
    last_ = LastSearch{mouse_x, mouse_y, s->projection_generation, previous_kind, hit};
    return hit;
}

// ---------------------------------------------------------------------------
// One pass
// ---------------------------------------------------------------------------

namespace {

// Where a grid point sits with the jaw in its calibrated pose: the tracked
// point's calibrated place moved by the node's offsets along the lattice
// directions of that pose (the lattice turns with the jaw from its reference
// sample, as in the pipeline).
Vector3 grid_calibrated_place(const GuiState* s, const ScenePoint points[3], const ScenePoint& point,
                              const InspectionHit& hit)
{
    const std::size_t samples =
        std::min({s->l_verts.size(), s->i_verts.size(), s->r_verts.size(), s->lattice_directions.size()});
    if (samples == 0 || points[0].calibration == nullptr || points[1].calibration == nullptr
        || points[2].calibration == nullptr)
        return *point.calibration;
    std::size_t r = lattice_reference_sample(s->l_verts.data(), s->i_verts.data(), s->r_verts.data(), samples);
    if (r >= samples)
        r = 0;
    const Matrix3 reference = lattice_jaw_basis(s->l_verts[r], s->i_verts[r], s->r_verts[r]);
    const Matrix3 calibrated =
        lattice_jaw_basis(*points[0].calibration, *points[1].calibration, *points[2].calibration);
    Vector3 directions[3];
    lattice_directions(directions, reference, calibrated);
    Vector3 place = *point.calibration;
    const int offsets[3] = {hit.s, hit.v, hit.h};
    for (int k = 0; k < 3; ++k) {
        Vector3 step;
        algebra_vector_scalar_mul(&step, &directions[k], offsets[k] * s->extrapolated_distance);
        algebra_vector_vector_add(&place, &place, &step);
    }
    return place;
}

}  // namespace

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
        const std::int32_t copies = gui_extrapolated_copy_count(s);
        const bool made = hit.hovered < s->extrapolated_verts_number;
        std::vector<Vector3> others;
        for (std::int32_t n = 0; made && n < copies; ++n)
            if (n != hit_node)
                others.push_back(gui_extrapolated_vertex(s, point.index, n, hit.hovered));
        interactable_viewport3d_draw_vertices(s->viewport, others.data(), static_cast<int>(others.size()), &c_gray);
        if (made && hit_node >= 0 && hit_node < copies) {
            const Vector3 p = gui_extrapolated_vertex(s, point.index, hit_node, hit.hovered);
            // Measured from the grid point's own calibrated place.
            const Vector3 calibrated = grid_calibrated_place(s, points, point, hit);
            const double translation = algebra_vector_vector_distance(&calibrated, &p);
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
