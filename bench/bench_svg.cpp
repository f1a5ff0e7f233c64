// SVG export speed and file size for built-in preset 1's drawing (the left
// condyle's whole path with its 3 x 3 x 1 = 9 lattice copies, calibration,
// grid lines) on a 30 000-sample exercise of synthetic jaw motion.
//
//   bench_svg --benchmark_repetitions=5
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/screenshot_svg.hpp"
#include "gui/gui.hpp"
#include "svg/svg_writer.hpp"
#include "tests/jaw_motion.hpp"

namespace {

constexpr int drawing_size = 750;

struct Preset1Scene {
    InteractableViewport3d viewport;  // a record without a texture: no OpenGL needed
    std::unique_ptr<GuiState> state;

    Preset1Scene()
    {
        state = gui_state_create();
        gui_state_set_to_default_settings(state.get());
        jaw_motion::apply_preset_switches(state.get(), state->presets[1]);
        viewport.w = drawing_size;
        viewport.h = drawing_size;
        viewport.near = static_cast<double>(0.1f);
        viewport.far = 1000.0;
        viewport.fov = 90.0;
        viewport.camera_z = -120.0;  // the whole motion in view
        viewport.yaw = 180.0;
        state->viewport = &viewport;

        jaw_motion::Motion motion;
        motion.samples = 30000;
        motion.cycles = 20;
        jaw_motion::load(state.get(), jaw_motion::samples(motion), jaw_motion::turning_samples(motion));
        state->animation_position = 12345.6;
    }
};

Preset1Scene& scene()
{
    static Preset1Scene built;  // built once, outside the timed loops
    return built;
}

void BM_SvgExportPreset1InMemory(benchmark::State& st)
{
    Preset1Scene& s = scene();
    std::size_t bytes = 0;
    for (auto _ : st) {
        SvgStringSink sink;
        screenshot_svg_write(sink, *s.state, drawing_size);
        bytes = sink.text().size();
        benchmark::DoNotOptimize(bytes);
    }
    st.counters["file_bytes"] = static_cast<double>(bytes);
    st.SetBytesProcessed(static_cast<std::int64_t>(bytes) * st.iterations());
}
BENCHMARK(BM_SvgExportPreset1InMemory)->Unit(benchmark::kMillisecond);

// The whole screenshot: file name, file creation, writing, closing.
void BM_SvgExportPreset1ToFile(benchmark::State& st)
{
    Preset1Scene& s = scene();
    std::string pattern = (std::filesystem::temp_directory_path() / "zelto_bench_XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        st.SkipWithError("no temporary directory");
        return;
    }
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(pattern);
    gui_state = s.state.get();
    std::uintmax_t bytes = 0;
    for (auto _ : st) {
        screenshot_svg(drawing_size);
        st.PauseTiming();
        for (const auto& entry : std::filesystem::directory_iterator(pattern)) {
            bytes = entry.file_size();
            std::filesystem::remove(entry.path());
        }
        st.ResumeTiming();
    }
    gui_state = nullptr;
    std::filesystem::current_path(previous);
    std::filesystem::remove_all(pattern);
    st.counters["file_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_SvgExportPreset1ToFile)->Unit(benchmark::kMillisecond);

}  // namespace
