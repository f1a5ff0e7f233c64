// Hostile input never crashes the program, never hangs it and never leaves it unusable: after each input a valid
// report still loads and a pass still draws it. (Every kind of the report catalog goes through the load cycle.)
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "tests/reliability/report_catalog.hpp"
#include "tests/reliability/session.hpp"

namespace zelto_reliability {
namespace {

// The grid settings are ones the pipeline can build; every number is finite.
void expect_sane_settings(Session& session, const std::string& context)
{
    const GuiState& s = session.state();
    EXPECT_TRUE(std::min({s.extrapolation_x_amount, s.extrapolation_y_amount, s.extrapolation_z_amount}) >= 0 &&
                s.viewport->camera_z <= VIEWPORT_CAMERA_Z_LIMIT)
        << context;
    for (double v : {s.extrapolation_distance, s.speed_slider_position, s.viewport->camera_x, s.viewport->camera_y,
                     s.viewport->camera_z, s.viewport->pitch, s.viewport->yaw, s.viewport->roll})
        EXPECT_TRUE(std::isfinite(v)) << context;
}

int files_with_extension(const std::filesystem::path& directory, const std::string& extension)
{
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        count += entry.path().extension() == extension && entry.is_regular_file() && entry.file_size() > 0;
    return count;
}

// The "Screenshot" button in both formats; each writes a file that is not empty.
void take_screenshots(Session& session, const std::string& context)
{
    GuiState& s = session.state();
    session.show_page('h');
    for (const char* extension : {".bmp", ".svg"}) {
        session.set_toggle(dynamic_cast<InteractableToggle*>(s.pages[7][extension[1] == 'b' ? 1 : 2]), true);
        // A second-resolution name: remove an earlier file of the same name.
        for (const auto& entry : std::filesystem::directory_iterator(session.directory()))
            if (entry.path().extension() == extension)
                std::filesystem::remove(entry.path());
        session.click(s.interactables[122].get());
        session.still_pass();
        EXPECT_EQ(files_with_extension(session.directory(), extension), 1) << context << " " << extension;
    }
}

TEST(HostileReports, DegenerateJawFramesWithTheWholeGridOn)
{
    Session session;
    GuiState& s = session.state();
    const std::vector<ReportKind> kinds = report_catalog();
    for (const std::string name : {"three points at one place", "incisal point between the condyles",
                                   "every position zero", "NaN and infinite positions",
                                   "positions near the largest double", "non-finite calibration",
                                   "exercises of one sample"}) {
        const auto kind = std::ranges::find(kinds, name, &ReportKind::name);
        ASSERT_NE(kind, kinds.end()) << name;
        make_report(*kind, session.directory() / kind->file_name);
        session.load((session.directory() / kind->file_name).string(), Road::call);
        ASSERT_NE(s.report, nullptr) << name;
        // Every grid switch on, through the panel.
        session.show_page('e');
        for (InteractableToggle* t : {s.extrapolation_l_toggle, s.extrapolation_i_toggle, s.extrapolation_r_toggle})
            session.set_toggle(t, true);
        for (InteractableTextInput* amount : {s.extrapolation_x_input, s.extrapolation_y_input, s.extrapolation_z_input})
            session.type_into(amount, "2");
        EXPECT_EQ(s.extrapolation_x_amount, 2) << name;
        session.show_page('c');
        for (InteractableToggle* t : {s.spokes_toggle, s.callibration_toggle, s.all_exercise_verts_toggle,
                                      s.l_vertex_toggle, s.i_vertex_toggle, s.r_vertex_toggle, s.lr_edge_toggle})
            session.set_toggle(t, true);
        session.run_passes(3, name);
        // Point at the view and lock, turn it with each button, fit it.
        for (int at : {100, 375, 650}) {
            session.move_mouse(at, 750 - at);
            session.push(zelto_test::key_event(SDL_KEYDOWN, SDLK_SPACE));
            session.push(zelto_test::key_event(SDL_KEYUP, SDLK_SPACE));
            session.run_passes(1, name);
        }
        for (std::uint8_t button : {SDL_BUTTON_LEFT, SDL_BUTTON_MIDDLE, SDL_BUTTON_RIGHT}) {
            session.push(zelto_test::mouse_button_event(SDL_MOUSEBUTTONDOWN, 300, 300, button));
            session.push(zelto_test::mouse_motion_event(340, 260, 40, -40));
            session.push(zelto_test::mouse_button_event(SDL_MOUSEBUTTONUP, 340, 260, button));
            session.run_passes(2, name);
        }
        for (int i = 1; i <= 4; ++i)
            session.click(s.pages[2][static_cast<std::size_t>(i)]);  // the standard views and "Fit view"
        session.show_page('a');
        session.set_toggle(s.perspective_toggle, true);
        session.run_passes(2, name);
        session.set_toggle(s.orthogonal_toggle, true);
        take_screenshots(session, name);
        expect_sane_settings(session, name);
        session.expect_usable(name);
    }
}

// The rows of "Custom 1", "Save" and "Load" beside the preset path field.
constexpr std::size_t row_custom_1 = 8, row_path_save = 16, row_path_load = 17;

// What each field of a record takes is checked by the preset tests; here files of wrong sizes go
// through both roads of the panel (little-endian, as the hosts).
TEST(HostilePresets, WrongSizes)
{
    Session session;
    GuiState& s = session.state();
    gui_state_load_preset(3);  // a record unlike preset 0: the grid of preset 3, the camera turned
    GuiPreset preset{};
    gui_serialize(&s, &preset);
    gui_serialization_save_to_file(&preset, (session.directory() / "current.zlp").c_str());
    const std::string record = zelto_test::read_file(session.directory() / "current.zlp");
    ASSERT_EQ(record.size(), 104u);
    session.show_page('f');
    session.type_into(s.preset_path_input, "hostile");

    for (std::size_t size : {0u, 1u, 103u, 105u, 16u << 20}) {
        const std::string context = "preset file of " + std::to_string(size) + " bytes";
        std::string bytes = record.substr(0, size);
        bytes.resize(size, '\xA5');
        for (const char* file : {"hostile.zlp", "preset1.zlp"}) {
            zelto_test::write_file(session.directory() / file, bytes);
            gui_state_load_preset(5);  // something else than both outcomes
            session.show_page('f');
            session.click(s.pages[5].at(file[0] == 'h' ? row_path_load : row_custom_1));
            // Not a whole record: preset 0; more: the record's first 104 bytes.
            EXPECT_EQ(s.viewport->yaw, size < 104 ? s.presets[0].yaw : 270.0) << context << " " << file;
            EXPECT_EQ(s.extrapolation_distance, size < 104 ? s.presets[0].extrapolation_distance : 50.0) << context;
            expect_sane_settings(session, context);
            session.run_passes(2, context);
        }
    }
}

TEST(HostileTypedNumbers, PathFieldsTakeAbsurdTextAndAMegabyte)
{
    Session session;
    GuiState& s = session.state();
    ASSERT_EQ(mkfifo((session.directory() / "pipe.zlp").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo((session.directory() / "pipe").c_str(), 0600), 0);
    std::filesystem::create_directory(session.directory() / "folder.zlp");
    const std::string texts[] = {"", std::string(5000, 'q'), "%s%n%s%n", "/", "..", "/dev/zero", "/proc/self/mem", "pipe",
                                 "folder", "\xff\xfe\xfd", "line\nbreak", "../../../../../../../../etc/passwd"};
    for (const std::string& text : texts) {
        const std::string context = text.substr(0, 40);
        // As a report path: nothing loads, nothing hangs, the open report stays.
        session.show_page('b');
        const EmgReport* open = s.report.get();
        session.type_into(s.report_path_input, text);
        EXPECT_EQ(s.report.get(), open) << context;
        // As a preset name: "Load" falls back to preset 0, "Save" writes where
        // it can (a named pipe is neither read nor written: no hang).
        session.show_page('f');
        session.type_into(s.preset_path_input, text);
        session.click(s.pages[5].at(row_path_load));
        EXPECT_EQ(s.viewport->yaw, s.presets[0].yaw) << context;
        if (text.empty() || (text[0] != '/' && text.find("..") == std::string::npos))  // only in the session's folder
            session.click(s.pages[5].at(row_path_save));
        expect_sane_settings(session, context);
        session.expect_usable(context, Road::path_field);
    }

    // A dropped path or a pasted page of a megabyte: the fields show it,
    // nothing loads, and the program goes on at its usual pace (the text is
    // not rendered whole on every rebuild of the field).
    const std::string megabyte(std::size_t{1} << 20, 'm');
    const EmgReport* open = s.report.get();
    session.load(megabyte, Road::drop);
    EXPECT_TRUE(s.report.get() == open && s.report_path_input->text == megabyte);
    ASSERT_EQ(SDL_SetClipboardText(megabyte.c_str()), 0) << SDL_GetError();
    for (InteractableTextInput* field : {s.report_path_input, s.preset_path_input}) {
        session.show_page(field == s.report_path_input ? 'b' : 'f');
        session.click(field);
        ASSERT_EQ(field->editing, 1);
        SDL_SetModState(KMOD_LCTRL);
        session.push(zelto_test::key_event(SDL_KEYDOWN, SDLK_v));
        session.still_pass();
        SDL_SetModState(KMOD_NONE);
        EXPECT_EQ(field->text.size(), megabyte.size());
        session.push(zelto_test::key_event(SDL_KEYDOWN, SDLK_RETURN));
        session.still_pass();
    }
    EXPECT_EQ(s.report.get(), open);
    session.click(s.pages[5].at(row_path_load));
    const int presets = files_with_extension(session.directory(), ".zlp");
    session.click(s.pages[5].at(row_path_save));  // a name far too long for a file
    EXPECT_EQ(files_with_extension(session.directory(), ".zlp"), presets);
    session.expect_usable("a megabyte in the path fields", Road::path_field);
}

}  // namespace
}  // namespace zelto_reliability
