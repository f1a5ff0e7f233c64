// The 3D viewport: drags and modifier keys through SDL's queue, the user events it posts, the wheel, the angle wrap,
// the camera against OpenGL's fixed-function calls and gluProject, and the edge drawing read back as pixels.
#include <gtest/gtest.h>

#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "geometry/camera.hpp"
#include "tests/test_support.hpp"
#include "widgets/interactable_viewport3d.hpp"

using namespace zelto_test;

namespace {

int callbacks = 0;
void count_call(Interactable*)
{
    ++callbacks;
}

std::vector<int> press(InteractableViewport3d* viewport, int x, int y, std::uint8_t button)
{
    return deliver({viewport}, mouse_button_event(SDL_MOUSEBUTTONDOWN, x, y, button));
}
std::vector<int> release(InteractableViewport3d* viewport, int x, int y, std::uint8_t button)
{
    return deliver({viewport}, mouse_button_event(SDL_MOUSEBUTTONUP, x, y, button));
}
void move(InteractableViewport3d* viewport, int dx, int dy)
{
    deliver({viewport}, mouse_motion_event(2000, 2000, dx, dy));  // relative motion, reported anywhere
}

const std::vector<int> picking_off{USER_EVENT_POINT_PICKING_OFF};
const std::vector<int> picking_on_and_rebuild{USER_EVENT_POINT_PICKING_ON, USER_EVENT_REBUILD_JAW_VERTICES};

class Viewport : public testing::Test {
protected:
    void SetUp() override
    {
        callbacks = 0;
        viewport = interactable_viewport3d_create(0, 0, 750, 750, &c_white, &c_black, count_call,
                                                  static_cast<double>(0.1f), 1000.0, 90.0);
    }

    // The modifier's mode and the drag's.
    std::pair<std::int32_t, std::int32_t> modes() const { return {viewport->modifier_mode, viewport->drag_mode}; }

    OffscreenWindow window;
    std::unique_ptr<InteractableViewport3d> viewport;
};

// Each button, or the modifier whatever the button, starts its drag at a press inside (left and top edges in, right
// and bottom out); any release anywhere ends it. An inactive viewport ignores everything.
TEST_F(Viewport, ButtonsAndModifiersStartTheirDragsAndAnyReleaseEndsThem)
{
    const SDL_Keycode no_key = SDLK_UNKNOWN;  // no modifier held
    const std::int32_t none = VIEWPORT_DRAG_NONE, rotate = VIEWPORT_DRAG_ROTATE, zoom = VIEWPORT_DRAG_ZOOM,
                       pan = VIEWPORT_DRAG_PAN;
    const struct { std::uint8_t button; SDL_Keycode modifier; int x, y; std::int32_t mode; } cases[] = {
        {SDL_BUTTON_LEFT, no_key, 0, 0, rotate},        {SDL_BUTTON_MIDDLE, no_key, 749, 749, zoom},
        {SDL_BUTTON_RIGHT, no_key, 300, 200, pan},      {SDL_BUTTON_X1, no_key, 300, 200, none},
        {SDL_BUTTON_LEFT, SDLK_LCTRL, 300, 200, zoom},  {SDL_BUTTON_RIGHT, SDLK_RCTRL, 3, 2, zoom},
        {SDL_BUTTON_LEFT, SDLK_LSHIFT, 300, 200, pan},  {SDL_BUTTON_X2, SDLK_RSHIFT, 3, 2, pan},
        {SDL_BUTTON_LEFT, no_key, 750, 10, none},       {SDL_BUTTON_LEFT, no_key, 10, 750, none},
        {SDL_BUTTON_LEFT, no_key, -1, 10, none},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.button) + " " + std::to_string(c.modifier) + " at " + std::to_string(c.x));
        deliver({viewport.get()}, key_event(SDL_KEYDOWN, c.modifier));
        const bool drags = c.mode != none;
        EXPECT_EQ(press(viewport.get(), c.x, c.y, c.button), drags ? picking_off : std::vector<int>{});
        EXPECT_EQ(std::tuple(viewport->drag_mode, viewport->drag_start_x, viewport->drag_start_y),
                  std::tuple(c.mode, drags ? c.x : 0, drags ? c.y : 0));
        // Released far outside the viewport, with another button.
        EXPECT_EQ(release(viewport.get(), 1000, 740, SDL_BUTTON_RIGHT),
                  drags ? picking_on_and_rebuild : std::vector<int>{});
        deliver({viewport.get()}, key_event(SDL_KEYUP, c.modifier));
        EXPECT_EQ(modes(), std::pair(none, none));
        viewport->drag_start_x = viewport->drag_start_y = 0;
    }
    // A press during a drag restarts it.
    press(viewport.get(), 10, 10, SDL_BUTTON_LEFT);
    EXPECT_EQ(press(viewport.get(), 20, 20, SDL_BUTTON_RIGHT), picking_off);
    EXPECT_EQ(std::pair(viewport->drag_mode, viewport->drag_start_x), std::pair(pan, 20));
    release(viewport.get(), 5, 5, SDL_BUTTON_LEFT);

    interactable_deactivate(viewport.get());
    deliver({viewport.get()}, key_event(SDL_KEYDOWN, SDLK_LCTRL));
    EXPECT_TRUE(press(viewport.get(), 100, 100, SDL_BUTTON_LEFT).empty());
    move(viewport.get(), 60, 60);
    viewport->yaw = -10;
    viewport->render();  // nor wraps an angle
    EXPECT_EQ(std::tuple(modes(), callbacks, viewport->yaw), std::tuple(std::pair(none, none), 0, -10.0));
}

// A second modifier and the release of the other kind change nothing; letting go of the modifier during its drag
// keeps the drag going.
TEST_F(Viewport, ModifierKeysFollowTheirOwnStateMachine)
{
    const auto key = [this](std::uint32_t type, SDL_Keycode k) { deliver({viewport.get()}, key_event(type, k)); };
    key(SDL_KEYDOWN, SDLK_a);
    EXPECT_EQ(viewport->modifier_mode, VIEWPORT_DRAG_NONE);
    key(SDL_KEYDOWN, SDLK_LCTRL);
    key(SDL_KEYDOWN, SDLK_LSHIFT);
    key(SDL_KEYUP, SDLK_LSHIFT);
    EXPECT_EQ(viewport->modifier_mode, VIEWPORT_DRAG_ZOOM);
    key(SDL_KEYUP, SDLK_RCTRL);  // either Ctrl ends it
    EXPECT_EQ(viewport->modifier_mode, VIEWPORT_DRAG_NONE);

    key(SDL_KEYDOWN, SDLK_RSHIFT);
    press(viewport.get(), 100, 100, SDL_BUTTON_LEFT);
    key(SDL_KEYDOWN, SDLK_LCTRL);
    key(SDL_KEYUP, SDLK_LCTRL);
    EXPECT_EQ(modes(), std::pair(+VIEWPORT_DRAG_PAN, +VIEWPORT_DRAG_PAN));
    key(SDL_KEYUP, SDLK_LSHIFT);
    EXPECT_EQ(modes(), std::pair(+VIEWPORT_DRAG_NONE, +VIEWPORT_DRAG_PAN));
}

// Each quotient is taken in single precision and then added to the double.
TEST_F(Viewport, DragMotionTurnsZoomsAndPans)
{
    const double f7_6 = static_cast<double>(7.0f / 6.0f), f7_120 = static_cast<double>(7.0f / 120.0f);
    const struct {
        std::uint8_t button;
        bool pitch_locked;
        int dx, dy;
        double camera_x, camera_y, camera_z, pitch, yaw;
    } cases[] = {
        {SDL_BUTTON_LEFT, true, 60, 30, 0, 0, -5, 0, 190},          // 6 pixels per degree; pitch locked
        {SDL_BUTTON_LEFT, false, 7, -30, 0, 0, -5, -5, 180 + f7_6},
        {SDL_BUTTON_MIDDLE, true, 500, 60, 0, 0, -5.5, 0, 180},      // down zooms out
        {SDL_BUTTON_MIDDLE, true, 0, -7, 0, 0, -5 + f7_120, 0, 180}, // up zooms in
        {SDL_BUTTON_MIDDLE, true, 0, -1200, 0, 0, -0.1, 0, 180},     // never nearer than -0.1
        {SDL_BUTTON_RIGHT, true, 7, 24, f7_120, -static_cast<double>(24.0f / 120.0f), -5, 0, 180},
    };
    for (const auto& c : cases) {
        viewport = interactable_viewport3d_create(0, 0, 750, 750, &c_white, &c_black, count_call, 0.1, 1000.0, 90.0);
        viewport->pitch_locked = c.pitch_locked;
        callbacks = 0;
        press(viewport.get(), 100, 100, c.button);
        move(viewport.get(), c.dx, c.dy);
        const std::string where = std::to_string(c.button) + " " + std::to_string(c.dx) + "," + std::to_string(c.dy);
        const InteractableViewport3d& v = *viewport;
        EXPECT_EQ(std::tuple(v.camera_x, v.camera_y, v.camera_z, v.pitch, v.yaw, callbacks),
                  std::tuple(c.camera_x, c.camera_y, c.camera_z, c.pitch, c.yaw, 1))
            << where;
        // Without a drag, motion does nothing and calls nothing.
        release(viewport.get(), 0, 0, c.button);
        move(viewport.get(), 60, 60);
        EXPECT_EQ(std::pair(v.yaw, callbacks), std::pair(c.yaw, 1)) << where;
    }
}

// A notch zooms like a middle drag of 20 pixels (away from the user: in), over the view only, never nearer than the
// limit. Picking stops while the wheel turns and comes back with a re-projection once it has settled.
TEST_F(Viewport, WheelZoomsLikeADragOfTwentyPixelsPerNotch)
{
    auto wheel = [&](int x, int notches, std::uint32_t direction = SDL_MOUSEWHEEL_NORMAL) {
        SDL_Event event{.type = SDL_MOUSEWHEEL};
        std::tie(event.wheel.y, event.wheel.direction, event.wheel.mouseX, event.wheel.mouseY) =
            std::tuple(notches, direction, x, 300);
        return deliver({viewport.get()}, event);
    };
    auto posted_by_render = [&] {
        viewport->render();
        std::vector<int> codes;
        SDL_Event event;
        while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, zelto_user_event_type, zelto_user_event_type) == 1) {
            codes.push_back(event.user.code);
            const CMemoryPtr data1(event.user.data1), data2(event.user.data2);
        }
        return codes;
    };
    EXPECT_EQ(wheel(300, 1), picking_off);
    const double one_in = -5.0 + static_cast<double>(20.0f / 120.0f);
    EXPECT_EQ(viewport->camera_z, one_in);
    // Four notches towards the user (the system flips the wheel): out.
    EXPECT_EQ(wheel(300, 4, SDL_MOUSEWHEEL_FLIPPED), std::vector<int>{});  // picking already off
    const double four_out = one_in - static_cast<double>(80.0f / 120.0f);
    EXPECT_EQ(viewport->camera_z, four_out);
    EXPECT_EQ(wheel(800, -3), std::vector<int>{});  // over the panel: nothing
    EXPECT_EQ(std::pair(viewport->camera_z, callbacks), std::pair(four_out, 2));
    EXPECT_EQ(posted_by_render(), std::vector<int>{});  // still turning
    SDL_Delay(VIEWPORT_WHEEL_SETTLE_MS + 20);
    EXPECT_EQ(posted_by_render(), picking_on_and_rebuild);
    EXPECT_EQ(posted_by_render(), std::vector<int>{});
    wheel(300, 100);
    EXPECT_EQ(viewport->camera_z, -0.1);
}

// One remainder brings any finite angle into [0, 360) at the next frame (a step of 360 per frame did for [-360, 720)).
TEST_F(Viewport, AnglesWrapIntoOneTurnAtOnce)
{
    const double inf = std::numeric_limits<double>::infinity();
    const struct { double start, wrapped; } cases[] = {
        {365, 5}, {-10, 350}, {-1e-20, 0}, {720, 0}, {-1e20, 80}, {inf, inf}};
    for (const auto& c : cases) {
        viewport->pitch = viewport->yaw = viewport->roll = c.start;
        viewport->render();
        EXPECT_EQ(std::tuple(viewport->pitch, viewport->yaw, viewport->roll),
                  std::tuple(c.wrapped, c.wrapped, c.wrapped))
            << c.start;
        EXPECT_FALSE(std::signbit(viewport->yaw)) << c.start;
    }
}

// The camera built by OpenGL itself, read back from the model-view stack.
Matrix4 fixed_function_matrix(const CameraView& v)
{
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    if (v.perspective) {
        gluPerspective(v.fov, v.aspect, v.near, v.far);
        glTranslated(v.camera_x, v.camera_y, v.camera_z);
    } else {
        glOrtho(1, -1, 1, -1, -v.far, v.far);
        if (v.camera_z != 0)
            glScaled(1 / v.camera_z, 1 / v.camera_z, 1);
        glTranslated(v.camera_x, v.camera_y, 0);
    }
    glRotated(v.pitch, 1, 0, 0);
    glRotated(v.yaw, 0, 1, 0);
    glRotated(v.roll, 0, 0, 1);
    Matrix4 m;
    glGetDoublev(GL_MODELVIEW_MATRIX, m.m);
    glPopMatrix();
    while (glGetError() != GL_NO_ERROR) {  // glOrtho refuses an empty box with an error; the matrix stays
    }
    return m;
}

// Within `relative` of the expected value (at least of 1), or both not a number.
bool close(double actual, double expected, double relative)
{
    return std::isnan(expected) ? std::isnan(actual)
                                : std::fabs(actual - expected) <= relative * std::max(1.0, std::fabs(expected));
}

CameraView view(bool perspective, double x, double y, double z, double pitch, double yaw, double roll,
                double aspect = 1.0, double fov = 90.0, double far = 1000.0)
{
    return CameraView{x, y, z, pitch, yaw, roll, static_cast<double>(0.1f), far, fov, aspect, perspective};
}

const CameraView camera_cases[] = {
    view(false, 0, 0, -5, 0, 180, 0),
    view(false, 0, 0, 0, 0, 180, 0),  // no zoom scale at exactly 0
    view(false, 0.2, -1.3, -0.37, 33, 211.5, -17),
    view(false, -4, 2.5, -120, 359, 1, 90, 1100.0 / 750.0, 90, 50),
    view(false, 1, 1, -2, 10, 20, 30, 1, 90, 0),  // an empty depth range: the box is left out
    view(true, 0, 0, -5, 0, 180, 0),
    view(true, 0.5, -0.25, -12, -45, 123.25, 7.5, 1100.0 / 750.0, 45),
    view(true, 3, 4, 5, 90, 270, 180, 0.5, 120, 10),
    view(true, 0, 0, -5, 10, 10, 10, 1, 0),  // no field of view: the perspective is left out
};

// The one camera matrix is what OpenGL's fixed-function calls compose; its projection is gluProject's over the view.
TEST_F(Viewport, CameraIsTheFixedFunctionCameraAndProjectsAsGluProject)
{
    const double identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    const GLint gl_viewport[4] = {0, 0, 750, 750};
    const Vector3 points[] = {{0, 0, 0}, {1, 1, 1}, {-0.5, 0.25, 2}, {12.5, -30, 7}, {0.001, 0.002, -0.003}};
    for (std::size_t index = 0; index < std::size(camera_cases); ++index) {
        const std::string where = "case " + std::to_string(index);
        const Matrix4 ours = camera_model_view_matrix(camera_cases[index]);
        const Matrix4 theirs = fixed_function_matrix(camera_cases[index]);
        for (int i = 0; i < 16; ++i)  // OpenGL keeps its matrices in single precision
            EXPECT_TRUE(close(ours.m[i], theirs.m[i], 2e-6)) << where << " element " << i << ": " << ours.m[i];
        for (const Vector3& p : points) {
            Vector3 projected{-1, -1, -1};
            const bool ok = camera_project(&projected, ours, p);
            double wx, wy, wz;
            ASSERT_EQ(gluProject(p.x, p.y, p.z, ours.m, identity, gl_viewport, &wx, &wy, &wz) == GL_TRUE, ok)
                << where;
            EXPECT_TRUE(!ok || (close(projected.x, wx / 750, 1e-12) && close(projected.y, wy / 750, 1e-12) &&
                                close(projected.z, wz, 1e-12)))
                << where << ": " << projected.x << " " << projected.y << " " << projected.z;
        }
    }
    // A point on the plane through the eye of a perspective camera has no projection; the output is left untouched.
    const Matrix4 m = camera_model_view_matrix(view(true, 0, 0, 0, 0, 0, 0));
    Vector3 untouched{7, 8, 9};
    EXPECT_FALSE(camera_project(&untouched, m, Vector3{1, 1, 0}));
    EXPECT_EQ(untouched.x, 7.0);
}

// Counts of 0 or less and edges with an index out of range draw nothing; the viewport maps world (x, y) straight to
// normalised device coordinates.
TEST(ViewportDrawing, EdgesWithAnIndexOutOfRangeAreSkipped)
{
    OffscreenWindow window(200, 200);
    auto viewport = interactable_viewport3d_create(0, 0, 200, 200, &c_green, &c_black, nullptr,
                                                   static_cast<double>(0.1f), 1000.0, 90.0);
    viewport->yaw = 0;
    viewport->camera_z = -1;
    prepare_widget_frame(200, 200);
    // Whether any pixel within one of (col, row) (counted from the top) is not black.
    auto lit = [&](int col, int row) {
        glFinish();
        const std::vector<std::uint8_t> p = window.read_pixels(col - 1, row - 1, 3, 3);
        return std::count(p.begin(), p.end(), 0) < 27;  // 9 black pixels have 27 zero colour bytes
    };
    auto at = [](int col, int row) { return Vector3{(col + 0.5) / 100.0 - 1.0, 1.0 - (row + 0.5) / 100.0, 0}; };
    const Vector3 vertices[] = {at(40, 50), at(160, 50), at(40, 150), at(160, 150)};
    const std::int32_t edges[] = {0, 1, 1, 4, -1, 2, 2, 3, 3, -7, 0, 100000};
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    interactable_viewport3d_draw_edges(viewport.get(), vertices, 4, edges, 6, nullptr);
    EXPECT_TRUE(lit(100, 50) && lit(100, 150));
    EXPECT_FALSE(lit(160, 100));  // 1-4 and 3-(-7) have no line
    EXPECT_FALSE(lit(40, 100));   // nor -1-2
    glClear(GL_COLOR_BUFFER_BIT);
    const std::int32_t invalid[] = {0, 4, -2, 1};
    interactable_viewport3d_draw_edges(viewport.get(), vertices, 4, invalid, 2, nullptr);
    interactable_viewport3d_draw_vertices(viewport.get(), vertices, 0, nullptr);
    interactable_viewport3d_draw_vertices(viewport.get(), vertices, -1, nullptr);
    EXPECT_FALSE(lit(100, 50) || lit(40, 50));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
