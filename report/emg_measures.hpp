// Measures: the standard jaw-motion figures of an exercise, the clinical
// figures of its type, and their CSV.
//
// Every figure is taken in the anatomical frame of the report's calibration
// (emg_anatomical_frame: origin between the condyles, `lat` towards the
// right condyle, `ant` towards the incisal point, `up` = lat x ant), so it
// does not depend on the axes of the recording device, except the condylar
// angles, which are read against the chosen reference plane
// (emg_reference_frame). A displacement d of a point from its calibrated position has the
// components d.ant (forward), d.up (upward) and d.lat (to the right). When
// the frame cannot be built (L0 = R0, I0 on the line through them, a value
// that is not finite) the figures that need it are not available.
//
// Samples whose point is not finite are skipped by the figures of that
// point; a figure that no sample reaches is not available. Nothing here
// touches SDL or OpenGL, so the command line can measure without a display.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "report/emg_exercise_type.hpp"
#include "report/emg_kinematics.hpp"
#include "report/emg_processing.hpp"

// A condyle's path, D(t) = C(t) - C0, with tc the first sample of its
// largest |D|. The two angles need the frame and |D(tc)| of at least 1 mm.
struct EmgCondyleMeasures {
    std::optional<double> max_translation_mm;  // max |D(t)|
    std::optional<std::int32_t> max_translation_sample;  // tc
    std::optional<double> inclination_deg;     // atan2(-D(tc).up, D(tc).ant): positive going down as it goes forward
    std::optional<double> bennett_deg;         // atan2(medial part of D(tc), D(tc).ant)
};

// How the incisal point travels while the jaw opens (one opening stroke, or
// the worst of several), against the midline (d.lat = 0):
//   straight: within 2 mm of it all the way to the stroke's largest opening;
//   deviation: 2 mm or more away on the way, back within 2 mm at the largest opening;
//   deflection_right / _left: 2 mm or more to that side at the largest opening.
enum class EmgOpeningPattern { straight, deviation, deflection_right, deflection_left };
const char* emg_opening_pattern_name(EmgOpeningPattern pattern);

// The clinical figures of an exercise, those its type calls for; the others
// stay empty.
//
// Condylar inclination (protrusion, and the mediotrusive one of a
// laterotrusion): the chord from the condyle's calibrated place to the first
// sample where it is 5 mm away, in the sagittal plane of the reference frame
// (forward `ant`, vertical `up`): atan2(-chord.up, chord.ant), positive going
// down as it goes forward. Not available when the condyle never gets 5 mm away.
//
// Bennett angle and immediate side shift (laterotrusion): the mediotrusive
// condyle (the one away from the movement) on its way out to its farthest
// point; over the samples whose forward displacement f lies in [1, 5] mm,
// the least-squares line m = shift + f tan(angle) of its medial displacement
// m against f, both in the reference frame's horizontal plane.
//
// Fischer angle: the mediotrusive inclination minus the same condyle's
// inclination in the report's (first) protrusion exercise.
struct EmgClinicalFigures {
    EmgExerciseType type = EmgExerciseType::other;
    bool type_from_name = false;
    std::int64_t unreadable_values = 0;
    std::optional<double> max_opening_rotation_deg;  // the jaw's own opening (emg_jaw_rotation)
    std::optional<std::int32_t> max_opening_rotation_sample;
    std::optional<EmgOpeningPattern> opening_pattern;
    std::optional<double> condylar_inclination_left_deg;
    std::optional<std::int32_t> condylar_chord_left_sample;  // the chord's far end
    std::optional<double> condylar_inclination_right_deg;
    std::optional<std::int32_t> condylar_chord_right_sample;
    std::optional<double> bennett_angle_deg;
    std::optional<double> immediate_side_shift_mm;
    std::optional<double> mediotrusive_inclination_deg;
    std::optional<std::int32_t> mediotrusive_chord_sample;
    std::optional<double> fischer_angle_deg;
    std::optional<std::int32_t> chewing_cycles;
    std::optional<double> chewing_rate_per_min;
    EmgReferencePlane reference;
    // An opening whose incisal point mostly rises: the recording's axes
    // look mirrored.
    bool axes_mirrored = false;
};

// The figures of one exercise; the incisal ones with d(t) = I(t) - I0 and
// t* the first sample of the largest vertical opening.
struct EmgMeasures {
    std::int32_t samples = 0;
    std::optional<double> duration_s;                      // (samples - 1) / frequency
    std::optional<double> max_incisal_distance_mm;         // max |d|
    std::optional<double> max_vertical_opening_mm;         // max -d.up
    std::optional<std::int32_t> max_vertical_opening_sample;  // t*, the first sample of that opening
    std::optional<double> max_protrusion_mm;               // max d.ant
    std::optional<std::int32_t> max_protrusion_sample;
    std::optional<double> max_laterotrusion_right_mm;      // max d.lat
    std::optional<std::int32_t> max_laterotrusion_right_sample;
    std::optional<double> max_laterotrusion_left_mm;       // max -d.lat
    std::optional<std::int32_t> max_laterotrusion_left_sample;
    std::optional<double> deviation_at_max_opening_mm;     // d(t*).lat, positive to the right
    std::optional<double> max_deviation_while_opening_mm;  // the d.lat of largest magnitude over samples 0 to t*
    std::optional<double> max_opening_angle_deg;           // recorded angle, else the kinematic opening
    std::optional<std::int32_t> opening_movements;         // opening phases of the open/close analysis
    EmgCondyleMeasures left;
    EmgCondyleMeasures right;
    EmgClinicalFigures clinical;
};

// The figures of one exercise of the report, all but one in a single pass
// over its samples; the opening movements are counted by the open/close
// analysis's own scans (emg_count_opening_movements), so they are the
// stretches the viewer draws solid. The opening angle is the recorded one,
// or, when the report carries none, the one the viewer computes after
// loading (emg_opening_angle), so a report measured without the viewer gives
// the same figures. Null arguments give an empty record.
// `plane` is the reference plane of the condylar angles.
EmgMeasures emg_measures_of_exercise(const EmgReport* report, const EmgExercise* exercise,
                                     const EmgReferencePlane& plane = {});

// The figures of every exercise, in the report's order.
std::vector<EmgMeasures> emg_measures_of_report(const EmgReport* report, const EmgReferencePlane& plane = {});

// Prints a console line for every opening exercise whose incisal point
// mostly rises as the jaw opens: the recording's axes look mirrored.
void emg_measures_print_warnings(const EmgReport* report, const char* path);
// The same lines (each with its line feed), not printed.
std::string emg_measures_warnings(const EmgReport* report, const char* path);

// `value` with `decimals` digits after a decimal point, whatever the locale;
// a value that rounds to zero is written without a sign.
std::string emg_measures_format(double value, int decimals);

// ---------------------------------------------------------------------------
// CSV (RFC 4180: comma-separated, CRLF line ends, a field quoted when it
// holds a comma, a quote or a line break, quotes doubled). One row per
// exercise, numbers with four decimals, empty cells for what is not
// available. Both functions append to `out`, so one text can hold the rows
// of many reports under one header.
// ---------------------------------------------------------------------------

// The header line: report, exercise, name, samples, duration_s, then the
// figures in the order of EmgMeasures, then the clinical ones: exercise_type,
// exercise_type_from, unreadable_values, max_opening_rotation_deg,
// opening_pattern, condylar_inclination_left_deg,
// condylar_inclination_right_deg, bennett_angle_deg, immediate_side_shift_mm,
// mediotrusive_inclination_deg, fischer_angle_deg, chewing_cycles,
// chewing_rate_per_min, reference_plane, reference_tilt_deg.
void emg_measures_csv_header(std::string* out);

// One row per exercise of the report; `report_name` fills the first column
// (the report's file name, made UTF-8 as a Windows-1252 name when it is not
// UTF-8), the exercise number counts from 1; `plane` is
// the reference plane of the condylar angles. A non-zero `only_exercise`
// (from 1) writes that exercise's row alone.
void emg_measures_csv_rows(std::string* out, std::string_view report_name, const EmgReport* report,
                           const EmgReferencePlane& plane = {}, std::int32_t only_exercise = 0);

// One row's cells without its line end, for writers that add columns;
// `report_name` as it is written (UTF-8), `number` from 1.
void emg_measures_csv_row(std::string* out, std::string_view report_name, std::int32_t number,
                          const EmgExercise& exercise, const EmgMeasures& measures);
// A text cell, quoted when it must be.
void emg_measures_csv_field(std::string* out, std::string_view text);
