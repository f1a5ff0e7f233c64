#include "geometry/chart_axes.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

// ---------------------------------------------------------------------------
// Value axes
// ---------------------------------------------------------------------------

namespace {

// Ticks are found by dividing by the step; this much rounding still counts
// as a whole multiple.
constexpr double multiple_slack = 1e-9;
constexpr std::size_t most_ticks = 1000;

// m x 10^e, correctly rounded also for negative exponents (0.05 as 5 / 100).
double round_number(double m, int e)
{
    return e >= 0 ? m * std::pow(10.0, e) : m / std::pow(10.0, -e);
}

// The round step after `step`: 1 -> 2 -> 5 -> 10.
double next_round_step(double step)
{
    const int e = static_cast<int>(std::floor(std::log10(step) + multiple_slack));
    const double m = std::round(step / round_number(1.0, e));
    return round_number(m < 1.5 ? 2.0 : m < 3.5 ? 5.0 : 10.0, e);
}

}  // namespace

double chart_axes_nice_step(double span, int max_intervals)
{
    if (!(span > 0.0) || !std::isfinite(span))
        return 1.0;
    const double raw = span / std::max(max_intervals, 1);
    const int e = static_cast<int>(std::floor(std::log10(raw)));
    for (const double m : {1.0, 2.0, 5.0, 10.0}) {
        const double step = round_number(m, e);
        if (step >= raw * (1.0 - multiple_slack))
            return std::isfinite(step) ? step : raw;
    }
    return raw;  // not reached: 10 x 10^floor(log10(raw)) exceeds raw
}

ChartAxis chart_axes_value_axis(double low, double high, int max_intervals)
{
    max_intervals = std::max(max_intervals, 1);
    if (!std::isfinite(low) || !std::isfinite(high))
        return {0.0, 1.0, chart_axes_nice_step(1.0, max_intervals)};
    if (low > high)
        std::swap(low, high);
    if (low == high) {
        // A flat signal sits in the middle of a range a tenth of its size.
        const double pad = low != 0.0 ? std::fabs(low) * 0.1 : 1.0;
        low -= pad;
        high += pad;
    }
    const double span = high - low;
    if (!std::isfinite(span))  // beyond the range of doubles: one interval
        return {low, high, high / 2 - low / 2};

    // Widening to whole steps may add an interval; then a larger step. A
    // range across zero needs two intervals whatever the step: the fewest
    // intervals found, with the smallest step, when none fits.
    double step = chart_axes_nice_step(span, max_intervals);
    ChartAxis best{low, high, step};
    double fewest = std::numeric_limits<double>::infinity();
    for (int attempt = 0; attempt < 4; ++attempt, step = next_round_step(step)) {
        const double first = std::floor(low / step + multiple_slack);
        const double last = std::ceil(high / step - multiple_slack);
        const ChartAxis axis{first * step + 0.0, last * step + 0.0, step};
        if (!std::isfinite(axis.low) || !std::isfinite(axis.high))
            break;
        if (last - first < fewest) {
            fewest = last - first;
            best = axis;
        }
        if (last - first <= max_intervals)
            break;
    }
    return best;
}

std::vector<double> chart_axes_ticks(const ChartAxis& axis)
{
    std::vector<double> ticks;
    if (!(axis.step > 0.0) || !std::isfinite(axis.low) || !std::isfinite(axis.high))
        return ticks;
    const double first = std::ceil(axis.low / axis.step - multiple_slack);
    const double last = std::floor(axis.high / axis.step + multiple_slack);
    if (!(last - first < static_cast<double>(most_ticks)))
        return ticks;
    for (double k = first; k <= last; k += 1.0)
        ticks.push_back(k * axis.step + 0.0);  // + 0.0: no negative zero
    return ticks;
}

int chart_axes_decimals(double step)
{
    if (!(step < 1.0) || !(step > 0.0))
        return 0;
    return std::clamp(static_cast<int>(std::ceil(-std::log10(step) - multiple_slack)), 0, 12);
}

double chart_axes_y_of_value(const ChartAxis& axis, double value, int height)
{
    if (!std::isfinite(value))
        return std::numeric_limits<double>::quiet_NaN();
    const double span = axis.high - axis.low;
    if (height <= 1 || !(span > 0.0))
        return 0.5 * std::max(height, 1);
    return 0.5 + (axis.high - value) / span * (height - 1);
}

// ---------------------------------------------------------------------------
// Time and pixel columns
// ---------------------------------------------------------------------------

std::int32_t chart_axes_column_of_sample(const ChartTimeScale& scale, std::int64_t sample)
{
    if (scale.samples <= 0 || scale.columns <= 0)
        return -1;
    const std::int64_t k = std::clamp<std::int64_t>(sample - scale.first, 0, scale.samples - 1);
    return static_cast<std::int32_t>(static_cast<__int128>(k) * scale.columns / scale.samples);
}

void chart_axes_samples_of_column(const ChartTimeScale& scale, std::int32_t column, std::int64_t* first,
                                  std::int64_t* last)
{
    *first = *last = 0;
    if (scale.samples <= 0 || scale.columns <= 0)
        return;
    const __int128 n = scale.samples, columns = scale.columns;
    const __int128 c = std::clamp<std::int32_t>(column, 0, scale.columns - 1);
    // floor(k C / n) == c exactly for ceil(c n / C) <= k < ceil((c + 1) n / C).
    *first = static_cast<std::int64_t>((c * n + columns - 1) / columns);
    *last = static_cast<std::int64_t>(((c + 1) * n + columns - 1) / columns);
    if (*first == *last) {
        *first = static_cast<std::int64_t>(c * n / columns);
        *last = *first + 1;
    }
    *first += scale.first;
    *last += scale.first;
}

std::int64_t chart_axes_sample_of_column(const ChartTimeScale& scale, std::int32_t column)
{
    std::int64_t first = 0, last = 0;
    chart_axes_samples_of_column(scale, column, &first, &last);
    return first < last ? first + (last - 1 - first) / 2 : -1;
}

double chart_axes_x_of_time(const ChartTimeScale& scale, double seconds)
{
    return (seconds / scale.period - static_cast<double>(scale.first)) * scale.columns / static_cast<double>(scale.samples);
}

double chart_axes_time_of_x(const ChartTimeScale& scale, double x)
{
    return (x * static_cast<double>(scale.samples) / scale.columns + static_cast<double>(scale.first)) * scale.period;
}

double chart_axes_duration(const ChartTimeScale& scale)
{
    return static_cast<double>(scale.samples) * scale.period;
}

// ---------------------------------------------------------------------------
// Layout
// ---------------------------------------------------------------------------

namespace {
constexpr int header_height = CHART_TEXT_LINE + 1;
constexpr int time_row_height = CHART_TEXT_LINE + 1;
constexpr int panel_gap = 6;
}  // namespace

ChartLayout chart_axes_layout(int width, int height, int panel_count)
{
    const int w = std::max(width, 0);
    const int h = std::max(height, 0);
    const int panels = std::clamp(panel_count, 1, 8);
    const int plot_w = std::max(w - 2 * CHART_SIDE_MARGIN, 0);
    const int available = h - time_row_height - panels * header_height - (panels - 1) * panel_gap;
    const int plot_h = std::max(available / panels, 0);

    ChartLayout layout;
    int y = 0;
    for (int p = 0; p < panels; ++p) {
        ChartPanelLayout panel;
        panel.header = {0, y, w, header_height};
        panel.plot = {CHART_SIDE_MARGIN, y + header_height, plot_w, plot_h};
        layout.panels.push_back(panel);
        y += header_height + plot_h + panel_gap;
    }
    const ChartRect& last = layout.panels.back().plot;
    layout.time_labels = {0, last.y + last.h, w, time_row_height};
    return layout;
}

int chart_axes_max_intervals(int pixels, int spacing)
{
    return spacing > 0 ? std::max(pixels / spacing, 1) : 1;
}
