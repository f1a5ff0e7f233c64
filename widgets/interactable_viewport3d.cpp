#include "widgets/interactable_viewport3d.hpp"

#include <cmath>
#include <vector>

#include "geometry/path_simplification.hpp"
#include "geometry/path_switching.hpp"

static_assert(sizeof(Vector3) == 3 * sizeof(double), "vertex arrays are handed to OpenGL as packed doubles");

void InteractableViewport3d::react(const SDL_Event* event)
{
    interactable_viewport3d_react(this, event);
}

void InteractableViewport3d::blit(int window_width, int window_height)
{
    interactable_viewport3d_blit(this, window_width, window_height);
}

void InteractableViewport3d::render()
{
    interactable_viewport3d_render(this);
}

void interactable_viewport3d_init(InteractableViewport3d* viewport, int x, int y, int w, int h,
                                  const Color* foreground, const Color* background, InteractableCallback callback,
                                  double near, double far, double fov)
{
    interactable_init(viewport, x, y, w, h, foreground, background, callback);
    viewport->camera_x = 0.0;
    viewport->camera_y = 0.0;
    viewport->camera_z = -5.0;
    viewport->pitch = 0.0;
    viewport->yaw = 180.0;
    viewport->roll = 0.0;
    viewport->modifier_mode = VIEWPORT_DRAG_NONE;
    viewport->drag_mode = VIEWPORT_DRAG_NONE;
    viewport->drag_start_x = 0;
    viewport->drag_start_y = 0;
    viewport->perspective = 0;
    viewport->near = near;
    viewport->far = far;
    viewport->fov = fov;
    viewport->pitch_locked = 1;
    viewport->wheel_zooming = 0;
    viewport->wheel_last_ticks = 0;
}

std::unique_ptr<InteractableViewport3d> interactable_viewport3d_create(int x, int y, int w, int h,
                                                                       const Color* foreground,
                                                                       const Color* background,
                                                                       InteractableCallback callback, double near,
                                                                       double far, double fov)
{
    auto viewport = interactable_allocate<InteractableViewport3d>("Malloc for interactable (viewport3d) failed\n");
    interactable_viewport3d_init(viewport.get(), x, y, w, h, foreground, background, callback, near, far, fov);
    return viewport;
}

// Two small state machines live here.
//
//   modifier: none --Ctrl down--> zoom --Ctrl up--> none
//             none --Shift down--> pan --Shift up--> none
//             (a second modifier while one is held changes nothing)
//
//   drag:     none --button down inside--> pan | zoom | rotate
//                  (the held modifier's mode whatever the button, else left:
//                   rotate, middle: zoom, right: pan; other buttons: none)
//             any  --button up anywhere--> none
//
//   wheel:    none --notch over the view--> zooming --no notch for
//             VIEWPORT_WHEEL_SETTLE_MS (seen by render)--> none
//
// While a drag runs, relative mouse mode is on (the pointer is hidden and
// motion arrives as relative movement) and point picking is off; both
// switches go through the program's user events, because the main loop must
// act on them outside the widget dispatch. The wheel switches picking off
// the same way while it turns, and on again with a re-projection once it
// has settled.

namespace {

// A zoom step of dy pixels (down zooms out, up zooms in), the quotient in
// single precision; the camera never comes nearer than the limit.
void zoom_by_pixels(InteractableViewport3d* viewport, float dy)
{
    viewport->camera_z =
        interactable_viewport3d_bounded_camera_z(viewport->camera_z - static_cast<double>(dy / 120.0f));
}

// Where the pointer was when the wheel turned.
void wheel_position(const SDL_MouseWheelEvent& wheel, int* x, int* y)
{
#if SDL_VERSION_ATLEAST(2, 26, 0)
    *x = wheel.mouseX;
    *y = wheel.mouseY;
#else
    (void)wheel;
    SDL_GetMouseState(x, y);
#endif
}

// The drags: a press inside starts the drag of its button (or of the held
// modifier key), motion anywhere drives it, the release anywhere ends it.
void react_pointer(InteractableViewport3d* viewport, const SDL_Event* event)
{
    switch (interactable_pointer(viewport, event, InteractableCapture::restart)) {
    case InteractablePointer::press: {
        std::int32_t mode = viewport->modifier_mode;
        if (mode == VIEWPORT_DRAG_NONE) {
            switch (event->button.button) {
            case SDL_BUTTON_LEFT: mode = VIEWPORT_DRAG_ROTATE; break;
            case SDL_BUTTON_MIDDLE: mode = VIEWPORT_DRAG_ZOOM; break;
            case SDL_BUTTON_RIGHT: mode = VIEWPORT_DRAG_PAN; break;
            default:
                // Another button starts no drag; one in progress goes on.
                viewport->pointer_held = viewport->drag_mode != VIEWPORT_DRAG_NONE ? 1 : 0;
                return;
            }
        }
        viewport->drag_mode = mode;
        viewport->drag_start_x = event->button.x;
        viewport->drag_start_y = event->button.y;
        SDL_SetRelativeMouseMode(SDL_TRUE);
        push_SDL_user_event(USER_EVENT_POINT_PICKING_OFF, nullptr, nullptr);
        return;
    }
    case InteractablePointer::drag: {
        // Each quotient in single precision, then added to the double.
        const float dx = static_cast<float>(event->motion.xrel);
        const float dy = static_cast<float>(event->motion.yrel);
        switch (viewport->drag_mode) {
        case VIEWPORT_DRAG_ZOOM:
            zoom_by_pixels(viewport, dy);
            break;
        case VIEWPORT_DRAG_ROTATE:
            if (!viewport->pitch_locked)
                viewport->pitch += static_cast<double>(dy / 6.0f);
            viewport->yaw += static_cast<double>(dx / 6.0f);
            break;
        case VIEWPORT_DRAG_PAN:
            viewport->camera_x += static_cast<double>(dx / 120.0f);
            viewport->camera_y -= static_cast<double>(dy / 120.0f);
            break;
        default:
            return;
        }
        if (viewport->callback != nullptr)
            viewport->callback(viewport);
        return;
    }
    case InteractablePointer::release:
        if (viewport->drag_mode == VIEWPORT_DRAG_NONE)
            return;
        viewport->drag_mode = VIEWPORT_DRAG_NONE;
        SDL_SetRelativeMouseMode(SDL_FALSE);
        push_SDL_user_event(USER_EVENT_POINT_PICKING_ON, nullptr, nullptr);
        push_SDL_user_event(USER_EVENT_REBUILD_JAW_VERTICES, nullptr, nullptr);
        // The pointer shows up again where the drag began.
        SDL_WarpMouseInWindow(nullptr, viewport->drag_start_x, viewport->drag_start_y);
        return;
    case InteractablePointer::none:
        return;
    }
}

}  // namespace

void interactable_viewport3d_react(InteractableViewport3d* viewport, const SDL_Event* event)
{
    if (!viewport->active)
        return;

    switch (event->type) {
    case SDL_KEYDOWN: {
        const SDL_Keycode key = event->key.keysym.sym;
        if (viewport->modifier_mode != VIEWPORT_DRAG_NONE)
            break;
        if (key == SDLK_LCTRL || key == SDLK_RCTRL)
            viewport->modifier_mode = VIEWPORT_DRAG_ZOOM;
        else if (key == SDLK_LSHIFT || key == SDLK_RSHIFT)
            viewport->modifier_mode = VIEWPORT_DRAG_PAN;
        break;
    }
    case SDL_KEYUP: {
        const SDL_Keycode key = event->key.keysym.sym;
        if ((key == SDLK_LCTRL || key == SDLK_RCTRL) && viewport->modifier_mode == VIEWPORT_DRAG_ZOOM)
            viewport->modifier_mode = VIEWPORT_DRAG_NONE;
        else if ((key == SDLK_LSHIFT || key == SDLK_RSHIFT) && viewport->modifier_mode == VIEWPORT_DRAG_PAN)
            viewport->modifier_mode = VIEWPORT_DRAG_NONE;
        break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEMOTION:
    case SDL_MOUSEBUTTONUP:
        react_pointer(viewport, event);
        break;
    case SDL_MOUSEWHEEL: {
        // A notch away from the user zooms in, like a drag upwards.
        int x = 0, y = 0;
        wheel_position(event->wheel, &x, &y);
        const int notches = event->wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event->wheel.y : event->wheel.y;
        if (notches == 0 || !interactable_contains(viewport, x, y))
            break;
        zoom_by_pixels(viewport, static_cast<float>(-notches * VIEWPORT_WHEEL_NOTCH_PIXELS));
        if (!viewport->wheel_zooming && viewport->drag_mode == VIEWPORT_DRAG_NONE)
            push_SDL_user_event(USER_EVENT_POINT_PICKING_OFF, nullptr, nullptr);
        viewport->wheel_zooming = 1;
        viewport->wheel_last_ticks = SDL_GetTicks();
        if (viewport->callback != nullptr)
            viewport->callback(viewport);
        break;
    }
    default:
        break;
    }
}

void interactable_viewport3d_blit(InteractableViewport3d*, int, int) {}

void interactable_viewport3d_render(InteractableViewport3d* viewport)
{
    if (!viewport->active)
        return;
    for (double* angle : {&viewport->pitch, &viewport->yaw, &viewport->roll})
        *angle = interactable_viewport3d_wrapped_angle(*angle);
    // The wheel has settled: picking follows the camera again, as after a drag.
    if (viewport->wheel_zooming && SDL_GetTicks() - viewport->wheel_last_ticks >= VIEWPORT_WHEEL_SETTLE_MS) {
        viewport->wheel_zooming = 0;
        if (viewport->drag_mode == VIEWPORT_DRAG_NONE) {
            push_SDL_user_event(USER_EVENT_POINT_PICKING_ON, nullptr, nullptr);
            push_SDL_user_event(USER_EVENT_REBUILD_JAW_VERTICES, nullptr, nullptr);
        }
    }
}

double interactable_viewport3d_bounded_camera_z(double z)
{
    return z <= VIEWPORT_CAMERA_Z_LIMIT ? z : VIEWPORT_CAMERA_Z_LIMIT;
}

double interactable_viewport3d_camera_z_from(double z)
{
    return interactable_viewport3d_bounded_camera_z(z > 0.0 ? -z : z);
}

double interactable_viewport3d_wrapped_angle(double degrees)
{
    if (!std::isfinite(degrees))
        return degrees;
    // The remainder is exact; adding 360 to a tiny negative one can round up
    // to 360 itself. "+ 0.0" turns -0 into 0.
    double wrapped = std::fmod(degrees, 360.0);
    if (wrapped < 0)
        wrapped += 360.0;
    if (wrapped >= 360.0)
        wrapped -= 360.0;
    return wrapped + 0.0;
}

void interactable_viewport3d_free(std::unique_ptr<InteractableViewport3d> viewport)
{
    viewport.reset();
}

void interactable_viewport3d_change_width_and_height(InteractableViewport3d* viewport, int w, int h)
{
    viewport->w = w;
    viewport->h = h;
}

CameraView interactable_viewport3d_camera_view(const InteractableViewport3d* viewport)
{
    return CameraView{viewport->camera_x,
                      viewport->camera_y,
                      viewport->camera_z,
                      viewport->pitch,
                      viewport->yaw,
                      viewport->roll,
                      viewport->near,
                      viewport->far,
                      viewport->fov,
                      static_cast<double>(viewport->w) / static_cast<double>(viewport->h),
                      viewport->perspective != 0};
}

void interactable_viewport3d_gl_matrices(const InteractableViewport3d* viewport, double model_view[16],
                                         double projection[16], int viewport_rect[4])
{
    camera_gl_matrices(interactable_viewport3d_camera_view(viewport), viewport->w, viewport->h, model_view, projection,
                       viewport_rect);
}

namespace {

// Brackets one drawing operation: the camera on the model-view stack (the
// projection matrix stays the identity), the colour, the vertex array.
//
// 2D texturing stays enabled for the whole frame (the widgets need it), and
// whichever texture was bound last would tint the lines and points: a
// widget's texture is left bound whenever one was created since the last
// blit (at start-up, or when the exercise list is rebuilt during the event
// dispatch), and a blank one is fully transparent. So texturing is switched
// off around the drawing and restored after it.
bool finite_point(const Vector3& p)
{
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

bool all_finite(const Vector3* points, int count)
{
    for (int i = 0; i < count; ++i)
        if (!finite_point(points[i]))
            return false;
    return true;
}

class CameraDrawing {
public:
    CameraDrawing(const InteractableViewport3d* viewport, const Vector3* vertices, const Color* color)
        : CameraDrawing(viewport, vertices, GL_DOUBLE, color)
    {
    }
    CameraDrawing(const InteractableViewport3d* viewport, const void* vertices, GLenum type, const Color* color)
        : texturing_(glIsEnabled(GL_TEXTURE_2D) == GL_TRUE)
    {
        const Matrix4 m = camera_model_view_matrix(interactable_viewport3d_camera_view(viewport));
        glPushMatrix();
        glLoadMatrixd(m.m);
        if (texturing_)
            glDisable(GL_TEXTURE_2D);
        const Color& c = color != nullptr ? *color : viewport->foreground;
        glColor4ub(c.r, c.g, c.b, c.a);
        glEnableClientState(GL_VERTEX_ARRAY);
        glVertexPointer(3, type, 0, vertices);
    }
    ~CameraDrawing()
    {
        glDisableClientState(GL_VERTEX_ARRAY);
        glColor4f(1, 1, 1, 1);
        if (texturing_)
            glEnable(GL_TEXTURE_2D);
        glPopMatrix();
    }
    CameraDrawing(const CameraDrawing&) = delete;
    CameraDrawing& operator=(const CameraDrawing&) = delete;

private:
    bool texturing_;
};

}  // namespace

void interactable_viewport3d_draw_vertices(const InteractableViewport3d* viewport, const Vector3* vertices,
                                           int vertex_count, const Color* color)
{
    if (vertex_count <= 0)
        return;
    // Missing points (a coordinate not finite) are not drawn.
    if (all_finite(vertices, vertex_count)) {
        const CameraDrawing drawing(viewport, vertices, color);
        glDrawArrays(GL_POINTS, 0, vertex_count);
        return;
    }
    std::vector<GLuint> shown;
    for (int i = 0; i < vertex_count; ++i)
        if (finite_point(vertices[i]))
            shown.push_back(static_cast<GLuint>(i));
    if (shown.empty())
        return;
    const CameraDrawing drawing(viewport, vertices, color);
    glDrawElements(GL_POINTS, static_cast<GLsizei>(shown.size()), GL_UNSIGNED_INT, shown.data());
}

void interactable_viewport3d_draw_edges(const InteractableViewport3d* viewport, const Vector3* vertices,
                                        int vertex_count, const std::int32_t* edges, int edge_count,
                                        const Color* color)
{
    if (edge_count <= 0 || vertex_count <= 0)
        return;
    // An edge to a missing point (a coordinate not finite) is not drawn.
    auto valid = [vertex_count, vertices](std::int32_t index) {
        return index >= 0 && index < vertex_count && finite_point(vertices[index]);
    };
    std::vector<GLuint> indices;
    indices.reserve(2 * static_cast<std::size_t>(edge_count));
    for (int e = 0; e < edge_count; ++e) {
        const std::int32_t a = edges[2 * e], b = edges[2 * e + 1];
        if (valid(a) && valid(b)) {
            indices.push_back(static_cast<GLuint>(a));
            indices.push_back(static_cast<GLuint>(b));
        }
    }
    if (indices.empty())
        return;
    const CameraDrawing drawing(viewport, vertices, color);
    glDrawElements(GL_LINES, static_cast<GLsizei>(indices.size()), GL_UNSIGNED_INT, indices.data());
}

void interactable_viewport3d_draw_path_switched(const InteractableViewport3d* viewport, const Vector3* vertices,
                                                int vertex_count, const std::int32_t* switches, int switch_count,
                                                const Color* color)
{
    if (vertex_count <= 0)
        return;
    // A missing sample (a coordinate not finite) leaves a gap: the segments
    // that the pieces draw, without those touching it.
    if (!all_finite(vertices, vertex_count)) {
        std::vector<std::uint32_t> pairs = path_simplification_drawn_pairs(vertex_count, switches, switch_count);
        path_simplification_drop_missing(&pairs, vertices, vertex_count);
        if (!pairs.empty()) {
            const CameraDrawing drawing(viewport, vertices, color);
            glDrawElements(GL_LINES, static_cast<GLsizei>(pairs.size()), GL_UNSIGNED_INT, pairs.data());
        }
        return;
    }
    const CameraDrawing drawing(viewport, vertices, color);
    // Solid pieces are line strips; dashed ones separate segments (GL_LINES
    // joins vertices in pairs, leaving every second gap open).
    for (const PathPiece& piece : path_switching_pieces(vertex_count, switches, switch_count))
        if (piece.count > 1)
            glDrawArrays(piece.dashed ? GL_LINES : GL_LINE_STRIP, piece.first, piece.count);
}

void interactable_viewport3d_draw_segments(const InteractableViewport3d* viewport, const float* positions,
                                           int vertex_count, const std::uint32_t* segments, int segment_count,
                                           const Color* color)
{
    if (vertex_count <= 0 || segment_count <= 0)
        return;
    const CameraDrawing drawing(viewport, positions, GL_FLOAT, color);
    glDrawElements(GL_LINES, 2 * segment_count, GL_UNSIGNED_INT, segments);
}
