// Presets: the 104-byte files, written and read, and checked for the
// command line. Needs nothing but the record and the file writer, so the
// preset fuzz target builds it alone.
#include "gui/gui_serialization.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>

#include "platform/file_handle.hpp"
#include "platform/file_writer.hpp"

// =============================================================================
// [SECTION] Files
// =============================================================================

// The record goes to and from the file byte by byte, little-endian, so the
// file never depends on the compiler's layout of GuiPreset.

namespace {

using PresetBytes = std::array<std::uint8_t, GUI_PRESET_FILE_SIZE>;

void put_u32(std::uint8_t* out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}
void put_u64(std::uint8_t* out, std::uint64_t value)
{
    for (int i = 0; i < 8; ++i)
        out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}
void put_double(std::uint8_t* out, double value)
{
    put_u64(out, std::bit_cast<std::uint64_t>(value));
}
void put_int32(std::uint8_t* out, std::int32_t value)
{
    put_u32(out, static_cast<std::uint32_t>(value));
}
std::uint32_t get_u32(const std::uint8_t* in)
{
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(in[i]) << (8 * i);
    return value;
}
std::uint64_t get_u64(const std::uint8_t* in)
{
    std::uint64_t value = 0;
    for (int i = 0; i < 8; ++i)
        value |= static_cast<std::uint64_t>(in[i]) << (8 * i);
    return value;
}
double get_double(const std::uint8_t* in)
{
    return std::bit_cast<double>(get_u64(in));
}
std::int32_t get_int32(const std::uint8_t* in)
{
    return static_cast<std::int32_t>(get_u32(in));
}
std::uint8_t get_bool(const std::uint8_t* in)
{
    return *in != 0 ? 1 : 0;
}

// Offsets of the file layout; the padding (60-63, 78-79, 101-103) is written
// as zeros and ignored when reading.
PresetBytes encode(const GuiPreset& p)
{
    PresetBytes b{};
    put_double(&b[0], p.camera_x);
    put_double(&b[8], p.camera_y);
    put_double(&b[16], p.camera_z);
    put_double(&b[24], p.pitch);
    put_double(&b[32], p.yaw);
    put_double(&b[40], p.roll);
    const std::uint8_t flags_48[] = {p.pitch_locked, p.perspective,    p.draw_l_vertex, p.draw_i_vertex,
                                     p.draw_r_vertex, p.draw_li_edge,  p.draw_lr_edge,  p.draw_ri_edge,
                                     p.draw_reference, p.draw_axis,    p.paused,        p.looping};
    for (std::size_t i = 0; i < std::size(flags_48); ++i)
        b[48 + i] = flags_48[i] != 0 ? 1 : 0;
    put_double(&b[64], p.speed_slider_position);
    const std::uint8_t flags_72[] = {p.draw_all_exercise_verts, p.auto_display_fitting, p.draw_callibration,
                                     p.draw_extrapolation_l,    p.draw_extrapolation_i, p.draw_extrapolation_r};
    for (std::size_t i = 0; i < std::size(flags_72); ++i)
        b[72 + i] = flags_72[i] != 0 ? 1 : 0;
    put_double(&b[80], p.extrapolation_distance);
    put_int32(&b[88], p.extrapolation_x_amount);
    put_int32(&b[92], p.extrapolation_y_amount);
    put_int32(&b[96], p.extrapolation_z_amount);
    b[100] = p.draw_spokes != 0 ? 1 : 0;
    return b;
}

GuiPreset decode(const PresetBytes& b)
{
    GuiPreset p{};
    p.camera_x = get_double(&b[0]);
    p.camera_y = get_double(&b[8]);
    p.camera_z = get_double(&b[16]);
    p.pitch = get_double(&b[24]);
    p.yaw = get_double(&b[32]);
    p.roll = get_double(&b[40]);
    p.pitch_locked = get_bool(&b[48]);
    p.perspective = get_bool(&b[49]);
    p.draw_l_vertex = get_bool(&b[50]);
    p.draw_i_vertex = get_bool(&b[51]);
    p.draw_r_vertex = get_bool(&b[52]);
    p.draw_li_edge = get_bool(&b[53]);
    p.draw_lr_edge = get_bool(&b[54]);
    p.draw_ri_edge = get_bool(&b[55]);
    p.draw_reference = get_bool(&b[56]);
    p.draw_axis = get_bool(&b[57]);
    p.paused = get_bool(&b[58]);
    p.looping = get_bool(&b[59]);
    p.speed_slider_position = get_double(&b[64]);
    p.draw_all_exercise_verts = get_bool(&b[72]);
    p.auto_display_fitting = get_bool(&b[73]);
    p.draw_callibration = get_bool(&b[74]);
    p.draw_extrapolation_l = get_bool(&b[75]);
    p.draw_extrapolation_i = get_bool(&b[76]);
    p.draw_extrapolation_r = get_bool(&b[77]);
    p.extrapolation_distance = get_double(&b[80]);
    p.extrapolation_x_amount = get_int32(&b[88]);
    p.extrapolation_y_amount = get_int32(&b[92]);
    p.extrapolation_z_amount = get_int32(&b[96]);
    p.draw_spokes = get_bool(&b[100]);
    return p;
}

// Preset files are regular files. The name is typed by the user, so it may
// name a directory, a device or a named pipe, and opening a named pipe waits
// for a process at its other end: the program would hang inside the click.
// Such names count as files that cannot be opened.
bool names_other_than_a_regular_file(const char* path)
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    return std::filesystem::exists(status) && !std::filesystem::is_regular_file(status);
}

}  // namespace

bool gui_serialization_save_to_file(const GuiPreset* preset, const char* path, std::string* error)
{
    if (names_other_than_a_regular_file(path)) {
        if (error != nullptr)
            *error = "it is not a regular file";
        return false;
    }
    const PresetBytes bytes = encode(*preset);
    return file_writer_write(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                             error);
}

int gui_serialization_load_from_file(GuiPreset* preset, const char* path)
{
    if (names_other_than_a_regular_file(path))
        return 1;
    const FileHandle file(std::fopen(path, "rb"));
    if (file == nullptr)
        return 1;
    PresetBytes bytes{};
    // A shorter file is no record: it is treated like one that cannot be
    // opened, and the record is left as it was.
    if (std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size())
        return 1;
    *preset = decode(bytes);
    return 0;
}

std::string gui_serialization_check_file(GuiPreset* preset, const char* path)
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status))
        return "it does not exist";
    if (!std::filesystem::is_regular_file(status))
        return "it is not a regular file";
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error)
        return error.message();
    if (size != GUI_PRESET_FILE_SIZE)
        return "it has " + std::to_string(size) + " bytes, not " + std::to_string(GUI_PRESET_FILE_SIZE);
    const FileHandle file(std::fopen(path, "rb"));
    PresetBytes bytes{};
    if (file == nullptr || std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size())
        return "it cannot be read";
    for (const std::size_t at : {0, 8, 16, 24, 32, 40, 64, 80})
        if (!std::isfinite(get_double(&bytes[at])))
            return "the number at byte " + std::to_string(at) + " is not finite";
    const auto in = [](std::size_t at, std::size_t from, std::size_t to) { return at >= from && at < to; };
    for (std::size_t at = 48; at < bytes.size(); ++at) {
        if (in(at, 64, 72) || in(at, 80, 100))
            continue;  // numbers
        const bool padding = in(at, 60, 64) || in(at, 78, 80) || at > 100;
        if (bytes[at] > (padding ? 0 : 1))
            return "byte " + std::to_string(at) + (padding ? " is padding but not 0" : " is a switch but not 0 or 1");
    }
    const GuiPreset read = decode(bytes);
    if (read.speed_slider_position < 0.0 || read.speed_slider_position > 1.0)
        return "its speed is outside 0 to 1";
    if (read.extrapolation_x_amount < 0 || read.extrapolation_y_amount < 0 || read.extrapolation_z_amount < 0)
        return "a grid amount is negative";
    *preset = read;
    return {};
}

