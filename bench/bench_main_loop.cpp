// The longest pass of the real main loop while long work runs, on an
// hour-long report (100 Hz, 3600 s, one exercise, angles and EMG):
//
// BM_PassesWhileLoading    a drop of the report on the shown window starts
//                          the load; passes run until it is in place and
//                          its whole paths fill the view. longest_pass_ms is
//                          the longest pass, passes how many ran. The
//                          window's own first passes, before the drop, are
//                          start-up: first_pass_ms is the first of them.
// BM_PassesFirstWholePath  the report loaded, the whole path is switched on
//                          through its toggle; passes run until the scene
//                          has drawn it for 20 passes. Every load ends in
//                          preset 1, which already shows the whole paths of
//                          the grid copies, so their first computation falls
//                          in the last pass of BM_PassesWhileLoading; this
//                          one times the passes that follow.
//
// Compare the medians of longest_pass_ms (--benchmark_repetitions=5). Run with
// SDL_VIDEODRIVER=offscreen where there is no display.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "app/zelto.hpp"
#include "gui/gui.hpp"
#include "tools/report_generator.hpp"

namespace {

struct HourReport {
    std::filesystem::path directory;
    std::string path;

    HourReport()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "zelto_bench_loop_XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            std::abort();
        directory = pattern;
        path = (directory / "hour_report.tsv").string();
        ReportGeneratorOptions options;
        options.frequency = 100.0;
        options.duration = 3600.0;
        options.exercises = 1;
        options.angles = true;
        options.emg = true;
        if (!report_generator_write_file(path.c_str(), options))
            std::abort();
    }
    ~HourReport()
    {
        std::error_code ignored;
        std::filesystem::remove_all(directory, ignored);
    }
    HourReport(const HourReport&) = delete;
    HourReport& operator=(const HourReport&) = delete;
};

const HourReport& hour_report()
{
    static HourReport report;
    return report;
}

// The started program, without a report; shut down with the object.
class StartedLoop {
public:
    StartedLoop()
    {
        if (std::getenv("SDL_VIDEODRIVER") == nullptr)
            setenv("SDL_VIDEODRIVER", "offscreen", 1);
        char program[] = "zelto";
        char* argv[] = {program, nullptr};
        zelto_start(&loop, 1, argv);
    }
    ~StartedLoop() { zelto_shutdown(&loop); }
    StartedLoop(const StartedLoop&) = delete;
    StartedLoop& operator=(const StartedLoop&) = delete;

    // One pass; returns its duration in ms.
    double pass()
    {
        const auto start = std::chrono::steady_clock::now();
        zelto_pass(&loop);
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    }

    ZeltoLoop loop;
};

// Drops the report on the window, as a file manager would.
void drop_report(const std::string& path)
{
    SDL_Event drop{};
    drop.type = SDL_DROPFILE;
    drop.drop.file = SDL_strdup(path.c_str());
    SDL_PushEvent(&drop);
}

bool report_in_place(const GuiState* state, std::uint64_t loads_before)
{
    return state->report_loads != loads_before && state->report != nullptr && state->verts_number > 0;
}

void BM_PassesWhileLoading(benchmark::State& state)
{
    const std::string& path = hour_report().path;
    double longest = 0.0;
    double passes = 0.0;
    double first_pass = 0.0;
    for (auto _ : state) {
        StartedLoop started;
        first_pass = started.pass();
        for (int n = 0; n < 4; ++n)
            started.pass();
        const std::uint64_t before = started.loop.gui->report_loads;
        drop_report(path);
        int n = 0;
        double worst = 0.0;
        while (n < 100000 && !report_in_place(started.loop.gui.get(), before)) {
            worst = std::max(worst, started.pass());
            ++n;
        }
        // The pass that puts the report in place, then those that fill the
        // view with its whole paths.
        do {
            worst = std::max(worst, started.pass());
            ++n;
        } while (n < 100000 && !started.loop.layer_valid);
        longest = worst;
        passes = n;
    }
    state.counters["longest_pass_ms"] = longest;
    state.counters["passes"] = passes;
    state.counters["first_pass_ms"] = first_pass;
}
BENCHMARK(BM_PassesWhileLoading)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_PassesFirstWholePath(benchmark::State& state)
{
    const std::string& path = hour_report().path;
    double longest = 0.0;
    for (auto _ : state) {
        StartedLoop started;
        GuiState* gui = started.loop.gui.get();
        const std::uint64_t before = gui->report_loads;
        drop_report(path);
        for (int n = 0; n < 100000 && !report_in_place(gui, before); ++n)
            started.pass();
        for (int n = 0; n < 5; ++n)
            started.pass();
        interactable_toggle_set_state(gui->all_exercise_verts_toggle, 1, 1);
        double worst = 0.0;
        for (int n = 0; n < 20; ++n)
            worst = std::max(worst, started.pass());
        longest = worst;
    }
    state.counters["longest_pass_ms"] = longest;
}
BENCHMARK(BM_PassesFirstWholePath)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
