#include "report/emg_kinematics.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

constexpr double degrees_per_radian = 180.0 / 3.14159265358979323846;

inline Vector3 minus(const Vector3& a, const Vector3& b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

inline Vector3 scaled(const Vector3& v, double s)
{
    return {v.x * s, v.y * s, v.z * s};
}

inline double dot(const Vector3& a, const Vector3& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

inline Vector3 cross(const Vector3& a, const Vector3& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

inline bool finite(const Vector3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// The triangle's frame: e1 along right - left, e2 the part of incisal -
// middle across e1, e3 = e1 x e2. False when degenerate.
inline bool triangle_frame(const Vector3& left, const Vector3& incisal, const Vector3& right, Vector3 e[3])
{
    const Vector3 across = minus(right, left);
    const double across_length = std::sqrt(dot(across, across));
    if (!(across_length > 0.0) || !std::isfinite(across_length))
        return false;
    e[0] = scaled(across, 1.0 / across_length);
    const Vector3 middle{(left.x + right.x) / 2.0, (left.y + right.y) / 2.0, (left.z + right.z) / 2.0};
    const Vector3 forward = minus(incisal, middle);
    const Vector3 ant = minus(forward, scaled(e[0], dot(forward, e[0])));
    const double ant_length = std::sqrt(dot(ant, ant));
    // The incisal point on the intercondylar line, up to rounding.
    if (!(ant_length > 1e-9 * std::sqrt(dot(forward, forward))) || !std::isfinite(ant_length))
        return false;
    e[1] = scaled(ant, 1.0 / ant_length);
    e[2] = cross(e[0], e[1]);
    return true;
}

}  // namespace

std::optional<EmgAnatomicalFrame> emg_anatomical_frame(const EmgReport* report)
{
    if (report == nullptr)
        return std::nullopt;
    const Vector3& l0 = report->calibration_left;
    const Vector3& i0 = report->calibration_incisal;
    const Vector3& r0 = report->calibration_right;
    Vector3 e[3];
    if (!finite(l0) || !finite(i0) || !finite(r0) || !triangle_frame(l0, i0, r0, e))
        return std::nullopt;
    return EmgAnatomicalFrame{{(l0.x + r0.x) / 2.0, (l0.y + r0.y) / 2.0, (l0.z + r0.z) / 2.0}, e[0], e[1], e[2]};
}

namespace {

// The anatomical axis c turned with the jaw, in anatomical components. The
// calibration triangle's frame F0 is the anatomical frame A itself, so the
// rotation written in anatomical terms is A^T F F0^T A = A^T F, whose
// column c is the sample triangle's axis c seen in the anatomical frame.
inline Vector3 turned_axis(const EmgAnatomicalFrame& frame, const Vector3& world)
{
    return {dot(world, frame.lat), dot(world, frame.ant), dot(world, frame.up)};
}

}  // namespace

std::optional<EmgJawRotation> emg_jaw_rotation(const EmgAnatomicalFrame* frame, const EmgDataPoint* sample)
{
    Vector3 e[3];
    if (frame == nullptr || sample == nullptr ||
        !triangle_frame(sample->left, sample->incisal, sample->right, e))
        return std::nullopt;
    // With x = lat, y = ant, z = up and R = Rz(phi) Rx(theta) Ry(psi), the
    // turned ant is (-sin phi cos theta, cos phi cos theta, sin theta) and
    // the last row of R is (-cos theta sin psi, sin theta, cos theta cos psi).
    const Vector3 lat = turned_axis(*frame, e[0]);
    const Vector3 ant = turned_axis(*frame, e[1]);
    const Vector3 up = turned_axis(*frame, e[2]);
    EmgJawRotation rotation;
    rotation.opening_deg = -std::atan2(ant.z, std::hypot(ant.x, ant.y)) * degrees_per_radian;
    rotation.lateral_deg = std::atan2(ant.x, ant.y) * degrees_per_radian;
    rotation.tilt_deg = std::atan2(-lat.z, up.z) * degrees_per_radian;
    return rotation;
}

double emg_jaw_opening_deg(const EmgAnatomicalFrame* frame, const EmgDataPoint* sample)
{
    Vector3 e[3];
    if (!triangle_frame(sample->left, sample->incisal, sample->right, e))
        return std::nan("");
    const Vector3 ant = turned_axis(*frame, e[1]);
    const double opening = -std::atan2(ant.z, std::hypot(ant.x, ant.y)) * degrees_per_radian;
    return std::isfinite(opening) ? opening : std::nan("");
}

double emg_jaw_opening_sine(const EmgAnatomicalFrame* frame, const EmgDataPoint* sample)
{
    Vector3 e[3];
    if (!triangle_frame(sample->left, sample->incisal, sample->right, e))
        return std::nan("");
    return dot(e[1], frame->up);
}

double emg_jaw_opening_of_sine(double sine)
{
    return -std::asin(std::clamp(sine, -1.0, 1.0)) * degrees_per_radian;
}

bool emg_reference_plane_parse(std::string_view text, EmgReferencePlane* plane)
{
    const std::size_t comma = text.find(',');
    const std::string_view word = text.substr(0, comma);
    EmgReferencePlane parsed;
    if (word == "recording")
        parsed.kind = EmgReferencePlaneKind::recording;
    else if (word == "calibration")
        parsed.kind = EmgReferencePlaneKind::calibration;
    else
        return false;
    if (comma != std::string_view::npos) {
        const std::string_view tilt = text.substr(comma + 1);
        const char* first = tilt.data();
        const char* last = tilt.data() + tilt.size();
        if (first != last && *first == '+')
            ++first;
        const auto [stop, error] = std::from_chars(first, last, parsed.tilt_deg);
        if (error != std::errc() || stop != last || !std::isfinite(parsed.tilt_deg) ||
            std::fabs(parsed.tilt_deg) > 90.0)
            return false;
    }
    *plane = parsed;
    return true;
}

const char* emg_reference_plane_name(EmgReferencePlaneKind kind)
{
    return kind == EmgReferencePlaneKind::calibration ? "calibration" : "recording";
}

std::optional<EmgReferenceFrame> emg_reference_frame(const EmgReport* report, const EmgReferencePlane& plane)
{
    const std::optional<EmgAnatomicalFrame> frame = emg_anatomical_frame(report);
    if (!frame || !std::isfinite(plane.tilt_deg))
        return std::nullopt;
    Vector3 up = frame->up;
    if (plane.kind == EmgReferencePlaneKind::recording) {
        // The recording axis, with its sign, closest to the calibration's up.
        const double components[3] = {frame->up.x, frame->up.y, frame->up.z};
        int axis = 0;
        for (int k = 1; k < 3; ++k)
            if (std::fabs(components[k]) > std::fabs(components[axis]))
                axis = k;
        const double sign = components[axis] < 0.0 ? -1.0 : 1.0;
        up = {axis == 0 ? sign : 0.0, axis == 1 ? sign : 0.0, axis == 2 ? sign : 0.0};
        // Within the sagittal plane.
        up = minus(up, scaled(frame->lat, dot(up, frame->lat)));
        const double length = std::sqrt(dot(up, up));
        if (!(length > 1e-9))
            return std::nullopt;
        up = scaled(up, 1.0 / length);
    }
    Vector3 ant = cross(up, frame->lat);
    // The tilt turns the plane's anterior end up: about lat, ant goes toward up.
    const double t = plane.tilt_deg / degrees_per_radian;
    const Vector3 tilted_ant{ant.x * std::cos(t) + up.x * std::sin(t), ant.y * std::cos(t) + up.y * std::sin(t),
                             ant.z * std::cos(t) + up.z * std::sin(t)};
    const Vector3 tilted_up = cross(frame->lat, tilted_ant);
    return EmgReferenceFrame{frame->lat, tilted_ant, tilted_up};
}
