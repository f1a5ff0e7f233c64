// The tracing sheet of a 750-unit square, built from nothing (no caching):
//
// BM_TracingSheetDemo: the demo report (5 exercises of 10 s at 100 Hz).
// BM_TracingSheetHour: an hour of recording, 5 exercises of 12 minutes at
// 100 Hz (360 000 samples), built in memory from the report generator.
// BM_TracingMarksHour: a pass that only moves the current-sample marks of
// the hour's sheet, as playback does.
// The counters give the points the sheet draws.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "picture/tracing_picture.hpp"
#include "tools/report_generator.hpp"

namespace {

constexpr double side = 750.0;

std::unique_ptr<EmgReport> make_report(double seconds)
{
    ReportGeneratorOptions options;
    options.duration = seconds;
    options.exercises = 5;
    const auto to_vector = [](const GeneratedPoint& p) { return Vector3{p.x, p.y, p.z}; };
    auto report = std::make_unique<EmgReport>();
    report->frequency = options.frequency;
    const GeneratedSample rest = report_generator_calibration(options);
    report->calibration_left = to_vector(rest.left);
    report->calibration_incisal = to_vector(rest.incisal);
    report->calibration_right = to_vector(rest.right);
    const std::int32_t n = report_generator_sample_count(options);
    for (int e = 0; e < options.exercises; ++e) {
        EmgExercise exercise;
        exercise.name = report_generator_exercise_name(e);
        for (std::int32_t i = 0; i < n; ++i) {
            const GeneratedSample s = report_generator_sample(options, e, i);
            exercise.data.push_back({to_vector(s.left), to_vector(s.incisal), to_vector(s.right), s.open,
                                     s.lat_right, s.clockwise, s.channel1, s.channel2});
        }
        report->exercises.push_back(std::move(exercise));
    }
    report->exercises_number = options.exercises;
    report->has_rotation_data = true;
    return report;
}

double points_of(const Picture& picture)
{
    double points = 0;
    for (const PictureItem& item : picture.items)
        points += static_cast<double>(item.points.size());
    return points;
}

void build(benchmark::State& state, double seconds)
{
    const std::unique_ptr<EmgReport> report = make_report(seconds);
    double points = 0;
    for (auto _ : state) {
        TracingSheet sheet = tracing_picture_build(report.get(), 3, 100, side, side);
        points = points_of(sheet.picture);
        benchmark::DoNotOptimize(sheet);
    }
    state.counters["points"] = points;
}

void BM_TracingSheetDemo(benchmark::State& state)
{
    build(state, 10.0);
}
BENCHMARK(BM_TracingSheetDemo)->Unit(benchmark::kMillisecond);

void BM_TracingSheetHour(benchmark::State& state)
{
    build(state, 720.0);
}
BENCHMARK(BM_TracingSheetHour)->Unit(benchmark::kMillisecond);

void BM_TracingMarksHour(benchmark::State& state)
{
    const std::unique_ptr<EmgReport> report = make_report(720.0);
    TracingSheet sheet = tracing_picture_build(report.get(), 3, 100, side, side);
    std::int32_t sample = 0;
    for (auto _ : state) {
        sample = (sample + 7) % emg_sample_count(&report->exercises[3]);
        tracing_picture_mark(&sheet, report.get(), sample);
        benchmark::DoNotOptimize(sheet.picture.items.data());
    }
}
BENCHMARK(BM_TracingMarksHour)->Unit(benchmark::kMicrosecond);

}  // namespace
