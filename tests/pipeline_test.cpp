// The jaw vertex pipeline: separation, grid copies that move with the jaw, projection through the camera, fitting.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <tuple>

#include "geometry/camera.hpp"
#include "geometry/lattice.hpp"
#include "gui/gui.hpp"
#include "tests/test_support.hpp"

namespace {

using zelto_test::expect_near;

// A GUI state with the default settings, the start camera (a viewport record without a texture) and, once loaded, a
// report of one exercise.
class Pipeline : public ::testing::Test {
protected:
    void SetUp() override
    {
        state_ = gui_state_create();
        gui_state = state_.get();
        gui_state_set_to_default_settings(gui_state);
        zelto_test::flat_viewport(&viewport_);
        std::tie(viewport_.camera_z, viewport_.yaw, viewport_.near) = std::tuple(-5.0, 180.0, GUI_NEAR_PLANE);
        gui_state->viewport = &viewport_;
    }
    void TearDown() override { gui_state = nullptr; }

    // `samples` frames of a jaw that glides forward by `glide` mm per sample and opens by `degrees` per sample about
    // the intercondylar axis.
    void load_motion(int samples, double glide, double degrees)
    {
        auto report = std::make_unique<EmgReport>();
        std::tie(report->calibration_left, report->calibration_incisal, report->calibration_right) =
            std::tuple(Vector3{-50, 0, 0}, Vector3{0, -40, 90}, Vector3{50, 0, 0});
        EmgExercise& e = report->exercises.emplace_back();
        for (int t = 0; t < samples; ++t) {
            const double a = degrees * t * std::numbers::pi / 180.0, z = glide * t;
            const Vector3 incisal{0, -40 * std::cos(a) - 90 * std::sin(a), 90 * std::cos(a) - 40 * std::sin(a) + z};
            e.data.push_back({{-50, 0, z}, incisal, {50, 0, z}, 0, 0, 0, 0, 0});
        }
        report->exercises_number = 1;
        gui_state->report = std::move(report);
        gui_build_seperate_jaw_vertices();
    }

    std::unique_ptr<GuiState> state_;
    InteractableViewport3d viewport_;
};

// Without a report or a valid selection nothing is built (a report without exercises is the report loading tests');
// the single copy of a loaded exercise is its paths, projected through the camera.
TEST_F(Pipeline, SeparationAndProjectionOfTheSingleCopy)
{
    gui_build_seperate_jaw_vertices();
    gui_build_extrapolated_and_projected_jaw_vertices();
    EXPECT_TRUE(gui_state->verts_number == 0 && gui_state->lattice_directions.empty());
    load_motion(3, 0, 0);
    gui_state->selected_exercise = 4;  // out of range: nothing is indexed
    gui_build_extrapolated_and_projected_jaw_vertices();
    EXPECT_EQ(gui_state->extrapolations_number, 0);

    gui_state->selected_exercise = 0;
    load_motion(5, 1.0, 2.0);
    ASSERT_EQ(gui_state->verts_number, 5);
    const EmgExercise& e = gui_state->report->exercises[0];
    gui_build_extrapolated_and_projected_jaw_vertices();
    ASSERT_EQ(std::pair(gui_state->extrapolations_number, gui_state->extrapolated_verts_number), std::pair(1, 5));
    const Matrix4 m = camera_model_view_matrix(interactable_viewport3d_camera_view(&viewport_));
    for (int t = 0; t < 5; ++t) {
        expect_near(gui_state->l_verts[t], e.data[t].left, 0);
        expect_near(gui_state->i_verts[t], e.data[t].incisal, 0);
        expect_near(gui_state->r_verts[t], e.data[t].right, 0);
        expect_near(gui_extrapolated_vertex(gui_state, GUI_KIND_INCISAL, 0, t), gui_state->i_verts[t], 0);
        Vector3 expected;
        ASSERT_TRUE(camera_project(&expected, m, gui_state->r_verts[t]));
        expect_near(gui_projected_vertex(gui_state, GUI_KIND_RIGHT, -1, t), expected, 0);
        expect_near(gui_projected_vertex(gui_state, GUI_KIND_RIGHT, 0, t), expected, 0);
    }
}

TEST_F(Pipeline, GridCopiesStartAlongTheWorldAxesAndTurnWithTheJaw)
{
    load_motion(10, 0.5, 3.0);
    gui_state->extrapolation_x_amount = gui_state->extrapolation_y_amount = 1;
    gui_state->extrapolation_distance = 10.0;
    gui_build_extrapolated_and_projected_jaw_vertices();
    ASSERT_EQ(gui_state->extrapolations_number, 9);
    std::vector<std::vector<Vector3>> copies(9);
    for (int k = 0; k < 9; ++k)
        gui_extrapolated_path(gui_state, GUI_KIND_LEFT, k, &copies[static_cast<std::size_t>(k)]);
    for (const auto& copy : copies)
        ASSERT_EQ(copy.size(), 10u);
    for (int t = 0; t < 10; ++t)
        expect_near(copies[4][t], gui_state->l_verts[t], 1e-12);  // the central copy is the path
    // At sample 0 the offsets lie along the world axes.
    const Vector3 l0 = gui_state->l_verts[0];
    expect_near(copies[lattice_node_index(-1, 0, 0, 1, 1, 0)][0], {l0.x - 10, l0.y, l0.z});
    expect_near(copies[lattice_node_index(1, 1, 0, 1, 1, 0)][0], {l0.x + 10, l0.y + 10, l0.z});
    // Later the copies keep their distance from the path, but turn.
    const Vector3 up = copies[lattice_node_index(0, 1, 0, 1, 1, 0)][9];
    EXPECT_NEAR(algebra_vector_vector_distance(&up, &gui_state->l_verts[9]), 10.0, 1e-9);
    EXPECT_GT(std::fabs(up.z - gui_state->l_verts[9].z), 1.0) << "the vertical offset turned with the opening";

    // Projecting only follows the camera; after the amounts changed without a rebuild it rebuilds rather than read
    // copies of the wrong shape.
    const Vector3 before = gui_projected_vertex(gui_state, GUI_KIND_INCISAL, -1, 2);
    viewport_.camera_x += 0.25;
    gui_build_projected_jaw_vertices();
    const Vector3 after = gui_projected_vertex(gui_state, GUI_KIND_INCISAL, -1, 2);
    EXPECT_TRUE(after.x != before.x && after.y == before.y);
    gui_state->extrapolation_x_amount = 2;
    gui_build_projected_jaw_vertices();
    EXPECT_EQ(gui_state->extrapolations_number, 15);
    EXPECT_TRUE(std::isfinite(gui_projected_vertex(gui_state, GUI_KIND_INCISAL, 14, 9).x));

    // A sample with a missing point leaves a gap in the copies, not in the path of its other points; the first whole
    // sample is the reference the offsets start from.
    load_motion(10, 0.5, 3.0);
    std::tie(gui_state->report->exercises[0].data[0].incisal.x, gui_state->report->exercises[0].data[5].right.y) =
        std::tuple(NAN, INFINITY);
    gui_build_seperate_jaw_vertices();
    gui_build_extrapolated_and_projected_jaw_vertices();
    std::vector<Vector3> left;
    gui_extrapolated_path(gui_state, GUI_KIND_LEFT, lattice_node_index(0, -1, 0, 2, 1, 0), &left);
    const Vector3 l1 = gui_state->l_verts[1];
    expect_near(left[1], {l1.x, l1.y - 10, l1.z});
    EXPECT_TRUE(std::isnan(left[0].x) && std::isnan(left[5].x) && std::isfinite(left[6].x));
    expect_near(gui_extrapolated_vertex(gui_state, GUI_KIND_LEFT, lattice_node_index(0, 0, 0, 2, 1, 0), 0),
                gui_state->l_verts[0], 0);
}

TEST_F(Pipeline, FitCentresAndZoomsOnWhatIsShown)
{
    // An off-centre path: after the fit its extent is centred and fills 80 %.
    gui_state->draw_reference = gui_state->draw_axis = false;
    load_motion(20, 1.0, 1.0);
    gui_build_extrapolated_and_projected_jaw_vertices();
    gui_fit_display_to_verts();
    double bounds[4] = {INFINITY, INFINITY, -INFINITY, -INFINITY};
    for (const auto* path : {&gui_state->l_verts, &gui_state->i_verts, &gui_state->r_verts})
        gui_get_projected_min_max(&bounds[0], &bounds[1], &bounds[2], &bounds[3], path->data(),
                                  static_cast<int>(path->size()), &viewport_);
    expect_near({(bounds[0] + bounds[2]) / 2, (bounds[1] + bounds[3]) / 2,
                 std::max(bounds[2] - bounds[0], bounds[3] - bounds[1])},
                {0.5, 0.5, GUI_FIT_MARGIN}, 1e-6);

    // Nothing shown, or a perspective camera: the camera stays.
    const double zoom = viewport_.camera_z;
    gui_state->draw_l_vertex = gui_state->draw_i_vertex = gui_state->draw_r_vertex = false;
    viewport_.camera_x = 0.5;
    gui_fit_display_to_verts();
    EXPECT_EQ(viewport_.camera_x, 0.5);
    std::tie(gui_state->draw_axis, viewport_.perspective) = std::tuple(true, 1);
    zelto_test::capture_stdout([] { gui_fit_display_to_verts(); });
    EXPECT_EQ(viewport_.camera_z, zoom);
}

// The limit follows the machine: half of its memory. Amounts that do not fit the exercise fall back to no grid when
// built (typed and preset amounts are refused by the callback and preset tests).
TEST_F(Pipeline, GridsTooLargeAreRefused)
{
    EXPECT_EQ(gui_state->extrapolation_memory_limit >> 20, SDL_GetSystemRAM() / 2);
    gui_state->extrapolation_memory_limit = std::int64_t{1} << 30;
    load_motion(1000, 0.1, 0.1);
    gui_state->extrapolation_x_amount = gui_state->extrapolation_y_amount = gui_state->extrapolation_z_amount = 100;
    EXPECT_EQ(zelto_test::capture_stdout([] { gui_build_extrapolated_and_projected_jaw_vertices(); }),
              "WARNING: Grid amounts 100, 100, 100 are too large: the grid would need 1116310 MiB, more than 1024 MiB.\n"
              "Using no grid (amounts 0, 0, 0) instead.\n");
    EXPECT_EQ(std::make_pair(gui_state->extrapolations_number, gui_state->extrapolation_x_amount), std::make_pair(1, 0));
}

}  // namespace
