// Measures: the standard jaw-motion figures of an exercise, and their CSV.
//
// Every figure is taken in the anatomical frame of the report's calibration
// (L0, I0, R0: left condyle, incisal point, right condyle), so it does not
// depend on the axes of the recording device:
//   origin O = (L0 + R0) / 2;
//   `lat` = unit(R0 - L0), towards the right condyle;
//   `ant` = unit of (I0 - O) without its part along `lat`, towards the incisal point;
//   `up`  = lat x ant.
// A displacement d of a point from its calibrated position has the
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

#include "report/emg_processing.hpp"

// A condyle's path, D(t) = C(t) - C0, with tc the first sample of its
// largest |D|. The two angles need the frame and |D(tc)| of at least 1 mm.
struct EmgCondyleMeasures {
    std::optional<double> max_translation_mm;  // max |D(t)|
    std::optional<double> inclination_deg;     // atan2(-D(tc).up, D(tc).ant): positive going down as it goes forward
    std::optional<double> bennett_deg;         // atan2(medial part of D(tc), D(tc).ant)
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
    std::optional<double> max_laterotrusion_right_mm;      // max d.lat
    std::optional<double> max_laterotrusion_left_mm;       // max -d.lat
    std::optional<double> deviation_at_max_opening_mm;     // d(t*).lat, positive to the right
    std::optional<double> max_deviation_while_opening_mm;  // the d.lat of largest magnitude over samples 0 to t*
    std::optional<double> max_opening_angle_deg;           // max of the samples' opening angle
    std::optional<std::int32_t> opening_movements;         // opening phases of the open/close analysis
    EmgCondyleMeasures left;
    EmgCondyleMeasures right;
};

// The figures of one exercise of the report, all but one in a single pass
// over its samples; the opening movements are counted by the open/close
// analysis's own scans (emg_count_opening_movements), so they are the
// stretches the viewer draws solid. The opening angle is the recorded one,
// or, when the report carries none, the one the viewer computes after
// loading (emg_opening_angle), so a report measured without the viewer gives
// the same figures. Null arguments give an empty record.
EmgMeasures emg_measures_of_exercise(const EmgReport* report, const EmgExercise* exercise);

// The figures of every exercise, in the report's order.
std::vector<EmgMeasures> emg_measures_of_report(const EmgReport* report);

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
// figures in the order of EmgMeasures.
void emg_measures_csv_header(std::string* out);

// One row per exercise of the report; `report_name` fills the first column
// (the report's file name), the exercise number counts from 1. A non-zero
// `only_exercise` (from 1) writes that exercise's row alone.
void emg_measures_csv_rows(std::string* out, std::string_view report_name, const EmgReport* report,
                           std::int32_t only_exercise = 0);
