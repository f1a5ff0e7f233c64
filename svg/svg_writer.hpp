// The SVG writer: the sinks SVG text goes to, and the primitives of an SVG
// 1.1 drawing, each writing one piece of SVG text (the XML declaration, the
// outer and nested `svg` elements, one circle, line or rectangle, a
// background). The 3D scene is projected into a picture description
// (picture/scene_picture.hpp) and written with these primitives
// (svg/svg_scene_form.hpp).
//
// Positions are fractions of the drawing's width and height: circles, lines
// and rectangles write them as percentages ("%3.2lf%%"), polylines as
// absolute coordinates inside a nested `svg` element (the scale box) whose
// view box has the size of the drawing. Stroke widths and radii are in user
// units, so the outer view box scales them.
//
// Everything is written through an SvgSink, always in the "C" locale, and
// nothing here touches OpenGL or a window.
#pragma once

#include <locale.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "platform/sdl_help.hpp"

// ---------------------------------------------------------------------------
// Output sinks
// ---------------------------------------------------------------------------

// Where SVG text goes. Formatting happens here, in the "C" locale whatever
// the locale of the process or thread, so numbers always use a decimal
// point; the kinds of sink only differ in where the bytes end up.
class SvgSink {
public:
    SvgSink();
    virtual ~SvgSink();
    SvgSink(const SvgSink&) = delete;
    SvgSink& operator=(const SvgSink&) = delete;

    // printf-style formatting.
    void print(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // The point x, y as "%.2lf,%.2lf " (the form of polyline points), the
    // bulk of a large drawing: formatted with std::to_chars, which writes
    // exactly what printf writes in the "C" locale, only faster.
    void point(double x, double y);
    // Literal text.
    void write(std::string_view text);
    // `count` tab characters (none for a count of 0 or less).
    void tabs(int count);

protected:
    virtual void put(const char* data, std::size_t size) = 0;

private:
    locale_t c_locale_;
};

// Writes to a file opened for writing by the caller, who also closes it.
// Write errors are ignored.
class SvgFileSink final : public SvgSink {
public:
    explicit SvgFileSink(std::FILE* file) : file_(file) {}

protected:
    void put(const char* data, std::size_t size) override;

private:
    std::FILE* file_;
};

// Collects the text in memory.
class SvgStringSink final : public SvgSink {
public:
    const std::string& text() const { return text_; }

protected:
    void put(const char* data, std::size_t size) override;

private:
    std::string text_;
};

// ---------------------------------------------------------------------------
// Primitives
// ---------------------------------------------------------------------------
// Colours are ints holding 0xRRGGBB, written as "#%.6lX"; a negative colour
// writes no colour attribute. `indent` is the number of tabs before an
// element.

// <?xml version="1.0" standalone="no"?>
void svg_writer_preamble(SvgSink& file);
// The outer element: view box (width * scale, height * scale), each
// truncated to an int, at the given width and height; then a line holding
// one tab.
void svg_writer_svg_opening(SvgSink& file, int width, int height, double scale);
// The same with the view box's sides given (each truncated to an int).
void svg_writer_svg_opening_box(SvgSink& file, int width, int height, double box_width, double box_height);
void svg_writer_svg_closing(SvgSink& file);
// The nested element in which paths are written in absolute units: view box
// (box_width, box_height) over the whole drawing, with its own stroke width.
void svg_writer_scale_box_open(SvgSink& file, int indent, int box_width, int box_height, double stroke_width);
// Closes the scale box one tab shallower than `indent` (at least 1).
void svg_writer_scale_box_close(SvgSink& file, int indent);
// Positions and sizes are fractions of the drawing.
void svg_writer_draw_circle(SvgSink& file, int indent, double cx, double cy, int radius, int color);
void svg_writer_draw_line(SvgSink& file, int indent, double x1, double y1, double x2, double y2, int color);
void svg_writer_draw_rectangle(SvgSink& file, int indent, double x, double y, double width, double height,
                               int color);
// A rectangle over the whole drawing filled with `color` (alpha ignored; a
// null colour writes no fill), then a line holding `indent` tabs.
void svg_writer_draw_background(SvgSink& file, int indent, const Color* color);

// 0xRRGGBB of a colour; alpha is ignored.
int svg_writer_color_value(const Color& color);
