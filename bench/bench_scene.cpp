// Passes of the real program under the offscreen driver at 1100 x 750 on a
// 30 000-sample exercise (5 minutes at 100 Hz; the benchmarks with an
// argument also on 360 000 samples, an hour): the drawing of one pass
// (scene, inspection, widgets; glFinish so the rasterisation counts), the
// inspection alone, the end of a drag, and the rebuild and fit of the jaw
// vertex pipeline.
//
//   (a) built-in preset 1, as after every load: the left condyle's whole
//       path with its 9 grid copies, the calibration and the grid lines;
//   (b) grid amounts (2, 2, 2) on all three points with the whole paths.
//
// The time chart of the "Measures" page on the same exercises: a pass that
// only moves its cursor (the cursor set as every pass sets it, the chart's
// render and blit), the values under a moving pointer, and the chart built
// and drawn again (a new exercise or report).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "app/zelto.hpp"
#include "tools/report_generator.hpp"

namespace {

// One program for all benchmarks: opening a window per benchmark would
// restart SDL each time. It starts with the 30 000-sample report; a
// benchmark on the hour-long one loads that (outside the timing).
struct BenchProgram {
    ZeltoLoop loop;
    std::filesystem::path reports[2];
    int loaded = 0;

    BenchProgram()
    {
        const double durations[2] = {300, 3600};  // 30 000 and 360 000 samples
        for (int k = 0; k < 2; ++k) {
            reports[k] = std::filesystem::temp_directory_path()
                       / ("zelto_bench_scene_" + std::to_string(static_cast<int>(durations[k])) + ".tsv");
            ReportGeneratorOptions options;
            options.frequency = 100;
            options.duration = durations[k];
            options.exercises = 1;
            options.angles = true;
            report_generator_write_file(reports[k].c_str(), options);
        }
        std::string path = reports[0].string();
        char program[] = "zelto";
        char* argv[] = {program, path.data(), nullptr};
        zelto_start(&loop, 2, argv);
    }
    ~BenchProgram()
    {
        zelto_shutdown(&loop);
        for (const auto& report : reports)
            std::filesystem::remove(report);
    }
    // Loads the report of `samples` (30 000 or 360 000) unless it is loaded.
    void use(std::int64_t samples)
    {
        const int wanted = samples > 30000 ? 1 : 0;
        if (wanted != loaded) {
            gui_load_report(reports[wanted].c_str());
            gui_load_finish(gui_state);
            loaded = wanted;
        }
    }
};

BenchProgram& program(std::int64_t samples = 30000)
{
    static BenchProgram instance;
    instance.use(samples);
    return instance;
}

void setup_preset_1()
{
    gui_state_load_preset(1);
}

void setup_full_grid()
{
    GuiState* s = gui_state;
    gui_state_load_preset(0);
    s->draw_l_vertex = s->draw_i_vertex = s->draw_r_vertex = true;
    s->draw_extrapolation_l = s->draw_extrapolation_i = s->draw_extrapolation_r = true;
    s->draw_all_exercise_verts = true;
    s->extrapolation_x_amount = s->extrapolation_y_amount = s->extrapolation_z_amount = 2;
    gui_build_extrapolated_and_projected_jaw_vertices();
    gui_fit_display_to_verts();
}

void pass(benchmark::State& state, void (*setup)())
{
    BenchProgram& p = program();
    setup();
    p.loop.picking_enabled = true;
    // The first passes after a change draw the whole scene and keep the
    // layer of whole paths; the passes measured restore it.
    for (int warm = 0; warm < 3; ++warm)
        zelto_draw_frame(&p.loop);
    glFinish();
    for (auto _ : state) {
        zelto_draw_frame(&p.loop);
        glFinish();
    }
    state.counters["copies"] = gui_state->extrapolations_number;
}

void inspection(benchmark::State& state, void (*setup)())
{
    BenchProgram& p = program();
    setup();
    gui_state->locked_point = -1;
    // The first search after a new projection builds the index (measured
    // on its own below).
    inspection_run(gui_state, &p.loop.inspection, 375, 375, &p.loop.hovered_point, &p.loop.hovered_kind);
    // The mouse over the middle of the view, among the paths, moving a
    // little every pass.
    int i = 0;
    for (auto _ : state) {
        const int mouse_x = 375 + (i % 40) - 20, mouse_y = 375 + (i % 30) - 15;
        inspection_run(gui_state, &p.loop.inspection, mouse_x, mouse_y, &p.loop.hovered_point,
                       &p.loop.hovered_kind);
        ++i;
    }
}

void BM_Pass_Preset1(benchmark::State& state) { pass(state, setup_preset_1); }
void BM_Pass_FullGrid(benchmark::State& state) { pass(state, setup_full_grid); }
void BM_Inspection_Preset1(benchmark::State& state) { inspection(state, setup_preset_1); }
void BM_Inspection_FullGrid(benchmark::State& state) { inspection(state, setup_full_grid); }

// The first search after a new projection builds the index.
void BM_Inspection_FullGrid_AfterReprojection(benchmark::State& state)
{
    BenchProgram& p = program();
    setup_full_grid();
    for (auto _ : state) {
        state.PauseTiming();
        gui_build_projected_jaw_vertices();
        state.ResumeTiming();
        inspection_run(gui_state, &p.loop.inspection, 375, 375, &p.loop.hovered_point, &p.loop.hovered_kind);
    }
}

void BM_Pipeline_RebuildAndFit_FullGrid(benchmark::State& state)
{
    program();
    setup_full_grid();
    for (auto _ : state) {
        gui_build_extrapolated_and_projected_jaw_vertices();
        gui_fit_display_to_verts();
    }
    state.counters["points"] = 3.0 * gui_state->extrapolations_number * gui_state->extrapolated_verts_number;
}

}  // namespace

BENCHMARK(BM_Pass_Preset1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Inspection_Preset1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Pass_FullGrid)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Inspection_FullGrid)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Inspection_FullGrid_AfterReprojection)->Unit(benchmark::kMillisecond)->Iterations(5);
// A pass that draws everything (the camera or the grid changed since the
// previous pass), as while dragging in the view: the kept layer is off.
void direct_pass(benchmark::State& state, void (*setup)())
{
    BenchProgram& p = program(state.range(0));
    setup();
    p.loop.layer_cache_enabled = false;
    zelto_draw_frame(&p.loop);  // what the first pass after a change builds
    glFinish();
    for (auto _ : state) {
        zelto_draw_frame(&p.loop);
        glFinish();
    }
    p.loop.layer_cache_enabled = true;
    state.counters["samples"] = gui_state->verts_number;
}
void BM_Pass_Preset1_Direct(benchmark::State& state) { direct_pass(state, setup_preset_1); }
void BM_Pass_FullGrid_Direct(benchmark::State& state) { direct_pass(state, setup_full_grid); }
BENCHMARK(BM_Pass_Preset1_Direct)->Unit(benchmark::kMillisecond)->Arg(30000)->Arg(360000);
BENCHMARK(BM_Pass_FullGrid_Direct)->Unit(benchmark::kMillisecond)->Arg(30000);

// The end of a drag in the view: the re-projection the main loop asks for,
// then the first inspection with the new camera.
void BM_DragEnd_FullGrid(benchmark::State& state)
{
    BenchProgram& p = program(state.range(0));
    setup_full_grid();
    gui_state->locked_point = -1;
    // What the grid's rebuild prepares for the inspection is done before a
    // drag starts (the passes shown while the grid was set up).
    inspection_run(gui_state, &p.loop.inspection, 375, 375, &p.loop.hovered_point, &p.loop.hovered_kind);
    InteractableViewport3d* viewport = gui_state->viewport;
    for (auto _ : state) {
        state.PauseTiming();
        viewport->yaw += 1.0;  // the drag turned the view
        state.ResumeTiming();
        gui_build_projected_jaw_vertices();
        inspection_run(gui_state, &p.loop.inspection, 375, 375, &p.loop.hovered_point, &p.loop.hovered_kind);
    }
}
BENCHMARK(BM_DragEnd_FullGrid)->Unit(benchmark::kMillisecond)->Arg(30000)->Iterations(5);

BENCHMARK(BM_Pipeline_RebuildAndFit_FullGrid)->Unit(benchmark::kMillisecond)->Iterations(5);

// The chart on its page, built for the exercise of `samples`.
InteractableChart* shown_chart(std::int64_t samples)
{
    program(samples);
    gui_activate_specific_page('i');
    InteractableChart* chart = gui_state->chart;
    chart->render();
    return chart;
}

void BM_Chart_CursorPass(benchmark::State& state)
{
    InteractableChart* chart = shown_chart(state.range(0));
    const double n = static_cast<double>(gui_state->verts_number);
    for (auto _ : state) {
        gui_state->animation_position = std::fmod(gui_state->animation_position + 7.0, n);
        gui_update_chart_cursor();
        chart->render();
        chart->blit(gui_state->window_width, gui_state->window_height);
        glFinish();
    }
    gui_activate_specific_page('b');
    state.counters["samples"] = n;
}
BENCHMARK(BM_Chart_CursorPass)->Unit(benchmark::kMicrosecond)->Arg(30000)->Arg(360000);

void BM_Chart_PointerMoves(benchmark::State& state)
{
    InteractableChart* chart = shown_chart(state.range(0));
    std::int32_t column = 0;
    for (auto _ : state) {
        chart->hover_column = column;
        column = (column + 3) % chart->chart.time.columns;
        chart->render();
        chart->blit(gui_state->window_width, gui_state->window_height);
        glFinish();
    }
    chart->hover_column = -1;
    gui_activate_specific_page('b');
}
BENCHMARK(BM_Chart_PointerMoves)->Unit(benchmark::kMicrosecond)->Arg(30000);

void BM_Chart_Rebuild(benchmark::State& state)
{
    InteractableChart* chart = shown_chart(state.range(0));
    for (auto _ : state) {
        interactable_chart_set_chart(chart, emg_chart_build(gui_state->report.get(), 0, chart->w, chart->h));
        chart->render();
        glFinish();
    }
    gui_activate_specific_page('b');
    state.counters["samples"] = static_cast<double>(gui_state->verts_number);
}
BENCHMARK(BM_Chart_Rebuild)->Unit(benchmark::kMillisecond)->Arg(30000)->Arg(360000);

// An idle pass without a report: the black view with the cube and axes, the
// panel, the buffer swap (the 10 ms pacing delay left out).
void BM_Pass_Idle(benchmark::State& state)
{
    BenchProgram& p = program();
    gui_load_report("");  // no report any more ("Bad report load")
    gui_load_finish(gui_state);
    for (auto _ : state) {
        zelto_draw_frame(&p.loop);
        SDL_GL_SwapWindow(p.loop.window.get());
        glFinish();
    }
}
// Registered last: it unloads the report the others use.
BENCHMARK(BM_Pass_Idle)->Unit(benchmark::kMillisecond);
