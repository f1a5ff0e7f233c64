#include "svg/svg_writer.hpp"

#include <charconv>
#include <cmath>
#include <cstdarg>
#include <limits>
#include <vector>

#include "platform/sdl_help.hpp"
#include "geometry/camera.hpp"
#include "geometry/path_simplification.hpp"
#include "geometry/path_switching.hpp"

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
    file.write("<svg");
    file.print(" viewBox=\"0 0 %d %d\"", truncate_to_int(width * scale), truncate_to_int(height * scale));
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

// ---------------------------------------------------------------------------
// Projection
// ---------------------------------------------------------------------------

void svg_writer_get_model_poject_viewport_data(double model_view[16], double projection[16], int viewport_rect[4],
                                               const SvgCamera& camera)
{
    camera_gl_matrices(camera.view, camera.width, camera.height, model_view, projection, viewport_rect);
}

namespace {

// The camera of one scene operation, fetched once per call.
class SvgProjection {
public:
    explicit SvgProjection(const SvgCamera& camera) : clips_near_(camera.view.perspective)
    {
        svg_writer_get_model_poject_viewport_data(model_view_.m, projection_, viewport_rect_, camera);
    }

    // Whether the view cuts the scene at the near plane (perspective only).
    bool clips_near() const { return clips_near_; }
    const Matrix4& model_view() const { return model_view_; }

    // The point as fractions of the drawing, (0, 0) at the top left: the
    // window position gluProject would give with these arrays, divided by
    // the viewport's size, y turned downwards. (The projection matrix is the
    // identity, so the model-view matrix alone carries the camera.) False
    // when the point cannot be projected or a fraction is not finite.
    bool project(const Vector3& point, double* fx, double* fy) const
    {
        Vector3 window;
        if (!camera_project(&window, model_view_, point))
            return false;
        const double wx = window.x * viewport_rect_[2] + viewport_rect_[0];
        const double wy = window.y * viewport_rect_[3] + viewport_rect_[1];
        *fx = wx / viewport_rect_[2] + 0.0;
        *fy = 1.0 - wy / viewport_rect_[3];
        return std::isfinite(*fx) && std::isfinite(*fy);
    }

    // The same, also false when a fraction times the scale it is written
    // with (100 for percentages, the box size for polylines) is not finite.
    bool project_for_writing(const Vector3& point, double scale_x, double scale_y, double* fx, double* fy) const
    {
        return project(point, fx, fy) && std::isfinite(*fx * scale_x) && std::isfinite(*fy * scale_y);
    }

private:
    bool clips_near_;
    Matrix4 model_view_{};
    double projection_[16]{};
    int viewport_rect_[4]{};
};

// In a perspective view the screen shows only what lies on or in front of
// the near plane; the drawing leaves out the rest in the same way. (The
// orthographic view is written as it is, whatever its depth.)
bool in_front(const SvgProjection& projection, const Vector3& point)
{
    return !projection.clips_near() || camera_near_plane_side(projection.model_view(), point) >= 0;
}

bool clip_segment(const SvgProjection& projection, Vector3* a, Vector3* b)
{
    return !projection.clips_near() || camera_clip_segment_to_near_plane(projection.model_view(), a, b);
}

bool finite_point(const Vector3& p)
{
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

// One piece of a switched path as polylines of its style. Where the piece
// passes behind the near plane it is cut there: the polyline ends at the
// plane and, when the piece comes back in front, a new one begins at it. A
// sample that is missing (a coordinate not finite) leaves a gap: the
// polyline ends before it and a new one begins after it. Other points
// without a place are left out, the line running past them.
void write_path_piece(SvgSink& file, int indent, int width, int height, const SvgProjection& projection,
                      const Vector3* vertices, const PathPiece& piece, double tolerance)
{
    std::vector<PathPoint2> points;  // of the polyline being written
    auto open = [&] {
        file.tabs(indent);
        file.write("<polyline");
        if (piece.dashed)
            file.write(" stroke-dasharray=\"1%,1%\"");
        file.write(" points=\"");
        points.clear();
    };
    auto point = [&](const Vector3& vertex) {
        double fx = 0, fy = 0;
        if (projection.project_for_writing(vertex, width, height, &fx, &fy))
            points.push_back({fx * width, fy * height});
    };
    // A polyline keeps its first and last points, so the switches and the
    // cuts at the near plane stay where they are.
    auto close = [&] {
        if (tolerance > 0) {
            for (std::uint32_t k : path_simplification_polyline(points.data(), points.size(), tolerance))
                file.point(points[k].x, points[k].y);
        } else {
            for (const PathPoint2& p : points)
                file.point(p.x, p.y);
        }
        file.write("\"/>\n");
    };
    open();
    bool open_polyline = true;
    auto reopen = [&] {
        if (!open_polyline) {
            open();
            open_polyline = true;
        }
    };
    const Vector3* previous = nullptr;  // the last vertex with a side
    double previous_side = 0;
    for (std::int32_t i = piece.first; i < piece.first + piece.count; ++i) {
        const Vector3& vertex = vertices[i];
        if (!finite_point(vertex)) {
            if (open_polyline && !points.empty()) {
                close();
                open_polyline = false;
            }
            previous = nullptr;
            continue;
        }
        if (!projection.clips_near()) {
            reopen();
            point(vertex);
            continue;
        }
        const double side = camera_near_plane_side(projection.model_view(), vertex);
        if (std::isnan(side))
            continue;
        if (previous != nullptr && (previous_side >= 0) != (side >= 0)) {
            const Vector3 crossing = camera_near_plane_crossing(*previous, vertex, previous_side, side);
            reopen();
            point(crossing);
            if (side < 0) {
                close();
                open_polyline = false;
            }
        }
        if (side >= 0) {
            reopen();
            point(vertex);
        }
        previous = &vertex;
        previous_side = side;
    }
    if (open_polyline)
        close();
}

int scene_color(const SvgCamera& camera, const Color* color)
{
    return svg_writer_color_value(color != nullptr ? *color : camera.foreground);
}

void open_group(SvgSink& file, int indent, const char* attribute, int color, const char* extra)
{
    file.tabs(indent);
    file.write("<g");
    file.print(" %s=\"#%.6lX\"", attribute, static_cast<long>(color));
    file.write(extra);
    file.write(">\n");
}

void close_group(SvgSink& file, int indent)
{
    file.tabs(indent);
    file.write("</g>\n");
    file.tabs(indent);
    file.write("\n");
}

}  // namespace

// ---------------------------------------------------------------------------
// Scene operations
// ---------------------------------------------------------------------------

void svg_writer_draw_vertices(SvgSink& file, int indent, const SvgCamera& camera,
                              const Vector3* vertices, int vertex_count, const Color* color)
{
    const SvgProjection projection(camera);
    open_group(file, indent, "fill", scene_color(camera, color), "");
    for (int i = 0; i < vertex_count; ++i) {
        double fx = 0, fy = 0;
        if (in_front(projection, vertices[i]) && projection.project_for_writing(vertices[i], 100, 100, &fx, &fy))
            svg_writer_draw_circle(file, indent + 1, fx, fy, 2, -1);
    }
    close_group(file, indent);
}

void svg_writer_draw_edges(SvgSink& file, int indent, const SvgCamera& camera,
                           const Vector3* vertices, int vertex_count, const std::int32_t* edges, int edge_count,
                           const Color* color)
{
    const SvgProjection projection(camera);
    open_group(file, indent, "stroke", scene_color(camera, color), "");
    auto valid = [vertex_count](std::int32_t index) { return index >= 0 && index < vertex_count; };
    for (int e = 0; e < edge_count; ++e) {
        const std::int32_t a = edges[2 * e], b = edges[2 * e + 1];
        if (!valid(a) || !valid(b))
            continue;
        Vector3 from = vertices[a], to = vertices[b];
        double fxa = 0, fya = 0, fxb = 0, fyb = 0;
        if (clip_segment(projection, &from, &to) && projection.project_for_writing(from, 100, 100, &fxa, &fya)
            && projection.project_for_writing(to, 100, 100, &fxb, &fyb))
            svg_writer_draw_line(file, indent + 1, fxa, fya, fxb, fyb, -1);
    }
    close_group(file, indent);
}

void svg_writer_draw_path_switched(SvgSink& file, int indent, int width, int height,
                                   const SvgCamera& camera, const Vector3* vertices, int vertex_count,
                                   const std::int32_t* switches, int switch_count, const Color* color,
                                   double tolerance)
{
    const SvgProjection projection(camera);
    open_group(file, indent, "stroke", scene_color(camera, color), " fill=\"none\"");
    // One polyline per piece, empty pieces included, so that every switch
    // shows in the file as it does in the walk over the path.
    for (const PathPiece& piece : path_switching_pieces(vertex_count, switches, switch_count))
        write_path_piece(file, indent + 1, width, height, projection, vertices, piece, tolerance);
    close_group(file, indent);
}
