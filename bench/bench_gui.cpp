// The GUI's heavy paths under the offscreen driver, with the whole panel
// built as at start-up:
//
// BM_LoadDemoReport    gui_load_report of the bundled demo report: parse,
//                      exercise toggles, paths, grid copies, projection,
//                      motion analysis, fits, preset 1 with its widgets.
// BM_LoadLongReport    the same for a generated report of 4 exercises of
//                      60 000 samples (1 kHz, 60 s each).
// BM_SelectExercise    switching to the next exercise of the long report.
// BM_ApplyPreset       applying built-in presets 3 and 1 in turn to the long
//                      report (grid rebuild, every settings widget, fits).
//
// Run with SDL_VIDEODRIVER=offscreen where there is no display.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include <unistd.h>

#include "platform/resources/resources.hpp"
#include "platform/sdl_help.hpp"
#include "app/zelto.hpp"
#include "gui/gui.hpp"
#include "tools/report_generator.hpp"

namespace {

// The program's window, OpenGL state, font and GUI, as after start-up.
class BenchGui {
public:
    BenchGui()
    {
        if (std::getenv("SDL_VIDEODRIVER") == nullptr)
            SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
        initialize_SDL();
        zelto_user_event_type = SDL_RegisterEvents(1);
        window_ = open_window("Zelto benchmark", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                              ZELTO_WINDOW_WIDTH, ZELTO_WINDOW_HEIGHT, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        context_.reset(SDL_GL_CreateContext(window_.get()));
        if (context_ == nullptr)
            throw std::runtime_error(std::string("no OpenGL context: ") + SDL_GetError());
        zelto_set_gl_state();
        font_ = open_font_rw(font_bytes, font_size, 16);
        gui_ = gui_state_create();
        gui_state = gui_.get();
        gui_state_set_to_default_settings(gui_state);
        gui_state->window_width = ZELTO_WINDOW_WIDTH;
        gui_state->window_height = ZELTO_WINDOW_HEIGHT;
        gui_state->window = window_.get();
        gui_state->font = font_.get();
        gui_build(gui_state, ZELTO_WINDOW_HEIGHT);
    }
    ~BenchGui()
    {
        gui_state_free(std::move(gui_));
        gui_state = nullptr;
        font_.reset();
        context_.reset();
        window_.reset();
        close_SDL();
    }
    BenchGui(const BenchGui&) = delete;
    BenchGui& operator=(const BenchGui&) = delete;

    // Drops whatever the GUI posted (nothing here handles it).
    static void drain_events()
    {
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
            if (event.type == zelto_user_event_type) {
                const CMemoryPtr data1(event.user.data1);
                const CMemoryPtr data2(event.user.data2);
            }
        }
    }

private:
    WindowPtr window_;
    GlContextPtr context_;
    FontPtr font_;
    std::unique_ptr<GuiState> gui_;
};

BenchGui& bench_gui()
{
    static BenchGui gui;
    return gui;
}

std::string demo_report_path()
{
    // bench/ sits beside examples/ in the source tree.
    return (std::filesystem::path(__FILE__).parent_path().parent_path() / "examples" / "demo_report.tsv").string();
}

struct LongReport {
    std::filesystem::path directory;
    std::string path;
    std::int64_t samples = 0;

    LongReport()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "zelto_bench_gui_XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            std::abort();
        directory = pattern;
        path = (directory / "long_report.tsv").string();
        ReportGeneratorOptions options;
        options.frequency = 1000.0;
        options.duration = 60.0;
        options.exercises = 4;
        if (!report_generator_write_file(path.c_str(), options))
            std::abort();
        samples = static_cast<std::int64_t>(report_generator_sample_count(options)) * options.exercises;
    }
    ~LongReport()
    {
        std::error_code ignored;
        std::filesystem::remove_all(directory, ignored);
    }
    LongReport(const LongReport&) = delete;
    LongReport& operator=(const LongReport&) = delete;
};

const LongReport& long_report()
{
    static LongReport report;
    return report;
}

std::int64_t loaded_samples()
{
    std::int64_t n = 0;
    if (gui_state->report != nullptr)
        for (const EmgExercise& exercise : gui_state->report->exercises)
            n += emg_sample_count(&exercise);
    return n;
}

void load_for_benchmark(benchmark::State& state, const std::string& path)
{
    bench_gui();
    std::int64_t samples = 0;
    for (auto _ : state) {
        gui_load_report(path.c_str());
        BenchGui::drain_events();
        if (gui_state->report == nullptr) {
            state.SkipWithError("the report did not load");
            return;
        }
        samples = loaded_samples();
    }
    state.counters["samples"] = static_cast<double>(samples);
    state.SetItemsProcessed(state.iterations() * samples);
}

void BM_LoadDemoReport(benchmark::State& state)
{
    load_for_benchmark(state, demo_report_path());
}
BENCHMARK(BM_LoadDemoReport)->Unit(benchmark::kMillisecond);

void BM_LoadLongReport(benchmark::State& state)
{
    load_for_benchmark(state, long_report().path);
}
BENCHMARK(BM_LoadLongReport)->Unit(benchmark::kMillisecond);

void BM_SelectExercise(benchmark::State& state)
{
    bench_gui();
    gui_load_report(long_report().path.c_str());
    if (gui_state->report == nullptr) {
        state.SkipWithError("the report did not load");
        return;
    }
    for (auto _ : state)
        gui_set_selected_exercise_number(gui_state->selected_exercise + 1);
    BenchGui::drain_events();
    state.counters["samples"] = static_cast<double>(gui_state->verts_number);
}
BENCHMARK(BM_SelectExercise)->Unit(benchmark::kMillisecond);

void BM_ApplyPreset(benchmark::State& state)
{
    bench_gui();
    gui_load_report(long_report().path.c_str());
    if (gui_state->report == nullptr) {
        state.SkipWithError("the report did not load");
        return;
    }
    int n = 3;
    for (auto _ : state) {
        gui_state_load_preset(n);
        n = n == 3 ? 1 : 3;
    }
    BenchGui::drain_events();
    state.counters["samples"] = static_cast<double>(gui_state->verts_number);
}
BENCHMARK(BM_ApplyPreset)->Unit(benchmark::kMillisecond);

}  // namespace
