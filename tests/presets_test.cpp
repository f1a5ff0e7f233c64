// Presets: the record and the 104-byte file, built-in and custom presets
// applied through the panel, and files that are short, odd or hold numbers
// the program does not take.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <tuple>

#include "tests/gui_fixture.hpp"

using namespace zelto_test;

namespace {

using Presets = GuiTest;

// Numbers in the file, which is little-endian like the hosts the tests run on.
template <typename T>
T read_le(const std::string& bytes, std::size_t offset)
{
    T value;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

template <typename T>
void write_le(std::string& bytes, std::size_t offset, T value)
{
    std::memcpy(bytes.data() + offset, &value, sizeof value);
}

// A record with every field away from its default; fitting off, so that
// applying it keeps even the camera.
GuiPreset unusual_record()
{
    GuiPreset p{};
    std::tie(p.camera_x, p.camera_y, p.camera_z, p.pitch, p.yaw, p.roll) = std::tuple(1.25, -2.5, -33.0, 10.0, 200.0, 5.0);
    p.perspective = p.draw_i_vertex = p.draw_lr_edge = p.draw_ri_edge = p.draw_axis = p.paused = p.draw_spokes = 1;
    p.draw_all_exercise_verts = p.draw_callibration = p.draw_extrapolation_l = p.draw_extrapolation_r = 1;
    std::tie(p.speed_slider_position, p.extrapolation_distance) = std::tuple(0.25, 7.5);
    std::tie(p.extrapolation_x_amount, p.extrapolation_z_amount) = std::tuple(2, 1);
    return p;
}

// Loads a preset file through the path field as typed.
void load_typed(const char* name)
{
    gui_activate_specific_page('f');
    interactable_text_input_set_text_formatted_and_deactivate(gui_state->preset_path_input, "%s", name);
    callback_load_custom_preset_from_file(gui_state->preset_path_input);
}

TEST(PresetDefaults, TheDefaultSettingsArePresetZero)
{
    // A freshly defaulted state with the viewport as it is created, before any fit.
    auto state = gui_state_create();
    gui_state_set_to_default_settings(state.get());
    InteractableViewport3d viewport;
    viewport.near = static_cast<double>(0.1f);
    state->viewport = &viewport;
    GuiPreset p{};
    gui_serialize(state.get(), &p);
    EXPECT_EQ(settings_of(p), settings_of(state->presets[0]));
    state->viewport = nullptr;
    gui_state_free(std::move(state));
}

TEST_F(Presets, FileIsExactly104LittleEndianBytesReadsBackAndTakesAnySwitchByte)
{
    // A built-in preset number outside the table is ignored.
    gui_state_load_preset(3);
    const GuiPreset before = current();
    gui_state_load_preset(7);
    gui_state_load_preset(-1);
    EXPECT_EQ(settings_of(current()), settings_of(before));
    EXPECT_EQ(std::tuple(state()->draw_extrapolation_i, state()->extrapolation_distance), std::tuple(true, 50.0));

    TempWorkingDirectory directory;
    const GuiPreset p = unusual_record();
    gui_deserialize(state(), &p);
    EXPECT_EQ(settings_of(current()), settings_of(p));
    EXPECT_EQ(state()->perspective_toggle->pressed, 0) << "deserializing touches no widget";

    gui_serialization_save_to_file(&p, "layout.zlp");
    const std::string bytes = read_file("layout.zlp");
    ASSERT_EQ(bytes.size(), 104u);
    const double doubles[] = {1.25, -2.5, -33.0, 10.0, 200.0, 5.0};
    for (std::size_t k = 0; k < 6; ++k)
        EXPECT_EQ(read_le<double>(bytes, 8 * k), doubles[k]) << 8 * k;
    EXPECT_EQ(bytes.substr(48, 16), std::string("\0\1\0\1\0\0\1\1\0\1\1\0\0\0\0\0", 16));
    EXPECT_EQ(std::tuple(read_le<double>(bytes, 64), bytes.substr(72, 6), read_le<double>(bytes, 80)),
              std::tuple(0.25, std::string("\1\0\1\1\0\1", 6), 7.5));
    EXPECT_EQ(std::tuple(read_le<std::int32_t>(bytes, 88), read_le<std::int32_t>(bytes, 92),
                         read_le<std::int32_t>(bytes, 96), bytes[100]),
              std::tuple(2, 0, 1, '\1'));
    GuiPreset back{};
    ASSERT_EQ(gui_serialization_load_from_file(&back, "layout.zlp"), 0);
    EXPECT_EQ(settings_of(back), settings_of(p));

    // Any non-zero byte of a switch is on; nothing is written where no file can be made. (Files of
    // other sizes go through the panel in the reliability suite.)
    gui_serialization_save_to_file(&p, "no/such/dir/x.zlp");
    EXPECT_FALSE(std::filesystem::exists("no"));
    std::string odd = bytes;
    for (std::size_t offset : {48u, 49u, 50u, 58u, 73u, 77u, 100u})
        odd[offset] = static_cast<char>(offset == 58u ? 0xFF : 2);
    write_file("bools.zlp", odd);
    ASSERT_EQ(gui_serialization_load_from_file(&back, "bools.zlp"), 0);
    EXPECT_EQ(back.pitch_locked + back.perspective + back.draw_l_vertex + back.paused + back.auto_display_fitting +
                  back.draw_extrapolation_r + back.draw_spokes,
              7);
    back = p;
    back.draw_r_vertex = 7;
    gui_deserialize(state(), &back);
    EXPECT_TRUE(state()->draw_r_vertex);
}

TEST_F(Presets, CustomPresetsRestoreTheViewExactly)
{
    TempWorkingDirectory directory;
    const GuiPreset wanted = unusual_record();
    for (int n = 1; n <= 3; ++n) {
        SCOPED_TRACE("custom preset " + std::to_string(n));
        gui_deserialize(state(), &wanted);
        gui_activate_specific_page('f');
        click(widget(80 + 2 * n));  // "Save"
        EXPECT_EQ(read_file("preset" + std::to_string(n) + ".zlp").size(), 104u);
        gui_state_load_preset(0);
        gui_activate_specific_page('f');
        click(widget(79 + 2 * n));  // "Custom Preset #n"
        EXPECT_EQ(settings_of(current()), settings_of(wanted));
        // The widgets show it too.
        EXPECT_EQ(std::tuple(state()->perspective_toggle->pressed, state()->lr_edge_toggle->pressed,
                             state()->extrapolation_x_input->text + " " + state()->extrapolation_distance_input->text +
                                 " " + state()->speed_reset_button->text,
                             state()->speed_multiplier),
                  std::tuple(1, 1, "2 7.50 x2.5", 2.5));
    }
    // The path field appends the extension.
    type_into(state()->preset_path_input, "mine.zlp");
    click(widget(89));  // "Save"
    EXPECT_TRUE(std::filesystem::exists("mine.zlp.zlp") && !std::filesystem::exists("mine.zlp"));
}

// Numbers that are not finite count as no number: the setting keeps its value. Negative amounts
// become zero; a negative spacing is applied as read; the zoom is taken as the Z field takes it.
TEST_F(Presets, NonFiniteAndNegativeNumbers)
{
    TempWorkingDirectory directory;
    const GuiPreset start = unusual_record();
    gui_deserialize(state(), &start);
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    std::string bytes(104, '\0');
    for (const auto& [offset, value] :
         {std::pair{0u, nan}, {8u, nan}, {16u, inf}, {24u, nan}, {32u, -inf}, {40u, nan}, {64u, inf}, {80u, nan}})
        write_le(bytes, offset, value);
    write_file("preset2.zlp", bytes);  // no fitting: the camera is left as the record leaves it
    gui_state_load_custom_preset(2);
    const InteractableViewport3d* v = state()->viewport;
    EXPECT_EQ((std::vector<double>{v->camera_x, v->camera_y, v->camera_z, v->pitch, v->yaw, v->roll,
                                   state()->speed_slider_position, state()->speed_multiplier,
                                   state()->extrapolation_distance}),
              (std::vector<double>{1.25, -2.5, -33.0, 10.0, 200.0, 5.0, 0.25, 2.5, 7.5}));
    EXPECT_EQ(state()->viewport_x_input->text, "1.25");

    GuiPreset p = unusual_record();
    std::tie(p.camera_z, p.extrapolation_distance) = std::tuple(0.0, -4.0);
    std::tie(p.extrapolation_x_amount, p.extrapolation_y_amount, p.extrapolation_z_amount) = std::tuple(-2, 3, INT32_MIN);
    gui_serialization_save_to_file(&p, "negative.zlp");
    load_typed("negative");
    EXPECT_EQ(std::tuple(state()->extrapolation_distance, state()->extrapolation_x_amount,
                         state()->extrapolation_y_amount, state()->extrapolation_z_amount, v->camera_z,
                         state()->extrapolation_x_input->text + " " + state()->extrapolation_distance_input->text),
              std::tuple(-4.0, 0, 3, 0, -0.1, "0 -4.00"));
}

// Amounts whose grid would not fit are refused as a whole with the warning, from a file as from
// the built-in table: the amounts in force stay, the fields show them; the rest applies.
TEST_F(Presets, OversizedGridAmountsKeepThePreviousAmounts)
{
    TempWorkingDirectory directory;
    load_report_file("r.tsv", report_text({{"A", 30}}));
    ASSERT_EQ(state()->extrapolation_x_amount, 1);  // preset 1
    state()->extrapolation_memory_limit = std::int64_t{1} << 30;
    GuiPreset huge = state()->presets[0];
    std::tie(huge.extrapolation_x_amount, huge.extrapolation_y_amount, huge.extrapolation_z_amount) =
        std::tuple(std::numeric_limits<std::int32_t>::max(), 5, 1000000);
    gui_serialization_save_to_file(&huge, "huge.zlp");
    state()->presets[4] = huge;
    for (const bool from_file : {true, false}) {
        const std::string out = capture_stdout([&] { from_file ? load_typed("huge") : gui_state_load_preset(4); });
        EXPECT_EQ(out, "WARNING: Grid amounts 2147483647, 5, 1000000 are too large: the grid would need "
                       "402260169036326 MiB, more than 1024 MiB.\nUsing the previous amounts 1, 1, 0 instead.\n");
        EXPECT_EQ(std::tuple(state()->extrapolation_x_amount, state()->extrapolation_y_amount,
                             state()->extrapolation_z_amount, state()->extrapolations_number,
                             state()->extrapolation_x_input->text + state()->extrapolation_y_input->text,
                             state()->viewport->yaw, state()->draw_reference),
                  std::tuple(1, 1, 0, 9, "11", huge.yaw, true));
    }
}

}  // namespace
