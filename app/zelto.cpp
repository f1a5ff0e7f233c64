#include "app/zelto.hpp"

#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/resources/resources.hpp"
#include "app/screenshot_svg.hpp"
#include "app/summary_views.hpp"
#include "app/window.hpp"
#include "gui/gui_baseline.hpp"
#include "gui/gui_keyboard.hpp"
#include "gui/gui_messages.hpp"
#include "gui/gui_recent.hpp"
#include "gui/gui_tooltip.hpp"

void zelto_set_gl_state()
{
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);  // model-view stays the current matrix
    glLoadIdentity();
    glClearColor(c_beige.r / 255.0f, c_beige.g / 255.0f, c_beige.b / 255.0f, c_beige.a / 255.0f);
    glViewport(0, 0, ZELTO_WINDOW_WIDTH, ZELTO_WINDOW_HEIGHT);
    glPointSize(5.0f);
}

namespace {

void draw_viewport_background(const GuiState* state)
{
    glViewport(0, 0, state->window_width - GUI_PANEL_WIDTH, state->window_height);
    glPushMatrix();
    // Untextured (whatever texture a widget left bound must not tint it)
    // and never depth-tested (the depth buffer is cleared only after it).
    glDisable(GL_TEXTURE_2D);
    glDepthFunc(GL_ALWAYS);
    glColor4ub(c_black.r, c_black.g, c_black.b, c_black.a);
    glBegin(GL_QUADS);
    glVertex2f(-1, -1);
    glVertex2f(1, -1);
    glVertex2f(1, 1);
    glVertex2f(-1, 1);
    glEnd();
    glColor4f(1, 1, 1, 1);
    glEnable(GL_TEXTURE_2D);
    glPopMatrix();
}

// Work the widgets asked for during the dispatch, done once every widget
// has seen the event.
void handle_user_event(ZeltoLoop* loop, const SDL_UserEvent& user)
{
    GuiState* state = loop->gui.get();
    switch (user.code) {
    case USER_EVENT_RESIZE_WINDOW:
        if (user.data1 != nullptr && user.data2 != nullptr)
            resize_window(*static_cast<const int*>(user.data1), *static_cast<const int*>(user.data2));
        break;
    case USER_EVENT_SCREENSHOT:
        if (state->screenshot_file_type == 0)
            loop->bmp_screenshot_pending = true;  // read back once this pass has drawn its frame
        else if (state->screenshot_file_type == 1)
            screenshot_svg(state->window_height);
        break;
    case USER_EVENT_SUMMARY_PDF:
        gui_write_summary_pdf_with(summary_views_draw(state, state->window_height), summary_views_legend());
        break;
    case USER_EVENT_POINT_PICKING_OFF:
        loop->picking_enabled = false;
        break;
    case USER_EVENT_POINT_PICKING_ON:
        loop->picking_enabled = true;
        break;
    case USER_EVENT_REBUILD_JAW_VERTICES:
        gui_build_projected_jaw_vertices();
        break;
    default:
        break;
    }
}

// Whether the user is typing into a text field: a space typed then belongs
// to the field.
bool text_input_editing(const GuiState* state)
{
    for (const auto& widget : state->interactables) {
        const auto* input = dynamic_cast<const InteractableTextInput*>(widget.get());
        if (input != nullptr && input->editing)
            return true;
    }
    return false;
}

// Offers one event to every widget: the panel in its fixed order, then the
// exercise toggles. Both lists are read again before every widget, so a
// callback that rebuilds the exercise toggles (loading a report) leaves the
// rest of the dispatch on the new list.
void dispatch_to_widgets(GuiState* state, const SDL_Event* event)
{
    if (event->type == SDL_MOUSEBUTTONDOWN)
        gui_baseline_note_press(state);
    for (std::size_t i = 0; i < state->interactables.size(); ++i)
        state->interactables[i]->react(event);
    for (std::size_t i = 0; i < state->exercise_toggles.size(); ++i)
        state->exercise_toggles[i]->react(event);
    // A load from one of the recent reports' buttons rebuilds them: the
    // rest of the list no longer exists then.
    const std::uint64_t loads = state->report_loads;
    for (Interactable* button : gui_file_page_widgets(state))
        if (state->report_loads == loads)
            button->react(event);
}

// The load's bar: a dark track on the view's black, filled in the message
// line's light grey.
const Color progress_track{70, 70, 70, 255};
const Color progress_fill{225, 225, 225, 255};

// A thin bar under the message line while a report is read in the
// background: its filled part is the share read.
void draw_load_progress(const GuiState* state)
{
    if (state->load == nullptr || state->window_width <= 0 || state->window_height <= 0)
        return;
    const double fraction = gui_load_fraction(state->load.get());
    const double left = 20.0, top = 22.0, height = 6.0;
    const double width = std::max(state->window_width - GUI_PANEL_WIDTH - 40.0, 1.0);
    // Window pixels to the identity transform's -1 to 1.
    const auto x = [state](double px) { return static_cast<float>(2.0 * px / state->window_width - 1.0); };
    const auto y = [state](double py) { return static_cast<float>(1.0 - 2.0 * py / state->window_height); };
    const auto quad = [&](double x0, double x1, const Color& colour) {
        glColor4ub(colour.r, colour.g, colour.b, colour.a);
        glBegin(GL_QUADS);
        glVertex2f(x(x0), y(top + height));
        glVertex2f(x(x1), y(top + height));
        glVertex2f(x(x1), y(top));
        glVertex2f(x(x0), y(top));
        glEnd();
    };
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_TEXTURE_2D);
    quad(left, left + width, progress_track);
    quad(left, left + width * fraction, progress_fill);
    glColor4f(1, 1, 1, 1);
    glEnable(GL_TEXTURE_2D);
    glPopMatrix();
}

void render_and_blit_widgets(GuiState* state)
{
    for (auto& widget : state->interactables)
        widget->render();
    for (auto& toggle : state->exercise_toggles)
        toggle->render();
    gui_recent_show();
    const std::vector<Interactable*> file_page = gui_file_page_widgets(state);
    for (Interactable* button : file_page)
        button->render();
    for (auto& widget : state->interactables)
        widget->blit(state->window_width, state->window_height);
    for (auto& toggle : state->exercise_toggles)
        toggle->blit(state->window_width, state->window_height);
    for (Interactable* button : file_page)
        button->blit(state->window_width, state->window_height);
    gui_message_draw(state);
    draw_load_progress(state);
    gui_tooltip_draw(state);
}

// Prints every pending OpenGL error. Without a current context some drivers
// report the same error for ever, so a pass prints at most a bounded number.
void report_gl_errors()
{
    for (int printed = 0; printed < 64; ++printed) {
        const GLenum error = glGetError();
        if (error == GL_NO_ERROR)
            break;
        std::printf("openGL error: %X %s\n", error, reinterpret_cast<const char*>(gluErrorString(error)));
    }
}

}  // namespace

void zelto_start(ZeltoLoop* loop, int argc, char** argv)
{
    SDL_version linked;
    SDL_GetVersion(&linked);
    std::printf("Running SDL Version %d.%d.%d\n", linked.major, linked.minor, linked.patch);
    std::printf("Running SDL TTF Version %d.%d.%d\n", SDL_TTF_MAJOR_VERSION, SDL_TTF_MINOR_VERSION,
                SDL_TTF_PATCHLEVEL);

    initialize_SDL();

    zelto_user_event_type = SDL_RegisterEvents(1);
    if (zelto_user_event_type == 0xFFFFFFFFu) {
        std::printf("Could not aquire a SDL user event Type\n");
        std::fflush(stdout);
        std::exit(1);
    }

    loop->window = open_window("Zelto", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, ZELTO_WINDOW_WIDTH,
                               ZELTO_WINDOW_HEIGHT, SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
    // SDL's defaults apply: a double-buffered framebuffer with a depth buffer.
    loop->gl_context.reset(SDL_GL_CreateContext(loop->window.get()));
    // The state below belongs to the context, so it is set once it exists.
    zelto_set_gl_state();

    zelto_open_fonts(loop);
    loop->icon = load_bmp_rw(icon_bytes, icon_size);
    SDL_SetWindowIcon(loop->window.get(), loop->icon.get());
    zelto_create_gui(loop, ZELTO_WINDOW_HEIGHT);

    // A report that fails to load leaves the program running without one.
    if (argc > 1)
        gui_open_report(argv[1]);

    loop->running = 1;
    loop->frame_start = 0;
    loop->last_frame_time = 0;
    loop->total_time = 0;
    loop->frames = 0;
    loop->picking_enabled = true;
    loop->hovered_point = -1;
    loop->hovered_kind = 'l';
    loop->mouse_x = 0;
    loop->mouse_y = 0;
}

void zelto_open_fonts(ZeltoLoop* loop)
{
    loop->font = open_font_rw(font_bytes, font_size, 16);
    loop->small_font = open_font_rw(font_bytes, font_size, GUI_SMALL_FONT_POINT_SIZE);
}

void zelto_create_gui(ZeltoLoop* loop, int side)
{
    loop->gui = gui_state_create();
    gui_state = loop->gui.get();
    gui_state_set_to_default_settings(gui_state);
    gui_state->window_width = side + GUI_PANEL_WIDTH;
    gui_state->window_height = side;
    gui_state->window = loop->window.get();
    gui_state->font = loop->font.get();
    gui_state->small_font = loop->small_font.get();
    gui_build(gui_state, side);
    // The loading worker also builds the inspection's index for the first frame.
    gui_state->load_extra_work = inspection_prepare;
}

void zelto_handle_event(ZeltoLoop* loop, const SDL_Event* event)
{
    GuiState* state = loop->gui.get();
    gui_message_user_event(state, event);
    switch (event->type) {
    case SDL_KEYDOWN: {
        // Space over the square 3D view locks the hovered sample, or
        // releases the lock, unless a text field is being edited.
        int mx = 0, my = 0;
        SDL_GetMouseState(&mx, &my);
        const bool over_view = 0 <= mx && mx < state->window_height && 0 <= my && my < state->window_height
                               && (state->tracing_sheet == nullptr || !state->tracing_sheet->active);
        if (!text_input_editing(state))
            gui_keyboard_handle(state, event->key);
        if (over_view && event->key.keysym.sym == SDLK_SPACE && !text_input_editing(state)) {
            if (state->locked_point >= 0)
                gui_point_lock_unlock();
            else if (loop->hovered_point >= 0)
                gui_point_lock_lock(loop->hovered_point);
        }
        break;
    }
    case SDL_DROPFILE: {
        const SdlMemoryPtr path(event->drop.file);
        if (path != nullptr)
            gui_open_report(path.get());
        break;
    }
    case SDL_QUIT:
        loop->running = 0;
        break;
    default:
        break;
    }

    dispatch_to_widgets(state, event);

    if (event->type == zelto_user_event_type) {
        // The data pointers belong to the loop once posted, whatever the code.
        const CMemoryPtr data1(event->user.data1);
        const CMemoryPtr data2(event->user.data2);
        handle_user_event(loop, event->user);
    }
}

namespace {

// Draws the next layer steps into the kept layer, from its background on
// when none is drawn yet: every remaining step with `whole`, else steps
// until they sent the loop's portion of lines and points. The layer is valid
// once every step is in it.
void draw_layer_portion(ZeltoLoop* loop, const std::vector<SceneStep>& steps, bool whole)
{
    const GuiState* state = loop->gui.get();
    loop->scene_target.bind_layer();
    if (loop->layer_drawn == 0) {
        draw_viewport_background(state);
        glClear(GL_DEPTH_BUFFER_BIT);
    } else {
        glViewport(0, 0, state->window_width - GUI_PANEL_WIDTH, state->window_height);
    }
    glDepthFunc(GL_LESS);
    std::size_t ordinal = 0;
    std::size_t sent = 0;
    bool complete = true;
    for (const SceneStep& step : steps) {
        if (step.phase != ScenePhase::layer || ordinal++ < loop->layer_drawn)
            continue;
        if (!whole && sent >= loop->layer_portion) {
            complete = false;
            break;
        }
        sent += step.draw();
        ++loop->layer_drawn;
    }
    loop->layer_valid = complete;
    loop->scene_target.bind_scene();
}

// The 3D area of one pass, into whatever framebuffer is bound: the black
// background, the reference objects and, with a report, the scene of the
// current sample and the inspection.
//
// When the scene has its own framebuffer, the layer of whole paths and
// calibration points is drawn into a kept framebuffer as soon as it stayed
// the same for two passes (at once in the first frame of a report just put
// in place), and restored with its depth afterwards. A large layer is drawn
// in portions over the passes that follow (draw_layer_portion); the view
// then fills in, and the inspection waits for the whole layer.
// The picture is the same as drawing every step in order: of equally deep
// fragments the one drawn first stays, so the steps that come before the
// layer are drawn after its restoration in reverse order with the depth
// test "less or equal", and the steps after it as usual.
void draw_3d_area(ZeltoLoop* loop, bool offscreen)
{
    GuiState* state = loop->gui.get();
    loop->hovered_point = -1;
    const std::vector<SceneStep> steps =
        state->report != nullptr ? scene_steps(state, &loop->scene) : std::vector<SceneStep>{};

    bool use_layer = offscreen && loop->layer_cache_enabled && !steps.empty();
    if (use_layer) {
        SceneLayerKey key = scene_layer_key(state);
        const bool kept = (loop->layer_valid || loop->layer_drawn > 0) && key == loop->layer_key;
        if (!(kept && loop->layer_valid)) {
            if (kept || key == loop->previous_key || loop->layer_at_once) {
                if (!kept) {
                    loop->layer_key = key;
                    loop->layer_drawn = 0;
                }
                // A screenshot shows the whole picture.
                draw_layer_portion(loop, steps, loop->bmp_screenshot_pending);
            } else {
                loop->layer_valid = false;
                loop->layer_drawn = 0;
                use_layer = false;  // still changing: draw it directly
            }
        }
        loop->previous_key = std::move(key);
    }
    loop->layer_at_once = false;

    if (use_layer) {
        loop->scene_target.restore_layer();
        // The 3D view, as the background would have set it.
        glViewport(0, 0, state->window_width - GUI_PANEL_WIDTH, state->window_height);
        glDepthFunc(GL_LEQUAL);
        for (auto step = steps.rbegin(); step != steps.rend(); ++step)
            if (step->phase == ScenePhase::before_layer)
                step->draw();
        glDepthFunc(GL_LESS);
        for (const SceneStep& step : steps)
            if (step.phase == ScenePhase::after_layer)
                step.draw();
    } else {
        draw_viewport_background(state);
        glClear(GL_DEPTH_BUFFER_BIT);
        glDepthFunc(GL_LESS);
        if (steps.empty()) {
            scene_draw_reference_objects(state);
        } else {
            for (const SceneStep& step : steps)
                step.draw();
        }
    }

    // The tracing sheet over the view hides the points there is to pick.
    const bool sheet_shown = state->tracing_sheet != nullptr && state->tracing_sheet->active;
    if (sheet_shown)
        loop->hovered_point = -1;
    const bool layer_filling = use_layer && !loop->layer_valid;
    if (state->report != nullptr && loop->picking_enabled && !sheet_shown && !layer_filling) {
        SDL_GetMouseState(&loop->mouse_x, &loop->mouse_y);
        inspection_run(state, &loop->inspection, loop->mouse_x, loop->mouse_y, &loop->hovered_point,
                       &loop->hovered_kind);
    }
}

}  // namespace

void zelto_draw_frame(ZeltoLoop* loop)
{
    GuiState* state = loop->gui.get();
    glClear(GL_COLOR_BUFFER_BIT);
    const bool offscreen = state->report != nullptr && loop->scene_target.prepare(state->window_height);
    if (offscreen) {
        loop->scene_target.bind_scene();
        glClear(GL_COLOR_BUFFER_BIT);
    }
    draw_3d_area(loop, offscreen);
    if (offscreen)
        loop->scene_target.present();
    // The scene and the inspection saw the position as it was at the start
    // of the pass; the clock moves it for the next one.
    if (state->report != nullptr)
        zelto_advance_animation_clock(state, loop->last_frame_time);

    // Widgets are drawn over the scene, across the whole window.
    glDepthFunc(GL_ALWAYS);
    glViewport(0, 0, state->window_width, state->window_height);
    gui_update_playback_slider();
    render_and_blit_widgets(state);
}

bool zelto_pass(ZeltoLoop* loop)
{
    GuiState* state = loop->gui.get();
    loop->frame_start = SDL_GetTicks();
    loop->running = 1;

    SDL_Event event;
    while (SDL_PollEvent(&event))
        zelto_handle_event(loop, &event);
    // A report read in the background is put in place between the events
    // and the frame, so the frame shows it whole.
    gui_load_update(state);
    gui_baseline_update(state);
    // Into an empty window, the scene's framebuffers are made while the
    // report loads (in a pass after the one that started the load), not in
    // the pass that first draws it.
    if (state->load != nullptr && state->load.get() == loop->load_seen && state->report == nullptr)
        loop->scene_target.warm(state->window_height);
    loop->load_seen = state->load.get();
    if (state->prepared_frame != nullptr) {
        scene_take_prepared_levels(state, &loop->scene);
        inspection_take_prepared(state, &loop->inspection);
        state->prepared_frame.reset();
        // The new report's layer stays the same in the frames that follow
        // (nothing is being dragged): drawn once, into the kept framebuffer.
        loop->layer_at_once = true;
    }

    zelto_draw_frame(loop);

    // The frame is complete and not yet swapped: the picture is exactly
    // what the screen is about to show.
    if (loop->bmp_screenshot_pending) {
        loop->bmp_screenshot_pending = false;
        screenshot_bmp(state->window_height);
    }
    SDL_GL_SwapWindow(loop->window.get());
    report_gl_errors();

    const std::uint32_t delay = zelto_count_pass(loop, SDL_GetTicks() - loop->frame_start);
    if (delay > 0)
        SDL_Delay(delay);
    return loop->running != 0;
}

std::uint32_t zelto_count_pass(ZeltoLoop* loop, std::uint32_t elapsed)
{
    // A short pass is delayed and counts 10 ms; a long one counts as it is.
    loop->last_frame_time = std::max(elapsed, ZELTO_MIN_PASS_MS);
    loop->total_time += loop->last_frame_time;
    loop->frames += 1;
    return elapsed < ZELTO_MIN_PASS_MS ? ZELTO_MIN_PASS_MS - elapsed : 0;
}

int zelto_shutdown(ZeltoLoop* loop)
{
    std::printf("total time %ldms\n", static_cast<long>(loop->total_time));
    const double average = loop->frames > 0 ? static_cast<double>(loop->total_time) / loop->frames : 0.0;
    std::printf("avg frame time %lfms\n", average);
    std::fflush(stdout);

    loop->scene = SceneBuffers{};
    loop->scene_target.release();
    // The widgets' textures are released while their context is still
    // current; then the icon, the context and the window.
    gui_state_free(std::move(loop->gui));
    loop->icon.reset();
    loop->gl_context.reset();
    loop->window.reset();
    loop->font.reset();
    loop->small_font.reset();
    close_SDL();
    return 0;
}

int zelto_run(int argc, char** argv, const EmgReferencePlane& reference, const std::string& baseline)
{
    // Console messages show up at once even when the console is a pipe or a
    // log file.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    ZeltoLoop loop;
    zelto_start(&loop, argc, argv);
    gui_set_reference_plane(reference);
    if (!baseline.empty())
        gui_baseline_load(baseline.c_str());
    while (zelto_pass(&loop)) {
    }
    return zelto_shutdown(&loop);
}

void zelto_advance_animation_clock(GuiState* state, std::uint32_t last_frame_time)
{
    if (state->paused || state->report == nullptr)
        return;
    const EmgReport& report = *state->report;
    if (state->selected_exercise < 0 || state->selected_exercise >= report.exercises_number)
        return;
    const double n = emg_sample_count(&report.exercises[static_cast<std::size_t>(state->selected_exercise)]);
    if (n < 1)
        return;

    double p = state->animation_position;
    if (!std::isfinite(p))
        p = 0.0;
    if (n > p) {
        const double step = (last_frame_time / 10.0) * (state->speed_multiplier * state->data_speed);
        // A rate that is not a number (a report's frequency may be anything)
        // does not move the position.
        if (std::isfinite(step))
            p += step;
    }
    if (state->looping) {
        // One remainder instead of repeated subtraction: equal for a step
        // within the exercise, and it ends for any step.
        if (p >= n || p < 0) {
            p = std::fmod(p, n);
            if (p < 0)
                p += n;
            if (p >= n)
                p = 0.0;
        }
    } else if (p >= n) {
        p = n - 1;
    } else if (p < 0) {
        // A negative rate runs the position backwards; it stops at the start.
        p = 0.0;
    }
    state->animation_position = p;
}
