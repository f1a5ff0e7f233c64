// Motion analysis of a loaded report: open and close phases, the opening
// angle, and the console dump.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <numbers>
#include <string>
#include <vector>

#include "report/emg_processing.hpp"
#include "tests/test_support.hpp"
#include "tools/report_generator.hpp"

namespace {

using zelto_test::capture_stdout;

// Samples whose three points coincide, along x: the centroid distance of
// sample i to sample 0 is distances[i] - distances[0].
EmgExercise exercise_along_x(const std::vector<double>& distances)
{
    EmgExercise exercise;
    exercise.name = "test";
    for (double d : distances) {
        EmgDataPoint s{};
        s.left = s.incisal = s.right = {d, 0.0, 0.0};
        exercise.data.push_back(s);
    }
    exercise.data_length = static_cast<std::int32_t>(exercise.data.size());
    return exercise;
}

std::vector<std::int32_t> movements_of(const EmgExercise& exercise)
{
    std::vector<std::int32_t> movements{99};
    std::int32_t number = -1;
    EXPECT_EQ(emg_analyze_open_close_movements(&movements, &number, &exercise), 0);
    EXPECT_EQ(number, static_cast<std::int32_t>(movements.size()));
    return movements;
}

EmgExercise generated_exercise(const ReportGeneratorOptions& options, int e)
{
    EmgExercise exercise;
    const std::int32_t n = report_generator_sample_count(options);
    for (std::int32_t i = 0; i < n; ++i) {
        const GeneratedSample g = report_generator_sample(options, e, i);
        EmgDataPoint s{};
        s.right = {g.right.x, g.right.y, g.right.z};
        s.left = {g.left.x, g.left.y, g.left.z};
        s.incisal = {g.incisal.x, g.incisal.y, g.incisal.z};
        exercise.data.push_back(s);
    }
    exercise.data_length = n;
    return exercise;
}

//-----------------------------------------------------------------------------
// Centroid distance
//-----------------------------------------------------------------------------

TEST(PointDistance, MeasuresBetweenTheCentroids)
{
    EmgDataPoint a{};
    a.left = {3.0, 0.0, 0.0};
    a.incisal = {0.0, 6.0, 0.0};
    a.right = {0.0, 0.0, 9.0};
    const EmgDataPoint origin{};
    EXPECT_DOUBLE_EQ(emg_point_distance(&a, &origin), std::sqrt(14.0));
    EXPECT_DOUBLE_EQ(emg_point_distance(&origin, &a), std::sqrt(14.0));

    // Moving the points about their centroid does not count.
    EmgDataPoint b = a;
    b.left.x += 5.0;
    b.right.x -= 5.0;
    EXPECT_EQ(emg_point_distance(&a, &b), 0.0);
}

//-----------------------------------------------------------------------------
// Open and close phases
//-----------------------------------------------------------------------------

TEST(OpenCloseMovements, PhasesFollowTheHysteresisRule)
{
    struct Case {
        const char* name;
        std::vector<double> distances;
        std::vector<std::int32_t> expected;
    };
    const Case cases[] = {
        {"no samples", {}, {}},
        {"one sample", {4.0}, {}},
        {"centroid never moves", {2.0, 2.0, 2.0, 2.0}, {}},
        {"opens once and stays open", {0, 1, 5, 10, 8, 9}, {3}},
        {"two full cycles", {0, 4, 10, 6, 1, 0.5, 3, 5, 9, 2, 1.5, 0}, {2, 5, 8, 11}},
        {"a dip below 30 % but not below 20 % does not close", {0, 10, 2.5, 9, 1}, {1, 4}},
        {"ties keep the earliest sample", {0, 10, 10, 1, 1}, {1, 3}},
        // The thresholds are the single-precision 0.3 and 0.2: 3.00000005 is
        // not above 30 % of 10, 2.00000002 is below 20 % of it.
        {"single-precision open threshold", {0, 10, 1, 3.00000005, 0}, {1, 4}},
        {"single-precision close threshold", {0, 10, 2.00000002}, {1, 2}},
        {"distances count from the first sample", {5, 15, 5.5}, {1, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(movements_of(exercise_along_x(c.distances)), c.expected);
    }
}

TEST(OpenCloseMovements, NullArgumentsStoreNothing)
{
    const EmgExercise exercise = exercise_along_x({0, 10, 0});
    std::vector<std::int32_t> movements{7, 8};
    std::int32_t number = 2;
    std::string output = capture_stdout([&] {
        EXPECT_EQ(emg_analyze_open_close_movements(nullptr, &number, &exercise), 1);
        EXPECT_EQ(emg_analyze_open_close_movements(&movements, nullptr, &exercise), 1);
        EXPECT_EQ(emg_analyze_open_close_movements(&movements, &number, nullptr), 1);
    });
    EXPECT_EQ(output, "u ohh!\nu ohh!\nu ohh!\n");
    EXPECT_EQ(movements, (std::vector<std::int32_t>{7, 8}));
    EXPECT_EQ(number, 2);
}

TEST(OpenCloseMovements, GeneratedOpeningsAlternateBetweenWideAndRest)
{
    // Openings every 4 s; the third is still open when the 10 s end.
    ReportGeneratorOptions options;
    options.frequency = 100.0;
    options.duration = 10.0;
    const EmgExercise exercise = generated_exercise(options, 0);
    const std::vector<std::int32_t> movements = movements_of(exercise);
    ASSERT_EQ(movements.size(), 5u);
    double farthest = 0.0;
    for (const EmgDataPoint& s : exercise.data)
        farthest = std::max(farthest, emg_point_distance(&s, &exercise.data[0]));
    for (std::size_t j = 0; j < movements.size(); ++j) {
        const double d = emg_point_distance(&exercise.data[static_cast<std::size_t>(movements[j])], &exercise.data[0]);
        if (j % 2 == 0) {
            EXPECT_GT(d, 0.95 * farthest);
        } else {
            EXPECT_LT(d, 0.05 * farthest);
        }
        if (j > 0) {
            EXPECT_GT(movements[j], movements[j - 1]);
        }
    }
}

//-----------------------------------------------------------------------------
// Opening angle
//-----------------------------------------------------------------------------

// A jaw with condyles at z = +-50 and the incisal point turned about the
// intercondylar axis (the z axis) by `degrees`, right-handed.
EmgDataPoint jaw_turned(double degrees)
{
    const double a = degrees * std::numbers::pi / 180.0;
    EmgDataPoint s{};
    s.right = {0.0, 0.0, 50.0};
    s.left = {0.0, 0.0, -50.0};
    s.incisal = {95.0 * std::cos(a) + 40.0 * std::sin(a), 95.0 * std::sin(a) - 40.0 * std::cos(a), 0.0};
    return s;
}

TEST(RotationData, SignFollowsTheTurnAboutTheCondylarAxis)
{
    EmgReport report;
    EmgExercise exercise;
    exercise.data = {jaw_turned(0.0), jaw_turned(10.0), jaw_turned(-10.0), jaw_turned(-30.0)};
    exercise.data_length = 4;
    report.exercises = {EmgExercise{}, exercise};  // an exercise without samples is passed over
    report.exercises_number = 2;

    EXPECT_EQ(emg_compute_rotation_data(&report), 0);
    EXPECT_TRUE(report.has_rotation_data);
    const std::vector<EmgDataPoint>& data = report.exercises[1].data;
    // Degrees per radian as the single-precision 57.295826.
    const double factor = 57.29582595825195 * std::numbers::pi / 180.0;
    EXPECT_EQ(data[0].open, 0.0);
    EXPECT_NEAR(data[1].open, -10.0 * factor, 1e-9);  // right-handed about left-to-right: negative
    EXPECT_NEAR(data[2].open, 10.0 * factor, 1e-9);
    EXPECT_NEAR(data[3].open, 30.0 * factor, 1e-9);
}

TEST(RotationData, GeneratedOpeningMatchesTheTurnOfTheJaw)
{
    ReportGeneratorOptions options;
    options.frequency = 50.0;
    options.duration = 4.0;
    options.exercises = 2;
    EmgReport report;
    report.exercises = {generated_exercise(options, 0), generated_exercise(options, 1)};
    report.exercises_number = 2;
    emg_compute_rotation_data(&report);
    for (int e = 0; e < 2; ++e) {
        SCOPED_TRACE(report_generator_exercise_name(e));
        const EmgExercise& exercise = report.exercises[static_cast<std::size_t>(e)];
        EXPECT_EQ(exercise.data[0].open, 0.0);
        for (std::int32_t i = 0; i < exercise.data_length; ++i) {
            // Opening turns the chin down and back: a positive angle.
            EXPECT_NEAR(exercise.data[static_cast<std::size_t>(i)].open, report_generator_sample(options, e, i).open,
                        0.1);
        }
    }
}

//-----------------------------------------------------------------------------
// Dump
//-----------------------------------------------------------------------------

std::string format(const char* pattern, ...)
{
    char buffer[256];
    va_list arguments;
    va_start(arguments, pattern);
    std::vsnprintf(buffer, sizeof buffer, pattern, arguments);
    va_end(arguments);
    return buffer;
}

TEST(ReportDump, ShowsTheFirstSixSamplesOfEachExercise)
{
    EmgReport report;
    report.frequency = 100.0;
    report.calibration_left = {-50.5, 1.25, 0.0};
    report.calibration_incisal = {95.0, -40.0, 0.125};
    report.calibration_right = {50.0, 0.0, -1234.56789};
    EmgExercise exercise;
    exercise.name = "Chewing";
    exercise.length = 2.5;
    for (int j = 0; j < 10; ++j) {
        EmgDataPoint s{};
        s.left = {-50.0 + j, 0.5 * j, 0.0};
        s.incisal = {95.0, -40.0 - j, 0.25};
        s.right = {50.0, 0.0, 1.0 / 3.0};
        exercise.data.push_back(s);
    }
    exercise.data_length = 10;
    report.exercises.push_back(exercise);
    report.exercises_number = 1;

    const std::string output = capture_stdout([&] { emg_print(&report); });
    std::string expected = "\n" + format("EMG REPORT AT: %p\n", static_cast<const void*>(&report)) + "\n" +
                           "frequency: 100.000000\n"
                           "calibration left:      -50.5000     1.2500     0.0000\n"
                           "calibration incisal:    95.0000   -40.0000     0.1250\n"
                           "calibration right:      50.0000     0.0000 -1234.5679\n" +
                           format("EMG EXERCISE AT: %p\n", static_cast<const void*>(report.exercises.data())) +
                           "exercises_number: 1\n"
                           "\n"
                           "exercise[0]: name: Chewing\n"
                           "exercise[0]: length: 2.500000\n"
                           "exercise[0]: data_length: 10\n" +
                           format("exercise[0]: DATA AT: %p\n",
                                  static_cast<const void*>(report.exercises[0].data.data()));
    for (int j = 0; j < 6; ++j) {
        expected += format("exercise[0]: data[%d]: left:    %10.4f %10.4f     0.0000\n", j, -50.0 + j, 0.5 * j);
        expected += format("exercise[0]: data[%d]: incisal:    95.0000 %10.4f     0.2500\n", j, -40.0 - j);
        expected += format("exercise[0]: data[%d]: right:      50.0000     0.0000     0.3333\n", j);
    }
    expected += "...\n\n";
    EXPECT_EQ(output, expected);
}

}  // namespace
