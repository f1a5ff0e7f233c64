// The time chart of an exercise: the incisal distance from calibration and
// the opening angle against time, and, when the report has them, the two EMG
// channels in a second plot on the same time axis; cut to the pixel columns
// of a picture.
//
// A chart is built once for an exercise and a picture size (emg_chart_build)
// and holds only what the pixels can show: for every quantity, the smallest
// and largest value of the samples in each pixel column (the decimation of
// path_simplification_min_max_columns) and the value of the sample a click on
// the column means; for every column, whether its samples all belong to
// closing stretches, which are drawn dashed while opening stretches are
// solid, the stretches the 3D view draws (geometry/path_switching). Its size
// thus depends on the picture, not on the length of the exercise. The screen
// widget (widgets/interactable_chart) and the SVG writer (svg/svg_chart)
// draw the same chart. Nothing here touches SDL or OpenGL.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "geometry/chart_axes.hpp"
#include "report/emg_processing.hpp"

enum class EmgChartQuantity : std::uint8_t {
    incisal_distance,  // |I(t) - I0|, mm
    opening_angle,     // degrees, recorded or computed as the viewer does
    channel1,          // mV
    channel2,          // mV
};

struct EmgChartColor {
    std::uint8_t r;
    std::uint8_t g;
    std::uint8_t b;
};

// "Incisal distance (mm)", "Opening angle (°)", "Channel 1 (mV)", "Channel 2 (mV)".
const char* emg_chart_legend(EmgChartQuantity quantity);
// "mm", "°" (with no space before it in a value), "mV".
const char* emg_chart_unit(EmgChartQuantity quantity);
// The incisal point's blue for the distance, a dark orange for the angle,
// dark green and purple for the channels.
EmgChartColor emg_chart_color(EmgChartQuantity quantity);

// The quantity at every sample of the exercise; NaN where it is not finite.
// The opening angle is the recorded one or, when the report carries none,
// the one the viewer computes after loading.
void emg_chart_series(const EmgReport& report, const EmgExercise& exercise, EmgChartQuantity quantity,
                      std::vector<double>* out);

// One quantity cut to the plot's columns. Columns without a finite sample
// hold NaN.
struct EmgChartTrace {
    EmgChartQuantity quantity = EmgChartQuantity::incisal_distance;
    bool right_axis = false;  // read against the plot's right axis
    bool dashes = false;      // closing stretches dashed (the motion; not the EMG channels)
    std::vector<double> low;
    std::vector<double> high;
    std::vector<double> under;  // the value of chart_axes_sample_of_column
};

struct EmgChartPanel {
    ChartPanelLayout place;
    ChartAxis left_axis;
    bool has_right_axis = false;
    ChartAxis right_axis;
    // The colour of each axis' value labels: the one quantity read against
    // it, black when two share it.
    EmgChartColor left_color{0, 0, 0};
    EmgChartColor right_color{0, 0, 0};
    std::vector<EmgChartTrace> traces;  // the first one's legend on the left, the second one's on the right
};

struct EmgChart {
    int width = 0;
    int height = 0;
    std::string title;    // "[1] name" of the exercise, empty without one
    std::string message;  // why nothing is plotted ("No report loaded"...), empty when samples are
    bool seconds = true;  // the time axis counts seconds; false (no usable frequency): samples
    std::int64_t exercise_samples = 0;  // all of the exercise; `time` says which of them are shown
    ChartTimeScale time;
    ChartAxis time_axis;
    ChartRect time_labels;
    std::vector<std::uint8_t> dashed;  // per column: 1 when all its samples close the jaw
    std::vector<EmgChartPanel> panels;  // the motion, then the EMG channels

    bool has_samples() const { return message.empty(); }
};

// The chart of exercise `exercise` (0-based) of the report in a picture of
// width x height pixels; a null report, an index out of range or an exercise
// without samples give a chart whose message says so. A range shows the
// exercise's samples `first` to `first + count - 1` only (count 0: to the
// end), kept within the exercise; the axes then span those samples.
struct EmgChartRange {
    std::int64_t first = 0;
    std::int64_t count = 0;
};
EmgChart emg_chart_build(const EmgReport* report, std::int32_t exercise, int width, int height,
                         EmgChartRange range = {});
// The range of `samples` samples that zooming by `factor` (below 1 zooms in)
// about the fractional sample `pivot` gives, `pivot` staying at the same
// share of the plot: never fewer samples than `columns` (one sample per
// column) unless the exercise has fewer, never more than the exercise.
EmgChartRange emg_chart_zoom(const ChartTimeScale& shown, std::int64_t samples, double pivot, double factor);
// The range moved by `shift` samples (later for a positive shift), kept
// within the exercise's `samples`.
EmgChartRange emg_chart_pan(const ChartTimeScale& shown, std::int64_t samples, std::int64_t shift);

// A tick value with the decimals its step needs.
std::string emg_chart_tick_label(double value, double step);
// The unit of the time axis: "s", or "samples".
const char* emg_chart_time_unit(const EmgChart& chart);
// The time of a sample as the pointer shows it: "3.45 s" with the decimals
// that tell samples apart, or "sample 346" (from 1, as the playback slider
// counts) without a frequency.
std::string emg_chart_time_text(const EmgChart& chart, std::int64_t sample);
// A trace's value under column `column` with its unit ("12.34 mm",
// "25.6°"), or "-" where there is none.
std::string emg_chart_value_text(const EmgChart& chart, const EmgChartPanel& panel, const EmgChartTrace& trace,
                                 std::int32_t column);
