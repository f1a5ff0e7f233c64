// The main loop: start-up, passes, user events, shutdown and the animation clock.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <tuple>

#include "app/zelto.hpp"
#include "tests/test_support.hpp"

namespace {

std::unique_ptr<EmgReport> report_with_samples(int n)
{
    auto report = std::make_unique<EmgReport>();
    report->frequency = 100.0;
    report->exercises.resize(1);
    report->exercises[0].data.resize(static_cast<std::size_t>(n));
    report->exercises_number = 1;
    return report;
}

class MainLoop : public ::testing::Test {
protected:
    void TearDown() override
    {
        if (loop_.gui != nullptr)
            zelto_test::capture_stdout([&] { zelto_shutdown(&loop_); });
    }
    ZeltoLoop loop_;
};

// The animation clock advances, wraps and holds. Start-up prints the versions and opens the window; passes draw; user
// events switch picking; a quit event ends the loop and the shutdown prints times.
TEST_F(MainLoop, AnimationClockStartPassesAndShutdown)
{
    // rate: data_speed, with speed_multiplier 1; ms: the last frame time.
    const struct { const char* what; bool looping, paused; double position, rate; std::uint32_t ms; double expected; }
        cases[] = {
        {"a step of 1.2 past the end wraps", true, false, 99.5, 0.12, 100, 99.5 + 1.2 - 100},
        {"the same step without looping holds the last sample", false, false, 99.5, 0.12, 100, 99.0},
        {"paused stays put", true, true, 42.25, 1.0, 10, 42.25},
        {"first pass has no elapsed time", true, false, 0.0, 1.0, 0, 0.0},
        {"10 ms at 100 Hz is one sample", true, false, 3.0, 1.0, 10, 4.0},
        {"a negative rate wraps backwards when looping", true, false, 0.5, -1.0, 10, 99.5},
        {"a negative rate stops at the start otherwise", false, false, 0.5, -1.0, 10, 0.0},
        {"a rate that is not a number does not move", true, false, 7.0, NAN, 10, 7.0},
        {"a position that is not a number restarts", true, false, NAN, 1.0, 10, 1.0},
        {"a position far beyond the end is brought back", true, false, 1e6 + 0.5, 0.0, 10, 0.5},
    };
    for (const auto& c : cases) {
        GuiState state;
        state.report = report_with_samples(100);
        std::tie(state.looping, state.paused, state.animation_position, state.data_speed, state.speed_multiplier) =
            std::tuple(c.looping, c.paused, c.position, c.rate, 1.0);
        zelto_advance_animation_clock(&state, c.ms);
        EXPECT_DOUBLE_EQ(state.animation_position, c.expected) << c.what;
    }

    // No report, no exercise or none selected: the position stays.
    GuiState state;
    state.animation_position = 3.0;
    zelto_advance_animation_clock(&state, 10);
    state.report = std::make_unique<EmgReport>();
    zelto_advance_animation_clock(&state, 10);
    state.report = report_with_samples(10);
    state.selected_exercise = 5;
    zelto_advance_animation_clock(&state, 10);
    EXPECT_EQ(state.animation_position, 3.0);

    // A pass shorter than 10 ms waits for the rest and counts 10 ms; a longer one counts as it is.
    const std::tuple<std::uint32_t, std::uint32_t, std::uint32_t> timings[] = {
        {3, 10, 7}, {0, 10, 10}, {10, 10, 0}, {25, 25, 0}};  // elapsed, counted, delay
    for (const auto& [elapsed, counted, delay] : timings) {
        EXPECT_EQ(zelto_count_pass(&loop_, elapsed), delay) << elapsed;
        EXPECT_EQ(loop_.last_frame_time, counted) << elapsed;
    }
    EXPECT_EQ(std::pair(loop_.total_time, loop_.frames), std::pair(55u, 4u));

    char program[] = "zelto";
    char* argv[] = {program, nullptr};
    const std::string out = zelto_test::capture_stdout([&] { zelto_start(&loop_, 1, argv); });
    zelto_test::keep_loaded_libraries_mapped();
    SDL_version v;
    SDL_GetVersion(&v);
    EXPECT_EQ(out, string_format("Running SDL Version %d.%d.%d\nRunning SDL TTF Version %d.%d.%d\n", v.major, v.minor,
                                 v.patch, SDL_TTF_MAJOR_VERSION, SDL_TTF_MINOR_VERSION, SDL_TTF_PATCHLEVEL));
    ASSERT_NE(gui_state, nullptr);
    EXPECT_TRUE(gui_state == loop_.gui.get() && gui_state->font == loop_.font.get());
    EXPECT_NE(zelto_user_event_type, 0xFFFFFFFFu);
    EXPECT_EQ(std::tuple(gui_state->window_width, gui_state->window_height, SDL_GetWindowTitle(loop_.window.get())),
              std::tuple(1100, 750, std::string("Zelto")));

    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(zelto_pass(&loop_));

    for (const auto& [code, on] : {std::pair(USER_EVENT_POINT_PICKING_OFF, false), {USER_EVENT_POINT_PICKING_ON, true}}) {
        push_SDL_user_event(code, nullptr, nullptr);
        ASSERT_TRUE(zelto_pass(&loop_));
        EXPECT_EQ(loop_.picking_enabled, on);
    }
    // Unknown codes still have their data released (else the sanitizer build's leak checker fails).
    push_SDL_user_event(7, std::malloc(64), std::malloc(16));
    push_SDL_user_event(-3, std::malloc(8), nullptr);
    ASSERT_TRUE(zelto_pass(&loop_));

    SDL_Event quit{.type = SDL_QUIT};
    SDL_PushEvent(&quit);
    EXPECT_FALSE(zelto_pass(&loop_));
    EXPECT_EQ(loop_.frames, 7u);  // counted from the start: 3 plain passes, 3 with user events, the quit
    const std::uint32_t total = loop_.total_time;
    int status = -1;
    const std::string end = zelto_test::capture_stdout([&] { status = zelto_shutdown(&loop_); });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(gui_state, nullptr);
    EXPECT_EQ(end, string_format("total time %ldms\navg frame time %lfms\n", static_cast<long>(total), total / 7.0));
}

}  // namespace
