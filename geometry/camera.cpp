#include "geometry/camera.hpp"

#include <cmath>
#include <numbers>

namespace {

// this := this * other, both column-major (glMultMatrixd).
void multiply(Matrix4& self, const Matrix4& other)
{
    Matrix4 result;
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k)
                sum += self.m[4 * k + r] * other.m[4 * c + k];
            result.m[4 * c + r] = sum;
        }
    self = result;
}

void perspective(Matrix4& self, double fovy, double aspect, double z_near, double z_far)
{
    // As gluPerspective: a degenerate frustum leaves the matrix unchanged.
    const double radians = fovy / 2 * std::numbers::pi / 180;
    const double delta_z = z_far - z_near;
    const double sine = std::sin(radians);
    if (delta_z == 0 || sine == 0 || aspect == 0)
        return;
    const double cotangent = std::cos(radians) / sine;
    Matrix4 p = camera_identity_matrix();
    p.m[0] = cotangent / aspect;
    p.m[5] = cotangent;
    p.m[10] = -(z_far + z_near) / delta_z;
    p.m[11] = -1;
    p.m[14] = -2 * z_near * z_far / delta_z;
    p.m[15] = 0;
    multiply(self, p);
}

void ortho(Matrix4& self, double left, double right, double bottom, double top, double z_near, double z_far)
{
    // As glOrtho: an empty box is refused and leaves the matrix unchanged
    // (it would divide by zero). Here that is a far plane of 0.
    if (left == right || bottom == top || z_near == z_far)
        return;
    Matrix4 o = camera_identity_matrix();
    o.m[0] = 2 / (right - left);
    o.m[5] = 2 / (top - bottom);
    o.m[10] = -2 / (z_far - z_near);
    o.m[12] = -(right + left) / (right - left);
    o.m[13] = -(top + bottom) / (top - bottom);
    o.m[14] = -(z_far + z_near) / (z_far - z_near);
    multiply(self, o);
}

void scale(Matrix4& self, double x, double y, double z)
{
    Matrix4 s = camera_identity_matrix();
    s.m[0] = x;
    s.m[5] = y;
    s.m[10] = z;
    multiply(self, s);
}

void translate(Matrix4& self, double x, double y, double z)
{
    Matrix4 t = camera_identity_matrix();
    t.m[12] = x;
    t.m[13] = y;
    t.m[14] = z;
    multiply(self, t);
}

// A right-handed rotation by `degrees` about one of the coordinate axes.
void rotate(Matrix4& self, double degrees, int axis)
{
    const double radians = degrees * std::numbers::pi / 180;
    const double c = std::cos(radians), s = std::sin(radians);
    Matrix4 r = camera_identity_matrix();
    const int a = (axis + 1) % 3, b = (axis + 2) % 3;  // the plane that turns
    r.m[4 * a + a] = c;
    r.m[4 * b + b] = c;
    r.m[4 * a + b] = s;   // column a, row b
    r.m[4 * b + a] = -s;  // column b, row a
    multiply(self, r);
}

}  // namespace

Matrix4 camera_identity_matrix()
{
    Matrix4 m{};
    m.m[0] = m.m[5] = m.m[10] = m.m[15] = 1;
    return m;
}

Matrix4 camera_model_view_matrix(const CameraView& view)
{
    Matrix4 m = camera_identity_matrix();
    if (view.perspective) {
        perspective(m, view.fov, view.aspect, view.near, view.far);
        translate(m, view.camera_x, view.camera_y, view.camera_z);
    } else {
        // Left 1, right -1, bottom 1, top -1: both screen axes mirrored.
        ortho(m, 1, -1, 1, -1, -view.far, view.far);
        if (view.camera_z != 0)  // a NaN z counts as not 0
            scale(m, 1 / view.camera_z, 1 / view.camera_z, 1);
        translate(m, view.camera_x, view.camera_y, 0);
    }
    rotate(m, view.pitch, 0);
    rotate(m, view.yaw, 1);
    rotate(m, view.roll, 2);
    return m;
}

bool camera_project(Vector3* out, const Matrix4& m, const Vector3& p)
{
    const double in[4] = {p.x, p.y, p.z, 1.0};
    double clip[4];
    for (int r = 0; r < 4; ++r)
        clip[r] = m.m[r] * in[0] + m.m[4 + r] * in[1] + m.m[8 + r] * in[2] + m.m[12 + r] * in[3];
    if (clip[3] == 0.0)
        return false;
    out->x = (clip[0] / clip[3]) * 0.5 + 0.5;
    out->y = (clip[1] / clip[3]) * 0.5 + 0.5;
    out->z = (clip[2] / clip[3]) * 0.5 + 0.5;
    return true;
}

double camera_near_plane_side(const Matrix4& m, const Vector3& p)
{
    // Rows 2 (z) and 3 (w) of m applied to (p, 1).
    const double z = m.m[2] * p.x + m.m[6] * p.y + m.m[10] * p.z + m.m[14];
    const double w = m.m[3] * p.x + m.m[7] * p.y + m.m[11] * p.z + m.m[15];
    return z + w;
}

Vector3 camera_near_plane_crossing(const Vector3& a, const Vector3& b, double side_a, double side_b)
{
    // The clip coordinates are affine in the point, so the side is too.
    const double t = side_a / (side_a - side_b);
    return {a.x + t * (b.x - a.x), a.y + t * (b.y - a.y), a.z + t * (b.z - a.z)};
}

bool camera_clip_segment_to_near_plane(const Matrix4& m, Vector3* a, Vector3* b)
{
    const double side_a = camera_near_plane_side(m, *a), side_b = camera_near_plane_side(m, *b);
    if (!(side_a >= 0) && !(side_b >= 0))
        return false;
    if (side_a < 0)
        *a = camera_near_plane_crossing(*a, *b, side_a, side_b);
    else if (side_b < 0)
        *b = camera_near_plane_crossing(*a, *b, side_a, side_b);
    return true;
}

void camera_gl_matrices(const CameraView& view, int width, int height, double model_view[16],
                        double projection[16], int viewport_rect[4])
{
    const Matrix4 camera = camera_model_view_matrix(view);
    const Matrix4 identity = camera_identity_matrix();
    for (int k = 0; k < 16; ++k) {
        model_view[k] = camera.m[k];
        projection[k] = identity.m[k];
    }
    viewport_rect[0] = 0;
    viewport_rect[1] = 0;
    viewport_rect[2] = width;
    viewport_rect[3] = height;
}
