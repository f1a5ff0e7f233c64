// The SVG writer: the exact text of what the screenshot tests do not write (other scales, colours, empty and
// foreground groups, switched paths), unprojectable points, sinks; and the time chart written with it.
#include <gtest/gtest.h>

#include <cmath>
#include <clocale>
#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "picture/chart_picture.hpp"
#include "report/emg_processing.hpp"
#include "svg/svg_chart.hpp"
#include "svg/svg_picture.hpp"
#include "tests/test_support.hpp"
#include "widgets/interactable_text.hpp"

namespace {

using zelto_test::flat_viewport;
using zelto_test::svg_text;

const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();

SvgCamera camera(const InteractableViewport3d& viewport)
{
    return SvgCamera{interactable_viewport3d_camera_view(&viewport), viewport.w, viewport.h, viewport.foreground};
}

struct TextCase {
    const char* what;
    std::function<void(SvgSink&)> write;
    std::string expected;
};

void expect_texts(const std::vector<TextCase>& cases)
{
    for (const TextCase& c : cases)
        EXPECT_EQ(svg_text(c.write), c.expected) << c.what;
}

// The document at the default scale, scale box and background are written whole by the screenshot tests; here the
// view box of other scales.
TEST(SvgWriterDocument, ViewBoxOfEveryScale)
{
    const std::string xmlns = "version=\"1.1\" xmlns=\"http://www.w3.org/2000/svg\">\n\t\n";
    expect_texts({
        {"the scale changes only the view box", [](SvgSink& f) { svg_writer_svg_opening(f, 750, 750, 0.5); },
         "<svg viewBox=\"0 0 375 375\" width=\"750\" height=\"750\" " + xmlns},
        {"each side truncated", [](SvgSink& f) { svg_writer_svg_opening(f, 1000, 500, 1.0 / 3.0); },
         "<svg viewBox=\"0 0 333 166\" width=\"1000\" height=\"500\" " + xmlns},
        {"never overflowing", [](SvgSink& f) { svg_writer_svg_opening(f, 750, 750, inf); },
         "<svg viewBox=\"0 0 2147483647 2147483647\" width=\"750\" height=\"750\" " + xmlns},
        {"no number", [](SvgSink& f) { svg_writer_svg_opening(f, 750, 750, nan); },
         "<svg viewBox=\"0 0 0 0\" width=\"750\" height=\"750\" " + xmlns},
        {"scale box closed at the top", [](SvgSink& f) { svg_writer_scale_box_close(f, 1); }, "</svg>\n\n"},
    });
}

TEST(SvgWriterDocument, ShapesWriteFractionsAsPercentagesAndAnOptionalColour)
{
    const struct { double a, b, c, d; int color; const char *circle, *line, *rectangle; } cases[] = {
        {-0.125, 0.5, 0.25, 1.5, 0x40FF40, "\t<circle cx=\"-12.50%\" cy=\"50.00%\" r=\"2\" fill=\"#40FF40\"/>\n",
         "\t\t<line x1=\"-12.50%\" y1=\"50.00%\" x2=\"25.00%\" y2=\"150.00%\" stroke=\"#40FF40\"/>\n",
         "<rect x=\"-12.50%\" y=\"50.00%\" width=\"25.00%\" height=\"150.00%\" fill=\"#40FF40\"/>\n"},
        // A negative colour writes no colour attribute.
        {0.333333, 0.0001, 0.66666, 0.999999, -1, "\t<circle cx=\"33.33%\" cy=\"0.01%\" r=\"2\"/>\n",
         "\t\t<line x1=\"33.33%\" y1=\"0.01%\" x2=\"66.67%\" y2=\"100.00%\"/>\n",
         "<rect x=\"33.33%\" y=\"0.01%\" width=\"66.67%\" height=\"100.00%\"/>\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(svg_text([&](SvgSink& f) { svg_writer_draw_circle(f, 1, c.a, c.b, 2, c.color); }), c.circle);
        EXPECT_EQ(svg_text([&](SvgSink& f) { svg_writer_draw_line(f, 2, c.a, c.b, c.c, c.d, c.color); }), c.line);
        EXPECT_EQ(svg_text([&](SvgSink& f) { svg_writer_draw_rectangle(f, 0, c.a, c.b, c.c, c.d, c.color); }),
                  c.rectangle);
    }
    // Colour values are RGB without alpha.
    EXPECT_EQ(std::pair(svg_writer_color_value(Color{64, 255, 64, 0}), svg_writer_color_value(Color{1, 2, 3, 4})),
              std::pair(0x40FF40, 0x010203));
}

// Vertices and edges in their groups (the projection is the camera's, checked against OpenGL by the viewport tests):
// no vertices, the foreground for no colour, edge pairs with an index outside the vertices skipped.
TEST(SvgWriterProjection, VerticesAndEdgesInTheirGroups)
{
    InteractableViewport3d flat, brown;
    flat_viewport(&flat);
    flat_viewport(&brown);
    brown.foreground = Color{0x12, 0xAB, 0x0C, 0};
    const Vector3 points[3] = {{0, 0, 0}, {1, 1, 0}, {-1.25, -1, 3}};
    const std::int32_t edges[] = {0, 1, 3, 0, 1, 3, -1, 2, 2, -1, 2, 0, 1, 1};
    expect_texts({
        {"no vertices", [&](SvgSink& f) { svg_writer_draw_vertices(f, 1, camera(flat), nullptr, -4, &c_black); },
         "\t<g fill=\"#000000\">\n\t</g>\n\t\n"},
        {"null colour: the foreground",
         [&](SvgSink& f) { svg_writer_draw_vertices(f, 0, camera(brown), points, 1, nullptr); },
         "<g fill=\"#12AB0C\">\n\t<circle cx=\"50.00%\" cy=\"50.00%\" r=\"2\"/>\n</g>\n\n"},
        // A zero-length edge is still a line.
        {"edges", [&](SvgSink& f) { svg_writer_draw_edges(f, 1, camera(flat), points, 3, edges, 7, &c_magenta); },
         "\t<g stroke=\"#FF40FF\">\n\t\t<line x1=\"50.00%\" y1=\"50.00%\" x2=\"100.00%\" y2=\"0.00%\"/>\n"
         "\t\t<line x1=\"-12.50%\" y1=\"100.00%\" x2=\"50.00%\" y2=\"50.00%\"/>\n"
         "\t\t<line x1=\"100.00%\" y1=\"0.00%\" x2=\"100.00%\" y2=\"0.00%\"/>\n\t</g>\n\t\n"},
    });
}

// Vertex k of a test path lies at x = k / 10, so on a 1000-unit box its point is written as "(500 + 50 k),500.00".
TEST(SvgWriterProjection, SwitchedPathsArePolylinesInTheBox)
{
    InteractableViewport3d viewport;
    flat_viewport(&viewport);
    std::vector<Vector3> path = {{0, 0, 0}, {0.1, 0, 0}, {0.2, 0, 0}, {0.3, 0, 0}, {0.4, 0, 0}, {0.5, 0, 0}};
    auto text = [&](int count, const std::vector<std::int32_t>& switches) {
        return svg_text([&](SvgSink& f) {
            svg_writer_draw_path_switched(f, 2, 1000, 1000, camera(viewport), path.data(), count, switches.data(),
                                          static_cast<int>(switches.size()), &c_red);
        });
    };
    const std::string open = "\t\t<g stroke=\"#FF4040\" fill=\"none\">\n", close = "\t\t</g>\n\t\t\n",
                      solid = "\t\t\t<polyline points=\"", dashed = "\t\t\t<polyline stroke-dasharray=\"1%,1%\" points=\"",
                      end = "\"/>\n";
    EXPECT_EQ(text(6, {2, 4}), open + solid + "500.00,500.00 550.00,500.00 " + end + dashed +
                                   "550.00,500.00 600.00,500.00 650.00,500.00 " + end + solid +
                                   "700.00,500.00 750.00,500.00 " + end + close);
    EXPECT_EQ(text(4, {0, 2}), open + solid + end + dashed + "500.00,500.00 550.00,500.00 " + end + solid +
                                   "600.00,500.00 650.00,500.00 " + end + close);
    EXPECT_EQ(text(0, {2}), open + solid + end + close);
    // A missing sample leaves a gap.
    const std::vector<Vector3> kept = path;
    path[2].y = nan;
    EXPECT_EQ(text(5, {}), open + solid + "500.00,500.00 550.00,500.00 " + end + solid + "650.00,500.00 700.00,500.00 " +
                               end + close);
    path = kept;

    // Points are absolute in the given box.
    const Vector3 points[2] = {{0.5, 0.5, 0}, {-1, -1, 0}};
    EXPECT_EQ(svg_text([&](SvgSink& f) {
                  svg_writer_draw_path_switched(f, 0, 200, 100, camera(viewport), points, 2, nullptr, 0, nullptr);
              }),
              "<g stroke=\"#FFFFFF\" fill=\"none\">\n\t<polyline points=\"150.00,25.00 0.00,100.00 \"/>\n</g>\n\n");
}

// In perspective the drawing keeps what the screen keeps: what lies on or in front of the near plane. A line or path
// passing the plane is cut there (x = 1 cuts at x / 0.1, 550 %); points behind it, the camera's own plane (w = 0) and
// points without coordinates are left out.
TEST(SvgWriterProjection, PointsWithoutAPlaceAreLeftOut)
{
    // Perspective camera 5 units back, pitched so that it looks along -y: (x, y, z) is seen as (x, -z, y).
    InteractableViewport3d viewport;
    flat_viewport(&viewport);
    std::tie(viewport.perspective, viewport.camera_z, viewport.pitch) = std::tuple(1, -5.0, 90.0);
    const Vector3 points[6] = {{0, 0, 0}, {1, 5, 0}, {nan, 0, 0}, {0, 0, -inf}, {1, 0, 0}, {1, 10, 0}};
    const std::int32_t edges[] = {0, 1, 2, 4, 0, 3, 0, 4, 4, 5, 5, 1};
    const std::int32_t switches[] = {3};
    const Vector3 in_and_out[4] = {points[5], points[4], points[1], points[0]};
    expect_texts({
        {"vertices", [&](SvgSink& f) { svg_writer_draw_vertices(f, 0, camera(viewport), points, 6, &c_black); },
         "<g fill=\"#000000\">\n\t<circle cx=\"50.00%\" cy=\"50.00%\" r=\"2\"/>\n"
         "\t<circle cx=\"60.00%\" cy=\"50.00%\" r=\"2\"/>\n</g>\n\n"},
        {"edges", [&](SvgSink& f) { svg_writer_draw_edges(f, 0, camera(viewport), points, 6, edges, 6, &c_black); },
         "<g stroke=\"#000000\">\n\t<line x1=\"50.00%\" y1=\"50.00%\" x2=\"540.00%\" y2=\"50.00%\"/>\n"
         "\t<line x1=\"50.00%\" y1=\"50.00%\" x2=\"60.00%\" y2=\"50.00%\"/>\n"
         "\t<line x1=\"60.00%\" y1=\"50.00%\" x2=\"550.00%\" y2=\"50.00%\"/>\n</g>\n\n"},
        {"path",
         [&](SvgSink& f) {
             svg_writer_draw_path_switched(f, 0, 100, 100, camera(viewport), points, 6, switches, 1, &c_black);
         },
         "<g stroke=\"#000000\" fill=\"none\">\n\t<polyline points=\"50.00,50.00 540.00,50.00 \"/>\n"
         "\t<polyline stroke-dasharray=\"1%,1%\" points=\"60.00,50.00 550.00,50.00 \"/>\n</g>\n\n"},
        {"path coming in front, leaving and coming back",
         [&](SvgSink& f) {
             svg_writer_draw_path_switched(f, 0, 100, 100, camera(viewport), in_and_out, 4, nullptr, 0, nullptr);
         },
         "<g stroke=\"#FFFFFF\" fill=\"none\">\n\t<polyline points=\"550.00,50.00 60.00,50.00 550.00,50.00 \"/>\n"
         "\t<polyline points=\"540.00,50.00 50.00,50.00 \"/>\n</g>\n\n"},
    });

    // A viewport of no size gives no place to anything either.
    flat_viewport(&viewport, 0, 0);
    const std::string text = svg_text([&](SvgSink& f) {
        svg_writer_draw_vertices(f, 0, camera(viewport), points, 2, nullptr);
        svg_writer_draw_edges(f, 0, camera(viewport), points, 2, edges, 1, nullptr);
        svg_writer_draw_path_switched(f, 0, 100, 100, camera(viewport), points, 2, nullptr, 0, nullptr);
    });
    for (const char* non_number : {"nan", "inf", "NAN", "INF"})
        EXPECT_EQ(text.find(non_number), std::string::npos) << text;
}

// Points are formatted as printf formats them; long text is written whole.
TEST(SvgWriterSinks, PointsAreFormattedAsPrintfFormatsThemAndLongTextIsWhole)
{
    std::vector<double> values = {0.0, -0.0, 0.125, 0.375, -0.125, 2.675, 1.005, -0.005, 0.0049999, 0.005, 749.995,
                                  -1e-10, 1e-300, 123456789.125, -98765.4321, 1e22, 1e300, -1.7976931348623157e308};
    for (std::size_t k = 0; k + 1 < values.size(); ++k) {
        SvgStringSink sink;
        sink.point(values[k], values[k + 1]);
        ASSERT_EQ(sink.text(), string_format("%.2lf,%.2lf ", values[k], values[k + 1])) << values[k];
    }

    // Printing in the C locale gives the thread its own locale back.
    const locale_t thread_locale = uselocale(static_cast<locale_t>(0));
    SvgStringSink sink;
    sink.print("%.2lf", 1e300);
    EXPECT_EQ(uselocale(static_cast<locale_t>(0)), thread_locale);
    EXPECT_EQ(sink.text().size(), 304u);
    EXPECT_EQ(sink.text().substr(0, 1) + sink.text().substr(301), "1.00");
    sink.tabs(20);
    EXPECT_EQ(sink.text().substr(304), std::string(20, '\t'));
}

// The chart of the demo report (with EMG) is a document xmllint and librsvg read, whatever the exercise's name holds
// and however small or large it is asked for; an exercise the report lacks is named in its place. (What the traces
// hold is the chart module's, checked with the measures.)
TEST(SvgChart, DocumentsThatXmllintAndLibrsvgRead)
{
    zelto_test::TempWorkingDirectory directory;
    std::unique_ptr<EmgReport> report;
    zelto_test::capture_stdout([&] {
        ASSERT_EQ(emg_extract_3d(&report, (zelto_test::source_dir() / "examples/demo_report.tsv").c_str()), 0);
    });
    report->exercises[0].name = "a<b & \"c\"\x01 \xFF\xC3\xA9";
    const struct { int exercise, width, height; const char* holds; } cases[] = {
        {0, 900, 600, "[1] a&lt;b &amp; &quot;c&quot; \xC3\xA9</text>"}, {0, 1, 1, "width=\"1\" height=\"1\""},
        {7, 400, 300, ">No exercise 8</text>"}, {1, 100000, -5, "width=\"16384\" height=\"1\""}};
    for (const auto& c : cases) {
        std::FILE* file = std::fopen("chart.svg", "wb");
        ASSERT_NE(file, nullptr);
        SvgFileSink sink(file);
        svg_chart_write(sink, *report, c.exercise, c.width, c.height);
        std::fclose(file);
        const std::string text = zelto_test::read_file("chart.svg");
        EXPECT_EQ(zelto_test::count_of(text, c.holds), 1u) << c.width;
        EXPECT_EQ(std::system("xmllint --noout chart.svg && rsvg-convert -o chart.png chart.svg"), 0) << c.width;
        EXPECT_TRUE(c.width != 900 || zelto_test::count_of(text, "Channel 2 (mV)</text>") == 1);
        // Title and plots share a page of room enough: nothing lies below its bottom.
        double lowest = 0;
        for (const char* attribute : {" y=\"", " y1=\"", " y2=\""})
            for (std::size_t at = text.find(attribute); at != std::string::npos; at = text.find(attribute, at + 1))
                lowest = std::max(lowest, std::strtod(text.c_str() + at + std::strlen(attribute), nullptr));
        EXPECT_TRUE(c.height < 300 || lowest <= 100.0) << c.width << " " << lowest;
    }
}

// What the chart needs is written by the picture's SVG back end from primitives alone: clips, circles, open
// strokes, dashes undone, groups closed even when the picture forgets to.
TEST(SvgPicture, EveryPrimitiveAndStyle)
{
    Picture picture{200, 100, {}};
    PictureStyle dashed;
    dashed.dash = PictureDash::dashed;
    dashed.stroke = PicturePaint::of({255, 0, 0});
    dashed.stroke_width = 1.5;
    picture_clip_group(&picture, {10, 20, 30, 40}, dashed).id = "a&b";
    PictureStyle solid;
    solid.dash = PictureDash::solid;
    picture_polyline(&picture, {{1, 2}, {3, 4}}, solid);
    picture_circle(&picture, {100, 50}, 2.5, [] { PictureStyle s; s.fill = PicturePaint::of({0, 0, 255}); return s; }());
    PictureStyle heading;
    heading.bold = true;
    heading.font_size = 9;
    heading.anchor = PictureAnchor::middle;
    picture_text(&picture, {50, 25}, "x<y", heading);
    picture_group(&picture);
    picture_group_end(&picture);
    expect_texts({{"items", [&](SvgSink& f) { svg_picture_write_items(f, picture, 1); },
                   "\t<clipPath id=\"zelto-clip-1\"><rect x=\"10.00\" y=\"20.00\" width=\"30.00\" height=\"40.00\"/></clipPath>\n"
                   "\t<g id=\"a&amp;b\" clip-path=\"url(#zelto-clip-1)\" stroke=\"#FF0000\" stroke-width=\"1.5\" "
                   "stroke-dasharray=\"4,3\">\n"
                   "\t\t<polyline stroke-dasharray=\"none\" fill=\"none\" points=\"1.00,2.00 3.00,4.00 \"/>\n"
                   "\t\t<circle cx=\"50.00%\" cy=\"50.00%\" r=\"2.5\" fill=\"#0000FF\"/>\n"
                   "\t\t<text x=\"25.00%\" y=\"25.00%\" text-anchor=\"middle\" font-size=\"9\" font-weight=\"bold\">x&lt;y</text>\n"
                   "\t\t<g>\n\t\t</g>\n\t</g>\n"}});
}

// The chart's picture in page units. On paper the plots lie under the title line and the incisal trace of a ramp
// runs through the columns' centres from the bottom left of its plot to the top right; in the window everything
// lies on whole pixels and a text's line starts the font's ascent above its baseline.
TEST(ChartPicture, PrimitivesInPageUnits)
{
    EmgReport report;
    std::tie(report.frequency, report.has_rotation_data) = std::tuple(100.0, true);
    report.exercises.resize(1);
    report.exercises_number = 1;
    for (int k = 0; k < 500; ++k)
        report.exercises[0].data.push_back({{-50, 0, 0}, {0, -k / 10.0, 0}, {50, 0, 0}, 0, 0, 0, 0, 0});
    const EmgChart chart = emg_chart_build(&report, 0, 330, 230);
    const ChartRect plot = chart.panels.front().place.plot;
    const Picture paper = chart_picture(chart, chart_picture_paper());
    EXPECT_EQ(std::tuple(paper.width, paper.height), std::tuple(330.0, 252.0));
    std::vector<PicturePoint> ramp;
    std::vector<std::string> texts;
    std::vector<PictureStyle> styles{PictureStyle{}};
    for (const PictureItem& item : paper.items) {
        const PictureStyle style = picture_style_resolve(styles.back(), item.style);
        if (item.kind == PictureKind::group)
            styles.push_back(style);
        else if (item.kind == PictureKind::group_end)
            styles.pop_back();
        else if (item.kind == PictureKind::text)
            texts.push_back(item.text);
        else if (item.kind == PictureKind::polyline && style.stroke == PicturePaint::of({64, 64, 255}))
            ramp.insert(ramp.end(), item.points.begin(), item.points.end());
    }
    ASSERT_GE(ramp.size(), 2u);
    EXPECT_EQ(ramp.front(), (PicturePoint{plot.x + 0.5, 22.0 + plot.y + plot.h}));
    EXPECT_EQ(ramp.back().x, plot.x + plot.w - 0.5);
    EXPECT_NEAR(ramp.back().y, 22.0 + plot.y, 1.0);
    for (const PicturePoint& p : ramp)
        EXPECT_TRUE(p.x > plot.x && p.x < plot.x + plot.w && p.y >= 22.0 + plot.y && p.y <= 22.0 + plot.y + plot.h);
    for (const char* text : {"Incisal distance (mm)", "Opening angle (\xC2\xB0)", "s"})
        EXPECT_EQ(std::count(texts.begin(), texts.end(), text), 1) << text;

    const Picture window = chart_picture(chart, chart_picture_window({0, 0, 0}, {255, 255, 255}, 11));
    EXPECT_EQ(std::tuple(window.width, window.height), std::tuple(330.0, 230.0));
    for (const PictureItem& item : window.items) {
        EXPECT_TRUE(item.kind == PictureKind::rectangle || item.kind == PictureKind::text);
        for (const double v : {item.box.x, item.box.y, item.box.w, item.box.h})
            EXPECT_EQ(v, std::round(v));
        if (item.kind == PictureKind::text) {
            EXPECT_EQ(item.points[0].y - 11, item.box.y);
        }
    }
}

}  // namespace
