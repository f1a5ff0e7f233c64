// Construction of the window's widgets and the page switching.
//
// Index of this file:
// [SECTION] Widget factories (colours by kind)
// [SECTION] Fixed widgets and page tabs
// [SECTION] Page a, "Screen"
// [SECTION] Page b, "File / Exercise"
// [SECTION] Page c, "View"
// [SECTION] Page d, "Motion"
// [SECTION] Page e, "Grid"
// [SECTION] Page f, "Presets"
// [SECTION] Page g, "About"
// [SECTION] Page h, "Options"
// [SECTION] Page i, "Measures"
// [SECTION] Page j, "Clinical"
// [SECTION] Footer
// [SECTION] gui_build
// [SECTION] Pages, camera fields, lock indicator, window and screenshot requests
//
// The panel list `interactables` is the order in which the main loop offers
// events and draws, so every widget goes to a fixed index:
//   0 viewport, 1 point info, 2-8 tabs a-g, 9 lock, 10 unlock,
//   11-37 page a, 38-39 page b, 40-55 page c, 56-61 page d, 62-72 page e,
//   73-90 page f, 91-105 page g, 106-119 page h,
//   120 "Legend", 121 "Screenshot taken!", 122 "Screenshot", 123 tab h,
//   124-129 the legend colours, 130 tab i, 131-176 page i (176 the tracing
//   sheet, which the page's switching leaves alone), 177 tab j, 178-223 page j.
#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/zelto_version.hpp"
#include "platform/resources/resources.hpp"
#include "gui/gui.hpp"
#include "gui/gui_callbacks.hpp"

namespace {

constexpr int page_sizes_table[GUI_PAGE_COUNT] = {27, 2, 16, 6, 11, 18, 15, 14, GUI_MEASURES_PAGE_SIZE,
                                                  GUI_CLINICAL_PAGE_SIZE};
// First index of each page's widgets in `interactables`.
constexpr int page_first_index[GUI_PAGE_COUNT] = {11, 38, 40, 56, 62, 73, 91, 106, 131,
                                                  131 + GUI_MEASURES_PAGE_SIZE + 1};

constexpr int INDEX_VIEWPORT = 0;
constexpr int INDEX_POINT_INFO = 1;
constexpr int INDEX_TAB_A = 2;
constexpr int INDEX_LOCK = 9;
constexpr int INDEX_UNLOCK = 10;
constexpr int INDEX_LEGEND_LABEL = 120;
constexpr int INDEX_SCREENSHOT_TEXT = 121;
constexpr int INDEX_SCREENSHOT_BUTTON = 122;
constexpr int INDEX_TAB_H = 123;
constexpr int INDEX_LEGEND_FIRST = 124;
constexpr int INDEX_TAB_I = 130;
constexpr int INDEX_TAB_J = 131 + GUI_MEASURES_PAGE_SIZE;
static_assert(INDEX_TAB_J + 1 + GUI_CLINICAL_PAGE_SIZE == GUI_INTERACTABLES_NUMBER, "page j ends the panel list");

constexpr double SCREENSHOT_NOTICE_MS = 1000.0;

// =============================================================================
// [SECTION] Widget factories (colours by kind)
// =============================================================================

// Every text-bearing widget gets the one font of the GUI state.
struct Factory {
    TTF_Font* font;

    std::unique_ptr<InteractableText> label(int x, int y, int w, int h, const char* text,
                                            InteractableCallback callback = nullptr) const
    {
        return interactable_text_create(x, y, w, h, &c_black, &c_beige, callback, text, font);
    }
    std::unique_ptr<InteractableText> legend(int x, int y, int w, int h, const char* text, const Color* colour) const
    {
        return interactable_text_create(x, y, w, h, &c_black, colour, nullptr, text, font);
    }
    std::unique_ptr<InteractableToggle> toggle(int x, int y, int w, int h, const char* text,
                                               InteractableCallback callback, bool on) const
    {
        return interactable_toggle_create(x, y, w, h, &c_black, &c_beige, &c_black, &c_button_active, callback, text,
                                          font, on ? 1 : 0);
    }
    std::unique_ptr<InteractableButton> button(int x, int y, int w, int h, const char* text,
                                               InteractableCallback callback) const
    {
        return interactable_button_create(x, y, w, h, &c_black, &c_beige, &c_black, &c_button_active, callback, text,
                                          font);
    }
    std::unique_ptr<InteractableTextInput> input(int x, int y, int w, int h, const char* text,
                                                 InteractableCallback callback) const
    {
        return interactable_text_input_create(x, y, w, h, &c_white, &c_black, callback, text, font);
    }
    std::unique_ptr<InteractableSlider> slider(int x, int y, int w, int h, const char* text,
                                               InteractableCallback callback, double position,
                                               std::uint32_t track) const
    {
        return interactable_slider_create(x, y, w, h, &c_white, &c_black, callback, text, font, position, track);
    }
};

// Puts a widget at its index of `interactables` and hands back a typed
// reference for the state's named fields.
template <typename T>
T* place(GuiState* state, int index, std::unique_ptr<T> widget)
{
    T* raw = widget.get();
    state->interactables[static_cast<std::size_t>(index)] = std::move(widget);
    return raw;
}

// Fills one page: each widget goes to its row of the page list and to the
// matching index of `interactables`.
class PageBuilder {
public:
    PageBuilder(GuiState* state, int page) : state_(state), page_(page) {}

    template <typename T>
    T* add(int row, std::unique_ptr<T> widget)
    {
        T* raw = place(state_, page_first_index[page_] + row, std::move(widget));
        state_->pages[static_cast<std::size_t>(page_)][static_cast<std::size_t>(row)] = raw;
        return raw;
    }

    // A widget at the page's index that the page's switching leaves alone:
    // something else decides when it shows.
    template <typename T>
    T* add_unlisted(int row, std::unique_ptr<T> widget)
    {
        return place(state_, page_first_index[page_] + row, std::move(widget));
    }

    // The toggles at `rows` of this page become one radio group.
    void radio(std::initializer_list<std::uint32_t> rows) const
    {
        const std::vector<std::uint32_t> indices(rows);
        interactable_toggle_associate_radio_buttons(state_->pages[static_cast<std::size_t>(page_)].data(),
                                                    indices.data(), static_cast<std::uint32_t>(indices.size()));
    }

private:
    GuiState* state_;
    int page_;
};

// =============================================================================
// [SECTION] Fixed widgets and page tabs
// =============================================================================

void build_fixed_widgets(GuiState* state, const Factory& f, int V)
{
    state->viewport = place(state, INDEX_VIEWPORT,
                            interactable_viewport3d_create(0, 0, V, V, &c_white, &c_black,
                                                           callback_update_display_3d_variables, GUI_NEAR_PLANE,
                                                           1000.0, 90.0));
    state->point_info_text = place(state, INDEX_POINT_INFO, f.label(20, V - 20, 730, 20, "[Point Info Display]"));
    state->lock_image = place(state, INDEX_LOCK, interactable_image_create(0, V - 20, 20, 20, lock_bytes, lock_size));
    state->unlock_image =
        place(state, INDEX_UNLOCK, interactable_image_create(0, V - 20, 20, 20, unlock_bytes, unlock_size));
    // Nothing is locked at start: only the open padlock shows.
    interactable_deactivate(state->lock_image);
}

void build_page_tabs(GuiState* state, const Factory& f, int V)
{
    // "File / Exercise" first: it is the page shown at start.
    state->page_toggle_b =
        place(state, INDEX_TAB_A + 1, f.toggle(V + 10, 10, 160, 20, "File / Exercise", callback_activate_page_b, true));
    state->page_toggle_a =
        place(state, INDEX_TAB_A + 0, f.toggle(V + 180, 10, 160, 20, "Screen", callback_activate_page_a, false));
    state->page_toggle_c =
        place(state, INDEX_TAB_A + 2, f.toggle(V + 10, 40, 105, 20, "View", callback_activate_page_c, false));
    state->page_toggle_d =
        place(state, INDEX_TAB_A + 3, f.toggle(V + 125, 40, 100, 20, "Motion", callback_activate_page_d, false));
    state->page_toggle_e =
        place(state, INDEX_TAB_A + 4, f.toggle(V + 235, 40, 105, 20, "Grid", callback_activate_page_e, false));
    state->page_toggle_f =
        place(state, INDEX_TAB_A + 5, f.toggle(V + 10, 70, 160, 20, "Presets", callback_activate_page_f, false));
    state->page_toggle_g =
        place(state, INDEX_TAB_A + 6, f.toggle(V + 180, 70, 160, 20, "About", callback_activate_page_g, false));
    // A row of its own below the others: no control of any page sits there.
    state->page_toggle_i =
        place(state, INDEX_TAB_I, f.toggle(V + 10, 100, 160, 20, "Measures", callback_activate_page_i, false));
    state->page_toggle_j =
        place(state, INDEX_TAB_J, f.toggle(V + 180, 100, 160, 20, "Clinical", callback_activate_page_j, false));
}

// =============================================================================
// [SECTION] Page a, "Screen"
// =============================================================================

void build_page_screen(GuiState* state, const Factory& f, int V)
{
    PageBuilder p(state, 0);
    p.add(0, f.label(V + 10, 130, 330, 20, "Screen size"));
    p.add(1, f.toggle(V + 10, 160, 105, 20, "750x750", callback_set_resolution_1, true));
    p.add(2, f.toggle(V + 125, 160, 100, 20, "1000x1000", callback_set_resolution_2, false));
    p.add(3, f.toggle(V + 235, 160, 105, 20, "1250x1250", callback_set_resolution_3, false));
    p.add(4, f.toggle(V + 10, 190, 105, 20, "1500x1500", callback_set_resolution_4, false));
    p.add(5, f.toggle(V + 125, 190, 100, 20, "1750x1750", callback_set_resolution_5, false));
    p.add(6, f.toggle(V + 235, 190, 105, 20, "2000x2000", callback_set_resolution_6, false));
    p.radio({1, 2, 3, 4, 5, 6});

    p.add(7, f.label(V + 10, 250, 160, 20, "Camera position"));
    p.add(8, f.label(V + 10, 280, 25, 20, "X"));
    p.add(9, f.label(V + 120, 280, 25, 20, "Y"));
    p.add(10, f.label(V + 230, 280, 25, 20, "Z"));
    state->viewport_x_input = p.add(11, f.input(V + 35, 280, 75, 20, "0.00", callback_set_viewport_x));
    state->viewport_y_input = p.add(12, f.input(V + 145, 280, 75, 20, "0.00", callback_set_viewport_y));
    state->viewport_z_input = p.add(13, f.input(V + 255, 280, 75, 20, "-5.00", callback_set_viewport_z));
    p.add(14, f.label(V + 10, 310, 45, 20, "Pitch"));
    p.add(15, f.label(V + 120, 310, 45, 20, "Yaw"));
    p.add(16, f.label(V + 230, 310, 45, 20, "Roll"));
    state->viewport_pitch_input = p.add(17, f.input(V + 60, 310, 50, 20, "0.0", callback_set_viewport_pitch));
    state->viewport_yaw_input = p.add(18, f.input(V + 170, 310, 50, 20, "180.0", callback_set_viewport_yaw));
    state->viewport_roll_input = p.add(19, f.input(V + 280, 310, 50, 20, "0.0", callback_set_viewport_roll));
    state->pitch_lock_toggle =
        p.add(20, f.toggle(V + 10, 340, 330, 20, "Lock mouse pitch rotation?", callback_toggle_pitch_rotation, true));

    p.add(21, f.label(V + 10, 400, 330, 20, "3D projection type"));
    state->orthogonal_toggle =
        p.add(22, f.toggle(V + 10, 430, 160, 20, "Orthogonal", callback_set_3d_perspective_false, true));
    state->perspective_toggle =
        p.add(23, f.toggle(V + 180, 430, 160, 20, "Perspective", callback_set_3d_perspective_true, false));
    p.radio({22, 23});

    p.add(24, f.label(V + 10, 490, 330, 20, "Reference Object drawing"));
    state->reference_toggle = p.add(25, f.toggle(V + 10, 520, 160, 20, "Cube", callback_toggle_draw_reference, true));
    state->axis_toggle = p.add(26, f.toggle(V + 180, 520, 160, 20, "Axes", callback_toggle_draw_axis, true));
}

// =============================================================================
// [SECTION] Page b, "File / Exercise"
// =============================================================================

// The exercise toggles below the label belong to the report (see
// gui_build_exercise_list); they are not part of this page list.
void build_page_file(GuiState* state, const Factory& f, int V)
{
    PageBuilder p(state, 1);
    state->report_path_input = p.add(0, f.input(V + 10, 130, 330, 20, "path to file...", callback_load_report));
    p.add(1, f.label(V + 10, 190, 160, 20, "Exercises"));
}

// =============================================================================
// [SECTION] Page c, "View"
// =============================================================================

void build_page_view(GuiState* state, const Factory& f, int V)
{
    PageBuilder p(state, 2);
    p.add(0, f.label(V + 10, 120, 200, 20, "Default Views"));
    p.add(1, f.button(V + 235, 150, 105, 20, "Frontal", callback_set_special_view_frontal));
    p.add(2, f.button(V + 10, 150, 215, 20, "Sagittal from the left", callback_set_special_view_sagittal_l));
    p.add(3, f.button(V + 10, 180, 215, 20, "Sagittal from the right", callback_set_special_view_sagittal_r));
    p.add(4, f.button(V + 10, 240, 105, 20, "Fit view", callback_fit_display_to_verts));
    state->auto_display_fitting_toggle = p.add(
        5, f.toggle(V + 125, 240, 215, 20, "Automatically fit view?", callback_toggle_auto_display_fitting, true));
    state->spokes_toggle = p.add(6, f.toggle(V + 180, 270, 160, 20, "Show Grid?", callback_toggle_draw_spokes, false));
    state->callibration_toggle =
        p.add(7, f.toggle(V + 10, 270, 160, 20, "Show Calibration?", callback_toggle_draw_callibration, false));
    p.add(8, f.label(V + 10, 490, 160, 20, "Draw control"));
    state->l_vertex_toggle = p.add(9, f.toggle(V + 10, 520, 105, 20, "Cond. Left", callback_toggle_draw_l_vertex, true));
    state->i_vertex_toggle = p.add(10, f.toggle(V + 125, 520, 100, 20, "Incisal", callback_toggle_draw_i_vertex, true));
    state->r_vertex_toggle =
        p.add(11, f.toggle(V + 235, 520, 105, 20, "Cond. Right", callback_toggle_draw_r_vertex, true));
    state->li_edge_toggle =
        p.add(12, f.toggle(V + 10, 550, 105, 20, "Left-Incisal", callback_toggle_draw_li_edge, true));
    state->lr_edge_toggle =
        p.add(13, f.toggle(V + 125, 550, 100, 20, "Left-Right", callback_toggle_draw_lr_edge, false));
    state->ri_edge_toggle =
        p.add(14, f.toggle(V + 235, 550, 105, 20, "Right-Incisal", callback_toggle_draw_ri_edge, true));
    state->all_exercise_verts_toggle = p.add(15, f.toggle(V + 10, 610, 330, 20, "Show the whole exercise path?",
                                                          callback_toggle_draw_all_exercise_verts, false));
}

// =============================================================================
// [SECTION] Page d, "Motion"
// =============================================================================

void build_page_motion(GuiState* state, const Factory& f, int V)
{
    PageBuilder p(state, 3);
    p.add(0, f.label(V + 10, 130, 330, 20, "Motion Settings"));
    state->paused_toggle = p.add(1, f.toggle(V + 10, 160, 75, 20, "Pause?", callback_toggle_paused, false));
    state->looping_toggle = p.add(2, f.toggle(V + 95, 160, 75, 20, "Loop?", callback_toggle_looping, true));
    state->animation_slider =
        p.add(3, f.slider(V + 10, 190, 330, 40, "0/0", callback_animation_position, 0.0, 310));
    state->speed_slider = p.add(
        4, f.slider(V + 180, 140, 160, 40, "Speed", callback_set_data_speed_multiplier, GUI_SPEED_SLIDER_DEFAULT, 90));
    // The reset button shows the speed factor, in the colours of the fields
    // and without pressed colours of its own (it shows them swapped).
    state->speed_reset_button =
        p.add(5, interactable_button_create(V + 290, 160, 50, 20, &c_white, &c_black, nullptr, nullptr,
                                            callback_button_reset_animation_speed, "x1.0", f.font));
}

// =============================================================================
// [SECTION] Page e, "Grid"
// =============================================================================

void build_page_grid(GuiState* state, const Factory& f, int V)
{
    PageBuilder p(state, 4);
    state->extrapolation_l_toggle =
        p.add(0, f.toggle(V + 10, 130, 105, 20, "Cond. Left", callback_toggle_draw_extrapolation_l, false));
    state->extrapolation_i_toggle =
        p.add(1, f.toggle(V + 125, 130, 100, 20, "Incisal", callback_toggle_draw_extrapolation_i, false));
    state->extrapolation_r_toggle =
        p.add(2, f.toggle(V + 235, 130, 105, 20, "Cond. Right", callback_toggle_draw_extrapolation_r, false));
    p.add(3, f.label(V + 10, 190, 210, 20, "Spacing [mm]"));
    state->extrapolation_distance_input =
        p.add(4, f.input(V + 235, 190, 105, 20, "10.00", callback_set_extrapolation_distance));
    p.add(5, f.label(V + 10, 220, 210, 20, "Sagittal"));
    p.add(6, f.label(V + 10, 250, 210, 20, "Vertical"));
    p.add(7, f.label(V + 10, 280, 210, 20, "Horizontal"));
    state->extrapolation_x_input = p.add(8, f.input(V + 235, 220, 70, 20, "0", callback_set_extrapolation_x_amount));
    state->extrapolation_y_input = p.add(9, f.input(V + 235, 250, 70, 20, "0", callback_set_extrapolation_y_amount));
    state->extrapolation_z_input = p.add(10, f.input(V + 235, 280, 70, 20, "0", callback_set_extrapolation_z_amount));
}

// =============================================================================
// [SECTION] Page f, "Presets"
// =============================================================================

void build_page_presets(GuiState* state, const Factory& f, int V)
{
    PageBuilder p(state, 5);
    // The two headings carry the preset 0 callback like the old panel did;
    // labels never react, so no widget loads preset 0.
    p.add(0, f.label(V + 10, 130, 330, 20, "Default Presets", callback_load_preset_0));
    p.add(1, f.button(V + 10, 160, 330, 20, "Condular left from the left - dynamic", callback_load_preset_1));
    p.add(2, f.button(V + 10, 190, 330, 20, "Condular left from the left - static", callback_load_preset_2));
    p.add(3, f.button(V + 10, 220, 330, 20, "Incisal from the front - dynamic", callback_load_preset_3));
    p.add(4, f.button(V + 10, 250, 330, 20, "Incisal from the front - static", callback_load_preset_4));
    p.add(5, f.button(V + 10, 280, 330, 20, "Condular right form the right - dynamic", callback_load_preset_5));
    p.add(6, f.button(V + 10, 310, 330, 20, "Condular right form the right - static", callback_load_preset_6));
    p.add(7, f.label(V + 10, 370, 330, 20, "Custom Presets", callback_load_preset_0));
    p.add(8, f.button(V + 10, 400, 210, 20, "Custom Preset #1", callback_load_custom_preset_1));
    p.add(9, f.button(V + 230, 400, 110, 20, "Save", callback_save_custom_preset_1));
    p.add(10, f.button(V + 10, 430, 210, 20, "Custom Preset #2", callback_load_custom_preset_2));
    p.add(11, f.button(V + 230, 430, 110, 20, "Save", callback_save_custom_preset_2));
    p.add(12, f.button(V + 10, 460, 210, 20, "Custom Preset #3", callback_load_custom_preset_3));
    p.add(13, f.button(V + 230, 460, 110, 20, "Save", callback_save_custom_preset_3));
    p.add(14, f.label(V + 10, 520, 330, 20, "Save / Load custom preset from file"));
    state->preset_path_input = p.add(15, f.input(V + 10, 550, 330, 20, "path to file...", nullptr));
    p.add(16, f.button(V + 10, 580, 160, 20, "Save", callback_save_custom_preset_to_file));
    p.add(17, f.button(V + 180, 580, 160, 20, "Load", callback_load_custom_preset_from_file));
}

// =============================================================================
// [SECTION] Page g, "About"
// =============================================================================

void build_page_about(GuiState* state, const Factory& f, int V)
{
    PageBuilder p(state, 6);
    const std::string rule(50, '-');
    p.add(0, f.label(V + 10, 165, 330, 20, rule.c_str()));
    p.add(1, f.label(V + 10, 130, 330, 20, (std::string("Zelto v") + zelto_version).c_str()));
    p.add(2, f.label(V + 10, 150, 330, 20, "A viewer for jaw-motion recordings"));
    p.add(3, f.label(V + 10, 180, 330, 20, "Condyle and incisal paths in 3D."));
    p.add(4, f.label(V + 10, 220, 330, 20, "Free software under the MIT licence."));
    p.add(5, f.label(V + 10, 240, 330, 20, "Copyright the Zelto developers."));
    p.add(6, interactable_image_create(V + 10, 370, 330, 80, logo_kvr_bytes, logo_kvr_size));
    p.add(7, interactable_image_create(V + 10, 560, 330, 55, logo_mpt_bytes, logo_mpt_size));
    p.add(8, f.label(V + 10, 280, 330, 20, "Built with SDL2, SDL2_ttf and OpenGL."));
    p.add(9, f.label(V + 10, 300, 330, 20, "DejaVu Sans font:"));
    p.add(10, f.label(V + 10, 320, 330, 20, "Bitstream Vera licence,"));
    p.add(11, f.label(V + 10, 340, 330, 20, "DejaVu changes in the public domain."));
    p.add(12, f.label(V + 10, 490, 330, 20, "Drop a report here to open it."));
    p.add(13, f.label(V + 10, 510, 330, 20, "Space over the view locks the point"));
    p.add(14, f.label(V + 10, 530, 330, 20, "under the mouse."));
}

// =============================================================================
// [SECTION] Page h, "Options"
// =============================================================================

void build_page_options(GuiState* state, const Factory& f, int V)
{
    PageBuilder p(state, 7);
    p.add(0, f.label(V + 10, 130, 160, 20, "File type"));
    p.add(1, f.toggle(V + 180, 130, 48, 20, "BMP", callback_toggle_screenshot_file_using_bmp, false));
    p.add(2, f.toggle(V + 236, 130, 48, 20, "SVG", callback_toggle_screenshot_file_using_svg, true));
    p.radio({1, 2});

    p.add(3, f.label(V + 10, 190, 160, 20, "SVG background"));
    state->svg_background_black_toggle =
        p.add(4, f.toggle(V + 180, 190, 48, 20, "black", callback_toggle_screenshot_svg_background_black, false));
    state->svg_background_white_toggle =
        p.add(5, f.toggle(V + 236, 190, 48, 20, "white", callback_toggle_screenshot_svg_background_white, false));
    p.add(6, f.toggle(V + 292, 190, 48, 20, "none", callback_toggle_screenshot_svg_background_none, true));
    p.radio({4, 5, 6});

    p.add(7, f.label(V + 10, 220, 160, 20, "SVG color"));
    state->svg_color_black_toggle =
        p.add(8, f.toggle(V + 180, 220, 48, 20, "black", callback_toggle_screenshot_svg_color_override_black, true));
    state->svg_color_white_toggle =
        p.add(9, f.toggle(V + 236, 220, 48, 20, "white", callback_toggle_screenshot_svg_color_override_white, false));
    p.add(10, f.toggle(V + 292, 220, 48, 20, "color", callback_toggle_screenshot_svg_color_override_none, false));
    p.radio({8, 9, 10});

    p.add(11, f.label(V + 10, 250, 160, 20, "SVG line width"));
    p.add(12, f.input(V + 180, 250, 106, 20, "100.0", callback_set_screenshot_svg_scale));
    p.add(13, f.label(V + 292, 250, 48, 20, "%"));
}

// =============================================================================
// [SECTION] Page i, "Measures"
// =============================================================================

// The figures of the selected exercise in the small font, compact enough to
// leave the page below y 400 to the time chart. Between the CSV button and
// its notice, the chart's SVG button; the two notices share one place.
void build_page_measures(GuiState* state, const Factory& f, int V)
{
    static constexpr const char* figure_names[] = {"Samples",
                                                   "Duration",
                                                   "Max. incisal distance",
                                                   "Max. vertical opening",
                                                   "Max. protrusion",
                                                   "Max. laterotrusion right",
                                                   "Max. laterotrusion left",
                                                   "Deviation at max. opening",
                                                   "Max. deviation while opening",
                                                   "Max. opening angle",
                                                   "Opening movements"};
    static constexpr const char* condyle_rows[] = {"Max. translation", "Inclination", "Bennett angle"};
    constexpr int pitch = GUI_MEASURES_LINE_PITCH;
    const Factory small{state->small_font != nullptr ? state->small_font : state->font};

    PageBuilder p(state, 8);
    p.add(0, f.button(V + 10, 130, 105, 20, "Export CSV", callback_write_measures_csv));
    state->measures_written_text =
        p.add(1, interactable_text_timed_create(V + 235, 130, 105, 20, &c_black, &c_beige, nullptr, "CSV written!",
                                                f.font, 0, SCREENSHOT_NOTICE_MS));
    state->measures_title = p.add(2, small.label(V + 10, 160, 175, pitch, "No report loaded"));
    state->measures_title->wrap = 1;  // the whole name, on as many lines as it takes (gui_show_measures)
    int row = 3;
    int y = 160 + pitch;
    for (int k = 0; k < 11; ++k, y += pitch) {
        p.add(row++, small.label(V + 10, y, 190, pitch, figure_names[k]));
        state->measures_values[static_cast<std::size_t>(k)] = p.add(row++, small.label(V + 200, y, 140, pitch, "-"));
    }
    p.add(row++, small.label(V + 10, y, 190, pitch, "Condyles"));
    p.add(row++, small.label(V + 200, y, 70, pitch, "Left"));
    p.add(row++, small.label(V + 270, y, 70, pitch, "Right"));
    y += pitch;
    for (int k = 0; k < 3; ++k, y += pitch) {
        p.add(row++, small.label(V + 10, y, 190, pitch, condyle_rows[k]));
        state->measures_values[static_cast<std::size_t>(11 + 2 * k)] =
            p.add(row++, small.label(V + 200, y, 70, pitch, "-"));
        state->measures_values[static_cast<std::size_t>(12 + 2 * k)] =
            p.add(row++, small.label(V + 270, y, 70, pitch, "-"));
    }

    p.add(row++, f.button(V + 125, 130, 100, 20, "Chart SVG", callback_write_chart_svg));
    state->chart_written_text =
        p.add(row++, interactable_text_timed_create(V + 235, 130, 105, 20, &c_black, &c_beige, nullptr, "SVG written!",
                                                    f.font, 0, SCREENSHOT_NOTICE_MS));
    state->chart = p.add(row++, interactable_chart_create(V + 10, y, 330, 630 - y, &c_black, &c_beige,
                                                          callback_chart_seek, small.font));
    state->chart->view_callback = callback_chart_view;
    // Under the chart, the summary document for the patient's file.
    p.add(row++, small.button(V + 10, 634, 105, 20, "Summary PDF", callback_write_summary_pdf));
    state->summary_written_text =
        p.add(row++, interactable_text_timed_create(V + 235, 634, 105, 20, &c_black, &c_beige, nullptr, "PDF written!",
                                                    f.font, 0, SCREENSHOT_NOTICE_MS));

    // The tracing sheet: its switch at the end of the exercise's title line,
    // its SVG button between the summary's button and notice, whose place its
    // notice shares. The sheet covers the square view while the page and the
    // switch are on (gui_show_tracings).
    state->tracings_toggle =
        p.add(row++, small.toggle(V + 255, 160, 85, pitch, "Tracings", callback_toggle_tracings, false));
    p.add(row++, small.button(V + 125, 634, 100, 20, "Tracings SVG", callback_write_tracings_svg));
    state->tracings_written_text =
        p.add(row++, interactable_text_timed_create(V + 235, 634, 105, 20, &c_black, &c_beige, nullptr, "SVG written!",
                                                    f.font, 0, SCREENSHOT_NOTICE_MS));
    state->tracing_sheet =
        p.add_unlisted(row++, interactable_tracing_create(0, 0, V, V, callback_tracing_seek, small.font));
    interactable_deactivate(state->tracing_sheet);
}

// =============================================================================
// [SECTION] Page j, "Clinical"
// =============================================================================

// The reference plane's controls, then the exercise's type and the figures
// of that type in rows of name, value and normal range (the value is a
// button: a click goes to the sample where the figure is reached), then the
// warnings about the data. Which figures fill the rows depends on the type.
void build_page_clinical(GuiState* state, const Factory& f, int V)
{
    constexpr int pitch = 15;
    const Factory small{state->small_font != nullptr ? state->small_font : state->font};
    PageBuilder p(state, 9);
    state->reference_recording_toggle =
        p.add(0, f.toggle(V + 10, 130, 160, 20, "Recording plane", callback_set_reference_recording, true));
    state->reference_calibration_toggle =
        p.add(1, f.toggle(V + 180, 130, 160, 20, "Calibration plane", callback_set_reference_calibration, false));
    p.radio({0, 1});
    p.add(2, f.label(V + 10, 160, 160, 20, "Plane tilt (\u00b0)"));
    state->reference_tilt_input = p.add(3, f.input(V + 180, 160, 160, 20, "0.0", callback_set_reference_tilt));
    state->clinical_title = p.add(4, small.label(V + 10, 190, 330, pitch, "No report loaded"));
    p.add(5, small.label(V + 10, 190 + pitch, 120, pitch, "Type"));
    state->clinical_type = p.add(6, small.label(V + 130, 190 + pitch, 210, pitch, "-"));
    int row = 7;
    int y = 190 + 2 * pitch + 5;
    for (int k = 0; k < GUI_CLINICAL_ROWS; ++k, y += pitch + 2) {
        const auto r = static_cast<std::size_t>(k);
        state->clinical_names[r] = p.add(row++, small.label(V + 10, y, 150, pitch, ""));
        state->clinical_values[r] = p.add(row++, small.button(V + 160, y, 95, pitch, "", callback_seek_clinical_figure));
        state->clinical_norms[r] = p.add(row++, small.label(V + 260, y, 80, pitch, ""));
    }
    y += 5;
    for (int k = 0; k < GUI_CLINICAL_WARNINGS; ++k, y += pitch)
        state->clinical_warnings[static_cast<std::size_t>(k)] =
            p.add(row++, interactable_text_create(V + 10, y, 330, pitch, &c_red, &c_beige, nullptr, "",
                                                  small.font));
}

// =============================================================================
// [SECTION] Footer
// =============================================================================

void build_footer(GuiState* state, const Factory& f, int V)
{
    place(state, INDEX_LEGEND_LABEL, f.label(V + 10, 660, 105, 20, "Legend"));
    state->screenshot_taken_text =
        place(state, INDEX_SCREENSHOT_TEXT,
              interactable_text_timed_create(V + 100, 635, 200, 20, &c_black, &c_beige, nullptr, "Screenshot taken!",
                                             f.font, 0, SCREENSHOT_NOTICE_MS));
    place(state, INDEX_SCREENSHOT_BUTTON, f.button(V + 125, 660, 100, 20, "Screenshot", callback_take_screenshot));
    state->page_toggle_h =
        place(state, INDEX_TAB_H, f.toggle(V + 235, 660, 105, 20, "Options", callback_activate_page_h, false));
    // Each legend entry is drawn on the colour of the element it names.
    place(state, INDEX_LEGEND_FIRST + 0, f.legend(V + 10, 690, 105, 20, "Cond. Left", state->l_vertex_color));
    place(state, INDEX_LEGEND_FIRST + 1, f.legend(V + 125, 690, 100, 20, "Incisal", state->i_vertex_color));
    place(state, INDEX_LEGEND_FIRST + 2, f.legend(V + 235, 690, 105, 20, "Cond. Right", state->r_vertex_color));
    place(state, INDEX_LEGEND_FIRST + 3, f.legend(V + 10, 720, 105, 20, "Left-Incisal", state->li_edge_color));
    place(state, INDEX_LEGEND_FIRST + 4, f.legend(V + 125, 720, 100, 20, "Left-Right", state->lr_edge_color));
    place(state, INDEX_LEGEND_FIRST + 5, f.legend(V + 235, 720, 105, 20, "Right-Incisal", state->ri_edge_color));
}

void form_tab_radio_group(GuiState* state)
{
    std::vector<Interactable*> list;
    list.reserve(state->interactables.size());
    for (const auto& widget : state->interactables)
        list.push_back(widget.get());
    const std::uint32_t tabs[] = {2, 3, 4, 5, 6, 7, 8, INDEX_TAB_H, INDEX_TAB_I, INDEX_TAB_J};
    interactable_toggle_associate_radio_buttons(list.data(), tabs, GUI_PAGE_COUNT);
}

void page_tabs(const GuiState* state, InteractableToggle* out[GUI_PAGE_COUNT])
{
    out[0] = state->page_toggle_a;
    out[1] = state->page_toggle_b;
    out[2] = state->page_toggle_c;
    out[3] = state->page_toggle_d;
    out[4] = state->page_toggle_e;
    out[5] = state->page_toggle_f;
    out[6] = state->page_toggle_g;
    out[7] = state->page_toggle_h;
    out[8] = state->page_toggle_i;
    out[9] = state->page_toggle_j;
}

void set_page_active(const std::vector<Interactable*>& page, bool active)
{
    for (Interactable* widget : page) {
        if (widget == nullptr)
            continue;
        if (active)
            interactable_activate(widget);
        else
            interactable_deactivate(widget);
    }
}

void set_exercise_toggles_active(GuiState* state, bool active)
{
    for (const auto& toggle : state->exercise_toggles) {
        if (active)
            interactable_activate(toggle.get());
        else
            interactable_deactivate(toggle.get());
    }
}

}  // namespace

// =============================================================================
// [SECTION] gui_build
// =============================================================================

void gui_build(GuiState* state, int viewport_side)
{
    const int V = viewport_side;
    const Factory f{state->font};

    for (int page = 0; page < GUI_PAGE_COUNT; ++page) {
        state->page_sizes[page] = page_sizes_table[page];
        state->pages[static_cast<std::size_t>(page)].assign(static_cast<std::size_t>(page_sizes_table[page]), nullptr);
    }
    state->interactables_number = GUI_INTERACTABLES_NUMBER;
    state->interactables.clear();
    state->interactables.resize(GUI_INTERACTABLES_NUMBER);

    build_fixed_widgets(state, f, V);
    build_page_tabs(state, f, V);
    build_page_screen(state, f, V);
    build_page_file(state, f, V);
    build_page_view(state, f, V);
    build_page_motion(state, f, V);
    build_page_grid(state, f, V);
    build_page_presets(state, f, V);
    build_page_about(state, f, V);
    build_page_options(state, f, V);
    build_page_measures(state, f, V);
    build_page_clinical(state, f, V);
    build_footer(state, f, V);
    // The tab group needs every tab, and tab h is only made with the footer.
    form_tab_radio_group(state);

    // The page switching and the fit work on the program's one record, which
    // the main loop has already made this one; a caller that has not is
    // given it here.
    gui_state = state;
    gui_activate_specific_page('b');
    // Without a report this frames the reference cube and axes, and writes
    // the fitted camera into the camera fields.
    gui_fit_display_to_verts();
}

// =============================================================================
// [SECTION] Pages, camera fields, lock indicator, window and screenshot requests
// =============================================================================

void gui_activate_specific_page(int letter)
{
    GuiState* state = gui_state;
    // Hide everything first (the exercise toggles belong with page b), so the
    // chosen page is the only one left showing.
    set_page_active(state->pages[0], false);
    set_page_active(state->pages[1], false);
    set_exercise_toggles_active(state, false);
    for (int page = 2; page < GUI_PAGE_COUNT; ++page)
        set_page_active(state->pages[static_cast<std::size_t>(page)], false);

    InteractableToggle* tabs[GUI_PAGE_COUNT];
    page_tabs(state, tabs);
    for (InteractableToggle* tab : tabs)
        if (tab != nullptr)
            interactable_toggle_set_state(tab, 0, 0);

    const int page = letter - 'a';
    if (page < 0 || page >= GUI_PAGE_COUNT) {
        gui_show_tracings();
        return;
    }
    set_page_active(state->pages[static_cast<std::size_t>(page)], true);
    if (page == 1)
        set_exercise_toggles_active(state, true);
    if (tabs[page] != nullptr)
        interactable_toggle_set_state(tabs[page], 1, 0);
    // The figures are only kept up to date while their page shows.
    if (letter == 'i') {
        gui_show_measures();
        gui_show_chart();
    }
    // The tracing sheet or the 3D view in the square, whichever page shows.
    gui_show_tracings();
    if (letter == 'j')
        gui_show_clinical();
}

void gui_update_3d_variables_display()
{
    gui_show_camera(gui_state->viewport);
}

void gui_show_camera(const InteractableViewport3d* v)
{
    GuiState* state = gui_state;
    if (v == nullptr || state->viewport_x_input == nullptr)
        return;
    interactable_text_input_set_text_formatted_and_deactivate(state->viewport_x_input, "%.2lf", v->camera_x);
    interactable_text_input_set_text_formatted_and_deactivate(state->viewport_y_input, "%.2lf", v->camera_y);
    interactable_text_input_set_text_formatted_and_deactivate(state->viewport_z_input, "%.2lf", v->camera_z);
    interactable_text_input_set_text_formatted_and_deactivate(state->viewport_pitch_input, "%.1lf", v->pitch);
    interactable_text_input_set_text_formatted_and_deactivate(state->viewport_yaw_input, "%.1lf", v->yaw);
    interactable_text_input_set_text_formatted_and_deactivate(state->viewport_roll_input, "%.1lf", v->roll);
}

void gui_point_lock_lock(int point)
{
    GuiState* state = gui_state;
    state->locked_point = point;
    if (state->lock_image != nullptr)
        interactable_activate(state->lock_image);
    if (state->unlock_image != nullptr)
        interactable_deactivate(state->unlock_image);
}

void gui_point_lock_unlock()
{
    GuiState* state = gui_state;
    state->locked_point = -1;
    if (state->unlock_image != nullptr)
        interactable_activate(state->unlock_image);
    if (state->lock_image != nullptr)
        interactable_deactivate(state->lock_image);
}

void gui_follow_window_height(GuiState* state, int dy)
{
    if (dy == 0)
        return;
    // The footer keeps its distance from the bottom edge...
    for (int i = INDEX_LEGEND_LABEL; i <= INDEX_LEGEND_FIRST + 5; ++i)
        if (static_cast<std::size_t>(i) < state->interactables.size())
            interactable_move(state->interactables[static_cast<std::size_t>(i)].get(), 0, dy);
    // ...and the time chart above it takes the height in between: built
    // again for its new size when it is next shown; what lies under the
    // chart on its page moves with the footer.
    if (state->chart != nullptr) {
        const int under = state->chart->y + state->chart->h;
        for (Interactable* widget : state->pages[static_cast<std::size_t>('i' - 'a')])
            if (widget != nullptr && widget->y >= under)
                interactable_move(widget, 0, dy);
        state->chart->h = std::max(state->chart->h + dy, 1);
        state->chart_built_range = {-1, -1};
        gui_show_chart();
    }
}

void gui_set_window_size(int width, int height)
{
    // Resizing moves every widget, which must not happen while the widget
    // lists are being walked: the main loop does it after the dispatch and
    // frees the two ints.
    push_SDL_user_event(USER_EVENT_RESIZE_WINDOW, sdl_help_heap_int(width), sdl_help_heap_int(height));
}

void gui_take_screenshot()
{
    // The notice says how the writing went, once it is over. The picture is taken by the main loop once the dispatch is over.
    push_SDL_user_event(USER_EVENT_SCREENSHOT, nullptr, nullptr);
}
