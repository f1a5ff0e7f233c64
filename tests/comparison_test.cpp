// Comparing a recording with a baseline: two recordings of known movements,
// the baseline's device placed differently, give exactly the known changes.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "picture/comparison_picture.hpp"
#include "report/emg_comparison.hpp"
#include "tools/generated_report.hpp"

namespace {

std::unique_ptr<EmgReport> recording(double opening_deg, double side_shift_mm)
{
    ReportGeneratorOptions options;
    options.duration = 4.01;
    options.known = {{KnownMovement::hinge, opening_deg},
                     {KnownMovement::protrusion, 8.0},
                     {KnownMovement::side_shift_right, 8.0, 35.0, 1, 0.0, 0.0, side_shift_mm, 10.0},
                     {KnownMovement::side_shift_left, 8.0, 35.0, 1, 0.0, 0.0, 0.8, 10.0}};
    return generated_report(options, false, false);
}

// The device 20 degrees turned about a slanted axis and 30 mm away.
EmgRigidMove device_moved()
{
    const double a = 20.0 * std::numbers::pi / 180.0, c = std::cos(a), s = std::sin(a);
    const double k = 1.0 / std::sqrt(3.0);  // axis (1, 1, 1) / sqrt(3)
    EmgRigidMove move{};
    for (int r = 0; r < 3; ++r)
        for (int q = 0; q < 3; ++q) {
            const double cross[3][3] = {{0, -k, k}, {k, 0, -k}, {-k, k, 0}};
            move.rotation.m[3 * r + q] = (r == q ? c : 0.0) + s * cross[r][q] + (1.0 - c) * k * k;
        }
    move.translation = {30.0, -12.0, 7.5};
    return move;
}

double figure(const std::vector<EmgNumericFigure>& figures, std::string_view column)
{
    for (const EmgNumericFigure& f : figures)
        if (column == f.column)
            return f.value.value_or(NAN);
    ADD_FAILURE() << column;
    return NAN;
}

}  // namespace

TEST(Comparison, KnownChangesWithTheDevicePlacedDifferently)
{
    const auto current = recording(30.0, 0.4);
    const auto baseline = emg_comparison_moved(*recording(25.0, 1.0), device_moved());
    const auto aligned = emg_comparison_aligned(*current, *baseline);
    ASSERT_NE(aligned, nullptr);

    const std::vector<EmgMeasures> now = emg_measures_of_report(current.get());
    const std::vector<EmgMeasures> before = emg_measures_of_report(aligned.get());
    ASSERT_EQ(emg_comparison_pairs(now, before), (std::vector<std::int32_t>{0, 1, 2, 3}));

    const double reach = std::hypot(95.0, 40.0);  // the incisal point's distance from the condylar axis
    const double sin25 = std::sin(25.0 * std::numbers::pi / 180.0), sin30 = std::sin(30.0 * std::numbers::pi / 180.0);
    const auto opening = emg_comparison_deltas(now[0], before[0]);
    EXPECT_NEAR(figure(opening, "max_vertical_opening_mm"), reach * (sin30 - sin25), 1e-9);
    EXPECT_NEAR(figure(opening, "max_opening_rotation_deg"), 5.0, 1e-9);
    EXPECT_NEAR(figure(opening, "max_protrusion_mm"), 0.0, 1e-9);
    const auto side = emg_comparison_deltas(now[2], before[2]);
    EXPECT_NEAR(figure(side, "immediate_side_shift_mm"), -0.6, 1e-9);
    EXPECT_NEAR(figure(side, "bennett_angle_deg"), 0.0, 1e-9);
    EXPECT_NEAR(figure(side, "mediotrusive_inclination_deg"), 0.0, 1e-9);
    // Unchanged movements: the same figures, whatever the device did (but
    // the angles of a working condyle that only turns, whose direction is
    // rounding noise).
    for (const EmgNumericFigure& delta : emg_comparison_deltas(now[1], before[1]))
        if (delta.value) {
            EXPECT_NEAR(*delta.value, 0.0, 1e-9) << delta.column;
        }
    const auto other_side = emg_comparison_deltas(now[3], before[3]);
    for (const char* column : {"max_laterotrusion_left_mm", "bennett_angle_deg", "immediate_side_shift_mm",
                               "mediotrusive_inclination_deg", "fischer_angle_deg", "right_condyle_max_translation_mm"})
        EXPECT_NEAR(figure(other_side, column), 0.0, 1e-9) << column;

    // The CSV: the measures' columns, then the baseline and the changes.
    std::string csv;
    emg_comparison_csv_header(&csv);
    emg_comparison_csv_rows(&csv, "after.tsv", current.get(), "before, splint.tsv", aligned.get());
    std::string plain;
    emg_measures_csv_header(&plain);
    emg_measures_csv_rows(&plain, "after.tsv", current.get());
    const std::string header = csv.substr(0, csv.find("\r\n"));
    EXPECT_EQ(header.rfind(plain.substr(0, plain.find("\r\n")) + ",baseline_report,baseline_exercise,delta_samples,", 0),
              0u);
    EXPECT_NE(header.find(",delta_immediate_side_shift_mm,"), std::string::npos);
    const std::size_t third = csv.find("after.tsv,3,");
    const std::string row = csv.substr(third, csv.find("\r\n", third) - third);
    EXPECT_NE(row.find(",\"before, splint.tsv\",3,0,0.0000,"), std::string::npos) << row;
    EXPECT_NE(row.find(",-0.6000,"), std::string::npos) << row;
}

TEST(Comparison, ARecordingAgainstItselfChangesNothing)
{
    const auto report = recording(30.0, 0.4);
    const auto aligned = emg_comparison_aligned(*report, *report);
    ASSERT_NE(aligned, nullptr);
    for (std::size_t e = 0; e < report->exercises.size(); ++e)
        for (std::size_t k = 0; k < report->exercises[e].data.size(); k += 37) {
            const EmgDataPoint& a = report->exercises[e].data[k];
            const EmgDataPoint& b = aligned->exercises[e].data[k];
            EXPECT_NEAR(algebra_vector_vector_distance(&a.incisal, &b.incisal), 0.0, 1e-12);
            EXPECT_NEAR(algebra_vector_vector_distance(&a.left, &b.left), 0.0, 1e-12);
        }
    const auto measures = emg_measures_of_report(report.get());
    for (const EmgMeasures& m : measures)
        for (const EmgNumericFigure& delta : emg_comparison_deltas(m, m))
            if (delta.value) {
                const std::string zero = delta.decimals > 0 ? "0." + std::string(delta.decimals, '0') : "0";
                EXPECT_EQ(emg_numeric_change_text(delta), zero + delta.unit) << delta.column;
            }

    // A calibration that gives no frame cannot be aligned.
    EmgReport flat = *report;
    flat.calibration_right = flat.calibration_left;
    EXPECT_EQ(emg_comparison_aligned(*report, flat), nullptr);
}

TEST(Comparison, PairsByTypeThenNumberAndSamplesByTime)
{
    auto typed = [](std::initializer_list<EmgExerciseType> types) {
        std::vector<EmgMeasures> measures(types.size());
        std::size_t k = 0;
        for (EmgExerciseType type : types)
            measures[k++].clinical.type = type;
        return measures;
    };
    using T = EmgExerciseType;
    const auto current = typed({T::protrusion, T::opening, T::opening, T::chewing, T::other});
    const auto baseline = typed({T::opening, T::protrusion, T::laterotrusion_left, T::opening});
    // The second opening with the second; chewing has no match and takes
    // number 4; the fifth has neither.
    EXPECT_EQ(emg_comparison_pairs(current, baseline), (std::vector<std::int32_t>{1, 0, 3, 3, -1}));

    EXPECT_EQ(emg_comparison_sample(150, 100.0, 200.0, 1000), 300);
    EXPECT_EQ(emg_comparison_sample(150, 100.0, 200.0, 200), 199);
    EXPECT_EQ(emg_comparison_sample(150, -1.0, 200.0, 1000), 150);
    EXPECT_EQ(emg_comparison_sample(5, 100.0, 100.0, 0), -1);

    // Left against right within one report.
    const auto report = recording(30.0, 0.4);
    const EmgSideComparison sides = emg_comparison_sides(emg_measures_of_report(report.get()));
    EXPECT_EQ(sides.left_exercise, 3);
    EXPECT_EQ(sides.right_exercise, 2);
    ASSERT_FALSE(sides.rows.empty());
    for (const EmgSideRow& row : sides.rows)
        if (std::string_view(row.name) == "Immediate side shift") {
            EXPECT_NEAR(row.difference.value.value_or(NAN), 0.8 - 0.4, 1e-9);
        }
    EXPECT_TRUE(emg_comparison_sides(typed({T::laterotrusion_left, T::opening})).rows.empty());
}

// The comparison sheet says what it lacks, in whole groups: no report, a baseline exercise that is not there.
TEST(Comparison, SheetSaysWhatIsMissing)
{
    const auto sheet = [](const ComparisonSheetInput& input) {
        const Picture picture = comparison_picture_build(input, 750, 750);
        int depth = 0;
        std::string texts;
        for (const PictureItem& item : picture.items) {
            depth += item.kind == PictureKind::group ? 1 : item.kind == PictureKind::group_end ? -1 : 0;
            texts += item.text + "|";
        }
        EXPECT_EQ(depth, 0);
        return texts;
    };
    EXPECT_NE(sheet({}).find("No report loaded|"), std::string::npos);
    const auto report = recording(30.0, 0.4);
    ComparisonSheetInput input;
    input.report = report.get();
    input.exercise = 2;
    input.baseline = report.get();
    input.baseline_exercise = 4;  // one past the last
    const std::string texts = sheet(input);
    EXPECT_NE(texts.find("  no exercise|"), std::string::npos) << texts;
    EXPECT_NE(texts.find("|Immediate side shift|0.40 mm|-|-|"), std::string::npos) << texts;
    EXPECT_NE(texts.find("|Max. laterotrusion|"), std::string::npos) << texts;
}
