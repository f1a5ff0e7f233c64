// Index of this file:
// [SECTION] Drawing on a surface
// [SECTION] The picture
// [SECTION] Widget operations
#include "widgets/interactable_chart.hpp"

#include <algorithm>
#include <cmath>
#include <string>

void InteractableChart::react(const SDL_Event* event)
{
    interactable_chart_react(this, event);
}

void InteractableChart::blit(int window_width, int window_height)
{
    interactable_chart_blit(this, window_width, window_height);
}

void InteractableChart::render()
{
    interactable_chart_render(this);
}

// =============================================================================
// [SECTION] Drawing on a surface
// =============================================================================

namespace {

// Inside the plots: a lighter ground and its grid.
constexpr Color plot_ground{214, 204, 194, 255};
constexpr Color grid_line{188, 176, 164, 255};
// Dashed stretches: so many columns drawn, then so many left out.
constexpr int dash_on = 4;
constexpr int dash_period = 7;
// Between a plot's edge and its value labels.
constexpr int label_gap = 4;

Color opaque(const EmgChartColor& c)
{
    return Color{c.r, c.g, c.b, 255};
}

void fill(SDL_Surface* picture, int x, int y, int w, int h, const Color& c)
{
    SDL_Rect rect{x, y, w, h};
    SDL_FillRect(picture, &rect, SDL_MapRGBA(picture->format, c.r, c.g, c.b, c.a));
}

enum class Anchor { start, middle, end };

// One line of text whose top is at `top`, placed by its left end, middle or
// right end at `x`; kept inside [left, right] where it fits.
void text(SDL_Surface* picture, TTF_Font* font, const std::string& line, const Color& color, int x, int top,
          Anchor anchor, int left, int right)
{
    if (font == nullptr || line.empty())
        return;
    const SurfacePtr rendered(TTF_RenderUTF8_Blended(font, line.c_str(), sdl_color(color)));
    if (rendered == nullptr)
        return;
    int at = anchor == Anchor::start ? x : anchor == Anchor::middle ? x - rendered->w / 2 : x - rendered->w;
    at = std::max(std::min(at, right - rendered->w), left);
    SDL_Rect destination{at, top, rendered->w, rendered->h};
    SDL_BlitSurface(rendered.get(), nullptr, picture, &destination);
}

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
void draw_trace(SDL_Surface* picture, const EmgChart& chart, const ChartRect& plot, const ChartAxis& axis,
                const EmgChartTrace& trace)
{
    const int columns = std::min<int>(plot.w, static_cast<int>(trace.low.size()));
    std::vector<int> top(static_cast<std::size_t>(columns), -1), bottom(static_cast<std::size_t>(columns), -1);
    for (int c = 0; c < columns; ++c) {
        top[static_cast<std::size_t>(c)] = row_of(axis, trace.high[static_cast<std::size_t>(c)], plot);
        bottom[static_cast<std::size_t>(c)] = row_of(axis, trace.low[static_cast<std::size_t>(c)], plot);
    }
    const Color color = opaque(emg_chart_color(trace.quantity));
    int dash_start = 0;
    for (int c = 0; c < columns; ++c) {
        const auto k = static_cast<std::size_t>(c);
        const bool dashed = trace.dashes && k < chart.dashed.size() && chart.dashed[k];
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
        fill(picture, plot.x + c, plot.y + from, 1, to - from + 1, color);
    }
}

// The labels of one value axis beside the plot, each centred on its tick
// but kept within the plot's height.
void draw_value_labels(SDL_Surface* picture, TTF_Font* font, const ChartRect& plot, const ChartAxis& axis,
                       const Color& color, bool right, int picture_width)
{
    for (const double tick : chart_axes_ticks(axis)) {
        const int row = row_of(axis, tick, plot);
        const int top = std::clamp(plot.y + row - CHART_TEXT_LINE / 2, plot.y - 1, plot.y + plot.h + 1 - CHART_TEXT_LINE);
        const std::string label = emg_chart_tick_label(tick, axis.step);
        if (right)
            text(picture, font, label, color, plot.x + plot.w + label_gap, top, Anchor::start, 0, picture_width);
        else
            text(picture, font, label, color, plot.x - label_gap, top, Anchor::end, 0, plot.x - label_gap);
    }
}

// =============================================================================
// [SECTION] The picture
// =============================================================================

// Frame, ground and grid of every plot, the value labels, the legends, the
// traces, and the time labels under the last plot.
SurfacePtr draw_picture(const InteractableChart* widget)
{
    const EmgChart& chart = widget->chart;
    SurfacePtr picture = create_surface(std::max(widget->w, 1), std::max(widget->h, 1));
    SDL_Surface* p = picture.get();
    fill(p, 0, 0, p->w, p->h, widget->background);
    TTF_Font* font = widget->font;
    const Color& ink = widget->foreground;

    for (const EmgChartPanel& panel : chart.panels) {
        const ChartRect& plot = panel.place.plot;
        fill(p, plot.x - 1, plot.y - 1, plot.w + 2, plot.h + 2, ink);
        fill(p, plot.x, plot.y, plot.w, plot.h, plot_ground);
        if (!chart.has_samples() || plot.w <= 0 || plot.h <= 0)
            continue;
        for (const double tick : chart_axes_ticks(panel.left_axis))
            fill(p, plot.x, plot.y + row_of(panel.left_axis, tick, plot), plot.w, 1, grid_line);
        for (const double tick : chart_axes_ticks(chart.time_axis)) {
            const double x = chart_axes_x_of_time(chart.time, tick);
            if (x >= 0 && x < plot.w)
                fill(p, plot.x + static_cast<int>(x), plot.y, 1, plot.h, grid_line);
        }
        draw_value_labels(p, font, plot, panel.left_axis, opaque(panel.left_color), false, p->w);
        if (panel.has_right_axis)
            draw_value_labels(p, font, plot, panel.right_axis, opaque(panel.right_color), true, p->w);
        const ChartRect& header = panel.place.header;
        for (std::size_t t = 0; t < panel.traces.size() && t < 2; ++t)
            text(p, font, emg_chart_legend(panel.traces[t].quantity), opaque(emg_chart_color(panel.traces[t].quantity)),
                 t == 0 ? header.x + 2 : header.x + header.w - 2, header.y, t == 0 ? Anchor::start : Anchor::end,
                 0, p->w);
        for (const EmgChartTrace& trace : panel.traces)
            draw_trace(p, chart, plot, trace.right_axis ? panel.right_axis : panel.left_axis, trace);
    }

    const ChartRect& first = chart.panels.front().place.plot;
    if (!chart.has_samples()) {
        text(p, font, chart.message, ink, first.x + first.w / 2, first.y + first.h / 2 - CHART_TEXT_LINE / 2,
             Anchor::middle, 0, p->w);
        return picture;
    }
    const ChartRect& row = chart.time_labels;
    for (const double tick : chart_axes_ticks(chart.time_axis)) {
        const double x = chart_axes_x_of_time(chart.time, tick);
        if (x >= 0 && x < first.w)
            text(p, font, emg_chart_tick_label(tick, chart.time_axis.step), ink, first.x + static_cast<int>(x), row.y,
                 Anchor::middle, 0, first.x + first.w + label_gap);
    }
    text(p, font, emg_chart_time_unit(chart), ink, first.x + first.w + label_gap, row.y, Anchor::start, 0, p->w);
    return picture;
}

// A plot's text line with the values under `column`: the first trace's
// value where its legend starts, the second's where its legend ends, and in
// the first plot's line the time between them.
SurfacePtr draw_readout(const InteractableChart* widget, const EmgChartPanel& panel, std::int32_t column)
{
    const EmgChart& chart = widget->chart;
    const ChartRect& header = panel.place.header;
    SurfacePtr picture = create_surface(std::max(header.w, 1), std::max(header.h, 1));
    SDL_Surface* p = picture.get();
    fill(p, 0, 0, p->w, p->h, widget->background);
    const ChartRect& plot = panel.place.plot;
    if (&panel == &chart.panels.front())
        text(p, widget->font, emg_chart_time_text(chart, chart_axes_sample_of_column(chart.time, column)),
             widget->foreground, plot.x + plot.w / 2, 0, Anchor::middle, 0, p->w);
    for (std::size_t t = 0; t < panel.traces.size() && t < 2; ++t) {
        const EmgChartTrace& trace = panel.traces[t];
        text(p, widget->font, emg_chart_value_text(chart, panel, trace, column),
             opaque(emg_chart_color(trace.quantity)), t == 0 ? 2 : p->w - 2, 0, t == 0 ? Anchor::start : Anchor::end,
             0, p->w);
    }
    return picture;
}

// A texture over a rectangle of the window, placed as the base blit places
// a widget's texture.
void draw_quad(GLuint texture, int x, int y, int w, int h, int window_width, int window_height)
{
    const int HW = window_width / 2, HH = window_height / 2;
    const float left = static_cast<float>(HW - (window_width - x)) / static_cast<float>(HW);
    const float right = static_cast<float>(HW - (window_width - (x + w))) / static_cast<float>(HW);
    const float top = static_cast<float>(HH - y) / static_cast<float>(HH);
    const float bottom = static_cast<float>(HH - (y + h)) / static_cast<float>(HH);
    glBindTexture(GL_TEXTURE_2D, texture);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(left, top);
    glTexCoord2f(1, 0);
    glVertex2f(right, top);
    glTexCoord2f(1, 1);
    glVertex2f(right, bottom);
    glTexCoord2f(0, 1);
    glVertex2f(left, bottom);
    glEnd();
    glBindTexture(GL_TEXTURE_2D, 0);
}

bool chart_takes_pointer(const InteractableChart* chart)
{
    return chart->chart.has_samples() && chart->chart.time.columns > 0;
}

void seek(InteractableChart* chart, std::int32_t column)
{
    chart->seek_sample = chart_axes_sample_of_column(chart->chart.time, column);
    if (chart->callback != nullptr)
        chart->callback(chart);
}

void ask_for_view(InteractableChart* chart, EmgChartRange range)
{
    const ChartTimeScale& shown = chart->chart.time;
    if (range.first == shown.first && range.count == shown.samples)
        return;
    chart->view = range;
    if (chart->view_callback != nullptr)
        chart->view_callback(chart);
}

// Each notch of the wheel shows a fifth fewer samples, or a quarter more.
constexpr double zoom_in_factor = 0.8;

}  // namespace

// =============================================================================
// [SECTION] Widget operations
// =============================================================================

void interactable_chart_init(InteractableChart* chart, int x, int y, int w, int h, const Color* foreground,
                             const Color* background, InteractableCallback callback, TTF_Font* font)
{
    interactable_init(chart, x, y, w, h, foreground, background, callback);
    chart->font = font;
    interactable_chart_set_chart(chart, emg_chart_build(nullptr, 0, w, h));
}

std::unique_ptr<InteractableChart> interactable_chart_create(int x, int y, int w, int h, const Color* foreground,
                                                             const Color* background, InteractableCallback callback,
                                                             TTF_Font* font)
{
    auto chart = interactable_allocate<InteractableChart>("Malloc for interactable (chart) failed\n");
    interactable_chart_init(chart.get(), x, y, w, h, foreground, background, callback, font);
    return chart;
}

void interactable_chart_set_chart(InteractableChart* chart, EmgChart model)
{
    chart->chart = std::move(model);
    chart->texture_valid = 0;
    chart->readout_column = -2;
    chart->hover_column = -1;
}

void interactable_chart_set_cursor(InteractableChart* chart, double sample)
{
    chart->cursor_sample = sample;
}

EmgChartRange interactable_chart_zoom_at(const InteractableChart* chart, int window_x, int steps)
{
    const ChartTimeScale& shown = chart->chart.time;
    if (!chart_takes_pointer(chart))
        return {shown.first, shown.samples};
    // The time under the pointer, as a fractional sample.
    const double x = window_x - (chart->x + chart->chart.panels.front().place.plot.x) + 0.5;
    const double pivot =
        static_cast<double>(shown.first) + x * static_cast<double>(shown.samples) / static_cast<double>(shown.columns);
    return emg_chart_zoom(shown, chart->chart.exercise_samples, pivot, std::pow(zoom_in_factor, steps));
}

std::int32_t interactable_chart_column_at(const InteractableChart* chart, int window_x)
{
    if (!chart_takes_pointer(chart))
        return -1;
    const int column = window_x - (chart->x + chart->chart.panels.front().place.plot.x);
    return column >= 0 && column < chart->chart.time.columns ? column : -1;
}

// Idle --left press on a plot column--> seeking: asks for the column's sample
//      (a double click asks for the whole exercise as well)
// Idle --right press on a plot column--> panning
// Seeking --drag--> asks for the sample of the column under the pointer,
//         held within the plot
// Panning --drag--> asks for the range moved by the pointer's columns
// Any --release anywhere--> idle
// Apart from that, every motion sets the hovered column: the plot column
// under the pointer inside the widget, none elsewhere; the wheel over a plot
// asks for the range zoomed about the pointer.
void interactable_chart_react(InteractableChart* chart, const SDL_Event* event)
{
    if (!chart->active)
        return;

    // Input
    const InteractablePointer pointer = interactable_pointer(chart, event);
    switch (pointer) {
    case InteractablePointer::press: {
        const std::int32_t column = interactable_chart_column_at(chart, event->button.x);
        if (column < 0)
            return;
        // State change, callback
        chart->hover_column = column;
        if (event->button.button == SDL_BUTTON_RIGHT) {
            chart->panning = 1;
            chart->pan_x = event->button.x;
            chart->pan_start = chart->chart.time;
            return;
        }
        if (event->button.button != SDL_BUTTON_LEFT)
            return;
        chart->seeking = 1;
        seek(chart, column);
        if (event->button.clicks == 2)
            ask_for_view(chart, {0, chart->chart.exercise_samples});
        return;
    }
    case InteractablePointer::release:
        chart->seeking = 0;
        chart->panning = 0;
        return;
    case InteractablePointer::drag:
    case InteractablePointer::none:
        break;
    }

    switch (event->type) {
    case SDL_MOUSEMOTION: {
        const int mx = event->motion.x, my = event->motion.y;
        chart->hover_column = interactable_contains(chart, mx, my) ? interactable_chart_column_at(chart, mx) : -1;
        if (pointer != InteractablePointer::drag || !chart_takes_pointer(chart))
            return;
        if (chart->panning) {
            // The samples follow the pointer: a column's worth per column moved.
            const ChartTimeScale& start = chart->pan_start;
            const double per_column = static_cast<double>(start.samples) / std::max(start.columns, 1);
            const auto shift = static_cast<std::int64_t>(std::llround(-(mx - chart->pan_x) * per_column));
            ask_for_view(chart, emg_chart_pan(start, chart->chart.exercise_samples, shift));
            return;
        }
        if (!chart->seeking)
            return;
        const int plot_left = chart->x + chart->chart.panels.front().place.plot.x;
        const std::int32_t column = std::clamp(mx - plot_left, 0, chart->chart.time.columns - 1);
        chart->hover_column = column;
        seek(chart, column);
        return;
    }
    case SDL_MOUSEWHEEL: {
        const int mx = event->wheel.mouseX, my = event->wheel.mouseY;
        if (event->wheel.y == 0 || !interactable_contains(chart, mx, my) || interactable_chart_column_at(chart, mx) < 0)
            return;
        const int steps = event->wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event->wheel.y : event->wheel.y;
        ask_for_view(chart, interactable_chart_zoom_at(chart, mx, steps));
        return;
    }
    case SDL_WINDOWEVENT:
        if (event->window.event == SDL_WINDOWEVENT_LEAVE)
            chart->hover_column = -1;
        return;
    default:
        return;
    }
}

void interactable_chart_render(InteractableChart* chart)
{
    if (!chart->active) {
        // A hidden chart forgets the pointer: it was over something else.
        chart->hover_column = -1;
        chart->seeking = 0;
        chart->panning = 0;
        return;
    }
    // Build picture, upload texture
    if (!chart->texture_valid) {
        const SurfacePtr picture = draw_picture(chart);
        chart->texture.reset(surface_to_GL_Texture(picture.get()));
        chart->texture_valid = 1;
    }
    // The text lines under the pointer
    if (chart->hover_column != chart->readout_column) {
        chart->readouts.clear();
        if (chart->hover_column >= 0)
            for (const EmgChartPanel& panel : chart->chart.panels) {
                const SurfacePtr line = draw_readout(chart, panel, chart->hover_column);
                chart->readouts.emplace_back(surface_to_GL_Texture(line.get()));
            }
        glBindTexture(GL_TEXTURE_2D, 0);
        chart->readout_column = chart->hover_column;
    }
}

void interactable_chart_blit(InteractableChart* chart, int window_width, int window_height)
{
    if (!chart->active)
        return;
    draw_quad(chart->texture.get(), chart->x, chart->y, chart->w, chart->h, window_width, window_height);
    for (std::size_t p = 0; p < chart->readouts.size() && p < chart->chart.panels.size(); ++p) {
        const ChartRect& header = chart->chart.panels[p].place.header;
        draw_quad(chart->readouts[p].get(), chart->x + header.x, chart->y + header.y, header.w, header.h,
                  window_width, window_height);
    }

    // The cursor: one line down each plot through the centre of the current
    // sample's column.
    const ChartTimeScale& shown = chart->chart.time;
    if (!chart_takes_pointer(chart) || !(chart->cursor_sample >= static_cast<double>(shown.first)))
        return;
    const double sample = std::floor(chart->cursor_sample);
    // A zoomed chart shows no cursor while the sample is outside it.
    if (sample >= static_cast<double>(shown.first + shown.samples)
        && !(shown.first + shown.samples == chart->chart.exercise_samples))
        return;
    const std::int32_t column = chart_axes_column_of_sample(chart->chart.time, static_cast<std::int64_t>(sample));
    const int HW = window_width / 2, HH = window_height / 2;
    auto ndc_x = [&](double x) { return static_cast<float>((x - (window_width - HW)) / HW); };
    auto ndc_y = [&](double y) { return static_cast<float>((HH - y) / HH); };
    glDisable(GL_TEXTURE_2D);
    glColor4ub(chart->foreground.r, chart->foreground.g, chart->foreground.b, chart->foreground.a);
    glBegin(GL_LINES);
    for (const EmgChartPanel& panel : chart->chart.panels) {
        const ChartRect& plot = panel.place.plot;
        const double x = chart->x + plot.x + column + 0.5;
        glVertex2f(ndc_x(x), ndc_y(chart->y + plot.y));
        glVertex2f(ndc_x(x), ndc_y(chart->y + plot.y + plot.h));
    }
    glEnd();
    glColor4f(1, 1, 1, 1);
    glEnable(GL_TEXTURE_2D);
}

void interactable_chart_free(std::unique_ptr<InteractableChart> chart)
{
    chart.reset();
}
