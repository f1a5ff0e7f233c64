// Drawing through the 3D viewport: a whole switched path and a cloud of
// points, as the scene draws them every frame. Each iteration ends with
// glFinish so the GPU's (here: llvmpipe's) work is counted, not only the
// submission. Run with SDL_VIDEODRIVER=offscreen where there is no display.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/sdl_help.hpp"
#include "app/zelto.hpp"
#include "widgets/interactable_viewport3d.hpp"

namespace {

// The program's window and OpenGL state, with the 3D square cleared black.
class BenchWindow {
public:
    BenchWindow()
    {
        if (std::getenv("SDL_VIDEODRIVER") == nullptr)
            SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
        initialize_SDL();
        window_ = open_window("Zelto benchmark", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                              ZELTO_WINDOW_WIDTH, ZELTO_WINDOW_HEIGHT, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        context_.reset(SDL_GL_CreateContext(window_.get()));
        if (context_ == nullptr)
            throw std::runtime_error(std::string("no OpenGL context: ") + SDL_GetError());
        zelto_set_gl_state();
        glViewport(0, 0, ZELTO_WINDOW_HEIGHT, ZELTO_WINDOW_HEIGHT);
        glDepthFunc(GL_LESS);
        viewport_ = interactable_viewport3d_create(0, 0, ZELTO_WINDOW_HEIGHT, ZELTO_WINDOW_HEIGHT, &c_white,
                                                   &c_black, nullptr, static_cast<double>(0.1f), 1000.0, 90.0);
    }
    ~BenchWindow()
    {
        viewport_.reset();
        context_.reset();
        window_.reset();
        close_SDL();
    }
    BenchWindow(const BenchWindow&) = delete;
    BenchWindow& operator=(const BenchWindow&) = delete;

    const InteractableViewport3d* viewport() const { return viewport_.get(); }
    static void clear() { glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); }

private:
    WindowPtr window_;
    GlContextPtr context_;
    std::unique_ptr<InteractableViewport3d> viewport_;
};

// A jaw-like path: an opening and closing loop, repeated, inside the view.
std::vector<Vector3> make_path(int count)
{
    std::vector<Vector3> vertices(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const double t = 2.0 * 3.141592653589793 * 100.0 * i / count;
        vertices[static_cast<std::size_t>(i)] = {2.0 * std::sin(t), 3.0 * std::cos(t) - 1.0, 0.5 * std::sin(3 * t)};
    }
    return vertices;
}

std::vector<std::int32_t> make_switches(int vertex_count, int switch_count)
{
    std::vector<std::int32_t> switches(static_cast<std::size_t>(switch_count));
    for (int k = 0; k < switch_count; ++k)
        switches[static_cast<std::size_t>(k)] = static_cast<std::int32_t>(
            (static_cast<std::int64_t>(k) + 1) * vertex_count / (switch_count + 1));
    return switches;
}

void BM_DrawPathSwitched(benchmark::State& state)
{
    const BenchWindow window;
    const int vertex_count = static_cast<int>(state.range(0));
    const int switch_count = static_cast<int>(state.range(1));
    const std::vector<Vector3> path = make_path(vertex_count);
    const std::vector<std::int32_t> switches = make_switches(vertex_count, switch_count);
    for (auto _ : state) {
        BenchWindow::clear();
        interactable_viewport3d_draw_path_switched(window.viewport(), path.data(), vertex_count, switches.data(),
                                                   switch_count, nullptr);
        glFinish();
    }
    state.SetItemsProcessed(state.iterations() * vertex_count);
}
BENCHMARK(BM_DrawPathSwitched)->Args({100000, 200})->Args({100000, 0})->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DrawVertices(benchmark::State& state)
{
    const BenchWindow window;
    const int vertex_count = static_cast<int>(state.range(0));
    const std::vector<Vector3> points = make_path(vertex_count);
    for (auto _ : state) {
        BenchWindow::clear();
        interactable_viewport3d_draw_vertices(window.viewport(), points.data(), vertex_count, nullptr);
        glFinish();
    }
    state.SetItemsProcessed(state.iterations() * vertex_count);
}
BENCHMARK(BM_DrawVertices)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The clear and glFinish alone, to read the figures above against.
void BM_EmptyFrame(benchmark::State& state)
{
    const BenchWindow window;
    for (auto _ : state) {
        BenchWindow::clear();
        glFinish();
    }
}
BENCHMARK(BM_EmptyFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
