// Hostile input never crashes the program, never hangs it and never leaves
// it unusable: after each input a valid report still loads and a pass still
// draws it.
//
// Groups:
//   HostileReports       every kind of the report catalog; rates that are no
//                        rate; exercise lists of 2000 entries and exercises
//                        of one sample; degenerate jaw frames with the grid on
//   HostilePresets       preset files of every wrong size; absurd values in
//                        an otherwise valid record
//   HostileTypedNumbers  absurd text typed into every numeric field, the
//                        report path and the preset path; screenshots of the
//                        absurd views that follow
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "gui/gui_report_access.hpp"
#include "tests/reliability/report_catalog.hpp"
#include "tests/reliability/session.hpp"

namespace zelto_reliability {
namespace {

// -----------------------------------------------------------------------------
// Shared checks
// -----------------------------------------------------------------------------

const EmgExercise* selected(Session& session)
{
    return gui_selected_exercise(&session.state());
}

// The animation position lies inside the selected exercise (it may stand
// between the last sample and the end, which shows the last sample). The
// playback slider shows one of its samples.
void expect_position_inside(Session& session, const std::string& context)
{
    const EmgExercise* exercise = selected(session);
    if (exercise == nullptr)
        return;
    const double n = gui_exercise_sample_count(exercise);
    const double p = session.state().animation_position;
    EXPECT_TRUE(p >= 0.0 && p < n) << context << ": position " << p;
    int shown = 0, of = 0;
    const std::string& label = session.state().animation_slider->text;
    ASSERT_EQ(std::sscanf(label.c_str(), "%d/%d", &shown, &of), 2) << context << ": slider shows " << label;
    EXPECT_TRUE(of == static_cast<int>(n) && shown >= 1 && shown <= of) << context << ": slider shows " << label;
}

// The grid settings are ones the pipeline can build, the numbers finite.
void expect_sane_settings(Session& session, const std::string& context)
{
    const GuiState& s = session.state();
    EXPECT_GE(std::min({s.extrapolation_x_amount, s.extrapolation_y_amount, s.extrapolation_z_amount}), 0) << context;
    EXPECT_GE(s.extrapolation_distance, 0.0) << context;
    EXPECT_LE(s.viewport->camera_z, VIEWPORT_CAMERA_Z_LIMIT) << context;
    for (double v : {s.extrapolation_distance, s.speed_slider_position, s.viewport->camera_x, s.viewport->camera_y,
                     s.viewport->camera_z, s.viewport->pitch, s.viewport->yaw, s.viewport->roll})
        EXPECT_TRUE(std::isfinite(v)) << context;
}

// A few passes that let the clock run, with the mouse over the 3D view.
void run_passes(Session& session, int count, const std::string& context)
{
    for (int i = 0; i < count; ++i) {
        EXPECT_TRUE(session.pass()) << context;
        expect_position_inside(session, context + ", pass " + std::to_string(i));
    }
}

void set_toggle(Session& session, InteractableToggle* toggle, bool on)
{
    if ((toggle->pressed != 0) != on)
        session.click(toggle);
    EXPECT_EQ(toggle->pressed != 0, on);
}

// Presses a slider's knob, drags it to `to_x` and lets go.
void drag_slider(Session& session, const InteractableSlider* slider, int to_x)
{
    const int knob_x = static_cast<int>(slider->track_length * slider->position) + slider->x + 10;
    const int knob_y = slider->y + slider->h - 10;
    session.push(zelto_test::mouse_button_event(SDL_MOUSEBUTTONDOWN, knob_x, knob_y));
    session.push(zelto_test::mouse_motion_event(to_x, knob_y, to_x - knob_x, 0));
    session.push(zelto_test::mouse_button_event(SDL_MOUSEBUTTONUP, to_x, knob_y));
    session.still_pass();
}

int files_with_extension(const std::filesystem::path& directory, const std::string& extension)
{
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        if (entry.path().extension() == extension && entry.is_regular_file() && entry.file_size() > 0)
            ++count;
    return count;
}

// The "Screenshot" button in both formats; each writes a file that is not
// empty.
void take_screenshots(Session& session, const std::string& context)
{
    GuiState& s = session.state();
    InteractableToggle* bmp = dynamic_cast<InteractableToggle*>(s.pages[7][1]);
    InteractableToggle* svg = dynamic_cast<InteractableToggle*>(s.pages[7][2]);
    Interactable* button = s.interactables[122].get();
    ASSERT_NE(bmp, nullptr);
    ASSERT_NE(svg, nullptr);
    session.show_page('h');
    for (InteractableToggle* type : {bmp, svg}) {
        set_toggle(session, type, true);
        const std::string extension = type == bmp ? ".bmp" : ".svg";
        // A second-resolution name: remove an earlier file of the same name.
        for (const auto& entry : std::filesystem::directory_iterator(session.directory()))
            if (entry.path().extension() == extension)
                std::filesystem::remove(entry.path());
        session.click(button);
        session.still_pass();
        EXPECT_EQ(files_with_extension(session.directory(), extension), 1) << context << " " << extension;
    }
}

// -----------------------------------------------------------------------------
// HostileReports
// -----------------------------------------------------------------------------

TEST(HostileReports, EveryKindEndsAsExpectedAndLeavesTheProgramUsable)
{
    Session session;
    const std::vector<ReportKind> kinds = report_catalog();
    constexpr Road roads[] = {Road::drop, Road::path_field, Road::call};
    for (std::size_t k = 0; k < kinds.size(); ++k) {
        const ReportKind& kind = kinds[k];
        const Road road = roads[k % std::size(roads)];
        const std::string context = kind.group + ": " + kind.name + " (" + road_name(road) + ")";
        SCOPED_TRACE(context);
        const std::filesystem::path path = session.directory() / kind.file_name;
        make_report(kind, path);
        const std::string printed = session.load(path.string(), road);

        const bool loaded = session.state().report != nullptr;
        if (kind.outcome != Outcome::either) {
            EXPECT_EQ(loaded, kind.outcome == Outcome::loads) << printed.substr(0, 4000);
        }
        for (const std::string& message : kind.messages)
            EXPECT_NE(printed.find(message), std::string::npos) << "no \"" << message << "\"";
        if (loaded && kind.exercises >= 0) {
            EXPECT_EQ(session.state().report->exercises_number, kind.exercises);
        }

        // The mouse over the view, so that the inspection searches too.
        session.move_mouse(375, 375);
        for (bool looping : {true, false}) {
            session.state().looping = looping;
            run_passes(session, 3, context);
        }
        session.expect_usable(context, road);
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
}

TEST(HostileReports, RatesThatAreNoRateKeepTheAnimationInsideTheExercise)
{
    Session session;
    const ReportParts base = generated_parts([] {
        ReportGeneratorOptions options;
        options.exercises = 2;
        options.duration = 0.5;
        return options;
    }());
    const char* frequencies[] = {"0", "-100", "nan", "inf", "-inf", "1e308", "-1e308", "4.9e-324", "123456789"};
    GuiState& s = session.state();
    for (const char* frequency : frequencies) {
        const std::string context = std::string("frequency ") + frequency;
        SCOPED_TRACE(context);
        ReportParts parts = base;
        parts.frequency = std::string("Frequency,Hz\t") + frequency;
        zelto_test::write_file(session.directory() / "rate.tsv", parts.text());
        session.load((session.directory() / "rate.tsv").string(), Road::drop);
        ASSERT_NE(s.report, nullptr);

        session.show_page('d');
        for (bool looping : {true, false}) {
            set_toggle(session, s.looping_toggle, looping);
            set_toggle(session, s.paused_toggle, false);
            // Real time, then the fastest the slider allows.
            session.click(s.speed_reset_button);
            run_passes(session, 5, context + (looping ? ", looping" : ", not looping"));
            drag_slider(session, s.speed_slider, s.speed_slider->x + s.speed_slider->w + 100);
            EXPECT_EQ(s.speed_slider->position, 1.0);
            run_passes(session, 5, context + (looping ? ", looping, fast" : ", not looping, fast"));
            // A position put anywhere comes back inside the exercise.
            for (double p : {-1e300, -0.5, 49.999, 50.0, 1e300, std::numeric_limits<double>::quiet_NaN()}) {
                s.animation_position = p;
                run_passes(session, 2, context + ", from " + std::to_string(p));
            }
        }
        session.expect_usable(context);
    }
}

TEST(HostileReports, TwoThousandEntriesAndExercisesOfOneSample)
{
    Session session;
    GuiState& s = session.state();
    const std::vector<ReportKind> kinds = report_catalog();
    for (const char* name : {"2000 entries, 1000 blocks", "exercises of one sample"}) {
        SCOPED_TRACE(name);
        const auto kind = std::find_if(kinds.begin(), kinds.end(), [&](const ReportKind& k) { return k.name == name; });
        ASSERT_NE(kind, kinds.end());
        make_report(*kind, session.directory() / kind->file_name);
        session.load((session.directory() / kind->file_name).string(), Road::path_field);
        ASSERT_NE(s.report, nullptr);
        const int n = s.report->exercises_number;

        // Through the toggles the user can reach, then every index the
        // selection may be asked for.
        for (int i = 0; i < std::min<int>(n, 6); ++i) {
            session.click(s.exercise_toggles[static_cast<std::size_t>(i)].get());
            EXPECT_EQ(s.selected_exercise, i);
            run_passes(session, 2, name);
        }
        for (std::int32_t index : {-1, n, n + 1, -n - 1, std::numeric_limits<std::int32_t>::min(),
                                   std::numeric_limits<std::int32_t>::max()}) {
            gui_set_selected_exercise_number(index);
            EXPECT_GE(s.selected_exercise, 0);
            EXPECT_LT(s.selected_exercise, n);
            run_passes(session, 2, name);
        }
        // The playback slider dragged to both ends and past them.
        session.show_page('d');
        InteractableSlider* slider = s.animation_slider;
        for (int x : {slider->x - 50, slider->x + 1, slider->x + slider->w / 2, slider->x + slider->w - 1,
                      slider->x + slider->w + 50}) {
            drag_slider(session, slider, x);
            EXPECT_TRUE(s.paused);
            run_passes(session, 2, name);
        }
        take_screenshots(session, name);
        session.expect_usable(name);
    }
}

TEST(HostileReports, DegenerateJawFramesWithTheWholeGridOn)
{
    Session session;
    GuiState& s = session.state();
    const std::vector<ReportKind> kinds = report_catalog();
    for (const char* name : {"three points at one place", "incisal point between the condyles",
                             "every position zero", "NaN and infinite positions", "positions near the largest double",
                             "non-finite calibration", "exercises of one sample"}) {
        SCOPED_TRACE(name);
        const auto kind = std::find_if(kinds.begin(), kinds.end(), [&](const ReportKind& k) { return k.name == name; });
        ASSERT_NE(kind, kinds.end());
        make_report(*kind, session.directory() / kind->file_name);
        session.load((session.directory() / kind->file_name).string(), Road::call);
        ASSERT_NE(s.report, nullptr);

        // Every grid switch on, through the panel.
        session.show_page('e');
        for (InteractableToggle* t : {s.extrapolation_l_toggle, s.extrapolation_i_toggle, s.extrapolation_r_toggle})
            set_toggle(session, t, true);
        session.type_into(s.extrapolation_x_input, "2");
        session.type_into(s.extrapolation_y_input, "1");
        session.type_into(s.extrapolation_z_input, "2");
        EXPECT_EQ(s.extrapolation_x_amount, 2);
        session.show_page('c');
        for (InteractableToggle* t : {s.spokes_toggle, s.callibration_toggle, s.all_exercise_verts_toggle,
                                      s.l_vertex_toggle, s.i_vertex_toggle, s.r_vertex_toggle, s.lr_edge_toggle})
            set_toggle(session, t, true);
        run_passes(session, 3, name);

        // Point at the view, lock and unlock, turn it, fit it.
        for (int y : {100, 375, 650})
            for (int x : {100, 375, 650}) {
                session.move_mouse(x, y);
                session.push(zelto_test::key_event(SDL_KEYDOWN, SDLK_SPACE));
                session.push(zelto_test::key_event(SDL_KEYUP, SDLK_SPACE));
                run_passes(session, 1, name);
            }
        for (std::uint8_t button : {SDL_BUTTON_LEFT, SDL_BUTTON_MIDDLE, SDL_BUTTON_RIGHT}) {
            session.push(zelto_test::mouse_button_event(SDL_MOUSEBUTTONDOWN, 300, 300, button));
            session.push(zelto_test::mouse_motion_event(340, 260, 40, -40));
            session.push(zelto_test::mouse_button_event(SDL_MOUSEBUTTONUP, 340, 260, button));
            run_passes(session, 2, name);
        }
        for (int i = 1; i <= 4; ++i)
            session.click(s.pages[2][static_cast<std::size_t>(i)]);  // the standard views and "Fit view"
        session.show_page('a');
        set_toggle(session, s.perspective_toggle, true);
        run_passes(session, 2, name);
        set_toggle(session, s.orthogonal_toggle, true);
        take_screenshots(session, name);
        expect_sane_settings(session, name);
        session.expect_usable(name);
    }
}

// -----------------------------------------------------------------------------
// HostilePresets
// -----------------------------------------------------------------------------

// The file bytes of the current settings.
std::string settings_file_bytes(Session& session)
{
    GuiPreset preset{};
    gui_serialize(&session.state(), &preset);
    const std::filesystem::path path = session.directory() / "current.zlp";
    gui_serialization_save_to_file(&preset, path.c_str());
    return zelto_test::read_file(path);
}

Interactable* preset_button(Session& session, std::size_t row)
{
    return session.state().pages[5][row];
}

constexpr std::size_t row_custom_1 = 8;
constexpr std::size_t row_path_load = 17;

TEST(HostilePresets, FilesOfEveryWrongSize)
{
    Session session;
    GuiState& s = session.state();
    session.expect_usable("start");
    // A record unlike preset 0: the grid of preset 3, the camera turned.
    gui_state_load_preset(3);
    const std::string record = settings_file_bytes(session);
    ASSERT_EQ(record.size(), 104u);
    const GuiPreset& fallback = s.presets[0];

    // Whether a file holds a whole record is checked byte by byte by the
    // preset tests; here a few sizes go through the panel's two roads.
    const std::size_t sizes[] = {0, 1, 8, 52, 103, 105, 4096, std::size_t{16} << 20};

    session.show_page('f');
    session.type_into(s.preset_path_input, "sized");
    for (std::size_t size : sizes) {
        const std::string context = "preset file of " + std::to_string(size) + " bytes";
        SCOPED_TRACE(context);
        std::string bytes = record.substr(0, std::min<std::size_t>(size, record.size()));
        bytes.resize(size, '\xA5');
        // Through the path field and through custom preset 1.
        for (const char* file : {"sized.zlp", "preset1.zlp"}) {
            zelto_test::write_file(session.directory() / file, bytes);
            gui_state_load_preset(5);  // something else than both outcomes
            session.show_page('f');
            session.click(preset_button(session, std::string(file) == "sized.zlp" ? row_path_load : row_custom_1));
            if (size < 104) {
                // Not a whole record: preset 0.
                EXPECT_EQ(s.draw_reference, fallback.draw_reference != 0) << file;
                EXPECT_EQ(s.extrapolation_y_amount, fallback.extrapolation_y_amount) << file;
                EXPECT_EQ(s.viewport->yaw, fallback.yaw) << file;
            } else {
                EXPECT_EQ(s.extrapolation_y_amount, 1) << file;
                EXPECT_EQ(s.extrapolation_distance, 50.0) << file;
                EXPECT_EQ(s.viewport->yaw, 270.0) << file;
            }
            expect_sane_settings(session, context);
            run_passes(session, 2, context);
        }
    }
    session.expect_usable("after the sized preset files");
}

struct AbsurdRecord {
    std::string what;
    std::function<void(std::string&)> change;  // on the 104 file bytes
};

void put_double(std::string& bytes, std::size_t offset, double value)
{
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
    for (int i = 0; i < 8; ++i)
        bytes[offset + static_cast<std::size_t>(i)] = static_cast<char>(bits >> (8 * i));
}

void put_int32(std::string& bytes, std::size_t offset, std::int32_t value)
{
    const auto bits = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        bytes[offset + static_cast<std::size_t>(i)] = static_cast<char>(bits >> (8 * i));
}

std::vector<AbsurdRecord> absurd_records()
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<AbsurdRecord> records;
    const std::pair<std::size_t, const char*> doubles[] = {{0, "camera x"}, {8, "camera y"},  {16, "camera z"},
                                                           {24, "pitch"},   {32, "yaw"},      {40, "roll"},
                                                           {64, "speed"},   {80, "spacing"}};
    const double values[] = {nan, -nan, inf, -inf, 1e308, -1e308, std::numeric_limits<double>::denorm_min(), 0.0, -1.0};
    for (const auto& [offset, name] : doubles)
        for (double value : values)
            records.push_back({std::string(name) + " " + std::to_string(value),
                               [at = offset, value](std::string& b) { put_double(b, at, value); }});
    const std::int32_t max = std::numeric_limits<std::int32_t>::max(), min = std::numeric_limits<std::int32_t>::min();
    const std::array<std::int32_t, 3> amounts[] = {{-1, -1, -1}, {min, min, min}, {max, 0, 0},    {0, 0, max},
                                                   {max, max, max}, {1000, 0, 0}, {46340, 46340, 0}, {-5, 3, min}};
    for (const auto& a : amounts)
        records.push_back({"amounts " + std::to_string(a[0]) + ", " + std::to_string(a[1]) + ", " +
                               std::to_string(a[2]),
                           [a](std::string& b) {
                               for (std::size_t i = 0; i < 3; ++i)
                                   put_int32(b, 88 + 4 * i, a[i]);
                           }});
    // Every switch byte and the padding at once.
    for (int value : {2, 127, 128, 255})
        records.push_back({"every switch and padding byte " + std::to_string(value), [value](std::string& b) {
                               for (std::size_t at : {48, 49, 50, 51, 52, 53, 54, 55, 56, 57, 58, 59, 60, 61, 62, 63,
                                                      72, 73, 74, 75, 76, 77, 78, 79, 100, 101, 102, 103})
                                   b[at] = static_cast<char>(value);
                           }});
    return records;
}

TEST(HostilePresets, AbsurdValuesAreAppliedWithoutHarm)
{
    Session session;
    GuiState& s = session.state();
    session.expect_usable("start");
    const std::string record = settings_file_bytes(session);
    ASSERT_EQ(record.size(), 104u);
    session.show_page('f');
    session.type_into(s.preset_path_input, "absurd");

    const std::vector<AbsurdRecord> records = absurd_records();
    for (std::size_t i = 0; i < records.size(); ++i) {
        const AbsurdRecord& r = records[i];
        SCOPED_TRACE(r.what);
        std::string bytes = record;
        r.change(bytes);
        zelto_test::write_file(session.directory() / "absurd.zlp", bytes);
        session.click(preset_button(session, row_path_load));
        EXPECT_GE(std::min({s.extrapolation_x_amount, s.extrapolation_y_amount, s.extrapolation_z_amount}), 0);
        // A negative spacing is applied as read: the same grid, mirrored.
        EXPECT_FALSE(std::isnan(s.extrapolation_distance));
        EXPECT_LE(s.viewport->camera_z, VIEWPORT_CAMERA_Z_LIMIT);
        run_passes(session, 1, r.what);
        // Every few records, and after the last: the program still works.
        if (i % 24 == 23 || i + 1 == records.size()) {
            session.expect_usable(r.what);
            session.show_page('f');
        }
    }
}

// -----------------------------------------------------------------------------
// HostileTypedNumbers
// -----------------------------------------------------------------------------

enum class Bound { none, not_positive, not_negative, at_least_one, angle };

struct NumericField {
    const char* name;
    char page;
    std::function<InteractableTextInput*(GuiState&)> field;
    std::function<double(const GuiState&)> stored;
    Bound bound;
    bool integer;
};

std::vector<NumericField> numeric_fields()
{
    return {
        {"camera x", 'a', [](GuiState& s) { return s.viewport_x_input; },
         [](const GuiState& s) { return s.viewport->camera_x; }, Bound::none, false},
        {"camera y", 'a', [](GuiState& s) { return s.viewport_y_input; },
         [](const GuiState& s) { return s.viewport->camera_y; }, Bound::none, false},
        {"camera z", 'a', [](GuiState& s) { return s.viewport_z_input; },
         [](const GuiState& s) { return s.viewport->camera_z; }, Bound::not_positive, false},
        {"pitch", 'a', [](GuiState& s) { return s.viewport_pitch_input; },
         [](const GuiState& s) { return s.viewport->pitch; }, Bound::angle, false},
        {"yaw", 'a', [](GuiState& s) { return s.viewport_yaw_input; },
         [](const GuiState& s) { return s.viewport->yaw; }, Bound::angle, false},
        {"roll", 'a', [](GuiState& s) { return s.viewport_roll_input; },
         [](const GuiState& s) { return s.viewport->roll; }, Bound::angle, false},
        {"grid spacing", 'e', [](GuiState& s) { return s.extrapolation_distance_input; },
         [](const GuiState& s) { return s.extrapolation_distance; }, Bound::not_negative, false},
        {"sagittal amount", 'e', [](GuiState& s) { return s.extrapolation_x_input; },
         [](const GuiState& s) { return static_cast<double>(s.extrapolation_x_amount); }, Bound::not_negative, true},
        {"vertical amount", 'e', [](GuiState& s) { return s.extrapolation_y_input; },
         [](const GuiState& s) { return static_cast<double>(s.extrapolation_y_amount); }, Bound::not_negative, true},
        {"horizontal amount", 'e', [](GuiState& s) { return s.extrapolation_z_input; },
         [](const GuiState& s) { return static_cast<double>(s.extrapolation_z_amount); }, Bound::not_negative, true},
        {"SVG line width", 'h', [](GuiState& s) { return dynamic_cast<InteractableTextInput*>(s.pages[7][12]); },
         [](const GuiState& s) { return s.screenshot_svg_scale; }, Bound::at_least_one, false},
    };
}

std::vector<std::string> absurd_texts()
{
    return {"1e999", "-1e999", "nan", "-nan", "NAN(123)", "inf", "-inf", "99999999999", "-2147483649",
            "2147483648", "", "abc", std::string(300, '9'), "1e308", "-1e308", "4.9e-324", "0x1p1023",
            "  12abc", "-0", "\xff\xfe", "%s%n%s%n", "1,5", "+-3", "1e-400", "18446744073709551617", "7"};
}

TEST(HostileTypedNumbers, EveryNumericFieldTakesAbsurdText)
{
    Session session;
    GuiState& s = session.state();
    session.expect_usable("start");
    for (const NumericField& f : numeric_fields()) {
        session.show_page(f.page);
        InteractableTextInput* field = f.field(s);
        ASSERT_NE(field, nullptr) << f.name;
        for (const std::string& text : absurd_texts()) {
            const std::string context = std::string(f.name) + " <- \"" + text.substr(0, 20) + "\"";
            SCOPED_TRACE(context);
            session.type_into(field, text);
            EXPECT_EQ(field->editing, 0);

            // The field shows a finite number, the state holds one within
            // the field's bound.
            char* end = nullptr;
            const double shown = std::strtod(field->text.c_str(), &end);
            EXPECT_TRUE(end != field->text.c_str() && *end == '\0') << "field shows \"" << field->text << "\"";
            EXPECT_TRUE(std::isfinite(shown)) << field->text;
            const double value = f.stored(s);
            EXPECT_TRUE(std::isfinite(value)) << value;
            switch (f.bound) {
            case Bound::not_positive: EXPECT_LE(value, VIEWPORT_CAMERA_Z_LIMIT); break;
            case Bound::not_negative: EXPECT_GE(value, 0.0); break;
            case Bound::at_least_one: EXPECT_GE(value, 1.0); break;
            case Bound::none:
            case Bound::angle: break;
            }
            // What the field shows is what is stored (angles are wrapped by
            // the view at its next frame, while the field keeps the text).
            if (f.integer) {
                EXPECT_EQ(shown, value);
            } else if (f.bound != Bound::angle) {
                EXPECT_NEAR(shown, value, 0.006 + 1e-12 * std::fabs(value));
            }
            run_passes(session, 1, context);
        }
        // A view this absurd still makes pictures.
        take_screenshots(session, f.name);
        session.expect_usable(f.name);
    }
}

TEST(HostileTypedNumbers, PathFieldsTakeAbsurdText)
{
    Session session;
    GuiState& s = session.state();
    ASSERT_EQ(mkfifo((session.directory() / "pipe.zlp").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo((session.directory() / "pipe").c_str(), 0600), 0);
    std::filesystem::create_directory(session.directory() / "folder.zlp");
    const std::vector<std::string> texts = {
        "",          std::string(300, 'p'),  std::string(5000, 'q'), "%s%n%s%n",  "/",      ".",
        "..",        "/dev/zero",            "/dev/urandom",         "/proc/self/mem",   "/proc/self/maps",
        "pipe",      "folder",               "\xff\xfe\xfd",         "line\nbreak",      "tab\there",
        "../../../../../../../../../../../../etc/passwd"};
    for (const std::string& text : texts) {
        const std::string context = "\"" + text.substr(0, 40) + "\"";
        SCOPED_TRACE(context);
        // As a report path: nothing loads, nothing hangs.
        session.show_page('b');
        session.type_into(s.report_path_input, text);
        EXPECT_EQ(s.report, nullptr);
        // As a preset name: "Load" falls back to preset 0, "Save" writes
        // where it can.
        session.show_page('f');
        session.type_into(s.preset_path_input, text);
        session.click(preset_button(session, row_path_load));
        EXPECT_EQ(s.viewport->yaw, s.presets[0].yaw);
        // Only inside the session's directory.
        if (text.empty() || (text[0] != '/' && text.find("..") == std::string::npos))
            session.click(preset_button(session, row_path_load - 1));  // "Save"
        expect_sane_settings(session, context);
        session.expect_usable(context, Road::path_field);
    }
}

// A pasted page or a dropped path of a megabyte: the fields show its
// beginning, nothing loads, and the program goes on at its usual pace (the
// text is not rendered whole on every rebuild of the field).
TEST(HostileTypedNumbers, PathFieldsTakeAMegabyte)
{
    Session session;
    GuiState& s = session.state();
    const std::string megabyte(std::size_t{1} << 20, 'm');

    session.load(megabyte, Road::drop);
    EXPECT_EQ(s.report, nullptr);
    EXPECT_EQ(s.report_path_input->text, megabyte);
    session.still_pass();

    // Pasted with Ctrl+V into the report path and the preset path.
    ASSERT_EQ(SDL_SetClipboardText(megabyte.c_str()), 0) << SDL_GetError();
    auto paste_into = [&](InteractableTextInput* field) {
        session.click(field);
        ASSERT_EQ(field->editing, 1);
        SDL_SetModState(KMOD_LCTRL);
        session.push(zelto_test::key_event(SDL_KEYDOWN, SDLK_v));
        session.still_pass();
        SDL_SetModState(KMOD_NONE);
        EXPECT_EQ(field->text.size(), megabyte.size());
        session.push(zelto_test::key_event(SDL_KEYDOWN, SDLK_RETURN));
        session.still_pass();
    };
    session.show_page('b');
    paste_into(s.report_path_input);
    EXPECT_EQ(s.report, nullptr);
    session.show_page('f');
    paste_into(s.preset_path_input);
    session.click(preset_button(session, row_path_load));
    session.click(preset_button(session, row_path_load - 1));  // "Save": a name far too long for a file
    EXPECT_EQ(files_with_extension(session.directory(), ".zlp"), 0);
    session.expect_usable("a megabyte in the path fields", Road::path_field);
}

}  // namespace
}  // namespace zelto_reliability
