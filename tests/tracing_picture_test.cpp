// The tracing sheet: movements of known geometry land where they must on each panel at one scale for both axes,
// opening strokes are solid and closing ones dashed, an hour-long report costs what its pixels cost, and a click
// maps back to the sample drawn there.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "picture/tracing_picture.hpp"
#include "tools/generated_report.hpp"

namespace {

constexpr double page = 800.0;

// A report made in memory from the generator, without angle and EMG columns.
std::unique_ptr<EmgReport> generated(const ReportGeneratorOptions& options)
{
    return generated_report(options, false, false);
}

KnownExercise known(KnownMovement movement, double amount, double inclination = 0.0, int cycles = 1)
{
    KnownExercise k;
    std::tie(k.movement, k.amount, k.inclination, k.cycles) = std::tuple(movement, amount, inclination, cycles);
    return k;
}

// A polyline with the style in force for it.
struct Drawn {
    PictureStyle style;
    const PictureItem* item;
};

std::vector<Drawn> drawn_polylines(const Picture& picture)
{
    std::vector<PictureStyle> stack{PictureStyle{}};
    std::vector<Drawn> out;
    for (const PictureItem& item : picture.items) {
        if (item.kind == PictureKind::group)
            stack.push_back(picture_style_resolve(stack.back(), item.style));
        else if (item.kind == PictureKind::group_end)
            stack.pop_back();
        else if (item.kind == PictureKind::polyline)
            out.push_back({picture_style_resolve(stack.back(), item.style), &item});
    }
    return out;
}

bool inside(const PictureRect& box, const PicturePoint& p)
{
    return p.x >= box.x && p.x <= box.x + box.w && p.y >= box.y && p.y <= box.y + box.h;
}

}  // namespace

// Protrusion, laterotrusion to the right and an opening that deflects to the right, exact: each lands along the
// axis it must on the sagittal, frontal and horizontal panels, at one scale for both axes and around the calibrated
// position; the condyles of the protrusion get their chords.
TEST(TracingPicture, KnownMovementsLandWhereTheyMustAtOneScale)
{
    ReportGeneratorOptions options;
    options.duration = 4.01;
    KnownExercise deflected = known(KnownMovement::hinge, 25.0);
    deflected.deflection = 3.0;
    options.known = {known(KnownMovement::protrusion, 6.0), known(KnownMovement::laterotrusion_right, 8.0, 20.0),
                     deflected};
    const std::unique_ptr<EmgReport> report = generated(options);
    const std::int32_t full = 200;  // the full amount of a single cycle over 401 samples

    for (std::int32_t e = 0; e < 3; ++e) {
        const TracingSheet sheet = tracing_picture_build(report.get(), e, 0, page, page);
        ASSERT_GE(sheet.plots.size(), 4u) << e;
        const TracingPlot &sagittal = sheet.plots[0], &frontal = sheet.plots[1], &horizontal = sheet.plots[2];
        EXPECT_EQ(std::tuple(sagittal.scale, frontal.scale), std::tuple(horizontal.scale, horizontal.scale));
        for (const TracingPlot& plot : sheet.plots) {
            EXPECT_TRUE(inside({0, 0, page, page}, {plot.box.x, plot.box.y}) &&
                        inside({0, 0, page, page}, {plot.box.x + plot.box.w, plot.box.y + plot.box.h}));
            // The calibration lands on the origin, and the origin is in view.
            const EmgDataPoint rest{report->calibration_left, report->calibration_incisal, report->calibration_right,
                                    0, 0, 0, 0, 0};
            for (TracingPoint point : plot.points) {
                const auto at = tracing_picture_place(plot, *report, rest, point);
                ASSERT_TRUE(at);
                EXPECT_NEAR(at->x, plot.origin.x, 1e-9);
                EXPECT_NEAR(at->y, plot.origin.y, 1e-9);
            }
            EXPECT_TRUE(inside(plot.box, plot.origin)) << e;
        }
        // Page offsets of the incisal point at the full amount, in mm.
        const EmgDataPoint& top = report->exercises[static_cast<std::size_t>(e)].data[full];
        std::vector<std::pair<double, double>> mm;
        for (const TracingPlot* plot : {&sagittal, &frontal, &horizontal}) {
            const PicturePoint at = *tracing_picture_place(*plot, *report, top, TracingPoint::incisal);
            mm.emplace_back((at.x - plot->origin.x) / plot->scale, (plot->origin.y - at.y) / plot->scale);
        }
        if (e == 0) {  // 6 mm forward: right on the sagittal panel, nothing on the frontal, down on the horizontal
            for (const auto& [x, y, ex, ey] : {std::tuple(mm[0].first, mm[0].second, 6.0, 0.0),
                                              std::tuple(mm[1].first, mm[1].second, 0.0, 0.0),
                                              std::tuple(mm[2].first, mm[2].second, 0.0, -6.0)}) {
                EXPECT_NEAR(x, ex, 1e-6);
                EXPECT_NEAR(y, ey, 1e-6);
            }
            // Both condyles glide 6 mm forward: each gets its chord, drawn and written.
            const std::vector<Drawn> lines = drawn_polylines(sheet.picture);
            std::size_t chords = 0;
            for (const Drawn& d : lines)
                chords += d.item->points.size() == 2 && d.item->points[0] == sheet.plots[3].origin ? 1 : 0;
            EXPECT_EQ(chords, 2u);
        }
        if (e == 1) {  // to the patient's right: the page's left on the frontal and horizontal panels
            EXPECT_LT(mm[1].first, -3.0);
            EXPECT_LT(mm[2].first, -3.0);
            EXPECT_EQ(sheet.plots.size(), 5u);  // the mediotrusive condyle's horizontal plot
        }
        if (e == 2) {  // an opening deflecting 3 mm to the right, its sagittal chord as long as the incisal path's
            EXPECT_NEAR(mm[1].first, -3.0, 1e-6);
            const double r = std::hypot(95.0, 40.0), h = 25.0 * 3.14159265358979323846 / 180.0;
            EXPECT_NEAR(std::hypot(mm[0].first, mm[0].second), 2 * r * std::sin(h / 2), 1e-6);
            EXPECT_LT(mm[0].second, -10.0);
        }
    }
}

// The selected exercise's opening strokes are solid and its closing strokes dashed, thicker than the others and
// drawn after them; every exercise is in the legend.
TEST(TracingPicture, OpeningSolidClosingDashedSelectedOnTop)
{
    ReportGeneratorOptions options;
    options.duration = 4.01;
    options.known = {known(KnownMovement::hinge, 25.0, 0.0, 2), known(KnownMovement::protrusion, 6.0)};
    const std::unique_ptr<EmgReport> report = generated(options);
    const TracingSheet sheet = tracing_picture_build(report.get(), 0, 0, page, page);
    const PictureColor selected = tracing_picture_exercise_color(0), other = tracing_picture_exercise_color(1);
    ASSERT_NE(selected, other);

    const TracingPlot& sagittal = sheet.plots[0];
    std::size_t solid = 0, dashed = 0, last_other = 0, first_selected = SIZE_MAX, k = 0;
    double selected_width = 0, other_width = 0;
    for (const Drawn& d : drawn_polylines(sheet.picture)) {
        ++k;
        if (d.style.stroke.kind != PicturePaint::Kind::color || d.item->points.empty()
            || !inside(sagittal.box, d.item->points.front()))
            continue;
        if (d.style.stroke.color == other) {
            last_other = k;
            other_width = d.style.stroke_width;
        }
        if (d.style.stroke.color != selected)
            continue;
        first_selected = std::min(first_selected, k);
        selected_width = d.style.stroke_width;
        (d.style.dash == PictureDash::dashed ? dashed : solid) += d.item->points.size();
        // Every drawn point is a sample's place: on the arc about the hinge axis, r mm behind the origin.
        const double r = std::hypot(95.0, 40.0) * sagittal.scale;
        for (const PicturePoint& p : d.item->points)
            EXPECT_NEAR(std::hypot(p.x - (sagittal.origin.x - r), p.y - sagittal.origin.y), r, 0.01);
    }
    EXPECT_GT(solid, 1u);
    EXPECT_GT(dashed, 1u);
    EXPECT_LT(last_other, first_selected);
    EXPECT_GT(selected_width, other_width);

    // The turns: the first quarter of the exercise opens (solid), the second closes (dashed); the closing
    // polylines hold the place of the first sample after the full opening.
    const PicturePoint opening = *tracing_picture_place(sagittal, *report, report->exercises[0].data[50],
                                                        TracingPoint::incisal);
    const auto near_a_point = [&](PictureDash dash, const PicturePoint& at) {
        for (const Drawn& d : drawn_polylines(sheet.picture))
            if (d.style.stroke.kind == PicturePaint::Kind::color && d.style.stroke.color == selected
                && d.style.dash == dash)
                for (std::size_t j = 0; j + 1 < d.item->points.size(); ++j) {
                    const PicturePoint a = d.item->points[j], b = d.item->points[j + 1];
                    const double lx = b.x - a.x, ly = b.y - a.y, len = lx * lx + ly * ly;
                    const double t = len > 0 ? std::clamp(((at.x - a.x) * lx + (at.y - a.y) * ly) / len, 0.0, 1.0) : 0;
                    if (std::hypot(a.x + t * lx - at.x, a.y + t * ly - at.y) < 1.5)
                        return true;
                }
        return false;
    };
    EXPECT_TRUE(near_a_point(PictureDash::solid, opening));
    EXPECT_TRUE(near_a_point(PictureDash::dashed, opening));  // the closing stroke comes back over it

    // Zoomed to the first opening, as the chart's range gives it, the selected exercise draws its solid stroke only.
    const TracingSheet zoomed = tracing_picture_build(report.get(), 0, 0, page, page, {}, {0, 90});
    std::size_t zoomed_solid = 0, zoomed_dashed = 0;
    for (const Drawn& d : drawn_polylines(zoomed.picture))
        if (d.style.stroke.kind == PicturePaint::Kind::color && d.style.stroke.color == selected)
            (d.style.dash == PictureDash::dashed ? zoomed_dashed : zoomed_solid) += d.item->points.size();
    EXPECT_EQ(zoomed_dashed, 0u);
    EXPECT_GT(zoomed_solid, 1u);

    std::size_t names = 0;
    for (const PictureItem& item : sheet.picture.items)
        names += item.kind == PictureKind::text &&
                 (item.text == "[1] " + report->exercises[0].name || item.text == "[2] " + report->exercises[1].name);
    EXPECT_GE(names, 2u);
}

// An hour of recording (five exercises of twelve minutes at 100 Hz) draws about as many points as six minutes do,
// well under what a 1 MB SVG holds; moving the current-sample marks leaves the rest of the sheet as it was.
TEST(TracingPicture, HourLongReportCostsWhatItsPixelsCost)
{
    const auto points_of = [](double seconds) {
        ReportGeneratorOptions options;
        std::tie(options.exercises, options.duration) = std::tuple(5, seconds);
        const std::unique_ptr<EmgReport> report = generated(options);
        TracingSheet sheet = tracing_picture_build(report.get(), 3, 10, page, page);
        std::size_t points = 0;
        for (const PictureItem& item : sheet.picture.items)
            points += item.points.size();

        const std::vector<PictureItem> before(sheet.picture.items.begin(),
                                              sheet.picture.items.begin() + static_cast<long>(sheet.marks_from));
        const std::size_t marks = sheet.picture.items.size() - sheet.marks_from;
        tracing_picture_mark(&sheet, report.get(), 2000);
        EXPECT_EQ(sheet.picture.items.size() - sheet.marks_from, marks);
        EXPECT_EQ(sheet.picture.items[sheet.marks_from + 2].points,
                  std::vector<PicturePoint>{*tracing_picture_place(sheet.plots[0], *report,
                                                                   report->exercises[3].data[2000],
                                                                   TracingPoint::incisal)});
        EXPECT_TRUE(std::equal(before.begin(), before.end(), sheet.picture.items.begin(),
                               [](const PictureItem& a, const PictureItem& b) { return a.points == b.points; }));
        return points;
    };
    const std::size_t short_points = points_of(72.0), hour_points = points_of(720.0);
    EXPECT_LT(hour_points, 40000u);  // about 20 bytes each in an SVG: well under 1 MB
    EXPECT_LT(hour_points, short_points * 5 / 2) << short_points;  // ten times the samples
}

// A click on a plot finds the sample drawn nearest to it; a click outside every plot finds none.
TEST(TracingPicture, ClickMapsToTheNearestSample)
{
    ReportGeneratorOptions options;
    std::tie(options.exercises, options.duration) = std::tuple(4, 6.0);
    const std::unique_ptr<EmgReport> report = generated(options);
    const TracingSheet sheet = tracing_picture_build(report.get(), 3, 0, page, page);
    const EmgExercise& exercise = report->exercises[3];
    for (const TracingPlot& plot : sheet.plots)
        for (std::int32_t k : {1, 120, 177, 333, 599})
            for (TracingPoint point : plot.points) {
                const PicturePoint at = *tracing_picture_place(plot, *report, exercise.data[static_cast<std::size_t>(k)], point);
                if (!inside(plot.box, at))
                    continue;
                const std::optional<std::int32_t> found = tracing_picture_sample_at(sheet, report.get(), at);
                ASSERT_TRUE(found);
                // That sample, or one drawn at the same place.
                double nearest = INFINITY;
                for (TracingPoint q : plot.points) {
                    const PicturePoint p = *tracing_picture_place(plot, *report, exercise.data[static_cast<std::size_t>(*found)], q);
                    nearest = std::min(nearest, std::hypot(p.x - at.x, p.y - at.y));
                }
                EXPECT_LT(nearest, 1e-9) << k << " found " << *found;
            }
    EXPECT_FALSE(tracing_picture_sample_at(sheet, report.get(), {1.0, 1.0}));
    EXPECT_FALSE(tracing_picture_sample_at(sheet, nullptr, {sheet.plots[0].origin}));
}

// A baseline (here opening wider, sampled twice as fast) is drawn under the selected exercise in its colour faded
// towards the page, on scales widened to hold it; its hollow ring follows the current sample by time.
TEST(TracingPicture, BaselineUnderTheSelectedExerciseMarkedAtTheSameTime)
{
    ReportGeneratorOptions options;
    options.known = {known(KnownMovement::hinge, 20.0), known(KnownMovement::protrusion, 6.0)};
    options.duration = 2.0;
    const std::unique_ptr<EmgReport> report = generated(options);
    options.known[0].amount = 30.0;
    options.frequency = 200.0;
    const std::unique_ptr<EmgReport> baseline = generated(options);
    TracingSheet sheet =
        tracing_picture_build(report.get(), 0, 50, page, page, {}, {}, {baseline.get(), 0, -1, "before.tsv"});
    const TracingSheet plain = tracing_picture_build(report.get(), 0, 50, page, page);
    EXPECT_LT(sheet.plots[0].scale, plain.plots[0].scale);

    // On the sagittal panel: the faded strokes first, reaching lower than the selected exercise, inside the plot.
    const PicturePaint faded = PicturePaint::of({165, 201, 225}), own = PicturePaint::of(tracing_picture_exercise_color(0));
    std::size_t last_faded = 0, first_own = SIZE_MAX;
    double faded_low = 0, own_low = 0;
    const std::vector<Drawn> lines = drawn_polylines(sheet.picture);
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const std::vector<PicturePoint>& points = lines[k].item->points;
        if (!std::all_of(points.begin(), points.end(), [&](const PicturePoint& p) { return inside(sheet.plots[0].box, p); }))
            continue;
        for (const PicturePoint& p : points) {
            if (lines[k].style.stroke == faded)
                std::tie(last_faded, faded_low) = std::tuple(k, std::max(faded_low, p.y));
            if (lines[k].style.stroke == own)
                std::tie(first_own, own_low) = std::tuple(std::min(first_own, k), std::max(own_low, p.y));
        }
    }
    EXPECT_TRUE(last_faded > 0 && last_faded < first_own && faded_low > own_low + 10) << faded_low << " " << own_low;
    // A zoomed sheet draws the baseline over the same stretch of time: its first quarter, half way out.
    const TracingSheet zoomed =
        tracing_picture_build(report.get(), 0, 50, page, page, {}, {0, 50}, {baseline.get(), 0, -1, "before.tsv"});
    double zoomed_low = 0;
    for (const Drawn& line : drawn_polylines(zoomed.picture))
        for (const PicturePoint& p : line.item->points)
            if (line.style.stroke == faded && inside(zoomed.plots[0].box, p))
                zoomed_low = std::max(zoomed_low, p.y);
    EXPECT_NEAR(zoomed_low - zoomed.plots[0].origin.y, (faded_low - sheet.plots[0].origin.y) / 2, 5.0);
    EXPECT_TRUE(std::any_of(sheet.picture.items.begin(), sheet.picture.items.end(), [](const PictureItem& item) {
        return item.text == "Baseline (faded, hollow mark): before.tsv [1] Known hinge 30";
    }));

    // The rings: at the same time (twice the sample number), or at the sample given; none without a current sample.
    const auto ring_at = [&](const TracingSheet& s) -> std::optional<PicturePoint> {
        for (std::size_t k = s.marks_from; k < s.picture.items.size(); ++k)
            if (s.picture.items[k].kind == PictureKind::circle && s.picture.items[k].style.fill.kind == PicturePaint::Kind::none)
                return s.picture.items[k].points[0];
        return std::nullopt;
    };
    const auto place = [&](std::size_t k) {
        return tracing_picture_place(sheet.plots[0], *baseline, baseline->exercises[0].data[k], TracingPoint::incisal);
    };
    EXPECT_EQ(ring_at(sheet), place(100));
    tracing_picture_mark(&sheet, report.get(), 80);
    EXPECT_EQ(ring_at(sheet), place(160));
    tracing_picture_mark(&sheet, report.get(), 80, 7);
    EXPECT_EQ(ring_at(sheet), place(7));
    tracing_picture_mark(&sheet, report.get(), -1);
    EXPECT_EQ(sheet.picture.items.size(), sheet.marks_from);
}
