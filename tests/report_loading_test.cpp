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

TEST_F(ReportLoading, EndsInPresetOneWhateverWasSetBeforeAndWithoutExercisesAsAnEmptyScene)
{
    GuiState& s = *state();
    // Settings far from preset 1, and a locked point.
    gui_state_load_preset(4);
    std::tie(s.viewport->perspective, s.draw_axis, s.animation_position) = std::tuple(1, true, 7.5);
    gui_point_lock_lock(3);

    load_report_file("three.tsv", report_text({{"Opening", 40}, {"%s%n%d 100%", 30}, {"Chewing", 20}}, 250.0));
    ASSERT_NE(s.report, nullptr);
    EXPECT_EQ(settings_of(current_but_camera(s.presets[1])), settings_of(s.presets[1]));
    EXPECT_EQ(std::tuple(s.selected_exercise, s.animation_position, s.data_speed, s.locked_point,
                         s.unlock_image->active),
              std::tuple(0, 0.0, static_cast<double>(0.01f) * 250.0, -1, 1));
    // The widgets show the preset too.
    EXPECT_EQ(std::tuple(s.perspective_toggle->pressed, s.orthogonal_toggle->pressed, s.axis_toggle->pressed,
                         s.spokes_toggle->pressed),
              std::tuple(0, 1, 0, 1));
    EXPECT_EQ(s.extrapolation_x_input->text + s.extrapolation_y_input->text + s.extrapolation_z_input->text + " " +
                  s.extrapolation_distance_input->text + " " + s.speed_reset_button->text + " " +
                  s.animation_slider->text,
              "110 10.00 x1.0 1/40");
    // The paths of exercise 0 with the grid of preset 1 (3 x 3 x 1 copies), the opening angle, the movements.
    EXPECT_EQ(std::tuple(s.verts_number, s.extrapolations_number, s.extrapolated_verts_number,
                         s.lattice_directions.size(), s.report->has_rotation_data),
              std::tuple(40, 9, 40, std::size_t{40}, true));
    EXPECT_GT(s.report->exercises[0].data[20].open, 1.0) << "opening is a positive angle";
    EXPECT_TRUE(s.open_close_movements_number > 0 &&
                s.open_close_movements.size() == std::size_t(s.open_close_movements_number));

    // One toggle per exercise, two per row, the first on; names are shown as text, never used as formats.
    ASSERT_EQ(std::pair(s.exercise_toggles_number, s.exercise_toggles.size()), std::pair(3, std::size_t{3}));
    const char* names[] = {"[1] Opening", "[2] %s%n%d 100%", "[3] Chewing"};
    const auto& t = s.exercise_toggles;
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(std::tuple(t[i]->text, t[i]->pressed, t[i]->active, t[i]->unpress_set.size()),
                  std::tuple(names[i], i == 0, 1, std::size_t{2}));
    EXPECT_TRUE(t[0]->y == t[1]->y && t[0]->x + t[0]->w < t[1]->x && t[2]->x == t[0]->x && t[2]->y > t[0]->y &&
                s.page_toggle_b->pressed == 1);

    // A report without exercises loads as an empty scene; nothing of the previous one is left to draw or pick.
    gui_point_lock_lock(4);
    load_report_file("empty.tsv", report_text({}));
    ASSERT_NE(s.report, nullptr);
    EXPECT_TRUE(s.report->exercises_number == 0 && s.exercise_toggles.empty());
    EXPECT_EQ(std::tuple(s.locked_point, s.verts_number, s.extrapolations_number, s.open_close_movements_number,
                         s.animation_slider->position, s.l_verts.size() + s.lattice_directions.size(),
                         s.animation_slider->text),
              std::tuple(-1, 0, 0, 0, 0.0, 0u, "0/0"));
    // Every later step does nothing rather than reach for exercise 0.
    gui_set_selected_exercise_number(0);
    callback_increase_selected_exercise_number(nullptr);
    callback_decrease_selected_exercise_number(nullptr);
    s.animation_position = 3.0;
    gui_update_playback_slider();
    EXPECT_EQ(s.animation_slider->text, "0/0");
    gui_activate_specific_page('d');
    click(s.animation_slider, 300, 30);
    EXPECT_TRUE(!s.paused && s.paused_toggle->pressed == 0);  // preset 1 plays; the slider left it alone
    gui_fit_display_to_verts();
    gui_state_load_preset(3);
    EXPECT_EQ(s.verts_number, 0);
}

// Selection wraps around both ways; a toggle selects its exercise and unlocks; no index outside is used. The playback
// slider shows the position of the selected exercise.
TEST_F(ReportLoading, ExerciseSelectionAndThePlaybackSlider)
{
    GuiState& s = *state();
    gui_set_selected_exercise_number(3);  // without a report nothing happens
    callback_increase_selected_exercise_number(nullptr);
    EXPECT_EQ(std::tuple(s.selected_exercise, s.verts_number), std::tuple(0, 0));

    load_report_file("four.tsv", report_text({{"A", 5}, {"B", 6}, {"C", 7}, {"D", 8}}));
    const std::pair<std::int32_t, std::int32_t> cases[] = {
        {2, 2}, {-1, 3}, {4, 0}, {5, 1}, {-5, 3}, {INT32_MAX, INT32_MAX % 4}, {INT32_MIN, 0}};
    for (const auto& [asked, selected] : cases) {
        gui_set_selected_exercise_number(asked);
        EXPECT_EQ(std::tuple(s.selected_exercise, s.verts_number), std::tuple(selected, 5 + selected)) << asked;
    }
    gui_set_selected_exercise_number(0);
    callback_decrease_selected_exercise_number(nullptr);
    const int after_decrease = s.selected_exercise;
    callback_increase_selected_exercise_number(nullptr);
    callback_increase_selected_exercise_number(nullptr);
    const auto& t = s.exercise_toggles;  // kept by the selection
    EXPECT_EQ(std::tuple(after_decrease, s.selected_exercise, t[0]->pressed + t[1]->pressed), std::tuple(3, 1, 1));

    gui_point_lock_lock(2);
    s.animation_position = 3.0;
    for (int clicks = 0; clicks < 2; ++clicks) {  // clicking the selected one again keeps it selected
        click(t[2].get());
        EXPECT_EQ(std::tuple(s.selected_exercise, s.verts_number), std::tuple(2, 7));
        EXPECT_EQ(t[0]->pressed + 2 * t[2]->pressed, 2);
    }
    EXPECT_EQ(std::tuple(s.animation_position, s.locked_point), std::tuple(0.0, -1));

    const std::string shown = s.animation_slider->text;  // left alone below
    for (std::int32_t bad : {4, 99, -1}) {
        s.selected_exercise = bad;
        EXPECT_EQ(gui_selected_exercise(gui_state), nullptr);
        gui_update_playback_slider();
        callback_animation_position(s.animation_slider);
        EXPECT_EQ(s.animation_slider->text, shown) << bad;
    }

    // The playback slider follows the animation position.
    load_report_file("eleven.tsv", report_text({{"A", 11}}));
    const std::tuple<double, const char*, double> positions[] = {  // position, label, knob
        {0.0, "1/11", 0.0}, {4.9, "5/11", 0.4}, {10.0, "11/11", 1.0},
        // Out of the exercise (never so after the clock, but checked anyway).
        {-3.0, "1/11", 0.0}, {250.0, "11/11", 1.0}, {std::numeric_limits<double>::quiet_NaN(), "1/11", 0.0},
    };
    for (const auto& [position, label, knob] : positions) {
        s.animation_position = position;
        gui_update_playback_slider();
        EXPECT_EQ(s.animation_slider->text, label) << position;
        EXPECT_DOUBLE_EQ(s.animation_slider->position, knob) << position;
    }

    // A single sample sits at the start, wherever the slider is dragged.
    load_report_file("one.tsv", report_text({{"Still", 1}}));
    gui_update_playback_slider();
    EXPECT_EQ(std::tuple(s.animation_slider->text, s.animation_slider->position), std::tuple(std::string("1/1"), 0.0));
    s.animation_slider->position = 0.7;
    callback_animation_position(s.animation_slider);
    EXPECT_EQ(std::tuple(s.animation_slider->text, s.animation_position), std::tuple(std::string("1/1"), 0.0));
}

}  // namespace
