// Construction of the panel and the page switching: every widget at its
// index with its kind, rectangle, text, colours, callback and first state;
// the page lists and radio groups; the lock indicator; the requests for a
// window size and a screenshot.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

#include "tests/gui_fixture.hpp"

using namespace zelto_test;

namespace {

enum class Kind { viewport, label, image, toggle, button, input, slider, timed };

struct WidgetRow {
    int index;
    Kind kind;
    int x, y, w, h;
    const char* text;  // null: not checked (pictures, the About credits)
};

constexpr int V = 750;

// The whole panel, in the order of `interactables`.
const WidgetRow panel[] = {
    {0, Kind::viewport, 0, 0, V, V, nullptr},
    {1, Kind::label, 20, V - 20, 730, 20, "[Point Info Display]"},
    {2, Kind::toggle, V + 180, 10, 160, 20, "Screen"},
    {3, Kind::toggle, V + 10, 10, 160, 20, "File / Exercise"},
    {4, Kind::toggle, V + 10, 40, 105, 20, "View"},
    {5, Kind::toggle, V + 125, 40, 100, 20, "Motion"},
    {6, Kind::toggle, V + 235, 40, 105, 20, "Grid"},
    {7, Kind::toggle, V + 10, 70, 160, 20, "Presets"},
    {8, Kind::toggle, V + 180, 70, 160, 20, "About"},
    {9, Kind::image, 0, V - 20, 20, 20, nullptr},
    {10, Kind::image, 0, V - 20, 20, 20, nullptr},
    // Page a, "Screen"
    {11, Kind::label, V + 10, 130, 330, 20, "Screen size"},
    {12, Kind::toggle, V + 10, 160, 105, 20, "750x750"},
    {13, Kind::toggle, V + 125, 160, 100, 20, "1000x1000"},
    {14, Kind::toggle, V + 235, 160, 105, 20, "1250x1250"},
    {15, Kind::toggle, V + 10, 190, 105, 20, "1500x1500"},
    {16, Kind::toggle, V + 125, 190, 100, 20, "1750x1750"},
    {17, Kind::toggle, V + 235, 190, 105, 20, "2000x2000"},
    {18, Kind::label, V + 10, 250, 160, 20, "Camera position"},
    {19, Kind::label, V + 10, 280, 25, 20, "X"},
    {20, Kind::label, V + 120, 280, 25, 20, "Y"},
    {21, Kind::label, V + 230, 280, 25, 20, "Z"},
    {22, Kind::input, V + 35, 280, 75, 20, nullptr},
    {23, Kind::input, V + 145, 280, 75, 20, nullptr},
    {24, Kind::input, V + 255, 280, 75, 20, nullptr},
    {25, Kind::label, V + 10, 310, 45, 20, "Pitch"},
    {26, Kind::label, V + 120, 310, 45, 20, "Yaw"},
    {27, Kind::label, V + 230, 310, 45, 20, "Roll"},
    {28, Kind::input, V + 60, 310, 50, 20, nullptr},
    {29, Kind::input, V + 170, 310, 50, 20, nullptr},
    {30, Kind::input, V + 280, 310, 50, 20, nullptr},
    {31, Kind::toggle, V + 10, 340, 330, 20, "Lock mouse pitch rotation?"},
    {32, Kind::label, V + 10, 400, 330, 20, "3D projection type"},
    {33, Kind::toggle, V + 10, 430, 160, 20, "Orthogonal"},
    {34, Kind::toggle, V + 180, 430, 160, 20, "Perspective"},
    {35, Kind::label, V + 10, 490, 330, 20, "Reference Object drawing"},
    {36, Kind::toggle, V + 10, 520, 160, 20, "Cube"},
    {37, Kind::toggle, V + 180, 520, 160, 20, "Axes"},
    // Page b, "File / Exercise"
    {38, Kind::input, V + 10, 130, 330, 20, "path to file..."},
    {39, Kind::label, V + 10, 190, 160, 20, "Exercises"},
    // Page c, "View"
    {40, Kind::label, V + 10, 120, 200, 20, "Default Views"},
    {41, Kind::button, V + 235, 150, 105, 20, "Frontal"},
    {42, Kind::button, V + 10, 150, 215, 20, "Sagittal from the left"},
    {43, Kind::button, V + 10, 180, 215, 20, "Sagittal from the right"},
    {44, Kind::button, V + 10, 240, 105, 20, "Fit view"},
    {45, Kind::toggle, V + 125, 240, 215, 20, "Automatically fit view?"},
    {46, Kind::toggle, V + 180, 270, 160, 20, "Show Grid?"},
    {47, Kind::toggle, V + 10, 270, 160, 20, "Show Calibration?"},
    {48, Kind::label, V + 10, 490, 160, 20, "Draw control"},
    {49, Kind::toggle, V + 10, 520, 105, 20, "Cond. Left"},
    {50, Kind::toggle, V + 125, 520, 100, 20, "Incisal"},
    {51, Kind::toggle, V + 235, 520, 105, 20, "Cond. Right"},
    {52, Kind::toggle, V + 10, 550, 105, 20, "Left-Incisal"},
    {53, Kind::toggle, V + 125, 550, 100, 20, "Left-Right"},
    {54, Kind::toggle, V + 235, 550, 105, 20, "Right-Incisal"},
    {55, Kind::toggle, V + 10, 610, 330, 20, "Show the whole exercise path?"},
    // Page d, "Motion"
    {56, Kind::label, V + 10, 130, 330, 20, "Motion Settings"},
    {57, Kind::toggle, V + 10, 160, 75, 20, "Pause?"},
    {58, Kind::toggle, V + 95, 160, 75, 20, "Loop?"},
    {59, Kind::slider, V + 10, 190, 330, 40, "0/0"},
    {60, Kind::slider, V + 180, 140, 160, 40, "Speed"},
    {61, Kind::button, V + 290, 160, 50, 20, "x1.0"},
    // Page e, "Grid"
    {62, Kind::toggle, V + 10, 130, 105, 20, "Cond. Left"},
    {63, Kind::toggle, V + 125, 130, 100, 20, "Incisal"},
    {64, Kind::toggle, V + 235, 130, 105, 20, "Cond. Right"},
    {65, Kind::label, V + 10, 190, 210, 20, "Spacing [mm]"},
    {66, Kind::input, V + 235, 190, 105, 20, "10.00"},
    {67, Kind::label, V + 10, 220, 210, 20, "Sagittal"},
    {68, Kind::label, V + 10, 250, 210, 20, "Vertical"},
    {69, Kind::label, V + 10, 280, 210, 20, "Horizontal"},
    {70, Kind::input, V + 235, 220, 70, 20, "0"},
    {71, Kind::input, V + 235, 250, 70, 20, "0"},
    {72, Kind::input, V + 235, 280, 70, 20, "0"},
    // Page f, "Presets"
    {73, Kind::label, V + 10, 130, 330, 20, "Default Presets"},
    {74, Kind::button, V + 10, 160, 330, 20, "Condular left from the left - dynamic"},
    {75, Kind::button, V + 10, 190, 330, 20, "Condular left from the left - static"},
    {76, Kind::button, V + 10, 220, 330, 20, "Incisal from the front - dynamic"},
    {77, Kind::button, V + 10, 250, 330, 20, "Incisal from the front - static"},
    {78, Kind::button, V + 10, 280, 330, 20, "Condular right form the right - dynamic"},
    {79, Kind::button, V + 10, 310, 330, 20, "Condular right form the right - static"},
    {80, Kind::label, V + 10, 370, 330, 20, "Custom Presets"},
    {81, Kind::button, V + 10, 400, 210, 20, "Custom Preset #1"},
    {82, Kind::button, V + 230, 400, 110, 20, "Save"},
    {83, Kind::button, V + 10, 430, 210, 20, "Custom Preset #2"},
    {84, Kind::button, V + 230, 430, 110, 20, "Save"},
    {85, Kind::button, V + 10, 460, 210, 20, "Custom Preset #3"},
    {86, Kind::button, V + 230, 460, 110, 20, "Save"},
    {87, Kind::label, V + 10, 520, 330, 20, "Save / Load custom preset from file"},
    {88, Kind::input, V + 10, 550, 330, 20, "path to file..."},
    {89, Kind::button, V + 10, 580, 160, 20, "Save"},
    {90, Kind::button, V + 180, 580, 160, 20, "Load"},
    // Page g, "About"
    {91, Kind::label, V + 10, 165, 330, 20, "--------------------------------------------------"},
    {92, Kind::label, V + 10, 130, 330, 20, "Zelto v0.26"},
    {93, Kind::label, V + 10, 150, 330, 20, nullptr},
    {94, Kind::label, V + 10, 180, 330, 20, nullptr},
    {95, Kind::label, V + 10, 220, 330, 20, nullptr},
    {96, Kind::label, V + 10, 240, 330, 20, nullptr},
    {97, Kind::image, V + 10, 370, 330, 80, nullptr},
    {98, Kind::image, V + 10, 560, 330, 55, nullptr},
    {99, Kind::label, V + 10, 280, 330, 20, nullptr},
    {100, Kind::label, V + 10, 300, 330, 20, nullptr},
    {101, Kind::label, V + 10, 320, 330, 20, nullptr},
    {102, Kind::label, V + 10, 340, 330, 20, nullptr},
    {103, Kind::label, V + 10, 490, 330, 20, nullptr},
    {104, Kind::label, V + 10, 510, 330, 20, nullptr},
    {105, Kind::label, V + 10, 530, 330, 20, nullptr},
    // Page h, "Options"
    {106, Kind::label, V + 10, 130, 160, 20, "File type"},
    {107, Kind::toggle, V + 180, 130, 48, 20, "BMP"},
    {108, Kind::toggle, V + 236, 130, 48, 20, "SVG"},
    {109, Kind::label, V + 10, 190, 160, 20, "SVG background"},
    {110, Kind::toggle, V + 180, 190, 48, 20, "black"},
    {111, Kind::toggle, V + 236, 190, 48, 20, "white"},
    {112, Kind::toggle, V + 292, 190, 48, 20, "none"},
    {113, Kind::label, V + 10, 220, 160, 20, "SVG color"},
    {114, Kind::toggle, V + 180, 220, 48, 20, "black"},
    {115, Kind::toggle, V + 236, 220, 48, 20, "white"},
    {116, Kind::toggle, V + 292, 220, 48, 20, "color"},
    {117, Kind::label, V + 10, 250, 160, 20, "SVG line width"},
    {118, Kind::input, V + 180, 250, 106, 20, "100.0"},
    {119, Kind::label, V + 292, 250, 48, 20, "%"},
    // Footer
    {120, Kind::label, V + 10, 660, 105, 20, "Legend"},
    {121, Kind::timed, V + 100, 635, 200, 20, "Screenshot taken!"},
    {122, Kind::button, V + 125, 660, 100, 20, "Screenshot"},
    {123, Kind::toggle, V + 235, 660, 105, 20, "Options"},
    {124, Kind::label, V + 10, 690, 105, 20, "Cond. Left"},
    {125, Kind::label, V + 125, 690, 100, 20, "Incisal"},
    {126, Kind::label, V + 235, 690, 105, 20, "Cond. Right"},
    {127, Kind::label, V + 10, 720, 105, 20, "Left-Incisal"},
    {128, Kind::label, V + 125, 720, 100, 20, "Left-Right"},
    {129, Kind::label, V + 235, 720, 105, 20, "Right-Incisal"},
};

// Exactly the kind: a toggle is also a button, a button also a label.
bool is_kind(const Interactable* w, Kind kind)
{
    const bool toggle = dynamic_cast<const InteractableToggle*>(w) != nullptr;
    const bool button = !toggle && dynamic_cast<const InteractableButton*>(w) != nullptr;
    const bool input = dynamic_cast<const InteractableTextInput*>(w) != nullptr;
    const bool slider = dynamic_cast<const InteractableSlider*>(w) != nullptr;
    const bool timed = dynamic_cast<const InteractableTextTimed*>(w) != nullptr;
    const bool text = dynamic_cast<const InteractableText*>(w) != nullptr;
    const bool viewport = dynamic_cast<const InteractableViewport3d*>(w) != nullptr;
    switch (kind) {
    case Kind::viewport: return viewport;
    case Kind::label: return text && !toggle && !button && !input && !slider && !timed;
    case Kind::image: return !text && !viewport;
    case Kind::toggle: return toggle;
    case Kind::button: return button;
    case Kind::input: return input;
    case Kind::slider: return slider;
    case Kind::timed: return timed;
    }
    return false;
}

using GuiConstruction = GuiTest;
using GuiPages = GuiTest;
using GuiRequests = GuiTest;

// -----------------------------------------------------------------------------
// Construction
// -----------------------------------------------------------------------------

TEST_F(GuiConstruction, EveryWidgetAtItsIndexWithItsKindRectangleAndText)
{
    ASSERT_EQ(state()->interactables_number, 130);
    ASSERT_EQ(state()->interactables.size(), 130u);
    ASSERT_EQ(std::size(panel), 130u);
    std::set<const Interactable*> distinct;
    for (const WidgetRow& row : panel) {
        SCOPED_TRACE("index " + std::to_string(row.index));
        const Interactable* w = widget(row.index);
        ASSERT_NE(w, nullptr);
        distinct.insert(w);
        EXPECT_TRUE(is_kind(w, row.kind));
        EXPECT_EQ(w->x, row.x);
        EXPECT_EQ(w->y, row.y);
        EXPECT_EQ(w->w, row.w);
        EXPECT_EQ(w->h, row.h);
        if (row.text != nullptr) {
            EXPECT_EQ(text_of(w), row.text);
        }
        if (const auto* text = dynamic_cast<const InteractableText*>(w)) {
            EXPECT_EQ(text->font, state()->font);
        }
    }
    EXPECT_EQ(distinct.size(), 130u);
}

TEST_F(GuiConstruction, NamedFieldsReferToTheirIndices)
{
    GuiState* s = state();
    const std::pair<const Interactable*, int> fields[] = {
        {s->viewport, 0},
        {s->point_info_text, 1},
        {s->page_toggle_a, 2},
        {s->page_toggle_b, 3},
        {s->page_toggle_c, 4},
        {s->page_toggle_d, 5},
        {s->page_toggle_e, 6},
        {s->page_toggle_f, 7},
        {s->page_toggle_g, 8},
        {s->lock_image, 9},
        {s->unlock_image, 10},
        {s->viewport_x_input, 22},
        {s->viewport_y_input, 23},
        {s->viewport_z_input, 24},
        {s->viewport_pitch_input, 28},
        {s->viewport_yaw_input, 29},
        {s->viewport_roll_input, 30},
        {s->pitch_lock_toggle, 31},
        {s->orthogonal_toggle, 33},
        {s->perspective_toggle, 34},
        {s->reference_toggle, 36},
        {s->axis_toggle, 37},
        {s->report_path_input, 38},
        {s->auto_display_fitting_toggle, 45},
        {s->spokes_toggle, 46},
        {s->callibration_toggle, 47},
        {s->l_vertex_toggle, 49},
        {s->i_vertex_toggle, 50},
        {s->r_vertex_toggle, 51},
        {s->li_edge_toggle, 52},
        {s->lr_edge_toggle, 53},
        {s->ri_edge_toggle, 54},
        {s->all_exercise_verts_toggle, 55},
        {s->paused_toggle, 57},
        {s->looping_toggle, 58},
        {s->animation_slider, 59},
        {s->speed_slider, 60},
        {s->speed_reset_button, 61},
        {s->extrapolation_l_toggle, 62},
        {s->extrapolation_i_toggle, 63},
        {s->extrapolation_r_toggle, 64},
        {s->extrapolation_distance_input, 66},
        {s->extrapolation_x_input, 70},
        {s->extrapolation_y_input, 71},
        {s->extrapolation_z_input, 72},
        {s->preset_path_input, 88},
        {s->svg_background_black_toggle, 110},
        {s->svg_background_white_toggle, 111},
        {s->svg_color_black_toggle, 114},
        {s->svg_color_white_toggle, 115},
        {s->screenshot_taken_text, 121},
        {s->page_toggle_h, 123},
    };
    for (const auto& [field, index] : fields)
        EXPECT_EQ(field, widget(index)) << "index " << index;
}

TEST_F(GuiConstruction, PageListsAreTheSlicesOfThePanelList)
{
    const int sizes[] = {27, 2, 16, 6, 11, 18, 15, 14};
    const int first[] = {11, 38, 40, 56, 62, 73, 91, 106};
    for (int page = 0; page < 8; ++page) {
        SCOPED_TRACE("page " + std::to_string(page));
        EXPECT_EQ(state()->page_sizes[page], sizes[page]);
        ASSERT_EQ(state()->pages[page].size(), static_cast<std::size_t>(sizes[page]));
        for (int row = 0; row < sizes[page]; ++row)
            EXPECT_EQ(state()->pages[page][row], widget(first[page] + row));
    }
}

TEST_F(GuiConstruction, CallbacksAreAttachedAsListed)
{
    const std::pair<int, InteractableCallback> attached[] = {
        {0, callback_update_display_3d_variables},
        {1, nullptr},
        {2, callback_activate_page_a},
        {3, callback_activate_page_b},
        {4, callback_activate_page_c},
        {5, callback_activate_page_d},
        {6, callback_activate_page_e},
        {7, callback_activate_page_f},
        {8, callback_activate_page_g},
        {12, callback_set_resolution_1},
        {13, callback_set_resolution_2},
        {14, callback_set_resolution_3},
        {15, callback_set_resolution_4},
        {16, callback_set_resolution_5},
        {17, callback_set_resolution_6},
        {22, callback_set_viewport_x},
        {23, callback_set_viewport_y},
        {24, callback_set_viewport_z},
        {28, callback_set_viewport_pitch},
        {29, callback_set_viewport_yaw},
        {30, callback_set_viewport_roll},
        {31, callback_toggle_pitch_rotation},
        {33, callback_set_3d_perspective_false},
        {34, callback_set_3d_perspective_true},
        {36, callback_toggle_draw_reference},
        {37, callback_toggle_draw_axis},
        {38, callback_load_report},
        {41, callback_set_special_view_frontal},
        {42, callback_set_special_view_sagittal_l},
        {43, callback_set_special_view_sagittal_r},
        {44, callback_fit_display_to_verts},
        {45, callback_toggle_auto_display_fitting},
        {46, callback_toggle_draw_spokes},
        {47, callback_toggle_draw_callibration},
        {49, callback_toggle_draw_l_vertex},
        {50, callback_toggle_draw_i_vertex},
        {51, callback_toggle_draw_r_vertex},
        {52, callback_toggle_draw_li_edge},
        {53, callback_toggle_draw_lr_edge},
        {54, callback_toggle_draw_ri_edge},
        {55, callback_toggle_draw_all_exercise_verts},
        {57, callback_toggle_paused},
        {58, callback_toggle_looping},
        {59, callback_animation_position},
        {60, callback_set_data_speed_multiplier},
        {61, callback_button_reset_animation_speed},
        {62, callback_toggle_draw_extrapolation_l},
        {63, callback_toggle_draw_extrapolation_i},
        {64, callback_toggle_draw_extrapolation_r},
        {66, callback_set_extrapolation_distance},
        {70, callback_set_extrapolation_x_amount},
        {71, callback_set_extrapolation_y_amount},
        {72, callback_set_extrapolation_z_amount},
        {73, callback_load_preset_0},
        {74, callback_load_preset_1},
        {75, callback_load_preset_2},
        {76, callback_load_preset_3},
        {77, callback_load_preset_4},
        {78, callback_load_preset_5},
        {79, callback_load_preset_6},
        {80, callback_load_preset_0},
        {81, callback_load_custom_preset_1},
        {82, callback_save_custom_preset_1},
        {83, callback_load_custom_preset_2},
        {84, callback_save_custom_preset_2},
        {85, callback_load_custom_preset_3},
        {86, callback_save_custom_preset_3},
        {88, nullptr},
        {89, callback_save_custom_preset_to_file},
        {90, callback_load_custom_preset_from_file},
        {107, callback_toggle_screenshot_file_using_bmp},
        {108, callback_toggle_screenshot_file_using_svg},
        {110, callback_toggle_screenshot_svg_background_black},
        {111, callback_toggle_screenshot_svg_background_white},
        {112, callback_toggle_screenshot_svg_background_none},
        {114, callback_toggle_screenshot_svg_color_override_black},
        {115, callback_toggle_screenshot_svg_color_override_white},
        {116, callback_toggle_screenshot_svg_color_override_none},
        {118, callback_set_screenshot_svg_scale},
        {121, nullptr},
        {122, callback_take_screenshot},
        {123, callback_activate_page_h},
        {124, nullptr},
    };
    for (const auto& [index, callback] : attached)
        EXPECT_EQ(widget(index)->callback, callback) << "index " << index;
}

TEST_F(GuiConstruction, TogglesStartInTheirListedStates)
{
    // Every toggle of the panel that starts on; all others start off.
    const std::set<int> on = {3, 12, 31, 33, 36, 37, 45, 49, 50, 51, 52, 54, 58, 108, 112, 114};
    int toggles = 0;
    for (int index = 0; index < 130; ++index) {
        if (dynamic_cast<const InteractableToggle*>(widget(index)) == nullptr)
            continue;
        ++toggles;
        EXPECT_EQ(pressed_of(widget(index)), on.count(index) ? 1 : 0) << "index " << index;
    }
    EXPECT_EQ(toggles, 42);
}

TEST_F(GuiConstruction, ColoursFollowTheKind)
{
    struct ColourRow {
        int index;
        const Color* foreground;
        const Color* background;
    };
    const ColourRow rows[] = {
        {0, &c_white, &c_black},   {1, &c_black, &c_beige},   {11, &c_black, &c_beige},
        {22, &c_white, &c_black},  {59, &c_white, &c_black},  {60, &c_white, &c_black},
        {61, &c_white, &c_black},  {121, &c_black, &c_beige}, {124, &c_black, &c_red},
        {125, &c_black, &c_blue},  {126, &c_black, &c_green}, {127, &c_black, &c_magenta},
        {128, &c_black, &c_yellow}, {129, &c_black, &c_cyan},  {9, &c_transparent, &c_transparent},
    };
    for (const ColourRow& row : rows) {
        EXPECT_TRUE(same_color(widget(row.index)->foreground, *row.foreground)) << "index " << row.index;
        EXPECT_TRUE(same_color(widget(row.index)->background, *row.background)) << "index " << row.index;
    }
    // Toggles and buttons: black on beige, pressed black on the active colour.
    for (int index : {2, 13, 41, 74, 122}) {
        const auto* b = widget_as<InteractableButton>(index);
        EXPECT_TRUE(same_color(b->foreground_released, c_black)) << index;
        EXPECT_TRUE(same_color(b->background_released, c_beige)) << index;
        EXPECT_TRUE(same_color(b->foreground_pressed, c_black)) << index;
        EXPECT_TRUE(same_color(b->background_pressed, c_button_active)) << index;
    }
    // A toggle that starts on shows its pressed colours.
    EXPECT_TRUE(same_color(widget(3)->background, c_button_active));
    // The speed reset button has no pressed pair: pressed it shows its own
    // colours swapped.
    const auto* reset = state()->speed_reset_button;
    EXPECT_TRUE(same_color(reset->foreground_pressed, c_black));
    EXPECT_TRUE(same_color(reset->background_pressed, c_white));
}

TEST_F(GuiConstruction, RadioGroupsHoldTheirMembers)
{
    auto members = [&](int index) {
        std::set<const Interactable*> out;
        for (const InteractableToggle* t : widget_as<InteractableToggle>(index)->unpress_set)
            out.insert(t);
        return out;
    };
    auto expect_group = [&](std::initializer_list<int> group) {
        for (int index : group) {
            std::set<const Interactable*> expected;
            for (int other : group)
                if (other != index)
                    expected.insert(widget(other));
            EXPECT_EQ(members(index), expected) << "index " << index;
        }
    };
    expect_group({12, 13, 14, 15, 16, 17});
    expect_group({33, 34});
    expect_group({107, 108});
    expect_group({110, 111, 112});
    expect_group({114, 115, 116});
    expect_group({2, 3, 4, 5, 6, 7, 8, 123});
    // Plain switches are in no group.
    for (int index : {31, 36, 37, 45, 46, 47, 49, 57, 58, 62})
        EXPECT_TRUE(widget_as<InteractableToggle>(index)->unpress_set.empty()) << index;
}

TEST_F(GuiConstruction, StartsOnPageBWithTheUnlockIconAndNoNotice)
{
    for (int index = 11; index < 120; ++index) {
        const bool on_page_b = index == 38 || index == 39;
        EXPECT_EQ(widget(index)->active, on_page_b ? 1 : 0) << "index " << index;
    }
    for (int index : {0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 120, 122, 123, 124, 129})
        EXPECT_EQ(widget(index)->active, 1) << "index " << index;
    EXPECT_EQ(state()->lock_image->active, 0);
    EXPECT_EQ(state()->unlock_image->active, 1);
    EXPECT_EQ(state()->screenshot_taken_text->active, 0);
    EXPECT_DOUBLE_EQ(state()->screenshot_taken_text->duration, 1000.0);
}

TEST_F(GuiConstruction, ViewportHasItsPlanesAndFieldOfView)
{
    const InteractableViewport3d* v = state()->viewport;
    EXPECT_EQ(v->near, static_cast<double>(0.1f));
    EXPECT_EQ(v->far, 1000.0);
    EXPECT_EQ(v->fov, 90.0);
    EXPECT_EQ(v->perspective, 0);
    EXPECT_EQ(v->pitch_locked, 1);
}

TEST_F(GuiConstruction, CameraFieldsShowTheCameraAfterTheFirstFit)
{
    const InteractableViewport3d* v = state()->viewport;
    char buffer[64];
    const std::pair<const InteractableTextInput*, std::pair<const char*, double>> fields[] = {
        {state()->viewport_x_input, {"%.2f", v->camera_x}},   {state()->viewport_y_input, {"%.2f", v->camera_y}},
        {state()->viewport_z_input, {"%.2f", v->camera_z}},   {state()->viewport_pitch_input, {"%.1f", v->pitch}},
        {state()->viewport_yaw_input, {"%.1f", v->yaw}},      {state()->viewport_roll_input, {"%.1f", v->roll}},
    };
    for (const auto& [field, format] : fields) {
        std::snprintf(buffer, sizeof buffer, format.first, format.second);
        EXPECT_EQ(field->text, buffer);
    }
    // Seen along z, the axes (5 units each way) fill the whole square at the
    // start zoom of -5, so the fit keeps the centre and zooms out to -5 / 0.8.
    EXPECT_EQ(state()->viewport_x_input->text, "0.00");
    EXPECT_EQ(state()->viewport_y_input->text, "0.00");
    EXPECT_EQ(state()->viewport_z_input->text, "-6.25");
    EXPECT_NEAR(v->camera_z, -5.0 / static_cast<double>(0.8f), 1e-9);
}

TEST_F(GuiConstruction, AboutPageNamesTheProgramAndItsFont)
{
    EXPECT_EQ(text_of(widget(92)), "Zelto v0.26");
    EXPECT_EQ(text_of(widget(91)), std::string(50, '-'));
    std::string credits;
    for (int index = 93; index <= 105; ++index)
        if (index != 97 && index != 98)
            credits += text_of(widget(index)) + "\n";
    EXPECT_NE(credits.find("jaw-motion recordings"), std::string::npos);
    EXPECT_NE(credits.find("licence"), std::string::npos);
    EXPECT_NE(credits.find("DejaVu Sans"), std::string::npos);
    EXPECT_NE(credits.find("Bitstream Vera"), std::string::npos);
}

// -----------------------------------------------------------------------------
// Page switching
// -----------------------------------------------------------------------------

TEST_F(GuiPages, EachLetterShowsExactlyItsPageAndTab)
{
    const int first[] = {11, 38, 40, 56, 62, 73, 91, 106};
    const int last[] = {37, 39, 55, 61, 72, 90, 105, 119};
    const InteractableToggle* tabs[] = {state()->page_toggle_a, state()->page_toggle_b, state()->page_toggle_c,
                                        state()->page_toggle_d, state()->page_toggle_e, state()->page_toggle_f,
                                        state()->page_toggle_g, state()->page_toggle_h};
    for (int page = 0; page < 8; ++page) {
        SCOPED_TRACE(std::string("page ") + static_cast<char>('a' + page));
        gui_activate_specific_page('a' + page);
        for (int index = 11; index < 120; ++index)
            EXPECT_EQ(widget(index)->active, index >= first[page] && index <= last[page] ? 1 : 0) << index;
        for (int tab = 0; tab < 8; ++tab)
            EXPECT_EQ(tabs[tab]->pressed, tab == page ? 1 : 0);
        // Fixed widgets never change.
        EXPECT_EQ(state()->viewport->active, 1);
        EXPECT_EQ(state()->unlock_image->active, 1);
    }
}

TEST_F(GuiPages, ALetterOutsideTheRangeHidesEveryPage)
{
    for (int letter : {int{'a' - 1}, int{'i'}, 0, int{'B'}}) {
        gui_activate_specific_page('c');
        gui_activate_specific_page(letter);
        for (int index = 11; index < 120; ++index)
            EXPECT_EQ(widget(index)->active, 0) << "letter " << letter << " index " << index;
        for (int index : {2, 3, 4, 5, 6, 7, 8, 123})
            EXPECT_EQ(pressed_of(widget(index)), 0) << "letter " << letter;
    }
}

TEST_F(GuiPages, ClickingTabsSwitchesPagesAndAnActiveTabShowsItsPageAgain)
{
    click(state()->page_toggle_a);
    EXPECT_EQ(widget(11)->active, 1);
    EXPECT_EQ(widget(38)->active, 0);
    EXPECT_EQ(state()->page_toggle_a->pressed, 1);
    EXPECT_EQ(state()->page_toggle_b->pressed, 0);

    click(state()->page_toggle_h);
    EXPECT_EQ(widget(106)->active, 1);
    EXPECT_EQ(widget(11)->active, 0);

    // A second click on the active tab keeps it on and its page shown.
    click(state()->page_toggle_h);
    EXPECT_EQ(state()->page_toggle_h->pressed, 1);
    EXPECT_EQ(widget(106)->active, 1);
}

TEST_F(GuiPages, ExerciseTogglesGoWithPageB)
{
    TempWorkingDirectory directory;
    load_report_file("two.tsv", report_text({{"Open", 5}, {"Close", 5}}));
    ASSERT_EQ(state()->exercise_toggles.size(), 2u);
    for (int page = 0; page < 8; ++page) {
        gui_activate_specific_page('a' + page);
        for (const auto& toggle : state()->exercise_toggles)
            EXPECT_EQ(toggle->active, page == 1 ? 1 : 0) << "page " << page;
    }
    gui_activate_specific_page('z');
    for (const auto& toggle : state()->exercise_toggles)
        EXPECT_EQ(toggle->active, 0);
    // A click where a hidden toggle sits does nothing.
    gui_activate_specific_page('e');
    const int before = state()->selected_exercise;
    click(state()->exercise_toggles[1].get());
    EXPECT_EQ(state()->selected_exercise, before);
}

// -----------------------------------------------------------------------------
// Lock indicator, window size and screenshot requests
// -----------------------------------------------------------------------------

TEST_F(GuiRequests, LockAndUnlockSwitchTheIcons)
{
    gui_point_lock_lock(7);
    EXPECT_EQ(state()->locked_point, 7);
    EXPECT_EQ(state()->lock_image->active, 1);
    EXPECT_EQ(state()->unlock_image->active, 0);
    gui_point_lock_unlock();
    EXPECT_EQ(state()->locked_point, -1);
    EXPECT_EQ(state()->lock_image->active, 0);
    EXPECT_EQ(state()->unlock_image->active, 1);
}

TEST_F(GuiRequests, WindowSizeIsPostedAsCodeZeroWithTwoInts)
{
    gui_set_window_size(1350, 1000);
    const auto posted = take_posted();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].code, USER_EVENT_RESIZE_WINDOW);
    EXPECT_EQ(posted[0].data1, 1350);
    EXPECT_EQ(posted[0].data2, 1000);
}

TEST_F(GuiRequests, ScreenshotRestartsTheNoticeAndPostsCodeOne)
{
    gui_take_screenshot();
    EXPECT_EQ(state()->screenshot_taken_text->active, 1);
    const auto posted = take_posted();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].code, USER_EVENT_SCREENSHOT);
    EXPECT_EQ(posted[0].data1, -1);
    EXPECT_EQ(posted[0].data2, -1);
}

TEST_F(GuiRequests, CameraDisplayFormats)
{
    InteractableViewport3d* v = state()->viewport;
    v->camera_x = 1.234;
    v->camera_y = -0.005;
    v->camera_z = -12.0;
    v->pitch = 10.25;
    v->yaw = 359.96;
    v->roll = -3.0;
    gui_update_3d_variables_display();
    EXPECT_EQ(state()->viewport_x_input->text, "1.23");
    EXPECT_EQ(state()->viewport_y_input->text, "-0.01");
    EXPECT_EQ(state()->viewport_z_input->text, "-12.00");
    EXPECT_EQ(state()->viewport_pitch_input->text, "10.2");
    EXPECT_EQ(state()->viewport_yaw_input->text, "360.0");
    EXPECT_EQ(state()->viewport_roll_input->text, "-3.0");
}

TEST_F(GuiRequests, WidgetsDrawWithoutGlErrors)
{
    // Every page once, rendered and blitted as the main loop does.
    for (int page = 0; page < 8; ++page) {
        gui_activate_specific_page('a' + page);
        prepare_widget_frame(1100, 750);
        for (auto& w : state()->interactables)
            w->render();
        for (auto& w : state()->interactables)
            w->blit(1100, 750);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << "page " << page;
    }
}

}  // namespace
