// Comparing with a baseline, for the demo's size (5 exercises of 10 s at
// 100 Hz) and an hour of recording (5 exercises of 12 minutes at 100 Hz,
// 360 000 samples), both built in memory from the report generator; the
// baseline is a second seed of the same size:
//
// BM_ComparisonAlign: bringing the baseline into the report's space and
// pairing the exercises, what the window does once per report loaded.
// BM_ComparisonSheet: the comparison sheet of a 750-unit square (the
// figures of both recordings and left against right), built from nothing.
// BM_ComparisonCsv: the measures' CSV with the changes.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "picture/comparison_picture.hpp"
#include "report/emg_comparison.hpp"
#include "tools/generated_report.hpp"

namespace {

std::unique_ptr<EmgReport> make_report(double seconds, std::uint64_t seed)
{
    ReportGeneratorOptions options;
    options.duration = seconds;
    options.exercises = 5;
    options.seed = seed;
    return generated_report(options, true, false);
}

void align(benchmark::State& state, double seconds)
{
    const auto report = make_report(seconds, 1);
    const auto baseline = make_report(seconds, 2);
    for (auto _ : state) {
        const auto aligned = emg_comparison_aligned(*report, *baseline);
        benchmark::DoNotOptimize(
            emg_comparison_pairs(emg_measures_of_report(report.get()), emg_measures_of_report(aligned.get())));
    }
}

void sheet(benchmark::State& state, double seconds)
{
    const auto report = make_report(seconds, 1);
    const auto baseline = emg_comparison_aligned(*report, *make_report(seconds, 2));
    for (auto _ : state) {
        ComparisonSheetInput input;
        input.report = report.get();
        input.report_name = "now.tsv";
        input.exercise = 0;
        input.baseline = baseline.get();
        input.baseline_name = "before.tsv";
        input.baseline_exercise = 0;
        benchmark::DoNotOptimize(comparison_picture_build(input, 750, 750));
    }
}

void csv(benchmark::State& state, double seconds)
{
    const auto report = make_report(seconds, 1);
    const auto baseline = emg_comparison_aligned(*report, *make_report(seconds, 2));
    for (auto _ : state) {
        std::string out;
        emg_comparison_csv_header(&out);
        emg_comparison_csv_rows(&out, "now.tsv", report.get(), "before.tsv", baseline.get());
        benchmark::DoNotOptimize(out);
    }
}

void BM_ComparisonAlignDemo(benchmark::State& state) { align(state, 10.0); }
void BM_ComparisonAlignHour(benchmark::State& state) { align(state, 720.0); }
void BM_ComparisonSheetDemo(benchmark::State& state) { sheet(state, 10.0); }
void BM_ComparisonSheetHour(benchmark::State& state) { sheet(state, 720.0); }
void BM_ComparisonCsvHour(benchmark::State& state) { csv(state, 720.0); }

}  // namespace

BENCHMARK(BM_ComparisonAlignDemo)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComparisonAlignHour)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComparisonSheetDemo)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComparisonSheetHour)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComparisonCsvHour)->Unit(benchmark::kMillisecond);
