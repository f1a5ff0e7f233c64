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
#include "tools/generated_report.hpp"

namespace {

constexpr double side = 750.0;

std::unique_ptr<EmgReport> make_report(double seconds)
{
    ReportGeneratorOptions options;
    options.duration = seconds;
    options.exercises = 5;
    std::unique_ptr<EmgReport> report = generated_report(options, true, true);
    report->has_emg_data = false;
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
