// The tracing sheet: the jaw's paths in the anatomical planes, in
// millimetres, as clinicians read them; four panels on one page:
//
//   sagittal (incisal point)   | frontal (incisal point)
//   condyles                   | horizontal (incisal point)
//
// Each panel has one scale for both of its axes (page units per mm; the
// three incisal panels share theirs), a millimetre grid of round steps with
// labelled lines, its anatomical directions written at the ends of its axes,
// and the calibrated position of its point as the origin. The incisal panels
// read the displacement d = I(t) - I0 in the anatomical frame of the report's
// calibration (emg_anatomical_frame), as the measures do; the condyle panel
// reads C(t) - C0 in the frame of the reference plane (emg_reference_frame),
// against which the condylar angles are measured.
//
// The page shows the patient as the clinician facing the patient sees it:
//   sagittal: anterior to the right, up at the top (seen from the patient's right);
//   frontal: the patient's right on the page's left, up at the top;
//   horizontal: seen from above with the patient facing the viewer:
//     the patient's right on the page's left, anterior at the bottom, so
//     that the frontal panel above it shares its lateral axis.
//
// The incisal panels draw every exercise in its own colour (a legend names
// them), the selected one last and thicker. The condyle panel draws the
// selected exercise's two condyles overlaid, the left one red and the right
// one green as in the 3D view (the left one wider, under the right one),
// with the chord of each condylar inclination the exercise has
// (emg_measures: to the first sample 5 mm away) and its angle beside it;
// for a laterotrusion its lower half shows the mediotrusive condyle in the
// horizontal plane with its Bennett line m = shift + f tan(angle), and the
// figures.
//
// Opening stretches are solid and closing ones dashed, cut where the 3D
// view cuts them (emg_analyze_open_close_movements, path_switching). Paths
// are simplified to what the page's units can show: the samples are
// clustered in cells one page unit wide, each pair of neighbouring cells is
// drawn once (path_simplification_cluster), the segments are joined into
// the fewest trails a greedy walk finds and Douglas-Peucker removes points
// a quarter of a unit off the line; a path that runs over the same place a
// thousand times costs what the place costs.
//
// A baseline (an earlier recording, report/emg_comparison) can be drawn
// under the selected exercise: its paired exercise on the incisal panels and
// its condyles on the condyle panel, in the selected exercise's colours
// faded 60 % towards the white page, its current sample a hollow ring, and a
// legend line naming it. The scales then fit both.
//
// The current sample is marked on every panel by the items after
// `marks_from`, which tracing_picture_mark replaces without building the
// rest again. Nothing here touches SDL, OpenGL or SVG.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "picture/picture.hpp"
#include "report/emg_kinematics.hpp"
#include "report/emg_processing.hpp"

enum class TracingPoint : std::uint8_t { incisal, left_condyle, right_condyle };

// One plot of a panel: where a point's displacement lands on the page.
//   page x = origin.x + scale * dot(D, across)
//   page y = origin.y - scale * dot(D, upward)
// with D the point's displacement from its calibrated position `rest`.
struct TracingPlot {
    PictureRect box;        // the plot area, clipped
    PicturePoint origin;    // the calibrated position on the page
    double scale = 1.0;     // page units per mm, both axes
    Vector3 across;         // unit vector read along the page's x
    Vector3 upward;         // unit vector read up the page
    std::vector<TracingPoint> points;  // the points drawn (the condyle plots: one or both)
};

// The baseline drawn under the selected exercise: a report already in the
// space of the sheet's report (emg_comparison_aligned), the exercise paired
// with the selected one (emg_comparison_pairs; -1 draws none), its current
// sample (-1: the sample at the same time from the exercises' starts as the
// selected exercise's, emg_comparison_sample) and the name the legend gives
// it (its file name). The report must outlive the sheet's marks.
struct TracingBaseline {
    const EmgReport* report = nullptr;
    std::int32_t exercise = -1;
    std::int32_t sample = -1;
    std::string label;
};

struct TracingSheet {
    Picture picture;
    std::vector<TracingPlot> plots;   // sagittal, frontal, horizontal, condyles, [mediotrusive]
    std::size_t marks_from = 0;       // picture.items from here on mark the current sample
    std::int32_t exercise = -1;       // the selected exercise (0-based), -1 for none
    TracingBaseline baseline;         // as drawn; its report null when none is
};

// The samples of the selected exercise a sheet draws: `count` from `first`;
// a count of 0 (or less) draws them all. The scales stay those of the whole
// exercise, so a narrower range draws part of the same picture.
struct TracingRange {
    std::int64_t first = 0;
    std::int64_t count = 0;
};

// The sheet of a report for a page of width x height units: every exercise
// on the incisal panels, `exercise` (0-based) selected, the current sample
// `sample` marked (none when out of range). `plane` is the reference plane
// of the condyle panel. Without a report, a calibration frame or samples the
// panels say so in words. A `baseline` with an exercise is drawn under the
// selected one (over the same stretch of time when `range` narrows it).
TracingSheet tracing_picture_build(const EmgReport* report, std::int32_t exercise, std::int32_t sample,
                                   double width, double height, const EmgReferencePlane& plane = {},
                                   TracingRange range = {}, const TracingBaseline& baseline = {});

// Replaces the current-sample marks of a sheet built from `report` by those
// of `sample` of its selected exercise (none when out of range), and the
// baseline's mark, when the sheet draws one, by that of `baseline_sample`
// (-1: at the same time as `sample`, none when `sample` is out of range).
void tracing_picture_mark(TracingSheet* sheet, const EmgReport* report, std::int32_t sample,
                          std::int32_t baseline_sample = -1);

// The page position of `point` of a sample on a plot; none when the point is
// not finite.
std::optional<PicturePoint> tracing_picture_place(const TracingPlot& plot, const EmgReport& report,
                                                  const EmgDataPoint& sample, TracingPoint point);

// The sample of the selected exercise drawn nearest to a page position
// inside one of the plots (over the points that plot draws); none outside
// every plot or without samples.
std::optional<std::int32_t> tracing_picture_sample_at(const TracingSheet& sheet, const EmgReport* report,
                                                      PicturePoint at);

// The colour of exercise `index` on the sheet (a palette of ten, repeated).
PictureColor tracing_picture_exercise_color(std::int32_t index);
