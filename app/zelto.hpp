// Zelto's start-up, main loop and shutdown.
//
// Start-up opens SDL, SDL_ttf, the window with its OpenGL context, the font
// and the icon, creates the GUI state with its widgets and loads the report
// named on the command line. Each pass of the loop takes every pending
// event, draws one frame (the 3D area, the scene of the current sample, the
// point inspection, the widgets), advances the animation clock, swaps
// buffers, reports OpenGL errors and waits out the rest of 10 ms. Shutdown
// prints the timing summary and releases everything in order.
//
// `main` only wires argv to zelto_run; tests drive real passes through
// zelto_start, zelto_pass and zelto_shutdown.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "app/inspection.hpp"
#include "app/scene.hpp"
#include "app/scene_target.hpp"
#include "platform/sdl_help.hpp"
#include "gui/gui.hpp"

inline constexpr int ZELTO_WINDOW_WIDTH = 1100;
inline constexpr int ZELTO_WINDOW_HEIGHT = 750;
inline constexpr std::uint32_t ZELTO_MIN_PASS_MS = 10;
// The layer of whole paths is drawn into its framebuffer in portions of
// about this many lines and points per pass (about 5 ms in software
// rendering), so that a long recording's paths fill the view over a few
// passes instead of holding one.
inline constexpr std::size_t ZELTO_LAYER_PORTION = 10000;

// The main loop's own values, alive for the whole run.
struct ZeltoLoop {
    WindowPtr window;
    GlContextPtr gl_context;
    FontPtr font;   // also stored in the GUI state
    FontPtr small_font;  // also stored in the GUI state
    SurfacePtr icon;
    std::unique_ptr<GuiState> gui;  // the record `gui_state` points to

    int running = 1;                    // cleared by SDL_QUIT
    std::uint32_t frame_start = 0;      // SDL_GetTicks() at the top of the pass
    std::uint32_t last_frame_time = 0;  // duration of the previous pass, at least 10 ms
    std::uint32_t total_time = 0;       // sum of all pass durations, ms
    std::uint32_t frames = 0;
    bool picking_enabled = true;        // off while the user drags in the 3D view
    int hovered_point = -1;             // sample under the mouse in the previous pass
    char hovered_kind = 'l';            // 'l' left condyle, 'i' incisal, 'r' right condyle
    int mouse_x = 0;
    int mouse_y = 0;
    SceneBuffers scene;                 // working arrays of the scene drawing
    InspectionIndex inspection;         // search index of the point inspection
    SceneTarget scene_target;           // offscreen framebuffers of the 3D view
    bool layer_cache_enabled = true;    // reuse the picture of the unchanged layer
    std::size_t layer_portion = ZELTO_LAYER_PORTION;  // lines and points of the layer drawn per pass
    const GuiLoad* load_seen = nullptr;  // the background load of the last pass
    bool layer_valid = false;           // the kept layer holds every step of layer_key
    std::size_t layer_drawn = 0;        // the layer steps of layer_key drawn into it so far
    SceneLayerKey layer_key;            // what the kept layer shows
    SceneLayerKey previous_key;         // the layer of the previous pass
    bool layer_at_once = false;         // a load was put in place: its layer is kept from its first frame
    bool bmp_screenshot_pending = false; // taken once the frame is drawn
};

// Start-up; fatal failures print their message and end the process.
void zelto_start(ZeltoLoop* loop, int argc, char** argv);
// The font at size 16 and the small font of the "Measures" page, from the
// embedded face (SDL_ttf started).
void zelto_open_fonts(ZeltoLoop* loop);
// The GUI state with its defaults and every widget, for a 3D view of side
// `side` beside the panel, as start-up makes it with the loop's window and
// fonts; `gui_state` points to it. Without a current OpenGL context (the
// command line's export) the widgets exist for their state only.
void zelto_create_gui(ZeltoLoop* loop, int side);
// One pass of the main loop; returns false once the window was closed.
bool zelto_pass(ZeltoLoop* loop);
// The drawing of one pass, without the swap: the 3D area, the reference
// objects, the scene of the current sample and the inspection, the clock,
// the playback slider and the widgets.
void zelto_draw_frame(ZeltoLoop* loop);
// Counts a pass of `elapsed` ms in the loop's timing (a pass shorter than
// 10 ms counts 10) and returns how long to wait for the rest of the 10 ms.
std::uint32_t zelto_count_pass(ZeltoLoop* loop, std::uint32_t elapsed);
// Prints the timing summary and releases everything; returns the exit status.
int zelto_shutdown(ZeltoLoop* loop);
// The whole program: start-up, passes until the window is closed, shutdown.
// `reference` is the plane the condylar angles start with; `baseline`, when
// not empty, the report the open one is compared with.
int zelto_run(int argc, char** argv, const EmgReferencePlane& reference = {}, const std::string& baseline = {});

// The OpenGL state set once for the whole run, after the context exists:
// alpha blending, depth test, 2D textures, identity matrices (model-view
// current), the beige clear colour, the start viewport, point size 5.
void zelto_set_gl_state();

// Handles one event the way the loop does: the space bar over the 3D view,
// a dropped file, the quit request, the widget dispatch, the user events.
void zelto_handle_event(ZeltoLoop* loop, const SDL_Event* event);

// Advances the animation position of the selected exercise by one pass of
// `last_frame_time` ms, wrapping it when looping and holding it at the ends
// otherwise. The position always stays inside the exercise, whatever the
// rate (negative, zero or not a number).
void zelto_advance_animation_clock(GuiState* state, std::uint32_t last_frame_time);
