#include "svg/svg_chart.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>

#include "base/utf8.hpp"
#include "report/emg_chart.hpp"
#include "svg/svg_writer.hpp"

namespace {

constexpr int title_height = 22;
constexpr int label_gap = 4;
// The baseline of a 12-pixel line of text, from its top; and from its middle.
constexpr double baseline_from_top = 11.0;
constexpr double baseline_from_middle = 4.0;
constexpr int ink = 0x000000;
constexpr int plot_ground = 0xF4F1EE;
constexpr int grid_line = 0xD4CCC4;

int color_value(const EmgChartColor& c)
{
    return c.r * 65536 + c.g * 256 + c.b;
}

// Text as XML character data: the markup characters escaped, control
// characters (which XML does not allow) and bytes that are no UTF-8 left
// out.
std::string xml_text(std::string_view text)
{
    std::string out;
    std::size_t k = 0;
    while (k < text.size()) {
        const auto byte = static_cast<unsigned char>(text[k]);
        if (byte < 0x80) {
            switch (byte) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default:
                if (byte >= 0x20 || byte == '\t')
                    out.push_back(static_cast<char>(byte));
            }
            ++k;
            continue;
        }
        // A whole character, kept when XML allows it.
        char32_t code = 0;
        const std::size_t length = utf8_decode(text, k, &code);
        const bool whole = length > 0 && code != 0xFFFE && code != 0xFFFF;
        if (whole)
            out.append(text.substr(k, length));
        k += whole ? length : 1;
    }
    return out;
}

// Places everything in pixels of the drawing; the primitives take
// fractions of it.
struct Page {
    SvgSink& file;
    double width;
    double height;
    int top;  // of the chart, under the title

    void text(int indent, double x, double y, const std::string& line, const char* anchor) const
    {
        file.tabs(indent);
        file.print("<text x=\"%3.2lf%%\" y=\"%3.2lf%%\"", x / width * 100, y / height * 100);
        if (anchor != nullptr)
            file.print(" text-anchor=\"%s\"", anchor);
        file.write(">");
        file.write(xml_text(line));
        file.write("</text>\n");
    }
    void rectangle(int indent, const ChartRect& r, int color) const
    {
        svg_writer_draw_rectangle(file, indent, r.x / width, (top + r.y) / height, r.w / width, r.h / height, color);
    }
    void line(int indent, double x1, double y1, double x2, double y2) const
    {
        svg_writer_draw_line(file, indent, x1 / width, (top + y1) / height, x2 / width, (top + y2) / height, -1);
    }
    void open_group(int indent, const std::string& attributes) const
    {
        file.tabs(indent);
        file.write("<g");
        file.write(attributes);
        file.write(">\n");
    }
    void close_group(int indent) const
    {
        file.tabs(indent);
        file.write("</g>\n");
    }
};

std::string color_attribute(const char* name, int color)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, " %s=\"#%.6lX\"", name, static_cast<long>(color));
    return buffer;
}

// A trace as polylines through the columns' centres: in each column its
// largest and smallest value (one point where they agree), in the order
// that goes on from the column before. A column without values ends the
// polyline; a change between solid and dashed starts a new one at the last
// point of the old one.
void write_trace(const Page& page, int indent, const EmgChart& chart, const ChartRect& plot, const ChartAxis& axis,
                 const EmgChartTrace& trace)
{
    page.open_group(indent, color_attribute("stroke", color_value(emg_chart_color(trace.quantity))) + " fill=\"none\"");
    const int columns = std::min<int>(plot.w, static_cast<int>(trace.low.size()));
    bool open = false;
    bool open_dashed = false;
    double last_x = 0, last_y = 0;
    auto close = [&] {
        if (open)
            page.file.write("\"/>\n");
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
        const bool dashed = trace.dashes && k < chart.dashed.size() && chart.dashed[k];
        const double x = plot.x + c + 0.5;
        const double top = page.top + plot.y, first_y = top + high, second_y = top + low;
        if (open && dashed != open_dashed) {
            close();
            page.file.tabs(indent + 1);
            page.file.write(dashed ? "<polyline stroke-dasharray=\"4,3\" points=\"" : "<polyline points=\"");
            page.file.point(last_x, last_y);
            open = true;
        } else if (!open) {
            page.file.tabs(indent + 1);
            page.file.write(dashed ? "<polyline stroke-dasharray=\"4,3\" points=\"" : "<polyline points=\"");
            open = true;
        }
        open_dashed = dashed;
        // Go on from the nearer end.
        const bool high_first = std::fabs(last_y - first_y) <= std::fabs(last_y - second_y);
        const double a = high_first ? first_y : second_y, b = high_first ? second_y : first_y;
        page.file.point(x, a);
        if (a != b)
            page.file.point(x, b);
        last_x = x;
        last_y = b;
    }
    close();
    page.close_group(indent);
}

void write_value_labels(const Page& page, int indent, const ChartRect& plot, const ChartAxis& axis,
                        const EmgChartColor& color, bool right)
{
    page.open_group(indent, color_attribute("fill", color_value(color))
                                + (right ? " text-anchor=\"start\"" : " text-anchor=\"end\""));
    for (const double tick : chart_axes_ticks(axis)) {
        // Centred on the tick, but within the plot's height.
        const double middle = std::clamp(chart_axes_y_of_value(axis, tick, plot.h), baseline_from_top - baseline_from_middle,
                                         plot.h - (baseline_from_top - baseline_from_middle));
        page.text(indent + 1, right ? plot.x + plot.w + label_gap : plot.x - label_gap,
                  page.top + plot.y + middle + baseline_from_middle, emg_chart_tick_label(tick, axis.step), nullptr);
    }
    page.close_group(indent);
}

void write_panel(const Page& page, const EmgChart& chart, const EmgChartPanel& panel)
{
    const ChartRect& plot = panel.place.plot;
    page.rectangle(2, plot, plot_ground);
    if (chart.has_samples() && plot.w > 0 && plot.h > 0) {
        page.open_group(2, color_attribute("stroke", grid_line));
        for (const double tick : chart_axes_ticks(panel.left_axis)) {
            const double y = plot.y + chart_axes_y_of_value(panel.left_axis, tick, plot.h);
            page.line(3, plot.x, y, plot.x + plot.w, y);
        }
        for (const double tick : chart_axes_ticks(chart.time_axis)) {
            const double x = plot.x + chart_axes_x_of_time(chart.time, tick) + 0.5;
            if (x < plot.x + plot.w)
                page.line(3, x, plot.y, x, plot.y + plot.h);
        }
        page.close_group(2);
        write_value_labels(page, 2, plot, panel.left_axis, panel.left_color, false);
        if (panel.has_right_axis)
            write_value_labels(page, 2, plot, panel.right_axis, panel.right_color, true);
        const ChartRect& header = panel.place.header;
        for (std::size_t t = 0; t < panel.traces.size() && t < 2; ++t) {
            page.open_group(2, color_attribute("fill", color_value(emg_chart_color(panel.traces[t].quantity))));
            page.text(3, t == 0 ? header.x + 2 : header.x + header.w - 2, page.top + header.y + baseline_from_top,
                      emg_chart_legend(panel.traces[t].quantity), t == 0 ? nullptr : "end");
            page.close_group(2);
        }
        for (const EmgChartTrace& trace : panel.traces)
            write_trace(page, 2, chart, plot, trace.right_axis ? panel.right_axis : panel.left_axis, trace);
    }
    page.open_group(2, " fill=\"none\"" + color_attribute("stroke", ink));
    page.rectangle(3, plot, -1);
    page.close_group(2);
}

}  // namespace

void svg_chart_write(SvgSink& file, const EmgReport& report, int exercise, int width, int height)
{
    width = std::clamp(width, SVG_CHART_MIN_SIDE, SVG_CHART_MAX_SIDE);
    height = std::clamp(height, SVG_CHART_MIN_SIDE, SVG_CHART_MAX_SIDE);
    const EmgChart chart = emg_chart_build(&report, exercise, width, std::max(height - title_height, 0));
    const Page page{file, static_cast<double>(width), static_cast<double>(height), title_height};

    svg_writer_preamble(file);
    svg_writer_svg_opening(file, width, height, 1.0);
    svg_writer_draw_rectangle(file, 1, 0, 0, 1, 1, 0xFFFFFF);
    page.open_group(1, color_attribute("fill", ink) + " font-family=\"DejaVu Sans, Verdana, sans-serif\""
                           " font-size=\"12\"");
    if (!chart.title.empty()) {
        page.open_group(2, " font-size=\"14\"");
        page.text(3, label_gap, baseline_from_top + 5, chart.title, nullptr);
        page.close_group(2);
    }
    for (const EmgChartPanel& panel : chart.panels)
        write_panel(page, chart, panel);

    const ChartRect& first = chart.panels.front().place.plot;
    if (!chart.has_samples()) {
        page.text(2, first.x + first.w / 2.0, page.top + first.y + first.h / 2.0 + baseline_from_middle, chart.message,
                  "middle");
    } else {
        const double baseline = page.top + chart.time_labels.y + baseline_from_top + 1;
        page.open_group(2, " text-anchor=\"middle\"");
        for (const double tick : chart_axes_ticks(chart.time_axis)) {
            const double x = chart_axes_x_of_time(chart.time, tick);
            if (x >= 0 && x < first.w)
                page.text(3, first.x + x + 0.5, baseline, emg_chart_tick_label(tick, chart.time_axis.step), nullptr);
        }
        page.close_group(2);
        page.text(2, first.x + first.w + label_gap, baseline, emg_chart_time_unit(chart), nullptr);
    }
    page.close_group(1);
    svg_writer_svg_closing(file);
}
