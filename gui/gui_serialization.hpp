// Presets: snapshots of the view settings (camera, projection, pitch lock,
// drawing switches, playback pause and loop, speed slider, automatic fitting
// and the grid) as a fixed 104-byte record. Seven are built in; three custom
// ones live in "preset1.zlp" to "preset3.zlp" in the working directory; any
// preset can be saved or loaded under a typed name with ".zlp" appended.
//
// The file holds exactly the record, little-endian, nothing else.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "geometry/camera.hpp"

struct GuiState;

struct GuiPreset {
    double camera_x;                      //  0
    double camera_y;                      //  8
    double camera_z;                      // 16
    double pitch;                         // 24, degrees
    double yaw;                           // 32, degrees
    double roll;                          // 40, degrees
    std::uint8_t pitch_locked;            // 48
    std::uint8_t perspective;             // 49
    std::uint8_t draw_l_vertex;           // 50
    std::uint8_t draw_i_vertex;           // 51
    std::uint8_t draw_r_vertex;           // 52
    std::uint8_t draw_li_edge;            // 53
    std::uint8_t draw_lr_edge;            // 54
    std::uint8_t draw_ri_edge;            // 55
    std::uint8_t draw_reference;          // 56
    std::uint8_t draw_axis;               // 57
    std::uint8_t paused;                  // 58
    std::uint8_t looping;                 // 59
    std::uint8_t padding_60[4];           // 60
    double speed_slider_position;         // 64
    std::uint8_t draw_all_exercise_verts; // 72
    std::uint8_t auto_display_fitting;    // 73
    std::uint8_t draw_callibration;       // 74
    std::uint8_t draw_extrapolation_l;    // 75
    std::uint8_t draw_extrapolation_i;    // 76
    std::uint8_t draw_extrapolation_r;    // 77
    std::uint8_t padding_78[2];           // 78
    double extrapolation_distance;        // 80, mm
    std::int32_t extrapolation_x_amount;  // 88
    std::int32_t extrapolation_y_amount;  // 92
    std::int32_t extrapolation_z_amount;  // 96
    std::uint8_t draw_spokes;             // 100
    std::uint8_t padding_101[3];          // 101
};

static_assert(sizeof(GuiPreset) == 104);
static_assert(offsetof(GuiPreset, pitch_locked) == 48);
static_assert(offsetof(GuiPreset, looping) == 59);
static_assert(offsetof(GuiPreset, speed_slider_position) == 64);
static_assert(offsetof(GuiPreset, draw_all_exercise_verts) == 72);
static_assert(offsetof(GuiPreset, draw_extrapolation_r) == 77);
static_assert(offsetof(GuiPreset, extrapolation_distance) == 80);
static_assert(offsetof(GuiPreset, extrapolation_x_amount) == 88);
static_assert(offsetof(GuiPreset, extrapolation_z_amount) == 96);
static_assert(offsetof(GuiPreset, draw_spokes) == 100);

inline constexpr int GUI_PRESET_FILE_SIZE = 104;

// Fills presets[0] to presets[6] of the state with the built-in presets.
void gui_serialization_set_default_presets(GuiState* state);

// Copies the settings from the state (and its viewport's camera) into a
// record, and back. Deserializing changes nothing else.
void gui_serialize(const GuiState* state, GuiPreset* preset);
void gui_deserialize(GuiState* state, const GuiPreset* preset);
// The camera a preset gives a view: its numbers that are finite, the zoom
// as the Z field takes it, its projection.
void gui_preset_camera(const GuiPreset* preset, CameraView* view);

// Writes the record whole; false, with the reason in *error (when given),
// when the file could not be written. A name that exists as something other
// than a regular file (a directory, a device, a named pipe) counts as a file
// that cannot be opened.
bool gui_serialization_save_to_file(const GuiPreset* preset, const char* path, std::string* error = nullptr);
// Reads a record; returns 1 (record untouched) when the file cannot be read
// as a whole record or is no regular file, 0 otherwise.
int gui_serialization_load_from_file(GuiPreset* preset, const char* path);

// Reads a preset file for the command line, stricter than loading: a
// regular file of exactly 104 bytes whose numbers are finite, switches 0 or
// 1, padding 0, speed from 0 to 1 and grid amounts not negative (what saving
// writes). Returns "" with the record read, or why the file is refused.
std::string gui_serialization_check_file(GuiPreset* preset, const char* path);

// Applies built-in preset n (0 to 6).
void gui_state_load_preset(int n);
// Applies a preset record as loading one from a file does (the command
// line's --preset FILE).
void gui_state_apply_preset(const GuiPreset* preset);
// Writes the current settings to "preset<n>.zlp" (n from 1 to 3).
void gui_state_save_custom_preset(int n);
// Applies "preset<n>.zlp", or built-in preset 0 when it cannot be read.
void gui_state_load_custom_preset(int n);
