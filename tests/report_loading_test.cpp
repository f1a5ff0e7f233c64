// Report loading through the GUI (failed loads are in the reliability suite's load cycle): its end
// in preset 1, the exercise toggles, selection with wrap-around, the playback slider, and reports
// at the edges (no exercises, one sample).
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <tuple>

#include "gui/gui_report_access.hpp"
#include "tests/gui_fixture.hpp"

using namespace zelto_test;

namespace {

class ReportLoading : public GuiTest {
    TempWorkingDirectory directory_;
};

TEST_F(ReportLoading, EndsInPresetOneWhateverWasSetBefore)
{
    // Settings far from preset 1, and a locked point.
    gui_state_load_preset(4);
    std::tie(state()->viewport->perspective, state()->draw_axis, state()->animation_position) = std::tuple(1, true, 7.5);
    gui_point_lock_lock(3);

    load_report_file("three.tsv", report_text({{"Opening", 40}, {"%s%n%d 100%", 30}, {"Chewing", 20}}, 250.0));
    ASSERT_NE(state()->report, nullptr);
    EXPECT_EQ(settings_of(current_but_camera(state()->presets[1])), settings_of(state()->presets[1]));
    EXPECT_EQ(std::tuple(state()->selected_exercise, state()->animation_position, state()->data_speed,
                         state()->locked_point, state()->unlock_image->active),
              std::tuple(0, 0.0, static_cast<double>(0.01f) * 250.0, -1, 1));
    // The widgets show the preset too.
    EXPECT_EQ(std::tuple(state()->perspective_toggle->pressed, state()->orthogonal_toggle->pressed,
                         state()->axis_toggle->pressed, state()->spokes_toggle->pressed),
              std::tuple(0, 1, 0, 1));
    EXPECT_EQ(state()->extrapolation_x_input->text + state()->extrapolation_y_input->text +
                  state()->extrapolation_z_input->text + " " + state()->extrapolation_distance_input->text + " " +
                  state()->speed_reset_button->text + " " + state()->animation_slider->text,
              "110 10.00 x1.0 1/40");
    // The paths of exercise 0 with the grid of preset 1 (3 x 3 x 1 copies), the opening angle, the movements.
    EXPECT_EQ(std::tuple(state()->verts_number, state()->extrapolations_number, state()->extrapolated_verts_number,
                         state()->lattice_directions.size(), state()->report->has_rotation_data),
              std::tuple(40, 9, 40, std::size_t{40}, true));
    EXPECT_GT(state()->report->exercises[0].data[20].open, 1.0) << "opening is a positive angle";
    EXPECT_TRUE(state()->open_close_movements_number > 0 &&
                state()->open_close_movements.size() == static_cast<std::size_t>(state()->open_close_movements_number));

    // One toggle per exercise, two per row, the first on; names are shown as text, never used as formats.
    ASSERT_EQ(std::pair(state()->exercise_toggles_number, state()->exercise_toggles.size()), std::pair(3, std::size_t{3}));
    const char* names[] = {"[1] Opening", "[2] %s%n%d 100%", "[3] Chewing"};
    const auto& t = state()->exercise_toggles;
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(std::tuple(t[i]->text, t[i]->pressed, t[i]->active, t[i]->unpress_set.size()),
                  std::tuple(names[i], i == 0, 1, std::size_t{2}));
    EXPECT_TRUE(t[0]->y == t[1]->y && t[0]->x + t[0]->w < t[1]->x && t[2]->x == t[0]->x && t[2]->y > t[0]->y &&
                state()->page_toggle_b->pressed == 1);
}

// A report without exercises loads as an empty scene; nothing of the previous one is left to draw or pick.
TEST_F(ReportLoading, AReportWithoutExercisesLoadsAsAnEmptyScene)
{
    load_report_file("full.tsv", report_text({{"Opening", 30}}));
    ASSERT_EQ(state()->verts_number, 30);
    gui_point_lock_lock(4);
    load_report_file("empty.tsv", report_text({}));
    ASSERT_NE(state()->report, nullptr);
    EXPECT_TRUE(state()->report->exercises_number == 0 && state()->exercise_toggles.empty());
    EXPECT_EQ(std::tuple(state()->locked_point, state()->verts_number, state()->extrapolations_number,
                         state()->open_close_movements_number, state()->animation_slider->position,
                         state()->l_verts.size() + state()->lattice_directions.size(), state()->animation_slider->text),
              std::tuple(-1, 0, 0, 0, 0.0, 0u, "0/0"));
    // Every later step does nothing rather than reach for exercise 0.
    gui_set_selected_exercise_number(0);
    callback_increase_selected_exercise_number(nullptr);
    callback_decrease_selected_exercise_number(nullptr);
    state()->animation_position = 3.0;
    gui_update_playback_slider();
    EXPECT_EQ(state()->animation_slider->text, "0/0");
    gui_activate_specific_page('d');
    click(state()->animation_slider, 300, 30);
    EXPECT_TRUE(!state()->paused && state()->paused_toggle->pressed == 0);  // preset 1 plays; the slider left it alone
    gui_fit_display_to_verts();
    gui_state_load_preset(3);
    EXPECT_EQ(state()->verts_number, 0);
}

// Selection wraps around both ways; a toggle selects its exercise and unlocks; no index outside is used. The playback
// slider shows the position of the selected exercise.
TEST_F(ReportLoading, ExerciseSelectionAndThePlaybackSlider)
{
    gui_set_selected_exercise_number(3);  // without a report nothing happens
    callback_increase_selected_exercise_number(nullptr);
    EXPECT_EQ(std::tuple(state()->selected_exercise, state()->verts_number), std::tuple(0, 0));

    load_report_file("four.tsv", report_text({{"A", 5}, {"B", 6}, {"C", 7}, {"D", 8}}));
    const std::pair<std::int32_t, std::int32_t> cases[] = {
        {2, 2}, {-1, 3}, {4, 0}, {5, 1}, {-5, 3}, {INT32_MAX, INT32_MAX % 4}, {INT32_MIN, 0}};
    for (const auto& [asked, selected] : cases) {
        gui_set_selected_exercise_number(asked);
        EXPECT_EQ(std::tuple(state()->selected_exercise, state()->verts_number), std::tuple(selected, 5 + selected))
            << "asked " << asked;
    }
    gui_set_selected_exercise_number(0);
    callback_decrease_selected_exercise_number(nullptr);
    const int after_decrease = state()->selected_exercise;
    callback_increase_selected_exercise_number(nullptr);
    callback_increase_selected_exercise_number(nullptr);
    EXPECT_EQ(std::tuple(after_decrease, state()->selected_exercise,
                         state()->exercise_toggles[0]->pressed + state()->exercise_toggles[1]->pressed),
              std::tuple(3, 1, 1));  // the toggles are kept

    gui_point_lock_lock(2);
    state()->animation_position = 3.0;
    for (int clicks = 0; clicks < 2; ++clicks) {  // clicking the selected one again keeps it selected
        click(state()->exercise_toggles[2].get());
        EXPECT_EQ(std::tuple(state()->selected_exercise, state()->verts_number), std::tuple(2, 7));
        EXPECT_EQ(state()->exercise_toggles[0]->pressed + 2 * state()->exercise_toggles[2]->pressed, 2);
    }
    EXPECT_EQ(std::tuple(state()->animation_position, state()->locked_point), std::tuple(0.0, -1));

    const std::string shown = state()->animation_slider->text;  // left alone below
    for (std::int32_t bad : {4, 99, -1}) {
        state()->selected_exercise = bad;
        EXPECT_EQ(gui_selected_exercise(gui_state), nullptr);
        gui_update_playback_slider();
        callback_animation_position(state()->animation_slider);
        EXPECT_EQ(state()->animation_slider->text, shown) << bad;
    }

    // The playback slider follows the animation position.
    load_report_file("eleven.tsv", report_text({{"A", 11}}));
    const std::tuple<double, const char*, double> positions[] = {  // position, label, knob
        {0.0, "1/11", 0.0}, {4.9, "5/11", 0.4}, {10.0, "11/11", 1.0},
        // Out of the exercise (never so after the clock, but checked anyway).
        {-3.0, "1/11", 0.0}, {250.0, "11/11", 1.0}, {std::numeric_limits<double>::quiet_NaN(), "1/11", 0.0},
    };
    for (const auto& [position, label, knob] : positions) {
        state()->animation_position = position;
        gui_update_playback_slider();
        EXPECT_EQ(state()->animation_slider->text, label) << position;
        EXPECT_DOUBLE_EQ(state()->animation_slider->position, knob) << position;
    }

    // A single sample sits at the start, wherever the slider is dragged.
    load_report_file("one.tsv", report_text({{"Still", 1}}));
    gui_update_playback_slider();
    EXPECT_EQ(std::tuple(state()->animation_slider->text, state()->animation_slider->position),
              std::tuple(std::string("1/1"), 0.0));
    state()->animation_slider->position = 0.7;
    callback_animation_position(state()->animation_slider);
    EXPECT_EQ(std::tuple(state()->animation_slider->text, state()->animation_position),
              std::tuple(std::string("1/1"), 0.0));
}

}  // namespace
