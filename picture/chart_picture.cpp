#include "picture/chart_picture.hpp"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "geometry/chart_axes.hpp"

namespace {

// Between a plot's edge and its value labels.
constexpr int label_gap = 4;
// On paper: the baseline of a 12-unit line of text from its top, and from
// its middle.
constexpr double baseline_from_top = 11.0;
constexpr double baseline_from_middle = 4.0;
// In the window: dashed stretches are so many columns drawn, then so many
// left out.
constexpr int dash_on = 4;
constexpr int dash_period = 7;

PictureColor color_of(const EmgChartColor& c)
{
    return {c.r, c.g, c.b};
}

PictureStyle anchored(PictureAnchor anchor)
{
    PictureStyle style;
    style.anchor = anchor;
    return style;
}

PictureColor trace_color(const EmgChartTrace& trace)
{
    return color_of(emg_chart_color(trace.quantity));
}

bool column_dashed(const EmgChart& chart, const EmgChartTrace& trace, std::size_t column)
{
    return trace.dashes && column < chart.dashed.size() && chart.dashed[column];
}

// ---------------------------------------------------------------------------
// Paper
// ---------------------------------------------------------------------------

// A trace as polylines through the columns' centres: in each column its
// largest and smallest value (one point where they agree), in the order
// that goes on from the column before. A column without values ends the
// polyline; a change between solid and dashed starts a new one at the last
// point of the old one.
void paper_trace(Picture* picture, int top_of_plots, const EmgChart& chart, const ChartRect& plot,
                 const ChartAxis& axis, const EmgChartTrace& trace)
{
    PictureStyle group;
    group.stroke = PicturePaint::of(trace_color(trace));
    group.fill = PicturePaint::none_paint();
    picture_group(picture, group).hints.svg_stroke_first = true;
    const int columns = std::min<int>(plot.w, static_cast<int>(trace.low.size()));
    std::vector<PicturePoint> points;
    bool open = false;
    bool open_dashed = false;
    double last_x = 0, last_y = 0;
    auto close = [&] {
        if (open) {
            PictureStyle style;
            style.dash = open_dashed ? PictureDash::dashed : PictureDash::solid;
            picture_polyline(picture, std::move(points), style);
            points.clear();
        }
        open = false;
    };
    for (int c = 0; c < columns; ++c) {
        const auto k = static_cast<std::size_t>(c);
        const double high = chart_axes_y_of_value(axis, trace.high[k], plot.h);
        const double low = chart_axes_y_of_value(axis, trace.low[k], plot.h);
        if (std::isnan(high) || std::isnan(low)) {
            close();
            continue;
        }
        const bool dashed = column_dashed(chart, trace, k);
        const double x = plot.x + c + 0.5;
        const double top = top_of_plots + plot.y, first_y = top + high, second_y = top + low;
        if (open && dashed != open_dashed) {
            close();
            points.push_back({last_x, last_y});
        }
        open = true;
        open_dashed = dashed;
        // Go on from the nearer end.
        const bool high_first = std::fabs(last_y - first_y) <= std::fabs(last_y - second_y);
        const double a = high_first ? first_y : second_y, b = high_first ? second_y : first_y;
        points.push_back({x, a});
        if (a != b)
            points.push_back({x, b});
        last_x = x;
        last_y = b;
    }
    close();
    picture_group_end(picture);
}

void paper_value_labels(Picture* picture, int top_of_plots, const ChartRect& plot, const ChartAxis& axis,
                        PictureColor color, bool right)
{
    PictureStyle group = picture_fill(color);
    group.anchor = right ? PictureAnchor::start : PictureAnchor::end;
    picture_group(picture, group);
    for (const double tick : chart_axes_ticks(axis)) {
        // Centred on the tick, but within the plot's height.
        const double middle = std::clamp(chart_axes_y_of_value(axis, tick, plot.h), baseline_from_top - baseline_from_middle,
                                         plot.h - (baseline_from_top - baseline_from_middle));
        const double x = right ? plot.x + plot.w + label_gap : plot.x - label_gap;
        picture_text(picture, {x, top_of_plots + plot.y + middle + baseline_from_middle},
                     emg_chart_tick_label(tick, axis.step));
    }
    picture_group_end(picture);
}

void paper_panel(Picture* picture, int top, const EmgChart& chart, const EmgChartPanel& panel, const ChartPictureLook& look)
{
    const ChartRect& plot = panel.place.plot;
    picture_rectangle(picture, {static_cast<double>(plot.x), static_cast<double>(top + plot.y),
                                static_cast<double>(plot.w), static_cast<double>(plot.h)},
                      picture_fill(look.plot_ground));
    if (chart.has_samples() && plot.w > 0 && plot.h > 0) {
        PictureStyle grid;
        grid.stroke = PicturePaint::of(look.grid);
        picture_group(picture, grid);
        for (const double tick : chart_axes_ticks(panel.left_axis)) {
            const double y = plot.y + chart_axes_y_of_value(panel.left_axis, tick, plot.h);
            picture_line(picture, {static_cast<double>(plot.x), top + y},
                         {static_cast<double>(plot.x + plot.w), top + y})
                .hints.svg_line = true;
        }
        for (const double tick : chart_axes_ticks(chart.time_axis)) {
            const double x = plot.x + chart_axes_x_of_time(chart.time, tick) + 0.5;
            if (x < plot.x + plot.w)
                picture_line(picture, {x, static_cast<double>(top + plot.y)}, {x, static_cast<double>(top + plot.y + plot.h)})
                    .hints.svg_line = true;
        }
        picture_group_end(picture);
        paper_value_labels(picture, top, plot, panel.left_axis, color_of(panel.left_color), false);
        if (panel.has_right_axis)
            paper_value_labels(picture, top, plot, panel.right_axis, color_of(panel.right_color), true);
        const ChartRect& header = panel.place.header;
        for (std::size_t t = 0; t < panel.traces.size() && t < 2; ++t) {
            picture_group(picture, picture_fill(trace_color(panel.traces[t])));
            const double x = t == 0 ? header.x + 2 : header.x + header.w - 2;
            picture_text(picture, {x, top + header.y + baseline_from_top}, emg_chart_legend(panel.traces[t].quantity),
                         anchored(t == 0 ? PictureAnchor::inherit : PictureAnchor::end));
            picture_group_end(picture);
        }
        for (const EmgChartTrace& trace : panel.traces)
            paper_trace(picture, top, chart, plot, trace.right_axis ? panel.right_axis : panel.left_axis, trace);
    }
    PictureStyle frame;
    frame.fill = PicturePaint::none_paint();
    frame.stroke = PicturePaint::of(look.ink);
    picture_group(picture, frame);
    picture_rectangle(picture, {static_cast<double>(plot.x), static_cast<double>(top + plot.y),
                                static_cast<double>(plot.w), static_cast<double>(plot.h)});
    picture_group_end(picture);
}

void paper_chart(Picture* picture, const EmgChart& chart, const ChartPictureLook& look)
{
    const int top = static_cast<int>(look.title_height);
    picture->width = chart.width;
    picture->height = chart.height + top;
    picture_rectangle(picture, {0, 0, picture->width, picture->height}, picture_fill(look.ground));
    PictureStyle page = picture_fill(look.ink);
    page.font_size = 12;
    picture_group(picture, page).hints.svg_font_family = true;
    if (!chart.title.empty()) {
        PictureStyle title;
        title.font_size = 14;
        picture_group(picture, title);
        picture_text(picture, {label_gap, baseline_from_top + 5}, chart.title);
        picture_group_end(picture);
    }
    for (const EmgChartPanel& panel : chart.panels)
        paper_panel(picture, top, chart, panel, look);

    const ChartRect& first = chart.panels.front().place.plot;
    if (!chart.has_samples()) {
        picture_text(picture, {first.x + first.w / 2.0, top + first.y + first.h / 2.0 + baseline_from_middle},
                     chart.message, anchored(PictureAnchor::middle));
    } else {
        const double baseline = top + chart.time_labels.y + baseline_from_top + 1;
        picture_group(picture, anchored(PictureAnchor::middle));
        for (const double tick : chart_axes_ticks(chart.time_axis)) {
            const double x = chart_axes_x_of_time(chart.time, tick);
            if (x >= 0 && x < first.w)
                picture_text(picture, {first.x + x + 0.5, baseline}, emg_chart_tick_label(tick, chart.time_axis.step));
        }
        picture_group_end(picture);
        picture_text(picture, {static_cast<double>(first.x + first.w + label_gap), baseline}, emg_chart_time_unit(chart));
    }
    picture_group_end(picture);
}

// ---------------------------------------------------------------------------
// Window
// ---------------------------------------------------------------------------

struct Pixels {
    Picture* picture;
    const ChartPictureLook& look;

    void fill(int x, int y, int w, int h, PictureColor color) const
    {
        picture_rectangle(picture, {static_cast<double>(x), static_cast<double>(y), static_cast<double>(w),
                                    static_cast<double>(h)},
                          picture_fill(color));
    }
    // One line of text whose top is at `top`, placed by its left end, middle
    // or right end at `x`, kept inside [left, right] where it fits.
    void text(const std::string& line, PictureColor color, int x, int top, PictureAnchor anchor, int left,
              int right) const
    {
        PictureStyle style = picture_fill(color);
        style.anchor = anchor;
        PictureItem& item = picture_text(picture, {static_cast<double>(x), top + look.text_ascent}, line, style);
        item.clipped = true;
        item.box = {static_cast<double>(left), static_cast<double>(top), static_cast<double>(right - left), 0};
    }
};

// The row of a value in a plot, or -1 for none.
int row_of(const ChartAxis& axis, double value, const ChartRect& plot)
{
    const double y = chart_axes_y_of_value(axis, value, plot.h);
    return std::isnan(y) ? -1 : std::clamp(static_cast<int>(std::floor(y)), 0, std::max(plot.h - 1, 0));
}

// One trace: in every column a vertical run of pixels from its highest to
// its lowest value, stretched half-way towards the runs of the columns
// beside it so the line stays connected; columns without values leave a
// gap. Dashed columns are drawn in runs of dash_on out of dash_period.
void window_trace(const Pixels& out, const EmgChart& chart, const ChartRect& plot, const ChartAxis& axis,
                  const EmgChartTrace& trace)
{
    const int columns = std::min<int>(plot.w, static_cast<int>(trace.low.size()));
    std::vector<int> top(static_cast<std::size_t>(columns), -1), bottom(static_cast<std::size_t>(columns), -1);
    for (int c = 0; c < columns; ++c) {
        top[static_cast<std::size_t>(c)] = row_of(axis, trace.high[static_cast<std::size_t>(c)], plot);
        bottom[static_cast<std::size_t>(c)] = row_of(axis, trace.low[static_cast<std::size_t>(c)], plot);
    }
    const PictureColor color = trace_color(trace);
    int dash_start = 0;
    for (int c = 0; c < columns; ++c) {
        const auto k = static_cast<std::size_t>(c);
        const bool dashed = column_dashed(chart, trace, k);
        if (!dashed || c == 0 || !chart.dashed[k - 1])
            dash_start = c;
        if (top[k] < 0)
            continue;
        int from = top[k], to = bottom[k];
        for (const int side : {c - 1, c + 1}) {
            if (side < 0 || side >= columns || top[static_cast<std::size_t>(side)] < 0)
                continue;
            const int side_top = top[static_cast<std::size_t>(side)], side_bottom = bottom[static_cast<std::size_t>(side)];
            if (side_bottom < top[k])
                from = std::min(from, (side_bottom + top[k] + 1) / 2);
            if (side_top > bottom[k])
                to = std::max(to, (bottom[k] + side_top) / 2);
        }
        if (dashed && (c - dash_start) % dash_period >= dash_on)
            continue;
        out.fill(plot.x + c, plot.y + from, 1, to - from + 1, color);
    }
}

// The labels of one value axis beside the plot, each centred on its tick
// but kept within the plot's height.
void window_value_labels(const Pixels& out, const ChartRect& plot, const ChartAxis& axis, PictureColor color,
                         bool right, int page_width)
{
    for (const double tick : chart_axes_ticks(axis)) {
        const int row = row_of(axis, tick, plot);
        const int top = std::clamp(plot.y + row - CHART_TEXT_LINE / 2, plot.y - 1, plot.y + plot.h + 1 - CHART_TEXT_LINE);
        const std::string label = emg_chart_tick_label(tick, axis.step);
        if (right)
            out.text(label, color, plot.x + plot.w + label_gap, top, PictureAnchor::start, 0, page_width);
        else
            out.text(label, color, plot.x - label_gap, top, PictureAnchor::end, 0, plot.x - label_gap);
    }
}

// Frame, ground and grid of every plot, the value labels, the legends, the
// traces, and the time labels under the last plot.
void window_chart(Picture* picture, const EmgChart& chart, const ChartPictureLook& look)
{
    const int width = std::max(chart.width, 1);
    picture->width = width;
    picture->height = std::max(chart.height, 1);
    const Pixels out{picture, look};
    out.fill(0, 0, width, static_cast<int>(picture->height), look.ground);
    for (const EmgChartPanel& panel : chart.panels) {
        const ChartRect& plot = panel.place.plot;
        out.fill(plot.x - 1, plot.y - 1, plot.w + 2, plot.h + 2, look.ink);
        out.fill(plot.x, plot.y, plot.w, plot.h, look.plot_ground);
        if (!chart.has_samples() || plot.w <= 0 || plot.h <= 0)
            continue;
        for (const double tick : chart_axes_ticks(panel.left_axis))
            out.fill(plot.x, plot.y + row_of(panel.left_axis, tick, plot), plot.w, 1, look.grid);
        for (const double tick : chart_axes_ticks(chart.time_axis)) {
            const double x = chart_axes_x_of_time(chart.time, tick);
            if (x >= 0 && x < plot.w)
                out.fill(plot.x + static_cast<int>(x), plot.y, 1, plot.h, look.grid);
        }
        window_value_labels(out, plot, panel.left_axis, color_of(panel.left_color), false, width);
        if (panel.has_right_axis)
            window_value_labels(out, plot, panel.right_axis, color_of(panel.right_color), true, width);
        const ChartRect& header = panel.place.header;
        for (std::size_t t = 0; t < panel.traces.size() && t < 2; ++t)
            out.text(emg_chart_legend(panel.traces[t].quantity), trace_color(panel.traces[t]),
                     t == 0 ? header.x + 2 : header.x + header.w - 2, header.y,
                     t == 0 ? PictureAnchor::start : PictureAnchor::end, 0, width);
        for (const EmgChartTrace& trace : panel.traces)
            window_trace(out, chart, plot, trace.right_axis ? panel.right_axis : panel.left_axis, trace);
    }

    const ChartRect& first = chart.panels.front().place.plot;
    if (!chart.has_samples()) {
        out.text(chart.message, look.ink, first.x + first.w / 2, first.y + first.h / 2 - CHART_TEXT_LINE / 2,
                 PictureAnchor::middle, 0, width);
        return;
    }
    const ChartRect& row = chart.time_labels;
    for (const double tick : chart_axes_ticks(chart.time_axis)) {
        const double x = chart_axes_x_of_time(chart.time, tick);
        if (x >= 0 && x < first.w)
            out.text(emg_chart_tick_label(tick, chart.time_axis.step), look.ink, first.x + static_cast<int>(x), row.y,
                     PictureAnchor::middle, 0, first.x + first.w + label_gap);
    }
    out.text(emg_chart_time_unit(chart), look.ink, first.x + first.w + label_gap, row.y, PictureAnchor::start, 0, width);
}

}  // namespace

ChartPictureLook chart_picture_paper()
{
    return {};
}

ChartPictureLook chart_picture_window(PictureColor ink, PictureColor ground, double text_ascent)
{
    ChartPictureLook look;
    look.window = true;
    look.ink = ink;
    look.ground = ground;
    // Inside the plots: a ground darker than the paper's, and its grid.
    look.plot_ground = {214, 204, 194};
    look.grid = {188, 176, 164};
    look.title_height = 0;
    look.text_ascent = text_ascent;
    return look;
}

Picture chart_picture(const EmgChart& chart, const ChartPictureLook& look)
{
    Picture picture;
    if (look.window)
        window_chart(&picture, chart, look);
    else
        paper_chart(&picture, chart, look);
    return picture;
}

Picture chart_picture_readout(const EmgChart& chart, const EmgChartPanel& panel, std::int32_t column,
                              const ChartPictureLook& look)
{
    Picture picture;
    const ChartRect& header = panel.place.header;
    const int width = std::max(header.w, 1);
    picture.width = width;
    picture.height = std::max(header.h, 1);
    const Pixels out{&picture, look};
    out.fill(0, 0, width, static_cast<int>(picture.height), look.ground);
    const ChartRect& plot = panel.place.plot;
    if (&panel == &chart.panels.front())
        out.text(emg_chart_time_text(chart, chart_axes_sample_of_column(chart.time, column)), look.ink,
                 plot.x + plot.w / 2, 0, PictureAnchor::middle, 0, width);
    for (std::size_t t = 0; t < panel.traces.size() && t < 2; ++t) {
        const EmgChartTrace& trace = panel.traces[t];
        out.text(emg_chart_value_text(chart, panel, trace, column), trace_color(trace), t == 0 ? 2 : width - 2, 0,
                 t == 0 ? PictureAnchor::start : PictureAnchor::end, 0, width);
    }
    return picture;
}
