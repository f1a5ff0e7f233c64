// The SVG screenshot: the composition of the drawing from the GUI state
// (settings, colours, lattices, paths, order of the elements), odd states
// that must not read outside an array, the file and its name, and the
// exported file checked with real tools: well-formed XML, and rendered
// where the screen draws the same scene.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "app/screenshot_name.hpp"
#include "app/screenshot_svg.hpp"
#include "geometry/basic_models.hpp"
#include "geometry/lattice.hpp"
#include "gui/gui.hpp"
#include "svg/svg_writer.hpp"
#include "tests/jaw_motion.hpp"
#include "tests/test_support.hpp"

namespace {

using zelto_test::capture_stdout;
using zelto_test::read_file;
using zelto_test::TempWorkingDirectory;

// A viewport record without a texture (no OpenGL needed). The flat camera
// maps (x, y, z) to the drawing fractions (x / 2 + 1/2, 1/2 - y / 2).
void make_viewport(InteractableViewport3d* viewport, bool flat)
{
    viewport->w = 750;
    viewport->h = 750;
    viewport->camera_x = 0;
    viewport->camera_y = 0;
    viewport->camera_z = flat ? -1.0 : -5.0;
    viewport->pitch = 0;
    viewport->yaw = flat ? 0.0 : 180.0;
    viewport->roll = 0;
    viewport->near = static_cast<double>(0.1f);
    viewport->far = 1000.0;
    viewport->fov = 90.0;
    viewport->perspective = 0;
    viewport->foreground = c_white;
}

// A GUI state with the default settings and the start camera.
class Screenshot : public testing::Test {
protected:
    void SetUp() override
    {
        state = gui_state_create();
        gui_state_set_to_default_settings(state.get());
        make_viewport(&viewport, false);
        state->viewport = &viewport;
    }

    std::string compose(int size = 750)
    {
        SvgStringSink sink;
        screenshot_svg_write(sink, *state, size);
        return sink.text();
    }

    // One exercise of jaw motion at a tenth of its size (so that it fits the
    // start camera), with its opening / closing switches.
    void load_motion(int samples = 60)
    {
        jaw_motion::Motion motion;
        motion.samples = samples;
        motion.scale = 0.05;
        jaw_motion::load(state.get(), jaw_motion::samples(motion), jaw_motion::turning_samples(motion), 0.05);
    }

    InteractableViewport3d viewport;
    std::unique_ptr<GuiState> state;
};

std::size_t count(const std::string& text, const std::string& piece)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
        ++n;
    return n;
}

std::set<std::string> colors_in(const std::string& text)
{
    std::set<std::string> colors;
    auto hex = [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); };
    for (std::size_t at = text.find('#'); at != std::string::npos; at = text.find('#', at + 1))
        if (at + 7 <= text.size() && std::all_of(text.begin() + static_cast<long>(at) + 1,
                                                 text.begin() + static_cast<long>(at) + 7, hex))
            colors.insert(text.substr(at, 7));
    return colors;
}

std::string written(const std::function<void(SvgSink&)>& body)
{
    SvgStringSink sink;
    body(sink);
    return sink.text();
}

const char* const empty_scale_box = "\t<svg viewBox=\"0 0 750 750\" width=\"100.0%\" height=\"100.0%\" "
                                    "stroke-width=\"1.00\">\n\t\t\n\t</svg>\n\t\n";

// ---------------------------------------------------------------------------
// Settings
// ---------------------------------------------------------------------------

TEST_F(Screenshot, DefaultsWithoutReportAreTheBlackReferenceObjects)
{
    const std::string text = compose();
    const std::string expected = written([&](SvgSink& f) {
        svg_writer_preamble(f);
        svg_writer_svg_opening(f, 750, 750, 1.0);
        svg_writer_draw_edges(f, 1, &viewport, unit_cube_verts, 8, unit_cube_edges, 14, &c_black);
        svg_writer_draw_edges(f, 1, &viewport, unit_axis_verts, 6, unit_axis_edges, 3, &c_black);
        svg_writer_svg_closing(f);
    });
    EXPECT_EQ(text, expected);
    EXPECT_NE(text.find("<svg viewBox=\"0 0 750 750\" width=\"750\" height=\"750\""), std::string::npos);
    EXPECT_EQ(count(text, "<rect"), 0u);
    EXPECT_EQ(count(text, "<line"), 17u);
    EXPECT_EQ(colors_in(text), std::set<std::string>{"#000000"});
}

TEST_F(Screenshot, DefaultsWithReportDrawEverythingBlack)
{
    state->draw_all_exercise_verts = true;
    state->draw_callibration = true;
    state->draw_extrapolation_l = true;
    state->draw_spokes = true;
    load_motion();
    const std::string text = compose();
    EXPECT_EQ(count(text, "<rect"), 0u);
    EXPECT_EQ(colors_in(text), std::set<std::string>{"#000000"});
    EXPECT_GT(count(text, "<polyline"), 3u);
}

TEST_F(Screenshot, LineWidthScalesTheViewBoxAndThePathStroke)
{
    load_motion();
    state->screenshot_svg_scale = 200.0;
    const std::string text = compose();
    EXPECT_NE(text.find("<svg viewBox=\"0 0 375 375\" width=\"750\" height=\"750\""), std::string::npos);
    EXPECT_NE(text.find("\t<svg viewBox=\"0 0 750 750\" width=\"100.0%\" height=\"100.0%\" stroke-width=\"2.00\">"),
              std::string::npos);

    state->screenshot_svg_scale = 100.0;
    const std::string normal = compose();
    EXPECT_NE(normal.find("<svg viewBox=\"0 0 750 750\" width=\"750\""), std::string::npos);
    EXPECT_NE(normal.find("stroke-width=\"1.00\""), std::string::npos);
}

TEST_F(Screenshot, LineWidthThatIsNoPositiveNumberCountsAsTheDefault)
{
    load_motion();
    for (double width : {0.0, -50.0, std::nan(""), std::numeric_limits<double>::infinity()}) {
        state->screenshot_svg_scale = width;
        const std::string text = compose();
        EXPECT_NE(text.find("<svg viewBox=\"0 0 750 750\" width=\"750\""), std::string::npos) << width;
        EXPECT_NE(text.find("stroke-width=\"1.00\""), std::string::npos) << width;
    }
}

struct BackgroundCase {
    int value;
    const char* rectangle;  // null: none
};

void PrintTo(const BackgroundCase& c, std::ostream* os)
{
    *os << "background " << c.value;
}

class ScreenshotBackground : public Screenshot, public testing::WithParamInterface<BackgroundCase> {};

TEST_P(ScreenshotBackground, FollowsTheSetting)
{
    state->screenshot_svg_background = GetParam().value;
    std::string text;
    const std::string out = capture_stdout([&] { text = compose(); });
    EXPECT_EQ(out, "");
    const std::string head = "<?xml version=\"1.0\" standalone=\"no\"?>\n<svg viewBox=\"0 0 750 750\" width=\"750\" "
                             "height=\"750\" version=\"1.1\" xmlns=\"http://www.w3.org/2000/svg\">\n\t\n";
    ASSERT_EQ(text.substr(0, head.size()), head);
    const std::string after = text.substr(head.size());
    if (GetParam().rectangle == nullptr)
        EXPECT_EQ(after.substr(0, 3), "\t<g");
    else
        EXPECT_EQ(after.substr(0, std::string(GetParam().rectangle).size()), GetParam().rectangle);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ScreenshotBackground,
    testing::Values(
        BackgroundCase{0, nullptr},
        BackgroundCase{1, "\t<rect x=\"0.00%\" y=\"0.00%\" width=\"100.00%\" height=\"100.00%\" fill=\"#000000\"/>\n\t\n"},
        BackgroundCase{2,
                       "\t<rect x=\"0.00%\" y=\"0.00%\" width=\"100.00%\" height=\"100.00%\" fill=\"#FFFFFF\"/>\n\t\n"}),
    [](const testing::TestParamInfo<BackgroundCase>& info) { return "value_" + std::to_string(info.param.value); });

TEST_F(Screenshot, UnknownSettingValuesWarnAndFallBack)
{
    load_motion();
    state->screenshot_svg_background = 7;
    state->screenshot_svg_color_override = -3;
    std::string text;
    const std::string out = capture_stdout([&] { text = compose(); });
    EXPECT_EQ(out,
              "WARNING: Unknown svg element color override value (-3)!\n"
              "Using default color override setting (color) instead.\n"
              "WARNING: Unknown svg background value (7)!\n"
              "Using default background setting (black) instead.\n");
    EXPECT_NE(text.find("\t\n\t<rect x=\"0.00%\" y=\"0.00%\" width=\"100.00%\" height=\"100.00%\" fill=\"#000000\"/>\n"),
              std::string::npos);
    // Own colours: white reference objects, then magenta and cyan lines and
    // the red, blue and green points.
    EXPECT_EQ(count(text, "<g stroke=\"#FFFFFF\">"), 2u);
    EXPECT_EQ(count(text, "<g stroke=\"#FF40FF\">"), 1u);
    EXPECT_EQ(count(text, "<g stroke=\"#40FFFF\">"), 1u);
    EXPECT_EQ(count(text, "<g fill=\"#FF4040\">"), 1u);
    EXPECT_EQ(count(text, "<g fill=\"#4040FF\">"), 1u);
    EXPECT_EQ(count(text, "<g fill=\"#40FF40\">"), 1u);
}

TEST_F(Screenshot, ColourOverrideChoosesEveryElementColour)
{
    load_motion();
    state->draw_lr_edge = true;
    state->draw_all_exercise_verts = true;
    state->screenshot_svg_color_override = 2;
    EXPECT_EQ(colors_in(compose()), std::set<std::string>{"#FFFFFF"});
    state->screenshot_svg_color_override = 1;
    EXPECT_EQ(colors_in(compose()), std::set<std::string>{"#000000"});
    state->screenshot_svg_color_override = 0;
    EXPECT_EQ(colors_in(compose()),
              (std::set<std::string>{"#FFFFFF", "#FF40FF", "#FFFF40", "#40FFFF", "#FF4040", "#4040FF", "#40FF40"}));
}

// ---------------------------------------------------------------------------
// The drawing of a report
// ---------------------------------------------------------------------------

TEST_F(Screenshot, SmallSceneIsWrittenInTheOrderOfTheScreen)
{
    make_viewport(&viewport, true);
    state->screenshot_svg_color_override = 0;
    state->screenshot_svg_background = 2;
    state->draw_reference = false;
    state->draw_axis = false;
    state->draw_i_vertex = false;
    state->draw_all_exercise_verts = true;
    state->draw_callibration = true;
    state->animation_position = 1.5;

    std::vector<EmgDataPoint> data(3);
    for (int k = 0; k < 3; ++k) {
        data[static_cast<std::size_t>(k)] = EmgDataPoint{};
        data[static_cast<std::size_t>(k)].left = {0.5, 0.2 * k, 0};
        data[static_cast<std::size_t>(k)].incisal = {0, -0.5 + 0.2 * k, 0.5};
        data[static_cast<std::size_t>(k)].right = {-0.5, 0.2 * k, 0};
    }
    jaw_motion::load(state.get(), data, {1});
    state->report->calibration_left = {0.5, 0, 0};
    state->report->calibration_incisal = {0, -0.5, 0.5};
    state->report->calibration_right = {-0.5, 0, 0};

    EXPECT_EQ(compose(100),
              "<?xml version=\"1.0\" standalone=\"no\"?>\n"
              "<svg viewBox=\"0 0 100 100\" width=\"100\" height=\"100\" version=\"1.1\" "
              "xmlns=\"http://www.w3.org/2000/svg\">\n"
              "\t\n"
              "\t<rect x=\"0.00%\" y=\"0.00%\" width=\"100.00%\" height=\"100.00%\" fill=\"#FFFFFF\"/>\n"
              "\t\n"
              "\t<g stroke=\"#FF40FF\">\n"
              "\t\t<line x1=\"75.00%\" y1=\"40.00%\" x2=\"50.00%\" y2=\"65.00%\"/>\n"
              "\t</g>\n"
              "\t\n"
              "\t<g stroke=\"#40FFFF\">\n"
              "\t\t<line x1=\"25.00%\" y1=\"40.00%\" x2=\"50.00%\" y2=\"65.00%\"/>\n"
              "\t</g>\n"
              "\t\n"
              "\t<g fill=\"#FF4040\">\n"
              "\t\t<circle cx=\"75.00%\" cy=\"40.00%\" r=\"2\"/>\n"
              "\t</g>\n"
              "\t\n"
              "\t<g fill=\"#40FF40\">\n"
              "\t\t<circle cx=\"25.00%\" cy=\"40.00%\" r=\"2\"/>\n"
              "\t</g>\n"
              "\t\n"
              "\t<svg viewBox=\"0 0 100 100\" width=\"100.0%\" height=\"100.0%\" stroke-width=\"1.00\">\n"
              "\t\t\n"
              "\t\t<g stroke=\"#FF4040\" fill=\"none\">\n"
              "\t\t\t<polyline points=\"75.00,50.00 \"/>\n"
              "\t\t\t<polyline stroke-dasharray=\"1%,1%\" points=\"75.00,40.00 75.00,30.00 \"/>\n"
              "\t\t</g>\n"
              "\t\t\n"
              "\t\t<g stroke=\"#40FF40\" fill=\"none\">\n"
              "\t\t\t<polyline points=\"25.00,50.00 \"/>\n"
              "\t\t\t<polyline stroke-dasharray=\"1%,1%\" points=\"25.00,40.00 25.00,30.00 \"/>\n"
              "\t\t</g>\n"
              "\t\t\n"
              "\t</svg>\n"
              "\t\n"
              "\t<g fill=\"#FF4040\">\n"
              "\t\t<circle cx=\"75.00%\" cy=\"50.00%\" r=\"2\"/>\n"
              "\t</g>\n"
              "\t\n"
              "\t<g fill=\"#40FF40\">\n"
              "\t\t<circle cx=\"25.00%\" cy=\"50.00%\" r=\"2\"/>\n"
              "\t</g>\n"
              "\t\n"
              "</svg>\n");
}

TEST_F(Screenshot, AmountsZeroMakeOneNodeAndThreeZeroLengthLines)
{
    make_viewport(&viewport, true);
    state->draw_reference = false;
    state->draw_axis = false;
    state->draw_li_edge = false;
    state->draw_ri_edge = false;
    state->draw_i_vertex = false;
    state->draw_r_vertex = false;
    state->draw_extrapolation_l = true;
    state->draw_spokes = true;
    std::vector<EmgDataPoint> data(2);
    data[0] = EmgDataPoint{{0.5, 0, 0}, {0, -0.5, 0.5}, {-0.5, 0, 0}, 0, 0, 0, 0, 0};
    data[1] = EmgDataPoint{{0.5, 0.5, 0}, {0, 0, 0.5}, {-0.5, 0.5, 0}, 0, 0, 0, 0, 0};
    jaw_motion::load(state.get(), data, {});
    state->animation_position = 1;

    const std::string lattice_lines = "\t<g stroke=\"#000000\">\n"
                                      "\t\t<line x1=\"75.00%\" y1=\"25.00%\" x2=\"75.00%\" y2=\"25.00%\"/>\n"
                                      "\t\t<line x1=\"75.00%\" y1=\"25.00%\" x2=\"75.00%\" y2=\"25.00%\"/>\n"
                                      "\t\t<line x1=\"75.00%\" y1=\"25.00%\" x2=\"75.00%\" y2=\"25.00%\"/>\n"
                                      "\t</g>\n\t\n";
    const std::string node = "\t<g fill=\"#000000\">\n\t\t<circle cx=\"75.00%\" cy=\"25.00%\" r=\"2\"/>\n\t</g>\n\t\n";
    const std::string text = compose();
    // Grid lines, the current point, the empty scale box, the lattice node.
    EXPECT_NE(text.find(lattice_lines + node + empty_scale_box + node + "</svg>\n"), std::string::npos) << text;
}

TEST_F(Screenshot, LatticeTurnsWithTheJawFromVertexZero)
{
    make_viewport(&viewport, true);
    state->draw_reference = false;
    state->draw_axis = false;
    state->draw_li_edge = false;
    state->draw_ri_edge = false;
    state->draw_i_vertex = false;
    state->draw_r_vertex = false;
    state->draw_extrapolation_l = true;
    state->extrapolation_x_amount = 1;
    state->extrapolation_distance = 0.25;
    // From sample 0 to sample 1 the whole jaw turns by 90 degrees about z,
    // around the left condyle at the origin.
    std::vector<EmgDataPoint> data(2);
    data[0] = EmgDataPoint{{0, 0, 0}, {0.5, -1, 0}, {1, 0, 0}, 0, 0, 0, 0, 0};
    data[1] = EmgDataPoint{{0, 0, 0}, {1, 0.5, 0}, {0, 1, 0}, 0, 0, 0, 0, 0};
    jaw_motion::load(state.get(), data, {});

    auto nodes_group = [](const char* a, const char* b, const char* c) {
        return std::string("\t<g fill=\"#000000\">\n") + "\t\t<circle " + a + " r=\"2\"/>\n" + "\t\t<circle " + b
             + " r=\"2\"/>\n" + "\t\t<circle " + c + " r=\"2\"/>\n" + "\t</g>\n\t\n</svg>\n";
    };
    state->animation_position = 0;
    std::string text = compose();
    // Along x at sample 0: the world axis.
    EXPECT_NE(text.find(nodes_group("cx=\"37.50%\" cy=\"50.00%\"", "cx=\"50.00%\" cy=\"50.00%\"",
                                    "cx=\"62.50%\" cy=\"50.00%\"")),
              std::string::npos)
        << text;
    state->animation_position = 1;
    text = compose();
    // Turned with the jaw: along y at sample 1 (up is towards the top).
    EXPECT_NE(text.find(nodes_group("cx=\"50.00%\" cy=\"62.50%\"", "cx=\"50.00%\" cy=\"50.00%\"",
                                    "cx=\"50.00%\" cy=\"37.50%\"")),
              std::string::npos)
        << text;
}

TEST_F(Screenshot, WholePathOffLeavesTheScaleBoxEmpty)
{
    load_motion();
    state->draw_all_exercise_verts = false;
    const std::string text = compose();
    EXPECT_EQ(count(text, "<polyline"), 0u);
    EXPECT_NE(text.find(empty_scale_box), std::string::npos);
}

TEST_F(Screenshot, ExtrapolatedPathsReplaceThePath)
{
    state->extrapolation_x_amount = 1;
    state->extrapolation_y_amount = 1;
    state->draw_extrapolation_l = true;
    state->draw_all_exercise_verts = true;
    load_motion();
    const std::string text = compose();
    // 9 copies of the left path, one incisal and one right path, each in
    // two solid and two dashed pieces (three turning samples).
    EXPECT_EQ(count(text, "\t\t<g stroke=\"#000000\" fill=\"none\">"), 11u);
    EXPECT_EQ(count(text, "<polyline"), 11u * 4u);
    EXPECT_EQ(count(text, "stroke-dasharray"), 11u * 2u);
}

TEST_F(Screenshot, LatticeNodesWithoutGridLines)
{
    state->extrapolation_x_amount = 1;
    state->extrapolation_y_amount = 1;
    state->draw_extrapolation_l = true;
    state->draw_li_edge = false;
    state->draw_ri_edge = false;
    state->draw_reference = false;
    state->draw_axis = false;
    load_motion();

    state->draw_spokes = false;
    std::string text = compose();
    EXPECT_EQ(count(text, "<line"), 0u);
    EXPECT_EQ(count(text, "<circle"), 3u + 9u);

    // With the grid on: 3 + 3 + 9 lines through the rows of the frame
    // lattice, and the calibration lattice too when calibration is shown.
    state->draw_spokes = true;
    text = compose();
    EXPECT_EQ(count(text, "<line"), 15u);
    state->draw_callibration = true;
    text = compose();
    EXPECT_EQ(count(text, "<line"), 30u);
    EXPECT_EQ(count(text, "<circle"), 3u + 9u + 9u + 1u + 1u);
}

TEST_F(Screenshot, PositionIsTruncatedToItsSample)
{
    make_viewport(&viewport, true);
    state->draw_reference = false;
    state->draw_axis = false;
    state->draw_li_edge = false;
    state->draw_ri_edge = false;
    state->draw_i_vertex = false;
    state->draw_r_vertex = false;
    // Sample k has its left point at x = k / 100.
    std::vector<EmgDataPoint> data(30);
    for (int k = 0; k < 30; ++k)
        data[static_cast<std::size_t>(k)] = EmgDataPoint{{k / 100.0, 0, 0}, {0, -1, 0}, {1, 0, 0}, 0, 0, 0, 0, 0};
    jaw_motion::load(state.get(), data, {});

    auto circle_of = [](int k) {
        char text[80];
        std::snprintf(text, sizeof text, "\t\t<circle cx=\"%3.2lf%%\" cy=\"50.00%%\" r=\"2\"/>\n", 50 + k / 2.0);
        return std::string(text);
    };
    struct Case {
        double position;
        int sample;
    };
    const double inf = std::numeric_limits<double>::infinity();
    for (const Case& c : {Case{12.7, 12}, Case{12.0, 12}, Case{0.99, 0}, Case{29.999, 29}, Case{-3.5, 0},
                          Case{-inf, 0}, Case{std::nan(""), 0}, Case{30.0, 29}, Case{1e12, 29}, Case{inf, 29}}) {
        state->animation_position = c.position;
        const std::string text = compose();
        EXPECT_EQ(count(text, "<circle"), 1u) << c.position;
        EXPECT_NE(text.find(circle_of(c.sample)), std::string::npos) << c.position << "\n" << text;
    }
}

TEST_F(Screenshot, WithoutACurrentSampleNothingOfTheSampleIsWritten)
{
    state->draw_all_exercise_verts = true;
    state->draw_extrapolation_l = true;
    state->draw_spokes = true;
    state->draw_reference = false;
    state->draw_axis = false;
    load_motion();
    const std::string full = compose();
    ASSERT_GT(count(full, "<line"), 0u);

    // The selected exercise out of range, an exercise without samples, a
    // report without exercises: no connections and no current points; the
    // paths and the lattices, which come from the path arrays, stay.
    auto check = [&](const char* what) {
        const std::string text = compose();
        EXPECT_EQ(count(text, "\t<g stroke=\"#000000\">\n\t\t<line"), 1u) << what;  // the grid lines
        EXPECT_EQ(count(text, "<circle"), 1u) << what;                               // the lattice node
        EXPECT_EQ(count(text, "<polyline"), count(full, "<polyline")) << what;
    };
    state->selected_exercise = 3;
    check("exercise 3 of 1");
    state->selected_exercise = -1;
    check("exercise -1");
    state->selected_exercise = 0;
    state->report->exercises[0].data.clear();
    state->report->exercises[0].data_length = 0;
    check("no samples");
    state->report->exercises.clear();
    state->report->exercises_number = 0;
    check("no exercises");

    // Without path vertices there is no frame lattice either.
    state->l_verts.clear();
    state->verts_number = 0;
    const std::string text = compose();
    EXPECT_EQ(count(text, "<circle"), 0u);
    EXPECT_EQ(count(text, "<line"), 0u);
}

TEST_F(Screenshot, StatedCountsLargerThanTheArraysAreNotBelieved)
{
    state->draw_all_exercise_verts = true;
    state->draw_extrapolation_i = true;
    load_motion(20);
    state->verts_number = 1000;
    state->extrapolations_number = 50;
    state->extrapolated_verts_number = 1000;
    state->open_close_movements_number = 100;
    state->r_verts.resize(10);
    const std::string text = compose();
    EXPECT_EQ(count(text, "\t\t<g stroke=\"#000000\" fill=\"none\">"), 3u);
    EXPECT_FALSE(text.find("nan") != std::string::npos);
}

TEST_F(Screenshot, LatticeTooLargeToCountIsLeftOut)
{
    state->draw_extrapolation_l = true;
    state->draw_spokes = true;
    state->draw_callibration = true;
    state->draw_reference = false;
    state->draw_axis = false;
    jaw_motion::Motion motion;
    motion.samples = 5;
    jaw_motion::load(state.get(), jaw_motion::samples(motion), {});
    // The amounts changed after the copies were built, to values whose
    // lattice has more nodes than can be counted.
    state->extrapolation_x_amount = INT32_MAX;
    state->extrapolation_y_amount = INT32_MAX;
    state->extrapolation_z_amount = INT32_MAX;
    const std::string text = compose();
    // The current points and the calibration points of the two points
    // without a lattice; no lattice node, no grid line.
    EXPECT_EQ(count(text, "<circle"), 5u);
    EXPECT_EQ(count(text, "<line"), 2u);
}

TEST_F(Screenshot, WithoutViewportOnlyTheFrameIsWritten)
{
    load_motion();
    state->viewport = nullptr;
    state->screenshot_svg_background = 1;
    EXPECT_EQ(compose(), written([](SvgSink& f) {
                  svg_writer_preamble(f);
                  svg_writer_svg_opening(f, 750, 750, 1.0);
                  svg_writer_draw_background(f, 1, &c_black);
                  svg_writer_svg_closing(f);
              }));
}

// ---------------------------------------------------------------------------
// The file
// ---------------------------------------------------------------------------

TEST(ScreenshotName, FormatsTheLocalTime)
{
    std::tm local{};
    local.tm_year = 2024 - 1900;
    local.tm_mon = 2;
    local.tm_mday = 5;
    local.tm_hour = 7;
    local.tm_min = 8;
    local.tm_sec = 9;
    local.tm_isdst = -1;
    const std::time_t when = std::mktime(&local);
    EXPECT_EQ(screenshot_file_name(when, "svg"), "screenshot_2024_03_05_07_08_09.svg");
    EXPECT_EQ(screenshot_file_name(when, "bmp"), "screenshot_2024_03_05_07_08_09.bmp");

    local = std::tm{};
    local.tm_year = 1999 - 1900;
    local.tm_mon = 11;
    local.tm_mday = 31;
    local.tm_hour = 23;
    local.tm_min = 59;
    local.tm_sec = 58;
    local.tm_isdst = -1;
    EXPECT_EQ(screenshot_file_name(std::mktime(&local), "svg"), "screenshot_1999_12_31_23_59_58.svg");
}

std::vector<std::filesystem::path> files_in(const std::filesystem::path& dir)
{
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        files.push_back(entry.path());
    return files;
}

class GlobalState {
public:
    explicit GlobalState(GuiState* state) { gui_state = state; }
    ~GlobalState() { gui_state = nullptr; }
    GlobalState(const GlobalState&) = delete;
    GlobalState& operator=(const GlobalState&) = delete;
};

TEST_F(Screenshot, FileHoldsTheDrawingUnderATimeName)
{
    const TempWorkingDirectory dir;
    load_motion();
    state->draw_all_exercise_verts = true;
    const GlobalState global(state.get());
    const std::time_t before = std::time(nullptr);
    screenshot_svg(750);
    const std::time_t after = std::time(nullptr);

    const std::vector<std::filesystem::path> files = files_in(dir.path());
    ASSERT_EQ(files.size(), 1u);
    const std::string name = files[0].filename().string();
    EXPECT_TRUE(name == screenshot_file_name(before, "svg") || name == screenshot_file_name(after, "svg")) << name;
    // screenshot_YYYY_MM_DD_HH_MM_SS.svg
    ASSERT_EQ(name.size(), 34u) << name;
    EXPECT_EQ(name.substr(0, 11), "screenshot_");
    EXPECT_EQ(name.substr(30), ".svg");
    for (std::size_t i : {15u, 18u, 21u, 24u, 27u})
        EXPECT_EQ(name[i], '_') << name;
    EXPECT_EQ(read_file(files[0]), compose());
}

TEST_F(Screenshot, FileWithoutReportHoldsOnlyTheFrameAndReferenceObjects)
{
    const TempWorkingDirectory dir;
    state->screenshot_svg_background = 2;
    const GlobalState global(state.get());
    screenshot_svg(750);
    const std::vector<std::filesystem::path> files = files_in(dir.path());
    ASSERT_EQ(files.size(), 1u);
    const std::string text = read_file(files[0]);
    EXPECT_EQ(text, compose());
    EXPECT_EQ(count(text, "<rect"), 1u);
    EXPECT_EQ(count(text, "<g"), 2u);
    EXPECT_EQ(count(text, "<svg"), 1u);
}

TEST(ScreenshotFile, NothingWithoutGuiState)
{
    const TempWorkingDirectory dir;
    gui_state = nullptr;
    screenshot_svg(750);
    EXPECT_TRUE(files_in(dir.path()).empty());
}

// ---------------------------------------------------------------------------
// Checked with real tools
// ---------------------------------------------------------------------------

bool have_tool(const char* name)
{
    const std::string command = std::string("command -v ") + name + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

bool well_formed(const std::filesystem::path& file)
{
    const std::string command = "xmllint --noout '" + file.string() + "' 2>&1";
    return std::system(command.c_str()) == 0;
}

// Renders an SVG file on white as size x size grey levels, top row first;
// empty when the tools fail.
std::vector<std::uint8_t> render_grey(const std::filesystem::path& svg, int size)
{
    const std::filesystem::path png = svg.string() + ".png", grey = svg.string() + ".grey";
    const std::string side = std::to_string(size);
    const std::string command = "rsvg-convert -b white -w " + side + " -h " + side + " -f png -o '" + png.string()
                              + "' '" + svg.string() + "' && convert '" + png.string()
                              + "' -colorspace Gray -depth 8 'gray:" + grey.string() + "'";
    if (std::system(command.c_str()) != 0)
        return {};
    const std::string bytes = read_file(grey);
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

TEST_F(Screenshot, ExportIsWellFormedXmlForEveryFeature)
{
    if (!have_tool("xmllint"))
        GTEST_SKIP() << "xmllint is not installed";
    const TempWorkingDirectory dir;
    state->extrapolation_x_amount = 1;
    state->extrapolation_y_amount = 1;
    state->draw_extrapolation_l = true;
    state->draw_extrapolation_r = true;
    state->draw_all_exercise_verts = true;
    state->draw_callibration = true;
    state->draw_spokes = true;
    state->draw_lr_edge = true;
    state->screenshot_svg_color_override = 0;
    state->screenshot_svg_background = 9;
    state->screenshot_svg_scale = 250;
    load_motion();
    const GlobalState global(state.get());
    capture_stdout([] { screenshot_svg(750); });
    const std::vector<std::filesystem::path> files = files_in(dir.path());
    ASSERT_EQ(files.size(), 1u);
    EXPECT_TRUE(well_formed(files[0]));

    // Also without a report, and with a perspective camera looking through
    // the scene (points behind and in the camera's plane).
    std::filesystem::remove(files[0]);
    viewport.perspective = 1;
    viewport.camera_z = -0.5;
    {
        SvgStringSink sink;
        screenshot_svg_write(sink, *state, 750);
        zelto_test::write_file("perspective.svg", sink.text());
        EXPECT_EQ(sink.text().find("nan"), std::string::npos);
        EXPECT_EQ(sink.text().find("inf"), std::string::npos);
    }
    EXPECT_TRUE(well_formed("perspective.svg"));
    state->report.reset();
    screenshot_svg(750);
    for (const auto& file : files_in(dir.path()))
        EXPECT_TRUE(well_formed(file)) << file;
}

// Pixels that show something: on the black screen anything not black, on
// the white rendering anything clearly dark.
std::vector<bool> screen_marks(const std::vector<std::uint8_t>& rgba)
{
    std::vector<bool> marks(rgba.size() / 4);
    for (std::size_t p = 0; p < marks.size(); ++p)
        marks[p] = rgba[4 * p] > 40 || rgba[4 * p + 1] > 40 || rgba[4 * p + 2] > 40;
    return marks;
}

std::vector<bool> drawing_marks(const std::vector<std::uint8_t>& grey)
{
    std::vector<bool> marks(grey.size());
    for (std::size_t p = 0; p < marks.size(); ++p)
        marks[p] = grey[p] < 192;
    return marks;
}

// The fraction of the marked pixels of `a` that have no marked pixel of `b`
// within `radius` pixels (in x and in y).
double stray_fraction(const std::vector<bool>& a, const std::vector<bool>& b, int size, int radius)
{
    std::size_t marked = 0, stray = 0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            if (!a[static_cast<std::size_t>(y * size + x)])
                continue;
            ++marked;
            bool near = false;
            for (int dy = -radius; dy <= radius && !near; ++dy)
                for (int dx = -radius; dx <= radius && !near; ++dx) {
                    const int u = x + dx, v = y + dy;
                    near = u >= 0 && v >= 0 && u < size && v < size && b[static_cast<std::size_t>(v * size + u)];
                }
            if (!near)
                ++stray;
        }
    return marked == 0 ? 1.0 : static_cast<double>(stray) / static_cast<double>(marked);
}

// The scene of the screen, drawn through the viewport's drawing operations
// in the order of the export, for a state whose lattices are on.
void draw_screen_twin(const GuiState& state, const InteractableViewport3d* viewport)
{
    interactable_viewport3d_draw_edges(viewport, unit_cube_verts, 8, unit_cube_edges, 14, &c_white);
    interactable_viewport3d_draw_edges(viewport, unit_axis_verts, 6, unit_axis_edges, 3, &c_white);
    const std::size_t c = static_cast<std::size_t>(state.animation_position);
    const EmgDataPoint& sample = state.report->exercises[0].data[c];
    const std::int32_t one_edge[2] = {0, 1};
    const Vector3 li[2] = {sample.left, sample.incisal}, ri[2] = {sample.right, sample.incisal};
    interactable_viewport3d_draw_edges(viewport, li, 2, one_edge, 1, &c_magenta);
    interactable_viewport3d_draw_edges(viewport, ri, 2, one_edge, 1, &c_cyan);

    const std::int32_t x = state.extrapolation_x_amount, y = state.extrapolation_y_amount,
                       z = state.extrapolation_z_amount;
    std::vector<std::int32_t> edges;
    lattice_edges(&edges, x, y, z);
    Vector3 directions[3];
    lattice_directions(directions, lattice_jaw_basis(state.l_verts[0], state.i_verts[0], state.r_verts[0]),
                       lattice_jaw_basis(state.l_verts[c], state.i_verts[c], state.r_verts[c]));
    std::vector<Vector3> frame, calibration;
    lattice_nodes(&frame, state.l_verts[c], directions, state.extrapolation_distance, x, y, z);
    lattice_nodes(&calibration, state.report->calibration_left, lattice_world_axes, state.extrapolation_distance, x,
                  y, z);
    const int n = static_cast<int>(frame.size()), e = static_cast<int>(edges.size() / 2);
    interactable_viewport3d_draw_edges(viewport, calibration.data(), n, edges.data(), e, &c_red);
    interactable_viewport3d_draw_edges(viewport, frame.data(), n, edges.data(), e, &c_red);
    interactable_viewport3d_draw_vertices(viewport, &sample.left, 1, &c_red);
    interactable_viewport3d_draw_vertices(viewport, &sample.incisal, 1, &c_blue);
    interactable_viewport3d_draw_vertices(viewport, &sample.right, 1, &c_green);
    for (const auto& copy : state.l_extrapolated_verts)
        interactable_viewport3d_draw_path_switched(viewport, copy.data(), static_cast<int>(copy.size()),
                                                   state.open_close_movements.data(),
                                                   state.open_close_movements_number, &c_red);
    interactable_viewport3d_draw_path_switched(viewport, state.i_verts.data(), state.verts_number,
                                               state.open_close_movements.data(),
                                               state.open_close_movements_number, &c_blue);
    interactable_viewport3d_draw_path_switched(viewport, state.r_verts.data(), state.verts_number,
                                               state.open_close_movements.data(),
                                               state.open_close_movements_number, &c_green);
    interactable_viewport3d_draw_vertices(viewport, calibration.data(), n, &c_red);
    interactable_viewport3d_draw_vertices(viewport, &state.report->calibration_incisal, 1, &c_blue);
    interactable_viewport3d_draw_vertices(viewport, &state.report->calibration_right, 1, &c_green);
    interactable_viewport3d_draw_vertices(viewport, frame.data(), n, &c_red);
}

struct CameraCase {
    const char* name;
    bool perspective;
    double camera_x, camera_y, camera_z, pitch, yaw, roll;
};

void PrintTo(const CameraCase& c, std::ostream* os)
{
    *os << c.name;
}

class ScreenshotMatchesScreen : public testing::TestWithParam<CameraCase> {};

TEST_P(ScreenshotMatchesScreen, RenderedDrawingLiesWhereTheScreenDrawsIt)
{
    if (!have_tool("rsvg-convert") || !have_tool("convert"))
        GTEST_SKIP() << "rsvg-convert or ImageMagick's convert is not installed";
    constexpr int size = 750;
    const TempWorkingDirectory dir;
    zelto_test::OffscreenWindow window(size, size);
    std::unique_ptr<InteractableViewport3d> viewport = interactable_viewport3d_create(
        0, 0, size, size, &c_white, &c_black, nullptr, static_cast<double>(0.1f), 1000.0, 90.0);
    const CameraCase& camera = GetParam();
    viewport->perspective = camera.perspective ? 1 : 0;
    viewport->camera_x = camera.camera_x;
    viewport->camera_y = camera.camera_y;
    viewport->camera_z = camera.camera_z;
    viewport->pitch = camera.pitch;
    viewport->yaw = camera.yaw;
    viewport->roll = camera.roll;

    // Preset 1's drawing (left condyle with its 3 x 3 x 1 lattice, grid
    // lines, calibration), plus the connections and the other two paths.
    std::unique_ptr<GuiState> state = gui_state_create();
    gui_state_set_to_default_settings(state.get());
    jaw_motion::apply_preset_switches(state.get(), state->presets[1]);
    state->draw_i_vertex = true;
    state->draw_r_vertex = true;
    state->draw_li_edge = true;
    state->draw_ri_edge = true;
    state->draw_reference = true;
    state->draw_axis = true;
    state->extrapolation_distance = 3.0;
    state->viewport = viewport.get();
    jaw_motion::Motion motion;
    motion.samples = 400;
    motion.scale = 0.1;
    jaw_motion::load(state.get(), jaw_motion::samples(motion), jaw_motion::turning_samples(motion), 0.1);
    state->animation_position = 130.4;

    // The screen, as the main loop draws the 3D area.
    glViewport(0, 0, size, size);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDepthFunc(GL_LESS);
    draw_screen_twin(*state, viewport.get());
    const std::vector<bool> screen = screen_marks(window.read_pixels(0, 0, size, size));

    // The export, black on a white rendering.
    const GlobalState global(state.get());
    screenshot_svg(size);
    const std::vector<std::filesystem::path> files = files_in(dir.path());
    ASSERT_EQ(files.size(), 1u);
    ASSERT_TRUE(well_formed(files[0]));
    const std::vector<std::uint8_t> grey = render_grey(files[0], size);
    ASSERT_EQ(grey.size(), static_cast<std::size_t>(size * size));
    const std::vector<bool> drawing = drawing_marks(grey);

    const auto marked = [](const std::vector<bool>& marks) { return std::count(marks.begin(), marks.end(), true); };
    ASSERT_GT(marked(screen), 2000);
    ASSERT_GT(marked(drawing), 2000);
    EXPECT_LT(stray_fraction(screen, drawing, size, 3), 0.01) << camera.name;
    EXPECT_LT(stray_fraction(drawing, screen, size, 3), 0.01) << camera.name;
    // And not by chance: shifted by 15 pixels the two no longer agree.
    std::vector<bool> shifted(drawing.size(), false);
    for (int y = 0; y < size; ++y)
        for (int x = 15; x < size; ++x)
            shifted[static_cast<std::size_t>(y * size + x)] = drawing[static_cast<std::size_t>(y * size + x - 15)];
    EXPECT_GT(stray_fraction(screen, shifted, size, 3), 0.1) << camera.name;
}

INSTANTIATE_TEST_SUITE_P(Cameras, ScreenshotMatchesScreen,
                         testing::Values(CameraCase{"start", false, 0, 0, -10, 0, 180, 0},
                                         CameraCase{"turned", false, 1.5, -2, -12, 25, 140, 10},
                                         CameraCase{"perspective", true, 0.5, 1, -25, -20, 215, 5}),
                         [](const testing::TestParamInfo<CameraCase>& info) { return std::string(info.param.name); });

}  // namespace
