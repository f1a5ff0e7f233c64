// The SVG screenshot: the drawing composed from the GUI state, odd states
// that must not read outside an array, and the file and its name.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <limits>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "platform/screenshot_name.hpp"
#include "app/screenshot_svg.hpp"
#include "gui/gui.hpp"
#include "tests/jaw_motion.hpp"
#include "tests/test_support.hpp"
#include "tools/report_generator.hpp"

namespace {

using zelto_test::capture_stdout;
using zelto_test::count_of;
using zelto_test::read_file;
using zelto_test::TempWorkingDirectory;

const double inf = std::numeric_limits<double>::infinity();

const char* const empty_scale_box = "\t<svg viewBox=\"0 0 750 750\" width=\"100.0%\" height=\"100.0%\" "
                                    "stroke-width=\"1.00\">\n\t\t\n\t</svg>\n\t\n";

// The colours written, as "#RRGGBB".
std::set<std::string> colors_in(const std::string& text)
{
    std::set<std::string> colors;
    for (std::size_t at = text.find('#'); at != std::string::npos; at = text.find('#', at + 1))
        if (text.find_first_not_of("0123456789ABCDEF", at + 1) == at + 7)
            colors.insert(text.substr(at, 7));
    return colors;
}

// How often each piece occurs in the text.
std::vector<std::size_t> counts(const std::string& text, std::initializer_list<const char*> pieces)
{
    std::vector<std::size_t> out;
    for (const char* piece : pieces)
        out.push_back(count_of(text, piece));
    return out;
}
using Counts = std::vector<std::size_t>;

std::vector<std::filesystem::path> files_in(const std::filesystem::path& dir)
{
    return {std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()};
}

// A GUI state with the default settings and the start camera, on a viewport
// record without a texture (no OpenGL needed).
class Screenshot : public testing::Test {
protected:
    void SetUp() override
    {
        state = gui_state_create();
        gui_state_set_to_default_settings(state.get());
        zelto_test::flat_viewport(&viewport);
        viewport.camera_z = -5.0;
        viewport.yaw = 180.0;
        state->viewport = &viewport;
    }
    void TearDown() override { gui_state = nullptr; }

    std::string compose(int size = 750)
    {
        SvgStringSink sink;
        screenshot_svg_write(sink, *state, size);
        return sink.text();
    }

    // One exercise of jaw motion at a twentieth of its size (so that it fits
    // the start camera), with its opening / closing switches.
    void load_motion(int samples = 60)
    {
        const jaw_motion::Motion motion{.samples = samples, .scale = 0.05};
        jaw_motion::load(state.get(), jaw_motion::samples(motion), jaw_motion::turning_samples(motion), 0.05);
    }

    // The flat camera, which maps (x, y, z) to the drawing fractions
    // (x / 2 + 1/2, 1/2 - y / 2), and only the left point switched on.
    void flat_left_point_only()
    {
        zelto_test::flat_viewport(&viewport);
        state->draw_reference = state->draw_axis = false;
        state->draw_li_edge = state->draw_ri_edge = false;
        state->draw_i_vertex = state->draw_r_vertex = false;
    }

    InteractableViewport3d viewport;
    std::unique_ptr<GuiState> state;
};

TEST_F(Screenshot, SettingsChooseBackgroundColoursAndLineWidth)
{
    // Without a report: the 14 edges of the reference cube and the three axes, in black.
    EXPECT_EQ(std::tuple(count_of(compose(), "<line"), colors_in(compose())),
              std::tuple(17u, std::set<std::string>{"#000000"}));
    load_motion();
    state->draw_lr_edge = state->draw_all_exercise_verts = state->draw_callibration = true;
    const std::set<std::string> own = {"#FFFFFF", "#FF40FF", "#FFFF40", "#40FFFF", "#FF4040", "#4040FF", "#40FF40"};
    const std::string warnings = "WARNING: Unknown svg element color override value (-3)!\n"
                                 "Using default color override setting (color) instead.\n"
                                 "WARNING: Unknown svg background value (7)!\n"
                                 "Using default background setting (black) instead.\n";
    // Background, colour override, line width (percent; no positive number counts as 100), the
    // background rectangle's fill (null: none), the elements' colours, the view box, the stroke width.
    const std::tuple<int, int, double, const char*, std::set<std::string>, const char*, const char*> cases[] = {
        {0, 1, 100, nullptr, {"#000000"}, "750", "1.00"}, {1, 2, 200, "#000000", {"#FFFFFF"}, "375", "2.00"},
        {2, 1, 50, "#FFFFFF", {"#000000"}, "1500", "0.50"}, {0, 0, 0, nullptr, own, "750", "1.00"},
        {0, 2, -50, nullptr, {"#FFFFFF"}, "750", "1.00"}, {2, 0, std::nan(""), "#FFFFFF", own, "750", "1.00"},
        {1, 1, inf, "#000000", {"#000000"}, "750", "1.00"},
        {7, -3, 100, "#000000", own, "750", "1.00"},  // unknown values: black background, own colours
    };
    for (const auto& [background, colour, width, fill, colours, view_box, stroke] : cases) {
        SCOPED_TRACE(testing::Message() << background << " " << colour << " " << width);
        std::tie(state->screenshot_svg_background, state->screenshot_svg_color_override, state->screenshot_svg_scale) =
            std::tuple(background, colour, width);
        std::string text;
        EXPECT_EQ(capture_stdout([&] { text = compose(); }), background == 7 ? warnings : "");
        const std::string head = std::string("<?xml version=\"1.0\" standalone=\"no\"?>\n<svg viewBox=\"0 0 ") +
                                 view_box + " " + view_box +
                                 "\" width=\"750\" height=\"750\" version=\"1.1\" xmlns=\"http://www.w3.org/2000/svg\">\n\t\n";
        const std::string rectangle = fill == nullptr ? "" :
            std::string("\t<rect x=\"0.00%\" y=\"0.00%\" width=\"100.00%\" height=\"100.00%\" fill=\"") + fill +
            "\"/>\n\t\n";
        const std::string scale_box = std::string("\t<svg viewBox=\"0 0 750 750\" width=\"100.0%\" height=\"100.0%\" "
                                                  "stroke-width=\"") + stroke + "\">\n";
        std::set<std::string> expected = colours;
        if (fill != nullptr)
            expected.insert(fill);
        EXPECT_EQ(std::tuple(text.substr(0, head.size() + rectangle.size() + 3), count_of(text, "<rect"),
                             colors_in(text), text.find(scale_box) != std::string::npos),
                  std::tuple(head + rectangle + "\t<g", fill == nullptr ? 0u : 1u, expected, true));
    }
}

TEST_F(Screenshot, SmallSceneIsWrittenInTheOrderOfTheScreen)
{
    flat_left_point_only();
    state->draw_li_edge = state->draw_ri_edge = state->draw_r_vertex = true;
    std::tie(state->screenshot_svg_color_override, state->screenshot_svg_background) = std::tuple(0, 2);
    state->draw_all_exercise_verts = state->draw_callibration = true;
    state->animation_position = 1.5;
    std::vector<EmgDataPoint> data;
    for (int k = 0; k < 3; ++k)
        data.push_back({{0.5, 0.2 * k, 0}, {0, -0.5 + 0.2 * k, 0.5}, {-0.5, 0.2 * k, 0}, 0, 0, 0, 0, 0});
    jaw_motion::load(state.get(), data, {1});
    std::tie(state->report->calibration_left, state->report->calibration_incisal, state->report->calibration_right) =
        std::tuple(data[0].left, data[0].incisal, data[0].right);

    EXPECT_EQ(compose(100),
              "<?xml version=\"1.0\" standalone=\"no\"?>\n"
              "<svg viewBox=\"0 0 100 100\" width=\"100\" height=\"100\" version=\"1.1\" "
              "xmlns=\"http://www.w3.org/2000/svg\">\n\t\n"
              "\t<rect x=\"0.00%\" y=\"0.00%\" width=\"100.00%\" height=\"100.00%\" fill=\"#FFFFFF\"/>\n\t\n"
              // The connections of the current sample, then its points.
              "\t<g stroke=\"#FF40FF\">\n\t\t<line x1=\"75.00%\" y1=\"40.00%\" x2=\"50.00%\" y2=\"65.00%\"/>\n\t</g>\n\t\n"
              "\t<g stroke=\"#40FFFF\">\n\t\t<line x1=\"25.00%\" y1=\"40.00%\" x2=\"50.00%\" y2=\"65.00%\"/>\n\t</g>\n\t\n"
              "\t<g fill=\"#FF4040\">\n\t\t<circle cx=\"75.00%\" cy=\"40.00%\" r=\"2\"/>\n\t</g>\n\t\n"
              "\t<g fill=\"#40FF40\">\n\t\t<circle cx=\"25.00%\" cy=\"40.00%\" r=\"2\"/>\n\t</g>\n\t\n"
              // The whole paths in the scale box, switched at sample 1.
              "\t<svg viewBox=\"0 0 100 100\" width=\"100.0%\" height=\"100.0%\" stroke-width=\"1.00\">\n\t\t\n"
              "\t\t<g stroke=\"#FF4040\" fill=\"none\">\n"
              "\t\t\t<polyline points=\"75.00,50.00 \"/>\n"
              "\t\t\t<polyline stroke-dasharray=\"1%,1%\" points=\"75.00,40.00 75.00,30.00 \"/>\n"
              "\t\t</g>\n\t\t\n"
              "\t\t<g stroke=\"#40FF40\" fill=\"none\">\n"
              "\t\t\t<polyline points=\"25.00,50.00 \"/>\n"
              "\t\t\t<polyline stroke-dasharray=\"1%,1%\" points=\"25.00,40.00 25.00,30.00 \"/>\n"
              "\t\t</g>\n\t\t\n"
              "\t</svg>\n\t\n"
              // The calibration points.
              "\t<g fill=\"#FF4040\">\n\t\t<circle cx=\"75.00%\" cy=\"50.00%\" r=\"2\"/>\n\t</g>\n\t\n"
              "\t<g fill=\"#40FF40\">\n\t\t<circle cx=\"25.00%\" cy=\"50.00%\" r=\"2\"/>\n\t</g>\n\t\n"
              "</svg>\n");
}

// Amounts 0 make one lattice node and three grid lines of no length; the
// lattice of one along x turns with the jaw from its frame at sample 0.
TEST_F(Screenshot, LatticeOfTheLeftPointTurnsWithTheJaw)
{
    flat_left_point_only();
    state->draw_extrapolation_l = state->draw_spokes = true;
    // From sample 0 to 1 the jaw turns by 90 degrees about z around the left condyle at the origin.
    jaw_motion::load(state.get(), {{{0, 0, 0}, {0.5, -1, 0}, {1, 0, 0}, 0, 0, 0, 0, 0},
                                   {{0, 0, 0}, {1, 0.5, 0}, {0, 1, 0}, 0, 0, 0, 0, 0}},
                     {});
    state->animation_position = 1;
    const std::string line = "\t\t<line x1=\"50.00%\" y1=\"50.00%\" x2=\"50.00%\" y2=\"50.00%\"/>\n";
    const std::string node = "\t<g fill=\"#000000\">\n\t\t<circle cx=\"50.00%\" cy=\"50.00%\" r=\"2\"/>\n\t</g>\n\t\n";
    // Grid lines, the current point, the empty scale box, the lattice node.
    EXPECT_NE(compose().find("\t<g stroke=\"#000000\">\n" + line + line + line + "\t</g>\n\t\n" + node +
                             empty_scale_box + node + "</svg>\n"),
              std::string::npos);

    state->draw_spokes = false;
    state->extrapolation_x_amount = 1;
    state->extrapolation_distance = 0.25;
    gui_state = state.get();
    gui_build_extrapolated_and_projected_jaw_vertices();
    auto nodes = [](const char* a, const char* b, const char* c) {
        return std::string("\t<g fill=\"#000000\">\n\t\t<circle ") + a + " r=\"2\"/>\n\t\t<circle " + b +
               " r=\"2\"/>\n\t\t<circle " + c + " r=\"2\"/>\n\t</g>\n\t\n</svg>\n";
    };
    // Along x at sample 0: the world axis; at sample 1 along y (up is towards the top).
    state->animation_position = 0;
    EXPECT_NE(compose().find(nodes("cx=\"37.50%\" cy=\"50.00%\"", "cx=\"50.00%\" cy=\"50.00%\"",
                                   "cx=\"62.50%\" cy=\"50.00%\"")),
              std::string::npos);
    state->animation_position = 1;
    EXPECT_NE(compose().find(nodes("cx=\"50.00%\" cy=\"62.50%\"", "cx=\"50.00%\" cy=\"50.00%\"",
                                   "cx=\"50.00%\" cy=\"37.50%\"")),
              std::string::npos);
}

TEST_F(Screenshot, PathsLatticeNodesAndGridLines)
{
    state->extrapolation_x_amount = state->extrapolation_y_amount = 1;
    state->draw_extrapolation_l = true;
    load_motion();
    // Whole paths off: an empty scale box.
    std::string text = compose();
    EXPECT_TRUE(count_of(text, "<polyline") == 0 && text.find(empty_scale_box) != std::string::npos);
    // On: the 9 copies of the left path replace it, with the incisal and the
    // right path, each in two solid and two dashed pieces (three switches).
    state->draw_all_exercise_verts = true;
    EXPECT_EQ(counts(compose(), {"\t\t<g stroke=\"#000000\" fill=\"none\">", "<polyline", "stroke-dasharray"}),
              (Counts{11, 11 * 4, 11 * 2}));

    // Lattice nodes with or without grid lines: 3 + 3 + 9 lines through the
    // frame lattice, and as many through the calibration lattice when shown.
    state->draw_all_exercise_verts = state->draw_reference = state->draw_axis = false;
    state->draw_li_edge = state->draw_ri_edge = false;
    EXPECT_EQ(counts(compose(), {"<line", "<circle"}), (Counts{0, 3 + 9}));
    for (const auto& [spokes, calibration, lines, circles] :
         {std::tuple(true, false, 15u, 3u + 9u), {true, true, 30u, 3u + 9u + 9u + 1u + 1u}}) {
        std::tie(state->draw_spokes, state->draw_callibration) = std::tuple(spokes, calibration);
        EXPECT_EQ(counts(compose(), {"<line", "<circle"}), (Counts{lines, circles}));
    }
}

TEST_F(Screenshot, PositionIsTruncatedToItsSample)
{
    flat_left_point_only();
    // Sample k has its left point at x = k / 100.
    std::vector<EmgDataPoint> data;
    for (int k = 0; k < 30; ++k)
        data.push_back({{k / 100.0, 0, 0}, {0, -1, 0}, {1, 0, 0}, 0, 0, 0, 0, 0});
    jaw_motion::load(state.get(), data, {});
    const std::pair<double, int> cases[] = {{12.7, 12}, {12.0, 12}, {0.99, 0}, {29.999, 29}, {-3.5, 0},
                                            {-inf, 0},  {std::nan(""), 0},     {30.0, 29},  {1e12, 29}, {inf, 29}};
    for (const auto& [position, sample] : cases) {
        state->animation_position = position;
        char circle[80];
        std::snprintf(circle, sizeof circle, "\t\t<circle cx=\"%3.2lf%%\" cy=\"50.00%%\" r=\"2\"/>\n", 50 + sample / 2.0);
        const std::string text = compose();
        EXPECT_TRUE(count_of(text, "<circle") == 1 && text.find(circle) != std::string::npos) << position << text;
    }
}

TEST_F(Screenshot, WithoutACurrentSampleNothingOfTheSampleIsWritten)
{
    state->draw_all_exercise_verts = state->draw_extrapolation_l = state->draw_spokes = true;
    state->draw_reference = state->draw_axis = false;
    load_motion();
    const std::string full = compose();
    ASSERT_GT(count_of(full, "<line"), 0u);

    // The selected exercise out of range, an exercise without samples, no exercises: no current
    // points and connections; the grid lines, the lattice node and the paths from the path arrays stay.
    auto check = [&](const char* what) {
        EXPECT_EQ(counts(compose(), {"\t<g stroke=\"#000000\">\n\t\t<line", "<circle", "<polyline"}),
                  (Counts{1, 1, count_of(full, "<polyline")}))
            << what;
    };
    state->selected_exercise = 3;
    check("exercise 3 of 1");
    state->selected_exercise = -1;
    check("exercise -1");
    state->selected_exercise = 0;
    state->report->exercises[0].data.clear();
    check("no samples");
    std::tie(state->report->exercises, state->report->exercises_number) = std::tuple(std::vector<EmgExercise>{}, 0);
    check("no exercises");

    // Without path vertices there is no frame lattice either.
    std::tie(state->l_verts, state->verts_number) = std::tuple(std::vector<Vector3>{}, 0);
    EXPECT_EQ(counts(compose(), {"<circle", "<line"}), (Counts{0, 0}));
}

TEST_F(Screenshot, CountsAndAmountsThatDoNotFitTheArraysAreNotBelieved)
{
    state->draw_all_exercise_verts = state->draw_extrapolation_i = true;
    load_motion(20);
    std::tie(state->verts_number, state->extrapolations_number, state->extrapolated_verts_number,
             state->open_close_movements_number) = std::tuple(1000, 50, 1000, 100);
    state->r_verts.resize(10);
    EXPECT_EQ(counts(compose(), {"\t\t<g stroke=\"#000000\" fill=\"none\">", "nan"}), (Counts{3, 0}));

    // Amounts whose lattice has more nodes than can be counted, set after the copies were built:
    // no lattice node, no grid line, the points stay.
    state->draw_all_exercise_verts = state->draw_reference = state->draw_axis = state->draw_extrapolation_i = false;
    state->draw_extrapolation_l = state->draw_spokes = state->draw_callibration = true;
    load_motion(5);
    state->extrapolation_x_amount = state->extrapolation_y_amount = state->extrapolation_z_amount = INT32_MAX;
    EXPECT_EQ(counts(compose(), {"<circle", "<line"}), (Counts{5, 2}));

    // A perspective camera looking through the scene (points behind it and in its plane) writes
    // no number that is not one.
    std::tie(viewport.perspective, viewport.camera_z) = std::tuple(1, -0.5);
    EXPECT_EQ(counts(compose(), {"nan", "inf"}), (Counts{0, 0}));

    // Without a viewport only the frame is written.
    state->viewport = nullptr;
    state->screenshot_svg_background = 1;
    EXPECT_EQ(counts(compose(), {"<g", "<svg", "<rect"}), (Counts{0, 1, 1}));
}

// The number of pixels that differ between two SVG files rendered by
// librsvg at twice their size; -1 without rsvg-convert or ImageMagick.
long rendered_difference(const std::string& a, const std::string& b, int size)
{
    if (std::system("command -v rsvg-convert >/dev/null && command -v compare >/dev/null") != 0)
        return -1;
    zelto_test::write_file("a.svg", a);
    zelto_test::write_file("b.svg", b);
    const std::string render = "rsvg-convert -b white -w " + std::to_string(2 * size) + " -h " +
                               std::to_string(2 * size) + " ";
    if (std::system((render + "a.svg -o a.png && " + render + "b.svg -o b.png").c_str()) != 0)
        return -1;
    std::system("compare -metric AE a.png b.png null: 2> difference.txt");
    return std::stol("0" + read_file("difference.txt"));
}

// Preset 1's drawing of a long noisy recording, simplified: at most a quarter of
// the bytes, under one pixel in two hundred differs, orthographic and perspective.
TEST_F(Screenshot, SimplifiedPathsAreSmallAndLookTheSame)
{
    const TempWorkingDirectory directory;
    ReportGeneratorOptions options;  // opening and closing with measuring noise
    options.duration = 120;
    std::vector<EmgDataPoint> data;
    std::vector<std::int32_t> turns;  // every two seconds, as the motion turns
    for (std::int32_t k = 0; k < 12000; ++k) {
        const GeneratedSample g = report_generator_sample(options, 0, k);
        auto point = [](const GeneratedPoint& p) { return Vector3{p.x, p.y, p.z}; };
        data.push_back({point(g.left), point(g.incisal), point(g.right), 0, 0, 0, 0, 0});
        if (k > 0 && k % 200 == 0)
            turns.push_back(k);
    }
    jaw_motion::apply_preset_switches(state.get(), state->presets[1]);
    state->screenshot_svg_background = 2;
    std::tie(viewport.near, viewport.far, viewport.fov) = std::tuple(0.1, 1000.0, 90.0);
    jaw_motion::load(state.get(), data, turns);
    gui_state = state.get();
    gui_fit_display_to_verts();
    const double fitted = viewport.camera_z;
    for (const bool perspective : {false, true}) {
        viewport.perspective = perspective;
        viewport.camera_z = perspective ? 4 * fitted : fitted;  // the eye well in front of the paths
        SvgStringSink every_sample;
        screenshot_svg_write(every_sample, *state, 750, 0.0);
        const std::string simplified = compose();
        EXPECT_LE(4 * simplified.size(), every_sample.text().size()) << perspective;
        EXPECT_EQ(count_of(simplified, "<polyline"), count_of(every_sample.text(), "<polyline"));
        EXPECT_LT(rendered_difference(every_sample.text(), simplified, 750), 1500 * 1500 / 200) << perspective;
    }
}

TEST_F(Screenshot, FileHoldsTheDrawingUnderATimeName)
{
    std::tm local{};  // 1999-12-31 07:08:09, local time
    std::tie(local.tm_year, local.tm_mon, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, local.tm_isdst) =
        std::tuple(99, 11, 31, 7, 8, 9, -1);
    EXPECT_EQ(screenshot_file_name(std::mktime(&local), "bmp"), "screenshot_1999_12_31_07_08_09.bmp");

    const TempWorkingDirectory dir;
    gui_state = nullptr;
    screenshot_svg(750);
    EXPECT_TRUE(files_in(dir.path()).empty()) << "nothing without a GUI state";

    gui_state = state.get();
    load_motion();
    state->draw_all_exercise_verts = true;
    const std::time_t before = std::time(nullptr);
    screenshot_svg(750);
    const std::time_t after = std::time(nullptr);
    const std::vector<std::filesystem::path> files = files_in(dir.path());
    ASSERT_EQ(files.size(), 1u);
    const std::string name = files[0].filename().string();
    EXPECT_TRUE(name == screenshot_file_name(before, "svg") || name == screenshot_file_name(after, "svg")) << name;
    EXPECT_EQ(read_file(files[0]), compose());
}

}  // namespace
