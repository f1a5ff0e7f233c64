// The 3D scene projected into a picture: circles, lines and switched paths in page units, points without a place
// left out, and paths drawn from their cells at the page's scale. (The whole screenshot, written from the picture, is
// checked by the screenshot tests.)
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "picture/scene_picture.hpp"
#include "tests/test_support.hpp"

namespace {

const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
constexpr PictureColor black{0, 0, 0}, magenta{0xFF, 0x40, 0xFF};

// The flat test camera (zelto_test::flat_viewport) over a page of the given size.
SceneFrame frame(const InteractableViewport3d& viewport, double page_width = 100, double page_height = 100)
{
    return SceneFrame{interactable_viewport3d_camera_view(&viewport), viewport.w, viewport.h, page_width,
                      page_height};
}

SceneFrame flat_frame(double page_width = 100, double page_height = 100)
{
    InteractableViewport3d viewport;
    zelto_test::flat_viewport(&viewport);
    return frame(viewport, page_width, page_height);
}

// The picture in short: "g(stroke fill)" and "/g" for groups, "c(x,y)" for circles, "l(...)" for solid and
// "d(...)" for dashed polylines.
std::string text(const Picture& picture)
{
    std::string out;
    auto paint = [](const PicturePaint& p) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "#%02X%02X%02X", p.color.r, p.color.g, p.color.b);
        return p.kind == PicturePaint::Kind::color ? std::string(buffer)
               : p.kind == PicturePaint::Kind::none ? std::string("none") : std::string("-");
    };
    auto point = [](const PicturePoint& p) {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.2f,%.2f", p.x, p.y);
        return std::string(buffer);
    };
    for (const PictureItem& item : picture.items) {
        switch (item.kind) {
        case PictureKind::group:
            out += "g(" + paint(item.style.stroke) + " " + paint(item.style.fill) + ") ";
            break;
        case PictureKind::group_end:
            out += "/g ";
            break;
        case PictureKind::circle:
            out += "c(" + point(item.points[0]) + ") ";
            break;
        case PictureKind::polyline: {
            out += item.style.dash == PictureDash::dashed ? "d(" : "l(";
            for (std::size_t k = 0; k < item.points.size(); ++k)
                out += (k > 0 ? " " : "") + point(item.points[k]);
            out += ") ";
            break;
        }
        default:
            out += "? ";
        }
    }
    return out;
}

// Vertices and edges in their groups, at fractions of the page (the projection is the camera's, checked against
// OpenGL by the viewport tests): no vertices, edge pairs with an index outside the vertices skipped.
TEST(ScenePicture, VerticesAndEdgesInTheirGroups)
{
    const Vector3 points[3] = {{0, 0, 0}, {1, 1, 0}, {-1.25, -1, 3}};
    const std::int32_t edges[] = {0, 1, 3, 0, 1, 3, -1, 2, 2, -1, 2, 0, 1, 1};
    Picture none, one, lines;
    scene_picture_vertices(&none, flat_frame(), nullptr, -4, black, 2);
    scene_picture_vertices(&one, flat_frame(200, 50), points, 2, black, 2);
    scene_picture_edges(&lines, flat_frame(), points, 3, edges, 7, magenta);
    EXPECT_EQ(text(none), "g(- #000000) /g ");
    EXPECT_EQ(text(one), "g(- #000000) c(100.00,25.00) c(200.00,0.00) /g ");
    EXPECT_EQ(one.items[1].radius, 2);
    // A zero-length edge is still a line.
    EXPECT_EQ(text(lines), "g(#FF40FF -) l(50.00,50.00 100.00,0.00) l(-12.50,100.00 50.00,50.00) "
                           "l(100.00,0.00 100.00,0.00) /g ");
}

// Vertex k of a test path lies at x = k / 10, so on a 1000-unit page its point is "(500 + 50 k),500.00".
TEST(ScenePicture, SwitchedPathsArePolylinesOfEveryPiece)
{
    std::vector<Vector3> path = {{0, 0, 0}, {0.1, 0, 0}, {0.2, 0, 0}, {0.3, 0, 0}, {0.4, 0, 0}, {0.5, 0, 0}};
    auto drawn = [&](int count, const std::vector<std::int32_t>& switches) {
        Picture picture;
        scene_picture_path_switched(&picture, flat_frame(1000, 1000), path.data(), count, switches.data(),
                                    static_cast<int>(switches.size()), magenta, 0.0);
        return text(picture);
    };
    EXPECT_EQ(drawn(6, {2, 4}), "g(#FF40FF none) l(500.00,500.00 550.00,500.00) "
                                "d(550.00,500.00 600.00,500.00 650.00,500.00) l(700.00,500.00 750.00,500.00) /g ");
    EXPECT_EQ(drawn(4, {0, 2}), "g(#FF40FF none) l() d(500.00,500.00 550.00,500.00) l(600.00,500.00 650.00,500.00) /g ");
    EXPECT_EQ(drawn(0, {2}), "g(#FF40FF none) l() /g ");
    // A missing sample leaves a gap.
    path[2].y = nan;
    EXPECT_EQ(drawn(5, {}), "g(#FF40FF none) l(500.00,500.00 550.00,500.00) l(650.00,500.00 700.00,500.00) /g ");

    // A dash is 1 % of the page's normalised diagonal; a tolerance keeps the ends and what strays from the line.
    Picture picture;
    const Vector3 bent[4] = {{0, 0, 0}, {0.5, 0.001, 0}, {1, 0, 0}, {1, 1, 0}};
    const std::int32_t at_once[] = {0};
    scene_picture_path_switched(&picture, flat_frame(300, 400), bent, 4, at_once, 1, black, 1.0);
    EXPECT_EQ(text(picture), "g(#000000 none) l() d(150.00,200.00 300.00,200.00 300.00,0.00) /g ");
    EXPECT_NEAR(picture.items[2].style.dash_on, std::sqrt((300.0 * 300 + 400 * 400) / 2) / 100, 1e-12);
}

// In perspective the picture keeps what the screen keeps: what lies on or in front of the near plane. A line or path
// passing the plane is cut there (x = 1 cuts at x / 0.1, 550 %); points behind it, the camera's own plane (w = 0) and
// points without coordinates are left out.
TEST(ScenePicture, PointsWithoutAPlaceAreLeftOut)
{
    // Perspective camera 5 units back, pitched so that it looks along -y: (x, y, z) is seen as (x, -z, y).
    InteractableViewport3d viewport;
    zelto_test::flat_viewport(&viewport);
    std::tie(viewport.perspective, viewport.camera_z, viewport.pitch) = std::tuple(1, -5.0, 90.0);
    const Vector3 points[6] = {{0, 0, 0}, {1, 5, 0}, {nan, 0, 0}, {0, 0, -inf}, {1, 0, 0}, {1, 10, 0}};
    const std::int32_t edges[] = {0, 1, 2, 4, 0, 3, 0, 4, 4, 5, 5, 1};
    const std::int32_t switches[] = {3};
    const Vector3 in_and_out[4] = {points[5], points[4], points[1], points[0]};
    Picture vertices, lines, path, back_and_forth;
    scene_picture_vertices(&vertices, frame(viewport), points, 6, black, 2);
    scene_picture_edges(&lines, frame(viewport), points, 6, edges, 6, black);
    scene_picture_path_switched(&path, frame(viewport), points, 6, switches, 1, black, 0.0);
    scene_picture_path_switched(&back_and_forth, frame(viewport), in_and_out, 4, nullptr, 0, black, 0.0);
    EXPECT_EQ(text(vertices), "g(- #000000) c(50.00,50.00) c(60.00,50.00) /g ");
    EXPECT_EQ(text(lines), "g(#000000 -) l(50.00,50.00 540.00,50.00) l(50.00,50.00 60.00,50.00) "
                           "l(60.00,50.00 550.00,50.00) /g ");
    EXPECT_EQ(text(path), "g(#000000 none) l(50.00,50.00 540.00,50.00) d(60.00,50.00 550.00,50.00) /g ");
    EXPECT_EQ(text(back_and_forth),
              "g(#000000 none) l(550.00,50.00 60.00,50.00 550.00,50.00) l(540.00,50.00 50.00,50.00) /g ");

    // A view of no size gives no place to anything either; neither do cells.
    zelto_test::flat_viewport(&viewport, 0, 0);
    Picture nothing;
    scene_picture_vertices(&nothing, frame(viewport), points, 2, black, 2);
    scene_picture_edges(&nothing, frame(viewport), points, 2, edges, 1, black);
    scene_picture_path_switched(&nothing, frame(viewport), points, 2, nullptr, 0, black, 0.0);
    EXPECT_EQ(text(nothing), "g(- #000000) /g g(#000000 -) /g g(#000000 none) l() /g ");
    EXPECT_FALSE(scene_picture_path_cells(&nothing, frame(viewport), points, 6, nullptr, 0, black, 1.0, 0.0));
}

// A movement repeated a thousand times costs what one repetition costs: every pair of joined cells once per style,
// joined into polylines; few samples, or a path reaching behind the near plane, are left to the samples.
TEST(ScenePicture, CellsDrawEachPairOfCellsOncePerStyle)
{
    // Opening along x over 100 samples, closing back along y = 0.2 mm, a thousand times, 0.1 mm per sample; a
    // 100-pixel page over 2 mm puts a pixel at 0.02 mm, so a cell at 1 pixel is 1/64 mm: every sample its own cell.
    std::vector<Vector3> path;
    std::vector<std::int32_t> switches;
    for (int cycle = 0; cycle < 1000; ++cycle) {
        for (int k = 0; k < 10; ++k)
            path.push_back({-0.5 + 0.1 * k, 0, 0});
        switches.push_back(static_cast<std::int32_t>(path.size()));
        for (int k = 10; k > 0; --k)
            path.push_back({-0.5 + 0.1 * k, 0.2, 0});
        switches.push_back(static_cast<std::int32_t>(path.size()));
    }
    const int count = static_cast<int>(path.size());
    Picture picture;
    ASSERT_TRUE(scene_picture_path_cells(&picture, flat_frame(), path.data(), count, switches.data(),
                                         static_cast<int>(switches.size()), magenta, 1.0, 0.0));
    // Solid: the opening (10 cells) and the step from the last closing sample into the next opening; dashed: the
    // step into the closing and the closing itself. Each style's pairs make one polyline.
    std::size_t solid_points = 0, dashed_points = 0, polylines = 0;
    for (const PictureItem& item : picture.items)
        if (item.kind == PictureKind::polyline) {
            ++polylines;
            (item.style.dash == PictureDash::dashed ? dashed_points : solid_points) += item.points.size();
        }
    EXPECT_EQ(polylines, 2u) << text(picture);
    EXPECT_EQ(solid_points, 11u) << text(picture);
    EXPECT_EQ(dashed_points, 11u) << text(picture);
    EXPECT_EQ(picture.items.front().style.stroke, PicturePaint::of(magenta));

    // A tolerance straightens the runs; a handful of samples are drawn as they are.
    Picture straight, few;
    ASSERT_TRUE(scene_picture_path_cells(&straight, flat_frame(), path.data(), count, switches.data(),
                                         static_cast<int>(switches.size()), magenta, 1.0, 0.5));
    EXPECT_LT(text(straight).size(), text(picture).size() / 2) << text(straight);
    EXPECT_FALSE(scene_picture_path_cells(&few, flat_frame(), path.data(), 20, switches.data(), 1, black, 1.0, 0.0));
    EXPECT_TRUE(few.items.empty());

    // Behind the near plane of a perspective view the samples are cut as the screen cuts them.
    InteractableViewport3d viewport;
    zelto_test::flat_viewport(&viewport);
    std::tie(viewport.perspective, viewport.camera_z) = std::tuple(1, -0.05);
    EXPECT_FALSE(scene_picture_path_cells(&few, frame(viewport), path.data(), count, switches.data(),
                                          static_cast<int>(switches.size()), black, 1.0, 0.0));
}

}  // namespace
