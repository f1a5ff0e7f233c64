// The program started on a report: the scene of the current sample, the inspection's highlight and text, the kept
// layer, dropped files and the BMP screenshot.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <tuple>

#include "app/screenshot_svg.hpp"
#include "app/zelto.hpp"
#include "geometry/camera.hpp"
#include "geometry/lattice.hpp"
#include "tests/test_support.hpp"

namespace {

namespace fs = std::filesystem;

// A report whose first sample sits exactly on the calibration and whose jaw then opens by 0.4 degrees per sample
// about the intercondylar axis (x).
std::string opening_report(int samples)
{
    std::string text = "Exercises\n#\tName\tStart\tLength\n1\tOpening\t0\t1.0\n2\tStill\t0\t1.0\n}\n"
                       "Frequency,Hz\t100\nCount\t2\nCalibr\t50 0 0\t-50 0 0\t0 -40 90\n"
                       "Time,ms\tRight.x,mm\tRight.y,mm\tRight.z,mm\tLeft.x,mm\tLeft.y,mm\tLeft.z,mm\tIncisal.x,mm\t"
                       "Incisal.y,mm\tIncisal.z,mm\n";
    for (int t = 0; t < samples; ++t) {
        const double a = 0.4 * t * 3.14159265358979 / 180.0;
        char line[256];
        std::snprintf(line, sizeof line, "%d\t50\t0\t0\t-50\t0\t0\t0\t%.6f\t%.6f\n", t * 10,
                      -40 * std::cos(a) - 90 * std::sin(a), 90 * std::cos(a) - 40 * std::sin(a));
        text += line;
    }
    return text + "\n0\t50\t0\t0\t-50\t0\t0\t0\t-40\t90\n";
}

class Scene : public ::testing::Test {
protected:
    void start(const std::string& report_text)
    {
        zelto_test::write_file(directory_.path() / "report.tsv", report_text);
        char program[] = "zelto";
        std::string path = (directory_.path() / "report.tsv").string();
        char* argv[] = {program, path.data(), nullptr};
        zelto_test::capture_stdout([&] {
            zelto_start(&loop_, 2, argv);
            gui_load_finish(loop_.gui.get());
        });
        zelto_test::keep_loaded_libraries_mapped();
        state_ = loop_.gui.get();
        state_->paused = true;
        state_->message_text.clear();  // the load's notes would fade out between compared frames
    }
    void TearDown() override
    {
        if (loop_.gui != nullptr)
            zelto_test::capture_stdout([&] { zelto_shutdown(&loop_); });
    }
    // How many pixels of the 5 x 5 square around a projected position (the size of a drawn point) have the colour.
    int pixels_of_color_around(const Vector3& fraction, const Color& color) const
    {
        const int side = state_->window_height;
        const int x = static_cast<int>(std::lround(fraction.x * side - 0.5));
        const int y = static_cast<int>(std::lround(fraction.y * side - 0.5));
        std::uint8_t p[5 * 5 * 4];
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(x - 2, y - 2, 5, 5, GL_RGBA, GL_UNSIGNED_BYTE, p);
        int count = 0;
        for (int i = 0; i < 25; ++i)
            count += zelto_test::same_color(Color{p[4 * i], p[4 * i + 1], p[4 * i + 2], p[4 * i + 3]}, color);
        return count;
    }
    Vector3 project(const Vector3& p) const
    {
        Vector3 out{};
        camera_project(&out, camera_model_view_matrix(interactable_viewport3d_camera_view(state_->viewport)), p);
        return out;
    }
    // The inspection as a pass runs it, the mouse on the projected position.
    void inspect_at(const Vector3& target)
    {
        glViewport(0, 0, state_->window_height, state_->window_height);
        glClear(GL_DEPTH_BUFFER_BIT);
        glDepthFunc(GL_LESS);
        inspection_run(state_, &loop_.inspection, static_cast<int>(target.x * 750),
                       static_cast<int>((1 - target.y) * 750), &loop_.hovered_point, &loop_.hovered_kind);
    }
    // The 3D view of the frame just drawn, bottom row first.
    static std::vector<std::uint8_t> read_view()
    {
        std::vector<std::uint8_t> pixels(750 * 750 * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, 750, 750, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }
    void pass_events()
    {
        SDL_Event event;
        while (SDL_PollEvent(&event))
            zelto_handle_event(&loop_, &event);
    }

    zelto_test::TempWorkingDirectory directory_;
    ZeltoLoop loop_;
    GuiState* state_ = nullptr;
};

// The current points appear in their colours, the position held inside the exercise. The hovered sample is
// highlighted white and named with its rotation and translation; a grid copy names its offsets and greys the others.
TEST_F(Scene, CurrentPointsAndTheInspectionOfTheHoveredPoint)
{
    start(opening_report(50));
    ASSERT_NE(state_->report, nullptr);
    gui_state_load_preset(0);  // all three points, lines, cube, axes
    std::tie(state_->paused, state_->animation_position, loop_.picking_enabled) = std::tuple(true, 20.0, false);
    zelto_draw_frame(&loop_);
    const EmgDataPoint& sample = state_->report->exercises[0].data[20];
    for (const auto& [point, color] : {std::pair(sample.left, c_red), {sample.incisal, c_blue}, {sample.right, c_green}})
        EXPECT_GE(pixels_of_color_around(project(point), color), 15);
    EXPECT_EQ(pixels_of_color_around({0.02, 0.97, 0}, c_black), 25);  // the 3D area around them
    for (double position : {-3.5, 1e9, std::nan("")}) {
        state_->animation_position = position;
        zelto_draw_frame(&loop_);
        EXPECT_TRUE(scene_current_sample(state_) >= 0 && scene_current_sample(state_) <= 49) << position;
    }

    std::tie(state_->animation_position, loop_.picking_enabled) = std::tuple(0.0, true);
    zelto_draw_frame(&loop_);
    const Vector3 target = project(state_->i_verts[30]);
    inspect_at(target);
    EXPECT_EQ(std::pair(loop_.hovered_point, loop_.hovered_kind), std::pair(30, 'i'));
    const double translation =
        algebra_vector_vector_distance(&state_->report->calibration_incisal, &state_->i_verts[30]);
    EXPECT_EQ(state_->point_info_text->text,
              string_format("Incisal Point #30, Rotation: %.2lf\xC2\xB0, Translation: %.2lfmm",
                            state_->report->exercises[0].data[30].open, translation));
    EXPECT_GE(pixels_of_color_around(target, c_white), 20);
    // Space locks the hovered point with the pointer over the view, not over the panel, and not while a field is
    // being edited: then it is typed.
    auto space_at = [&](int x) {
        SDL_WarpMouseInWindow(loop_.window.get(), x, 300);
        for (SDL_Event event : {zelto_test::key_event(SDL_KEYDOWN, SDLK_SPACE), zelto_test::text_input_event(" ")})
            SDL_PushEvent(&event);
        pass_events();
        return state_->locked_point;
    };
    EXPECT_EQ(space_at(800), -1);
    for (const auto type : {SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP}) {
        SDL_Event click = zelto_test::mouse_button_event(type, state_->report_path_input->x + 2,
                                                         state_->report_path_input->y + 2);
        SDL_PushEvent(&click);
    }
    pass_events();
    ASSERT_EQ(state_->report_path_input->editing, 1);
    EXPECT_EQ(std::pair(space_at(300), state_->report_path_input->text), std::pair(-1, std::string(" ")));
    interactable_text_input_set_text_formatted_and_deactivate(state_->report_path_input, "report.tsv");
    EXPECT_EQ(space_at(300), 30);
    EXPECT_EQ(space_at(300), -1);
    // Sample 0 sits on the calibration: no translation, no rotation.
    inspect_at(project(state_->l_verts[0]));
    EXPECT_EQ(state_->point_info_text->text, "Left Point #0, Rotation: 0.00\xC2\xB0, Translation: 0.00mm");
    // Nothing shown: the default text.
    state_->draw_l_vertex = state_->draw_i_vertex = state_->draw_r_vertex = false;
    inspect_at(target);
    EXPECT_EQ(loop_.hovered_point, -1);
    EXPECT_EQ(state_->point_info_text->text, "[Point Info Display]");

    state_->draw_i_vertex = state_->draw_extrapolation_i = true;
    std::tie(state_->extrapolation_x_amount, state_->extrapolation_distance) = std::tuple(1, 10.0);
    gui_build_extrapolated_and_projected_jaw_vertices();
    zelto_draw_frame(&loop_);
    inspect_at(project(gui_extrapolated_vertex(state_, GUI_KIND_INCISAL, lattice_node_index(-1, 0, 0, 1, 0, 0), 10)));
    EXPECT_EQ(loop_.hovered_point, 10);
    // Its translation is from its own calibrated place: sample 0 sits on the calibration, so the lattice there
    // runs along the world axes and copy S-1 was calibrated 10 mm down x from the incisal point.
    const Vector3 grid = gui_extrapolated_vertex(state_, GUI_KIND_INCISAL, lattice_node_index(-1, 0, 0, 1, 0, 0), 10);
    Vector3 calibrated = state_->report->calibration_incisal;
    calibrated.x -= 10.0;
    EXPECT_EQ(state_->point_info_text->text,
              string_format("[S-1][V+0][H+0] Incisal Point #10, Rotation: %.2lf\xC2\xB0, Translation: %.2lfmm",
                            state_->report->exercises[0].data[10].open,
                            algebra_vector_vector_distance(&calibrated, &grid)));
    for (int s : {0, 1}) {
        const Vector3 other = gui_extrapolated_vertex(state_, GUI_KIND_INCISAL, lattice_node_index(s, 0, 0, 1, 0, 0), 10);
        EXPECT_GE(pixels_of_color_around(project(other), c_gray), 20) << s;
    }
}

// The kept layer of whole paths and calibration points gives exactly the picture of drawing every step in order,
// whatever is shown.
TEST_F(Scene, KeptLayerGivesTheSamePictureAsDrawingEverything)
{
    start(opening_report(200));
    auto frame = [&] {
        zelto_draw_frame(&loop_);
        return read_view();
    };
    const struct { int preset; double position; bool grid_everywhere; } cases[] = {
        {0, 10, false}, {1, 0, false}, {1, 57, false}, {3, 120, false}, {5, 199, false}, {0, 33, true}};
    for (const auto& c : cases) {
        gui_state_load_preset(c.preset);
        state_->draw_all_exercise_verts = state_->draw_callibration = state_->draw_lr_edge = true;
        if (c.grid_everywhere) {
            state_->draw_l_vertex = state_->draw_i_vertex = state_->draw_r_vertex = state_->draw_spokes = true;
            state_->draw_extrapolation_l = state_->draw_extrapolation_i = state_->draw_extrapolation_r = true;
            state_->extrapolation_x_amount = state_->extrapolation_y_amount = state_->extrapolation_z_amount = 1;
            gui_build_extrapolated_and_projected_jaw_vertices();
        }
        std::tie(state_->paused, state_->animation_position, loop_.layer_cache_enabled) =
            std::tuple(true, c.position, false);
        const std::vector<std::uint8_t> direct = frame();
        loop_.layer_cache_enabled = true;
        frame();  // the layer is kept once it stayed the same for two passes, drawn in portions
        for (int n = 0; n < 20 && !loop_.layer_valid; ++n)
            frame();
        ASSERT_TRUE(frame() == frame()) << "stable";
        EXPECT_TRUE(frame() == direct && loop_.layer_valid) << "preset " << c.preset << " at " << c.position;
    }

    // A layer drawn in portions, one step per pass here, fills the view in and ends with the same picture; a
    // screenshot waits for no portion.
    state_->draw_callibration = false;
    loop_.layer_cache_enabled = false;
    const std::vector<std::uint8_t> direct = frame();
    std::tie(loop_.layer_cache_enabled, loop_.layer_portion) = std::tuple(true, 1);
    frame();
    std::vector<std::vector<std::uint8_t>> filling;
    for (int n = 0; n < 200 && (filling.empty() || !loop_.layer_valid); ++n)
        filling.push_back(frame());
    EXPECT_TRUE(filling.size() > 10 && filling.front() != direct && filling.back() == direct) << filling.size();
    state_->draw_callibration = true;
    frame();
    loop_.bmp_screenshot_pending = true;
    frame();
    loop_.bmp_screenshot_pending = false;
    EXPECT_TRUE(loop_.layer_valid);
}

// The SVG export in perspective draws only what the screen shows. The camera sits between the condyles and the
// incisal point, so the near plane cuts the lines between them and the incisal path and grid lie behind it. Every
// line of the drawing (sampled every few pixels), path point and circle lies on something drawn on the screen.
TEST_F(Scene, PerspectiveSvgLiesOnWhatTheScreenDraws)
{
    start(opening_report(50));
    gui_state_load_preset(0);  // all three points with their lines, cube, axes
    GuiState& s = *state_;
    std::tie(s.paused, s.animation_position, s.draw_all_exercise_verts, s.draw_spokes) =
        std::tuple(true, 0.0, true, true);
    s.draw_extrapolation_l = s.draw_extrapolation_i = s.draw_extrapolation_r = true;
    std::tie(s.extrapolation_x_amount, s.extrapolation_y_amount, s.extrapolation_z_amount) = std::tuple(1, 1, 1);
    InteractableViewport3d& v = *s.viewport;
    std::tie(v.perspective, v.camera_x, v.camera_y, v.camera_z, v.pitch, v.yaw, v.roll) =
        std::tuple(1, 0.0, 10.0, -60.0, 0.0, 0.0, 0.0);
    gui_build_extrapolated_and_projected_jaw_vertices();
    loop_.picking_enabled = false;
    zelto_draw_frame(&loop_);  // at sample 0 the scene takes the jaw frame its grid turns from
    s.animation_position = 20.0;
    zelto_draw_frame(&loop_);
    const std::vector<std::uint8_t> screen = read_view();
    SvgStringSink sink;
    screenshot_svg_write(sink, *state_, 750);

    int checked = 0, dark = 0;
    auto check = [&](double fx, double fy) {  // fractions of the drawing, y downwards
        const long x = std::lround(fx * 750 - 0.5), y = std::lround((1 - fy) * 750 - 0.5);
        if (x < 2 || x > 747 || y < 30 || y > 747)  // outside, or on the point information
            return;
        bool lit = false;
        for (long dy = -2; dy <= 2; ++dy)
            for (long dx = -2; dx <= 2; ++dx)
                lit = lit || std::memcmp(&screen[static_cast<std::size_t>(((y + dy) * 750 + x + dx) * 4)], "\0\0", 3);
        ++checked;
        dark += lit ? 0 : 1;
    };
    std::istringstream lines(sink.text());
    for (std::string line; std::getline(lines, line);) {
        double a = 0, b = 0, c = 0, d = 0;
        const char* text = line.c_str();
        if (std::sscanf(text, " <line x1=\"%lf%%\" y1=\"%lf%%\" x2=\"%lf%%\" y2=\"%lf%%\"", &a, &b, &c, &d) == 4) {
            const int steps = std::min(1 + static_cast<int>(std::hypot(c - a, d - b) * 7.5 / 3), 2000);
            for (int k = 0; k <= steps; ++k)
                check((a + (c - a) * k / steps) / 100, (b + (d - b) * k / steps) / 100);
        } else if (std::sscanf(text, " <circle cx=\"%lf%%\" cy=\"%lf%%\"", &a, &b) == 2) {
            check(a / 100, b / 100);
        } else if (const char* p = std::strstr(text, "points=\"")) {
            for (p += 8; std::sscanf(p, "%lf,%lf", &a, &b) == 2; p = std::strchr(p, ' ') + 1)
                check(a / 750, b / 750);
        }
    }
    EXPECT_GT(checked, 500);
    EXPECT_LE(dark, checked / 100) << "of " << checked << " places of the drawing";
}

// The BMP file is the view of the frame the pass swapped, top row first. A dropped file is shown in the path field
// and loaded, also when it is no report (what it loads is the reliability suites' concern).
TEST_F(Scene, BmpScreenshotIsTheDrawnViewAndDroppedFilesLoad)
{
    start(opening_report(50));
    state_->screenshot_file_type = 0;
    gui_take_screenshot();
    ASSERT_TRUE(zelto_pass(&loop_));
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(directory_.path()))
        if (entry.path().extension() == ".bmp")
            files.push_back(entry.path());
    ASSERT_EQ(files.size(), 1u);
    const std::string name = files[0].filename().string();  // screenshot_YYYY_MM_DD_hh_mm_ss.bmp
    EXPECT_TRUE(name.size() == 34 && name.starts_with("screenshot_") && name.ends_with(".bmp")) << name;

    const SurfacePtr bmp(SDL_LoadBMP(files[0].c_str()));
    ASSERT_TRUE(bmp != nullptr && bmp->w == 750 && bmp->h == 750);
    const SurfacePtr rgba(SDL_ConvertSurfaceFormat(bmp.get(), SDL_PIXELFORMAT_ABGR8888, 0));
    glReadBuffer(GL_FRONT);
    const std::vector<std::uint8_t> screen = read_view();
    glReadBuffer(GL_BACK);
    int differing = 0;
    for (int y = 0; y < 750; ++y) {
        const auto* file_row = static_cast<const std::uint8_t*>(rgba->pixels) + y * rgba->pitch;
        const std::uint8_t* screen_row = &screen[static_cast<std::size_t>(749 - y) * 750 * 4];
        for (int x = 0; x < 750; ++x)
            for (int c = 0; c < 3; ++c)
                differing += file_row[x * 4 + c] != screen_row[x * 4 + c];
    }
    EXPECT_EQ(differing, 0);
    // One request writes one file: the next pass writes none.
    fs::remove(files[0]);
    ASSERT_TRUE(zelto_pass(&loop_));
    EXPECT_TRUE(std::none_of(fs::directory_iterator(directory_.path()), fs::directory_iterator(),
                             [](const fs::directory_entry& e) { return e.path().extension() == ".bmp"; }));

    for (const std::string& path : {(directory_.path() / "report.tsv").string(), std::string("/no/such/file")}) {
        SDL_Event drop{.type = SDL_DROPFILE};
        drop.drop.file = SDL_strdup(path.c_str());
        SDL_PushEvent(&drop);
        zelto_test::capture_stdout([&] { pass_events(); });
        // A file that is not there leaves the report loaded.
        EXPECT_EQ(std::pair(state_->report_path_input->text, state_->report != nullptr), std::pair(path, true));
    }
}

}  // namespace
