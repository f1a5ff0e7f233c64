// The axes of a chart of values against time: round tick steps and the value
// range they span, the mapping between time and the pixel columns of a plot
// (both ways), and where the plots of a chart lie in a picture of a given
// size. The screen's chart and the SVG chart take every number from here, so
// both put each value at the same place; nothing here touches SDL or OpenGL.
//
// Pixels: x grows to the right, y downwards; pixel column c covers [c, c + 1)
// and its centre is c + 0.5.
//
// Time: sample k of an exercise of n samples takes the time slot
// [k, k + 1) x period, and a plot of C columns spans n slots, so sample k
// falls in column floor(k C / n), the column that the decimation of the
// signal (path_simplification_min_max_columns) gives it. With more columns
// than samples each sample covers several columns.
#pragma once

#include <cstdint>
#include <vector>

// ---------------------------------------------------------------------------
// Value axes
// ---------------------------------------------------------------------------

struct ChartAxis {
    double low = 0.0;   // the value at the bottom of the plot
    double high = 1.0;  // the value at the top
    double step = 0.5;  // between ticks: 1, 2 or 5 x 10^k
};

// The smallest step of the form 1, 2 or 5 x 10^k that cuts `span` into at
// most `max_intervals` intervals (at least 1); 1 for a span that is not a
// positive finite number.
double chart_axes_nice_step(double span, int max_intervals);

// An axis over the values from `low` to `high`: both widened to whole steps,
// with at most `max_intervals` intervals. A single value gets a range around
// it; no value (either bound not finite) gives 0 to 1.
ChartAxis chart_axes_value_axis(double low, double high, int max_intervals);

// The multiples of the axis step from `low` to `high` (an axis whose bounds
// are no multiples gets the ones inside), never more than 1000.
std::vector<double> chart_axes_ticks(const ChartAxis& axis);

// Decimals that show every tick of a step: 0 for steps of 1 and more, 1 for
// 0.5 to 0.1, 2 for 0.05 to 0.01 and so on (at most 12).
int chart_axes_decimals(double step);

// The y of a value in a plot of `height` rows, from the plot's top edge:
// the top row's centre for the axis' high end, the bottom row's centre for
// its low end; NaN for a value that is not finite.
double chart_axes_y_of_value(const ChartAxis& axis, double value, int height);

// ---------------------------------------------------------------------------
// Time and pixel columns
// ---------------------------------------------------------------------------

struct ChartTimeScale {
    std::int64_t samples = 0;  // n, the samples shown
    std::int32_t columns = 0;  // C, the plot's width in pixels
    double period = 1.0;       // seconds per sample
    std::int64_t first = 0;    // the first sample shown: a zoomed chart shows first to first + n - 1
};

// Samples are counted from the start of the recording; times are the
// samples' times (sample k at k x period), whatever `first` is.
// floor((k - first) C / n): the column of sample k (k clamped to the samples
// shown); -1 for a scale without samples or columns.
std::int32_t chart_axes_column_of_sample(const ChartTimeScale& scale, std::int64_t sample);
// The samples that fall in column `column` (clamped to the plot), first <=
// k < last; a column that no sample falls in (more columns than samples)
// holds the one whose slot it lies in. Both 0 without samples or columns.
void chart_axes_samples_of_column(const ChartTimeScale& scale, std::int32_t column, std::int64_t* first,
                                  std::int64_t* last);
// The middle one of those: the sample a click on the column means, whose
// column is that column again (or, with more columns than samples, the
// first column of its slot); -1 without samples or columns.
std::int64_t chart_axes_sample_of_column(const ChartTimeScale& scale, std::int32_t column);
// The x of a time from the plot's left edge, and back.
double chart_axes_x_of_time(const ChartTimeScale& scale, double seconds);
double chart_axes_time_of_x(const ChartTimeScale& scale, double x);
// The time span the plot shows: n x period.
double chart_axes_duration(const ChartTimeScale& scale);

// ---------------------------------------------------------------------------
// Layout
// ---------------------------------------------------------------------------

struct ChartRect {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
};

// One plot with the text line above it (its legend, or the values under the
// pointer). The left axis' labels go in the margin left of the plot, the
// right axis' in the margin right of it.
struct ChartPanelLayout {
    ChartRect header;
    ChartRect plot;
};

// The plots stacked from the top, sharing one time axis whose labels go in
// the row under the last plot.
struct ChartLayout {
    std::vector<ChartPanelLayout> panels;
    ChartRect time_labels;
};

// Pixels of one line of the chart's text (a 12-pixel font).
inline constexpr int CHART_TEXT_LINE = 14;
// Room for the value labels beside a plot.
inline constexpr int CHART_SIDE_MARGIN = 42;

// `panel_count` plots of equal height in a width x height picture. Sizes
// never come out negative, however small the picture.
ChartLayout chart_axes_layout(int width, int height, int panel_count);

// How many intervals fit a length of `pixels` when each needs `spacing`
// pixels: at least 1.
int chart_axes_max_intervals(int pixels, int spacing);
