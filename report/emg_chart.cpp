// Index of this file:
// [SECTION] Quantities
// [SECTION] Building a chart
// [SECTION] Texts
#include "report/emg_chart.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "geometry/path_simplification.hpp"
#include "geometry/path_switching.hpp"
#include "report/emg_measures.hpp"

// =============================================================================
// [SECTION] Quantities
// =============================================================================

const char* emg_chart_legend(EmgChartQuantity quantity)
{
    switch (quantity) {
    case EmgChartQuantity::incisal_distance: return "Incisal distance (mm)";
    case EmgChartQuantity::opening_angle: return "Opening angle (\u00b0)";
    case EmgChartQuantity::channel1: return "Channel 1 (mV)";
    case EmgChartQuantity::channel2: return "Channel 2 (mV)";
    }
    return "";
}

const char* emg_chart_unit(EmgChartQuantity quantity)
{
    switch (quantity) {
    case EmgChartQuantity::incisal_distance: return "mm";
    case EmgChartQuantity::opening_angle: return "\u00b0";
    case EmgChartQuantity::channel1:
    case EmgChartQuantity::channel2: return "mV";
    }
    return "";
}

EmgChartColor emg_chart_color(EmgChartQuantity quantity)
{
    switch (quantity) {
    case EmgChartQuantity::incisal_distance: return {64, 64, 255};  // the incisal point's colour
    case EmgChartQuantity::opening_angle: return {190, 60, 0};
    case EmgChartQuantity::channel1: return {0, 110, 0};
    case EmgChartQuantity::channel2: return {150, 0, 150};
    }
    return {0, 0, 0};
}

namespace {

std::int32_t sample_count(const EmgExercise& exercise)
{
    return emg_sample_count(&exercise);
}

double finite_or_nan(double value)
{
    return std::isfinite(value) ? value : std::numeric_limits<double>::quiet_NaN();
}

}  // namespace

void emg_chart_series(const EmgReport& report, const EmgExercise& exercise, EmgChartQuantity quantity,
                      std::vector<double>* out)
{
    const std::int32_t n = sample_count(exercise);
    out->resize(static_cast<std::size_t>(n));
    if (n == 0)
        return;
    const EmgDataPoint* data = exercise.data.data();
    double* values = out->data();
    switch (quantity) {
    case EmgChartQuantity::incisal_distance: {
        const Vector3 rest = report.calibration_incisal;
        for (std::int32_t k = 0; k < n; ++k) {
            const Vector3& p = data[k].incisal;
            values[k] = finite_or_nan(std::sqrt((p.x - rest.x) * (p.x - rest.x) + (p.y - rest.y) * (p.y - rest.y)
                                                + (p.z - rest.z) * (p.z - rest.z)));
        }
        return;
    }
    case EmgChartQuantity::opening_angle:
        // The recorded angle, else the jaw's own opening from the calibration.
        if (report.has_rotation_data && !report.rotation_data_computed) {
            for (std::int32_t k = 0; k < n; ++k)
                values[k] = finite_or_nan(data[k].open);
        } else if (const std::optional<EmgAnatomicalFrame> frame = emg_anatomical_frame(&report)) {
            for (std::int32_t k = 0; k < n; ++k)
                values[k] = emg_jaw_opening_deg(&*frame, &data[k]);
        } else {
            std::fill(values, values + n, std::numeric_limits<double>::quiet_NaN());
        }
        return;
    case EmgChartQuantity::channel1:
        for (std::int32_t k = 0; k < n; ++k)
            values[k] = finite_or_nan(data[k].channel1);
        return;
    case EmgChartQuantity::channel2:
        for (std::int32_t k = 0; k < n; ++k)
            values[k] = finite_or_nan(data[k].channel2);
        return;
    }
}

// =============================================================================
// [SECTION] Building a chart
// =============================================================================

namespace {

// Pixels per interval between value ticks, and between time ticks (whose
// labels stand side by side); a large picture gets no more intervals than
// these, so its grid stays as easy to read as the screen's.
constexpr int value_tick_spacing = 22;
constexpr int time_tick_spacing = 40;
constexpr int most_value_intervals = 6;
constexpr int most_time_intervals = 10;
constexpr EmgChartColor black{0, 0, 0};

// Per column: 1 when none of its samples lies in a solid (opening) piece of
// the path as the 3D view cuts it at the exercise's open/close turns.
std::vector<std::uint8_t> closing_columns(const EmgExercise& exercise, const ChartTimeScale& time)
{
    std::vector<std::int32_t> turns;
    std::int32_t turn_count = 0;
    emg_analyze_open_close_movements(&turns, &turn_count, &exercise);
    const auto n = static_cast<std::int32_t>(sample_count(exercise));
    std::vector<std::uint8_t> solid(static_cast<std::size_t>(n), 0);
    for (const PathPiece& piece : path_switching_pieces(n, turns.data(), turn_count))
        if (!piece.dashed)
            std::fill_n(solid.begin() + piece.first, piece.count, std::uint8_t{1});

    std::vector<std::uint8_t> dashed(static_cast<std::size_t>(time.columns), 1);
    for (std::int32_t c = 0; c < time.columns; ++c) {
        std::int64_t first = 0, last = 0;
        chart_axes_samples_of_column(time, c, &first, &last);
        for (std::int64_t k = first; k < last && dashed[static_cast<std::size_t>(c)]; ++k)
            if (solid[static_cast<std::size_t>(k)])
                dashed[static_cast<std::size_t>(c)] = 0;
    }
    return dashed;
}

// The smallest and largest value the traces hold (NaN for none).
std::pair<double, double> trace_range(const std::vector<const EmgChartTrace*>& traces)
{
    double low = std::numeric_limits<double>::quiet_NaN(), high = low;
    for (const EmgChartTrace* trace : traces) {
        for (double v : trace->low)
            if (!std::isnan(v) && !(v >= low))
                low = v;
        for (double v : trace->high)
            if (!std::isnan(v) && !(v <= high))
                high = v;
    }
    return {low, high};
}

EmgChartTrace cut_trace(const EmgReport& report, const EmgExercise& exercise, EmgChartQuantity quantity,
                        bool right_axis, const ChartTimeScale& time, std::vector<double>* series)
{
    EmgChartTrace trace;
    trace.quantity = quantity;
    trace.right_axis = right_axis;
    trace.dashes = quantity == EmgChartQuantity::incisal_distance || quantity == EmgChartQuantity::opening_angle;
    emg_chart_series(report, exercise, quantity, series);
    path_simplification_min_max_columns(series->data() + time.first, static_cast<std::size_t>(time.samples),
                                        static_cast<std::size_t>(time.columns), &trace.low, &trace.high);
    trace.under.resize(static_cast<std::size_t>(time.columns));
    for (std::int32_t c = 0; c < time.columns; ++c)
        trace.under[static_cast<std::size_t>(c)] =
            (*series)[static_cast<std::size_t>(chart_axes_sample_of_column(time, c))];
    return trace;
}

// The axes of a panel from its traces: each side over the traces read
// against it, labelled in their colour when there is only one.
void fit_axes(EmgChartPanel* panel)
{
    const int intervals =
        std::min(chart_axes_max_intervals(panel->place.plot.h, value_tick_spacing), most_value_intervals);
    for (const bool right : {false, true}) {
        std::vector<const EmgChartTrace*> side;
        for (const EmgChartTrace& trace : panel->traces)
            if (trace.right_axis == right)
                side.push_back(&trace);
        if (side.empty())
            continue;
        const auto [low, high] = trace_range(side);
        const ChartAxis axis = chart_axes_value_axis(low, high, intervals);
        const EmgChartColor color = side.size() == 1 ? emg_chart_color(side.front()->quantity) : black;
        if (right) {
            panel->has_right_axis = true;
            panel->right_axis = axis;
            panel->right_color = color;
        } else {
            panel->left_axis = axis;
            panel->left_color = color;
        }
    }
}

}  // namespace

EmgChart emg_chart_build(const EmgReport* report, std::int32_t exercise_index, int width, int height,
                         EmgChartRange range)
{
    EmgChart chart;
    chart.width = std::max(width, 0);
    chart.height = std::max(height, 0);
    const bool has_emg = report != nullptr && report->has_emg_data;
    const ChartLayout layout = chart_axes_layout(chart.width, chart.height, has_emg ? 2 : 1);
    chart.time_labels = layout.time_labels;
    for (const ChartPanelLayout& place : layout.panels) {
        EmgChartPanel panel;
        panel.place = place;
        chart.panels.push_back(panel);
    }

    const std::int32_t exercise_count =
        report == nullptr ? 0
                          : static_cast<std::int32_t>(std::clamp<std::int64_t>(
                                report->exercises_number, 0, static_cast<std::int64_t>(report->exercises.size())));
    const EmgExercise* exercise = exercise_index >= 0 && exercise_index < exercise_count
                                      ? &report->exercises[static_cast<std::size_t>(exercise_index)]
                                      : nullptr;
    if (report == nullptr)
        chart.message = "No report loaded";
    else if (exercise_count == 0)
        chart.message = "The report has no exercises";
    else if (exercise == nullptr)
        chart.message = "No exercise " + std::to_string(static_cast<std::int64_t>(exercise_index) + 1);
    if (exercise == nullptr)
        return chart;
    chart.title = "[" + std::to_string(exercise_index + 1) + "] " + exercise->name;

    const double frequency = report->frequency;
    chart.seconds = frequency > 0.0 && std::isfinite(frequency) && std::isfinite(1.0 / frequency)
                    && 1.0 / frequency > 0.0;
    chart.exercise_samples = sample_count(*exercise);
    const std::int64_t first = std::clamp<std::int64_t>(range.first, 0, std::max<std::int64_t>(chart.exercise_samples - 1, 0));
    const std::int64_t rest = chart.exercise_samples - first;
    const std::int64_t shown = range.count > 0 ? std::min(range.count, rest) : rest;
    chart.time = {shown, layout.panels.front().plot.w, chart.seconds ? 1.0 / frequency : 1.0, first};
    const double duration = chart_axes_duration(chart.time);
    const int time_intervals =
        std::min(chart_axes_max_intervals(chart.time.columns, time_tick_spacing), most_time_intervals);
    const double start = static_cast<double>(first) * chart.time.period;
    chart.time_axis = {start, start + duration, chart_axes_nice_step(duration, time_intervals)};
    if (chart.time.samples == 0) {
        chart.message = "The exercise has no samples";
        return chart;
    }
    if (chart.time.columns <= 0)
        return chart;

    chart.dashed = closing_columns(*exercise, chart.time);
    std::vector<double> series;
    chart.panels[0].traces.push_back(
        cut_trace(*report, *exercise, EmgChartQuantity::incisal_distance, false, chart.time, &series));
    chart.panels[0].traces.push_back(
        cut_trace(*report, *exercise, EmgChartQuantity::opening_angle, true, chart.time, &series));
    if (has_emg) {
        chart.panels[1].traces.push_back(
            cut_trace(*report, *exercise, EmgChartQuantity::channel1, false, chart.time, &series));
        chart.panels[1].traces.push_back(
            cut_trace(*report, *exercise, EmgChartQuantity::channel2, false, chart.time, &series));
    }
    for (EmgChartPanel& panel : chart.panels)
        fit_axes(&panel);
    return chart;
}

EmgChartRange emg_chart_zoom(const ChartTimeScale& shown, std::int64_t samples, double pivot, double factor)
{
    if (samples <= 0 || shown.samples <= 0 || !(factor > 0.0) || !std::isfinite(pivot))
        return {0, 0};
    const double least = static_cast<double>(std::min<std::int64_t>(std::max(shown.columns, 1), samples));
    const double count = std::clamp(std::round(static_cast<double>(shown.samples) * factor), least,
                                    static_cast<double>(samples));
    // The pivot keeps its share of the plot.
    const double share = (pivot - static_cast<double>(shown.first)) / static_cast<double>(shown.samples);
    const double first = std::clamp(std::round(pivot - share * count), 0.0, static_cast<double>(samples) - count);
    return {static_cast<std::int64_t>(first), static_cast<std::int64_t>(count)};
}

EmgChartRange emg_chart_pan(const ChartTimeScale& shown, std::int64_t samples, std::int64_t shift)
{
    if (samples <= 0 || shown.samples <= 0)
        return {0, 0};
    const std::int64_t count = std::min(shown.samples, samples);
    return {std::clamp<std::int64_t>(shown.first + shift, 0, samples - count), count};
}

// =============================================================================
// [SECTION] Texts
// =============================================================================

std::string emg_chart_tick_label(double value, double step)
{
    return emg_measures_format(value, chart_axes_decimals(step));
}

const char* emg_chart_time_unit(const EmgChart& chart)
{
    return chart.seconds ? "s" : "samples";
}

std::string emg_chart_time_text(const EmgChart& chart, std::int64_t sample)
{
    if (!chart.seconds)
        return "sample " + std::to_string(sample + 1);
    // As many decimals as tell one sample from the next.
    const int decimals = std::clamp(static_cast<int>(std::ceil(std::log10(1.0 / chart.time.period) - 1e-9)), 0, 6);
    return emg_measures_format(static_cast<double>(sample) * chart.time.period, decimals) + " s";
}

std::string emg_chart_value_text(const EmgChart& chart, const EmgChartPanel& panel, const EmgChartTrace& trace,
                                 std::int32_t column)
{
    if (column < 0 || column >= chart.time.columns || static_cast<std::size_t>(column) >= trace.under.size())
        return "-";
    const double value = trace.under[static_cast<std::size_t>(column)];
    if (std::isnan(value))
        return "-";
    // One decimal more than the axis labels, and never fewer than the
    // quantity's usual ones.
    const ChartAxis& axis = trace.right_axis ? panel.right_axis : panel.left_axis;
    const int usual = trace.quantity == EmgChartQuantity::incisal_distance ? 2
                      : trace.quantity == EmgChartQuantity::opening_angle  ? 1
                                                                           : 3;
    const int decimals = std::max(usual, chart_axes_decimals(axis.step) + 1);
    const char* unit = emg_chart_unit(trace.quantity);
    const std::string after = (trace.quantity == EmgChartQuantity::opening_angle ? "" : " ") + std::string(unit);
    // A column of several samples shows their range ("0.00-57.10 mm") when
    // its values differ at the decimals shown.
    std::int64_t first = 0, last = 0;
    chart_axes_samples_of_column(chart.time, column, &first, &last);
    const auto c = static_cast<std::size_t>(column);
    if (last - first > 1 && c < trace.low.size() && c < trace.high.size() && std::isfinite(trace.low[c])
        && std::isfinite(trace.high[c])) {
        const std::string low = emg_measures_format(trace.low[c], decimals);
        const std::string high = emg_measures_format(trace.high[c], decimals);
        if (low != high)
            return low + (trace.low[c] < 0.0 || trace.high[c] < 0.0 ? " to " : "-") + high + after;
    }
    return emg_measures_format(value, decimals) + after;
}
