// The camera of the 3D view as matrices: the one place where the transform
// of the viewport is computed. The screen drawing loads this matrix into
// OpenGL; the projection of the paths, the view fitting and the SVG export
// project points with it, so all of them agree with what is on screen.
//
// Pure double-precision arithmetic, no OpenGL: the matrix is composed exactly
// as the fixed-function calls (gluPerspective or glOrtho, glScaled,
// glTranslated, glRotated) would compose it on an identity matrix.
#pragma once

#include "geometry/vector_algebra.hpp"

struct CameraView {
    double camera_x;
    double camera_y;
    double camera_z;     // translation (perspective) or zoom divisor (orthographic)
    double pitch;        // degrees, about x
    double yaw;          // degrees, about y
    double roll;         // degrees, about z
    double near;
    double far;
    double fov;          // vertical field of view in degrees
    double aspect;       // width / height of the view
    bool perspective;
};

// Column-major 4 x 4 (OpenGL's layout: element (row r, column c) at 4c + r).
struct Matrix4 {
    double m[16];
};

// Perspective: Persp(fov, aspect, near, far) T(x, y, z) Rx(pitch) Ry(yaw) Rz(roll).
// Orthographic: Ortho(1, -1, 1, -1, -far, far) S(1/z, 1/z, 1) T(x, y, 0) Rx Ry Rz,
// the scale left out when z is exactly 0. A degenerate projection (a far
// plane of 0 in orthographic mode; a zero field of view, aspect or depth
// range in perspective) is left out as OpenGL leaves it out.
Matrix4 camera_model_view_matrix(const CameraView& view);

Matrix4 camera_identity_matrix();

// The camera of a view of width x height pixels in OpenGL's form, without
// calling OpenGL: the model-view matrix holds the whole camera, the
// projection is the identity, and the viewport rectangle is (0, 0, w, h).
void camera_gl_matrices(const CameraView& view, int width, int height, double model_view[16],
                        double projection[16], int viewport_rect[4]);

// Projects p with m as gluProject does with an identity projection and a
// viewport at the origin, divided by the viewport's size: x and y are
// fractions of the view (0 to 1, origin at the bottom left), z the window
// depth (0 to 1). Returns false, leaving *out untouched, when the
// homogeneous w is 0.
bool camera_project(Vector3* out, const Matrix4& m, const Vector3& p);

// The near plane as OpenGL clips with it, in the clip coordinates of m:
// z + w, which is 0 or more for a point on or in front of the plane and
// negative behind it (in a perspective view, nearer than `near` or behind
// the camera). NaN when p has no place.
double camera_near_plane_side(const Matrix4& m, const Vector3& p);
// Where the segment from a to b meets the near plane, given the sides of a
// and b (one of them negative, the other not).
Vector3 camera_near_plane_crossing(const Vector3& a, const Vector3& b, double side_a, double side_b);
// Shortens the segment a-b to its part on or in front of the near plane of
// m, as OpenGL clips a line; false when no part of it lies there.
bool camera_clip_segment_to_near_plane(const Matrix4& m, Vector3* a, Vector3* b);
