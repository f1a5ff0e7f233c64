#include "app/export_report.hpp"

#include <SDL_image.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <tuple>
#include <vector>

#include "pdf/summary_pdf.hpp"
#include "platform/file_writer.hpp"
#include "platform/zelto_version.hpp"
#include "app/screenshot_svg.hpp"
#include "app/summary_views.hpp"
#include "app/window.hpp"
#include "gui/gui.hpp"
#include "gui/gui_report_access.hpp"
#include "base/text_encoding.hpp"
#include "report/emg_comparison.hpp"
#include "report/emg_measures.hpp"
#include "picture/tracing_picture.hpp"
#include "svg/svg_chart.hpp"
#include "svg/svg_picture.hpp"
#include "svg/svg_writer.hpp"


namespace {

// The files of one report, counted as they are written; the first failure
// is kept.
struct Writer {
    std::filesystem::path directory;
    std::int32_t files = 0;
    std::string failure;

    bool failed() const { return !failure.empty(); }

    // Counts the file once it is in place, else keeps why not.
    void commit(FileWriter& file)
    {
        if (file.commit())
            ++files;
        else if (failure.empty())
            failure = "could not write \"" + file.target().string() + "\": " + file.error();
    }

    // An SVG document through the writer's file sink.
    template <typename Body>
    void svg(const std::string& name, Body body)
    {
        FileWriter file(directory / name);
        if (file.stream() != nullptr) {
            SvgFileSink sink(file.stream());
            body(sink);
        }
        commit(file);
    }

    void summary(const std::string& name, const SummaryInput& input)
    {
        FileWriter file(directory / name);
        std::string why;
        if (file.stream() != nullptr && !summary_pdf_write_stream(file.stream(), input, &why))
            file.fail(why);
        commit(file);
    }

    void picture(const std::string& name, SDL_Surface* surface, bool png)
    {
        FileWriter file(directory / name);
        if (file.stream() != nullptr) {
            int status = -1;
            if (!png) {
                status = SDL_SaveBMP_RW(surface, SDL_RWFromFP(file.stream(), SDL_FALSE), 1);
            } else {
                // The view is opaque: its PNG carries red, green and blue
                // only, a quarter less to compress.
                const SurfacePtr rgb(SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_RGB24, 0));
                if (rgb != nullptr)
                    status = IMG_SavePNG_RW(rgb.get(), SDL_RWFromFP(file.stream(), SDL_FALSE), 1);
            }
            if (status != 0)
                file.fail(SDL_GetError());
        }
        commit(file);
    }
};

// ---------------------------------------------------------------------------
// The viewer of the worker
// ---------------------------------------------------------------------------

// Whether the display named by the environment opens and gives a hidden
// OpenGL window (a stale DISPLAY, or a server without OpenGL, does not).
bool display_draws()
{
    if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr)
        return false;
    bool draws = false;
    if (SDL_Init(SDL_INIT_VIDEO) == 0) {
        const char* driver = SDL_GetCurrentVideoDriver();
        if (driver != nullptr && std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0) {
            SDL_Window* window = SDL_CreateWindow("Zelto", 0, 0, 16, 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
            draws = window != nullptr;
            if (window != nullptr)
                SDL_DestroyWindow(window);
        }
    }
    SDL_Quit();
    return draws;
}

void start_viewer(ExportViewer* viewer, const ExportOptions& options)
{
    ZeltoLoop& loop = viewer->loop;
    viewer->drawing = options.formats.needs_drawing();
    if (viewer->drawing) {
        // Without a display, or with one that gives no OpenGL window, the
        // pictures are drawn by SDL's offscreen driver; a driver the user
        // named is taken as it is.
        if (std::getenv("SDL_VIDEODRIVER") == nullptr && !display_draws())
            SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
        initialize_SDL();
        zelto_user_event_type = SDL_RegisterEvents(1);
        loop.window = open_window("Zelto", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                  options.size + GUI_PANEL_WIDTH, options.size, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        loop.gl_context.reset(SDL_GL_CreateContext(loop.window.get()));
        if (loop.gl_context == nullptr) {
            std::printf("OpenGL context could not be created: %s\n", SDL_GetError());
            std::fflush(stdout);
            std::exit(1);
        }
        // The state belongs to the context, so it is set once it exists.
        zelto_set_gl_state();
    } else if (TTF_Init() < 0) {
        std::printf("Could not initialize SDL TTF: %s\n", SDL_GetError());
        std::fflush(stdout);
        std::exit(1);
    }
    zelto_open_fonts(&loop);
    zelto_create_gui(&loop, options.size);
    loop.picking_enabled = false;  // no sample is hovered: the pictures show no highlight
    viewer->started = true;
}

// What the main loop does with the program's user events, had any widget
// posted one: their data released.
void drain_events()
{
    SDL_Event event;
    while (SDL_PollEvent(&event))
        if (event.type == zelto_user_event_type) {
            const CMemoryPtr data1(event.user.data1);
            const CMemoryPtr data2(event.user.data2);
        }
}

// A pass of the viewer between two clicks: the viewport brings its angles
// into [0, 360) as it does in every frame.
void pass_a_frame(GuiState* state)
{
    if (state->viewport != nullptr)
        interactable_viewport3d_render(state->viewport);
}

// The camera, which fitting the view changes with every exercise chosen.
struct Camera {
    double x, y, z, pitch, yaw, roll;
    std::uint8_t perspective, pitch_locked;
};

Camera camera_of(const InteractableViewport3d& v)
{
    return {v.camera_x, v.camera_y, v.camera_z, v.pitch, v.yaw, v.roll, v.perspective, v.pitch_locked};
}

void restore_camera(InteractableViewport3d* v, const Camera& c)
{
    std::tie(v->camera_x, v->camera_y, v->camera_z, v->pitch, v->yaw, v->roll) =
        std::tie(c.x, c.y, c.z, c.pitch, c.yaw, c.roll);
    v->perspective = c.perspective;
    v->pitch_locked = c.pitch_locked;
}

// The exercises to export (from 0), or a failure.
std::vector<std::int32_t> chosen_exercises(const ExportOptions& options, std::int32_t count, std::string* failure)
{
    std::vector<std::int32_t> chosen;
    if (options.exercise > 0) {
        if (options.exercise > count)
            *failure = "has no exercise " + std::to_string(options.exercise) + " (it has " + std::to_string(count) + ")";
        else
            chosen.push_back(options.exercise - 1);
        return chosen;
    }
    for (std::int32_t k = 0; k < count; ++k)
        chosen.push_back(k);
    return chosen;
}

// The baseline brought into one report's space, and the exercise of it
// paired with each of the report's; empty without a baseline or when the
// two cannot be aligned (a line under the report's says so).
struct Comparison {
    std::unique_ptr<EmgReport> aligned;
    std::vector<std::int32_t> pairs;
    std::string name;  // the baseline's file name, UTF-8, for the legends
};

Comparison compared(const ExportOptions& options, const std::string& path, const EmgReport& report,
                    const EmgReport* baseline)
{
    Comparison c;
    if (baseline == nullptr)
        return c;
    EmgComparedBaseline found = emg_comparison_baseline(report, *baseline, options.reference);
    c.aligned = std::move(found.aligned);
    if (c.aligned == nullptr) {
        std::printf("non-fatal error: %s %s\n", path.c_str(), batch_export_unaligned(options.baseline).c_str());
        return c;
    }
    c.pairs = std::move(found.pairs);
    c.name = text_encoding_to_utf8(std::filesystem::path(options.baseline).filename().string());
    return c;
}

// The measures' rows of the report, with the comparison's cells when there is a baseline.
void write_rows(ExportReportResult* result, const ExportOptions& options, const std::string& path,
                const EmgReport& report, const Comparison& comparison)
{
    if (options.baseline.empty())
        emg_measures_csv_rows(&result->csv_rows, path, &report, options.reference, options.exercise);
    else
        emg_comparison_csv_rows(&result->csv_rows, path, &report, options.baseline, comparison.aligned.get(),
                                options.reference, options.exercise);
}

void write_chart(Writer* writer, const ExportOptions& options, const std::string& name, const EmgReport& report,
                 std::int32_t exercise)
{
    // As wide as the 3D view and half as high.
    writer->svg(name, [&](SvgSink& sink) { svg_chart_write(sink, report, exercise, options.size, options.size / 2); });
}

// The tracing sheet with exercise `exercise` chosen and `sample` marked, as
// large as the 3D view; the paired baseline exercise under it, at the same
// time.
void write_tracings(Writer* writer, const ExportOptions& options, const std::string& name, const EmgReport& report,
                    std::int32_t exercise, std::int32_t sample, const Comparison& comparison)
{
    TracingBaseline baseline;
    if (comparison.aligned != nullptr) {
        baseline.report = comparison.aligned.get();
        baseline.exercise = comparison.pairs[static_cast<std::size_t>(exercise)];
        baseline.label = comparison.name;
    }
    writer->svg(name, [&](SvgSink& sink) {
        svg_picture_write(sink, tracing_picture_build(&report, exercise, sample, options.size, options.size,
                                                      options.reference, {}, baseline)
                                    .picture);
    });
}

// The summary document of the report, `<stem>_summary.pdf`.
void write_summary(Writer* writer, const ExportOptions& options, const std::string& path, const std::string& stem,
                   const EmgReport& report, std::vector<SummaryJawViews> views, const Comparison& comparison)
{
    SummaryInput input;
    input.report = &report;
    input.file_name = text_encoding_to_utf8(std::filesystem::path(path).filename().string());
    input.file_date = summary_pdf_file_date(path);
    input.printed_date = summary_pdf_date(std::time(nullptr));
    input.version = zelto_version;
    input.plane = options.reference;
    input.jaw_views = std::move(views);
    input.legend = summary_views_legend();
    input.baseline.report = comparison.aligned.get();
    input.baseline.file_name = comparison.name;
    writer->summary(stem + "_summary.pdf", input);
}

// The files of the chosen exercises from the viewer's state.
void write_from_viewer(ExportViewer* viewer, const ExportOptions& options, const std::string& path,
                       const std::string& stem, const EmgReport* baseline, Writer* writer,
                       ExportReportResult* result)
{
    if (!viewer->started)
        start_viewer(viewer, options);
    GuiState* state = viewer->loop.gui.get();
    // A report that fails to load leaves the open one: the previous report
    // goes first, so that nothing of it is exported under this one's name.
    emg_free(std::move(state->report));
    gui_open_report(path.c_str());
    gui_load_finish(state);
    if (state->report == nullptr) {
        writer->failure = "could not be loaded";
        return;
    }
    const EmgReport& report = *state->report;
    const std::vector<std::int32_t> chosen =
        chosen_exercises(options, gui_report_exercise_count(&report), &writer->failure);
    if (writer->failed())
        return;
    const Comparison comparison = compared(options, path, report, baseline);

    // The preset's button, then the Options page.
    if (options.builtin_preset)
        gui_state_load_preset(*options.builtin_preset);
    else if (options.preset)
        gui_state_apply_preset(&*options.preset);
    pass_a_frame(state);
    state->screenshot_svg_background = options.svg_background;
    state->screenshot_svg_color_override = options.svg_color_override;
    state->screenshot_svg_scale = options.svg_line_width;

    // Each exercise as if it were the first one clicked after the preset.
    const Camera camera = camera_of(*state->viewport);
    for (const std::int32_t k : chosen) {
        restore_camera(state->viewport, camera);
        gui_set_selected_exercise_number(k);
        const EmgExercise& exercise = report.exercises[static_cast<std::size_t>(k)];
        // The playback slider's way to a sample: there, and paused.
        state->animation_position = export_report_sample_index(options.sample, report, exercise);
        if (state->paused_toggle != nullptr)
            interactable_toggle_set_state(state->paused_toggle, 1, 1);
        pass_a_frame(state);

        const int number = k + 1;
        if (options.formats.svg)
            writer->svg(batch_export_file_name(stem, number, exercise.name, "svg"),
                        [&](SvgSink& sink) { screenshot_svg_write(sink, *state, options.size); });
        if (viewer->drawing && !writer->failed()) {
            drain_events();
            viewer->loop.last_frame_time = 0;
            zelto_draw_frame(&viewer->loop);
            const SurfacePtr picture = screenshot_read_square(options.size);
            if (picture == nullptr)
                writer->failure = std::string("could not read the picture back: ") + SDL_GetError();
            if (options.formats.bmp && !writer->failed())
                writer->picture(batch_export_file_name(stem, number, exercise.name, "bmp"), picture.get(), false);
            if (options.formats.png && !writer->failed())
                writer->picture(batch_export_file_name(stem, number, exercise.name, "png"), picture.get(), true);
        }
        if (options.formats.chart && !writer->failed())
            write_chart(writer, options, "chart_" + batch_export_file_name(stem, number, exercise.name, "svg"),
                        report, k);
        if (options.formats.tracings && !writer->failed())
            write_tracings(writer, options, "tracings_" + batch_export_file_name(stem, number, exercise.name, "svg"),
                           report, k, export_report_sample_index(options.sample, report, exercise), comparison);
        if (writer->failed())
            return;
        ++result->exercises;
    }
    if (options.formats.pdf && !writer->failed())
        write_summary(writer, options, path, stem, report, summary_views_draw(state, options.size), comparison);
    if (options.formats.csv)
        write_rows(result, options, path, report, comparison);
}

// Charts and measures need the report only, read as the viewer reads it.
void write_from_report(const ExportOptions& options, const std::string& path, const std::string& stem,
                       const EmgReport* baseline, Writer* writer, ExportReportResult* result)
{
    std::unique_ptr<EmgReport> report;
    if (emg_extract_3d(&report, path.c_str()) != 0 || report == nullptr) {
        writer->failure = "could not be loaded";
        return;
    }
    // The opening angles the viewer computes after loading a report without them.
    if (!report->has_rotation_data)
        emg_compute_rotation_data(report.get());
    emg_measures_print_warnings(report.get(), path.c_str());
    const std::vector<std::int32_t> chosen =
        chosen_exercises(options, gui_report_exercise_count(report.get()), &writer->failure);
    if (writer->failed())
        return;
    const Comparison comparison = compared(options, path, *report, baseline);
    for (const std::int32_t k : chosen) {
        const EmgExercise& exercise = report->exercises[static_cast<std::size_t>(k)];
        if (options.formats.chart)
            write_chart(writer, options, "chart_" + batch_export_file_name(stem, k + 1, exercise.name, "svg"), *report,
                        k);
        if (options.formats.tracings && !writer->failed())
            write_tracings(writer, options, "tracings_" + batch_export_file_name(stem, k + 1, exercise.name, "svg"),
                           *report, k, export_report_sample_index(options.sample, *report, exercise), comparison);
        if (writer->failed())
            return;
        ++result->exercises;
    }
    if (options.formats.csv)
        write_rows(result, options, path, *report, comparison);
}

}  // namespace

ExportReportResult export_report_write(ExportViewer* viewer, const ExportOptions& options, const std::string& path,
                                       const std::string& stem, const EmgReport* baseline)
{
    ExportReportResult result;
    Writer writer;
    writer.directory = options.directory;
    if (options.formats.needs_state())
        write_from_viewer(viewer, options, path, stem, baseline, &writer, &result);
    else
        write_from_report(options, path, stem, baseline, &writer, &result);
    result.files = writer.files;
    result.ok = !writer.failed();
    result.failure = writer.failure;
    if (!result.ok)
        result.csv_rows.clear();
    return result;
}

void export_report_close(ExportViewer* viewer)
{
    if (!viewer->started)
        return;
    ZeltoLoop& loop = viewer->loop;
    drain_events();
    loop.scene = SceneBuffers{};
    loop.scene_target.release();
    // The widgets' textures go while their context is still current.
    gui_state_free(std::move(loop.gui));
    gui_state = nullptr;
    loop.gl_context.reset();
    loop.window.reset();
    loop.font.reset();
    loop.small_font.reset();
    if (viewer->drawing)
        close_SDL();
    else
        TTF_Quit();
    viewer->started = false;
}

std::int32_t export_report_sample_index(const ExportSample& sample, const EmgReport& report,
                                        const EmgExercise& exercise)
{
    const std::int32_t n = gui_exercise_sample_count(&exercise);
    if (n <= 0)
        return 0;
    switch (sample.kind) {
    case ExportSampleKind::first:
        return 0;
    case ExportSampleKind::number:
        return static_cast<std::int32_t>(std::clamp<std::int64_t>(sample.number - 1, 0, n - 1));
    case ExportSampleKind::max_opening: {
        const EmgMeasures measures = emg_measures_of_exercise(&report, &exercise);
        if (measures.max_vertical_opening_sample)
            return std::clamp(*measures.max_vertical_opening_sample, 0, n - 1);
        return n - 1;
    }
    case ExportSampleKind::last:
        break;
    }
    return n - 1;
}
