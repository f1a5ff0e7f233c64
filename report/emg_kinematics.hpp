// Kinematics: the jaw's own movement from its calibrated pose, and the
// horizontal reference plane against which condylar angles are read.
//
// The anatomical frame of a report's calibration (L0, I0, R0: left condyle,
// incisal point, right condyle):
//   origin O = (L0 + R0) / 2;
//   `lat` = unit(R0 - L0), towards the right condyle;
//   `ant` = unit of (I0 - O) without its part along `lat`, towards the incisal point;
//   `up`  = lat x ant.
//
// The jaw's rotation at a sample is the rotation that carries the
// calibration triangle onto the sample's triangle (L, I, R). It is taken from
// the triangles' own orthonormal frames (e1 along R - L, e2 the part of
// I - (L + R) / 2 across e1, e3 = e1 x e2): R = F F0^T, which is the exact
// rigid rotation on rigid data. It is written in the anatomical frame and
// split, in this order, into
//   lateral rotation about `up` (positive when the incisal point goes to the
//   subject's right), then
//   opening about the turned `lat` (positive when the incisal point goes
//   down), then
//   tilt about the turned `ant` (positive when the right condyle goes down):
//   R = Rup(-lateral) Rlat(-opening) Rant(tilt).
// The opening is thus the angle by which the jaw's forward direction has
// dropped below the calibrated horizontal, whatever the sideways turn.
//
// Nothing here touches SDL or OpenGL.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "report/emg_processing.hpp"

struct EmgAnatomicalFrame {
    Vector3 origin;
    Vector3 lat;
    Vector3 ant;
    Vector3 up;
};

// The frame of the report's calibration; none when it cannot be built
// (L0 = R0, I0 on the line through them, a value that is not finite).
std::optional<EmgAnatomicalFrame> emg_anatomical_frame(const EmgReport* report);

// The jaw's rotation from its calibrated pose, in degrees.
struct EmgJawRotation {
    double opening_deg;
    double lateral_deg;
    double tilt_deg;
};

// The jaw's rotation at a sample, against the anatomical frame of its
// report; none when the sample's triangle is degenerate or not finite.
std::optional<EmgJawRotation> emg_jaw_rotation(const EmgAnatomicalFrame* frame, const EmgDataPoint* sample);

// Only the opening (the cheapest part), NaN where emg_jaw_rotation has none.
double emg_jaw_opening_deg(const EmgAnatomicalFrame* frame, const EmgDataPoint* sample);

// The sine of the opening's negative: the `up` component of the jaw's
// turned forward axis, NaN where emg_jaw_rotation has none. The opening
// falls as it grows, so a scan for the largest opening compares these and
// takes one arc sine at the end (emg_jaw_opening_of_sine).
double emg_jaw_opening_sine(const EmgAnatomicalFrame* frame, const EmgDataPoint* sample);
double emg_jaw_opening_of_sine(double sine);

// ---------------------------------------------------------------------------
// The horizontal reference plane.
//   recording: the recording's own horizontal plane; its up is the recording
//     axis, with its sign, closest to the calibration's `up` (right for a
//     head frame aligned to the axis-orbital or Frankfort plane);
//   calibration: the plane through the condyles and the incisal point.
// Either is then turned by `tilt_deg` about `lat`, its anterior end going up
// for a positive tilt, so every angle read against it grows by the tilt.
// ---------------------------------------------------------------------------

enum class EmgReferencePlaneKind { recording, calibration };

struct EmgReferencePlane {
    EmgReferencePlaneKind kind = EmgReferencePlaneKind::recording;
    double tilt_deg = 0.0;
};

// "recording", "calibration", each optionally followed by ",TILT" (degrees,
// finite, within +-90). False, leaving *plane untouched, for anything else.
bool emg_reference_plane_parse(std::string_view text, EmgReferencePlane* plane);
const char* emg_reference_plane_name(EmgReferencePlaneKind kind);

// The sagittal frame of the reference plane: `lat` as in the anatomical
// frame, `up` the plane's normal within the sagittal plane, ant = up x lat.
struct EmgReferenceFrame {
    Vector3 lat;
    Vector3 ant;
    Vector3 up;
};
std::optional<EmgReferenceFrame> emg_reference_frame(const EmgReport* report, const EmgReferencePlane& plane);
