// Synthetic jaw-motion reports: the demo report, the realistic cases of the
// tests, the benchmark input and the fuzzing seeds all come from here.
//
// Head frame, in millimetres, right-handed, oriented like the viewer's
// standard views ("Frontal" looks back along -x, "Sagittal from the right"
// looks along -z):
//   x: forward (anterior), y: up, z: toward the subject's right.
//   Origin: the midpoint between the two condyles at rest.
//   At rest: right condyle (0, 0, 50), left condyle (0, 0, -50),
//   incisal point (95, -40, 0).
//
// The mandible is a rigid body. Each condyle glides along its articular
// eminence, forward and down (x = g, y = -0.70 g + 0.008 g^2 for a glide of g
// mm, about 34 degrees below the horizontal over its first 5 mm); the body
// turns about the intercondylar axis through the two condyles by the opening
// angle. When one condyle glides farther than the other (laterotrusion,
// chewing) the farther one, the balancing (mediotrusive) condyle, runs 5
// degrees steeper and moves medially by an immediate side shift of 0.6 mm
// over its first millimetre and then 10 degrees off the sagittal plane (its
// Bennett angle), both in the share of its glide that the other condyle does
// not make; the working condyle keeps the condyles 100 mm apart, which turns
// the jaw about it and shifts it sideways.
//
// Exercises cycle through five movements: opening and closing (about 45 mm
// incisal opening), protrusion, laterotrusion to the left, laterotrusion to
// the right and chewing on the right side. Positions carry Gaussian noise of
// 0.02 mm. The optional angle columns hold the opening angle, the turn of the
// intercondylar axis about the vertical (positive when the chin moves to the
// subject's right) and its roll seen from the front (positive clockwise, when
// the left condyle is lower); the optional EMG columns hold the envelopes of
// the right (channel 1) and left (channel 2) masseter in mV. The channel
// columns are written after the angle columns when both are asked for; the
// viewer only reads channels that follow the angle columns.
//
// Every value is a function of the options, the exercise and the sample index,
// so a test can compare any loaded sample with report_generator_sample().
//
// Known kinematics: when the options list `known` exercises, the report holds
// those instead, exact (no noise, calibration at rest). Each is a rigid
// movement of the whole jaw in the anatomical frame of the rest position
// (lat: left to right condyle, z; ant: towards the incisal point, across
// lat; up = lat x ant), ramped linearly from rest to its full amount and back
// `cycles` times, the full amount reached on samples i with
// 2 * cycles * i / (n - 1) odd:
//   hinge: opening by `amount` degrees about the intercondylar axis;
//   protrusion: `amount` mm forward along ant;
//   glide: `amount` mm along the eminence, `inclination` degrees below ant;
//   laterotrusion_right / _left: `amount` degrees about an axis through the
//   right / left condyle, the chin moving to that side; the axis is the
//   vertical tilted forward by `inclination`, so that the other condyle
//   glides forward, medially and `inclination` degrees down;
//   hinge with `deflection` and `deviation`: the jaw also moves to the right
//   (negative: left) by s * deflection + sin(pi s) * deviation mm;
//   recording_glide: `amount` mm forward along the recording's x axis,
//   `inclination` degrees below its horizontal (y up);
//   side_shift_right / _left: the jaw moves to that side while the other
//   (mediotrusive) condyle glides `amount` mm forward along the recording's
//   x axis, `inclination` degrees down, and medially by
//   side_shift * min(1, f / 0.5 mm) + f tan(bennett) at f mm forward; the
//   working condyle keeps the condyles apart, the body follows rigidly.
#pragma once

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

enum class KnownMovement {
    hinge,
    protrusion,
    glide,
    laterotrusion_right,
    laterotrusion_left,
    recording_glide,
    side_shift_right,
    side_shift_left
};

struct KnownExercise {
    KnownMovement movement = KnownMovement::hinge;
    double amount = 0.0;       // degrees (hinge, laterotrusion) or mm (protrusion, glides, side shifts)
    double inclination = 0.0;  // glides, laterotrusion, side shifts: degrees below the anterior axis
    int cycles = 1;            // out and back, at least 1
    double deflection = 0.0;   // hinge: mm to the right at the full opening
    double deviation = 0.0;    // hinge: mm to the right half-way, back at the full opening
    double side_shift = 0.0;   // side shifts: the immediate side shift, mm
    double bennett = 0.0;      // side shifts: degrees
};

struct ReportGeneratorOptions {
    double frequency = 100.0;  // Hz
    double duration = 10.0;    // seconds per exercise
    int exercises = 4;         // 0 to 1000
    bool angles = false;       // "Open,deg", "Lat.Right,deg", "Clockwise,deg"
    bool emg = false;          // "Channel1,mV", "Channel2,mV"
    std::uint64_t seed = 1;
    std::vector<KnownExercise> known;  // when not empty: these exercises instead
    bool neutral_names = false;        // exercises named "Exercise N", telling no type
    // A later recording of the same subject (the movements, not the known
    // ones): the opening exercises open `wider_opening` mm more (the largest
    // vertical opening, in the calibration's anatomical frame), the balancing
    // condyle's immediate side shift is `side_shift` mm, and the device sits
    // elsewhere: every position written, the calibration's included, is
    // turned by `device_turn` degrees about `device_axis` through the head
    // frame's origin and then moved by `device_shift` mm. The noise is the
    // same as the first recording's, drawn before the device's move.
    double wider_opening = 0.0;
    double side_shift = 0.6;
    double device_turn = 0.0;
    std::array<double, 3> device_axis{0.0, 1.0, 0.0};
    std::array<double, 3> device_shift{0.0, 0.0, 0.0};
};

struct GeneratedPoint {
    double x;
    double y;
    double z;
};

// One sample as written to the file, before rounding to the file's decimals
// (3 for positions and angles, 4 for the channels).
struct GeneratedSample {
    std::int32_t time;  // ms
    GeneratedPoint right;
    GeneratedPoint left;
    GeneratedPoint incisal;
    double open;       // degrees
    double lat_right;  // degrees
    double clockwise;  // degrees
    double channel1;   // mV
    double channel2;   // mV
};

enum class GeneratedMovement { opening, protrusion, laterotrusion_left, laterotrusion_right, chewing };

namespace report_generator_detail {

constexpr double pi = 3.14159265358979323846;
constexpr double condyle_half_distance = 50.0;
constexpr GeneratedPoint incisal_at_rest{95.0, -40.0, 0.0};
constexpr double position_noise = 0.02;  // mm
constexpr double angle_noise = 0.02;     // degrees

inline std::uint64_t mix(std::uint64_t x)
{
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

// A standard normal number that depends only on its four keys.
inline double gaussian(std::uint64_t seed, std::uint64_t exercise, std::uint64_t index, std::uint64_t channel)
{
    const std::uint64_t h = mix(mix(mix(mix(seed) ^ exercise) ^ index) ^ channel);
    const double u1 = (static_cast<double>(h >> 11) + 1.0) / 9007199254740993.0;  // (0, 1]
    const double u2 = static_cast<double>(mix(h) >> 11) / 9007199254740992.0;     // [0, 1)
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * pi * u2);
}

inline double smooth(double x)
{
    x = std::clamp(x, 0.0, 1.0);
    return 0.5 - 0.5 * std::cos(pi * x);
}

// A slow movement cycle: rest, move out, hold, move back, rest.
inline double cycle_profile(double phase)
{
    if (phase < 0.45)
        return smooth((phase - 0.10) / 0.35);
    return 1.0 - smooth((phase - 0.55) / 0.35);
}

struct Pose {
    double opening;       // radians
    double glide_right;   // mm
    double glide_left;    // mm
};

inline Pose movement_pose(GeneratedMovement movement, double t, double opening_deg = 26.0)
{
    switch (movement) {
    case GeneratedMovement::opening: {
        const double s = cycle_profile(std::fmod(t, 4.0) / 4.0);
        const double glide = 11.0 * std::pow(s, 1.4);  // the condyles glide mostly late in the opening
        return {opening_deg * pi / 180.0 * s, glide, glide};
    }
    case GeneratedMovement::protrusion: {
        // The incisors slide along each other: the jaw closes a little as
        // the condyles go down the eminences.
        const double s = cycle_profile(std::fmod(t, 4.0) / 4.0);
        return {-1.5 * pi / 180.0 * s, 9.0 * s, 9.0 * s};
    }
    case GeneratedMovement::laterotrusion_left: {
        const double s = cycle_profile(std::fmod(t, 4.0) / 4.0);
        return {3.0 * pi / 180.0 * s, 9.5 * s, 0.6 * s};
    }
    case GeneratedMovement::laterotrusion_right: {
        const double s = cycle_profile(std::fmod(t, 4.0) / 4.0);
        return {3.0 * pi / 180.0 * s, 0.6 * s, 9.5 * s};
    }
    case GeneratedMovement::chewing: {
        // Open near the midline, close from the chewing (right) side: the
        // left condyle glides most while the jaw closes.
        const double phase = std::fmod(t, 0.8) / 0.8;
        const double open = std::sin(pi * phase) * std::sin(pi * phase);
        const double side = smooth((phase - 0.3) / 0.35) * (1.0 - smooth((phase - 0.65) / 0.35));
        return {9.0 * pi / 180.0 * open, 2.5 * open, 2.5 * open + 4.0 * side};
    }
    }
    return {0.0, 0.0, 0.0};
}

inline GeneratedPoint eminence(double glide)
{
    return {glide, -0.70 * glide + 0.008 * glide * glide, 0.0};
}

// The balancing condyle's extra movement for the share `asymmetry` of its
// glide g that the working condyle does not make: 5 degrees steeper, and
// medially an immediate side shift of 0.6 mm and then 10 degrees off the
// sagittal plane.
inline double balancing_drop(double glide, double asymmetry)
{
    return asymmetry * std::tan(5.0 * pi / 180.0) * glide;
}

inline double balancing_shift(double glide, double asymmetry, double side_shift = 0.6)
{
    return asymmetry * (side_shift * smooth(glide / 1.0) + std::tan(10.0 * pi / 180.0) * glide);
}

// Rotation of v about the unit axis u by angle a (right-handed).
inline GeneratedPoint rotate(const GeneratedPoint& v, const GeneratedPoint& u, double a)
{
    const double c = std::cos(a);
    const double s = std::sin(a);
    const double d = u.x * v.x + u.y * v.y + u.z * v.z;
    const GeneratedPoint x{u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
    return {v.x * c + x.x * s + u.x * d * (1.0 - c), v.y * c + x.y * s + u.y * d * (1.0 - c),
            v.z * c + x.z * s + u.z * d * (1.0 - c)};
}

struct JawPlacement {
    GeneratedPoint right;
    GeneratedPoint left;
    GeneratedPoint incisal;
    GeneratedPoint axis;  // unit, from the left to the right condyle
};

inline JawPlacement place_jaw(const Pose& pose, double side_shift = 0.6)
{
    const GeneratedPoint er = eminence(pose.glide_right);
    const GeneratedPoint el = eminence(pose.glide_left);
    GeneratedPoint right{er.x, er.y, condyle_half_distance};
    GeneratedPoint left{el.x, el.y, -condyle_half_distance};
    // The balancing condyle runs steeper and shifts medially; the working
    // condyle keeps the condyles 100 mm apart.
    const double balancing = std::max(pose.glide_left, pose.glide_right);
    const double asymmetry = balancing > 0.0 ? std::fabs(pose.glide_left - pose.glide_right) / balancing : 0.0;
    GeneratedPoint& moving = pose.glide_left > pose.glide_right ? left : right;
    moving.y -= balancing_drop(balancing, asymmetry);
    moving.z += (pose.glide_left > pose.glide_right ? 1.0 : -1.0) * balancing_shift(balancing, asymmetry, side_shift);
    const double dx = right.x - left.x;
    const double dy = right.y - left.y;
    const double dz = std::sqrt(4.0 * condyle_half_distance * condyle_half_distance - dx * dx - dy * dy);
    if (pose.glide_left > pose.glide_right)
        right.z = left.z + dz;
    else
        left.z = right.z - dz;
    const double span = 2.0 * condyle_half_distance;
    const GeneratedPoint axis{(right.x - left.x) / span, (right.y - left.y) / span, (right.z - left.z) / span};
    const GeneratedPoint middle{(right.x + left.x) / 2.0, (right.y + left.y) / 2.0, (right.z + left.z) / 2.0};

    // Carry the rest frame's z axis onto the condylar axis, then open about it
    // (opening turns the chin down and back: negative about the axis).
    GeneratedPoint incisal = incisal_at_rest;
    const GeneratedPoint z{0.0, 0.0, 1.0};
    const GeneratedPoint turn{z.y * axis.z - z.z * axis.y, z.z * axis.x - z.x * axis.z, z.x * axis.y - z.y * axis.x};
    const double turn_length = std::sqrt(turn.x * turn.x + turn.y * turn.y + turn.z * turn.z);
    if (turn_length > 0.0) {
        const GeneratedPoint unit{turn.x / turn_length, turn.y / turn_length, turn.z / turn_length};
        incisal = rotate(incisal, unit, std::atan2(turn_length, axis.z));
    }
    incisal = rotate(incisal, axis, -pose.opening);
    return {right, left, {middle.x + incisal.x, middle.y + incisal.y, middle.z + incisal.z}, axis};
}

// The anatomical frame of the rest position and the rigid movement of a
// known exercise at a fraction `s` of its full amount.
inline JawPlacement known_placement(const KnownExercise& known, double s)
{
    const JawPlacement rest = place_jaw({0.0, 0.0, 0.0});
    const GeneratedPoint lat{0.0, 0.0, 1.0};
    const double reach = std::hypot(incisal_at_rest.x, incisal_at_rest.y);
    const GeneratedPoint ant{incisal_at_rest.x / reach, incisal_at_rest.y / reach, 0.0};
    const GeneratedPoint up{-ant.y, ant.x, 0.0};  // lat x ant
    const auto turned = [](const GeneratedPoint& p, const GeneratedPoint& pivot, const GeneratedPoint& axis,
                           double angle) {
        const GeneratedPoint r = rotate({p.x - pivot.x, p.y - pivot.y, p.z - pivot.z}, axis, angle);
        return GeneratedPoint{pivot.x + r.x, pivot.y + r.y, pivot.z + r.z};
    };
    const auto moved = [](const GeneratedPoint& p, const GeneratedPoint& by, double length) {
        return GeneratedPoint{p.x + by.x * length, p.y + by.y * length, p.z + by.z * length};
    };
    const double angle = s * known.amount * pi / 180.0;
    const GeneratedPoint middle{0.0, 0.0, 0.0};
    JawPlacement jaw = rest;
    switch (known.movement) {
    case KnownMovement::hinge: {  // the chin goes down: negative about lat
        const double sideways = s * known.deflection + std::sin(pi * s) * known.deviation;
        for (GeneratedPoint* p : {&jaw.right, &jaw.left, &jaw.incisal})
            *p = moved(turned(*p, middle, lat, -angle), lat, sideways);
        break;
    }
    case KnownMovement::recording_glide: {
        const double a = known.inclination * pi / 180.0;
        for (GeneratedPoint* p : {&jaw.right, &jaw.left, &jaw.incisal})
            *p = moved(*p, {std::cos(a), -std::sin(a), 0.0}, s * known.amount);
        break;
    }
    case KnownMovement::side_shift_right:
    case KnownMovement::side_shift_left: {
        // The mediotrusive condyle on its path; the working one across from
        // it; the body carried along with the condylar axis.
        const bool to_right = known.movement == KnownMovement::side_shift_right;
        const double f = s * known.amount;
        const double medial = known.side_shift * std::min(1.0, f / 0.5) + f * std::tan(known.bennett * pi / 180.0);
        const double drop = f * std::tan(known.inclination * pi / 180.0);
        GeneratedPoint& mediotrusive = to_right ? jaw.left : jaw.right;
        GeneratedPoint& working = to_right ? jaw.right : jaw.left;
        mediotrusive = {f, -drop, mediotrusive.z + (to_right ? medial : -medial)};
        const double span = 2.0 * condyle_half_distance;
        const double across = std::sqrt(span * span - f * f - drop * drop);
        working = {0.0, 0.0, mediotrusive.z + (to_right ? across : -across)};
        const GeneratedPoint axis{(jaw.right.x - jaw.left.x) / span, (jaw.right.y - jaw.left.y) / span,
                                  (jaw.right.z - jaw.left.z) / span};
        const GeneratedPoint turn{-axis.y, axis.x, 0.0};  // z x axis
        const double turn_length = std::hypot(turn.x, turn.y);
        GeneratedPoint incisal = incisal_at_rest;
        if (turn_length > 0.0)
            incisal = rotate(incisal, {turn.x / turn_length, turn.y / turn_length, 0.0},
                             std::atan2(turn_length, axis.z));
        jaw.incisal = {(jaw.right.x + jaw.left.x) / 2.0 + incisal.x, (jaw.right.y + jaw.left.y) / 2.0 + incisal.y,
                       (jaw.right.z + jaw.left.z) / 2.0 + incisal.z};
        break;
    }
    case KnownMovement::protrusion:
        for (GeneratedPoint* p : {&jaw.right, &jaw.left, &jaw.incisal})
            *p = moved(*p, ant, s * known.amount);
        break;
    case KnownMovement::glide: {
        const double a = known.inclination * pi / 180.0;
        const GeneratedPoint path{std::cos(a) * ant.x - std::sin(a) * up.x, std::cos(a) * ant.y - std::sin(a) * up.y,
                                  0.0};
        for (GeneratedPoint* p : {&jaw.right, &jaw.left, &jaw.incisal})
            *p = moved(*p, path, s * known.amount);
        break;
    }
    case KnownMovement::laterotrusion_right:
    case KnownMovement::laterotrusion_left: {
        // About an axis through the working condyle, tilted from up towards
        // ant so that the balancing condyle sets off along the glide.
        const double a = known.inclination * pi / 180.0;
        const bool to_right = known.movement == KnownMovement::laterotrusion_right;
        const double sign = to_right ? -1.0 : 1.0;
        const GeneratedPoint axis{sign * (std::cos(a) * up.x + std::sin(a) * ant.x),
                                  sign * (std::cos(a) * up.y + std::sin(a) * ant.y), 0.0};
        const GeneratedPoint& pivot = to_right ? rest.right : rest.left;
        for (GeneratedPoint* p : {&jaw.right, &jaw.left, &jaw.incisal})
            *p = turned(*p, pivot, axis, angle);
        break;
    }
    }
    return jaw;
}

// The ramp of a known exercise: 0 at rest, 1 at the full amount.
inline double known_ramp(const KnownExercise& known, std::int32_t index, std::int32_t samples)
{
    if (samples < 2)
        return 0.0;
    const std::int64_t span = samples - 1;
    const std::int64_t k = (2 * std::max(known.cycles, 1) * static_cast<std::int64_t>(index)) % (2 * span);
    return static_cast<double>(k <= span ? k : 2 * span - k) / static_cast<double>(span);
}

// The opening angle (degrees) at which the opening exercise's largest
// vertical opening is `wider` mm more than at 26 degrees: the vertical
// opening grows with the angle, so halving the interval finds it.
inline double opening_angle_for(double wider)
{
    const JawPlacement rest = place_jaw({0.0, 0.0, 0.0});
    const double reach = std::hypot(incisal_at_rest.x, incisal_at_rest.y);
    const GeneratedPoint up{-incisal_at_rest.y / reach, incisal_at_rest.x / reach, 0.0};
    const auto vertical = [&](double degrees) {
        const JawPlacement jaw = place_jaw({degrees * pi / 180.0, 11.0, 11.0});
        return -((jaw.incisal.x - rest.incisal.x) * up.x + (jaw.incisal.y - rest.incisal.y) * up.y);
    };
    const double goal = vertical(26.0) + wider;
    double low = 0.0, high = 89.0;
    for (int k = 0; k < 100; ++k) {
        const double middle = (low + high) / 2.0;
        (vertical(middle) < goal ? low : high) = middle;
    }
    return (low + high) / 2.0;
}

// Where the device, placed as the options say, records a point of the head frame.
inline GeneratedPoint on_device(const ReportGeneratorOptions& options, const GeneratedPoint& p)
{
    const auto& [ax, ay, az] = options.device_axis;
    const double length = std::sqrt(ax * ax + ay * ay + az * az);
    const GeneratedPoint r =
        length > 0.0 ? rotate(p, {ax / length, ay / length, az / length}, options.device_turn * pi / 180.0) : p;
    return {r.x + options.device_shift[0], r.y + options.device_shift[1], r.z + options.device_shift[2]};
}

inline bool device_moved(const ReportGeneratorOptions& options)
{
    return options.device_turn != 0.0 || options.device_shift != std::array<double, 3>{0.0, 0.0, 0.0};
}

inline void append(std::string* out, double value, int decimals)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    out->append(buffer, result.ptr);
}

}  // namespace report_generator_detail

inline GeneratedMovement report_generator_movement(int exercise)
{
    return static_cast<GeneratedMovement>(exercise % 5);
}

inline std::string report_generator_exercise_name(int exercise)
{
    static constexpr const char* names[] = {"Opening and closing", "Protrusion", "Laterotrusion left",
                                            "Laterotrusion right", "Chewing"};
    std::string name = names[exercise % 5];
    if (exercise >= 5)
        name += " (" + std::to_string(exercise / 5 + 1) + ")";
    return name;
}

// The name of a known exercise, e.g. "Known hinge 20".
inline std::string report_generator_known_name(const KnownExercise& known)
{
    static constexpr const char* names[] = {"hinge", "protrusion", "glide", "laterotrusion right",
                                            "laterotrusion left", "recording glide", "side shift right",
                                            "side shift left"};
    char amount[32];
    std::snprintf(amount, sizeof amount, " %g", known.amount);
    return std::string("Known ") + names[static_cast<int>(known.movement)] + amount;
}

// Samples per exercise: the duration at the frequency, at least one.
inline std::int32_t report_generator_sample_count(const ReportGeneratorOptions& options)
{
    const double n = std::floor(options.duration * options.frequency + 0.5);
    return static_cast<std::int32_t>(std::clamp(n, 1.0, 2147483647.0));
}

inline GeneratedSample report_generator_sample(const ReportGeneratorOptions& options, int exercise, std::int32_t index)
{
    using namespace report_generator_detail;
    const double t = index / options.frequency;
    if (!options.known.empty()) {
        const KnownExercise& known = options.known[static_cast<std::size_t>(exercise) % options.known.size()];
        const double s = known_ramp(known, index, report_generator_sample_count(options));
        const JawPlacement jaw = known_placement(known, s);
        GeneratedSample exact{};
        exact.time = static_cast<std::int32_t>(std::min(std::floor(t * 1000.0 + 0.5), 2147483647.0));
        std::tie(exact.right, exact.left, exact.incisal) = std::tie(jaw.right, jaw.left, jaw.incisal);
        exact.open = known.movement == KnownMovement::hinge ? s * known.amount : 0.0;
        return exact;
    }
    const double opening_deg = options.wider_opening != 0.0 ? opening_angle_for(options.wider_opening) : 26.0;
    const Pose pose = movement_pose(report_generator_movement(exercise), t, opening_deg);
    const JawPlacement jaw = place_jaw(pose, options.side_shift);

    const auto noise = [&](std::uint64_t channel) {
        return gaussian(options.seed, static_cast<std::uint64_t>(exercise), static_cast<std::uint64_t>(index), channel);
    };
    GeneratedSample s{};
    s.time = static_cast<std::int32_t>(std::min(std::floor(t * 1000.0 + 0.5), 2147483647.0));
    GeneratedPoint* const points[3] = {&s.right, &s.left, &s.incisal};
    const GeneratedPoint* const exact[3] = {&jaw.right, &jaw.left, &jaw.incisal};
    for (int p = 0; p < 3; ++p) {
        points[p]->x = exact[p]->x + position_noise * noise(3 * p);
        points[p]->y = exact[p]->y + position_noise * noise(3 * p + 1);
        points[p]->z = exact[p]->z + position_noise * noise(3 * p + 2);
        if (device_moved(options))
            *points[p] = on_device(options, *points[p]);
    }
    s.open = pose.opening * 180.0 / pi + angle_noise * noise(9);
    s.lat_right = std::atan2(-jaw.axis.x, jaw.axis.z) * 180.0 / pi + angle_noise * noise(10);
    s.clockwise = std::atan2(jaw.axis.y, jaw.axis.z) * 180.0 / pi + angle_noise * noise(11);

    // Masseter envelopes: a resting level, activity while moving, bursts
    // while closing on food on the chewing side.
    double right_activity = 0.02 * pose.opening;
    double left_activity = 0.02 * pose.opening;
    if (report_generator_movement(exercise) == GeneratedMovement::chewing) {
        const double closing = std::max(0.0, pose.glide_left - pose.glide_right) / 4.0;
        right_activity += 0.35 * closing;
        left_activity += 0.2 * closing;
    }
    s.channel1 = 0.008 + right_activity + 0.003 * std::fabs(noise(12));
    s.channel2 = 0.008 + left_activity + 0.003 * std::fabs(noise(13));
    return s;
}

// Where the jaw is at rest, as written on the "Calibr" line (with noise).
inline GeneratedSample report_generator_calibration(const ReportGeneratorOptions& options)
{
    using namespace report_generator_detail;
    const JawPlacement jaw = place_jaw({0.0, 0.0, 0.0});
    GeneratedSample s{};
    if (!options.known.empty()) {
        std::tie(s.right, s.left, s.incisal) = std::tie(jaw.right, jaw.left, jaw.incisal);
        return s;
    }
    GeneratedPoint* const points[3] = {&s.right, &s.left, &s.incisal};
    const GeneratedPoint* const exact[3] = {&jaw.right, &jaw.left, &jaw.incisal};
    for (int p = 0; p < 3; ++p) {
        points[p]->x = exact[p]->x + position_noise * gaussian(options.seed, ~0ULL, 0, 3 * p);
        points[p]->y = exact[p]->y + position_noise * gaussian(options.seed, ~0ULL, 0, 3 * p + 1);
        points[p]->z = exact[p]->z + position_noise * gaussian(options.seed, ~0ULL, 0, 3 * p + 2);
        if (device_moved(options))
            *points[p] = on_device(options, *points[p]);
    }
    return s;
}

// Writes a whole report; false when writing failed.
inline bool report_generator_write(std::FILE* out, const ReportGeneratorOptions& options)
{
    using report_generator_detail::append;
    const std::int32_t samples = report_generator_sample_count(options);
    const int exercises =
        options.known.empty() ? std::clamp(options.exercises, 0, 1000) : static_cast<int>(options.known.size());
    std::string text;

    text += "Exercises\n{\n";
    for (int e = 0; e < exercises; ++e) {
        const std::string name = options.neutral_names ? "Exercise " + std::to_string(e + 1)
                                 : options.known.empty()
                                     ? report_generator_exercise_name(e)
                                     : report_generator_known_name(options.known[static_cast<std::size_t>(e)]);
        text += std::to_string(e + 1) + "\t" + name + "\t";
        append(&text, e * options.duration, 3);
        text += "\t";
        append(&text, options.duration, 3);
        text += "\n";
    }
    text += "}\n";
    char number[64];
    const auto frequency = std::to_chars(number, number + sizeof number, options.frequency);
    text += "Frequency,Hz\t" + std::string(number, frequency.ptr) + "\n";
    text += "Count\t" + std::to_string(static_cast<std::int64_t>(samples) * exercises) + "\n";
    const GeneratedSample rest = report_generator_calibration(options);
    text += "Calibr";
    for (const GeneratedPoint* p : {&rest.right, &rest.left, &rest.incisal}) {
        for (double v : {p->x, p->y, p->z}) {
            text += "\t";
            append(&text, v, 3);
        }
    }
    text += "\nTime,ms\tRight.x,mm\tRight.y,mm\tRight.z,mm\tLeft.x,mm\tLeft.y,mm\tLeft.z,mm"
            "\tIncisal.x,mm\tIncisal.y,mm\tIncisal.z,mm";
    if (options.angles)
        text += "\tOpen,deg\tLat.Right,deg\tClockwise,deg";
    if (options.emg)
        text += "\tChannel1,mV\tChannel2,mV";
    text += "\n";

    bool ok = true;
    for (int e = 0; e < exercises && ok; ++e) {
        if (e > 0)
            text += "\n";
        for (std::int32_t i = 0; i < samples && ok; ++i) {
            const GeneratedSample s = report_generator_sample(options, e, i);
            text += std::to_string(s.time);
            for (const GeneratedPoint* p : {&s.right, &s.left, &s.incisal}) {
                for (double v : {p->x, p->y, p->z}) {
                    text += "\t";
                    append(&text, v, 3);
                }
            }
            if (options.angles) {
                for (double v : {s.open, s.lat_right, s.clockwise}) {
                    text += "\t";
                    append(&text, v, 3);
                }
            }
            if (options.emg) {
                for (double v : {s.channel1, s.channel2}) {
                    text += "\t";
                    append(&text, v, 4);
                }
            }
            text += "\n";
            if (text.size() >= (std::size_t{1} << 16)) {
                ok = std::fwrite(text.data(), 1, text.size(), out) == text.size();
                text.clear();
            }
        }
    }
    ok = ok && std::fwrite(text.data(), 1, text.size(), out) == text.size();
    return ok && std::fflush(out) == 0;
}

// Writes a report to a file; false when it cannot be written.
inline bool report_generator_write_file(const char* path, const ReportGeneratorOptions& options)
{
    std::FILE* out = std::fopen(path, "wb");
    if (out == nullptr)
        return false;
    const bool written = report_generator_write(out, options);
    return std::fclose(out) == 0 && written;
}
