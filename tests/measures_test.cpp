// The measures of an exercise: movements of known kinematics give their exact figures, moving the whole recording
// changes none, degenerate input leaves out what it must, and the CSV reads back through an RFC 4180 reader.
// The time chart of an exercise: what it plots of a known movement and of exercises with little or nothing to plot.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "report/emg_chart.hpp"
#include "report/emg_measures.hpp"
#include "report/emg_norms.hpp"
#include "tests/test_support.hpp"
#include "tools/report_generator.hpp"

using namespace zelto_test;

namespace {

constexpr double NA = std::numeric_limits<double>::quiet_NaN();  // expected: not available
constexpr double ANY = std::numeric_limits<double>::infinity();  // not checked
const double r = std::hypot(95.0, 40.0);  // the generator's rest: incisal point from the condyles' midpoint
constexpr double w = 50.0;                // condyle from that midpoint

double rad(double degrees) { return degrees * 3.14159265358979323846 / 180.0; }

// The figures in the order of the CSV's columns from `samples` on; NA for what is not available.
std::vector<double> figures(const EmgMeasures& m)
{
    const std::optional<double> movements = m.opening_movements ? std::optional<double>(*m.opening_movements) : NA;
    std::vector<double> out;
    for (const std::optional<double>& f :
         {std::optional<double>(m.samples), m.duration_s, m.max_incisal_distance_mm, m.max_vertical_opening_mm,
          m.max_protrusion_mm, m.max_laterotrusion_right_mm, m.max_laterotrusion_left_mm,
          m.deviation_at_max_opening_mm, m.max_deviation_while_opening_mm, m.max_opening_angle_deg, movements,
          m.left.max_translation_mm, m.left.inclination_deg, m.left.bennett_deg, m.right.max_translation_mm,
          m.right.inclination_deg, m.right.bennett_deg})
        out.push_back(f.value_or(NA));
    return out;
}

// 'y' where a figure is available, '-' where not.
std::string availability(const EmgMeasures& m)
{
    std::string out;
    for (double figure : figures(m))
        out += std::isnan(figure) ? '-' : 'y';
    return out;
}

// NA expects no figure, ANY anything.
void expect_figures(const EmgMeasures& m, const std::vector<double>& expected, double tolerance, const std::string& what)
{
    const std::vector<double> actual = figures(m);
    for (std::size_t k = 0; k < actual.size(); ++k)
        EXPECT_TRUE(std::isnan(expected[k]) ? std::isnan(actual[k])
                                            : expected[k] == ANY || std::fabs(actual[k] - expected[k]) <= tolerance)
            << what << ", figure " << k << ": " << actual[k] << " for " << expected[k];
}

std::unique_ptr<EmgReport> load_generated(int exercises, double duration, std::vector<KnownExercise> known = {},
                                          bool angles = false)
{
    ReportGeneratorOptions options;
    std::tie(options.exercises, options.duration, options.known, options.angles) =
        std::tuple(exercises, duration, std::move(known), angles);
    TempWorkingDirectory directory;
    EXPECT_TRUE(report_generator_write_file("generated.tsv", options));
    std::unique_ptr<EmgReport> report;
    capture_stdout([&] { EXPECT_EQ(emg_extract_3d(&report, "generated.tsv"), 0); });
    return report;
}

// Each figure of each known movement (401 samples at 100 Hz), with the opening angle computed from the points as the
// viewer does and read from the file. Laterotrusion: psi about the working condyle, the balancing one gliding at
// alpha; (ant, up, lat) is where the incisal point gets to. Then deviations while opening, and a sample that is not a
// number.
TEST(Measures, KnownMovementsGiveTheirExactFigures)
{
    const double hinge = rad(25.0), glide = rad(30.0), psi = rad(8.0), alpha = rad(20.0);
    const double c = std::cos(psi), s = std::sin(psi), ca = std::cos(alpha), sa = std::sin(alpha);
    const double ant = r * (c - 1) + w * s * ca + (1 - c) * r * sa * sa;
    const double up = -w * sa * s + r * sa * ca * (1 - c);
    const double lat = w * (1 - c) + r * ca * s;
    const double side = std::sqrt(ant * ant + up * up + lat * lat), balancing = 4 * w * std::sin(psi / 2);
    const double bennett = std::atan(std::tan(psi / 2) / ca) * 180.0 / 3.14159265358979323846;
    const std::vector<std::pair<KnownExercise, std::vector<double>>> cases = {
        {{KnownMovement::hinge, 25.0, 0.0, 2},
         {401, 4, 2 * r * std::sin(hinge / 2), r * std::sin(hinge), 0, 0, 0, 0, 0, 25, 2, 0, NA, NA, 0, NA, NA}},
        {{KnownMovement::protrusion, 6.0, 0.0, 1}, {401, 4, 6, 0, 6, 0, 0, 0, 0, 0, 1, 6, 0, 0, 6, 0, 0}},
        {{KnownMovement::glide, 8.0, 30.0, 1},
         {401, 4, 8, 8 * std::sin(glide), 8 * std::cos(glide), 0, 0, 0, 0, 0, 1, 8, 30, 0, 8, 30, 0}},
        {{KnownMovement::laterotrusion_right, 8.0, 20.0, 1},
         {401, 4, side, -up, ant, lat, 0, lat, lat, ANY, 1, balancing, 20, bennett, 0, NA, NA}},
        {{KnownMovement::laterotrusion_left, 8.0, 20.0, 1},
         {401, 4, side, -up, ant, 0, lat, -lat, -lat, ANY, 1, 0, NA, NA, balancing, 20, bennett}},
    };
    std::vector<KnownExercise> known;
    for (const auto& c : cases)
        known.push_back(c.first);
    for (bool angles : {false, true}) {
        const std::unique_ptr<EmgReport> report = load_generated(0, 4.01, known, angles);
        ASSERT_NE(report, nullptr);
        const std::vector<EmgMeasures> all = emg_measures_of_report(report.get());
        ASSERT_EQ(all.size(), cases.size());
        for (std::size_t e = 0; e < cases.size(); ++e)  // the file's three decimals
            expect_figures(all[e], cases[e].second, 0.01, report->exercises[e].name + (angles ? " (angles)" : ""));
    }

    // The incisal point swerves left, right and back while it opens, and stays open; a sample that is not a number in
    // between changes nothing. The left condyle moves 1 mm medially once: just enough for its angles.
    EmgReport report;
    std::tie(report.frequency, report.exercises_number) = std::tuple(50.0, 1);
    std::tie(report.calibration_left, report.calibration_incisal, report.calibration_right) =
        std::tuple(Vector3{0, 0, -50}, Vector3{95, -40, 0}, Vector3{0, 0, 50});
    report.exercises.resize(1);
    // (forward, upward, to the right) of the incisal point in the frame, mm.
    const double nan = NA, offsets[][3] = {{0, 0, 0},    {-1, -5, 2},    {-2, -10, -3}, {nan, 0, 0},
                                           {-3, -20, 1}, {-2, -25, 0.5}, {-1, -15, 4}};
    for (const auto& o : offsets) {
        const double x = 95 + (o[0] * 95 + o[1] * 40) / r, y = -40 + (o[1] * 95 - o[0] * 40) / r;
        const Vector3 left{0, std::isnan(o[0]) ? nan : 0, o[1] == -5 ? -49.0 : -50.0};
        report.exercises[0].data.push_back({left, {x, y, o[2]}, {0, 0, 50}, 0, 0, 0, 0, 0});
    }
    emg_compute_rotation_data(&report);
    expect_figures(emg_measures_of_exercise(&report, &report.exercises[0]),
                   {7, 0.12, std::sqrt(4 + 625 + 0.25), 25, 0, 4, 3, 0.5, -3, ANY, 1, 1, 0, 90, 0, NA, NA}, 1e-9,
                   "swerve");
}

// A small RFC 4180 reader: quoted fields, doubled quotes, CRLF rows.
std::vector<std::vector<std::string>> read_csv(const std::string& text)
{
    std::vector<std::vector<std::string>> rows;
    bool quoted = false, fresh_row = true;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (std::exchange(fresh_row, false))
            rows.emplace_back(1);
        const char c = text[i];
        if (c == '"' && !(quoted && i + 1 < text.size() && text[i + 1] == '"'))
            quoted = !quoted;
        else if (quoted || (c != ',' && c != '\r'))
            rows.back().back() += text[c == '"' ? i++ : i];
        else if (c == ',')
            rows.back().emplace_back();
        else
            fresh_row = text[++i] == '\n';
    }
    return rows;
}

// Turning and moving every point, calibration included, changes no figure; broken input leaves out what needs it; the
// CSV reads back.
TEST(Measures, RigidMotionBrokenInputAndTheCsvRoundTrip)
{
    const std::unique_ptr<EmgReport> report = load_generated(5, 4.0);
    ASSERT_NE(report, nullptr);
    const std::vector<EmgMeasures> before = emg_measures_of_report(report.get());
    const EmgReferencePlane calibration{EmgReferencePlaneKind::calibration, 0.0};
    const std::vector<EmgMeasures> clinical_before = emg_measures_of_report(report.get(), calibration);
    const Vector3 u{0.48, -0.6, 0.64};  // unit axis
    const double c = std::cos(rad(137.0)), s = std::sin(rad(137.0));
    const auto move = [&](Vector3* p) {
        const double d = u.x * p->x + u.y * p->y + u.z * p->z;
        const Vector3 x{u.y * p->z - u.z * p->y, u.z * p->x - u.x * p->z, u.x * p->y - u.y * p->x};
        *p = {p->x * c + x.x * s + u.x * d * (1 - c) + 120.0, p->y * c + x.y * s + u.y * d * (1 - c) - 250.0,
              p->z * c + x.z * s + u.z * d * (1 - c) + 40.0};
    };
    for (Vector3* p : {&report->calibration_left, &report->calibration_incisal, &report->calibration_right})
        move(p);
    for (EmgExercise& exercise : report->exercises)
        for (EmgDataPoint& sample : exercise.data)
            for (Vector3* p : {&sample.left, &sample.incisal, &sample.right})
                move(p);
    const std::vector<EmgMeasures> after = emg_measures_of_report(report.get());
    const std::vector<EmgMeasures> clinical_after = emg_measures_of_report(report.get(), calibration);
    for (std::size_t e = 0; e < before.size(); ++e) {
        expect_figures(after[e], figures(before[e]), 1e-6, "exercise " + std::to_string(e));
        const EmgClinicalFigures &a = clinical_before[e].clinical, &b = clinical_after[e].clinical;
        EXPECT_EQ(std::tie(a.type, a.opening_pattern, a.chewing_cycles), std::tie(b.type, b.opening_pattern, b.chewing_cycles));
        for (const auto field : {&EmgClinicalFigures::max_opening_rotation_deg, &EmgClinicalFigures::bennett_angle_deg,
                                 &EmgClinicalFigures::immediate_side_shift_mm, &EmgClinicalFigures::fischer_angle_deg,
                                 &EmgClinicalFigures::condylar_inclination_left_deg,
                                 &EmgClinicalFigures::mediotrusive_inclination_deg})
            EXPECT_TRUE((a.*field).has_value() == (b.*field).has_value() &&
                        std::fabs((a.*field).value_or(0) - (b.*field).value_or(0)) < 1e-6) << e;
        // Samples that are not finite, the first included, are missing: a NaN first sample and an inf in Right.x
        // (copies of their neighbours otherwise) change no other figure.
        EmgExercise with = report->exercises[e];
        EmgDataPoint nan_first = with.data[0], inf_sample = with.data[39];
        std::tie(nan_first.left.x, inf_sample.right.x) = std::tuple(NA, ANY);
        with.data.insert(with.data.begin() + 40, inf_sample);
        with.data.insert(with.data.begin(), nan_first);
        std::vector<double> expected = figures(after[e]);
        std::tie(expected[0], expected[1]) = std::tuple(expected[0] + 2, ANY);
        expect_figures(emg_measures_of_exercise(report.get(), &with), expected, 1e-9, "with missing samples");
    }

    // What each broken calibration, frequency or exercise leaves out.
    const EmgReport& original = *report;
    const double inf = ANY;
    const std::string frame_free = "yyy-------yy--y--";
    const auto every_sample = [](std::function<void(EmgDataPoint&)> change) {
        return [=](EmgReport& e) { std::for_each(e.exercises[0].data.begin(), e.exercises[0].data.end(), change); };
    };
    const std::pair<std::function<void(EmgReport&)>, std::string> cases[] = {
        {[](EmgReport&) {}, "yyyyyyyyyyyyyyyyy"},
        {[](EmgReport& e) { e.calibration_right = e.calibration_left; }, frame_free},
        {[](EmgReport& e) {  // the incisal point on the condyles' line
             const Vector3 &a = e.calibration_left, &b = e.calibration_right;
             e.calibration_incisal = {2 * b.x - a.x, 2 * b.y - a.y, 2 * b.z - a.z};
         },
         frame_free},
        {[](EmgReport& e) { e.calibration_right.y = NA; }, "yyy-------yy-----"},
        {[=](EmgReport& e) { e.calibration_left.x = -inf; }, "yyy-------y---y--"},
        {[](EmgReport& e) { e.calibration_incisal.z = NA; }, "yy--------yy--y--"},
        {[](EmgReport& e) { e.frequency = 0.0; }, "y-yyyyyyyyyyyyyyy"},
        {every_sample([=](EmgDataPoint& s) { s.left.x = s.incisal.y = s.right.z = inf; }), "yy---------------"},
        {every_sample([=](EmgDataPoint& s) { s.incisal.y = s.right.z = inf; }), "yy---------yyy---"},
        {[](EmgReport& e) { e.exercises[0].data.resize(1); }, "yyyyyyyyyyyy--y--"},
    };
    for (std::size_t k = 0; k < std::size(cases); ++k) {
        EmgReport broken = original;
        cases[k].first(broken);
        EXPECT_EQ(availability(emg_measures_of_exercise(&broken, &broken.exercises[0])), cases[k].second) << k;
    }
    EXPECT_EQ(availability(emg_measures_of_exercise(nullptr, nullptr)), "y----------------");

    // The CSV of the moved report, names and the report's file name needing quotes, one exercise without figures.
    std::tie(report->exercises[0].name, report->exercises[1].name) = std::tuple("Open, wide", "Say \"ah\"");
    for (EmgDataPoint& s : report->exercises[2].data)
        s.incisal.x = s.left.x = s.right.x = NA;
    const std::string name = "my \"report\", v2.tsv";
    std::string text;
    emg_measures_csv_header(&text);
    emg_measures_csv_rows(&text, name, report.get());

    const auto rows = read_csv(text);
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{
        "report", "exercise", "name", "samples", "duration_s", "max_incisal_distance_mm", "max_vertical_opening_mm",
        "max_protrusion_mm", "max_laterotrusion_right_mm", "max_laterotrusion_left_mm", "deviation_at_max_opening_mm",
        "max_deviation_while_opening_mm", "max_opening_angle_deg", "opening_movements", "left_condyle_max_translation_mm",
        "left_condyle_inclination_deg", "left_condyle_bennett_deg", "right_condyle_max_translation_mm",
        "right_condyle_inclination_deg", "right_condyle_bennett_deg", "exercise_type", "exercise_type_from",
        "unreadable_values", "max_opening_rotation_deg", "opening_pattern", "condylar_inclination_left_deg",
        "condylar_inclination_right_deg", "bennett_angle_deg", "immediate_side_shift_mm", "mediotrusive_inclination_deg",
        "fischer_angle_deg", "chewing_cycles", "chewing_rate_per_min", "reference_plane", "reference_tilt_deg"}));
    for (std::size_t row = 1; row < rows.size(); ++row) {
        const std::size_t e = row - 1;
        ASSERT_EQ(rows[row].size(), 35u) << row;
        EXPECT_EQ(std::tie(rows[row][0], rows[row][1], rows[row][2]),
                  std::tuple(name, std::to_string(e + 1), report->exercises[e].name));
        const std::vector<double> expected = figures(emg_measures_of_exercise(report.get(), &report->exercises[e]));
        for (std::size_t k = 0; k < expected.size(); ++k) {
            const std::string& cell = rows[row][3 + k];
            EXPECT_TRUE(std::isnan(expected[k]) ? cell.empty()
                                                : is_number_text(cell, k == 0 || k == 10 ? 0 : 4) &&
                                                      std::fabs(std::stod(cell) - expected[k]) <= 5e-5)
                << row << " " << k << " " << cell;
        }
    }
    EXPECT_EQ(emg_measures_format(-0.00004, 4) + " " + emg_measures_format(-0.00006, 4), "0.0000 -0.0001");
}

// A hinge opening of 30 degrees and back: the distance peaks at the chord of the incisal point's arc, the angle at
// 30; the opening is solid and the closing dashed; one entry per pixel column, however long the exercise. Then what
// the chart shows of little or nothing.
TEST(Chart, KnownHingeIsPlottedWithItsStretchesAndLittleOrNothingSaysWhy)
{
    for (const double duration : {4.0, 80.0}) {
        const auto report = load_generated(1, duration, {{KnownMovement::hinge, 30.0, 0.0, 1}});
        const EmgChart chart = emg_chart_build(report.get(), 0, 330, 230);
        ASSERT_TRUE(chart.has_samples() && chart.panels.size() == 1 && chart.panels[0].traces.size() == 2);
        EXPECT_EQ(std::tuple(chart.title, chart.time.columns, chart.time.samples),
                  std::tuple("[1] " + report->exercises[0].name, 246, std::int64_t(duration * 100)));
        const EmgChartPanel& panel = chart.panels[0];
        const double extremes[] = {2 * r * std::sin(rad(15.0)), 30.0};
        for (int t = 0; t < 2; ++t) {
            const EmgChartTrace& trace = panel.traces[t];
            const ChartAxis& axis = t == 0 ? panel.left_axis : panel.right_axis;
            EXPECT_EQ(std::tuple(trace.low.size(), trace.high.size(), trace.under.size(), trace.right_axis),
                      std::tuple(246u, 246u, 246u, t == 1));
            EXPECT_NEAR(*std::max_element(trace.high.begin(), trace.high.end()), extremes[t], extremes[t] / 200);
            EXPECT_NEAR(*std::min_element(trace.low.begin(), trace.low.end()), 0.0, 1e-6);
            EXPECT_TRUE(axis.low <= 0.0 && axis.high >= extremes[t] && axis.high < 2 * extremes[t]) << t;
        }
        // Solid up to the widest opening in the middle, dashed back to rest.
        EXPECT_EQ(std::count(chart.dashed.begin(), chart.dashed.begin() + 120, 1), 0);
        EXPECT_EQ(std::count(chart.dashed.begin() + 126, chart.dashed.end() - 1, 0), 0);
        // A column of several samples shows their range.
        const auto range = [&](int t, int c, int decimals) {
            const std::string low = emg_measures_format(panel.traces[t].low[c], decimals);
            const std::string high = emg_measures_format(panel.traces[t].high[c], decimals);
            return low == high ? emg_measures_format(panel.traces[t].under[c], decimals) : low + "-" + high;
        };
        EXPECT_EQ(emg_chart_time_text(chart, chart_axes_sample_of_column(chart.time, 123)) + "|"
                      + emg_chart_value_text(chart, panel, panel.traces[1], 123) + "|"
                      + emg_chart_value_text(chart, panel, panel.traces[0], 0) + "|"
                      + emg_chart_value_text(chart, panel, panel.traces[0], 246),
                  emg_chart_time_text(chart, chart_axes_sample_of_column(chart.time, 123)) + "|" + range(1, 123, 1)
                      + "\u00b0|" + range(0, 0, 2) + " mm|-");
        if (duration > 10) {
            EXPECT_NE(range(0, 100, 2).find('-'), std::string::npos);
        }
    }

    // Nothing to plot says why; a single sample fills every column; samples that are not finite leave gaps and no
    // trace of themselves on the axes; the EMG channels get their own plot on one black-labelled axis.
    auto report = std::make_unique<EmgReport>();
    std::tie(report->frequency, report->calibration_incisal) = std::tuple(100.0, Vector3{0, 0, 0});
    report->has_rotation_data = report->has_emg_data = true;
    const auto add = [&](std::vector<double> distances) {
        EmgExercise e;
        for (double d : distances)
            e.data.push_back({{-50, 0, 0}, {d, 0, 0}, {50, 0, 0}, d / 2, 0, 0, d / 100, -d / 100});
        report->exercises.push_back(e);
        report->exercises_number = static_cast<std::int32_t>(report->exercises.size());
    };
    EXPECT_EQ(emg_chart_build(report.get(), 0, 330, 230).message, "The report has no exercises");
    add({});
    add({7.0});
    const double inf = std::numeric_limits<double>::infinity();
    add({1.0, NA, 3.0, inf, 2.0, -inf});
    EXPECT_EQ(emg_chart_build(report.get(), 0, 330, 230).message, "The exercise has no samples");

    const EmgChart single = emg_chart_build(report.get(), 1, 330, 230);
    ASSERT_EQ(single.panels.size(), 2u);
    for (const EmgChartPanel& panel : single.panels)
        for (const EmgChartTrace& trace : panel.traces) {
            const ChartAxis& axis = trace.right_axis ? panel.right_axis : panel.left_axis;
            EXPECT_TRUE(std::all_of(trace.low.begin(), trace.low.end(), [&](double v) { return v == trace.low[0]; })
                        && trace.high == trace.low && trace.under == trace.low && axis.low < trace.low[0]
                        && trace.low[0] < axis.high);
        }
    const EmgChart gaps = emg_chart_build(report.get(), 2, 18 + 84, 230);  // 18 columns, 3 per sample
    const EmgChartTrace& distance = gaps.panels[0].traces[0];
    for (int c = 0; c < 18; ++c)
        EXPECT_EQ(std::isnan(distance.low[c]), c / 3 == 1 || c / 3 == 3 || c / 3 == 5) << c;
    EXPECT_EQ(std::tuple(gaps.panels[0].left_axis.low, gaps.panels[0].left_axis.high), std::tuple(1.0, 3.0));
    const EmgChartPanel& emg = gaps.panels[1];
    EXPECT_TRUE(emg.traces.size() == 2 && emg.traces[1].quantity == EmgChartQuantity::channel2 && !emg.has_right_axis
                && emg.left_axis.low <= -0.03 && emg.left_axis.high >= 0.03 && emg.left_color.r + emg.left_color.g == 0);
}

}  // namespace

// The clinical figures of movements of known geometry (401 samples at 100 Hz, exact), their types by movement and
// by name, the reference plane, and a missing sample that changes none of them.
TEST(Measures, ClinicalFiguresOfKnownMovements)
{
    using T = EmgExerciseType;
    const auto known = [](KnownMovement movement, double amount, double inclination, int cycles = 1) {
        KnownExercise k;
        std::tie(k.movement, k.amount, k.inclination, k.cycles) = std::tie(movement, amount, inclination, cycles);
        return k;
    };
    KnownExercise deflected = known(KnownMovement::hinge, 25.0, 0.0), deviated = deflected;
    std::tie(deflected.deflection, deviated.deviation) = std::tuple(-3.0, 3.0);
    KnownExercise right = known(KnownMovement::side_shift_right, 8.0, 40.0), left = right;
    std::tie(right.side_shift, right.bennett, left.movement, left.side_shift, left.bennett) =
        std::tuple(1.0, 12.0, KnownMovement::side_shift_left, 0.4, 8.0);
    // type, pattern; opening rotation, inclination left and right, Bennett angle, side shift, mediotrusive
    // inclination, Fischer angle, chewing cycles and rate.
    const std::vector<std::tuple<KnownExercise, T, std::string, std::vector<double>>> cases = {
        {known(KnownMovement::hinge, 25.0, 0.0), T::opening, "straight", {25, NA, NA, NA, NA, NA, NA, NA, NA}},
        {deflected, T::opening, "deflection_left", {25, NA, NA, NA, NA, NA, NA, NA, NA}},
        {deviated, T::opening, "deviation", {25, NA, NA, NA, NA, NA, NA, NA, NA}},
        {known(KnownMovement::recording_glide, 8.0, 35.0), T::protrusion, "", {0, 35, 35, NA, NA, NA, NA, NA, NA}},
        {right, T::laterotrusion_right, "", {ANY, NA, NA, 12, 1.0, 40, 5, NA, NA}},
        {left, T::laterotrusion_left, "", {ANY, NA, NA, 8, 0.4, 40, 5, NA, NA}},
        {known(KnownMovement::hinge, 8.0, 0.0, 6), T::chewing, "", {8, NA, NA, NA, NA, NA, NA, 6, 90}},
    };
    ReportGeneratorOptions options;
    std::tie(options.duration, options.neutral_names) = std::tuple(4.01, true);
    for (const auto& c : cases)
        options.known.push_back(std::get<0>(c));
    TempWorkingDirectory directory;
    ASSERT_TRUE(report_generator_write_file("known.tsv", options));
    std::unique_ptr<EmgReport> report;
    capture_stdout([&] { ASSERT_EQ(emg_extract_3d(&report, "known.tsv"), 0); });
    const auto clinical = [](const EmgMeasures& m) {
        const EmgClinicalFigures& c = m.clinical;
        std::vector<double> out;
        for (const std::optional<double>& f :
             {c.max_opening_rotation_deg, c.condylar_inclination_left_deg, c.condylar_inclination_right_deg,
              c.bennett_angle_deg, c.immediate_side_shift_mm, c.mediotrusive_inclination_deg, c.fischer_angle_deg,
              c.chewing_cycles ? std::optional<double>(*c.chewing_cycles) : std::nullopt, c.chewing_rate_per_min})
            out.push_back(f.value_or(NA));
        return out;
    };
    const auto check = [&](const std::vector<EmgMeasures>& all, const std::string& what) {
        ASSERT_EQ(all.size(), cases.size()) << what;
        for (std::size_t e = 0; e < cases.size(); ++e) {
            const EmgClinicalFigures& c = all[e].clinical;
            EXPECT_EQ(std::tuple(c.type, c.type_from_name, c.opening_pattern ? emg_opening_pattern_name(*c.opening_pattern) : ""),
                      std::tuple(std::get<1>(cases[e]), false, std::get<2>(cases[e]))) << what << " " << e;
            const std::vector<double> actual = clinical(all[e]), expected = std::get<3>(cases[e]);
            for (std::size_t k = 0; k < actual.size(); ++k)  // the file's three decimals
                EXPECT_TRUE(std::isnan(expected[k]) ? std::isnan(actual[k])
                                                    : expected[k] == ANY || std::fabs(actual[k] - expected[k]) < 0.05)
                    << what << " " << e << " figure " << k << ": " << actual[k];
        }
    };
    check(emg_measures_of_report(report.get()), "recording plane");
    // The jaw's own rotation at the full amount: a hinge is all opening, a turn about the vertical through a condyle
    // all lateral rotation, whatever the order of the parts.
    const std::optional<EmgAnatomicalFrame> frame = emg_anatomical_frame(report.get());
    ASSERT_TRUE(frame);
    const auto rotation_of = [&](const KnownExercise& k) {
        const auto jaw = report_generator_detail::known_placement(k, 1.0);
        const auto v = [](const GeneratedPoint& p) { return Vector3{p.x, p.y, p.z}; };
        const EmgDataPoint sample{v(jaw.left), v(jaw.incisal), v(jaw.right), 0, 0, 0, 0, 0};
        const EmgJawRotation r = *emg_jaw_rotation(&*frame, &sample);
        return std::vector<double>{std::round(r.opening_deg * 1e6) / 1e6, std::round(r.lateral_deg * 1e6) / 1e6,
                                   std::round(r.tilt_deg * 1e6) / 1e6};
    };
    EXPECT_EQ(rotation_of(known(KnownMovement::hinge, 25.0, 0.0)), (std::vector<double>{25, 0, 0}));
    EXPECT_EQ(rotation_of(known(KnownMovement::laterotrusion_right, 8.0, 0.0)), (std::vector<double>{0, 8, 0}));
    EXPECT_EQ(rotation_of(known(KnownMovement::laterotrusion_left, 8.0, 0.0)), (std::vector<double>{0, -8, 0}));

    const auto comparable = [&](const EmgMeasures& m) {  // not available as a number that equals itself
        std::vector<double> out = clinical(m);
        std::replace_if(out.begin(), out.end(), [](double v) { return std::isnan(v); }, -1e300);
        return out;
    };
    for (std::size_t e = 0; e < cases.size(); ++e)  // one exercise alone finds the protrusion for its Fischer angle
        EXPECT_EQ(comparable(emg_measures_of_exercise(report.get(), &report->exercises[e])),
                  comparable(emg_measures_of_report(report.get())[e])) << e;

    // A missing sample (the parser's not-a-number) changes nothing.
    for (EmgExercise& exercise : report->exercises)
        exercise.data[7].incisal.y = exercise.data[7].right.x = NA;
    check(emg_measures_of_report(report.get()), "a missing sample");

    // Against the calibration plane, 22.8 degrees steeper than the recording's, tilted back by as much.
    const double tilt = std::atan2(40.0, 95.0) * 180.0 / 3.14159265358979323846;
    EmgReferencePlane plane;
    ASSERT_TRUE(emg_reference_plane_parse("calibration," + std::to_string(tilt), &plane));
    const EmgMeasures tilted = emg_measures_of_report(report.get(), plane)[3];
    EXPECT_NEAR(*tilted.clinical.condylar_inclination_left_deg, 35.0, 0.05);
    EXPECT_FALSE(emg_measures_of_report(report.get())[0].clinical.axes_mirrored);
    // A recording whose lateral axis is mirrored: the opening seems to rise.
    for (Vector3* p : {&report->calibration_left, &report->calibration_incisal, &report->calibration_right})
        p->z = -p->z;
    for (EmgDataPoint& sample : report->exercises[0].data)
        for (Vector3* p : {&sample.left, &sample.incisal, &sample.right})
            p->z = -p->z;
    EXPECT_TRUE(emg_measures_of_report(report.get())[0].clinical.axes_mirrored);
    for (const char* bad : {"", "frankfort", "recording,", "calibration,x", "recording,91", "recording,nan"})
        EXPECT_FALSE(emg_reference_plane_parse(bad, &plane)) << bad;

    // Named exercises: their names decide, in English and German, whatever the movement.
    const std::pair<const char*, std::optional<T>> names[] = {
        {"Opening and closing", T::opening}, {"Mund\xc3\x96" "ffnung", T::opening}, {"PROTRUSION", T::protrusion},
        {"Laterotrusion rechts", T::laterotrusion_right}, {"lateral left", T::laterotrusion_left},
        {"Kauen", T::chewing}, {"Mastication", T::chewing}, {"Laterotrusion", std::nullopt}, {"Rest", std::nullopt}};
    for (const auto& [name, type] : names)
        EXPECT_EQ(emg_exercise_type_from_name(name), type) << name;
}

// The generator's recording of a healthy adult: each exercise's type by its name and, with neutral names, by its
// movement, and every figure that has a norm inside it.
TEST(Measures, TheDemoRecordingIsHealthy)
{
    for (bool neutral : {false, true}) {
        ReportGeneratorOptions options;
        std::tie(options.exercises, options.neutral_names) = std::tuple(5, neutral);
        TempWorkingDirectory directory;
        ASSERT_TRUE(report_generator_write_file("demo.tsv", options));
        std::unique_ptr<EmgReport> report;
        capture_stdout([&] { ASSERT_EQ(emg_extract_3d(&report, "demo.tsv"), 0); });
        const std::vector<EmgMeasures> all = emg_measures_of_report(report.get());
        const std::vector<EmgExerciseType> types = {EmgExerciseType::opening, EmgExerciseType::protrusion,
                                                    EmgExerciseType::laterotrusion_left,
                                                    EmgExerciseType::laterotrusion_right, EmgExerciseType::chewing};
        for (std::size_t e = 0; e < types.size(); ++e)
            EXPECT_EQ(std::pair(all[e].clinical.type, all[e].clinical.type_from_name), std::pair(types[e], !neutral))
                << e;
        const auto in_norm = [](EmgNormFigure figure, const std::optional<double>& value) {
            return value && emg_norm_holds(figure, *value);
        };
        const EmgClinicalFigures &protrusion = all[1].clinical, &left = all[2].clinical, &right = all[3].clinical;
        EXPECT_TRUE(in_norm(EmgNormFigure::max_vertical_opening, all[0].max_vertical_opening_mm));
        EXPECT_TRUE(in_norm(EmgNormFigure::deviation, all[0].max_deviation_while_opening_mm));
        EXPECT_TRUE(in_norm(EmgNormFigure::max_protrusion, all[1].max_protrusion_mm));
        EXPECT_TRUE(in_norm(EmgNormFigure::max_laterotrusion, all[2].max_laterotrusion_left_mm));
        EXPECT_TRUE(in_norm(EmgNormFigure::max_laterotrusion, all[3].max_laterotrusion_right_mm));
        for (const auto& inclination : {protrusion.condylar_inclination_left_deg, protrusion.condylar_inclination_right_deg})
            EXPECT_TRUE(in_norm(EmgNormFigure::condylar_inclination, inclination));
        for (const EmgClinicalFigures* c : {&left, &right}) {
            EXPECT_TRUE(in_norm(EmgNormFigure::bennett_angle, c->bennett_angle_deg));
            EXPECT_TRUE(in_norm(EmgNormFigure::immediate_side_shift, c->immediate_side_shift_mm));
            EXPECT_GT(c->immediate_side_shift_mm.value_or(0), 0.3);
        }
        EXPECT_EQ(all[0].clinical.opening_pattern, EmgOpeningPattern::straight);
        EXPECT_FALSE(all[0].clinical.axes_mirrored);
    }
}
