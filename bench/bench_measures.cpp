// The measures of every exercise of a large report: 4 exercises of 250 000
// samples (1 000 000 in all), built in memory from the report generator.
//
// BM_MeasuresOfReport: the report as the viewer holds it after loading, with
// the opening angle of every sample known (items_per_second: samples).
// BM_MeasuresOfReportComputingAngles: a report whose file has no angle
// columns, measured without the viewer, so every sample's opening angle is
// computed on the way.
// BM_MeasuresCsv: the same as the first, written as CSV rows.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "report/emg_measures.hpp"
#include "tools/generated_report.hpp"

namespace {

std::unique_ptr<EmgReport> make_report(bool angles)
{
    ReportGeneratorOptions options;
    options.frequency = 1000.0;
    options.duration = 250.0;
    options.exercises = 4;
    // Recorded angles or none; the EMG columns filled as before.
    std::unique_ptr<EmgReport> report = generated_report(options, true, true);
    report->has_rotation_data = angles;
    report->has_emg_data = false;
    return report;
}

const EmgReport& report_with_angles()
{
    static const std::unique_ptr<EmgReport> report = make_report(true);
    return *report;
}

const EmgReport& report_without_angles()
{
    static const std::unique_ptr<EmgReport> report = make_report(false);
    return *report;
}

std::int64_t samples_of(const EmgReport& report)
{
    std::int64_t samples = 0;
    for (const EmgExercise& exercise : report.exercises)
        samples += emg_sample_count(&exercise);
    return samples;
}

void BM_MeasuresOfReport(benchmark::State& state)
{
    const EmgReport& report = report_with_angles();
    for (auto _ : state)
        benchmark::DoNotOptimize(emg_measures_of_report(&report));
    state.SetItemsProcessed(state.iterations() * samples_of(report));
}
BENCHMARK(BM_MeasuresOfReport)->Unit(benchmark::kMillisecond);

void BM_MeasuresOfReportComputingAngles(benchmark::State& state)
{
    const EmgReport& report = report_without_angles();
    for (auto _ : state)
        benchmark::DoNotOptimize(emg_measures_of_report(&report));
    state.SetItemsProcessed(state.iterations() * samples_of(report));
}
BENCHMARK(BM_MeasuresOfReportComputingAngles)->Unit(benchmark::kMillisecond);

void BM_MeasuresCsv(benchmark::State& state)
{
    const EmgReport& report = report_with_angles();
    for (auto _ : state) {
        std::string text;
        emg_measures_csv_header(&text);
        emg_measures_csv_rows(&text, "large_report.tsv", &report);
        benchmark::DoNotOptimize(text);
    }
    state.SetItemsProcessed(state.iterations() * samples_of(report));
}
BENCHMARK(BM_MeasuresCsv)->Unit(benchmark::kMillisecond);

}  // namespace
