// Presets: the record and the state, the 104-byte file, the built-in and
// custom presets applied through the panel, and files that are short, odd
// or hold numbers the program does not take.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>

#include "tests/gui_fixture.hpp"

using namespace zelto_test;

namespace {

using PresetRecord = GuiTest;
using PresetFile = GuiTest;
using PresetApply = GuiTest;
using PresetFaults = GuiTest;

std::uint64_t le64(const std::string& bytes, std::size_t offset)
{
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(bytes[offset + static_cast<std::size_t>(i)]);
    return v;
}
double le_double(const std::string& bytes, std::size_t offset)
{
    const std::uint64_t v = le64(bytes, offset);
    double d;
    std::memcpy(&d, &v, sizeof d);
    return d;
}
std::int32_t le_int32(const std::string& bytes, std::size_t offset)
{
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(bytes[offset + static_cast<std::size_t>(i)]);
    return static_cast<std::int32_t>(v);
}
void put_double(std::string& bytes, std::size_t offset, double d)
{
    std::uint64_t v;
    std::memcpy(&v, &d, sizeof v);
    for (int i = 0; i < 8; ++i)
        bytes[offset + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
void put_int32(std::string& bytes, std::size_t offset, std::int32_t value)
{
    const auto v = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        bytes[offset + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// Field by field, padding ignored.
void expect_same(const GuiPreset& a, const GuiPreset& b)
{
    EXPECT_EQ(a.camera_x, b.camera_x);
    EXPECT_EQ(a.camera_y, b.camera_y);
    EXPECT_EQ(a.camera_z, b.camera_z);
    EXPECT_EQ(a.pitch, b.pitch);
    EXPECT_EQ(a.yaw, b.yaw);
    EXPECT_EQ(a.roll, b.roll);
    EXPECT_EQ(0, std::memcmp(&a.pitch_locked, &b.pitch_locked, 12));  // bytes 48 to 59
    EXPECT_EQ(a.speed_slider_position, b.speed_slider_position);
    EXPECT_EQ(0, std::memcmp(&a.draw_all_exercise_verts, &b.draw_all_exercise_verts, 6));  // 72 to 77
    EXPECT_EQ(a.extrapolation_distance, b.extrapolation_distance);
    EXPECT_EQ(a.extrapolation_x_amount, b.extrapolation_x_amount);
    EXPECT_EQ(a.extrapolation_y_amount, b.extrapolation_y_amount);
    EXPECT_EQ(a.extrapolation_z_amount, b.extrapolation_z_amount);
    EXPECT_EQ(a.draw_spokes, b.draw_spokes);
}

GuiPreset settings()
{
    GuiPreset p{};
    gui_serialize(gui_state, &p);
    return p;
}

// A record with every field away from its default.
GuiPreset unusual_record()
{
    GuiPreset p{};
    p.camera_x = 1.25;
    p.camera_y = -2.5;
    p.camera_z = -33.0;
    p.pitch = 10.0;
    p.yaw = 200.0;
    p.roll = 5.0;
    p.pitch_locked = 0;
    p.perspective = 1;
    p.draw_l_vertex = 0;
    p.draw_i_vertex = 1;
    p.draw_r_vertex = 0;
    p.draw_li_edge = 0;
    p.draw_lr_edge = 1;
    p.draw_ri_edge = 0;
    p.draw_reference = 0;
    p.draw_axis = 1;
    p.paused = 1;
    p.looping = 0;
    p.speed_slider_position = 0.25;
    p.draw_all_exercise_verts = 1;
    p.auto_display_fitting = 0;
    p.draw_callibration = 1;
    p.draw_extrapolation_l = 1;
    p.draw_extrapolation_i = 0;
    p.draw_extrapolation_r = 1;
    p.extrapolation_distance = 7.5;
    p.extrapolation_x_amount = 2;
    p.extrapolation_y_amount = 0;
    p.extrapolation_z_amount = 1;
    p.draw_spokes = 1;
    return p;
}

// -----------------------------------------------------------------------------
// Record and state
// -----------------------------------------------------------------------------

TEST(PresetDefaults, TheDefaultSettingsArePresetZero)
{
    // A freshly defaulted record with the viewport as it is created, before
    // any fit.
    auto state = gui_state_create();
    gui_state_set_to_default_settings(state.get());
    auto viewport = interactable_viewport3d_create(0, 0, 750, 750, &c_white, &c_black, nullptr,
                                                   static_cast<double>(0.1f), 1000.0, 90.0);
    state->viewport = viewport.get();
    GuiPreset p{};
    gui_serialize(state.get(), &p);
    expect_same(p, state->presets[0]);
    state->viewport = nullptr;
    gui_state_free(std::move(state));
}

TEST_F(PresetRecord, SerializeThenDeserializeRestoresEverySetting)
{
    const GuiPreset wanted = unusual_record();
    gui_deserialize(state(), &wanted);
    expect_same(settings(), wanted);
    // Deserializing touches no widget.
    EXPECT_EQ(state()->perspective_toggle->pressed, 0);
    EXPECT_EQ(state()->extrapolation_x_input->text, "0");
}

// -----------------------------------------------------------------------------
// Files
// -----------------------------------------------------------------------------

TEST_F(PresetFile, IsExactly104LittleEndianBytes)
{
    TempWorkingDirectory directory;
    const GuiPreset p = unusual_record();
    gui_serialization_save_to_file(&p, "layout.zlp");
    const std::string bytes = read_file("layout.zlp");
    ASSERT_EQ(bytes.size(), 104u);
    EXPECT_EQ(le_double(bytes, 0), 1.25);
    EXPECT_EQ(le_double(bytes, 8), -2.5);
    EXPECT_EQ(le_double(bytes, 16), -33.0);
    EXPECT_EQ(le_double(bytes, 24), 10.0);
    EXPECT_EQ(le_double(bytes, 32), 200.0);
    EXPECT_EQ(le_double(bytes, 40), 5.0);
    const char flags_48[] = {0, 1, 0, 1, 0, 0, 1, 0, 0, 1, 1, 0};
    EXPECT_EQ(0, std::memcmp(bytes.data() + 48, flags_48, 12));
    EXPECT_EQ(std::string(bytes, 60, 4), std::string(4, '\0'));
    EXPECT_EQ(le_double(bytes, 64), 0.25);
    const char flags_72[] = {1, 0, 1, 1, 0, 1};
    EXPECT_EQ(0, std::memcmp(bytes.data() + 72, flags_72, 6));
    EXPECT_EQ(le_double(bytes, 80), 7.5);
    EXPECT_EQ(le_int32(bytes, 88), 2);
    EXPECT_EQ(le_int32(bytes, 92), 0);
    EXPECT_EQ(le_int32(bytes, 96), 1);
    EXPECT_EQ(bytes[100], 1);
}

TEST_F(PresetFile, RoundTripsThroughAFile)
{
    TempWorkingDirectory directory;
    const GuiPreset p = unusual_record();
    gui_serialization_save_to_file(&p, "round.zlp");
    GuiPreset back{};
    ASSERT_EQ(gui_serialization_load_from_file(&back, "round.zlp"), 0);
    expect_same(back, p);
}

TEST_F(PresetFile, AFileThatCannotBeOpenedLeavesTheRecordAlone)
{
    TempWorkingDirectory directory;
    GuiPreset p = unusual_record();
    EXPECT_EQ(gui_serialization_load_from_file(&p, "absent.zlp"), 1);
    expect_same(p, unusual_record());
    // Nor is anything written where no file can be made.
    gui_serialization_save_to_file(&p, "no/such/dir/x.zlp");
    EXPECT_FALSE(std::filesystem::exists("no"));
}

TEST_F(PresetFile, CustomPresetTwoRestoresTheViewExactly)
{
    TempWorkingDirectory directory;
    const GuiPreset wanted = unusual_record();
    gui_deserialize(state(), &wanted);
    gui_activate_specific_page('f');
    click(widget(84));  // "Save" of custom preset 2
    EXPECT_EQ(read_file("preset2.zlp").size(), 104u);

    gui_state_load_preset(0);
    ASSERT_EQ(state()->viewport->perspective, 0);
    gui_activate_specific_page('f');
    click(widget(83));  // "Custom Preset #2"
    // Fitting is off in this record, so even the camera comes back as saved.
    expect_same(settings(), wanted);
    EXPECT_EQ(state()->perspective_toggle->pressed, 1);
    EXPECT_EQ(state()->lr_edge_toggle->pressed, 1);
    EXPECT_EQ(state()->extrapolation_x_input->text, "2");
    EXPECT_EQ(state()->extrapolation_distance_input->text, "7.50");
    EXPECT_EQ(state()->speed_reset_button->text, "x2.5");
    EXPECT_EQ(state()->speed_multiplier, 2.5);
}

TEST_F(PresetFile, ThePathFieldAppendsTheExtension)
{
    TempWorkingDirectory directory;
    gui_activate_specific_page('f');
    type_into(state()->preset_path_input, "mine.zlp");
    click(widget(89));  // "Save"
    EXPECT_TRUE(std::filesystem::exists("mine.zlp.zlp"));
    EXPECT_FALSE(std::filesystem::exists("mine.zlp"));

    // Typed text is a name, never a format.
    type_into(state()->preset_path_input, "%s%n%d");
    click(widget(89));
    EXPECT_EQ(read_file("%s%n%d.zlp").size(), 104u);
}

// -----------------------------------------------------------------------------
// Applying
// -----------------------------------------------------------------------------

TEST_F(PresetApply, EveryBuiltInButtonAppliesItsPreset)
{
    TempWorkingDirectory directory;
    load_report_file("r.tsv", report_text({{"A", 30}}));
    for (int n = 1; n <= 6; ++n) {
        SCOPED_TRACE("preset " + std::to_string(n));
        gui_activate_specific_page('f');
        click(widget(73 + n));
        GuiPreset now = settings();
        const GuiPreset& wanted = state()->presets[n];
        // The fit moves the camera; angles and switches are the preset's.
        now.camera_x = wanted.camera_x;
        now.camera_y = wanted.camera_y;
        now.camera_z = wanted.camera_z;
        expect_same(now, wanted);
        EXPECT_EQ(state()->paused_toggle->pressed, wanted.paused);
        EXPECT_EQ(state()->spokes_toggle->pressed, wanted.draw_spokes);
    }
}

TEST_F(PresetApply, IncisalPresetsGiveNineCopiesAt50mm)
{
    TempWorkingDirectory directory;
    load_report_file("r.tsv", report_text({{"A", 30}}));
    for (int n : {3, 4}) {
        gui_state_load_preset(n);
        EXPECT_EQ(state()->extrapolations_number, 9);
        EXPECT_EQ(state()->extrapolation_distance, 50.0);
        EXPECT_TRUE(state()->draw_extrapolation_i);
        EXPECT_FALSE(state()->draw_extrapolation_l);
        EXPECT_FALSE(state()->draw_extrapolation_r);
        EXPECT_EQ(state()->extrapolation_y_input->text, "1");
        EXPECT_EQ(state()->extrapolation_z_input->text, "1");
    }
}

TEST_F(PresetApply, AMissingCustomPresetGivesPresetZero)
{
    TempWorkingDirectory directory;
    gui_state_load_preset(3);
    gui_activate_specific_page('f');
    click(widget(85));  // "Custom Preset #3", never saved
    GuiPreset now = settings();
    const GuiPreset& zero = state()->presets[0];
    EXPECT_EQ(now.yaw, zero.yaw);
    now.camera_x = zero.camera_x;
    now.camera_y = zero.camera_y;
    now.camera_z = zero.camera_z;
    expect_same(now, zero);

    // The same from the path field.
    gui_state_load_preset(5);
    gui_activate_specific_page('f');
    type_into(state()->preset_path_input, "nothing here");
    click(widget(90));
    EXPECT_EQ(settings().yaw, zero.yaw);
    EXPECT_EQ(settings().draw_l_vertex, 1);
}

TEST_F(PresetApply, APresetNumberOutsideTheTableIsIgnored)
{
    const GuiPreset before = settings();
    gui_state_load_preset(7);
    gui_state_load_preset(-1);
    expect_same(settings(), before);
}

// -----------------------------------------------------------------------------
// Files the program does not take as they are
// -----------------------------------------------------------------------------

TEST_F(PresetFaults, AShortFileCountsAsMissing)
{
    TempWorkingDirectory directory;
    const GuiPreset saved = unusual_record();
    gui_serialization_save_to_file(&saved, "full.zlp");
    const std::string bytes = read_file("full.zlp");
    write_file("preset1.zlp", bytes.substr(0, 103));
    write_file("empty.zlp", "");

    GuiPreset p = state()->presets[2];
    EXPECT_EQ(gui_serialization_load_from_file(&p, "preset1.zlp"), 1);
    EXPECT_EQ(gui_serialization_load_from_file(&p, "empty.zlp"), 1);
    expect_same(p, state()->presets[2]);

    // Loading it applies preset 0, not half a record.
    gui_state_load_preset(5);
    gui_state_load_custom_preset(1);
    EXPECT_EQ(settings().yaw, state()->presets[0].yaw);
    EXPECT_EQ(settings().perspective, 0);
    EXPECT_EQ(settings().draw_reference, 1);
}

// A typed name may be a named pipe. Opening one waits for a process at its
// other end, so the click that loads or saves would never return; the test
// holds the other end itself (with a whole record in the pipe) so that a
// program that opens it reads or writes instead of hanging.
TEST_F(PresetFaults, ANamedPipeIsNeitherReadNorWritten)
{
    TempWorkingDirectory directory;
    ASSERT_EQ(mkfifo("pipe.zlp", 0600), 0);
    const int other_end = open("pipe.zlp", O_RDWR | O_NONBLOCK);
    ASSERT_GE(other_end, 0);
    const GuiPreset saved = unusual_record();
    gui_serialization_save_to_file(&saved, "full.zlp");
    const std::string record = read_file("full.zlp");
    ASSERT_EQ(write(other_end, record.data(), record.size()), static_cast<ssize_t>(record.size()));

    GuiPreset p = state()->presets[2];
    EXPECT_EQ(gui_serialization_load_from_file(&p, "pipe.zlp"), 1);
    expect_same(p, state()->presets[2]);

    gui_serialization_save_to_file(&saved, "pipe.zlp");
    char drained[2 * GUI_PRESET_FILE_SIZE];
    EXPECT_EQ(read(other_end, drained, sizeof drained), static_cast<ssize_t>(record.size()))
        << "only the test's own record is in the pipe";
    close(other_end);
    EXPECT_TRUE(std::filesystem::is_fifo("pipe.zlp"));

    // Through the panel: the name falls back to preset 0 like a missing file.
    gui_state_load_preset(5);
    interactable_text_input_set_text_formatted_and_deactivate(state()->preset_path_input, "%s", "pipe");
    callback_load_custom_preset_from_file(state()->preset_path_input);
    EXPECT_EQ(settings().yaw, state()->presets[0].yaw);
}

TEST_F(PresetFaults, ALongerFileGivesItsFirst104Bytes)
{
    TempWorkingDirectory directory;
    const GuiPreset saved = unusual_record();
    gui_serialization_save_to_file(&saved, "long.zlp");
    write_file("long.zlp", read_file("long.zlp") + "trailing");
    GuiPreset p{};
    EXPECT_EQ(gui_serialization_load_from_file(&p, "long.zlp"), 0);
    expect_same(p, saved);
}

TEST_F(PresetFaults, AnyNonZeroByteIsOn)
{
    TempWorkingDirectory directory;
    GuiPreset saved = unusual_record();
    gui_serialization_save_to_file(&saved, "bools.zlp");
    std::string bytes = read_file("bools.zlp");
    for (std::size_t offset : {48u, 49u, 50u, 58u, 73u, 77u, 100u})
        bytes[offset] = static_cast<char>(offset == 58u ? 0xFF : 2);
    write_file("bools.zlp", bytes);
    GuiPreset p{};
    ASSERT_EQ(gui_serialization_load_from_file(&p, "bools.zlp"), 0);
    EXPECT_EQ(p.pitch_locked, 1);
    EXPECT_EQ(p.perspective, 1);
    EXPECT_EQ(p.draw_l_vertex, 1);
    EXPECT_EQ(p.paused, 1);
    EXPECT_EQ(p.auto_display_fitting, 1);
    EXPECT_EQ(p.draw_extrapolation_r, 1);
    EXPECT_EQ(p.draw_spokes, 1);

    // And a record handed over with such bytes applies them as on.
    GuiPreset odd = saved;
    odd.draw_r_vertex = 7;
    gui_deserialize(state(), &odd);
    EXPECT_TRUE(state()->draw_r_vertex);
}

// Numbers that are not finite count as no number: the setting keeps its
// value.
TEST_F(PresetFaults, NonFiniteNumbersKeepThePreviousValue)
{
    TempWorkingDirectory directory;
    const GuiPreset start = unusual_record();
    gui_deserialize(state(), &start);

    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    std::string bytes(104, '\0');
    for (std::size_t offset : {0u, 8u, 24u, 40u, 80u})
        put_double(bytes, offset, nan);
    for (std::size_t offset : {16u, 32u, 64u})
        put_double(bytes, offset, offset == 32u ? -inf : inf);
    bytes[73] = 0;  // no fitting, so the camera is left as the record leaves it
    write_file("preset2.zlp", bytes);
    gui_state_load_custom_preset(2);

    const InteractableViewport3d* v = state()->viewport;
    EXPECT_EQ(v->camera_x, 1.25);
    EXPECT_EQ(v->camera_y, -2.5);
    EXPECT_EQ(v->camera_z, -33.0);
    EXPECT_EQ(v->pitch, 10.0);
    EXPECT_EQ(v->yaw, 200.0);
    EXPECT_EQ(v->roll, 5.0);
    EXPECT_EQ(state()->speed_slider_position, 0.25);
    EXPECT_EQ(state()->speed_multiplier, 2.5);
    EXPECT_EQ(state()->extrapolation_distance, 7.5);
    EXPECT_EQ(state()->viewport_x_input->text, "1.25");
}

TEST_F(PresetFaults, NegativeSpacingAndAmountsBecomeZero)
{
    TempWorkingDirectory directory;
    GuiPreset p = unusual_record();
    p.extrapolation_distance = -4.0;
    p.extrapolation_x_amount = -2;
    p.extrapolation_y_amount = 3;
    p.extrapolation_z_amount = std::numeric_limits<std::int32_t>::min();
    gui_serialization_save_to_file(&p, "negative.zlp");
    gui_activate_specific_page('f');
    type_into(state()->preset_path_input, "negative");
    click(widget(90));
    EXPECT_EQ(state()->extrapolation_distance, 0.0);
    EXPECT_EQ(state()->extrapolation_x_amount, 0);
    EXPECT_EQ(state()->extrapolation_y_amount, 3);
    EXPECT_EQ(state()->extrapolation_z_amount, 0);
    EXPECT_EQ(state()->extrapolation_x_input->text, "0");
    EXPECT_EQ(state()->extrapolation_distance_input->text, "0.00");
}

// Amounts whose grid would not fit are refused as a whole: the amounts in
// force stay, and the fields show them.
TEST_F(PresetFaults, OversizedGridAmountsKeepThePreviousAmounts)
{
    TempWorkingDirectory directory;
    load_report_file("r.tsv", report_text({{"A", 30}}));
    ASSERT_EQ(state()->extrapolation_x_amount, 1);  // preset 1
    const GuiPreset base = state()->presets[0];
    gui_serialization_save_to_file(&base, "huge.zlp");
    std::string bytes = read_file("huge.zlp");
    put_int32(bytes, 88, std::numeric_limits<std::int32_t>::max());
    put_int32(bytes, 92, 5);
    put_int32(bytes, 96, 1000000);
    write_file("huge.zlp", bytes);

    const std::string out = capture_stdout([&] {
        gui_activate_specific_page('f');
        type_into(state()->preset_path_input, "huge");
        click(widget(90));
    });
    EXPECT_FALSE(out.empty());
    EXPECT_EQ(state()->extrapolation_x_amount, 1);
    EXPECT_EQ(state()->extrapolation_y_amount, 1);
    EXPECT_EQ(state()->extrapolation_z_amount, 0);
    EXPECT_EQ(state()->extrapolations_number, 9);
    EXPECT_EQ(state()->extrapolation_x_input->text, "1");
    // The rest of the record applied.
    EXPECT_EQ(state()->viewport->yaw, base.yaw);
    EXPECT_TRUE(state()->draw_reference);
}

}  // namespace
