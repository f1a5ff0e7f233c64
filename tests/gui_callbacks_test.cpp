// The panel's callbacks driven through the widgets' own react operations:
// clicks, typing with SDL_TEXTINPUT and Enter, slider and view drags.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "app/window.hpp"
#include "platform/screenshot_name.hpp"
#include "geometry/camera.hpp"
#include "report/emg_measures.hpp"
#include "tests/gui_fixture.hpp"

using namespace zelto_test;

namespace {

class Callbacks : public GuiTest {
protected:
    // Clicks a button that writes a file: the console says `said` and the name in quotes, a name
    // stamped with the moment (of a "csv" or "svg"); returns the name.
    std::string write_by_click(int index, const std::string& said, const char* stem, const char* extension)
    {
        const std::time_t before = std::time(nullptr);
        const std::string out = capture_stdout([&] { click(widget(index)); });
        const std::string name = out.substr(std::min(out.size(), said.size() + 2), std::strlen(stem) + 24);
        EXPECT_TRUE(out == said + " \"" + name + "\"\n" &&
                    (name == timestamped_file_name(before, stem, extension) ||
                     name == timestamped_file_name(std::time(nullptr), stem, extension)))
            << out;
        return name;
    }
};

// Visibility switches refit while fitting is on; the projection pair and the
// pitch lock go to the viewport; a perspective view is never fitted.
TEST_F(Callbacks, FittingProjectionAndPitchLock)
{
    gui_activate_specific_page('a');
    const double fitted_zoom = state()->viewport->camera_z;
    click(state()->axis_toggle);  // without the axes only the smaller cube is framed
    EXPECT_NE(state()->viewport->camera_z, fitted_zoom);
    click(state()->axis_toggle);
    const double again = state()->viewport->camera_z;  // the fitted zoom, kept from now on
    gui_activate_specific_page('c');
    click(state()->auto_display_fitting_toggle);
    ASSERT_FALSE(state()->auto_display_fitting);
    gui_activate_specific_page('a');
    click(state()->axis_toggle);
    EXPECT_EQ(state()->viewport->camera_z, again);

    for (const int locked : {0, 1}) {
        click(state()->pitch_lock_toggle);
        EXPECT_EQ(state()->viewport->pitch_locked, locked);
    }
    for (int round = 0; round < 2; ++round) {  // clicking the chosen one again changes nothing
        click(state()->perspective_toggle);
        EXPECT_EQ(std::tuple(state()->viewport->perspective, state()->orthogonal_toggle->pressed), std::tuple(1, 0));
    }
    gui_activate_specific_page('c');
    EXPECT_EQ(capture_stdout([&] { click(widget(44)); }), "Vertex centering only works for orthogonal projection.\n");
    EXPECT_EQ(state()->viewport->camera_z, again);
    gui_activate_specific_page('a');
    click(state()->orthogonal_toggle);
    EXPECT_EQ(std::tuple(state()->viewport->perspective, state()->perspective_toggle->pressed), std::tuple(0, 0));
}

TEST_F(Callbacks, ReadBoundShowAndStore)
{
    // What, the field's index and page, the text typed, shown and stored.
    const std::tuple<const char*, int, char, const char*, const char*, double> rows[] = {
        {"z is kept negative", 24, 'a', "7", "-7.00", -7.0}, {"z without a number", 24, 'a', "abc", "-0.10", -0.1},
        {"z 0", 24, 'a', "0", "-0.10", -0.1}, {"z -0", 24, 'a', "-0", "-0.10", -0.1},
        {"z nearer than the limit", 24, 'a', "-0.05", "-0.10", -0.1}, {"z at the limit", 24, 'a', "0.1", "-0.10", -0.1},
        {"z negative as typed", 24, 'a', "-12.345", "-12.35", -12.345},
        {"x with spaces and a tail", 22, 'a', "  1.5mm", "1.50", 1.5}, {"y negative", 23, 'a', "-2", "-2.00", -2.0},
        {"x too large for a double", 22, 'a', "1e999", "0.00", 0.0}, {"y not a number", 23, 'a', "nan", "0.00", 0.0},
        {"y infinite", 23, 'a', "-inf", "0.00", 0.0}, {"pitch with one decimal", 28, 'a', "45", "45.0", 45.0},
        {"yaw stored as typed", 29, 'a', "400.25", "400.2", 400.25}, {"roll negative", 30, 'a', "-30", "-30.0", -30.0},
        {"amount below 0", 70, 'e', "-3", "0", 0.0}, {"amount", 71, 'e', "2", "2", 2.0},
        {"amount reads the integer part", 72, 'e', "1.9", "1", 1.0},
        {"amount without a number", 72, 'e', "x", "0", 0.0},
        {"amount below the 32-bit range", 70, 'e', "-2147483649", "0", 0.0}, {"spacing", 66, 'e', "1.5", "1.50", 1.5},
        {"spacing below 0", 66, 'e', "-1", "0.00", 0.0}, {"spacing not finite", 66, 'e', "inf", "0.00", 0.0},
        {"line width at least 1", 118, 'h', "0.5", "1.00", 1.0}, {"line width", 118, 'h', "250", "250.00", 250.0},
        {"line width not a number", 118, 'h', "nan", "1.00", 1.0},
    };
    const GuiState* s = state();
    const InteractableViewport3d* v = s->viewport;
    const std::map<int, std::function<double()>> stored_by_index = {
        {22, [&] { return v->camera_x; }}, {23, [&] { return v->camera_y; }}, {24, [&] { return v->camera_z; }},
        {28, [&] { return v->pitch; }}, {29, [&] { return v->yaw; }}, {30, [&] { return v->roll; }},
        {66, [&] { return s->extrapolation_distance; }}, {70, [&] { return double(s->extrapolation_x_amount); }},
        {71, [&] { return double(s->extrapolation_y_amount); }}, {72, [&] { return double(s->extrapolation_z_amount); }},
        {118, [&] { return s->screenshot_svg_scale; }}};
    for (const auto& [what, index, page, typed, shown, stored] : rows) {
        gui_activate_specific_page(page);
        auto* field = widget_as<InteractableTextInput>(index);
        type_into(field, typed);
        EXPECT_EQ(std::tuple(field->text, field->editing, stored_by_index.at(index)()), std::tuple(shown, 0, stored))
            << what;
    }
}

// With a report loaded: a camera value re-projects the paths, grid values
// rebuild the copies, and grids too large are refused with the warning.
TEST_F(Callbacks, ValuesTakeEffectOnTheLoadedPaths)
{
    TempWorkingDirectory directory;
    load_report_file("r.tsv", report_text({{"A", 20}}));
    gui_activate_specific_page('a');
    const Vector3 before = gui_projected_vertex(state(), GUI_KIND_INCISAL, -1, 5);
    type_into(state()->viewport_x_input, "3");
    EXPECT_NE(gui_projected_vertex(state(), GUI_KIND_INCISAL, -1, 5).x, before.x);

    gui_activate_specific_page('e');
    for (const auto& [field, typed] : {std::pair{state()->extrapolation_x_input, "2"}, {state()->extrapolation_y_input, "0"},
                                       {state()->extrapolation_z_input, "1"}})
        type_into(field, typed);
    EXPECT_TRUE(state()->extrapolations_number == 5 * 1 * 3 &&
                std::isfinite(gui_extrapolated_vertex(state(), GUI_KIND_LEFT, 14, 19).x) &&
                std::isnan(gui_extrapolated_vertex(state(), GUI_KIND_LEFT, 15, 19).x));
    type_into(state()->extrapolation_y_input, "1");
    state()->extrapolation_memory_limit = std::int64_t{1} << 30;
    const std::pair<InteractableTextInput*, const char*> refused[] = {
        {state()->extrapolation_y_input, "2000000000"}, {state()->extrapolation_z_input, "99999999999"},
        {state()->extrapolation_y_input, "300000"}};
    for (const auto& [field, typed] : refused) {
        const std::string out = capture_stdout([&] { type_into(field, typed); });
        EXPECT_TRUE(out.starts_with("WARNING: Grid amounts 2, ") && field->text == "1" &&
                    out.ends_with(" MiB, more than 1024 MiB.\nUsing the previous amounts 2, 1, 1 instead.\n"))
            << out << field->text;
    }
    EXPECT_EQ(std::tuple(state()->extrapolation_x_amount, state()->extrapolation_y_amount,
                         state()->extrapolation_z_amount, state()->extrapolations_number),
              std::tuple(2, 1, 1, 5 * 3 * 3));
}

// However the camera is brought near (a zoom drag, the wheel, a preset with z +5), camera_z stays
// at or below -0.1, the Z field shows it, the picture is not mirrored; Fit view centres a point.
TEST_F(Callbacks, CameraNeverComesNearerThanTheLimitAndFitCentres)
{
    TempWorkingDirectory directory;
    InteractableViewport3d* v = state()->viewport;
    auto project = [&](const Vector3& p) {
        Vector3 out{};
        camera_project(&out, camera_model_view_matrix(interactable_viewport3d_camera_view(v)), p);
        return out;
    };
    GuiPreset far = current();
    std::tie(far.camera_z, far.auto_display_fitting) = std::tuple(5.0, 0);
    gui_serialization_save_to_file(&far, "far.zlp");
    interactable_text_input_set_text_formatted_and_deactivate(state()->preset_path_input, "far");
    SDL_Event wheel{};
    std::tie(wheel.type, wheel.wheel.y, wheel.wheel.mouseX, wheel.wheel.mouseY) =
        std::tuple(SDL_MOUSEWHEEL, 500, 300, 300);
    const std::tuple<std::function<void()>, double, const char*> roads[] = {  // each with the z it leaves, shown
        {[&] {
             deliver(mouse_button_event(SDL_MOUSEBUTTONDOWN, 300, 300, SDL_BUTTON_MIDDLE));
             deliver(mouse_motion_event(300, 300, 0, -5000));
             deliver(mouse_button_event(SDL_MOUSEBUTTONUP, 300, 300, SDL_BUTTON_MIDDLE));
         },
         -0.1, "-0.10"},
        {[&] { deliver(wheel); }, -0.1, "-0.10"},
        {[&] { callback_load_custom_preset_from_file(state()->preset_path_input); }, -5.0, "-5.00"},
    };
    for (const auto& [act, z, shown] : roads) {
        v->camera_z = -5.0;
        act();
        EXPECT_EQ(std::pair(v->camera_z, state()->viewport_z_input->text), std::pair(z, std::string(shown)));
        std::tie(v->camera_x, v->camera_y, v->pitch, v->yaw, v->roll) = std::tuple(0.0, 0.0, 0.0, 180.0, 0.0);
        EXPECT_LT(project({1, 0, 0}).x, 0.5) << shown;
    }

    // One sample with its grid off: the left point alone, a view of no extent.
    load_report_file("one.tsv", report_text({{"A", 1}}));
    gui_activate_specific_page('e');
    click(state()->extrapolation_l_toggle);
    gui_activate_specific_page('c');
    for (const double z : {-20.0, 0.0}) {
        std::tie(v->camera_x, v->camera_y, v->camera_z) = std::tuple(3.0, -2.0, z);
        click(widget(44));
        expect_near(project(state()->l_verts[0]), {0.5, 0.5, project(state()->l_verts[0]).z});
        EXPECT_EQ(v->camera_z, z == 0.0 ? -0.1 : z) << "the zoom it had, never nearer than the limit";
    }
}

// The speed slider sets the multiplier and the button's text; the button
// brings real speed back, which a preset stores.
TEST_F(Callbacks, PlaybackSpeed)
{
    gui_activate_specific_page('d');
    InteractableSlider* slider = state()->speed_slider;
    click(slider, 80, 30);  // on the track right of the knob: one step up
    EXPECT_GT(slider->position, 0.15);
    EXPECT_EQ(std::tuple(state()->speed_slider_position, state()->speed_multiplier, state()->speed_reset_button->text),
              std::tuple(slider->position, 10.0 * slider->position, "x2.0"));

    slider->position = state()->speed_slider_position = 0.73;
    state()->speed_multiplier = 7.3;
    click(state()->speed_reset_button);
    const double real = static_cast<double>(0.1f);
    EXPECT_EQ(std::tuple(slider->position, state()->speed_slider_position, state()->speed_multiplier,
                         state()->speed_reset_button->text, current().speed_slider_position),
              std::tuple(real, real, 10.0 * real, "x1.0", real));
}

// The button asks for a picture (whose writer shows the notice once the file
// is complete); the file type follows its radio pair; background and colour
// override never hold the same colour.
TEST_F(Callbacks, ScreenshotSettings)
{
    take_posted();
    click(widget(122));
    EXPECT_EQ(state()->screenshot_taken_text->active, 0);
    EXPECT_EQ(take_posted(), std::vector<int>{USER_EVENT_SCREENSHOT});

    gui_activate_specific_page('h');
    click(widget(107));
    EXPECT_EQ(std::tuple(state()->screenshot_file_type, pressed_of(widget(108))), std::tuple(0, 0));
    click(widget(108));
    EXPECT_EQ(state()->screenshot_file_type, 1);

    // Start: background none (0), colour black (1).
    // The widget clicked; background and colour after it; pressed of 110, 111, 112 (background)
    // and 114, 115, 116 (colour).
    const std::tuple<int, int, int, std::vector<int>> steps[] = {
        {110, 1, 2, {1, 0, 0, 0, 1, 0}},  // black background moves the colour to white
        {111, 2, 1, {0, 1, 0, 1, 0, 0}},  // white background moves the colour to black
        {115, 1, 2, {1, 0, 0, 0, 1, 0}},  // white colour moves the background to black
        {114, 2, 1, {0, 1, 0, 1, 0, 0}},  // black colour moves the background to white
        {116, 2, 0, {0, 1, 0, 0, 0, 1}},  // own colours: nothing else moves
        {112, 0, 0, {0, 0, 1, 0, 0, 1}},  // no background
        {110, 1, 0, {1, 0, 0, 0, 0, 1}},  // nothing to move
    };
    for (const auto& [clicked, background, colour, pressed] : steps) {
        click(widget(clicked));
        std::vector<int> now;
        for (int index : {110, 111, 112, 114, 115, 116})
            now.push_back(pressed_of(widget(index)));
        EXPECT_EQ(std::tuple(state()->screenshot_svg_background, state()->screenshot_svg_color_override, now),
                  std::tuple(background, colour, pressed))
            << clicked;
    }
}

// The "Measures" page shows the figures of the selected exercise with their
// units, follows the exercise and the report, and its button writes the CSV.
TEST_F(Callbacks, MeasuresPageFollowsTheExerciseAndWritesTheCsv)
{
    TempWorkingDirectory directory;
    click(state()->page_toggle_i);
    EXPECT_EQ(capture_stdout([&] { click(widget(131)); }), "No report loaded: no measures written\n");
    EXPECT_TRUE(std::filesystem::is_empty(directory.path()));
    capture_stdout([&] {
        gui_load_report((source_dir() / "examples/demo_report.tsv").c_str());
        gui_load_finish(gui_state);
    });
    ASSERT_NE(state()->report, nullptr) << "the demo report under " << source_dir();
    for (const auto& [exercise, title] : {std::pair(0, "[1] Opening and closing"), std::pair(3, "[4] Laterotrusion right")}) {
        gui_activate_specific_page('b');
        click(state()->exercise_toggles[static_cast<std::size_t>(exercise)].get());
        click(state()->page_toggle_i);
        EXPECT_EQ(state()->measures_title->text, title);
        const EmgMeasures m = emg_measures_of_exercise(state()->report.get(), gui_selected_exercise(state()));
        // Each figure with its decimals and unit, or "-".
        const std::pair<int, const char*> mm{2, " mm"}, deg{1, "\u00b0"};
        const std::pair<std::optional<double>, std::pair<int, const char*>> shown[] = {
            {m.samples, {0, ""}}, {m.duration_s, {2, " s"}}, {m.max_incisal_distance_mm, mm},
            {m.max_vertical_opening_mm, mm}, {m.max_protrusion_mm, mm}, {m.max_laterotrusion_right_mm, mm},
            {m.max_laterotrusion_left_mm, mm}, {m.deviation_at_max_opening_mm, mm},
            {m.max_deviation_while_opening_mm, mm}, {m.max_opening_angle_deg, deg}, {*m.opening_movements, {0, ""}},
            {m.left.max_translation_mm, mm}, {m.right.max_translation_mm, mm}, {m.left.inclination_deg, deg},
            {m.right.inclination_deg, deg}, {m.left.bennett_deg, deg}, {m.right.bennett_deg, deg}};
        for (std::size_t k = 0; k < std::size(shown); ++k) {
            const std::string& text = state()->measures_values[k]->text;
            const auto& [value, format] = shown[k];
            EXPECT_TRUE(value ? is_number_text(text, format.first, format.second) &&
                                    std::fabs(std::stod(text) - *value) < 0.051
                              : text == "-")
                << k << ": " << text;
        }
    }
    const std::string csv = read_file(write_by_click(131, "Measures written to", "measures", "csv"));
    EXPECT_EQ(std::tuple(count_of(csv, "\r\n"), csv.find("\r\ndemo_report.tsv,1,Opening and closing,1000,9.9900,") != std::string::npos,
                         state()->measures_written_text->active),
              std::tuple(6u, true, 1));
    // A report that fails to load leaves the figures of the open one.
    const std::string shown = state()->measures_title->text + state()->measures_values[3]->text;
    capture_stdout([&] { gui_load_report("missing.tsv"); });
    EXPECT_EQ(state()->measures_title->text + state()->measures_values[3]->text, shown);
}

// The chart is built when its page shows; a click seeks and pauses as the position slider does;
// its cursor follows playback; its button writes the chosen exercise's chart, or says why not.
TEST_F(Callbacks, ChartSeeksLikeThePositionSliderAndWritesItsSvg)
{
    TempWorkingDirectory directory;
    click(state()->page_toggle_i);
    EXPECT_EQ(capture_stdout([&] { click(widget(168)); }), "No report loaded: no chart written\n");
    EXPECT_TRUE(std::filesystem::is_empty(directory.path()));
    InteractableChart* chart = state()->chart;
    EXPECT_EQ(chart->chart.message, "No report loaded");
    capture_stdout([&] { load_report_file("two.tsv", report_text({{"first", 500}, {"second", 40}})); });
    EXPECT_EQ(std::tuple(chart->active, chart->chart.message), std::tuple(0, "No report loaded"));  // hidden: waits
    click(state()->page_toggle_i);
    ASSERT_EQ(chart->chart.time.samples, 500);

    // Column 123 of the plot (from x 760 + 42) holds samples 250 to 252.
    click(chart, 42 + 123, 100);
    EXPECT_EQ(std::tuple(state()->animation_position, state()->paused, pressed_of(state()->paused_toggle),
                         state()->animation_slider->text, state()->animation_slider->position),
              std::tuple(251.0, true, 1, "252/500", 251.0 / 499));
    interactable_toggle_set_state(state()->paused_toggle, 0, 1);
    state()->animation_position = 17.25;
    gui_update_playback_slider();  // every pass, with the slider
    EXPECT_EQ(chart->cursor_sample, 17.25);

    gui_activate_specific_page('b');
    click(state()->exercise_toggles[1].get());
    click(state()->page_toggle_i);
    gui_update_playback_slider();
    EXPECT_EQ(std::tuple(chart->chart.time.samples, chart->chart.title, chart->cursor_sample),
              std::tuple(40, "[2] second", 0.0));
    EXPECT_EQ(count_of(read_file(write_by_click(168, "Chart written to", "chart", "svg")), "[2] second</text>"), 1u);
    EXPECT_EQ(std::tuple(state()->chart_written_text->active, state()->measures_written_text->active), std::tuple(1, 0));
    capture_stdout([&] { click(widget(131)); });  // the CSV's notice takes the place
    EXPECT_EQ(std::tuple(state()->chart_written_text->active, state()->measures_written_text->active), std::tuple(0, 1));
}

// The tracing switch shows the sheet in place of the 3D view while its page shows, at every window size, and the 3D
// view as it was otherwise; a click on the sheet goes to the sample drawn there and pauses; the marks follow
// playback; its button writes the chosen exercise's sheet, or says why not.
TEST_F(Callbacks, TracingSheetTakesTheViewSeeksAndWritesItsSvg)
{
    TempWorkingDirectory directory;
    InteractableTracing* sheet = state()->tracing_sheet;
    const InteractableViewport3d* view = state()->viewport;
    const auto shown = [&] { return std::tuple(sheet->active, view->active); };
    click(state()->page_toggle_i);
    EXPECT_EQ(capture_stdout([&] { click(widget(174)); }), "No report loaded: no tracings written\n");
    EXPECT_TRUE(std::filesystem::is_empty(directory.path()));
    capture_stdout([&] { load_report_file("two.tsv", report_text({{"first", 500}, {"second", 40}})); });
    click(state()->page_toggle_i);
    EXPECT_EQ(shown(), std::tuple(0, 1));
    const auto camera = std::tuple(view->camera_x, view->camera_y, view->camera_z, view->pitch, view->yaw, view->roll);
    click(state()->tracings_toggle);
    EXPECT_EQ(shown(), std::tuple(1, 0));
    EXPECT_EQ(std::tuple(sheet->x, sheet->y, sheet->w, sheet->h, sheet->sheet.exercise, sheet->sheet.picture.width),
              std::tuple(0, 0, 750, 750, 0, 750.0));

    // Sample 123 opens; on the way back sample 376 is drawn at the same place.
    const EmgReport& report = *state()->report;
    const TracingPlot& sagittal = sheet->sheet.plots.at(0);
    const auto place = [&](double k) {
        return *tracing_picture_place(sagittal, report, report.exercises[0].data[static_cast<std::size_t>(k)],
                                      TracingPoint::incisal);
    };
    const PicturePoint at = place(123);
    click(sheet, static_cast<int>(at.x), static_cast<int>(at.y));
    const PicturePoint found = place(state()->animation_position);
    EXPECT_LT(std::hypot(found.x - (std::floor(at.x) + 0.5), found.y - (std::floor(at.y) + 0.5)), 1.0);
    EXPECT_EQ(std::tuple(state()->paused, pressed_of(state()->paused_toggle)), std::tuple(true, 1));
    EXPECT_EQ(state()->animation_slider->text,
              std::to_string(static_cast<int>(state()->animation_position) + 1) + "/500");
    interactable_toggle_set_state(state()->paused_toggle, 0, 1);
    state()->animation_position = 17.25;
    gui_update_playback_slider();  // every pass, with the slider
    EXPECT_EQ(sheet->sheet.picture.items.at(sheet->sheet.marks_from + 2).points.at(0), place(17));

    // Another page: the 3D view as it was, taking input; back: the sheet; a larger window: a larger sheet.
    gui_activate_specific_page('c');
    EXPECT_EQ(shown(), std::tuple(0, 1));
    EXPECT_EQ(std::tuple(view->camera_x, view->camera_y, view->camera_z, view->pitch, view->yaw, view->roll), camera);
    click(state()->page_toggle_i);
    EXPECT_EQ(shown(), std::tuple(1, 0));
    resize_window(1350, 1000);
    EXPECT_EQ(std::tuple(sheet->x, sheet->y, sheet->w, sheet->h, sheet->sheet.picture.width, view->w),
              std::tuple(0, 0, 1000, 1000, 1000.0, 1000));
    resize_window(1100, 750);

    gui_activate_specific_page('b');
    click(state()->exercise_toggles[1].get());
    click(state()->page_toggle_i);
    EXPECT_EQ(std::tuple(sheet->sheet.exercise, sheet->active), std::tuple(1, 1));
    const std::string svg = read_file(write_by_click(174, "Tracings written to", "tracings", "svg"));
    EXPECT_EQ(std::tuple(count_of(svg, "[2] second</text>"), count_of(svg, "[1] first</text>"), count_of(svg, "</svg>")),
              std::tuple(2u, 1u, 1u));  // the title and the legend
    EXPECT_EQ(std::tuple(state()->tracings_written_text->active, state()->summary_written_text->active),
              std::tuple(1, 0));
    click(state()->tracings_toggle);
    EXPECT_EQ(shown(), std::tuple(0, 1));
}

// The "Clinical" page shows the selected exercise's type and figures against their ranges; a click on a figure goes
// to the sample where it is reached and pauses; the reference plane's controls change its angles and the CSV's.
TEST_F(Callbacks, ClinicalPageShowsTheFiguresOfTheTypeAndGoesWhereEachIsReached)
{
    TempWorkingDirectory directory;
    click(state()->page_toggle_j);
    EXPECT_EQ(state()->clinical_title->text, "No report loaded");
    capture_stdout([&] {
        gui_load_report((source_dir() / "examples/demo_report.tsv").c_str());
        gui_load_finish(gui_state);
    });
    click(state()->page_toggle_j);  // loading shows the exercise list
    EXPECT_EQ(state()->clinical_type->text + "|" + state()->clinical_names[0]->text + "|" +
                  state()->clinical_norms[0]->text,
              "opening, by its name|Max. vertical opening|40-60 mm");
    const EmgMeasures m = emg_measures_of_exercise(state()->report.get(), gui_selected_exercise(state()));
    click(state()->clinical_values[0]);
    EXPECT_EQ(std::tuple(state()->animation_position, state()->paused, state()->clinical_values[0]->text),
              std::tuple(double(*m.max_vertical_opening_sample), true,
                         emg_measures_format(*m.max_vertical_opening_mm, 2) + " mm"));

    gui_activate_specific_page('b');
    click(state()->exercise_toggles[1].get());  // the protrusion: its inclinations, against each plane
    click(state()->page_toggle_j);
    const std::string recording = state()->clinical_values[1]->text;
    EXPECT_EQ(state()->clinical_names[1]->text + "|" + state()->clinical_norms[1]->text, "Condylar incl. left|30-45\u00b0");
    click(state()->reference_calibration_toggle);
    EXPECT_NE(state()->clinical_values[1]->text, recording);
    type_into(state()->reference_tilt_input, "12.5");
    EXPECT_EQ(std::tuple(state()->reference_plane.kind, state()->reference_plane.tilt_deg),
              std::tuple(EmgReferencePlaneKind::calibration, 12.5));
    gui_activate_specific_page('i');
    const std::string csv = read_file(write_by_click(131, "Measures written to", "measures", "csv"));
    EXPECT_EQ(count_of(csv, ",calibration,12.5000\r\n"), 5u);
}

}  // namespace
