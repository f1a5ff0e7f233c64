// Index of this file:
// [SECTION] The picture
// [SECTION] Widget operations
#include "widgets/interactable_chart.hpp"

#include <algorithm>
#include <cmath>
#include <string>

#include "picture/chart_picture.hpp"
#include "widgets/picture_raster.hpp"

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
// [SECTION] The picture
// =============================================================================

namespace {

PictureColor picture_color(const Color& c)
{
    return {c.r, c.g, c.b};
}

ChartPictureLook window_look(const InteractableChart* widget)
{
    return chart_picture_window(picture_color(widget->foreground), picture_color(widget->background),
                                widget->font != nullptr ? TTF_FontAscent(widget->font) : 0);
}

// The chart's picture at the widget's size.
SurfacePtr draw_picture(const InteractableChart* widget)
{
    Picture picture = chart_picture(widget->chart, window_look(widget));
    picture.width = std::max(widget->w, 1);
    picture.height = std::max(widget->h, 1);
    return picture_raster_surface(picture, widget->font);
}

// A plot's text line with the values under `column`.
SurfacePtr draw_readout(const InteractableChart* widget, const EmgChartPanel& panel, std::int32_t column)
{
    return picture_raster_surface(chart_picture_readout(widget->chart, panel, column, window_look(widget)),
                                  widget->font);
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

std::int32_t interactable_chart_column_at(const InteractableChart* chart, int window_x)
{
    if (!chart_takes_pointer(chart))
        return -1;
    const int column = window_x - (chart->x + chart->chart.panels.front().place.plot.x);
    return column >= 0 && column < chart->chart.time.columns ? column : -1;
}

// Idle --press on a plot column--> seeking: asks for the column's sample
// Seeking --motion anywhere--> asks for the sample of the column under the
//         pointer, held within the plot
// Any --release anywhere--> idle
// Apart from that, every motion sets the hovered column: the plot column
// under the pointer inside the widget, none elsewhere.
void interactable_chart_react(InteractableChart* chart, const SDL_Event* event)
{
    if (!chart->active)
        return;

    switch (event->type) {
    case SDL_MOUSEBUTTONDOWN: {
        // Input
        if (!interactable_contains(chart, event->button.x, event->button.y))
            return;
        const std::int32_t column = interactable_chart_column_at(chart, event->button.x);
        if (column < 0)
            return;
        // State change, callback
        chart->seeking = 1;
        chart->hover_column = column;
        seek(chart, column);
        return;
    }
    case SDL_MOUSEBUTTONUP:
        chart->seeking = 0;
        return;
    case SDL_MOUSEMOTION: {
        // Input
        const int mx = event->motion.x, my = event->motion.y;
        // State change
        chart->hover_column = interactable_contains(chart, mx, my) ? interactable_chart_column_at(chart, mx) : -1;
        if (!chart->seeking || !chart_takes_pointer(chart))
            return;
        const int plot_left = chart->x + chart->chart.panels.front().place.plot.x;
        const std::int32_t column = std::clamp(mx - plot_left, 0, chart->chart.time.columns - 1);
        chart->hover_column = column;
        // Callback
        seek(chart, column);
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
    if (!chart_takes_pointer(chart) || !(chart->cursor_sample >= 0.0))
        return;
    const double sample = std::min(std::floor(chart->cursor_sample), static_cast<double>(chart->chart.time.samples - 1));
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
