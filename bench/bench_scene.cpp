// Passes of the real program under the offscreen driver at 1100 x 750 on a
// 30 000-sample exercise: the drawing of one pass (scene, inspection,
// widgets; glFinish so the rasterisation counts), the inspection alone, and
// the rebuild and fit of the jaw vertex pipeline.
//
//   (a) built-in preset 1, as after every load: the left condyle's whole
//       path with its 9 grid copies, the calibration and the grid lines;
//   (b) grid amounts (2, 2, 2) on all three points with the whole paths.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "app/zelto.hpp"
#include "tools/report_generator.hpp"

namespace {

// One program for all benchmarks: opening a window per benchmark would
// restart SDL each time.
struct BenchProgram {
    ZeltoLoop loop;
    std::filesystem::path report;

    BenchProgram()
    {
        report = std::filesystem::temp_directory_path() / "zelto_bench_scene.tsv";
        ReportGeneratorOptions options;
        options.frequency = 100;
        options.duration = 300;  // 30 000 samples
        options.exercises = 1;
        options.angles = true;
        report_generator_write_file(report.c_str(), options);
        std::string path = report.string();
        char program[] = "zelto";
        char* argv[] = {program, path.data(), nullptr};
        zelto_start(&loop, 2, argv);
    }
    ~BenchProgram()
    {
        zelto_shutdown(&loop);
        std::filesystem::remove(report);
    }
};

BenchProgram& program()
{
    static BenchProgram instance;
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
// previous pass), as while dragging in the view.
void BM_Pass_Preset1_Direct(benchmark::State& state)
{
    BenchProgram& p = program();
    setup_preset_1();
    p.loop.layer_cache_enabled = false;
    for (auto _ : state) {
        zelto_draw_frame(&p.loop);
        glFinish();
    }
    p.loop.layer_cache_enabled = true;
}
BENCHMARK(BM_Pass_Preset1_Direct)->Unit(benchmark::kMillisecond);

BENCHMARK(BM_Pipeline_RebuildAndFit_FullGrid)->Unit(benchmark::kMillisecond)->Iterations(5);
