// The SVG writer: the exact text of every primitive and scene operation,
// the projection through the shared camera, unprojectable points, and
// writing in the "C" locale.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "app/sdl_help.hpp"
#include "geometry/camera.hpp"
#include "svg/svg_writer.hpp"
#include "tests/test_support.hpp"
#include "widgets/interactable_viewport3d.hpp"

namespace {

std::string written(const std::function<void(SvgSink&)>& body)
{
    SvgStringSink sink;
    body(sink);
    return sink.text();
}

// A viewport record without a texture (no OpenGL needed) whose camera maps
// (x, y, z) to the drawing fractions (x / 2 + 1/2, 1/2 - y / 2):
// orthographic, no rotation, zoom divisor -1.
void make_flat_viewport(InteractableViewport3d* viewport, int w = 750, int h = 750)
{
    viewport->w = w;
    viewport->h = h;
    viewport->camera_x = 0;
    viewport->camera_y = 0;
    viewport->camera_z = -1;
    viewport->pitch = 0;
    viewport->yaw = 0;
    viewport->roll = 0;
    viewport->near = static_cast<double>(0.1f);
    viewport->far = 1000.0;
    viewport->fov = 90.0;
    viewport->perspective = 0;
    viewport->foreground = Color{255, 255, 255, 255};
}

bool contains_non_number(const std::string& text)
{
    return text.find("nan") != std::string::npos || text.find("inf") != std::string::npos
        || text.find("NAN") != std::string::npos || text.find("INF") != std::string::npos;
}

// ---------------------------------------------------------------------------
// Primitives
// ---------------------------------------------------------------------------

TEST(SvgWriterDocument, PreambleIsTheXmlDeclaration)
{
    EXPECT_EQ(written([](SvgSink& f) { svg_writer_preamble(f); }), "<?xml version=\"1.0\" standalone=\"no\"?>\n");
}

TEST(SvgWriterDocument, OpeningScalesOnlyTheViewBox)
{
    EXPECT_EQ(written([](SvgSink& f) { svg_writer_svg_opening(f, 750, 750, 1.0); }),
              "<svg viewBox=\"0 0 750 750\" width=\"750\" height=\"750\" version=\"1.1\" "
              "xmlns=\"http://www.w3.org/2000/svg\">\n\t\n");
    EXPECT_EQ(written([](SvgSink& f) { svg_writer_svg_opening(f, 750, 750, 0.5); }),
              "<svg viewBox=\"0 0 375 375\" width=\"750\" height=\"750\" version=\"1.1\" "
              "xmlns=\"http://www.w3.org/2000/svg\">\n\t\n");
    // Each side truncated: 1000 / 3 and 500 / 3.
    EXPECT_EQ(written([](SvgSink& f) { svg_writer_svg_opening(f, 1000, 500, 1.0 / 3.0); }),
              "<svg viewBox=\"0 0 333 166\" width=\"1000\" height=\"500\" version=\"1.1\" "
              "xmlns=\"http://www.w3.org/2000/svg\">\n\t\n");
}

TEST(SvgWriterDocument, OpeningNeverOverflowsTheViewBox)
{
    const std::string text = written([](SvgSink& f) {
        svg_writer_svg_opening(f, 750, 750, std::numeric_limits<double>::infinity());
    });
    EXPECT_NE(text.find("viewBox=\"0 0 2147483647 2147483647\""), std::string::npos) << text;
    EXPECT_NE(written([](SvgSink& f) { svg_writer_svg_opening(f, 750, 750, std::nan("")); }).find("viewBox=\"0 0 0 0\""),
              std::string::npos);
}

TEST(SvgWriterDocument, ClosingEndsTheDocument)
{
    EXPECT_EQ(written([](SvgSink& f) { svg_writer_svg_closing(f); }), "</svg>\n");
}

TEST(SvgWriterDocument, ScaleBoxOpensWithItsStrokeWidth)
{
    EXPECT_EQ(written([](SvgSink& f) { svg_writer_scale_box_open(f, 1, 750, 750, 1.0); }),
              "\t<svg viewBox=\"0 0 750 750\" width=\"100.0%\" height=\"100.0%\" stroke-width=\"1.00\">\n\t\t\n");
    EXPECT_EQ(written([](SvgSink& f) { svg_writer_scale_box_open(f, 1, 500, 400, 2.0); }),
              "\t<svg viewBox=\"0 0 500 400\" width=\"100.0%\" height=\"100.0%\" stroke-width=\"2.00\">\n\t\t\n");
}

TEST(SvgWriterDocument, ScaleBoxClosesOneTabShallower)
{
    EXPECT_EQ(written([](SvgSink& f) { svg_writer_scale_box_close(f, 1); }), "</svg>\n\n");
    EXPECT_EQ(written([](SvgSink& f) { svg_writer_scale_box_close(f, 2); }), "\t</svg>\n\t\n");
}

struct ShapeCase {
    double a, b, c, d;
    int color;
    const char* circle;
    const char* line;
    const char* rectangle;
};

void PrintTo(const ShapeCase& c, std::ostream* os)
{
    *os << c.a << ", " << c.b << ", " << c.c << ", " << c.d << ", colour " << c.color;
}

class SvgWriterShapes : public testing::TestWithParam<ShapeCase> {};

TEST_P(SvgWriterShapes, WriteFractionsAsPercentagesAndOptionalColour)
{
    const ShapeCase& c = GetParam();
    EXPECT_EQ(written([&](SvgSink& f) { svg_writer_draw_circle(f, 1, c.a, c.b, 2, c.color); }), c.circle);
    EXPECT_EQ(written([&](SvgSink& f) { svg_writer_draw_line(f, 2, c.a, c.b, c.c, c.d, c.color); }), c.line);
    EXPECT_EQ(written([&](SvgSink& f) { svg_writer_draw_rectangle(f, 0, c.a, c.b, c.c, c.d, c.color); }),
              c.rectangle);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SvgWriterShapes,
    testing::Values(
        ShapeCase{0, 0, 1, 1, 0, "\t<circle cx=\"0.00%\" cy=\"0.00%\" r=\"2\" fill=\"#000000\"/>\n",
                  "\t\t<line x1=\"0.00%\" y1=\"0.00%\" x2=\"100.00%\" y2=\"100.00%\" stroke=\"#000000\"/>\n",
                  "<rect x=\"0.00%\" y=\"0.00%\" width=\"100.00%\" height=\"100.00%\" fill=\"#000000\"/>\n"},
        ShapeCase{-0.125, 0.5, 0.25, 1.5, 0x40FF40,
                  "\t<circle cx=\"-12.50%\" cy=\"50.00%\" r=\"2\" fill=\"#40FF40\"/>\n",
                  "\t\t<line x1=\"-12.50%\" y1=\"50.00%\" x2=\"25.00%\" y2=\"150.00%\" stroke=\"#40FF40\"/>\n",
                  "<rect x=\"-12.50%\" y=\"50.00%\" width=\"25.00%\" height=\"150.00%\" fill=\"#40FF40\"/>\n"},
        // A negative colour writes no colour attribute.
        ShapeCase{0.333333, 0.0001, 0.66666, 0.999999, -1, "\t<circle cx=\"33.33%\" cy=\"0.01%\" r=\"2\"/>\n",
                  "\t\t<line x1=\"33.33%\" y1=\"0.01%\" x2=\"66.67%\" y2=\"100.00%\"/>\n",
                  "<rect x=\"33.33%\" y=\"0.01%\" width=\"66.67%\" height=\"100.00%\"/>\n"},
        ShapeCase{1, 1, 0, 0, 0xFFFFFF, "\t<circle cx=\"100.00%\" cy=\"100.00%\" r=\"2\" fill=\"#FFFFFF\"/>\n",
                  "\t\t<line x1=\"100.00%\" y1=\"100.00%\" x2=\"0.00%\" y2=\"0.00%\" stroke=\"#FFFFFF\"/>\n",
                  "<rect x=\"100.00%\" y=\"100.00%\" width=\"0.00%\" height=\"0.00%\" fill=\"#FFFFFF\"/>\n"}),
    [](const testing::TestParamInfo<ShapeCase>& info) { return "case_" + std::to_string(info.index); });

TEST(SvgWriterColours, ValueIsRgbWithoutAlpha)
{
    EXPECT_EQ(svg_writer_color_value(Color{64, 255, 64, 255}), 0x40FF40);
    EXPECT_EQ(svg_writer_color_value(Color{64, 255, 64, 0}), 0x40FF40);
    EXPECT_EQ(svg_writer_color_value(c_black), 0);
    EXPECT_EQ(svg_writer_color_value(c_white), 0xFFFFFF);
    EXPECT_EQ(svg_writer_color_value(Color{1, 2, 3, 4}), 0x010203);
}

TEST(SvgWriterColours, BackgroundCoversTheDrawing)
{
    EXPECT_EQ(written([](SvgSink& f) { svg_writer_draw_background(f, 1, &c_black); }),
              "\t<rect x=\"0.00%\" y=\"0.00%\" width=\"100.00%\" height=\"100.00%\" fill=\"#000000\"/>\n\t\n");
    const Color green{64, 255, 64, 255};
    EXPECT_EQ(written([&](SvgSink& f) { svg_writer_draw_background(f, 2, &green); }),
              "\t\t<rect x=\"0.00%\" y=\"0.00%\" width=\"100.00%\" height=\"100.00%\" fill=\"#40FF40\"/>\n\t\t\n");
}

// ---------------------------------------------------------------------------
// Projection
// ---------------------------------------------------------------------------

TEST(SvgWriterProjection, DataIsTheSharedCameraWithIdentityProjection)
{
    InteractableViewport3d viewport;
    make_flat_viewport(&viewport, 800, 600);
    viewport.perspective = 1;
    viewport.camera_x = 0.5;
    viewport.pitch = 20;
    viewport.yaw = 130;
    viewport.roll = -7;
    double model_view[16], projection[16];
    int rect[4];
    svg_writer_get_model_poject_viewport_data(model_view, projection, rect, &viewport);

    const Matrix4 camera = camera_model_view_matrix(interactable_viewport3d_camera_view(&viewport));
    const Matrix4 identity = camera_identity_matrix();
    for (int k = 0; k < 16; ++k) {
        EXPECT_EQ(model_view[k], camera.m[k]) << k;
        EXPECT_EQ(projection[k], identity.m[k]) << k;
    }
    EXPECT_EQ(rect[0], 0);
    EXPECT_EQ(rect[1], 0);
    EXPECT_EQ(rect[2], 800);
    EXPECT_EQ(rect[3], 600);
}

TEST(SvgWriterProjection, DefaultCameraShowsTenUnitsUpright)
{
    // The start camera (orthographic, zoom divisor -5, yaw 180) looks along
    // +z from behind: x grows to the left, y upwards, 5 units from the
    // centre to each edge.
    InteractableViewport3d viewport;
    make_flat_viewport(&viewport);
    viewport.camera_z = -5;
    viewport.yaw = 180;
    const Vector3 points[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    EXPECT_EQ(written([&](SvgSink& f) { svg_writer_draw_vertices(f, 0, &viewport, points, 3, &c_black); }),
              "<g fill=\"#000000\">\n"
              "\t<circle cx=\"40.00%\" cy=\"50.00%\" r=\"2\"/>\n"
              "\t<circle cx=\"50.00%\" cy=\"40.00%\" r=\"2\"/>\n"
              "\t<circle cx=\"50.00%\" cy=\"50.00%\" r=\"2\"/>\n"
              "</g>\n\n");
}

TEST(SvgWriterProjection, PerspectiveDividesByDistance)
{
    // fov 90 on a square view: a point 1 unit off the axis at distance 5
    // lies a fifth of the way to the edge.
    InteractableViewport3d viewport;
    make_flat_viewport(&viewport);
    viewport.perspective = 1;
    viewport.camera_z = -5;
    const Vector3 points[2] = {{1, 0, 0}, {0, -1, 0}};
    EXPECT_EQ(written([&](SvgSink& f) { svg_writer_draw_vertices(f, 0, &viewport, points, 2, &c_black); }),
              "<g fill=\"#000000\">\n"
              "\t<circle cx=\"60.00%\" cy=\"50.00%\" r=\"2\"/>\n"
              "\t<circle cx=\"50.00%\" cy=\"60.00%\" r=\"2\"/>\n"
              "</g>\n\n");
}

// ---------------------------------------------------------------------------
// Scene operations
// ---------------------------------------------------------------------------

TEST(SvgWriterVertices, OneCircleEachInAFilledGroup)
{
    InteractableViewport3d viewport;
    make_flat_viewport(&viewport);
    const Vector3 points[3] = {{0, 0, 0}, {0.5, 0.5, 3}, {-1.25, -1, 0}};
    const Color green{64, 255, 64, 255};
    EXPECT_EQ(written([&](SvgSink& f) { svg_writer_draw_vertices(f, 1, &viewport, points, 3, &green); }),
              "\t<g fill=\"#40FF40\">\n"
              "\t\t<circle cx=\"50.00%\" cy=\"50.00%\" r=\"2\"/>\n"
              "\t\t<circle cx=\"75.00%\" cy=\"25.00%\" r=\"2\"/>\n"
              "\t\t<circle cx=\"-12.50%\" cy=\"100.00%\" r=\"2\"/>\n"
              "\t</g>\n\t\n");
}

TEST(SvgWriterVertices, EmptyGroupHasOnlyItsOpeningAndClosingLines)
{
    InteractableViewport3d viewport;
    make_flat_viewport(&viewport);
    const std::string expected = "\t<g fill=\"#000000\">\n\t</g>\n\t\n";
    EXPECT_EQ(written([&](SvgSink& f) { svg_writer_draw_vertices(f, 1, &viewport, nullptr, 0, &c_black); }),
              expected);
    EXPECT_EQ(written([&](SvgSink& f) { svg_writer_draw_vertices(f, 1, &viewport, nullptr, -4, &c_black); }),
              expected);
}

TEST(SvgWriterVertices, NullColourIsTheViewportForeground)
{
    InteractableViewport3d viewport;
    make_flat_viewport(&viewport);
    viewport.foreground = Color{0x12, 0xAB, 0x0C, 0};
    const Vector3 point{0, 0, 0};
    EXPECT_EQ(written([&](SvgSink& f) { svg_writer_draw_vertices(f, 0, &viewport, &point, 1, nullptr); }),
              "<g fill=\"#12AB0C\">\n\t<circle cx=\"50.00%\" cy=\"50.00%\" r=\"2\"/>\n</g>\n\n");
}

TEST(SvgWriterEdges, LinesInAStrokedGroupSkippingInvalidIndices)
{
    InteractableViewport3d viewport;
    make_flat_viewport(&viewport);
    const Vector3 points[3] = {{0, 0, 0}, {1, 1, 0}, {-1, 0.5, 0}};
    const std::int32_t edges[] = {0, 1, 3, 0, 1, 3, -1, 2, 2, -1, 2, 0};
    const std::string text = written([&](SvgSink& f) {
        svg_writer_draw_edges(f, 1, &viewport, points, 3, edges, 6, &c_magenta);
    });
    EXPECT_EQ(text,
              "\t<g stroke=\"#FF40FF\">\n"
              "\t\t<line x1=\"50.00%\" y1=\"50.00%\" x2=\"100.00%\" y2=\"0.00%\"/>\n"
              "\t\t<line x1=\"0.00%\" y1=\"25.00%\" x2=\"50.00%\" y2=\"50.00%\"/>\n"
              "\t</g>\n\t\n");
}

TEST(SvgWriterEdges, ZeroLengthEdgeIsStillWritten)
{
    InteractableViewport3d viewport;
    make_flat_viewport(&viewport);
    const Vector3 point{0, 0, 0};
    const std::int32_t edges[] = {0, 0};
    EXPECT_EQ(written([&](SvgSink& f) { svg_writer_draw_edges(f, 0, &viewport, &point, 1, edges, 1, nullptr); }),
              "<g stroke=\"#FFFFFF\">\n"
              "\t<line x1=\"50.00%\" y1=\"50.00%\" x2=\"50.00%\" y2=\"50.00%\"/>\n"
              "</g>\n\n");
}

// Vertex k of a test path lies at x = k / 10, so on a 1000-unit box its
// point is written as "(500 + 50 k),500.00".
std::vector<Vector3> numbered_path(int count)
{
    std::vector<Vector3> path;
    for (int k = 0; k < count; ++k)
        path.push_back({k / 10.0, 0, 0});
    return path;
}

std::string path_text(const std::vector<Vector3>& path, const std::vector<std::int32_t>& switches)
{
    InteractableViewport3d viewport;
    make_flat_viewport(&viewport);
    return written([&](SvgSink& f) {
        svg_writer_draw_path_switched(f, 2, 1000, 1000, &viewport, path.data(), static_cast<int>(path.size()),
                                      switches.data(), static_cast<int>(switches.size()), &c_red);
    });
}

const char* const solid = "\t\t\t<polyline points=\"";
const char* const dashed = "\t\t\t<polyline stroke-dasharray=\"1%,1%\" points=\"";
const char* const end = "\"/>\n";
const char* const group_open = "\t\t<g stroke=\"#FF4040\" fill=\"none\">\n";
const char* const group_close = "\t\t</g>\n\t\t\n";

TEST(SvgWriterPaths, NoSwitchIsOneSolidPolyline)
{
    EXPECT_EQ(path_text(numbered_path(3), {}),
              std::string(group_open) + solid + "500.00,500.00 550.00,500.00 600.00,500.00 " + end + group_close);
}

TEST(SvgWriterPaths, FiveVerticesWithOneSwitchRepeatNoVertex)
{
    EXPECT_EQ(path_text(numbered_path(5), {2}),
              std::string(group_open) + solid + "500.00,500.00 550.00,500.00 " + end + dashed
                  + "600.00,500.00 650.00,500.00 700.00,500.00 " + end + group_close);
}

TEST(SvgWriterPaths, SixVerticesWithTwoSwitchesJoinAtTheFirst)
{
    EXPECT_EQ(path_text(numbered_path(6), {2, 4}),
              std::string(group_open) + solid + "500.00,500.00 550.00,500.00 " + end + dashed
                  + "550.00,500.00 600.00,500.00 650.00,500.00 " + end + solid + "700.00,500.00 750.00,500.00 "
                  + end + group_close);
}

TEST(SvgWriterPaths, EqualSwitchIndicesSwitchTwice)
{
    EXPECT_EQ(path_text(numbered_path(4), {2, 2}),
              std::string(group_open) + solid + "500.00,500.00 550.00,500.00 " + end + dashed + "550.00,500.00 "
                  + end + solid + "600.00,500.00 650.00,500.00 " + end + group_close);
}

TEST(SvgWriterPaths, SwitchAtTheFirstVertexReadsNothingBeforeIt)
{
    // The new piece would start one vertex before index 0: it starts at 0.
    EXPECT_EQ(path_text(numbered_path(4), {0, 2}),
              std::string(group_open) + solid + end + dashed + "500.00,500.00 550.00,500.00 " + end + solid
                  + "600.00,500.00 650.00,500.00 " + end + group_close);
}

TEST(SvgWriterPaths, SwitchesOutOfRangeOrOrderAreNeverReached)
{
    EXPECT_EQ(path_text(numbered_path(3), {7}),
              std::string(group_open) + solid + "500.00,500.00 550.00,500.00 600.00,500.00 " + end + group_close);
    EXPECT_EQ(path_text(numbered_path(3), {-1, 1}),
              std::string(group_open) + solid + "500.00,500.00 550.00,500.00 600.00,500.00 " + end + group_close);
}

TEST(SvgWriterPaths, NoVertexIsOneEmptyPolyline)
{
    EXPECT_EQ(path_text({}, {2}), std::string(group_open) + solid + end + group_close);
}

TEST(SvgWriterPaths, PointsAreAbsoluteInTheGivenBox)
{
    InteractableViewport3d viewport;
    make_flat_viewport(&viewport);
    const Vector3 points[2] = {{0.5, 0.5, 0}, {-1, -1, 0}};
    EXPECT_EQ(written([&](SvgSink& f) {
                  svg_writer_draw_path_switched(f, 0, 200, 100, &viewport, points, 2, nullptr, 0, nullptr);
              }),
              "<g stroke=\"#FFFFFF\" fill=\"none\">\n"
              "\t<polyline points=\"150.00,25.00 0.00,100.00 \"/>\n"
              "</g>\n\n");
}

TEST(SvgWriterUnprojectable, PointsWithoutAPlaceAreLeftOut)
{
    // Perspective camera 5 units back: a point in the camera's plane has a
    // homogeneous w of 0; NaN and infinite coordinates have no place either.
    InteractableViewport3d viewport;
    make_flat_viewport(&viewport);
    viewport.perspective = 1;
    viewport.camera_z = -5;
    const double nan = std::nan(""), inf = std::numeric_limits<double>::infinity();
    const Vector3 points[5] = {{0, 0, 0}, {1, 0, 5}, {nan, 0, 0}, {0, inf, 0}, {1, 0, 0}};

    EXPECT_EQ(written([&](SvgSink& f) { svg_writer_draw_vertices(f, 0, &viewport, points, 5, &c_black); }),
              "<g fill=\"#000000\">\n"
              "\t<circle cx=\"50.00%\" cy=\"50.00%\" r=\"2\"/>\n"
              "\t<circle cx=\"60.00%\" cy=\"50.00%\" r=\"2\"/>\n"
              "</g>\n\n");

    const std::int32_t edges[] = {0, 1, 2, 4, 0, 3, 0, 4};
    EXPECT_EQ(written([&](SvgSink& f) { svg_writer_draw_edges(f, 0, &viewport, points, 5, edges, 4, &c_black); }),
              "<g stroke=\"#000000\">\n"
              "\t<line x1=\"50.00%\" y1=\"50.00%\" x2=\"60.00%\" y2=\"50.00%\"/>\n"
              "</g>\n\n");

    const std::int32_t switches[] = {3};
    EXPECT_EQ(written([&](SvgSink& f) {
                  svg_writer_draw_path_switched(f, 0, 100, 100, &viewport, points, 5, switches, 1, &c_black);
              }),
              "<g stroke=\"#000000\" fill=\"none\">\n"
              "\t<polyline points=\"50.00,50.00 \"/>\n"
              "\t<polyline stroke-dasharray=\"1%,1%\" points=\"60.00,50.00 \"/>\n"
              "</g>\n\n");
}

TEST(SvgWriterUnprojectable, DegenerateViewportWritesNoNonNumber)
{
    InteractableViewport3d viewport;
    make_flat_viewport(&viewport, 0, 0);
    const Vector3 points[2] = {{0, 0, 0}, {1, 1, 1}};
    const std::int32_t edges[] = {0, 1};
    const std::string text = written([&](SvgSink& f) {
        svg_writer_draw_vertices(f, 0, &viewport, points, 2, nullptr);
        svg_writer_draw_edges(f, 0, &viewport, points, 2, edges, 1, nullptr);
        svg_writer_draw_path_switched(f, 0, 100, 100, &viewport, points, 2, nullptr, 0, nullptr);
    });
    EXPECT_FALSE(contains_non_number(text)) << text;
}

// ---------------------------------------------------------------------------
// Locale
// ---------------------------------------------------------------------------

// The name of a locale whose decimal separator is a comma, or "" when the
// system has none and none can be made. Making one needs localedef and the
// locale sources; it is made in `scratch` and found through LOCPATH.
std::string decimal_comma_locale(const std::filesystem::path& scratch)
{
    // Probed through setlocale, which, unlike newlocale, releases what it
    // allocates for LOCPATH.
    auto has_comma = [](const char* name) {
        if (std::setlocale(LC_ALL, name) == nullptr)
            return false;
        char text[16];
        std::snprintf(text, sizeof text, "%.1f", 0.5);
        std::setlocale(LC_ALL, "C");
        return std::string(text) == "0,5";
    };
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "fr_FR.utf8", "nl_NL.UTF-8",
                             "it_IT.UTF-8", "es_ES.UTF-8", "ru_RU.UTF-8"})
        if (has_comma(name))
            return name;
    const std::string target = (scratch / "de_DE.UTF-8").string();
    const std::string command = "localedef -i de_DE -f UTF-8 '" + target + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0)
        return "";
    setenv("LOCPATH", scratch.c_str(), 1);
    return has_comma("de_DE.UTF-8") ? "de_DE.UTF-8" : "";
}

TEST(SvgWriterLocale, NumbersUseADecimalPointUnderADecimalCommaLocale)
{
    const zelto_test::TempWorkingDirectory scratch;
    const std::string name = decimal_comma_locale(scratch.path());
    if (name.empty())
        GTEST_SKIP() << "no locale with a decimal comma on this system";

    ASSERT_NE(std::setlocale(LC_ALL, name.c_str()), nullptr);
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.2f", 0.5);
    EXPECT_STREQ(probe, "0,50");  // the process locale really writes commas

    InteractableViewport3d viewport;
    make_flat_viewport(&viewport);
    const Vector3 points[2] = {{0.5, 0.5, 0}, {-1.25, 0, 0}};
    const std::string text = written([&](SvgSink& f) {
        svg_writer_scale_box_open(f, 1, 750, 750, 1.5);
        svg_writer_draw_circle(f, 0, 0.125, 0.5, 2, -1);
        svg_writer_draw_path_switched(f, 0, 100, 100, &viewport, points, 2, nullptr, 0, nullptr);
    });
    std::setlocale(LC_ALL, "C");
    unsetenv("LOCPATH");
    EXPECT_EQ(text,
              "\t<svg viewBox=\"0 0 750 750\" width=\"100.0%\" height=\"100.0%\" stroke-width=\"1.50\">\n\t\t\n"
              "<circle cx=\"12.50%\" cy=\"50.00%\" r=\"2\"/>\n"
              "<g stroke=\"#FFFFFF\" fill=\"none\">\n"
              "\t<polyline points=\"75.00,25.00 -12.50,50.00 \"/>\n"
              "</g>\n\n");
    // The process locale is left as it was.
    std::snprintf(probe, sizeof probe, "%.2f", 0.5);
    EXPECT_STREQ(probe, "0.50");
}

TEST(SvgWriterSinks, FileSinkWritesTheSameBytesAsTheStringSink)
{
    const zelto_test::TempWorkingDirectory scratch;
    auto document = [](SvgSink& f) {
        svg_writer_preamble(f);
        svg_writer_svg_opening(f, 750, 750, 1.0);
        svg_writer_draw_background(f, 1, &c_white);
        svg_writer_svg_closing(f);
    };
    std::FILE* file = std::fopen("out.svg", "w");
    ASSERT_NE(file, nullptr);
    {
        SvgFileSink sink(file);
        document(sink);
    }
    std::fclose(file);
    EXPECT_EQ(zelto_test::read_file("out.svg"), written(document));
}

TEST(SvgWriterSinks, PointsAreFormattedAsPrintfFormatsThem)
{
    std::vector<double> values = {0.0, -0.0, 0.125, 0.375, -0.125, 2.675, 1.005, -0.005, 0.0049999, 0.005, 749.995,
                                  -1e-10, 1e-300, 123456789.125, -98765.4321, 1e22, 1e300, -1.7976931348623157e308};
    // And a spread of values over many magnitudes, from a fixed-seed generator.
    std::uint64_t seed = 0x2545F4914F6CDD1Dull;
    for (int k = 0; k < 2000; ++k) {
        seed ^= seed << 13;
        seed ^= seed >> 7;
        seed ^= seed << 17;
        const double unit = static_cast<double>(seed >> 11) / static_cast<double>(1ull << 53);
        values.push_back((unit - 0.5) * std::pow(10.0, k % 12 - 4));
    }
    for (std::size_t k = 0; k + 1 < values.size(); ++k) {
        SvgStringSink sink;
        sink.point(values[k], values[k + 1]);
        std::vector<char> expected(1000);
        std::snprintf(expected.data(), expected.size(), "%.2lf,%.2lf ", values[k], values[k + 1]);
        ASSERT_EQ(sink.text(), std::string(expected.data())) << values[k] << " " << values[k + 1];
    }
}

TEST(SvgWriterSinks, LongTextIsWrittenWhole)
{
    SvgStringSink sink;
    sink.print("%.2lf", 1e300);
    EXPECT_EQ(sink.text().size(), 304u);
    EXPECT_EQ(sink.text().substr(0, 1), "1");
    EXPECT_EQ(sink.text().substr(301), ".00");
    sink.tabs(20);
    EXPECT_EQ(sink.text().substr(304), std::string(20, '\t'));
}

}  // namespace
