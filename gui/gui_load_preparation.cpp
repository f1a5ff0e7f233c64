#include "gui/gui_load_preparation.hpp"

#include <algorithm>
#include <utility>

#include "gui/gui.hpp"
#include "gui/gui_report_access.hpp"

namespace {

// The longest chain of fits worked out: a load's widgets and its last fit
// ask for fewer, each from where the one before left the camera.
constexpr int most_fits = 16;

bool same_view(const CameraView& a, const CameraView& b)
{
    return a.camera_x == b.camera_x && a.camera_y == b.camera_y && a.camera_z == b.camera_z && a.pitch == b.pitch
        && a.yaw == b.yaw && a.roll == b.roll && a.near == b.near && a.far == b.far && a.fov == b.fov
        && a.aspect == b.aspect && a.perspective == b.perspective;
}

// The worker's own state record: the report lent to it for the time.
class LentState {
public:
    explicit LentState(std::unique_ptr<EmgReport>* report) : owner_(report) { state.report = std::move(*report); }
    ~LentState() { *owner_ = std::move(state.report); }
    LentState(const LentState&) = delete;
    LentState& operator=(const LentState&) = delete;

    GuiState state;

private:
    std::unique_ptr<EmgReport>* owner_;
};

// The levels of detail of the whole paths, as the scene builds them in its
// first frame with camera `view`: for every shown path, its copies or the
// path itself, the box, then the level the camera needs.
bool prepare_levels(GuiPreparedFrame* levels, const GuiState* s, const CameraView& view, double side,
                    const std::atomic<bool>& cancel, std::atomic<int>* permille)
{
    levels->samples = s->verts_number;
    levels->copy_count = gui_extrapolated_copy_count(s);
    levels->switches = s->open_close_movements;
    levels->drawn_pairs = path_simplification_drawn_pairs(levels->samples, levels->switches.data(),
                                                          static_cast<std::int32_t>(levels->switches.size()));
    for (auto& copies : levels->copies)
        copies.assign(static_cast<std::size_t>(std::max(levels->copy_count, 0)), PathLevels{});
    const Matrix4 camera = camera_model_view_matrix(view);
    const bool shown[3] = {s->draw_l_vertex, s->draw_i_vertex, s->draw_r_vertex};
    const bool extrapolated[3] = {s->draw_extrapolation_l, s->draw_extrapolation_i, s->draw_extrapolation_r};
    const std::int32_t count = levels->samples;
    auto build = [&](PathLevels* path, auto&& samples) {
        const double scale = path_simplification_pixels_per_mm(camera, path->box(count, samples), side);
        path->get(path_simplification_level(scale, GUI_PATH_CELL_PIXELS), count, levels->drawn_pairs, samples);
    };
    std::vector<Vector3> copy;
    for (int p = 0; p < 3; ++p) {
        if (!shown[p])
            continue;
        if (!extrapolated[p]) {
            const std::vector<Vector3>& path = gui_path(s, p);
            build(&levels->plain[p], [&path]() -> const std::vector<Vector3>& { return path; });
            continue;
        }
        for (std::size_t k = 0; k < levels->copies[p].size(); ++k) {
            if (cancel.load())
                return false;
            bool fetched = false;
            build(&levels->copies[p][k], [&]() -> const std::vector<Vector3>& {
                if (!fetched)
                    gui_extrapolated_path(s, p, static_cast<std::int32_t>(k), &copy);
                fetched = true;
                return copy;
            });
            permille->store(400 + static_cast<int>(400 * (k + 1) / levels->copies[p].size()));
        }
    }
    return true;
}

bool preparation_fits(const GuiState* state)
{
    const GuiLoadPreparation* p = state->prepared.get();
    return p != nullptr && p->report_loads == state->report_loads && state->selected_exercise == 0
        && gui_exercise_sample_count(gui_selected_exercise(state)) == p->samples && p->samples > 0;
}

}  // namespace

GuiFitKey gui_fit_key(const GuiState* s)
{
    GuiFitKey key;
    key.reference = s->draw_reference;
    key.axis = s->draw_axis;
    key.shown[0] = s->draw_l_vertex;
    key.shown[1] = s->draw_i_vertex;
    key.shown[2] = s->draw_r_vertex;
    key.extrapolated[0] = s->draw_extrapolation_l;
    key.extrapolated[1] = s->draw_extrapolation_i;
    key.extrapolated[2] = s->draw_extrapolation_r;
    std::copy(std::begin(s->extrapolated_amounts), std::end(s->extrapolated_amounts), key.amounts);
    key.distance = s->extrapolated_distance;
    key.copies = s->extrapolations_number;
    key.samples = s->verts_number;
    key.copy_samples = s->extrapolated_verts_number;
    return key;
}

bool gui_load_prepare(GuiLoadPreparation* out, std::unique_ptr<EmgReport>* report, const GuiLoadSetup& setup,
                      const std::atomic<bool>& cancel, std::atomic<int>* permille)
{
    if (!setup.prepare || gui_report_exercise_count(report->get()) == 0)
        return true;
    LentState lent(report);
    GuiState* s = &lent.state;
    s->selected_exercise = 0;
    s->extrapolation_memory_limit = setup.memory_limit;

    // The paths, their movements and lattice directions, as the exercise's
    // selection builds them.
    gui_separate_paths(s);
    emg_analyze_open_close_movements(&s->open_close_movements, &s->open_close_movements_number,
                                     gui_selected_exercise(s));
    const GuiPreset& preset = setup.preset;
    // A grid too large for this exercise leaves the amounts in force, which
    // only the main thread knows: then nothing that depends on it is made.
    const bool grid = gui_extrapolation_amounts_within_limit(std::max(preset.extrapolation_x_amount, 0),
                                                             std::max(preset.extrapolation_y_amount, 0),
                                                             std::max(preset.extrapolation_z_amount, 0), s);
    if (grid)
        gui_deserialize(s, &preset);
    if (cancel.load())
        return false;
    gui_extrapolate_paths(s);
    permille->store(200);
    if (cancel.load())
        return false;

    // The fits the preset's widgets ask for (with automatic fitting on),
    // each from where the one before left the camera, until one changes
    // nothing.
    CameraView view = setup.view;
    gui_preset_camera(&preset, &view);
    out->fit_key = gui_fit_key(s);
    if (grid && !view.perspective && s->auto_display_fitting) {
        out->has_fits = true;
        for (int n = 0; n < most_fits; ++n) {
            out->fits.push_back(gui_fit_view(s, view));
            const CameraView next = out->fits.back().to;
            if (same_view(next, view))
                break;
            view = next;
            if (cancel.load())
                return false;
        }
    }
    permille->store(400);
    if (grid && s->draw_all_exercise_verts) {
        out->levels = std::make_unique<GuiPreparedFrame>();
        if (!prepare_levels(out->levels.get(), s, view, setup.side, cancel, permille))
            return false;
        if (setup.extra)
            out->levels->extra = setup.extra(s);
        if (cancel.load())
            return false;
    }

    out->samples = s->verts_number;
    out->paths[0] = std::move(s->l_verts);
    out->paths[1] = std::move(s->i_verts);
    out->paths[2] = std::move(s->r_verts);
    out->directions = std::move(s->lattice_directions);
    out->movements = std::move(s->open_close_movements);
    out->movements_number = s->open_close_movements_number;
    permille->store(1000);
    return true;
}

bool gui_load_preparation_take_paths(GuiState* state)
{
    if (!preparation_fits(state) || state->prepared->paths_taken)
        return false;
    GuiLoadPreparation* p = state->prepared.get();
    ++state->paths_generation;
    state->l_verts = std::move(p->paths[0]);
    state->i_verts = std::move(p->paths[1]);
    state->r_verts = std::move(p->paths[2]);
    state->verts_number = p->samples;
    p->paths_taken = true;
    return true;
}

bool gui_load_preparation_take_directions(GuiState* state, std::int32_t samples)
{
    if (!preparation_fits(state) || !state->prepared->paths_taken || samples != state->prepared->samples)
        return false;
    GuiLoadPreparation* p = state->prepared.get();
    // The directions depend on the paths alone: once taken, those in the
    // state are still the ones a rebuild would compute.
    if (!p->directions_taken) {
        state->lattice_directions = std::move(p->directions);
        p->directions_taken = true;
    }
    return state->lattice_directions.size() == static_cast<std::size_t>(samples);
}

bool gui_load_preparation_take_movements(GuiState* state)
{
    if (!preparation_fits(state))
        return false;
    state->open_close_movements = state->prepared->movements;
    state->open_close_movements_number = state->prepared->movements_number;
    return true;
}

const GuiFitOutcome* gui_load_preparation_fit(const GuiState* state, const CameraView& view)
{
    if (!preparation_fits(state))
        return nullptr;
    const GuiLoadPreparation* p = state->prepared.get();
    if (!p->has_fits || !p->paths_taken || !p->directions_taken || state->report == nullptr
        || !(gui_fit_key(state) == p->fit_key))
        return nullptr;
    for (const GuiFitOutcome& fit : p->fits)
        if (same_view(fit.from, view))
            return &fit;
    return nullptr;
}

void gui_load_preparation_finish(GuiState* state)
{
    state->prepared_frame.reset();
    if (preparation_fits(state) && state->prepared->levels != nullptr && state->prepared->paths_taken
        && state->prepared->directions_taken) {
        std::unique_ptr<GuiPreparedFrame> levels = std::move(state->prepared->levels);
        const GuiFitKey key = gui_fit_key(state);
        // Copies made for other amounts or spacing would not be these.
        if (key == state->prepared->fit_key && levels->samples == state->verts_number
            && levels->copy_count == gui_extrapolated_copy_count(state)
            && levels->switches == state->open_close_movements) {
            levels->paths_generation = state->paths_generation;
            state->prepared_frame = std::move(levels);
        }
    }
    state->prepared.reset();
}
