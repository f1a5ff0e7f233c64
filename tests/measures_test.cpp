// The measures of an exercise: movements of known kinematics give their
// exact figures, moving the whole recording changes none, a degenerate
// calibration or a non-finite sample leaves out what it must, and the CSV
// reads back through an RFC 4180 reader.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "report/emg_measures.hpp"
#include "tests/test_support.hpp"
#include "tools/report_generator.hpp"

using namespace zelto_test;

namespace {

constexpr double NA = std::numeric_limits<double>::quiet_NaN();  // expected: not available
constexpr double ANY = std::numeric_limits<double>::infinity();  // not checked
constexpr double pi = 3.14159265358979323846;
const double reach = std::hypot(95.0, 40.0);  // the generator's rest: incisal point from the condyles' midpoint
constexpr double half_span = 50.0;            // condyle from that midpoint

double deg(double radians) { return radians * 180.0 / pi; }
double rad(double degrees) { return degrees * pi / 180.0; }

// The figures in the order of the CSV's columns from `samples` on.
std::vector<std::optional<double>> figures(const EmgMeasures& m)
{
    const auto count = [](std::optional<std::int32_t> v) { return v ? std::optional<double>(*v) : std::nullopt; };
    return {double(m.samples), m.duration_s, m.max_incisal_distance_mm, m.max_vertical_opening_mm,
            m.max_protrusion_mm, m.max_laterotrusion_right_mm, m.max_laterotrusion_left_mm,
            m.deviation_at_max_opening_mm, m.max_deviation_while_opening_mm, m.max_opening_angle_deg,
            count(m.opening_movements), m.left.max_translation_mm, m.left.inclination_deg, m.left.bennett_deg,
            m.right.max_translation_mm, m.right.inclination_deg, m.right.bennett_deg};
}

// 'y' where a figure is available, '-' where not.
std::string availability(const EmgMeasures& m)
{
    std::string out;
    for (const auto& figure : figures(m))
        out += figure ? 'y' : '-';
    return out;
}

// Each figure against its expected value: NA expects none, ANY anything.
void expect_figures(const EmgMeasures& m, const std::vector<double>& expected, double tolerance,
                    const std::string& what)
{
    const std::vector<std::optional<double>> actual = figures(m);
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t k = 0; k < actual.size(); ++k) {
        if (std::isnan(expected[k])) {
            EXPECT_FALSE(actual[k].has_value()) << what << ", figure " << k;
        } else if (expected[k] != ANY) {
            EXPECT_NEAR(actual[k].value_or(NA), expected[k], tolerance) << what << ", figure " << k;
        }
    }
}

std::unique_ptr<EmgReport> load_generated(const ReportGeneratorOptions& options)
{
    TempWorkingDirectory directory;
    EXPECT_TRUE(report_generator_write_file("generated.tsv", options));
    std::unique_ptr<EmgReport> report;
    capture_stdout([&] { EXPECT_EQ(emg_extract_3d(&report, "generated.tsv"), 0); });
    return report;
}

// Every point of the recording, calibration included.
void for_each_point(EmgReport* report, const std::function<void(Vector3*)>& change)
{
    for (Vector3* p : {&report->calibration_left, &report->calibration_incisal, &report->calibration_right})
        change(p);
    for (EmgExercise& exercise : report->exercises)
        for (EmgDataPoint& s : exercise.data)
            for (Vector3* p : {&s.left, &s.incisal, &s.right})
                change(p);
}

struct KnownCase {
    KnownExercise exercise;
    std::vector<double> expected;  // in the order of figures()
};

std::vector<KnownCase> known_cases()
{
    const double w = half_span, r = reach;
    const double hinge = rad(25.0);
    const double glide = rad(30.0);
    // Laterotrusion by psi about the working condyle; the balancing condyle
    // glides at alpha. The incisal point in (ant, up, lat), to the right:
    const double psi = rad(8.0), alpha = rad(20.0);
    const double ant = r * (std::cos(psi) - 1) + w * std::sin(psi) * std::cos(alpha) +
                       (1 - std::cos(psi)) * r * std::sin(alpha) * std::sin(alpha);
    const double up = -w * std::sin(alpha) * std::sin(psi) + r * std::sin(alpha) * std::cos(alpha) * (1 - std::cos(psi));
    const double lat = w * (1 - std::cos(psi)) + r * std::cos(alpha) * std::sin(psi);
    const double side = std::sqrt(ant * ant + up * up + lat * lat);
    const double balancing = 4 * w * std::sin(psi / 2);
    const double bennett = deg(std::atan(std::tan(psi / 2) / std::cos(alpha)));
    return {
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
}

// Each figure of each known movement, with the opening angle read from the
// file and computed from the points as the viewer does.
TEST(Measures, KnownMovementsGiveTheirExactFigures)
{
    const std::vector<KnownCase> cases = known_cases();
    for (bool angles : {false, true}) {
        ReportGeneratorOptions options;
        options.duration = 4.01;  // 401 samples at 100 Hz
        options.angles = angles;
        for (const KnownCase& c : cases)
            options.known.push_back(c.exercise);
        const std::unique_ptr<EmgReport> report = load_generated(options);
        ASSERT_NE(report, nullptr);
        const std::vector<EmgMeasures> all = emg_measures_of_report(report.get());
        ASSERT_EQ(all.size(), cases.size());
        for (std::size_t e = 0; e < cases.size(); ++e)  // the file's three decimals
            expect_figures(all[e], cases[e].expected, 0.01, report->exercises[e].name + (angles ? " (angles)" : ""));
    }
}

// A path the movements above cannot draw: the incisal point swerves left,
// right and back while it opens, and stays open; a sample that is not a
// number in between changes nothing.
TEST(Measures, DeviationsWhileOpeningAndNonFiniteSamples)
{
    EmgReport report;
    report.frequency = 50.0;
    report.calibration_left = {0, 0, -50};
    report.calibration_incisal = {95, -40, 0};
    report.calibration_right = {0, 0, 50};
    const Vector3 ant{95 / reach, -40 / reach, 0}, up{40 / reach, 95 / reach, 0};
    const double nan = std::numeric_limits<double>::quiet_NaN();
    // (forward, upward, to the right) of the incisal point, mm.
    const double offsets[][3] = {{0, 0, 0}, {-1, -5, 2}, {-2, -10, -3}, {nan, 0, 0}, {-3, -20, 1}, {-2, -25, 0.5},
                                 {-1, -15, 4}};
    EmgExercise exercise;
    exercise.name = "Swerve";
    for (const auto& o : offsets) {
        EmgDataPoint s{};
        s.left = report.calibration_left;
        s.right = report.calibration_right;
        s.incisal = {95 + o[0] * ant.x + o[1] * up.x, -40 + o[0] * ant.y + o[1] * up.y, o[2]};
        if (std::isnan(o[0]))
            s.left.y = s.incisal.y = nan;
        exercise.data.push_back(s);
    }
    exercise.data_length = static_cast<std::int32_t>(exercise.data.size());
    report.exercises = {exercise};
    report.exercises_number = 1;
    emg_compute_rotation_data(&report);

    expect_figures(emg_measures_of_exercise(&report, &report.exercises[0]),
                   {7, 0.12, std::sqrt(4 + 625 + 0.25), 25, 0, 4, 3, 0.5, -3, ANY, 1, 0, NA, NA, 0, NA, NA}, 1e-9,
                   "swerve");
}

// Turning and moving every point, calibration included, changes no figure.
TEST(Measures, RigidMotionOfTheRecordingChangesNoFigure)
{
    ReportGeneratorOptions options;
    options.exercises = 5;
    options.duration = 4.0;
    const std::unique_ptr<EmgReport> report = load_generated(options);
    ASSERT_NE(report, nullptr);
    const std::vector<EmgMeasures> before = emg_measures_of_report(report.get());

    const Vector3 axis{0.48, -0.6, 0.64};  // unit
    const double turn = rad(137.0);
    for_each_point(report.get(), [&](Vector3* p) {
        const double c = std::cos(turn), s = std::sin(turn), d = axis.x * p->x + axis.y * p->y + axis.z * p->z;
        const Vector3 x{axis.y * p->z - axis.z * p->y, axis.z * p->x - axis.x * p->z, axis.x * p->y - axis.y * p->x};
        *p = {p->x * c + x.x * s + axis.x * d * (1 - c) + 120.0, p->y * c + x.y * s + axis.y * d * (1 - c) - 250.0,
              p->z * c + x.z * s + axis.z * d * (1 - c) + 40.0};
    });
    const std::vector<EmgMeasures> after = emg_measures_of_report(report.get());
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t e = 0; e < before.size(); ++e) {
        EXPECT_EQ(availability(after[e]), availability(before[e])) << e;
        std::vector<double> expected;
        for (const std::optional<double>& figure : figures(before[e]))
            expected.push_back(figure.value_or(NA));
        expect_figures(after[e], expected, 1e-6, "exercise " + std::to_string(e));
    }
}

// What each broken calibration, frequency or exercise leaves out.
TEST(Measures, DegenerateInputsLeaveOutWhatNeedsThem)
{
    ReportGeneratorOptions options;
    options.exercises = 1;
    options.duration = 4.0;
    const std::unique_ptr<EmgReport> original = load_generated(options);
    ASSERT_NE(original, nullptr);
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    const std::string frame_free = "yyy------yyy--y--";
    const struct {
        const char* name;
        std::function<void(EmgReport&)> change;
        std::string expected;
    } cases[] = {
        {"intact", [](EmgReport&) {}, "yyyyyyyyyyyyyyyyy"},
        {"condyles coincide", [](EmgReport& r) { r.calibration_right = r.calibration_left; }, frame_free},
        {"incisal point on the condyles' line",
         [](EmgReport& r) {
             const Vector3 &l = r.calibration_left, &c = r.calibration_right;
             r.calibration_incisal = {l.x + 2 * (c.x - l.x), l.y + 2 * (c.y - l.y), l.z + 2 * (c.z - l.z)};
         },
         frame_free},
        {"incisal point between the condyles",
         [](EmgReport& r) {
             const Vector3 &l = r.calibration_left, &c = r.calibration_right;
             r.calibration_incisal = {(l.x + c.x) / 2, (l.y + c.y) / 2, (l.z + c.z) / 2};
         },
         frame_free},
        {"right condyle not a number", [=](EmgReport& r) { r.calibration_right.y = nan; }, "yyy------yyy-----"},
        {"left condyle infinite", [=](EmgReport& r) { r.calibration_left.x = -inf; }, "yyy------yy---y--"},
        {"incisal point not a number", [=](EmgReport& r) { r.calibration_incisal.z = nan; }, "yy-------yyy--y--"},
        {"frequency 0", [](EmgReport& r) { r.frequency = 0.0; }, "y-yyyyyyyyyyyyyyy"},
        {"frequency not a number", [=](EmgReport& r) { r.frequency = nan; }, "y-yyyyyyyyyyyyyyy"},
        {"no finite sample",
         [=](EmgReport& r) {
             for (EmgDataPoint& s : r.exercises[0].data)
                 s.left.x = s.incisal.y = s.right.z = s.open = inf;
         },
         "yy---------------"},
    };
    for (const auto& c : cases) {
        EmgReport report = *original;
        c.change(report);
        EXPECT_EQ(availability(emg_measures_of_exercise(&report, &report.exercises[0])), c.expected) << c.name;
    }
    EXPECT_EQ(availability(emg_measures_of_exercise(nullptr, nullptr)), "y----------------");
}

// A small RFC 4180 reader: quoted fields, doubled quotes, CRLF rows.
std::vector<std::vector<std::string>> read_csv(const std::string& text)
{
    std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(1));
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"')
                rows.back().back() += text[++i];
            else if (c == '"')
                quoted = false;
            else
                rows.back().back() += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            rows.back().emplace_back();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
            rows.emplace_back(1);
        } else {
            rows.back().back() += c;
        }
    }
    if (rows.back() == std::vector<std::string>(1))
        rows.pop_back();
    return rows;
}

TEST(MeasuresCsv, RoundTripsThroughACsvReader)
{
    ReportGeneratorOptions options;
    options.exercises = 3;
    options.duration = 3.0;
    std::unique_ptr<EmgReport> report = load_generated(options);
    ASSERT_NE(report, nullptr);
    report->exercises[0].name = "Open, wide";
    report->exercises[1].name = "Say \"ah\"";
    for (EmgDataPoint& s : report->exercises[2].data)
        s.incisal.x = s.left.x = s.right.x = std::numeric_limits<double>::quiet_NaN();
    const std::string report_name = "my \"report\", v2.tsv";

    // A locale with a decimal comma, where the system has one.
    for (const char* name : {"de_DE.UTF-8", "fr_FR.UTF-8", "de_DE.utf8"})
        if (std::setlocale(LC_ALL, name) != nullptr)
            break;
    std::string text;
    emg_measures_csv_header(&text);
    emg_measures_csv_rows(&text, report_name, report.get());
    emg_measures_csv_rows(&text, "second", report.get());
    std::setlocale(LC_ALL, "C");

    const auto rows = read_csv(text);
    ASSERT_EQ(rows.size(), 7u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{
                           "report", "exercise", "name", "samples", "duration_s", "max_incisal_distance_mm",
                           "max_vertical_opening_mm", "max_protrusion_mm", "max_laterotrusion_right_mm",
                           "max_laterotrusion_left_mm", "deviation_at_max_opening_mm",
                           "max_deviation_while_opening_mm", "max_opening_angle_deg", "opening_movements",
                           "left_condyle_max_translation_mm", "left_condyle_inclination_deg",
                           "left_condyle_bennett_deg", "right_condyle_max_translation_mm",
                           "right_condyle_inclination_deg", "right_condyle_bennett_deg"}));
    const std::regex decimal("-?[0-9]+\\.[0-9]{4}");
    for (std::size_t row = 1; row < rows.size(); ++row) {
        const std::size_t e = (row - 1) % 3;
        ASSERT_EQ(rows[row].size(), 20u) << row;
        EXPECT_EQ(rows[row][0], row <= 3 ? report_name : "second");
        EXPECT_EQ(rows[row][1], std::to_string(e + 1));
        EXPECT_EQ(rows[row][2], report->exercises[e].name);
        const auto expected = figures(emg_measures_of_exercise(report.get(), &report->exercises[e]));
        for (std::size_t k = 0; k < expected.size(); ++k) {
            const std::string& cell = rows[row][3 + k];
            if (!expected[k]) {
                EXPECT_EQ(cell, "") << row << " " << k;
                continue;
            }
            const bool count = k == 0 || k == 10;
            EXPECT_TRUE(count ? cell.find_first_not_of("0123456789") == std::string::npos
                              : std::regex_match(cell, decimal))
                << cell;
            EXPECT_NEAR(std::stod(cell), *expected[k], 5e-5) << row << " " << k;
        }
    }
    EXPECT_EQ(emg_measures_format(-0.00004, 4), "0.0000");
    EXPECT_EQ(emg_measures_format(-0.00006, 4), "-0.0001");
}

}  // namespace
