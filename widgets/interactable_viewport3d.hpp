// The 3D viewport: the widget that owns the camera of the 3D view (a
// translation, three angles, orthographic or perspective projection and the
// clipping planes), turns mouse drags inside its rectangle into camera
// changes, and offers the drawing operations with which the scene draws
// points, edges and paths through this camera. It draws no picture of its
// own: the main loop draws the scene into its square.
#pragma once

#include <cstdint>
#include <memory>

#include "geometry/camera.hpp"
#include "geometry/vector_algebra.hpp"
#include "widgets/interactable.hpp"

// The nearest the camera comes: `camera_z` is kept at or below this on every
// road (drags, the wheel, the Z field, presets, fitting). At 0 the
// orthographic zoom would have no scale and the picture would jump to a view
// mirrored on both axes. A zoom divisor of 0.1 shows 0.2 mm across the whole
// view, a few samples of the slowest movement, and the Z field shows it with
// its two decimals as -0.10.
inline constexpr double VIEWPORT_CAMERA_Z_LIMIT = -0.1;
// One notch of the mouse wheel zooms like a middle-button drag of this many
// pixels (six notches make one drag of 120 pixels).
inline constexpr int VIEWPORT_WHEEL_NOTCH_PIXELS = 20;
// The wheel counts as stopped once no notch came for this long; then the
// paths are re-projected, as at the end of a drag.
inline constexpr std::uint32_t VIEWPORT_WHEEL_SETTLE_MS = 200;

enum ViewportDragMode : std::int32_t {
    VIEWPORT_DRAG_NONE = 0,
    VIEWPORT_DRAG_PAN = 1,
    VIEWPORT_DRAG_ZOOM = 2,
    VIEWPORT_DRAG_ROTATE = 3,
};

struct InteractableViewport3d : Interactable {
    double camera_x = 0.0;
    double camera_y = 0.0;
    double camera_z = -5.0;  // translation (perspective) or zoom divisor (orthographic); <= VIEWPORT_CAMERA_Z_LIMIT
    double pitch = 0.0;      // degrees, about x
    double yaw = 180.0;      // degrees, about y
    double roll = 0.0;       // degrees, about z
    std::int32_t modifier_mode = VIEWPORT_DRAG_NONE;  // chosen by a held Shift (pan) or Ctrl (zoom)
    std::int32_t drag_mode = VIEWPORT_DRAG_NONE;      // the drag in progress
    std::int32_t drag_start_x = 0;                    // window position where the drag began
    std::int32_t drag_start_y = 0;
    double near = 0.0;
    double far = 0.0;
    double fov = 0.0;  // vertical field of view of the perspective projection, degrees
    std::uint8_t perspective = 0;
    std::uint8_t pitch_locked = 1;  // 1: mouse rotation leaves pitch unchanged
    std::uint8_t wheel_zooming = 0;     // notches came and the wheel has not settled yet
    std::uint32_t wheel_last_ticks = 0; // SDL_GetTicks() of the last notch

    void react(const SDL_Event* event) override;       // interactable_viewport3d_react
    void blit(int window_width, int window_height) override;  // draws nothing
    void render() override;                            // interactable_viewport3d_render: angle wrap, wheel
};

void interactable_viewport3d_init(InteractableViewport3d* viewport, int x, int y, int w, int h,
                                  const Color* foreground, const Color* background, InteractableCallback callback,
                                  double near, double far, double fov);
std::unique_ptr<InteractableViewport3d> interactable_viewport3d_create(int x, int y, int w, int h,
                                                                       const Color* foreground,
                                                                       const Color* background,
                                                                       InteractableCallback callback, double near,
                                                                       double far, double fov);
void interactable_viewport3d_react(InteractableViewport3d* viewport, const SDL_Event* event);
void interactable_viewport3d_blit(InteractableViewport3d* viewport, int window_width, int window_height);
void interactable_viewport3d_render(InteractableViewport3d* viewport);
void interactable_viewport3d_free(std::unique_ptr<InteractableViewport3d> viewport);
void interactable_viewport3d_change_width_and_height(InteractableViewport3d* viewport, int w, int h);

// `camera_z` held at or below VIEWPORT_CAMERA_Z_LIMIT (a NaN gives the limit).
double interactable_viewport3d_bounded_camera_z(double z);
// A `camera_z` given as a number (typed, or read from a preset): a value
// above 0 is taken as the zoom it names and negated, then bounded.
double interactable_viewport3d_camera_z_from(double z);
// Any finite angle in degrees brought into [0, 360) with one remainder; a
// value that is not finite is returned as it is.
double interactable_viewport3d_wrapped_angle(double degrees);

// The camera as the one matrix computation uses it (aspect = w / h).
CameraView interactable_viewport3d_camera_view(const InteractableViewport3d* viewport);
// The camera in OpenGL's form (camera_gl_matrices of the widget's view and
// size).
void interactable_viewport3d_gl_matrices(const InteractableViewport3d* viewport, double model_view[16],
                                         double projection[16], int viewport_rect[4]);

// Drawing through the camera; a null colour means the viewport's foreground.
// Points, at the global point size.
void interactable_viewport3d_draw_vertices(const InteractableViewport3d* viewport, const Vector3* vertices,
                                           int vertex_count, const Color* color);
// One line per pair of `edges` (2 * edge_count indices), drawn only when both
// indices are valid vertex indices.
void interactable_viewport3d_draw_edges(const InteractableViewport3d* viewport, const Vector3* vertices,
                                        int vertex_count, const std::int32_t* edges, int edge_count,
                                        const Color* color);
// A path drawn solid, then dashed, then solid... switching at the given
// vertex indices (see geometry/path_switching.hpp).
void interactable_viewport3d_draw_path_switched(const InteractableViewport3d* viewport, const Vector3* vertices,
                                                int vertex_count, const std::int32_t* switches, int switch_count,
                                                const Color* color);
// Line segments between vertices given as x, y, z floats: `segments` holds
// 2 * segment_count valid vertex indices (the levels of detail of
// geometry/path_simplification.hpp).
void interactable_viewport3d_draw_segments(const InteractableViewport3d* viewport, const float* positions,
                                           int vertex_count, const std::uint32_t* segments, int segment_count,
                                           const Color* color);
