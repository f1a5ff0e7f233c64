// Loading a large report: 4 exercises of 250 000 samples (1 000 000 in all)
// with every column, generated once into a temporary directory.
//
// BM_LoadReport times emg_extract_3d (bytes_per_second is the file's bytes).
// BM_LoadReportPeakMemory loads once in a child process and reports how far
// the load raised the process's peak resident memory (peak_MB) against the
// size of the report it built (report_MB).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

#include "report/emg_processing.hpp"
#include "tools/report_generator.hpp"

namespace {

struct GeneratedReport {
    std::filesystem::path directory;
    std::string path;
    double bytes = 0.0;
    std::int64_t samples = 0;

    GeneratedReport()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "zelto_bench_XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            std::abort();
        directory = pattern;
        path = (directory / "large_report.tsv").string();
        ReportGeneratorOptions options;
        options.frequency = 1000.0;
        options.duration = 250.0;
        options.exercises = 4;
        options.angles = true;
        options.emg = true;
        if (!report_generator_write_file(path.c_str(), options))
            std::abort();
        bytes = static_cast<double>(std::filesystem::file_size(path));
        samples = static_cast<std::int64_t>(report_generator_sample_count(options)) * options.exercises;
    }
    ~GeneratedReport()
    {
        std::error_code ignored;
        std::filesystem::remove_all(directory, ignored);
    }
    GeneratedReport(const GeneratedReport&) = delete;
    GeneratedReport& operator=(const GeneratedReport&) = delete;
};

const GeneratedReport& generated_report()
{
    static const GeneratedReport report;
    return report;
}

double report_bytes(const EmgReport& report)
{
    double bytes = sizeof report;
    for (const EmgExercise& exercise : report.exercises) {
        bytes += sizeof exercise + static_cast<double>(exercise.name.capacity());
        bytes += static_cast<double>(exercise.data.capacity() * sizeof(EmgDataPoint));
    }
    return bytes;
}

void BM_LoadReport(benchmark::State& state)
{
    const GeneratedReport& file = generated_report();
    for (auto _ : state) {
        std::unique_ptr<EmgReport> report;
        if (emg_extract_3d(&report, file.path.c_str()) != 0) {
            state.SkipWithError("the report did not load");
            break;
        }
        benchmark::DoNotOptimize(report.get());
        state.PauseTiming();
        emg_free(std::move(report));
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.bytes));
    state.counters["samples"] = static_cast<double>(file.samples);
    state.counters["file_MB"] = file.bytes / 1e6;
}
BENCHMARK(BM_LoadReport)->Unit(benchmark::kMillisecond)->UseRealTime();

// kB from a "Name:   123 kB" line of /proc/self/status.
double status_kilobytes(const char* name)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(name, 0) == 0)
            return std::atof(line.c_str() + std::strlen(name));
    }
    return 0.0;
}

struct MemoryFigures {
    double peak_increase;  // bytes
    double report;         // bytes
};

void BM_LoadReportPeakMemory(benchmark::State& state)
{
    const GeneratedReport& file = generated_report();
    MemoryFigures figures{0.0, 0.0};
    for (auto _ : state) {
        int channel[2];
        if (pipe(channel) != 0) {
            state.SkipWithError("pipe");
            break;
        }
        const pid_t child = fork();
        if (child == 0) {
            // A fresh peak for this process, then one load.
            std::ofstream("/proc/self/clear_refs") << "5";
            const double before = status_kilobytes("VmRSS:");
            std::unique_ptr<EmgReport> report;
            MemoryFigures measured{-1.0, 0.0};
            if (emg_extract_3d(&report, file.path.c_str()) == 0) {
                measured.peak_increase = (status_kilobytes("VmHWM:") - before) * 1024.0;
                measured.report = report_bytes(*report);
            }
            const bool sent = write(channel[1], &measured, sizeof measured) == sizeof measured;
            _exit(sent ? 0 : 1);
        }
        close(channel[1]);
        const bool received = read(channel[0], &figures, sizeof figures) == sizeof figures;
        close(channel[0]);
        int status = 0;
        waitpid(child, &status, 0);
        if (!received || figures.peak_increase < 0.0) {
            state.SkipWithError("the child could not load the report");
            break;
        }
    }
    state.counters["peak_MB"] = figures.peak_increase / 1e6;
    state.counters["report_MB"] = figures.report / 1e6;
    state.counters["peak_per_report"] = figures.report > 0.0 ? figures.peak_increase / figures.report : 0.0;
    state.counters["file_MB"] = file.bytes / 1e6;
}
BENCHMARK(BM_LoadReportPeakMemory)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace
