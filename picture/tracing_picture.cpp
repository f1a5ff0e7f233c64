#include "picture/tracing_picture.hpp"

// Index of this file:
// [SECTION] Geometry of a plot: displacements, extents, scale
// [SECTION] Paths simplified to the page's units
// [SECTION] Panel furniture: frame, grid, directions, titles
// [SECTION] The panels
// [SECTION] The sheet, the marks and the clicks

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <utility>

#include "geometry/chart_axes.hpp"
#include "geometry/path_simplification.hpp"
#include "geometry/path_switching.hpp"
#include "report/emg_comparison.hpp"
#include "report/emg_exercise_type.hpp"
#include "report/emg_measures.hpp"

namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double pi = 3.14159265358979323846;
constexpr double smallest_span_mm = 10.0;  // a panel shows at least this much of each axis
constexpr double simplify_tolerance = 0.25;  // page units a kept polyline may pass off a dropped point
constexpr double cell_units = 1.0;           // page units of the cells paths are clustered in
constexpr PictureColor black{0, 0, 0};
constexpr PictureColor grid_color{222, 222, 222};
constexpr PictureColor axis_color{150, 150, 150};
constexpr PictureColor label_color{90, 90, 90};
constexpr PictureColor left_color{200, 30, 30};   // the 3D view's left condyle
constexpr PictureColor right_color{20, 150, 40};  // the 3D view's right condyle
constexpr double baseline_fade = 0.6;             // how far the baseline's colours go towards the white page

PictureColor faded(PictureColor c)
{
    const auto towards_white = [](std::uint8_t v) {
        return static_cast<std::uint8_t>(std::lround(v + baseline_fade * (255.0 - v)));
    };
    return {towards_white(c.r), towards_white(c.g), towards_white(c.b)};
}

// =============================================================================
// [SECTION] Geometry of a plot
// =============================================================================

Vector3 minus(const Vector3& a, const Vector3& b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

Vector3 plus(const Vector3& a, const Vector3& b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}

Vector3 scaled(const Vector3& v, double s)
{
    return {v.x * s, v.y * s, v.z * s};
}

double dot(const Vector3& a, const Vector3& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

bool finite(const Vector3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

const Vector3& rest_of(const EmgReport& report, TracingPoint point)
{
    switch (point) {
    case TracingPoint::left_condyle:
        return report.calibration_left;
    case TracingPoint::right_condyle:
        return report.calibration_right;
    case TracingPoint::incisal:
        break;
    }
    return report.calibration_incisal;
}

const Vector3& point_of(const EmgDataPoint& sample, TracingPoint point)
{
    switch (point) {
    case TracingPoint::left_condyle:
        return sample.left;
    case TracingPoint::right_condyle:
        return sample.right;
    case TracingPoint::incisal:
        break;
    }
    return sample.incisal;
}

// The plot's two coordinates of a displacement, in mm (x along `across`, y up `upward`).
std::pair<double, double> mm_of(const TracingPlot& plot, const Vector3& d)
{
    return {dot(d, plot.across), dot(d, plot.upward)};
}

PicturePoint page_of(const TracingPlot& plot, double x_mm, double y_mm)
{
    return {plot.origin.x + plot.scale * x_mm, plot.origin.y - plot.scale * y_mm};
}

// The extent, in the plot's mm, of what a plot draws; the origin always in it.
struct Extent {
    double x0 = 0, x1 = 0, y0 = 0, y1 = 0;

    void add(double x, double y)
    {
        x0 = std::min(x0, x);
        x1 = std::max(x1, x);
        y0 = std::min(y0, y);
        y1 = std::max(y1, y);
    }
};

void add_exercise(Extent* e, const TracingPlot& plot, const EmgReport& report, const EmgExercise& exercise)
{
    const std::int32_t n = emg_sample_count(&exercise);
    for (TracingPoint point : plot.points)
        for (std::int32_t k = 0; k < n; ++k) {
            const Vector3 d = minus(point_of(exercise.data[static_cast<std::size_t>(k)], point), rest_of(report, point));
            if (finite(d)) {
                const auto [x, y] = mm_of(plot, d);
                e->add(x, y);
            }
        }
}

// The baseline's exercise as a sheet draws it: from its own calibrated
// positions, over the pieces of the time drawn.
struct Faded {
    const EmgReport* report;
    std::int32_t index;
    const EmgExercise* exercise;
    std::vector<PathPiece> pieces;
    std::string label;
};

// What a plot draws: the report's exercises and the baseline's, when there is one.
Extent extent_of(const TracingPlot& plot, const EmgReport& report, const std::vector<std::int32_t>& exercises,
                 const Faded* baseline = nullptr)
{
    Extent e;
    for (std::int32_t index : exercises)
        add_exercise(&e, plot, report, report.exercises[static_cast<std::size_t>(index)]);
    if (baseline != nullptr)
        add_exercise(&e, plot, *baseline->report, *baseline->exercise);
    return e;
}

// Widens an extent to the smallest span and by a margin of 6 % on each side.
Extent padded(Extent e)
{
    for (auto [low, high] : {std::pair{&e.x0, &e.x1}, std::pair{&e.y0, &e.y1}}) {
        const double grow = std::max(0.0, smallest_span_mm - (*high - *low)) / 2;
        *low -= grow;
        *high += grow;
        const double margin = 0.06 * (*high - *low);
        *low -= margin;
        *high += margin;
    }
    return e;
}

double scale_to_fit(const PictureRect& box, const Extent& e)
{
    return std::min(box.w / (e.x1 - e.x0), box.h / (e.y1 - e.y0));
}

// Places the origin so that the extent sits in the middle of the box at the plot's scale.
void centre(TracingPlot* plot, const Extent& e)
{
    const double cx = (e.x0 + e.x1) / 2, cy = (e.y0 + e.y1) / 2;
    plot->origin = {plot->box.x + plot->box.w / 2 - plot->scale * cx, plot->box.y + plot->box.h / 2 + plot->scale * cy};
}

// =============================================================================
// [SECTION] Paths simplified to the page's units
// =============================================================================

// The solid (opening) and dashed (closing) polylines of one point of one
// exercise on a plot.
struct Strokes {
    std::vector<std::vector<PicturePoint>> solid;
    std::vector<std::vector<PicturePoint>> dashed;
};

// Joins segments (pairs of vertices) into the fewest trails a greedy walk
// finds: from every vertex with an odd count of segments first (a trail must
// end at each of them), then from any vertex with segments left, along
// unused segments until none is left at the current vertex. Each segment is
// walked once, so the drawing is the segments' drawing with far fewer
// polylines than segments.
std::vector<std::vector<std::uint32_t>> trails_of(const std::vector<std::uint32_t>& segments)
{
    const std::size_t edges = segments.size() / 2;
    std::uint32_t vertices = 0;
    for (std::uint32_t v : segments)
        vertices = std::max(vertices, v + 1);
    // The segments at each vertex, as compressed rows.
    std::vector<std::uint32_t> first(vertices + 1, 0), at_vertex(2 * edges);
    for (std::uint32_t v : segments)
        ++first[v + 1];
    for (std::uint32_t v = 0; v < vertices; ++v)
        first[v + 1] += first[v];
    std::vector<std::uint32_t> fill(first.begin(), first.end() - 1);
    for (std::size_t e = 0; e < edges; ++e) {
        at_vertex[fill[segments[2 * e]]++] = static_cast<std::uint32_t>(e);
        at_vertex[fill[segments[2 * e + 1]]++] = static_cast<std::uint32_t>(e);
    }
    std::vector<std::uint32_t> next(first.begin(), first.end() - 1);  // the first segment not yet looked at
    std::vector<std::uint8_t> used(edges, 0);
    std::vector<std::vector<std::uint32_t>> trails;
    const auto walk_from = [&](std::uint32_t start) {
        for (;;) {
            std::uint32_t v = start;
            std::vector<std::uint32_t> trail{v};
            for (;;) {
                while (next[v] < first[v + 1] && used[at_vertex[next[v]]])
                    ++next[v];
                if (next[v] == first[v + 1])
                    break;
                const std::uint32_t e = at_vertex[next[v]];
                used[e] = 1;
                v = segments[2 * e] == v ? segments[2 * e + 1] : segments[2 * e];
                trail.push_back(v);
            }
            if (trail.size() < 2)
                return;
            trails.push_back(std::move(trail));
        }
    };
    for (std::uint32_t v = 0; v < vertices; ++v)
        if ((first[v + 1] - first[v]) % 2 == 1)
            walk_from(v);
    for (std::uint32_t v = 0; v < vertices; ++v)
        walk_from(v);
    return trails;
}

// Joins segments (pairs of vertices) into polylines and drops the points the
// page cannot show.
std::vector<std::vector<PicturePoint>> chained(const std::vector<std::uint32_t>& segments,
                                               const std::vector<PathPoint2>& at)
{
    const std::vector<std::vector<std::uint32_t>> chains = trails_of(segments);
    std::vector<std::vector<PicturePoint>> out;
    out.reserve(chains.size());
    std::vector<PathPoint2> line;
    for (const std::vector<std::uint32_t>& chain : chains) {
        line.clear();
        for (std::uint32_t v : chain)
            line.push_back(at[v]);
        std::vector<PicturePoint>& polyline = out.emplace_back();
        for (std::uint32_t kept : path_simplification_polyline(line.data(), line.size(), simplify_tolerance))
            polyline.push_back({line[kept].x, line[kept].y});
    }
    return out;
}

// The polylines of the samples `page` (page positions, NaN where missing)
// along the consecutive pairs `pairs`: clustered in cells of one page unit
// when the cells merge samples, else the samples themselves.
std::vector<std::vector<PicturePoint>> simplified(const std::vector<Vector3>& page,
                                                  const std::vector<std::uint32_t>& pairs)
{
    const auto n = static_cast<std::int32_t>(page.size());
    PathLevel level;
    std::vector<PathPoint2> at;
    if (path_simplification_cluster(&level, page.data(), n, pairs.data(), pairs.size() / 2,
                                    path_simplification_level(1.0, cell_units))) {
        at.reserve(level.vertex_count());
        for (std::size_t v = 0; v < level.vertex_count(); ++v)
            at.push_back({level.positions[3 * v], level.positions[3 * v + 1]});
        return chained(level.segments, at);
    }
    // Too far out for the cells: the samples as they are, without the missing ones.
    std::vector<std::uint32_t> kept = pairs;
    path_simplification_drop_missing(&kept, page.data(), n);
    at.reserve(page.size());
    for (const Vector3& p : page)
        at.push_back({p.x, p.y});
    return chained(kept, at);
}

// The pieces within a range of samples (all of them for a count of 0).
std::vector<PathPiece> within(std::vector<PathPiece> pieces, TracingRange range)
{
    if (range.count <= 0)
        return pieces;
    std::vector<PathPiece> kept;
    const std::int64_t end = range.first + range.count;
    for (const PathPiece& piece : pieces) {
        const std::int64_t from = std::max<std::int64_t>(piece.first, range.first);
        const std::int64_t to = std::min<std::int64_t>(static_cast<std::int64_t>(piece.first) + piece.count, end);
        if (to > from)
            kept.push_back({piece.dashed, static_cast<std::int32_t>(from), static_cast<std::int32_t>(to - from)});
    }
    return kept;
}

// The solid and dashed pieces of an exercise's paths, cut at its open/close turns.
std::vector<PathPiece> pieces_of(const EmgExercise& exercise)
{
    std::vector<std::int32_t> turns;
    std::int32_t turn_count = 0;
    emg_analyze_open_close_movements(&turns, &turn_count, &exercise);
    return path_switching_pieces(emg_sample_count(&exercise), turns.data(), turn_count);
}

Strokes strokes_of(const TracingPlot& plot, const EmgReport& report, const EmgExercise& exercise,
                   const std::vector<PathPiece>& pieces, TracingPoint point)
{
    const std::int32_t n = emg_sample_count(&exercise);
    std::vector<Vector3> page(static_cast<std::size_t>(n));
    const Vector3& rest = rest_of(report, point);
    for (std::int32_t k = 0; k < n; ++k) {
        const Vector3 d = minus(point_of(exercise.data[static_cast<std::size_t>(k)], point), rest);
        const auto [x, y] = mm_of(plot, d);
        const PicturePoint p = page_of(plot, x, y);
        page[static_cast<std::size_t>(k)] = finite(d) ? Vector3{p.x, p.y, 0.0} : Vector3{nan, nan, nan};
    }
    std::vector<std::uint32_t> solid, dashed;
    for (const PathPiece& piece : pieces) {
        std::vector<std::uint32_t>& pairs = piece.dashed ? dashed : solid;
        for (std::int32_t m = piece.first; m + 1 < piece.first + piece.count; ++m)
            pairs.insert(pairs.end(), {static_cast<std::uint32_t>(m), static_cast<std::uint32_t>(m + 1)});
    }
    return {simplified(page, solid), simplified(page, dashed)};
}

// The baseline as the sheet draws it: with a selected exercise that has
// samples, an exercise of its own that has some, over the same stretch of
// time from the exercises' starts as the selected one's range.
std::optional<Faded> faded_of(const EmgReport& report, std::int32_t selected, TracingRange range,
                              const TracingBaseline& baseline)
{
    if (selected < 0 || emg_sample_count(&report.exercises[static_cast<std::size_t>(selected)]) == 0 ||
        baseline.report == nullptr || baseline.exercise < 0 ||
        baseline.exercise >= static_cast<std::int32_t>(baseline.report->exercises.size()))
        return std::nullopt;
    const EmgExercise& base = baseline.report->exercises[static_cast<std::size_t>(baseline.exercise)];
    const std::int32_t n = emg_sample_count(&base);
    if (n == 0)
        return std::nullopt;
    TracingRange same_time;
    if (range.count > 0) {
        const auto at = [&](std::int64_t k) {
            const auto sample = static_cast<std::int32_t>(std::clamp<std::int64_t>(k, 0, INT32_MAX));
            return emg_comparison_sample(sample, report.frequency, baseline.report->frequency, n);
        };
        same_time.first = at(range.first);
        same_time.count = std::max<std::int64_t>(1, at(range.first + range.count - 1) + 1 - same_time.first);
    }
    return Faded{baseline.report, baseline.exercise, &base, within(pieces_of(base), same_time), baseline.label};
}

// =============================================================================
// [SECTION] Panel furniture
// =============================================================================

// Sizes that follow the page: a line unit and the font.
struct Metrics {
    double unit;  // a thin line's width
    double font;
    double line;  // a text line's height
};

Metrics metrics_of(double width, double height)
{
    const double side = std::max(1.0, std::min(width, height));
    const double font = std::clamp(side / 58.0, 7.0, 14.0);
    return {std::max(0.75, side / 700.0), font, font * 1.3};
}

// A rough text width: the back ends measure exactly, the layout needs only room.
double text_width(const std::string& text, double font)
{
    std::size_t glyphs = 0;
    for (unsigned char c : text)
        glyphs += (c & 0xC0) != 0x80 ? 1 : 0;
    return 0.58 * font * static_cast<double>(glyphs);
}

PictureStyle text_style(double font, PictureColor color, PictureAnchor anchor = PictureAnchor::start, bool bold = false)
{
    PictureStyle s;
    s.fill = PicturePaint::of(color);
    s.stroke = PicturePaint::none_paint();
    s.font_size = font;
    s.anchor = anchor;
    s.bold = bold;
    return s;
}

PictureStyle line_style(PictureColor color, double width, bool dashed = false, double dash_unit = 1.0)
{
    PictureStyle s;
    s.stroke = PicturePaint::of(color);
    s.fill = PicturePaint::none_paint();
    s.stroke_width = width;
    s.dash = dashed ? PictureDash::dashed : PictureDash::solid;
    s.dash_on = 4 * dash_unit;
    s.dash_off = 3 * dash_unit;
    return s;
}

// The words at the ends of a plot's axes.
struct Directions {
    const char* left;
    const char* right;
    const char* top;
    const char* bottom;
};

// The grid of the plot's scale, its labels (distances from the origin, the
// directions telling the side), the axes through the origin and the words
// at their ends.
void draw_grid(Picture* picture, const TracingPlot& plot, const Metrics& mt, const Directions& words)
{
    const PictureRect& b = plot.box;
    const double spacing = std::max(4.0 * mt.font, 36.0);
    const int intervals = chart_axes_max_intervals(static_cast<int>(std::max(b.w, b.h)), static_cast<int>(spacing));
    const double step = chart_axes_nice_step(std::max(b.w, b.h) / plot.scale, intervals);
    const int decimals = chart_axes_decimals(step);
    const double x_low = (b.x - plot.origin.x) / plot.scale, x_high = (b.x + b.w - plot.origin.x) / plot.scale;
    const double y_low = (plot.origin.y - b.y - b.h) / plot.scale, y_high = (plot.origin.y - b.y) / plot.scale;

    picture_group(picture, line_style(grid_color, mt.unit));
    for (double v = std::ceil(x_low / step) * step; v <= x_high; v += step) {
        const double x = plot.origin.x + v * plot.scale;
        picture_line(picture, {x, b.y}, {x, b.y + b.h});
    }
    for (double v = std::ceil(y_low / step) * step; v <= y_high; v += step) {
        const double y = plot.origin.y - v * plot.scale;
        picture_line(picture, {b.x, y}, {b.x + b.w, y});
    }
    picture_group_end(picture);

    picture_group(picture, text_style(mt.font * 0.85, label_color, PictureAnchor::middle));
    for (double v = std::ceil(x_low / step) * step; v <= x_high; v += step)
        picture_text(picture, {plot.origin.x + v * plot.scale, b.y + b.h + mt.line * 0.85},
                     emg_measures_format(std::fabs(v), decimals));
    for (double v = std::ceil(y_low / step) * step; v <= y_high; v += step) {
        PictureItem& label = picture_text(picture, {b.x - mt.font * 0.3, plot.origin.y - v * plot.scale + mt.font * 0.3},
                                          emg_measures_format(std::fabs(v), decimals));
        label.style.anchor = PictureAnchor::end;
    }
    picture_group_end(picture);

    PictureStyle frame = line_style(axis_color, mt.unit);
    picture_rectangle(picture, b, frame);
    picture_clip_group(picture, b, line_style(axis_color, mt.unit));
    picture_line(picture, {b.x, plot.origin.y}, {b.x + b.w, plot.origin.y});
    picture_line(picture, {plot.origin.x, b.y}, {plot.origin.x, b.y + b.h});
    picture_group_end(picture);

    const double pad = mt.font * 0.35;
    picture_group(picture, text_style(mt.font * 0.9, label_color));
    picture_text(picture, {b.x + pad, b.y + b.h / 2 - pad}, words.left);
    picture_text(picture, {b.x + b.w - pad, b.y + b.h / 2 - pad}, words.right).style.anchor = PictureAnchor::end;
    picture_text(picture, {b.x + b.w / 2 + pad, b.y + mt.font + pad}, words.top);
    picture_text(picture, {b.x + b.w / 2 + pad, b.y + b.h - pad}, words.bottom);
    picture_group_end(picture);
}

void draw_strokes(Picture* picture, const Strokes& strokes, PictureColor color, double width, double dash_unit)
{
    picture_group(picture, line_style(color, width, false, dash_unit));
    for (const std::vector<PicturePoint>& line : strokes.solid)
        picture_polyline(picture, line);
    picture_group_end(picture);
    picture_group(picture, line_style(color, width, true, dash_unit));
    for (const std::vector<PicturePoint>& line : strokes.dashed)
        picture_polyline(picture, line);
    picture_group_end(picture);
}

// A panel's cell of the page: its title on the first line, the plot inside
// with room for the labels left of and under it.
PictureRect plot_box_of(const PictureRect& cell, const Metrics& mt)
{
    const double left = text_width("000.0", mt.font * 0.85) + mt.font * 0.6;
    const double top = mt.line * 1.2, bottom = mt.line * 1.1, right = mt.font * 0.5;
    return {cell.x + left, cell.y + top, std::max(1.0, cell.w - left - right), std::max(1.0, cell.h - top - bottom)};
}

void draw_title(Picture* picture, const PictureRect& cell, const Metrics& mt, const std::string& text)
{
    picture_text(picture, {cell.x + mt.font * 0.3, cell.y + mt.font}, text, text_style(mt.font, black, PictureAnchor::start, true));
}

void draw_message(Picture* picture, const PictureRect& box, const Metrics& mt, const std::string& text)
{
    picture_text(picture, {box.x + box.w / 2, box.y + box.h / 2}, text, text_style(mt.font, label_color, PictureAnchor::middle));
}

// =============================================================================
// [SECTION] The panels
// =============================================================================

std::string exercise_title(const EmgReport& report, std::int32_t index)
{
    return "[" + std::to_string(index + 1) + "] " + report.exercises[static_cast<std::size_t>(index)].name;
}

std::string degrees_text(const std::optional<double>& value)
{
    return value ? emg_measures_format(*value, 1) + "\u00b0" : std::string("not available");
}

// The exercises with samples, the selected one last (drawn on top).
std::vector<std::int32_t> drawing_order(const EmgReport& report, std::int32_t selected)
{
    std::vector<std::int32_t> order;
    for (std::int32_t k = 0; k < static_cast<std::int32_t>(report.exercises.size()); ++k)
        if (k != selected && emg_sample_count(&report.exercises[static_cast<std::size_t>(k)]) > 0)
            order.push_back(k);
    if (selected >= 0 && selected < static_cast<std::int32_t>(report.exercises.size())
        && emg_sample_count(&report.exercises[static_cast<std::size_t>(selected)]) > 0)
        order.push_back(selected);
    return order;
}

// The incisal panels: every exercise, the selected one thicker and on top,
// the baseline's right under it.
void draw_incisal_paths(Picture* picture, const TracingPlot& plot, const EmgReport& report,
                        const std::vector<std::int32_t>& order, const std::vector<std::vector<PathPiece>>& pieces,
                        std::int32_t selected, const Metrics& mt, const Faded* baseline)
{
    picture_clip_group(picture, plot.box);
    for (std::int32_t index : order) {
        const bool chosen = index == selected;
        if (chosen && baseline != nullptr)
            draw_strokes(picture,
                         strokes_of(plot, *baseline->report, *baseline->exercise, baseline->pieces, TracingPoint::incisal),
                         faded(tracing_picture_exercise_color(index)), 2.4 * mt.unit, mt.unit);
        const Strokes strokes =
            strokes_of(plot, report, report.exercises[static_cast<std::size_t>(index)],
                       pieces[static_cast<std::size_t>(index)], TracingPoint::incisal);
        draw_strokes(picture, strokes, tracing_picture_exercise_color(index), chosen ? 2.4 * mt.unit : mt.unit,
                     mt.unit);
    }
    picture_group_end(picture);
}

// A chord from the origin to a condyle's sample, with its angle written beside its far end.
void draw_chord(Picture* picture, const TracingPlot& plot, const EmgReport& report, const EmgExercise& exercise,
                TracingPoint point, const std::optional<std::int32_t>& sample, const std::optional<double>& angle,
                const char* name, double text_row, const Metrics& mt)
{
    const PictureColor color = point == TracingPoint::left_condyle ? left_color : right_color;
    std::string text = std::string(name) + " inclination " + degrees_text(angle);
    if (sample && *sample >= 0 && *sample < emg_sample_count(&exercise)) {
        if (const auto end = tracing_picture_place(plot, report, exercise.data[static_cast<std::size_t>(*sample)], point)) {
            picture_clip_group(picture, plot.box);
            picture_line(picture, plot.origin, *end, line_style(black, 1.6 * mt.unit));
            picture_circle(picture, *end, 2.0 * mt.unit, line_style(black, mt.unit)).style.fill = PicturePaint::of(black);
            picture_group_end(picture);
        }
        text += " (chord to sample " + std::to_string(*sample + 1) + ")";
    }
    picture_text(picture, {plot.box.x + mt.font * 0.4, text_row}, text, text_style(mt.font * 0.85, color));
}

void draw_condyles(TracingSheet* sheet, const PictureRect& cell, const EmgReport& report, std::int32_t selected,
                   const std::optional<EmgReferenceFrame>& reference, const EmgReferencePlane& plane,
                   const Metrics& mt, TracingRange range, const Faded* baseline)
{
    Picture* picture = &sheet->picture;
    const std::string plane_text = emg_reference_plane_name(plane.kind) + std::string(" plane")
                                   + (plane.tilt_deg != 0.0 ? " " + emg_measures_format(plane.tilt_deg, 1) + "\u00b0" : "");
    if (selected < 0 || selected >= static_cast<std::int32_t>(report.exercises.size())
        || emg_sample_count(&report.exercises[static_cast<std::size_t>(selected)]) == 0) {
        draw_title(picture, cell, mt, "Condyles, sagittal plane (mm)");
        draw_message(picture, plot_box_of(cell, mt), mt, "No exercise with samples selected");
        return;
    }
    if (!reference) {
        draw_title(picture, cell, mt, "Condyles, sagittal plane (mm)");
        draw_message(picture, plot_box_of(cell, mt), mt, "Reference plane not available");
        return;
    }
    const EmgExercise& exercise = report.exercises[static_cast<std::size_t>(selected)];
    const EmgMeasures m = emg_measures_of_exercise(&report, &exercise, plane);
    const EmgClinicalFigures& c = m.clinical;
    const bool lateral = c.type == EmgExerciseType::laterotrusion_right || c.type == EmgExerciseType::laterotrusion_left;
    const bool to_right = c.type == EmgExerciseType::laterotrusion_right;
    const std::vector<std::int32_t> only{selected};
    const std::vector<PathPiece> pieces = within(pieces_of(exercise), range);

    // The sagittal plot in the whole cell, or in its upper half beside the horizontal one.
    const double figures_rows = lateral ? 1 : 2;
    PictureRect upper = cell;
    if (lateral)
        upper.h = cell.h / 2;
    PictureRect sagittal_cell = upper;
    sagittal_cell.h -= figures_rows * mt.line;
    TracingPlot sagittal;
    sagittal.box = plot_box_of(sagittal_cell, mt);
    sagittal.across = reference->ant;
    sagittal.upward = reference->up;
    sagittal.points = {TracingPoint::left_condyle, TracingPoint::right_condyle};
    Extent e = padded(extent_of(sagittal, report, only, baseline));
    sagittal.scale = scale_to_fit(sagittal.box, e);

    TracingPlot horizontal;
    Extent he;
    if (lateral) {
        horizontal.box = plot_box_of({cell.x, cell.y + upper.h, cell.w, cell.h - upper.h - 2 * mt.line}, mt);
        horizontal.across = scaled(reference->lat, -1.0);
        horizontal.upward = scaled(reference->ant, -1.0);
        horizontal.points = {to_right ? TracingPoint::left_condyle : TracingPoint::right_condyle};
        he = padded(extent_of(horizontal, report, only, baseline));
        // One scale for both condyle plots.
        sagittal.scale = std::min(sagittal.scale, scale_to_fit(horizontal.box, he));
        horizontal.scale = sagittal.scale;
        centre(&horizontal, he);
    }
    centre(&sagittal, e);

    draw_title(picture, sagittal_cell, mt, "Condyles, sagittal plane (mm)");
    picture_text(picture, {sagittal.box.x + sagittal.box.w, sagittal_cell.y + mt.font}, plane_text,
                 text_style(mt.font * 0.8, label_color, PictureAnchor::end));
    draw_grid(picture, sagittal, mt, {"posterior", "anterior", "up", "down"});
    // The left condyle wider and under the right one: where the two paths
    // coincide (a straight opening) the left one still shows beside it.
    picture_clip_group(picture, sagittal.box);
    if (baseline != nullptr)
        for (TracingPoint point : sagittal.points)
            draw_strokes(picture, strokes_of(sagittal, *baseline->report, *baseline->exercise, baseline->pieces, point),
                         faded(point == TracingPoint::left_condyle ? left_color : right_color),
                         point == TracingPoint::left_condyle ? 3.6 * mt.unit : 1.4 * mt.unit, mt.unit);
    for (TracingPoint point : sagittal.points)
        draw_strokes(picture, strokes_of(sagittal, report, exercise, pieces, point),
                     point == TracingPoint::left_condyle ? left_color : right_color,
                     point == TracingPoint::left_condyle ? 3.6 * mt.unit : 1.4 * mt.unit, mt.unit);
    picture_group_end(picture);
    double row = sagittal.box.y + sagittal.box.h + mt.line * 1.9;
    if (c.type == EmgExerciseType::protrusion) {
        draw_chord(picture, sagittal, report, exercise, TracingPoint::left_condyle, c.condylar_chord_left_sample,
                   c.condylar_inclination_left_deg, "Left", row, mt);
        draw_chord(picture, sagittal, report, exercise, TracingPoint::right_condyle, c.condylar_chord_right_sample,
                   c.condylar_inclination_right_deg, "Right", row + mt.line, mt);
    } else if (lateral) {
        draw_chord(picture, sagittal, report, exercise, horizontal.points.front(), c.mediotrusive_chord_sample,
                   c.mediotrusive_inclination_deg, to_right ? "Left (mediotrusive)" : "Right (mediotrusive)", row, mt);
    } else {
        picture_text(picture, {sagittal.box.x + mt.font * 0.4, row}, "Left condyle", text_style(mt.font * 0.85, left_color));
        picture_text(picture, {sagittal.box.x + sagittal.box.w / 2, row}, "Right condyle",
                     text_style(mt.font * 0.85, right_color));
    }
    sheet->plots.push_back(sagittal);
    if (!lateral)
        return;

    const PictureColor color = to_right ? left_color : right_color;
    draw_title(picture, {cell.x, cell.y + upper.h, cell.w, mt.line}, mt,
               std::string(to_right ? "Left" : "Right") + " condyle (mediotrusive), horizontal plane (mm)");
    draw_grid(picture, horizontal, mt, {"right", "left", "posterior", "anterior"});
    picture_clip_group(picture, horizontal.box);
    if (baseline != nullptr)
        draw_strokes(picture,
                     strokes_of(horizontal, *baseline->report, *baseline->exercise, baseline->pieces,
                                horizontal.points.front()),
                     faded(color), 1.8 * mt.unit, mt.unit);
    draw_strokes(picture, strokes_of(horizontal, report, exercise, pieces, horizontal.points.front()), color,
                 1.8 * mt.unit, mt.unit);
    if (c.bennett_angle_deg && c.immediate_side_shift_mm) {
        // m = shift + f tan(angle), medial towards the other condyle.
        const double medial = to_right ? 1.0 : -1.0;
        const double slope = std::tan(*c.bennett_angle_deg * pi / 180.0);
        const double far = std::max(5.0, -he.y0);  // the plot's farthest forward (forward is down)
        std::vector<PicturePoint> line;
        for (double f : {0.0, far}) {
            const Vector3 d = plus(scaled(reference->ant, f),
                                   scaled(reference->lat, medial * (*c.immediate_side_shift_mm + f * slope)));
            const auto [x, y] = mm_of(horizontal, d);
            line.push_back(page_of(horizontal, x, y));
        }
        picture_polyline(picture, line, line_style(black, 1.4 * mt.unit, true, 2 * mt.unit));
    }
    picture_group_end(picture);
    const std::string bennett = "Bennett angle " + degrees_text(c.bennett_angle_deg) + ", immediate side shift "
                                + (c.immediate_side_shift_mm ? emg_measures_format(*c.immediate_side_shift_mm, 2) + " mm"
                                                             : std::string("not available"));
    picture_text(picture, {horizontal.box.x + mt.font * 0.4, horizontal.box.y + horizontal.box.h + mt.line * 1.9},
                 bennett, text_style(mt.font * 0.85, color));
    sheet->plots.push_back(horizontal);
}

// The legend: a swatch and the title of every exercise, the selected one bold,
// flowing over at most three lines.
void draw_legend(Picture* picture, const PictureRect& strip, const EmgReport& report, std::int32_t selected,
                 const Metrics& mt)
{
    const auto count = static_cast<std::int32_t>(report.exercises.size());
    double x = strip.x, y = strip.y + mt.font;
    const double swatch = mt.font * 1.4, gap = mt.font;
    const int most_lines = std::max(1, static_cast<int>(strip.h / mt.line));
    int line = 1;
    for (std::int32_t k = 0; k < count; ++k) {
        const std::string title = exercise_title(report, k);
        const double w = swatch + mt.font * 0.4 + text_width(title, mt.font) + gap;
        if (x > strip.x && x + w > strip.x + strip.w) {
            if (++line > most_lines) {
                picture_text(picture, {x, y}, "+" + std::to_string(count - k) + " more", text_style(mt.font, label_color));
                break;
            }
            x = strip.x;
            y += mt.line;
        }
        const PictureColor color = tracing_picture_exercise_color(k);
        picture_line(picture, {x, y - mt.font * 0.35}, {x + swatch, y - mt.font * 0.35},
                     line_style(color, k == selected ? 2.4 * mt.unit : 1.4 * mt.unit));
        picture_text(picture, {x + swatch + mt.font * 0.4, y}, title,
                     text_style(mt.font, k == selected ? black : label_color, PictureAnchor::start, k == selected));
        x += w;
    }
}

// The baseline's legend line: its swatch in the faded colour, its file and exercise.
void draw_baseline_legend(Picture* picture, PicturePoint at, const Faded& baseline, std::int32_t selected,
                          const Metrics& mt)
{
    const double swatch = mt.font * 1.4;
    picture_line(picture, {at.x, at.y - mt.font * 0.35}, {at.x + swatch, at.y - mt.font * 0.35},
                 line_style(faded(tracing_picture_exercise_color(selected)), 2.4 * mt.unit));
    picture_text(picture, {at.x + swatch + mt.font * 0.4, at.y},
                 "Baseline (faded, hollow mark): " + baseline.label + " " + exercise_title(*baseline.report, baseline.index),
                 text_style(mt.font, label_color));
}

}  // namespace

// =============================================================================
// [SECTION] The sheet, the marks and the clicks
// =============================================================================

PictureColor tracing_picture_exercise_color(std::int32_t index)
{
    static constexpr std::array<PictureColor, 10> palette{{{31, 119, 180},
                                                           {255, 127, 14},
                                                           {44, 160, 44},
                                                           {214, 39, 40},
                                                           {148, 103, 189},
                                                           {140, 86, 75},
                                                           {227, 119, 194},
                                                           {100, 100, 100},
                                                           {188, 189, 34},
                                                           {23, 190, 207}}};
    const std::int32_t k = index < 0 ? 0 : index % static_cast<std::int32_t>(palette.size());
    return palette[static_cast<std::size_t>(k)];
}

std::optional<PicturePoint> tracing_picture_place(const TracingPlot& plot, const EmgReport& report,
                                                  const EmgDataPoint& sample, TracingPoint point)
{
    const Vector3 d = minus(point_of(sample, point), rest_of(report, point));
    if (!finite(d))
        return std::nullopt;
    const auto [x, y] = mm_of(plot, d);
    return page_of(plot, x, y);
}

TracingSheet tracing_picture_build(const EmgReport* report, std::int32_t exercise, std::int32_t sample,
                                   double width, double height, const EmgReferencePlane& plane, TracingRange range,
                                   const TracingBaseline& baseline)
{
    TracingSheet sheet;
    sheet.exercise = exercise;
    Picture& picture = sheet.picture;
    picture.width = width;
    picture.height = height;
    const Metrics mt = metrics_of(width, height);
    PictureStyle paper;
    paper.stroke = PicturePaint::none_paint();
    paper.fill = PicturePaint::of({255, 255, 255});
    picture_rectangle(&picture, {0, 0, width, height}, paper);
    // Everything but the marks, in the program's font where a format names one.
    PictureItem& sheet_group = picture_group(&picture);
    sheet_group.id = "sheet";
    sheet_group.hints.svg_font_family = true;
    const PictureRect page{0, 0, width, height};

    const std::optional<EmgAnatomicalFrame> frame = report != nullptr ? emg_anatomical_frame(report) : std::nullopt;
    if (report == nullptr || report->exercises.empty() || !frame) {
        draw_message(&picture, page, mt,
                     report == nullptr           ? "No report loaded"
                     : report->exercises.empty() ? "The report has no exercises"
                                                 : "Tracings not available: the calibration gives no anatomical frame");
        picture_group_end(&picture);
        sheet.marks_from = picture.items.size();
        return sheet;
    }
    if (exercise < 0 || exercise >= static_cast<std::int32_t>(report->exercises.size()))
        sheet.exercise = -1;

    const std::optional<Faded> faded_baseline = faded_of(*report, sheet.exercise, range, baseline);
    const Faded* const drawn_baseline = faded_baseline ? &*faded_baseline : nullptr;
    if (drawn_baseline != nullptr)
        sheet.baseline = baseline;

    // The page: a title line, the four panels, the legend.
    const double pad = mt.font * 0.5;
    const std::string title =
        "Tracings" + (sheet.exercise >= 0 ? ": " + exercise_title(*report, sheet.exercise) : std::string());
    picture_text(&picture, {pad, pad + mt.font}, title, text_style(mt.font * 1.1, black, PictureAnchor::start, true));
    const double exercises_h = std::min(3.0, std::ceil(static_cast<double>(report->exercises.size()) / 3.0)) * mt.line;
    const double legend_h = exercises_h + (drawn_baseline != nullptr ? mt.line : 0.0);
    const double top = pad + mt.line * 1.3, bottom = height - pad - legend_h;
    const double cw = (width - 2 * pad) / 2, ch = std::max(1.0, (bottom - top) / 2);
    const std::array<PictureRect, 4> cells{{{pad, top, cw, ch},
                                            {pad + cw, top, cw, ch},
                                            {pad, top + ch, cw, ch},
                                            {pad + cw, top + ch, cw, ch}}};

    // Sagittal (anterior right, up top), frontal (patient's right on the
    // left), horizontal (patient's right on the left, anterior down).
    const std::vector<std::int32_t> order = drawing_order(*report, sheet.exercise);
    // The open/close turns of every exercise, found once for the three panels.
    std::vector<std::vector<PathPiece>> pieces(report->exercises.size());
    for (std::int32_t index : order)
        pieces[static_cast<std::size_t>(index)] = within(pieces_of(report->exercises[static_cast<std::size_t>(index)]),
                                                         index == sheet.exercise ? range : TracingRange{});
    std::array<TracingPlot, 3> incisal;
    incisal[0].box = plot_box_of(cells[0], mt);
    incisal[0].across = frame->ant;
    incisal[0].upward = frame->up;
    incisal[1].box = plot_box_of(cells[1], mt);
    incisal[1].across = scaled(frame->lat, -1.0);
    incisal[1].upward = frame->up;
    incisal[2].box = plot_box_of(cells[3], mt);
    incisal[2].across = scaled(frame->lat, -1.0);
    incisal[2].upward = scaled(frame->ant, -1.0);
    std::array<Extent, 3> extents;
    double scale = std::numeric_limits<double>::infinity();
    for (std::size_t p = 0; p < incisal.size(); ++p) {
        incisal[p].points = {TracingPoint::incisal};
        extents[p] = padded(extent_of(incisal[p], *report, order, drawn_baseline));
        scale = std::min(scale, scale_to_fit(incisal[p].box, extents[p]));
    }
    const std::array<const char*, 3> titles{"Incisal point, sagittal plane (mm)", "Incisal point, frontal plane (mm)",
                                            "Incisal point, horizontal plane (mm)"};
    const std::array<Directions, 3> words{{{"posterior", "anterior", "up", "down"},
                                           {"right", "left", "up", "down"},
                                           {"right", "left", "posterior", "anterior"}}};
    const std::array<std::size_t, 3> cell_of{0, 1, 3};
    for (std::size_t p = 0; p < incisal.size(); ++p) {
        incisal[p].scale = scale;
        centre(&incisal[p], extents[p]);
        picture_group(&picture).id = p == 0 ? "sagittal" : p == 1 ? "frontal" : "horizontal";
        draw_title(&picture, cells[cell_of[p]], mt, titles[p]);
        draw_grid(&picture, incisal[p], mt, words[p]);
        draw_incisal_paths(&picture, incisal[p], *report, order, pieces, sheet.exercise, mt, drawn_baseline);
        picture_group_end(&picture);
        sheet.plots.push_back(incisal[p]);
    }

    picture_group(&picture).id = "condyles";
    draw_condyles(&sheet, cells[2], *report, sheet.exercise, emg_reference_frame(report, plane), plane, mt, range,
                  drawn_baseline);
    picture_group_end(&picture);

    picture_group(&picture).id = "legend";
    draw_legend(&picture, {pad, bottom, width - 2 * pad, exercises_h}, *report, sheet.exercise, mt);
    if (drawn_baseline != nullptr)
        draw_baseline_legend(&picture, {pad, bottom + exercises_h + mt.font}, *drawn_baseline, sheet.exercise, mt);
    picture_group_end(&picture);

    picture_group_end(&picture);
    sheet.marks_from = picture.items.size();
    tracing_picture_mark(&sheet, report, sample, baseline.sample);
    return sheet;
}

void tracing_picture_mark(TracingSheet* sheet, const EmgReport* report, std::int32_t sample,
                          std::int32_t baseline_sample)
{
    Picture& picture = sheet->picture;
    picture.items.resize(std::min(picture.items.size(), sheet->marks_from));
    if (report == nullptr || sheet->exercise < 0 || sheet->exercise >= static_cast<std::int32_t>(report->exercises.size()))
        return;
    const EmgExercise& exercise = report->exercises[static_cast<std::size_t>(sheet->exercise)];
    const bool current = sample >= 0 && sample < emg_sample_count(&exercise);
    const Metrics mt = metrics_of(picture.width, picture.height);

    // The baseline's ring first, under the current sample's dot.
    const TracingBaseline& b = sheet->baseline;
    if (b.report != nullptr && (current || baseline_sample >= 0)) {
        const EmgExercise& base = b.report->exercises[static_cast<std::size_t>(b.exercise)];
        const std::int32_t n = emg_sample_count(&base);
        const std::int32_t k =
            baseline_sample >= 0 ? baseline_sample : emg_comparison_sample(sample, report->frequency, b.report->frequency, n);
        if (k >= 0 && k < n) {
            picture_group(&picture, line_style(black, 1.2 * mt.unit)).id = "baseline sample";
            for (const TracingPlot& plot : sheet->plots) {
                picture_clip_group(&picture, plot.box);
                for (TracingPoint point : plot.points)
                    if (const auto at = tracing_picture_place(plot, *b.report, base.data[static_cast<std::size_t>(k)], point)) {
                        const PictureColor ring = point == TracingPoint::incisal ? tracing_picture_exercise_color(sheet->exercise)
                                                  : point == TracingPoint::left_condyle ? left_color
                                                                                        : right_color;
                        PictureItem& circle = picture_circle(&picture, *at, 3.5 * mt.unit + 1.5);
                        circle.style.stroke = PicturePaint::of(faded(ring));
                        circle.style.stroke_width = 2.0 * mt.unit;
                        circle.style.fill = PicturePaint::none_paint();
                    }
                picture_group_end(&picture);
            }
            picture_group_end(&picture);
        }
    }
    if (!current)
        return;
    picture_group(&picture, line_style(black, 1.2 * mt.unit)).id = "current sample";
    for (const TracingPlot& plot : sheet->plots) {
        picture_clip_group(&picture, plot.box);
        for (TracingPoint point : plot.points)
            if (const auto at = tracing_picture_place(plot, *report, exercise.data[static_cast<std::size_t>(sample)], point)) {
                const PictureColor fill = point == TracingPoint::incisal ? tracing_picture_exercise_color(sheet->exercise)
                                          : point == TracingPoint::left_condyle ? left_color
                                                                                : right_color;
                picture_circle(&picture, *at, 3.5 * mt.unit + 1.5).style.fill = PicturePaint::of(fill);
            }
        picture_group_end(&picture);
    }
    picture_group_end(&picture);
}

std::optional<std::int32_t> tracing_picture_sample_at(const TracingSheet& sheet, const EmgReport* report,
                                                      PicturePoint at)
{
    if (report == nullptr || sheet.exercise < 0 || sheet.exercise >= static_cast<std::int32_t>(report->exercises.size()))
        return std::nullopt;
    const EmgExercise& exercise = report->exercises[static_cast<std::size_t>(sheet.exercise)];
    const std::int32_t n = emg_sample_count(&exercise);
    for (const TracingPlot& plot : sheet.plots) {
        const PictureRect& b = plot.box;
        if (at.x < b.x || at.x >= b.x + b.w || at.y < b.y || at.y >= b.y + b.h)
            continue;
        std::optional<std::int32_t> nearest;
        double best = std::numeric_limits<double>::infinity();
        for (std::int32_t k = 0; k < n; ++k)
            for (TracingPoint point : plot.points)
                if (const auto p = tracing_picture_place(plot, *report, exercise.data[static_cast<std::size_t>(k)], point)) {
                    const double d = (p->x - at.x) * (p->x - at.x) + (p->y - at.y) * (p->y - at.y);
                    if (d < best) {
                        best = d;
                        nearest = k;
                    }
                }
        return nearest;
    }
    return std::nullopt;
}
