// Normal adult ranges of the clinical figures, in one table. The README
// lists each range with its source; the "Clinical" page shows the range
// beside its figure and marks a figure outside it.
#pragma once

#include <optional>

enum class EmgNormFigure {
    max_vertical_opening,    // mm, opening exercise
    max_protrusion,          // mm, protrusion exercise
    max_laterotrusion,       // mm, towards the exercise's side
    deviation,               // mm, |incisal d.lat| on the opening path
    condylar_inclination,    // degrees, against the axis-orbital or Frankfort plane
    inclination_difference,  // degrees, |left - right| of the protrusion
    bennett_angle,           // degrees
    immediate_side_shift,    // mm
};

struct EmgNorm {
    std::optional<double> low;   // the range's ends, inclusive; none when open
    std::optional<double> high;
    bool magnitude;              // the range bounds |value|
    const char* text;            // as the page shows it, e.g. "40-60 mm"
};

const EmgNorm& emg_norm(EmgNormFigure figure);

// True when `value` lies in the figure's normal range.
bool emg_norm_holds(EmgNormFigure figure, double value);
