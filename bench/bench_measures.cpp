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
#include "tools/report_generator.hpp"

namespace {

std::unique_ptr<EmgReport> make_report(bool angles)
{
    ReportGeneratorOptions options;
    options.frequency = 1000.0;
    options.duration = 250.0;
    options.exercises = 4;
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
        exercise.data.reserve(static_cast<std::size_t>(n));
        for (std::int32_t i = 0; i < n; ++i) {
            const GeneratedSample s = report_generator_sample(options, e, i);
            exercise.data.push_back({to_vector(s.left), to_vector(s.incisal), to_vector(s.right), s.open,
                                     s.lat_right, s.clockwise, s.channel1, s.channel2});
        }
        report->exercises.push_back(std::move(exercise));
    }
    report->exercises_number = options.exercises;
    report->has_rotation_data = angles;
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
