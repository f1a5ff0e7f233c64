// The window a clinician works in, driven through real events of a started program: a failed load keeps the open
// report and says why, every written file or failure shows on the message line and beside its button, the keys,
// "Open..." through the desktop's chooser, and the reports opened last.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/zelto.hpp"
#include "app/scene.hpp"
#include "app/screenshot_svg.hpp"
#include "gui/gui_baseline.hpp"
#include "gui/gui_messages.hpp"
#include "gui/gui_recent.hpp"
#include "gui/gui_tooltip.hpp"
#include "tests/gui_fixture.hpp"
#include "tests/test_support.hpp"

namespace {

namespace fs = std::filesystem;
using zelto_test::key_event;
using zelto_test::mouse_button_event;

class WindowWork : public ::testing::Test {
protected:
    void SetUp() override { setenv("XDG_CONFIG_HOME", (directory_.path() / "config").c_str(), 1); }
    void TearDown() override
    {
        if (loop_.gui != nullptr)
            zelto_test::capture_stdout([&] { zelto_shutdown(&loop_); });
    }
    // Starts the program, on a report of 300 samples at 100 Hz when `with_report`.
    void start(bool with_report)
    {
        zelto_test::write_file(directory_.path() / "report.tsv",
                               zelto_test::report_text({{"Opening and closing with a long name", 300}, {"b", 20}}));
        char program[] = "zelto";
        std::string path = (directory_.path() / "report.tsv").string();
        char* argv[] = {program, path.data(), nullptr};
        zelto_test::capture_stdout([&] {
            zelto_start(&loop_, with_report ? 2 : 1, argv);
            gui_load_finish(loop_.gui.get());
        });
        zelto_test::keep_loaded_libraries_mapped();
        state_ = loop_.gui.get();
        state_->paused = true;
        // Every load here ends in the pass that asks for it, however busy the machine; the background loads are
        // tested with a wait of 0.
        state_->load_wait_ms = 60000;
    }
    // Delivers the events in a pass and draws a frame again (what the window shows, not yet swapped); returns the
    // console's text.
    std::string deliver(std::vector<SDL_Event> events)
    {
        return zelto_test::capture_stdout([&] {
            for (SDL_Event& event : events)
                SDL_PushEvent(&event);
            ended_ = !zelto_pass(&loop_) || ended_;
            zelto_draw_frame(&loop_);
        });
    }
    std::string key(SDL_Keycode sym, std::uint16_t mod = KMOD_NONE)
    {
        SDL_Event down = key_event(SDL_KEYDOWN, sym);
        down.key.keysym.mod = mod;
        // What a key asks the loop for (a screenshot, the quit) comes in a later pass.
        std::string out = deliver({down, key_event(SDL_KEYUP, sym)});
        for (int pass = 0; pass < 3; ++pass)
            out += deliver({});
        return out;
    }
    std::string click(const Interactable* widget)
    {
        return deliver({mouse_button_event(SDL_MOUSEBUTTONDOWN, widget->x + 2, widget->y + 2),
                        mouse_button_event(SDL_MOUSEBUTTONUP, widget->x + 2, widget->y + 2)});
    }
    std::string message() const { return gui_message_visible_text(state_, SDL_GetTicks()); }
    // Light red pixels on the message line, as drawn by the last frame.
    int red_message_pixels() const
    {
        std::vector<std::uint8_t> p(400 * 20 * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, state_->window_height - 20, 400, 20, GL_RGBA, GL_UNSIGNED_BYTE, p.data());
        int red = 0;
        for (std::size_t i = 0; i < p.size(); i += 4)
            red += p[i] > 200 && p[i + 1] < 160 && p[i + 1] > 40 && p[i + 2] < 160;
        return red;
    }

    zelto_test::TempWorkingDirectory directory_;
    ZeltoLoop loop_;
    GuiState* state_ = nullptr;
    bool ended_ = false;  // a pass returned false: the window was closed
};

// What the open report shows: its paths, figures and exercise list.
std::vector<std::string> shown(const GuiState* s)
{
    std::vector<std::string> out{s->report_file_name, s->animation_slider->text};
    for (const auto* v : {&s->l_verts, &s->i_verts, &s->r_verts})
        out.push_back(std::string(reinterpret_cast<const char*>(v->data()), v->size() * sizeof(Vector3)));
    for (const auto& toggle : s->exercise_toggles)
        out.push_back(toggle->text + (toggle->pressed ? "*" : ""));
    for (const InteractableText* value : s->measures_values)
        out.push_back(value->text);
    return out;
}

// Light pixels of the load's progress bar under the message line, as drawn by the last frame.
int progress_bar_pixels(const GuiState* s)
{
    std::vector<std::uint8_t> p(400 * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(20, s->window_height - 25, 400, 1, GL_RGBA, GL_UNSIGNED_BYTE, p.data());
    int light = 0;
    for (std::size_t i = 0; i < p.size(); i += 4)
        light += p[i] > 200 && p[i + 1] > 200 && p[i + 2] > 200;
    return light;
}

// A long load runs in the background: the window keeps drawing with the bar and the percentage, Escape stops it and
// the open report stays as it was; let run, the new report takes its place.
TEST_F(WindowWork, LongLoadShowsProgressAndEscapeKeepsTheOpenReport)
{
    start(true);
    const EmgReport* report = state_->report.get();
    const std::vector<std::string> before = shown(state_);
    zelto_test::write_file(directory_.path() / "long.tsv", zelto_test::report_text({{"Opening and closing", 200000}}));
    state_->load_wait_ms = 0;
    const auto drop = [&] {
        SDL_Event event{};
        event.type = SDL_DROPFILE;
        event.drop.file = SDL_strdup((directory_.path() / "long.tsv").c_str());
        return deliver({event});
    };

    drop();
    ASSERT_NE(state_->load, nullptr) << "read at once: the test needs a longer report";
    EXPECT_EQ(message().rfind("Loading \"long.tsv\": ", 0), 0u) << message();
    EXPECT_NE(message().find(" %"), std::string::npos) << message();
    EXPECT_EQ(state_->report.get(), report);
    const std::string console = key(SDLK_ESCAPE);
    EXPECT_EQ(state_->load, nullptr);
    EXPECT_NE(console.find("Loading of \"long.tsv\" cancelled"), std::string::npos) << console;
    EXPECT_NE(message().find("cancelled"), std::string::npos) << message();
    EXPECT_EQ(state_->report.get(), report);
    EXPECT_EQ(shown(state_), before);
    EXPECT_EQ(progress_bar_pixels(state_), 0);

    // Let run: frames keep coming with the bar, the share only grows, and the report arrives whole.
    drop();
    int frames = 0, bar_frames = 0, last_percent = -1;
    bool growing = true;
    while (state_->load != nullptr && frames < 100000) {
        const std::string line = message();
        const std::size_t colon = line.find("\": ");
        if (colon != std::string::npos) {
            const int percent = std::atoi(line.c_str() + colon + 3);
            growing = growing && percent >= last_percent;
            last_percent = percent;
        }
        bar_frames += progress_bar_pixels(state_) > 0;
        deliver({});
        ++frames;
    }
    EXPECT_GT(bar_frames, 1);
    EXPECT_TRUE(growing);
    ASSERT_NE(state_->report, nullptr);
    EXPECT_EQ(std::pair(state_->report_file_name, state_->verts_number), std::pair(std::string("long.tsv"), 200000));
    EXPECT_EQ(message().find("Loading"), std::string::npos) << message();
    EXPECT_EQ(progress_bar_pixels(state_), 0);
}

// What the worker prepares for the first frame changes nothing the window ends in: a load with it and one without
// (the main thread then computes everything) leave the same camera, paths, grid, movements and pixels. A cancel while
// it prepares gives the report back untouched.
TEST_F(WindowWork, PreparedLoadEndsAsOneComputedOnTheMainThread)
{
    start(false);
    const std::string path = (directory_.path() / "report.tsv").string();
    struct Ended {
        std::vector<double> camera;
        std::string arrays;
        std::vector<std::uint8_t> pixels;
        bool operator==(const Ended&) const = default;
    };
    const auto bytes = [](const auto& v) {
        return std::string(reinterpret_cast<const char*>(v.data()), v.size() * sizeof(v[0]));
    };
    const auto load = [&](bool prepared) {
        zelto_test::capture_stdout([&] {
            if (prepared)
                gui_load_report(path.c_str());
            else
                state_->load = gui_load_begin(path, SDL_GetTicks(), GuiLoadSetup{});
            gui_load_finish(state_);
        });
        state_->paused = true;
        deliver({});
        deliver({});
        const InteractableViewport3d* v = state_->viewport;
        Ended e{{v->camera_x, v->camera_y, v->camera_z, v->pitch, v->yaw, v->roll},
                bytes(state_->l_verts) + bytes(state_->lattice_directions) + bytes(state_->open_close_movements)
                    + std::string(reinterpret_cast<const char*>(state_->projection_camera.m),
                                  sizeof(state_->projection_camera.m)),
                std::vector<std::uint8_t>(static_cast<std::size_t>(state_->window_height * state_->window_height) * 4)};
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, state_->window_height, state_->window_height, GL_RGBA, GL_UNSIGNED_BYTE, e.pixels.data());
        return e;
    };
    const Ended prepared = load(true);
    ASSERT_GT(state_->extrapolations_number, 1) << "the load should end with a grid";
    EXPECT_TRUE(load(false) == prepared);
    EXPECT_TRUE(load(true) == prepared);

    // The worker's own results are those the main thread computed: paths, directions, the camera the fits end in.
    const GuiLoadSetup setup{true, state_->presets[1], interactable_viewport3d_camera_view(state_->viewport),
                             static_cast<double>(state_->window_height), state_->extrapolation_memory_limit, nullptr, nullptr};
    auto copy = std::make_unique<EmgReport>(*state_->report);
    std::atomic<bool> cancel{false};
    std::atomic<int> permille{0};
    GuiLoadPreparation out;
    ASSERT_TRUE(gui_load_prepare(&out, &copy, setup, cancel, &permille));
    EXPECT_EQ(bytes(out.paths[0]) + bytes(out.directions), bytes(state_->l_verts) + bytes(state_->lattice_directions));
    ASSERT_FALSE(out.fits.empty());
    const CameraView& fitted = out.fits.back().to;
    EXPECT_EQ(std::vector<double>({fitted.camera_x, fitted.camera_y, fitted.camera_z}),
              std::vector<double>(prepared.camera.begin(), prepared.camera.begin() + 3));
    EXPECT_NE(out.levels, nullptr);
    EXPECT_EQ(permille.load(), 1000);

    // Cancelled, it stops and gives the report back.
    const EmgReport* lent = copy.get();
    cancel = true;
    GuiLoadPreparation stopped;
    EXPECT_FALSE(gui_load_prepare(&stopped, &copy, setup, cancel, &permille));
    EXPECT_EQ(copy.get(), lent);
}

// A path typed wrong, a dropped folder and a file that is no report leave the open report as it was; the message
// line says why in red until the next action.
TEST_F(WindowWork, FailedLoadKeepsTheReportAndSaysWhy)
{
    start(true);
    gui_activate_specific_page('i');
    gui_activate_specific_page('b');
    const EmgReport* report = state_->report.get();
    const std::vector<std::string> before = shown(state_);
    zelto_test::write_file(directory_.path() / "notes.txt", "shopping list\n");
    struct { const char* how; std::string path; const char* why; } cases[] = {
        {"typed", "repotr.tsv", "the file does not exist"},
        {"dropped", directory_.path().string(), "Could not load"},
        {"typed", "notes.txt", "Could not find list of exercises"},
    };
    for (const auto& c : cases) {
        std::string console;
        if (std::string(c.how) == "dropped") {
            SDL_Event drop{};
            drop.type = SDL_DROPFILE;
            drop.drop.file = SDL_strdup(c.path.c_str());
            console = deliver({drop});
        } else {
            click(state_->report_path_input);
            SDL_Event text = zelto_test::text_input_event(c.path.c_str());
            console = deliver({text, key_event(SDL_KEYDOWN, SDLK_RETURN), key_event(SDL_KEYUP, SDLK_RETURN)});
        }
        EXPECT_NE(console.find("Bad report load"), std::string::npos) << c.path;
        EXPECT_EQ(state_->report.get(), report) << c.path;
        EXPECT_EQ(shown(state_), before) << c.path;
        EXPECT_NE(message().find(c.why), std::string::npos) << message();
        EXPECT_GT(red_message_pixels(), 20) << c.path;
    }
    key(SDLK_LSHIFT);
    EXPECT_EQ(message(), "");
    EXPECT_EQ(red_message_pixels(), 0);
}

// Each writer says where it wrote or why it could not, on the console, the message line and beside its button.
TEST_F(WindowWork, WritesSayWhereTheyWroteOrWhyNot)
{
    start(true);
    gui_activate_specific_page('i');
    EXPECT_NE(key(SDLK_e, KMOD_LCTRL).find("Measures written to \"measures_"), std::string::npos);
    EXPECT_EQ(message().rfind("Measures written to \"measures_", 0), 0u) << message();
    EXPECT_EQ(state_->measures_written_text->text, "CSV written!");
    state_->screenshot_file_type = 0;
    key(SDLK_s, KMOD_LCTRL);
    EXPECT_EQ(message().rfind("Screenshot written to \"", 0), 0u) << message();
    EXPECT_EQ(state_->screenshot_taken_text->text, "Screenshot taken!");

    // A folder that no longer exists takes no file, whoever runs the tests.
    fs::create_directory("gone");
    fs::current_path("gone");
    fs::remove(directory_.path() / "gone");
    struct { SDL_Keycode key; int type; const char* what; const InteractableTextTimed* notice; const char* failed; }
        writers[] = {{SDLK_e, 1, "measures", state_->measures_written_text, "CSV failed!"},
                     {SDLK_s, 0, "screenshot", state_->screenshot_taken_text, "Screenshot failed!"},
                     {SDLK_s, 1, "screenshot", state_->screenshot_taken_text, "Screenshot failed!"}};
    for (const auto& w : writers) {
        state_->screenshot_file_type = w.type;
        const std::string console = key(w.key, KMOD_LCTRL);
        zelto_draw_frame(&loop_);
        EXPECT_NE(console.find(std::string("ERROR: Could not write the ") + w.what), std::string::npos) << console;
        EXPECT_EQ(message().rfind(std::string("Could not write the ") + w.what, 0), 0u) << message();
        EXPECT_NE(message().find("No such file"), std::string::npos) << message();
        EXPECT_EQ(w.notice->text, w.failed);
    }
    fs::current_path(directory_.path());
}

// The Measures page's title shows an exercise's whole name on as many lines as it takes: the figures move down by the
// lines added, the chart gives up that height and keeps its bottom; a short name gives them back.
TEST_F(WindowWork, MeasuresTitleShowsTheWholeNameWrapped)
{
    start(true);
    const std::string name = "Opening and closing, slowly, three times, with the head resting and the patient "
                             "seated upright in the chair, after the break";
    zelto_test::write_file(directory_.path() / "named.tsv", zelto_test::report_text({{name, 50}, {"b", 50}}));
    gui_open_report((directory_.path() / "named.tsv").c_str());
    ASSERT_EQ(state_->report_file_name, "named.tsv");
    InteractableText* title = state_->measures_title;
    const Interactable* first_value = state_->measures_values[0];
    const int value_y = first_value->y, chart_y = state_->chart->y, chart_bottom = state_->chart->y + state_->chart->h;
    click(state_->page_toggle_i);
    EXPECT_EQ(title->text, "[1] " + name);
    const int lines = title->h / GUI_MEASURES_LINE_PITCH;
    EXPECT_GE(lines, 3);
    EXPECT_EQ(std::tuple(first_value->y - value_y, state_->chart->y - chart_y, state_->chart->y + state_->chart->h),
              std::tuple((lines - 1) * GUI_MEASURES_LINE_PITCH, (lines - 1) * GUI_MEASURES_LINE_PITCH, chart_bottom));
    EXPECT_EQ(state_->chart->chart.height, state_->chart->h);
    // The last line holds text: the name is not cut.
    std::vector<std::uint8_t> p(300 * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    const int row = title->y + title->h - GUI_MEASURES_LINE_PITCH / 2;
    glReadPixels(title->x, state_->window_height - 1 - row, 300, 1, GL_RGBA, GL_UNSIGNED_BYTE, p.data());
    int dark = 0;
    for (std::size_t i = 0; i < p.size(); i += 4)
        dark += p[i] < 100 && p[i + 1] < 100 && p[i + 2] < 100;
    EXPECT_GT(dark, 0);

    gui_set_selected_exercise_number(1);
    EXPECT_EQ(std::tuple(title->text, title->h, first_value->y, state_->chart->y),
              std::tuple(std::string("[2] b"), GUI_MEASURES_LINE_PITCH, value_y, chart_y));
}

// The chart's wheel zooms the time axis about the pointer, down to one sample per column, the right button's drag
// pans it, a double click shows the whole exercise again; the GUI state keeps the range shown.
TEST_F(WindowWork, ChartZoomsAboutThePointerPansAndShowsAllAgain)
{
    start(true);
    zelto_test::write_file(directory_.path() / "long.tsv", zelto_test::report_text({{"Opening", 3000}}));
    gui_open_report((directory_.path() / "long.tsv").c_str());
    state_->paused = true;
    click(state_->page_toggle_i);
    const InteractableChart* chart = state_->chart;
    const ChartRect& plot = chart->chart.panels.front().place.plot;
    const int columns = chart->chart.time.columns;
    const int column = columns / 3, x = chart->x + plot.x + column, y = chart->y + plot.y + plot.h / 2;
    const auto wheel = [&](int notches) {
        SDL_Event event{};
        event.wheel.type = SDL_MOUSEWHEEL;
        event.wheel.y = notches;
        event.wheel.mouseX = x;
        event.wheel.mouseY = y;
        deliver({event});
    };
    const auto shown = [&] { return std::pair(chart->chart.time.first, chart->chart.time.samples); };
    const auto kept = [&] { return std::pair(state_->chart_range.first, state_->chart_range.count); };
    ASSERT_EQ(shown(), std::pair(std::int64_t{0}, std::int64_t{3000}));

    // The sample under the pointer stays under it, to within a column's samples.
    const std::int64_t under = chart_axes_sample_of_column(chart->chart.time, column);
    double per_column = 3000.0 / columns;
    wheel(1);
    EXPECT_EQ(shown().second, 2400);
    EXPECT_EQ(kept(), shown());
    EXPECT_NEAR(chart_axes_sample_of_column(chart->chart.time, column), under, per_column);
    wheel(30);
    EXPECT_EQ(shown().second, columns);
    EXPECT_NEAR(chart_axes_sample_of_column(chart->chart.time, column), under, per_column);
    EXPECT_EQ(kept(), shown());
    // Hovering a column of one sample shows one value, not a range.
    deliver({zelto_test::mouse_motion_event(x, y, 1, 0)});
    EXPECT_EQ(chart->hover_column, column);

    // The right button's drag: ten columns to the right show the ten samples before.
    const std::int64_t first = shown().first;
    ASSERT_GT(first, 10);
    deliver({mouse_button_event(SDL_MOUSEBUTTONDOWN, x, y, SDL_BUTTON_RIGHT), zelto_test::mouse_motion_event(x + 10, y, 10, 0),
             mouse_button_event(SDL_MOUSEBUTTONUP, x + 10, y, SDL_BUTTON_RIGHT)});
    EXPECT_EQ(shown(), std::pair(first - 10, std::int64_t{columns}));
    EXPECT_EQ(kept(), shown());
    EXPECT_EQ(state_->animation_position, 0.0) << "the right button does not seek";

    // A double click shows the whole exercise and goes to the sample clicked.
    SDL_Event twice = mouse_button_event(SDL_MOUSEBUTTONDOWN, x, y);
    twice.button.clicks = 2;
    deliver({twice, mouse_button_event(SDL_MOUSEBUTTONUP, x, y)});
    EXPECT_EQ(shown(), std::pair(std::int64_t{0}, std::int64_t{3000}));
    EXPECT_EQ(kept(), std::pair(std::int64_t{0}, std::int64_t{0}));
    EXPECT_EQ(static_cast<std::int64_t>(state_->animation_position), first - 10 + column);

    // Zoomed out as far as it goes, the whole exercise; another exercise starts whole.
    wheel(2);
    wheel(-5);
    EXPECT_EQ(shown(), std::pair(std::int64_t{0}, std::int64_t{3000}));
    wheel(3);
    gui_open_report((directory_.path() / "report.tsv").c_str());
    EXPECT_EQ(kept(), std::pair(std::int64_t{0}, std::int64_t{0}));
    click(state_->page_toggle_i);
    EXPECT_EQ(shown(), std::pair(std::int64_t{0}, std::int64_t{300}));
}

// A taller window gives the Measures page's chart the panel's new height; the footer follows the bottom edge.
TEST_F(WindowWork, TallerWindowGrowsTheChart)
{
    start(true);
    click(state_->page_toggle_i);
    const int chart_h = state_->chart->h;
    const Interactable* screenshot = state_->screenshot_taken_text;
    const int notice_y = screenshot->y;
    for (const int side : {1000, 750}) {
        gui_set_window_size(side + GUI_PANEL_WIDTH, side);
        deliver({});
        EXPECT_EQ(std::tuple(state_->window_height, state_->chart->h, state_->chart->chart.height, screenshot->y),
                  std::tuple(side, chart_h + side - 750, chart_h + side - 750, notice_y + side - 750));
    }
}

// The keys step through the samples, pause and play, quit; none acts while a field is being edited.
TEST_F(WindowWork, KeysStepPlayAndQuit)
{
    start(true);
    state_->speed_multiplier = 0.0;  // playing, the sample stays
    const auto sample = [&] { return static_cast<int>(state_->animation_position); };
    struct { SDL_Keycode key; std::uint16_t mod; int expected; } steps[] = {
        {SDLK_RIGHT, KMOD_NONE, 1}, {SDLK_RIGHT, KMOD_LSHIFT, 101}, {SDLK_LEFT, KMOD_NONE, 100},
        {SDLK_END, KMOD_NONE, 299}, {SDLK_RIGHT, KMOD_RSHIFT, 299}, {SDLK_LEFT, KMOD_LSHIFT, 199},
        {SDLK_HOME, KMOD_NONE, 0},  {SDLK_LEFT, KMOD_NONE, 0}};
    for (const auto& s : steps) {
        state_->paused = false;
        key(s.key, s.mod);
        EXPECT_EQ(std::tuple(sample(), state_->paused, int{state_->paused_toggle->pressed}),
                  std::tuple(s.expected, true, 1)) << s.key << " " << s.mod;
    }
    EXPECT_EQ(state_->animation_slider->text, "1/300");
    key(SDLK_p);
    EXPECT_EQ(std::pair(state_->paused, int{state_->paused_toggle->pressed}), std::pair(false, 0));
    key(SDLK_p);
    EXPECT_TRUE(state_->paused);

    const int held = sample();
    click(state_->report_path_input);
    key(SDLK_END);
    key(SDLK_q, KMOD_LCTRL);
    EXPECT_EQ(std::pair(sample(), ended_), std::pair(held, false));
    deliver({key_event(SDL_KEYDOWN, SDLK_RETURN)});
    key(SDLK_q, KMOD_LCTRL);
    EXPECT_TRUE(ended_);
}

// The pointer resting on an exercise's button, or on the Measures page's title, shows the whole name beside it.
TEST_F(WindowWork, RestingPointerShowsTheWholeName)
{
    start(true);
    const Interactable* button = state_->exercise_toggles[0].get();
    const int x = button->x + 20, y = button->y + 5;
    EXPECT_EQ(gui_tooltip_text(state_, x, y, 1000), "");
    EXPECT_EQ(gui_tooltip_text(state_, x, y, 1000 + GUI_TOOLTIP_DELAY_MS), "[1] Opening and closing with a long name");
    EXPECT_EQ(gui_tooltip_text(state_, x + 1, y, 9000), "");
    EXPECT_EQ(gui_tooltip_text(state_, 5, 5, 99000), "");
    // Drawn below the pointer, on white.
    SDL_WarpMouseInWindow(loop_.window.get(), x, y);
    deliver({});
    state_->tooltip_since = SDL_GetTicks() - GUI_TOOLTIP_DELAY_MS;
    deliver({});
    ASSERT_NE(state_->tooltip, nullptr);
    EXPECT_EQ(std::pair(state_->tooltip->text, state_->tooltip->y), std::pair(state_->exercise_toggles[0]->text, y + 22));
    EXPECT_GT(state_->tooltip->w, button->w);
    gui_activate_specific_page('i');
    const int tx = state_->measures_title->x + 5, ty = state_->measures_title->y + 5;
    gui_tooltip_text(state_, tx, ty, 0);
    EXPECT_EQ(gui_tooltip_text(state_, tx, ty, GUI_TOOLTIP_DELAY_MS), "[1] Opening and closing with a long name");
}

// The reports opened last are offered while none is loaded, newest first, and open with a click; "Open..." runs the
// desktop's chooser and loads its answer, and says so when none is installed.
TEST_F(WindowWork, RecentReportsAndOpenThroughTheChooser)
{
    const std::string path = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
    start(false);
    for (int i = 0; i < 9; ++i)
        fs::copy_file("report.tsv", "r" + std::to_string(i) + ".tsv");
    for (const char* name : {"r0.tsv", "r1.tsv", "r2.tsv", "r3.tsv", "r4.tsv", "r5.tsv", "r6.tsv", "r7.tsv", "r8.tsv",
                             "r8.tsv"})
        gui_recent_remember(name);
    deliver({});
    ASSERT_NE(state_->open_button, nullptr);
    EXPECT_EQ(std::pair(state_->open_button->text, int{state_->open_button->active}),
              std::pair(std::string("Open..."), 1));
    ASSERT_EQ(state_->recent_buttons.size(), 8u);
    EXPECT_EQ(std::pair(state_->recent_buttons[0]->text, state_->recent_buttons[7]->text),
              std::pair(std::string("r8.tsv"), std::string("r1.tsv")));
    click(state_->recent_buttons[1].get());
    ASSERT_NE(state_->report, nullptr);
    EXPECT_EQ(std::pair(state_->report_file_name, state_->report_path_input->text),
              std::pair(std::string("r7.tsv"), (directory_.path() / "r7.tsv").string()));
    EXPECT_EQ(std::pair(int{state_->recent_buttons[0]->active}, gui_recent_list().front()),
              std::pair(0, (directory_.path() / "r7.tsv").string()));

    setenv("PATH", (directory_.path() / "bin").c_str(), 1);
    key(SDLK_o, KMOD_LCTRL);
    EXPECT_EQ(message().rfind("No file chooser found: install zenity", 0), 0u) << message();
    EXPECT_EQ(state_->report_file_name, "r7.tsv");

    fs::create_directory(directory_.path() / "bin");
    zelto_test::write_file(directory_.path() / "bin" / "zenity",
                           "#!/bin/sh\necho \"$@\" > " + (directory_.path() / "asked").string() + "\necho " +
                               (directory_.path() / "report.tsv").string() + "\n");
    fs::permissions(directory_.path() / "bin" / "zenity", fs::perms::owner_all);
    setenv("PATH", ((directory_.path() / "bin").string() + ":/bin:/usr/bin").c_str(), 1);
    click(state_->open_button.get());
    setenv("PATH", path.c_str(), 1);
    EXPECT_EQ(state_->report_file_name, "report.tsv");
    const std::string asked = zelto_test::read_file(directory_.path() / "asked");
    EXPECT_TRUE(asked.find("--file-selection") != std::string::npos && asked.find("*.tsv") != std::string::npos)
        << asked;
}

}  // namespace

// Pixels of the view in a colour, as drawn by the last frame.
int view_pixels_of(const GuiState* s, const Color& c)
{
    const int side = s->window_height;
    std::vector<std::uint8_t> p(static_cast<std::size_t>(side * side) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, side, side, GL_RGBA, GL_UNSIGNED_BYTE, p.data());
    int count = 0;
    for (std::size_t i = 0; i < p.size(); i += 4)
        count += p[i] == c.r && p[i + 1] == c.g && p[i + 2] == c.b;
    return count;
}

// A baseline typed into the path field and taken with "As baseline": the open report stays, the paired exercise is
// drawn in muted colours at the same time from its start, another can be picked, and "Compare" shows the figures of
// both; a baseline that cannot be read keeps the one there was and says why.
TEST_F(WindowWork, BaselineIsDrawnUnderTheReportAndCompared)
{
    start(true);
    state_->draw_all_exercise_verts = true;
    zelto_test::write_file(directory_.path() / "before.tsv",
                           zelto_test::report_text({{"Opening and closing", 150}, {"b", 10}}, 50.0));
    gui_activate_specific_page('b');
    deliver({});
    const EmgReport* report = state_->report.get();
    const auto as_baseline = [&](const char* path) {
        click(state_->report_path_input);
        deliver({zelto_test::text_input_event(path)});
        return click(state_->baseline_button.get());
    };
    EXPECT_NE(as_baseline("before.tsv").find("Baseline \"before.tsv\" loaded"), std::string::npos);
    deliver({});
    EXPECT_EQ(state_->report.get(), report);
    EXPECT_NE(state_->report_path_input->text.find("report.tsv"), std::string::npos);
    ASSERT_NE(state_->baseline, nullptr);
    EXPECT_EQ(state_->baseline_exercise, 0);
    EXPECT_EQ(state_->baseline_choice->text, "Baseline: [1] Opening and closing");
    state_->animation_position = 100.0;  // 1 s at 100 Hz: the baseline's sample 50 at 50 Hz
    EXPECT_EQ(gui_baseline_sample(state_), 50);
    // The measures' CSV names the baseline and the changes after its columns.
    key(SDLK_e, KMOD_LCTRL);
    std::string csv;
    for (const auto& entry : fs::directory_iterator(fs::current_path()))
        if (entry.path().extension() == ".csv")
            csv = zelto_test::read_file(entry.path());
    EXPECT_NE(csv.find(",reference_tilt_deg,baseline_report,baseline_exercise,delta_samples,"), std::string::npos);
    EXPECT_NE(csv.find(",before.tsv,1,150,"), std::string::npos) << csv;

    // The baseline's second exercise lies 1 mm beside the report's first: its muted paths show.
    const Color muted = scene_baseline_color(*state_->l_vertex_color);
    deliver({});
    const int hidden = view_pixels_of(state_, muted);
    click(state_->baseline_choice.get());
    EXPECT_EQ(state_->baseline_choice->text, "Baseline: [2] b");
    deliver({});
    EXPECT_GT(view_pixels_of(state_, muted), hidden + 20);
    // The SVG screenshot draws it too, before the report's items.
    state_->screenshot_svg_color_override = 0;
    int muted_items = 0;
    for (const PictureItem& item : screenshot_svg_picture(*state_, 750, 0.0).items)
        muted_items += item.style.stroke == PicturePaint::of({muted.r, muted.g, muted.b})
                       || item.style.fill == PicturePaint::of({muted.r, muted.g, muted.b});
    EXPECT_GE(muted_items, 2);  // its point and its whole path
    click(state_->baseline_choice.get());
    deliver({});
    EXPECT_EQ(state_->baseline_choice->text, "Baseline: none");
    EXPECT_EQ(view_pixels_of(state_, muted), 0);

    // "Compare" on the "Measures" page: the comparison in the view's place, one of it and the tracing sheet at a time.
    click(state_->baseline_choice.get());  // after none, the first again
    gui_activate_specific_page('i');
    deliver({});
    click(state_->compare_toggle.get());
    deliver({});
    ASSERT_TRUE(state_->tracing_sheet->active);
    std::string texts;
    for (const PictureItem& item : state_->tracing_sheet->sheet.picture.items)
        texts += item.text + "|";
    EXPECT_NE(texts.find("Comparison with the baseline|"), std::string::npos);
    EXPECT_NE(texts.find("Baseline: before.tsv  [1] Opening and closing|"), std::string::npos) << texts;
    EXPECT_NE(texts.find("Change|"), std::string::npos);
    click(state_->tracings_toggle);
    EXPECT_FALSE(state_->compare_toggle->pressed);
    EXPECT_EQ(state_->compare_shown_key, 0u);

    gui_activate_specific_page('b');
    deliver({});
    const EmgReport* baseline = state_->baseline.get();
    as_baseline("missing.tsv");
    EXPECT_EQ(state_->baseline.get(), baseline);
    EXPECT_TRUE(state_->message_error);
    EXPECT_NE(message().find("does not exist"), std::string::npos) << message();
}

// The baseline is read and aligned off the main thread: of two asked for in a row the second is taken, and a report
// loaded afterwards comes with the baseline already in its space.
TEST_F(WindowWork, BaselineWorkRunsAsideAndTheLastRequestWins)
{
    start(true);
    const fs::path first = directory_.path() / "first.tsv", second = directory_.path() / "second.tsv";
    zelto_test::write_file(first, zelto_test::report_text({{"Opening and closing", 150}}));
    zelto_test::write_file(second, zelto_test::report_text({{"Opening and closing", 80}, {"b", 10}}));
    state_->load_wait_ms = 0;
    std::string said = zelto_test::capture_stdout([&] {
        gui_baseline_load(first.c_str());
        gui_baseline_load(second.c_str());
    });
    for (int n = 0; n < 3000 && state_->baseline_work != nullptr; ++n)
        said += deliver({});
    EXPECT_EQ(said.find("Baseline \"" + first.string() + "\" loaded"), std::string::npos) << said;
    EXPECT_NE(said.find("Baseline \"" + second.string() + "\" loaded"), std::string::npos) << said;
    ASSERT_NE(state_->baseline, nullptr);
    EXPECT_EQ(std::tuple(state_->baseline_file_name, state_->baseline->exercises[0].data.size(), state_->baseline_exercise),
              std::tuple(std::string("second.tsv"), std::size_t{80}, 0));

    state_->load_wait_ms = 60000;
    const std::uint64_t generation = state_->baseline_generation;
    zelto_test::capture_stdout([&] { gui_load_report(first.c_str()); });
    EXPECT_EQ(state_->report->exercises[0].data.size(), 150u);
    EXPECT_TRUE(state_->baseline_work == nullptr && state_->baseline_aligned_loads == state_->report_loads
                && state_->baseline_generation > generation && state_->baseline != nullptr);

    // A report put in place while another baseline is read comes with the old one; the new one is then aligned.
    state_->load_wait_ms = 0;
    zelto_test::capture_stdout([&] { gui_baseline_load(first.c_str()); });
    state_->load_wait_ms = 60000;
    zelto_test::capture_stdout([&] { gui_load_report(second.c_str()); });
    for (int n = 0; n < 3000 && state_->baseline_work != nullptr; ++n)
        deliver({});
    ASSERT_NE(state_->baseline, nullptr);
    EXPECT_EQ(std::tuple(state_->baseline_file_name, state_->baseline->exercises[0].data.size(),
                         state_->baseline_aligned_loads),
              std::tuple(std::string("first.tsv"), std::size_t{150}, state_->report_loads));
}
