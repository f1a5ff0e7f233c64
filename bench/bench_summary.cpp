// The summary document of a report, laid out and written as PDF into a
// scratch file, as the Summary PDF button and `--format pdf` write it.
//
// BM_SummaryDemo: the demo report (5 exercises of 1 000 samples).
// BM_SummaryHour: an hour at 100 Hz in one exercise with angles and EMG
// (360 000 samples), generated in memory.
// Run with --benchmark_repetitions=5 for medians.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "pdf/summary_pdf.hpp"
#include "tools/generated_report.hpp"

namespace {

std::unique_ptr<EmgReport> demo_report()
{
    std::unique_ptr<EmgReport> report;
    const std::string path =
        (std::filesystem::path(__FILE__).parent_path().parent_path() / "examples" / "demo_report.tsv").string();
    if (emg_extract_3d(&report, path.c_str()) == 0)
        emg_compute_rotation_data(report.get());
    return report;
}

std::unique_ptr<EmgReport> hour_report()
{
    ReportGeneratorOptions options;
    options.frequency = 100.0;
    options.duration = 3600.0;
    options.exercises = 1;
    return generated_report(options, true, true);
}

void write_summary(benchmark::State& state, const EmgReport& report)
{
    const SummaryInput input{&report, "report.tsv", "2026-12-07 10:00", "2026-12-07 10:05", "bench", {}, {}, {}, {}};
    for (auto _ : state) {
        std::FILE* file = std::tmpfile();
        std::string why;
        if (file == nullptr || !summary_pdf_write_stream(file, input, &why))
            state.SkipWithError(why.c_str());
        state.counters["bytes"] = file != nullptr ? static_cast<double>(std::ftell(file)) : 0.0;
        if (file != nullptr)
            std::fclose(file);
    }
}

void BM_SummaryDemo(benchmark::State& state)
{
    static const std::unique_ptr<EmgReport> report = demo_report();
    if (report == nullptr) {
        state.SkipWithError("the demo report could not be loaded");
        return;
    }
    write_summary(state, *report);
}
BENCHMARK(BM_SummaryDemo)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SummaryHour(benchmark::State& state)
{
    static const std::unique_ptr<EmgReport> report = hour_report();
    write_summary(state, *report);
}
BENCHMARK(BM_SummaryHour)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
