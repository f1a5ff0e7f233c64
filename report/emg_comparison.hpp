// Comparison of two recordings: a baseline (before treatment, an earlier
// follow-up) against the current report, and the two laterotrusions of one
// report against each other.
//
// The device may sit differently on the patient at each recording, so the
// baseline is first brought into the current report's space: the rigid move
// that carries the baseline calibration's anatomical frame onto the current
// one's (origin onto origin, lat onto lat, ant onto ant, up onto up) is
// applied to every point of the baseline. Its figures are then measured as
// the current report's are, against the same reference plane: a second
// recording of the same movement with the device placed elsewhere gives the
// same figures, and a change of the movement gives exactly its change.
//
// Exercises are paired by type (the k-th exercise of a type with the k-th
// of that type in the baseline), else by number.
//
// Nothing here touches SDL or OpenGL.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "report/emg_measures.hpp"

// p' = rotation p + translation.
struct EmgRigidMove {
    Matrix3 rotation;
    Vector3 translation;
};

// The move that carries the baseline's anatomical frame onto the current
// one's; none when either frame cannot be built.
std::optional<EmgRigidMove> emg_comparison_alignment(const EmgReport& current, const EmgReport& baseline);

// A copy of `report` with its calibration and every sample's three points
// moved; angles and EMG channels as they are.
std::unique_ptr<EmgReport> emg_comparison_moved(const EmgReport& report, const EmgRigidMove& move);

// The baseline brought into the current report's space (a moved copy);
// none when the two cannot be aligned.
std::unique_ptr<EmgReport> emg_comparison_aligned(const EmgReport& current, const EmgReport& baseline);

// For each exercise of the current report (its measures), the index of the
// baseline exercise paired with it, or -1 when there is none.
std::vector<std::int32_t> emg_comparison_pairs(const std::vector<EmgMeasures>& current,
                                               const std::vector<EmgMeasures>& baseline);

// The baseline brought into the current report's space, and its exercises
// paired with the current report's (by their measures against `plane`).
struct EmgComparedBaseline {
    std::unique_ptr<EmgReport> aligned;  // null when the two cannot be aligned
    std::vector<std::int32_t> pairs;     // per exercise of the current report; empty without `aligned`
};
EmgComparedBaseline emg_comparison_baseline(const EmgReport& current, const EmgReport& baseline,
                                            const EmgReferencePlane& plane = {});

// The baseline's sample at the same time from the exercises' starts as the
// current one's: by the two sampling frequencies when both are usable, else
// by index; clamped to the baseline's samples. -1 when it has none.
std::int32_t emg_comparison_sample(std::int32_t current_sample, double current_frequency,
                                   double baseline_frequency, std::int32_t baseline_samples);

// A numeric figure by its CSV column name.
struct EmgNumericFigure {
    const char* column;
    std::optional<double> value;
    int decimals;      // as the pages round it
    const char* unit;  // as the pages write it: " mm", "°", " s", "" or " /min"
    const char* name = "";  // as the pages name it
};

// The numeric figures of the CSV in its column order, without the exercise
// number and the data counts: samples, duration_s, the incisal figures,
// max_opening_angle_deg, opening_movements, the condyles' (left then right:
// translation, inclination, Bennett), then max_opening_rotation_deg,
// condylar_inclination_left_deg, condylar_inclination_right_deg,
// bennett_angle_deg, immediate_side_shift_mm, mediotrusive_inclination_deg,
// fischer_angle_deg, chewing_cycles, chewing_rate_per_min.
std::vector<EmgNumericFigure> emg_numeric_figures(const EmgMeasures& measures);

// The same figures as current minus baseline, where both have them (the
// unit and rounding of the figure).
std::vector<EmgNumericFigure> emg_comparison_deltas(const EmgMeasures& current, const EmgMeasures& baseline);

// The measures' CSV with a baseline: the measures' header with, after its
// columns, baseline_report, baseline_exercise (from 1), then
// delta_<column> for every numeric figure in emg_numeric_figures' order.
void emg_comparison_csv_header(std::string* out);
// The measures' rows (as emg_measures_csv_rows) with those cells: the
// baseline's file name, the paired exercise and current minus baseline
// (empty where either figure is not available or no exercise is paired).
// `baseline` is in the current report's space (emg_comparison_aligned); a
// null one leaves the cells empty but the name.
void emg_comparison_csv_rows(std::string* out, std::string_view report_name, const EmgReport* report,
                             std::string_view baseline_name, const EmgReport* baseline,
                             const EmgReferencePlane& plane = {}, std::int32_t only_exercise = 0);

// A figure as shown: "47.25 mm", "not available" (or `missing`).
std::string emg_numeric_figure_text(const EmgNumericFigure& figure, const char* missing = "not available");
// A change as shown, with its sign: "+7.15 mm", "-0.4°", "0.00 mm".
std::string emg_numeric_change_text(const EmgNumericFigure& change, const char* missing = "not available");

// ---------------------------------------------------------------------------
// Left against right: the report's first laterotrusion to each side.
// ---------------------------------------------------------------------------

struct EmgSideRow {
    const char* name;
    EmgNumericFigure left;   // the laterotrusion to the left
    EmgNumericFigure right;  // the laterotrusion to the right
    EmgNumericFigure difference;  // left - right
};

struct EmgSideComparison {
    std::int32_t left_exercise = -1;   // index, -1 when the report has none
    std::int32_t right_exercise = -1;
    std::vector<EmgSideRow> rows;  // empty unless both exist
};

// Rows: max. laterotrusion (to the exercise's side), Bennett angle,
// immediate side shift, mediotrusive inclination, Fischer angle, and the
// working condyle's max. translation.
EmgSideComparison emg_comparison_sides(const std::vector<EmgMeasures>& measures);
