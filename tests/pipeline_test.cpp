// The grid lattice and the jaw vertex pipeline: separation, grid copies that
// move with the jaw, projection through the camera, fitting.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "geometry/camera.hpp"
#include "geometry/lattice.hpp"
#include "gui/gui.hpp"
#include "tests/test_support.hpp"

namespace {

void expect_near(const Vector3& a, const Vector3& b, double tolerance = 1e-9)
{
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

TEST(Lattice, SizesIndicesAndEdges)
{
    EXPECT_EQ(lattice_node_count(0, 0, 0), 1);
    EXPECT_EQ(lattice_node_count(1, 1, 0), 9);
    EXPECT_EQ(lattice_node_count(2, 2, 2), 125);
    EXPECT_EQ(lattice_node_count(-1, 0, 0), -1);
    EXPECT_EQ(lattice_node_count(INT32_MAX, INT32_MAX, INT32_MAX), -1) << "overflow is refused, not wrapped";
    EXPECT_EQ(lattice_edge_count(0, 0, 0), 3);
    EXPECT_EQ(lattice_edge_count(1, 0, 0), 7);

    // The central copy of amounts (1, 1, 0) has index 4.
    EXPECT_EQ(lattice_node_index(0, 0, 0, 1, 1, 0), 4);
    for (std::int32_t k = 0; k < 125; ++k) {
        std::int32_t s, v, h;
        lattice_node_offsets(k, 2, 2, 2, &s, &v, &h);
        EXPECT_EQ(lattice_node_index(s, v, h, 2, 2, 2), k);
    }

    std::vector<std::int32_t> edges;
    lattice_edges(&edges, 1, 0, 0);
    EXPECT_EQ(edges, (std::vector<std::int32_t>{0, 0, 1, 1, 2, 2, 0, 0, 1, 1, 2, 2, 0, 2}));
    lattice_edges(&edges, 0, 0, 0);
    EXPECT_EQ(edges, (std::vector<std::int32_t>{0, 0, 0, 0, 0, 0}));
    lattice_edges(&edges, 1, 1, 1);
    EXPECT_EQ(edges.size(), 2u * 27);
}

TEST(Lattice, DirectionsFollowTheJawFromSampleZero)
{
    const Vector3 left{-50, 0, 0}, incisal{0, -40, 90}, right{50, 0, 0};
    const Matrix3 reference = lattice_jaw_basis(left, incisal, right);
    Vector3 d[3];
    lattice_directions(d, reference, reference);
    expect_near(d[0], {1, 0, 0});
    expect_near(d[1], {0, 1, 0});
    expect_near(d[2], {0, 0, 1});

    // The jaw turned by 30 degrees about the vertical axis: the x direction
    // turns with it, 10 mm steps stay 10 mm apart.
    const double a = 30.0 * std::numbers::pi / 180.0;
    auto turn = [a](const Vector3& p) {
        return Vector3{p.x * std::cos(a) + p.z * std::sin(a), p.y, -p.x * std::sin(a) + p.z * std::cos(a)};
    };
    const Matrix3 turned = lattice_jaw_basis(turn(left), turn(incisal), turn(right));
    lattice_directions(d, reference, turned);
    expect_near(d[0], turn({1, 0, 0}));
    expect_near(d[2], turn({0, 0, 1}));

    std::vector<Vector3> nodes;
    lattice_nodes(&nodes, turn(left), d, 10.0, 1, 0, 0);
    ASSERT_EQ(nodes.size(), 3u);
    EXPECT_NEAR(algebra_vector_vector_distance(&nodes[0], &nodes[1]), 10.0, 1e-9);
    EXPECT_NEAR(algebra_vector_vector_distance(&nodes[1], &nodes[2]), 10.0, 1e-9);
    expect_near(nodes[1], turn(left));
    Vector3 along;
    algebra_vector_vector_sub(&along, &nodes[2], &nodes[0]);
    expect_near(along, turn({20, 0, 0}));
}

// A GUI state with a report of one exercise, a real viewport, and nothing else.
class Pipeline : public ::testing::Test {
protected:
    void SetUp() override
    {
        window_ = std::make_unique<zelto_test::OffscreenWindow>();
        state_ = gui_state_create();
        gui_state = state_.get();
        gui_state_set_to_default_settings(gui_state);
        gui_state->window_width = 1100;
        gui_state->window_height = 750;
        viewport_ = interactable_viewport3d_create(0, 0, 750, 750, &c_white, &c_black, nullptr, GUI_NEAR_PLANE,
                                                   1000.0, 90.0);
        gui_state->viewport = viewport_.get();
    }
    void TearDown() override
    {
        gui_state = nullptr;
        state_.reset();
        viewport_.reset();
        window_.reset();
    }

    // `samples` frames of a jaw that glides forward by `glide` mm per sample
    // and opens by `degrees` per sample about the intercondylar axis.
    void load_motion(int samples, double glide, double degrees)
    {
        auto report = std::make_unique<EmgReport>();
        report->frequency = 100;
        report->calibration_left = {-50, 0, 0};
        report->calibration_incisal = {0, -40, 90};
        report->calibration_right = {50, 0, 0};
        EmgExercise e;
        e.name = "motion";
        for (int t = 0; t < samples; ++t) {
            const double a = degrees * t * std::numbers::pi / 180.0;
            const Vector3 incisal{0, -40 * std::cos(a) - 90 * std::sin(a), 90 * std::cos(a) - 40 * std::sin(a)};
            EmgDataPoint p{};
            p.left = {-50, 0, glide * t};
            p.right = {50, 0, glide * t};
            p.incisal = {incisal.x, incisal.y, incisal.z + glide * t};
            e.data.push_back(p);
        }
        e.data_length = samples;
        report->exercises.push_back(std::move(e));
        report->exercises_number = 1;
        gui_state->report = std::move(report);
        gui_build_seperate_jaw_vertices();
    }

    std::unique_ptr<zelto_test::OffscreenWindow> window_;
    std::unique_ptr<GuiState> state_;
    std::unique_ptr<InteractableViewport3d> viewport_;
};

TEST_F(Pipeline, NothingWithoutAReportOrExercises)
{
    gui_build_seperate_jaw_vertices();
    gui_build_extrapolated_and_projected_jaw_vertices();
    EXPECT_EQ(gui_state->verts_number, 0);
    EXPECT_TRUE(gui_state->l_projected_verts.empty());

    gui_state->report = std::make_unique<EmgReport>();
    gui_build_seperate_jaw_vertices();
    gui_build_extrapolated_and_projected_jaw_vertices();
    EXPECT_EQ(gui_state->extrapolations_number, 0);

    load_motion(3, 0, 0);
    gui_state->selected_exercise = 4;  // out of range: nothing is indexed
    gui_build_extrapolated_and_projected_jaw_vertices();
    EXPECT_EQ(gui_state->extrapolations_number, 0);
}

TEST_F(Pipeline, SeparationAndTheSingleCopyOfAmountsZero)
{
    load_motion(5, 1.0, 2.0);
    ASSERT_EQ(gui_state->verts_number, 5);
    const EmgExercise& e = gui_state->report->exercises[0];
    for (int t = 0; t < 5; ++t) {
        expect_near(gui_state->l_verts[t], e.data[t].left, 0);
        expect_near(gui_state->i_verts[t], e.data[t].incisal, 0);
        expect_near(gui_state->r_verts[t], e.data[t].right, 0);
    }
    gui_build_extrapolated_and_projected_jaw_vertices();
    ASSERT_EQ(gui_state->extrapolations_number, 1);
    ASSERT_EQ(gui_state->extrapolated_verts_number, 5);
    for (int t = 0; t < 5; ++t)
        expect_near(gui_state->i_extrapolated_verts[0][t], gui_state->i_verts[t], 0);
    const Matrix4 m = camera_model_view_matrix(interactable_viewport3d_camera_view(viewport_.get()));
    for (int t = 0; t < 5; ++t) {
        Vector3 expected;
        ASSERT_TRUE(camera_project(&expected, m, gui_state->r_verts[t]));
        expect_near(gui_state->r_projected_verts[t], expected, 0);
        expect_near(gui_state->r_projected_extrapolated_verts[0][t], expected, 0);
    }
}

TEST_F(Pipeline, GridCopiesStartAlongTheWorldAxesAndTurnWithTheJaw)
{
    load_motion(10, 0.5, 3.0);
    gui_state->extrapolation_x_amount = 1;
    gui_state->extrapolation_y_amount = 1;
    gui_state->extrapolation_z_amount = 0;
    gui_state->extrapolation_distance = 10.0;
    gui_build_extrapolated_and_projected_jaw_vertices();
    ASSERT_EQ(gui_state->extrapolations_number, 9);
    const auto& copies = gui_state->l_extrapolated_verts;

    // The central copy (index 4) is the path.
    for (int t = 0; t < 10; ++t)
        expect_near(copies[4][t], gui_state->l_verts[t], 1e-12);
    // At sample 0 the offsets lie along the world axes.
    const Vector3 l0 = gui_state->l_verts[0];
    expect_near(copies[lattice_node_index(-1, 0, 0, 1, 1, 0)][0], {l0.x - 10, l0.y, l0.z});
    expect_near(copies[lattice_node_index(1, 1, 0, 1, 1, 0)][0], {l0.x + 10, l0.y + 10, l0.z});
    // Later the copies keep their distance from the path, but turn.
    const Vector3 up = copies[lattice_node_index(0, 1, 0, 1, 1, 0)][9];
    EXPECT_NEAR(algebra_vector_vector_distance(&up, &gui_state->l_verts[9]), 10.0, 1e-9);
    EXPECT_GT(std::fabs(up.z - gui_state->l_verts[9].z), 1.0) << "the vertical offset turned with the opening";
    // Projections cover every copy and every sample.
    ASSERT_EQ(gui_state->l_projected_extrapolated_verts.size(), 9u);
    for (const auto& p : gui_state->l_projected_extrapolated_verts)
        EXPECT_EQ(p.size(), 10u);
}

TEST_F(Pipeline, PureTranslationGivesTranslatedCopies)
{
    load_motion(6, 2.0, 0.0);
    gui_state->extrapolation_x_amount = 1;
    gui_state->extrapolation_y_amount = 0;
    gui_state->extrapolation_z_amount = 1;
    gui_build_extrapolated_and_projected_jaw_vertices();
    for (const auto& copy : gui_state->r_extrapolated_verts)
        for (int t = 1; t < 6; ++t) {
            Vector3 step;
            algebra_vector_vector_sub(&step, &copy[t], &copy[t - 1]);
            expect_near(step, {0, 0, 2.0});
        }
}

TEST_F(Pipeline, ProjectOnlyKeepsTheCopiesAndFollowsTheCamera)
{
    load_motion(4, 1.0, 1.0);
    gui_state->extrapolation_y_amount = 1;
    gui_build_extrapolated_and_projected_jaw_vertices();
    const Vector3 before = gui_state->i_projected_verts[2];
    viewport_->camera_x += 0.25;
    gui_build_projected_jaw_vertices();
    EXPECT_NE(gui_state->i_projected_verts[2].x, before.x);
    EXPECT_EQ(gui_state->i_projected_verts[2].y, before.y);

    // Projecting after the amounts changed without a rebuild rebuilds
    // rather than reading copies of the wrong shape.
    gui_state->extrapolation_x_amount = 2;
    gui_build_projected_jaw_vertices();
    EXPECT_EQ(gui_state->extrapolations_number, 15);
    EXPECT_EQ(gui_state->i_projected_extrapolated_verts.size(), 15u);
}

TEST_F(Pipeline, FitCentresAndZoomsOnWhatIsShown)
{
    // With no report the fit covers the cube and the axes: the axes reach
    // 5 units, the default camera looks along z, so x and y span 10 units.
    gui_fit_display_to_verts();
    EXPECT_NEAR(viewport_->camera_x, 0.0, 1e-12);
    EXPECT_NEAR(viewport_->camera_y, 0.0, 1e-12);
    EXPECT_NEAR(viewport_->camera_z, -5.0 * 1.0 / GUI_FIT_MARGIN * 1.0, 1e-9)
        << "extent 10 units of a view 10 units wide: zoom out to 80 %";

    // One fit more changes the camera only by rounding.
    const double z = viewport_->camera_z;
    gui_fit_display_to_verts();
    EXPECT_NEAR(viewport_->camera_z, z, 1e-9);

    // An off-centre path: after the fit its extent is centred.
    gui_state->draw_reference = false;
    gui_state->draw_axis = false;
    load_motion(20, 1.0, 1.0);
    gui_build_extrapolated_and_projected_jaw_vertices();
    gui_fit_display_to_verts();
    double bounds[4] = {INFINITY, INFINITY, -INFINITY, -INFINITY};
    for (const auto* path : {&gui_state->l_verts, &gui_state->i_verts, &gui_state->r_verts})
        gui_get_projected_min_max(&bounds[0], &bounds[1], &bounds[2], &bounds[3], path->data(),
                                  static_cast<int>(path->size()), viewport_.get());
    EXPECT_NEAR((bounds[0] + bounds[2]) / 2, 0.5, 1e-9);
    EXPECT_NEAR((bounds[1] + bounds[3]) / 2, 0.5, 1e-9);
    EXPECT_NEAR(std::max(bounds[2] - bounds[0], bounds[3] - bounds[1]), 0.8, 1e-6);
}

TEST_F(Pipeline, FitRefusesPerspectiveAndIgnoresAnEmptyScene)
{
    viewport_->perspective = 1;
    const std::string out = zelto_test::capture_stdout([] { gui_fit_display_to_verts(); });
    EXPECT_EQ(out, "Vertex centering only works for orthogonal projection.\n");
    EXPECT_EQ(viewport_->camera_z, -5.0);

    viewport_->perspective = 0;
    gui_state->draw_reference = gui_state->draw_axis = false;
    gui_state->draw_l_vertex = gui_state->draw_i_vertex = gui_state->draw_r_vertex = false;
    gui_fit_display_to_verts();
    EXPECT_EQ(viewport_->camera_x, 0.0);
    EXPECT_EQ(viewport_->camera_z, -5.0);
}

TEST_F(Pipeline, GridsTooLargeAreRefused)
{
    load_motion(1000, 0.1, 0.1);
    EXPECT_TRUE(gui_extrapolation_amounts_fit(2, 2, 2));
    std::string out = zelto_test::capture_stdout([] { EXPECT_FALSE(gui_extrapolation_amounts_fit(60, 60, 60)); });
    EXPECT_EQ(out.rfind("WARNING: Grid amounts 60, 60, 60 are too large", 0), 0u) << out;
    out = zelto_test::capture_stdout([] { EXPECT_FALSE(gui_extrapolation_amounts_fit(INT32_MAX, 1, 1)); });
    EXPECT_FALSE(out.empty());

    // Amounts that do not fit the exercise fall back to no grid when built.
    gui_state->extrapolation_x_amount = 100;
    gui_state->extrapolation_y_amount = 100;
    gui_state->extrapolation_z_amount = 100;
    out = zelto_test::capture_stdout([] { gui_build_extrapolated_and_projected_jaw_vertices(); });
    EXPECT_NE(out.find("Using no grid (amounts 0, 0, 0) instead.\n"), std::string::npos);
    EXPECT_EQ(gui_state->extrapolations_number, 1);
    EXPECT_EQ(gui_state->extrapolation_x_amount, 0);
}

}  // namespace
