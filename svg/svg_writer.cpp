#include "svg/svg_writer.hpp"

#include <charconv>
#include <cmath>
#include <cstdarg>
#include <limits>
#include <vector>

#include "platform/sdl_help.hpp"

// ---------------------------------------------------------------------------
// Sinks
// ---------------------------------------------------------------------------

SvgSink::SvgSink() : c_locale_(newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0))) {}

SvgSink::~SvgSink()
{
    if (c_locale_ != static_cast<locale_t>(0))
        freelocale(c_locale_);
}

namespace {

// Makes the "C" locale the calling thread's locale for as long as it lives;
// the thread's previous locale comes back afterwards. Other threads and the
// global locale are left alone.
class ThreadLocaleScope {
public:
    explicit ThreadLocaleScope(locale_t locale)
        : previous_(locale != static_cast<locale_t>(0) ? uselocale(locale) : static_cast<locale_t>(0))
    {
    }
    ~ThreadLocaleScope()
    {
        if (previous_ != static_cast<locale_t>(0))
            uselocale(previous_);
    }
    ThreadLocaleScope(const ThreadLocaleScope&) = delete;
    ThreadLocaleScope& operator=(const ThreadLocaleScope&) = delete;

private:
    locale_t previous_;
};

}  // namespace

void SvgSink::print(const char* format, ...)
{
    const ThreadLocaleScope c_locale(c_locale_);
    char buffer[256];
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (length < 0) {
        va_end(again);
        return;
    }
    if (static_cast<std::size_t>(length) < sizeof buffer) {
        va_end(again);
        put(buffer, static_cast<std::size_t>(length));
        return;
    }
    // Longer than the buffer: only huge numbers get here.
    std::vector<char> large(static_cast<std::size_t>(length) + 1);
    std::vsnprintf(large.data(), large.size(), format, again);
    va_end(again);
    put(large.data(), static_cast<std::size_t>(length));
}

void SvgSink::point(double x, double y)
{
    // 330 characters hold any double in this form: at most 309 integer
    // digits, a sign, the point and 2 decimals.
    char buffer[2 * 330];
    char* const end = buffer + sizeof buffer;
    const std::to_chars_result first = std::to_chars(buffer, end - 1, x, std::chars_format::fixed, 2);
    if (first.ec != std::errc{}) {
        print("%.2lf,%.2lf ", x, y);
        return;
    }
    char* at = first.ptr;
    *at++ = ',';
    const std::to_chars_result second = std::to_chars(at, end - 1, y, std::chars_format::fixed, 2);
    if (second.ec != std::errc{}) {
        print("%.2lf,%.2lf ", x, y);
        return;
    }
    at = second.ptr;
    *at++ = ' ';
    put(buffer, static_cast<std::size_t>(at - buffer));
}

void SvgSink::write(std::string_view text)
{
    put(text.data(), text.size());
}

void SvgSink::tabs(int count)
{
    static constexpr char tab_run[] = "\t\t\t\t\t\t\t\t";
    constexpr int run = static_cast<int>(sizeof tab_run - 1);
    for (; count > 0; count -= run)
        put(tab_run, static_cast<std::size_t>(count < run ? count : run));
}

void SvgFileSink::put(const char* data, std::size_t size)
{
    std::fwrite(data, 1, size, file_);
}

void SvgStringSink::put(const char* data, std::size_t size)
{
    text_.append(data, size);
}

// ---------------------------------------------------------------------------
// Primitives
// ---------------------------------------------------------------------------

namespace {

// A double truncated toward zero to an int, held inside the range of int
// (NaN gives 0), so that no value makes the conversion undefined.
int truncate_to_int(double value)
{
    if (std::isnan(value))
        return 0;
    if (value <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    if (value >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    return static_cast<int>(value);
}

void write_color_attribute(SvgSink& file, const char* name, int color)
{
    if (color >= 0)
        file.print(" %s=\"#%.6lX\"", name, static_cast<long>(color));
}

}  // namespace

int svg_writer_color_value(const Color& color)
{
    return color.r * 65536 + color.g * 256 + color.b;
}

void svg_writer_preamble(SvgSink& file)
{
    file.write("<?xml");
    file.write(" version=\"1.0\"");
    file.write(" standalone=\"no\"");
    file.write("?>");
    file.write("\n");
}

void svg_writer_svg_opening(SvgSink& file, int width, int height, double scale)
{
    svg_writer_svg_opening_box(file, width, height, width * scale, height * scale);
}

void svg_writer_svg_opening_box(SvgSink& file, int width, int height, double box_width, double box_height)
{
    file.write("<svg");
    file.print(" viewBox=\"0 0 %d %d\"", truncate_to_int(box_width), truncate_to_int(box_height));
    file.print(" width=\"%d\"", width);
    file.print(" height=\"%d\"", height);
    file.write(" version=\"1.1\"");
    file.write(" xmlns=\"http://www.w3.org/2000/svg\"");
    file.write(">");
    file.write("\n");
    file.write("\t\n");
}

void svg_writer_svg_closing(SvgSink& file)
{
    file.write("</svg>");
    file.write("\n");
}

void svg_writer_scale_box_open(SvgSink& file, int indent, int box_width, int box_height, double stroke_width)
{
    file.tabs(indent);
    file.write("<svg");
    file.print(" viewBox=\"0 0 %d %d\"", box_width, box_height);
    file.write(" width=\"100.0%\"");
    file.write(" height=\"100.0%\"");
    file.print(" stroke-width=\"%.2lf\"", stroke_width);
    file.write(">");
    file.write("\n");
    file.tabs(indent + 1);
    file.write("\n");
}

void svg_writer_scale_box_close(SvgSink& file, int indent)
{
    file.tabs(indent - 1);
    file.write("</svg>");
    file.write("\n");
    file.tabs(indent - 1);
    file.write("\n");
}

void svg_writer_draw_circle(SvgSink& file, int indent, double cx, double cy, int radius, int color)
{
    file.tabs(indent);
    file.write("<circle");
    file.print(" cx=\"%3.2lf%%\"", cx * 100);
    file.print(" cy=\"%3.2lf%%\"", cy * 100);
    file.print(" r=\"%d\"", radius);
    write_color_attribute(file, "fill", color);
    file.write("/>");
    file.write("\n");
}

void svg_writer_draw_line(SvgSink& file, int indent, double x1, double y1, double x2, double y2, int color)
{
    file.tabs(indent);
    file.write("<line");
    file.print(" x1=\"%3.2lf%%\"", x1 * 100);
    file.print(" y1=\"%3.2lf%%\"", y1 * 100);
    file.print(" x2=\"%3.2lf%%\"", x2 * 100);
    file.print(" y2=\"%3.2lf%%\"", y2 * 100);
    write_color_attribute(file, "stroke", color);
    file.write("/>");
    file.write("\n");
}

void svg_writer_draw_rectangle(SvgSink& file, int indent, double x, double y, double width, double height,
                               int color)
{
    file.tabs(indent);
    file.write("<rect");
    file.print(" x=\"%3.2lf%%\"", x * 100);
    file.print(" y=\"%3.2lf%%\"", y * 100);
    file.print(" width=\"%3.2lf%%\"", width * 100);
    file.print(" height=\"%3.2lf%%\"", height * 100);
    write_color_attribute(file, "fill", color);
    file.write("/>");
    file.write("\n");
}

void svg_writer_draw_background(SvgSink& file, int indent, const Color* color)
{
    svg_writer_draw_rectangle(file, indent, 0, 0, 1, 1, color != nullptr ? svg_writer_color_value(*color) : -1);
    file.tabs(indent);
    file.write("\n");
}
