// The application GUI: the one state record, the construction of the panel,
// the jaw vertex pipeline, report loading with the exercise list and
// playback. Callbacks live in gui_callbacks, presets in gui_serialization.
//
// All application state that is not the main loop's own lives in one
// GuiState, reached through the global `gui_state`. Callbacks, the scene
// drawing, the point inspection, the SVG export and the presets read and
// write its fields directly. The camera itself lives in the 3D viewport
// widget that `viewport` points to.
#pragma once

#include <SDL.h>
#include <SDL_ttf.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/sdl_help.hpp"
#include "geometry/camera.hpp"
#include "geometry/vector_algebra.hpp"
#include "gui/gui_loading.hpp"
#include "gui/gui_serialization.hpp"
#include "picture/summary_document.hpp"
#include "report/emg_processing.hpp"
#include "widgets/interactable.hpp"
#include "widgets/interactable_button.hpp"
#include "widgets/interactable_chart.hpp"
#include "widgets/interactable_image.hpp"
#include "widgets/interactable_slider.hpp"
#include "widgets/interactable_text.hpp"
#include "widgets/interactable_text_input.hpp"
#include "widgets/interactable_text_timed.hpp"
#include "widgets/interactable_toggle.hpp"
#include "widgets/interactable_tracing.hpp"
#include "widgets/interactable_viewport3d.hpp"
#include "report/emg_kinematics.hpp"

inline constexpr int GUI_PAGE_COUNT = 10;  // 'a' to 'h', 'i' "Measures" and 'j' "Clinical"
inline constexpr int GUI_BUILTIN_PRESET_COUNT = 7;
inline constexpr int GUI_PANEL_WIDTH = 350;
// The figures of the "Measures" page: eleven of the exercise, then the
// condyle table's three rows of left and right.
inline constexpr int GUI_MEASURES_FIGURE_COUNT = 17;
// Point size of `small_font`: its lines are 14 pixels high, the page's
// figures 15 apart.
inline constexpr int GUI_SMALL_FONT_POINT_SIZE = 12;
inline constexpr int GUI_MEASURES_LINE_PITCH = 15;
// The "Measures" page: the CSV button, its notice, the exercise's name,
// eleven lines of name and value, the condyle table's heading and its three
// rows of name, left and right; then the chart's SVG button, its notice and
// the time chart; under the chart the summary's PDF button and its notice;
// then the tracing sheet's switch, SVG button, notice and the sheet itself.
inline constexpr int GUI_MEASURES_PAGE_SIZE = 37 + 3 + 2 + 4;
// The tracing sheet's SVG file, in units (pixels at 100 %).
inline constexpr int GUI_TRACINGS_SVG_SIDE = 1000;
// The time chart's SVG file, in pixels: with the EMG channels, and without.
inline constexpr int GUI_CHART_SVG_WIDTH = 900;
inline constexpr int GUI_CHART_SVG_HEIGHT_EMG = 600;
inline constexpr int GUI_CHART_SVG_HEIGHT = 400;
// The "Clinical" page: the two reference plane toggles, the tilt's label and
// field, the exercise's title, its type's name and value, the figure rows
// (name, value, normal range each) and the warning lines.
inline constexpr int GUI_CLINICAL_ROWS = 12;
inline constexpr int GUI_CLINICAL_WARNINGS = 3;
inline constexpr int GUI_CLINICAL_PAGE_SIZE = 7 + 3 * GUI_CLINICAL_ROWS + GUI_CLINICAL_WARNINGS;
// The widgets of the first eight pages and the footer, then the "Measures" tab
// and page, then the "Clinical" tab and page.
inline constexpr int GUI_INTERACTABLES_NUMBER = 130 + 1 + GUI_MEASURES_PAGE_SIZE + 1 + GUI_CLINICAL_PAGE_SIZE;

// Several settings are single-precision values widened to double.
inline constexpr double GUI_SPEED_SLIDER_DEFAULT = static_cast<double>(0.1f);  // 0.10000000149011612
inline constexpr double GUI_DATA_SPEED_FACTOR = static_cast<double>(0.01f);    // 0.009999999776482582
inline constexpr double GUI_NEAR_PLANE = static_cast<double>(0.1f);
inline constexpr double GUI_FIT_MARGIN = static_cast<double>(0.8f);            // 0.800000011920929

struct GuiBaselineWork;

struct GuiState {
    // -- Handles and presets (window and font are owned by the main loop) --
    SDL_Window* window = nullptr;
    TTF_Font* font = nullptr;
    TTF_Font* small_font = nullptr;  // the same face, smaller: the figures of the "Measures" page
    GuiPreset presets[GUI_BUILTIN_PRESET_COUNT]{};

    // -- Window and screenshot settings --
    std::int32_t window_width = -1;
    std::int32_t window_height = -1;  // also the side of the square 3D view
    std::int32_t screenshot_file_type = 1;           // 0 BMP, 1 SVG
    double screenshot_svg_scale = 100.0;             // SVG line width in percent, >= 1
    std::int32_t screenshot_svg_background = 0;      // 0 none, 1 black, 2 white
    std::int32_t screenshot_svg_color_override = 1;  // 0 own colours, 1 black, 2 white

    // -- Report and playback --
    std::unique_ptr<EmgReport> report;
    std::unique_ptr<GuiLoad> load;  // the report being read in the background, if any (gui_loading)
    // What the load's worker worked out for the first frame, while it is
    // being put in place (gui_load_preparation); the levels of detail of the
    // whole paths until the scene takes them.
    std::unique_ptr<GuiLoadPreparation> prepared;
    std::unique_ptr<GuiPreparedFrame> prepared_frame;
    GuiLoadExtraWork load_extra_work;  // the application's part of the preparation
    bool fits_replaced = false;  // a load's fits before its preset are skipped
    std::uint32_t load_wait_ms = GUI_LOAD_WAIT_MS;  // how long a load keeps its pass waiting
    std::string report_file_name;  // of the loaded report, without its directories (the measures' CSV)
    std::string report_path;       // of the loaded report, as it was opened
    std::uint64_t report_loads = 0;  // counts the loads, failed ones too: tells one report from the next
    std::int32_t selected_exercise = 0;
    double animation_position = 0.0;  // current sample, fractional
    double data_speed = 1.0;          // samples per 10 ms at speed 1
    double speed_multiplier = 1.0;    // 10 x speed_slider_position

    // -- Drawing switches, each followed by the colour it draws in --
    bool draw_l_vertex = true;
    const Color* l_vertex_color = &c_red;
    bool draw_i_vertex = true;
    const Color* i_vertex_color = &c_blue;
    bool draw_r_vertex = true;
    const Color* r_vertex_color = &c_green;
    bool draw_li_edge = true;
    const Color* li_edge_color = &c_magenta;
    bool draw_lr_edge = false;
    const Color* lr_edge_color = &c_yellow;
    bool draw_ri_edge = true;
    const Color* ri_edge_color = &c_cyan;
    bool draw_reference = true;
    bool draw_axis = true;
    bool paused = false;
    bool looping = true;
    double speed_slider_position = GUI_SPEED_SLIDER_DEFAULT;
    bool draw_all_exercise_verts = false;
    bool auto_display_fitting = true;
    bool draw_callibration = false;
    bool draw_spokes = false;

    // -- Extrapolation grid --
    double extrapolation_distance = 10.0;  // mm between neighbouring copies, >= 0
    bool draw_extrapolation_r = false;
    bool draw_extrapolation_l = false;
    bool draw_extrapolation_i = false;
    std::int32_t extrapolation_x_amount = 0;  // "Sagittal" steps to each side, >= 0
    std::int32_t extrapolation_y_amount = 0;  // "Vertical"
    std::int32_t extrapolation_z_amount = 0;  // "Horizontal"
    // Larger grids are refused; set from the machine by the defaults.
    std::int64_t extrapolation_memory_limit = std::int64_t{1} << 30;

    // -- Derived vertex arrays (built by the jaw vertex pipeline) --
    // The grid copies are not stored: copy k of a path at sample t is the
    // path's point moved along the lattice directions of sample t by copy
    // k's offsets (gui_extrapolated_vertex), computed when asked for.
    std::vector<std::array<Vector3, 3>> lattice_directions;  // per sample, of the last rebuild
    std::int32_t extrapolated_amounts[3] = {0, 0, 0};        // the amounts of the last rebuild
    double extrapolated_distance = 0.0;                      // and its spacing
    std::int32_t extrapolations_number = 0;      // copies per path
    std::int32_t extrapolated_verts_number = 0;  // points per copy
    // The three paths of the selected exercise, mm.
    std::vector<Vector3> l_verts;
    std::vector<Vector3> i_verts;
    std::vector<Vector3> r_verts;
    std::int32_t verts_number = 0;
    // Samples where the jaw turns between opening and closing.
    std::vector<std::int32_t> open_close_movements;
    std::int32_t open_close_movements_number = 0;
    // Projections: the camera of the last projection; the position of a
    // point in the view (x, y as fractions, z the window depth) is computed
    // from it when asked for (gui_projected_vertex).
    Matrix4 projection_camera{};
    std::int32_t locked_point = -1;  // sample locked for inspection, -1 when none
    // Counts the projections made.
    std::uint64_t projection_generation = 0;
    // Counts the rebuilds of the paths and their grid copies; whoever keeps
    // something derived from them (the scene's levels of detail, the
    // inspection's search index) knows when it is stale.
    std::uint64_t paths_generation = 0;

    // -- Widgets (owned through the two lists; the fields below refer into them) --
    std::vector<std::unique_ptr<Interactable>> interactables;  // dispatch and drawing order
    std::int32_t interactables_number = 0;
    std::vector<std::unique_ptr<InteractableToggle>> exercise_toggles;
    std::int32_t exercise_toggles_number = 0;
    std::array<std::vector<Interactable*>, GUI_PAGE_COUNT> pages;  // pages 'a' to 'i', not owning
    std::int32_t page_sizes[GUI_PAGE_COUNT]{};

    InteractableViewport3d* viewport = nullptr;
    InteractableText* point_info_text = nullptr;
    Interactable* lock_image = nullptr;
    Interactable* unlock_image = nullptr;
    InteractableToggle* page_toggle_a = nullptr;
    InteractableToggle* page_toggle_b = nullptr;
    InteractableToggle* page_toggle_c = nullptr;
    InteractableToggle* page_toggle_d = nullptr;
    InteractableToggle* page_toggle_e = nullptr;
    InteractableToggle* page_toggle_f = nullptr;
    InteractableToggle* page_toggle_g = nullptr;
    InteractableToggle* page_toggle_h = nullptr;
    InteractableToggle* page_toggle_i = nullptr;
    InteractableToggle* page_toggle_j = nullptr;
    InteractableTextInput* report_path_input = nullptr;
    InteractableTextInput* viewport_x_input = nullptr;
    InteractableTextInput* viewport_y_input = nullptr;
    InteractableTextInput* viewport_z_input = nullptr;
    InteractableTextInput* viewport_pitch_input = nullptr;
    InteractableTextInput* viewport_yaw_input = nullptr;
    InteractableTextInput* viewport_roll_input = nullptr;
    InteractableToggle* pitch_lock_toggle = nullptr;
    InteractableToggle* perspective_toggle = nullptr;
    InteractableToggle* orthogonal_toggle = nullptr;
    InteractableToggle* l_vertex_toggle = nullptr;
    InteractableToggle* i_vertex_toggle = nullptr;
    InteractableToggle* r_vertex_toggle = nullptr;
    InteractableToggle* li_edge_toggle = nullptr;
    InteractableToggle* lr_edge_toggle = nullptr;
    InteractableToggle* ri_edge_toggle = nullptr;
    InteractableToggle* reference_toggle = nullptr;
    InteractableToggle* axis_toggle = nullptr;
    InteractableSlider* animation_slider = nullptr;
    InteractableToggle* paused_toggle = nullptr;
    InteractableToggle* looping_toggle = nullptr;
    InteractableSlider* speed_slider = nullptr;
    InteractableButton* speed_reset_button = nullptr;
    InteractableToggle* all_exercise_verts_toggle = nullptr;
    InteractableToggle* auto_display_fitting_toggle = nullptr;
    InteractableToggle* callibration_toggle = nullptr;
    InteractableToggle* spokes_toggle = nullptr;
    InteractableToggle* extrapolation_l_toggle = nullptr;
    InteractableToggle* extrapolation_i_toggle = nullptr;
    InteractableToggle* extrapolation_r_toggle = nullptr;
    InteractableTextInput* extrapolation_distance_input = nullptr;
    InteractableTextInput* extrapolation_x_input = nullptr;
    InteractableTextInput* extrapolation_y_input = nullptr;
    InteractableTextInput* extrapolation_z_input = nullptr;
    InteractableTextInput* preset_path_input = nullptr;
    InteractableTextTimed* screenshot_taken_text = nullptr;
    InteractableToggle* svg_background_black_toggle = nullptr;
    InteractableToggle* svg_background_white_toggle = nullptr;
    InteractableToggle* svg_color_black_toggle = nullptr;
    InteractableToggle* svg_color_white_toggle = nullptr;
    // The "Measures" page: the exercise's name and its figures in the order
    // of GUI_MEASURES_FIGURE_COUNT; the notice of the CSV button.
    InteractableText* measures_title = nullptr;
    std::array<InteractableText*, GUI_MEASURES_FIGURE_COUNT> measures_values{};
    InteractableTextTimed* measures_written_text = nullptr;
    // The time chart on the "Measures" page, the notice of its SVG button,
    // and the load and exercise its chart was built for.
    InteractableChart* chart = nullptr;
    InteractableTextTimed* chart_written_text = nullptr;
    std::uint64_t chart_report_loads = ~std::uint64_t{0};
    // The notice of the summary's PDF button.
    InteractableTextTimed* summary_written_text = nullptr;
    std::int32_t chart_exercise = -1;
    // The samples the chart shows (count 0: the whole exercise), as the
    // wheel, the right button's drag and a double click on it set them; back
    // to the whole exercise with another report or exercise. What the chart
    // was last built for.
    EmgChartRange chart_range;
    EmgChartRange chart_built_range;
    // The tracing sheet: its switch and SVG button on the "Measures" page,
    // the button's notice, the widget that shows it in place of the 3D view,
    // and what its sheet was built for.
    InteractableToggle* tracings_toggle = nullptr;
    InteractableTextTimed* tracings_written_text = nullptr;
    InteractableTracing* tracing_sheet = nullptr;
    std::uint64_t tracing_report_loads = ~std::uint64_t{0};
    std::int32_t tracing_exercise = -1;
    std::int32_t tracing_side = -1;
    EmgReferencePlane tracing_plane;
    std::int32_t tracing_marked_sample = -2;
    EmgChartRange tracing_range;  // the chart's range the sheet was built for
    // The "Clinical" page: the reference plane of the condylar angles (also
    // that of the measures' CSV), its controls, and per figure row its name,
    // value (a button: the sample where the figure is reached, or -1) and
    // normal range.
    EmgReferencePlane reference_plane;
    InteractableToggle* reference_recording_toggle = nullptr;
    InteractableToggle* reference_calibration_toggle = nullptr;
    InteractableTextInput* reference_tilt_input = nullptr;
    InteractableText* clinical_title = nullptr;
    InteractableText* clinical_type = nullptr;
    std::array<InteractableText*, GUI_CLINICAL_ROWS> clinical_names{};
    std::array<InteractableButton*, GUI_CLINICAL_ROWS> clinical_values{};
    std::array<InteractableText*, GUI_CLINICAL_ROWS> clinical_norms{};
    std::array<std::int32_t, GUI_CLINICAL_ROWS> clinical_samples{};
    std::array<InteractableText*, GUI_CLINICAL_WARNINGS> clinical_warnings{};

    // -- The message line over the 3D view (gui_messages) --
    std::string message_text;
    bool message_error = false;
    std::uint32_t message_time = 0;  // SDL_GetTicks() when shown
    std::unique_ptr<InteractableText> message_line;  // made when first drawn

    // -- The reports opened last, offered while none is loaded (gui_recent) --
    std::vector<std::string> recent_paths;
    std::vector<std::unique_ptr<InteractableButton>> recent_buttons;
    std::unique_ptr<InteractableButton> open_button;  // "Open..." on the "File / Exercise" page

    // -- The tooltip of the exercise names (gui_tooltip) --
    const InteractableText* tooltip_target = nullptr;  // only compared: where the pointer rests
    int tooltip_x = -1;
    int tooltip_y = -1;
    std::uint32_t tooltip_since = 0;
    std::unique_ptr<InteractableText> tooltip;
    std::uint64_t recent_read_loads = ~std::uint64_t{0};  // report_loads when the list was read

    // The baseline recording the report is compared with (gui_baseline).
    std::shared_ptr<const EmgReport> baseline_read;  // as read; shared with the worker that aligns it
    std::unique_ptr<EmgReport> baseline;       // moved into the report's space; null when none or not alignable
    std::uint64_t baseline_generation = 0;     // counts the replacements of `baseline`
    std::string baseline_file_name;
    std::uint64_t baseline_aligned_loads = ~std::uint64_t{0};  // report_loads `baseline` was moved for
    std::int32_t baseline_exercise = -1;        // shown with the selected exercise; -1 none
    std::int32_t baseline_paired_exercise = -1;  // the selected exercise the pairing was made for
    bool baseline_picked = false;                // the user chose the baseline's exercise
    std::vector<std::int32_t> baseline_switches;  // the open/close turns of the baseline's exercise
    std::vector<std::int32_t> baseline_pairs;     // per exercise of the report, its baseline exercise or -1
    std::unique_ptr<InteractableButton> baseline_button;  // "As baseline" on the "File / Exercise" page
    std::unique_ptr<InteractableButton> baseline_choice;  // the baseline's exercise; a click takes the next
    std::unique_ptr<InteractableToggle> compare_toggle;   // "Compare" on the "Measures" page
    std::unique_ptr<InteractableText> baseline_legend;    // over the 3D view: which recording is muted
    std::uint64_t compare_shown_key = 0;                  // what the comparison sheet was built for
    std::string baseline_typed_path;  // the path field's text while being edited when the mouse went down
    std::uint64_t tracing_baseline_key = 0;  // the baseline the tracing sheet was built with
    std::shared_ptr<GuiBaselineWork> baseline_work;  // reading or aligning the baseline in the background
    std::vector<std::shared_ptr<GuiBaselineWork>> baseline_retired;  // superseded, kept until they end
};

// The one GUI state of the program; null until the main loop creates it.
extern GuiState* gui_state;

// ---------------------------------------------------------------------------
// The state record
// ---------------------------------------------------------------------------

// A new record (allocation failure: message and exit status 1).
std::unique_ptr<GuiState> gui_state_create();
// Clears window and font, fills the built-in presets, stores every default.
void gui_state_set_to_default_settings(GuiState* state);
// Releases everything the record owns, in a fixed order, then the record.
void gui_state_free(std::unique_ptr<GuiState> state);

// ---------------------------------------------------------------------------
// Construction and pages
// ---------------------------------------------------------------------------

// Creates every widget of the window once, for a 3D view of side
// `viewport_side`, shows page 'b' and fits the view.
void gui_build(GuiState* state, int viewport_side);
// Shows page 'a' to 'i' (a character code) and hides the others; any other
// value hides every page.
void gui_activate_specific_page(int letter);
// Writes the viewport's camera into the six camera fields.
void gui_update_3d_variables_display();
// The same for a given viewport.
void gui_show_camera(const InteractableViewport3d* viewport);
// Lock indicator of the point inspection.
void gui_point_lock_lock(int point);
void gui_point_lock_unlock();
// The panel's part of a window `dy` pixels taller than before (shorter
// for a negative dy): the footer follows the bottom edge and the time chart
// of the "Measures" page grows into the height between.
void gui_follow_window_height(GuiState* state, int dy);
// Asks the main loop for a new window size (user event, handled after the
// widget dispatch).
void gui_set_window_size(int width, int height);
// Asks the main loop for a screenshot; its writer shows the "Screenshot
// taken!" notice once the file is complete ("Screenshot failed!" if not).
void gui_take_screenshot();

// ---------------------------------------------------------------------------
// Jaw vertex pipeline
// ---------------------------------------------------------------------------

// The selected exercise of the loaded report, or null when there is no
// report, it has no exercises or the index is out of range.
const EmgExercise* gui_selected_exercise(const GuiState* state);
// Copies the three tracked points of every sample of the selected exercise
// into l_verts, i_verts and r_verts.
void gui_build_seperate_jaw_vertices();
// The same for any state record (the loading worker's own one too).
void gui_separate_paths(GuiState* state);
// Rebuilds the lattice directions of the paths for the state's grid amounts
// and spacing, without projecting.
void gui_extrapolate_paths(GuiState* state);
// project_only 0: rebuild the lattice copies of the paths, then project;
// 1: project only (after a camera change).
void gui_build_extrapolated_and_projected_jaw_vertices_select(std::uint8_t project_only);
void gui_build_extrapolated_and_projected_jaw_vertices();
void gui_build_projected_jaw_vertices();
// The tracked points in their fixed order, as the arrays below index them.
inline constexpr int GUI_KIND_LEFT = 0, GUI_KIND_INCISAL = 1, GUI_KIND_RIGHT = 2;
// l_verts, i_verts or r_verts.
const std::vector<Vector3>& gui_path(const GuiState* state, int kind);
// The number of grid copies of each path that the last rebuild made (no
// more than extrapolations_number says).
std::int32_t gui_extrapolated_copy_count(const GuiState* state);
// Point `sample` of grid copy `copy` of a path, exactly as the rebuild
// computed it: the path's point plus, for each lattice direction in turn, the
// direction scaled by the copy's offset times the spacing. NaN coordinates
// for a copy or sample that the last rebuild did not make.
Vector3 gui_extrapolated_vertex(const GuiState* state, int kind, std::int32_t copy, std::int32_t sample);
// The whole copy (extrapolated_verts_number points) into `out`.
void gui_extrapolated_path(const GuiState* state, int kind, std::int32_t copy, std::vector<Vector3>* out);
// The projection of a point of a copy with the camera of the last
// projection; copy -1 stands for the path itself, which is projected as its
// central copy. NaN coordinates when the point cannot be projected.
Vector3 gui_projected_vertex(const GuiState* state, int kind, std::int32_t copy, std::int32_t sample);
// The same for `count` consecutive samples from `first`.
void gui_projected_vertices(const GuiState* state, int kind, std::int32_t copy, std::int32_t first,
                            std::int32_t count, Vector3* out);
// The camera transform in OpenGL form: model-view matrix (the whole camera),
// projection matrix (identity) and viewport (0, 0, w, h).
void gui_get_model_poject_viewport_data(double model_view[16], double projection[16], int viewport_rect[4],
                                        const InteractableViewport3d* viewport);
// Widens the bounds by the projections of the points.
void gui_get_projected_min_max(double* min_x, double* min_y, double* max_x, double* max_y, const Vector3* points,
                               int count, const InteractableViewport3d* viewport);
// The most memory the grid copies of the paths (and their projections) may
// take on this machine: half of its physical memory, never more than a
// quarter of the address space; 1 GiB when the memory cannot be told.
std::int64_t gui_machine_grid_memory_limit();
// Whether a grid of these amounts fits for the state's selected exercise:
// its node count fits 32 bits and the copies of the three paths with their
// projections stay within the state's extrapolation_memory_limit (without a
// state, the machine's). When not, prints a warning naming the amounts and
// returns false.
bool gui_extrapolation_amounts_fit(std::int64_t x, std::int64_t y, std::int64_t z, const GuiState* state = gui_state);
// Takes the amounts into the state when they fit. Otherwise, after the
// warning, the amounts in force stay and a line says so; returns false.
// Every road that sets the amounts (typed fields, preset files, built-in
// presets) goes through here.
bool gui_set_extrapolation_amounts(GuiState* state, std::int64_t x, std::int64_t y, std::int64_t z);
// The same check without the warning.
bool gui_extrapolation_amounts_within_limit(std::int64_t x, std::int64_t y, std::int64_t z, const GuiState* state);
// Moves and zooms the orthographic camera so that everything switched on
// fills 80 % of the view, refreshes the camera fields and re-projects.
void gui_fit_display_to_verts();
// What that fit makes of an orthographic camera `view` for what the state
// shows (GuiFitOutcome, gui_load_preparation.hpp).
GuiFitOutcome gui_fit_view(const GuiState* state, const CameraView& view);
void gui_automatic_fit_display_to_verts();

// ---------------------------------------------------------------------------
// Report loading, exercise list and playback
// ---------------------------------------------------------------------------

// Reads the report at `path` (a load already running is cancelled first).
// A short load is in place when this returns; a longer one goes on in the
// background and gui_load_update puts it in place once it is read. A
// report that fails to load leaves the open one as it was and the message
// line says why.
void gui_load_report(const char* path);
// Once a pass: puts a finished background load in place, or shows its
// progress on the message line.
void gui_load_update(GuiState* state);
// Escape while a load runs: stops it; the open report stays. False when
// no load was running.
bool gui_load_cancel(GuiState* state);
// Waits for a load running in the background and puts it in place.
void gui_load_finish(GuiState* state);
// Puts a path into the report path field and loads it, as the command line,
// a drop and the recent reports do.
void gui_open_report(const char* path);
void gui_build_exercise_list();
// Any index: wrapped into the exercises of the report.
void gui_set_selected_exercise_number(std::int32_t index);
void gui_update_playback_slider();
// Writes the state into every settings widget (after a preset or a load).
void gui_update_serializable_interactalbes();

// ---------------------------------------------------------------------------
// Measures page
// ---------------------------------------------------------------------------

// Shows the figures of the selected exercise on the "Measures" page, or
// clears them when there is none; does nothing while the page is hidden
// (showing the page calls it).
void gui_show_measures();
// Writes the figures of every exercise of the loaded report to
// measures_YYYY_MM_DD_HH_MM_SS.csv in the working directory, prints where and
// restarts the page's notice; without a report writes nothing and says so.
void gui_write_measures_csv();

// ---------------------------------------------------------------------------
// Clinical page
// ---------------------------------------------------------------------------

// Shows the type, the clinical figures with their normal ranges and the
// warnings of the selected exercise on the "Clinical" page; does nothing
// while the page is hidden (showing the page calls it).
void gui_show_clinical();
// Sets the reference plane (kind and tilt) and shows the figures again.
void gui_set_reference_plane(const EmgReferencePlane& plane);

// ---------------------------------------------------------------------------
// Time chart
// ---------------------------------------------------------------------------

// Builds the chart of the selected exercise when the report or the exercise
// changed since the last build; does nothing while the page is hidden
// (showing the page calls it).
void gui_show_chart();
// Shows the samples `range` of the selected exercise in the chart (the
// wheel, the right button's drag and a double click ask for them).
void gui_set_chart_range(GuiState* state, EmgChartRange range);
// Puts the chart's cursor on the current sample (every pass, with the
// playback slider); none without one.
void gui_update_chart_cursor();
// Writes the chart of the selected exercise to chart_YYYY_MM_DD_HH_MM_SS.svg
// in the working directory, prints where and restarts the page's notice;
// without a report or an exercise writes nothing and says so.
void gui_write_chart_svg();

// ---------------------------------------------------------------------------
// Tracing sheet
// ---------------------------------------------------------------------------

// Shows the tracing sheet in place of the 3D view while the "Measures" page
// shows and its switch is on, and the 3D view, as it was, otherwise; builds
// the sheet again when the report, the exercise, the reference plane or the
// view's side changed since the last build.
void gui_show_tracings();
// Puts the sheet's marks on the current sample (every pass, with the
// playback slider); nothing while the sheet is hidden.
void gui_update_tracing_marks();
// Writes the sheet of the selected exercise to
// tracings_YYYY_MM_DD_HH_MM_SS.svg in the working directory, prints where
// and restarts the page's notice; without a report or an exercise writes
// nothing and says so.
void gui_write_tracings_svg();
// Asks the main loop for the summary document of the loaded report: it
// draws the jaw views (the scene's drawing lies above the GUI) and hands
// them to gui_write_summary_pdf_with.
void gui_write_summary_pdf();
// Writes the summary as summary_YYYY_MM_DD_HH_MM_SS.pdf in the working
// folder (pdf/summary_pdf), with the reference plane of the "Clinical" page
// and the jaw views given; says where, or why not.
void gui_write_summary_pdf_with(std::vector<SummaryJawViews> views, std::vector<SummaryLegendEntry> legend);
