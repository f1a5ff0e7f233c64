// The tracing sheet of the "Measures" page: when it shows in place of the 3D
// view, which sheet it shows, where its marks stand, and its SVG file. The
// sheet itself comes from the picture code (picture/tracing_picture), the
// file from the SVG code (svg/svg_picture).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <string>

#include "platform/file_writer.hpp"
#include "platform/screenshot_name.hpp"
#include "gui/gui_messages.hpp"
#include "gui/gui.hpp"
#include "gui/gui_baseline.hpp"
#include "gui/gui_report_access.hpp"
#include "picture/comparison_picture.hpp"
#include "svg/svg_picture.hpp"
#include "svg/svg_writer.hpp"

namespace {

// The sample the playback shows, as the slider counts it; -1 without one.
std::int32_t current_sample(const GuiState* state)
{
    const std::int32_t n = gui_exercise_sample_count(gui_selected_exercise(state));
    if (n == 0)
        return -1;
    double position = std::trunc(state->animation_position);
    if (!(position >= 0.0))
        position = 0.0;
    return static_cast<std::int32_t>(std::min(position, static_cast<double>(n - 1)));
}

bool same_plane(const EmgReferencePlane& a, const EmgReferencePlane& b)
{
    return a.kind == b.kind && a.tilt_deg == b.tilt_deg;
}

// The comparison in the sheet's place: built again when the report, the
// exercises, the plane or the size changed.
void show_comparison(GuiState* state, InteractableTracing* tracing, int side)
{
    std::uint64_t key = state->report_loads * 0x9E3779B97F4A7C15u;
    for (const std::uint64_t part :
         {static_cast<std::uint64_t>(state->selected_exercise), static_cast<std::uint64_t>(state->baseline_exercise),
          static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(state->baseline.get())),
          static_cast<std::uint64_t>(side), static_cast<std::uint64_t>(state->reference_plane.kind),
          static_cast<std::uint64_t>(std::llround(state->reference_plane.tilt_deg * 1000.0))})
        key = (key ^ part) * 0x100000001B3u;
    key |= 1;  // never 0, which means "not shown"
    if (key == state->compare_shown_key)
        return;
    state->compare_shown_key = key;
    ComparisonSheetInput input;
    input.report = state->report.get();
    input.report_name = state->report_file_name;
    input.exercise = gui_selected_exercise(state) != nullptr ? state->selected_exercise : -1;
    input.baseline = state->baseline.get();
    input.baseline_name = state->baseline_file_name;
    input.baseline_exercise = state->baseline_exercise;
    input.plane = state->reference_plane;
    TracingSheet sheet;
    sheet.picture = comparison_picture_build(input, side, side);
    sheet.marks_from = sheet.picture.items.size();
    interactable_tracing_set_sheet(tracing, std::move(sheet), state->report.get());
}

}  // namespace

void gui_show_tracings()
{
    GuiState* state = gui_state;
    InteractableTracing* tracing = state->tracing_sheet;
    if (tracing == nullptr || state->viewport == nullptr)
        return;
    // The switch shows only with its page: leaving the page brings the 3D
    // view back, returning to it brings the sheet back.
    const bool compare = gui_compare_shown(state);
    const bool shown = compare || (state->tracings_toggle != nullptr && state->tracings_toggle->active != 0
                                   && state->tracings_toggle->pressed == 1);
    if (!shown) {
        interactable_deactivate(tracing);
        interactable_activate(state->viewport);
        return;
    }
    // The sheet covers the square view; the 3D view keeps its camera and
    // every setting while it takes no input.
    interactable_deactivate(state->viewport);
    interactable_activate(tracing);
    const int side = state->window_height;
    if (tracing->x != 0 || tracing->y != 0 || tracing->w != side || tracing->h != side)
        interactable_tracing_place(tracing, 0, 0, side, side);
    if (compare) {
        show_comparison(state, tracing, side);
        return;
    }
    if (state->compare_shown_key != 0) {  // the comparison was shown: the sheet is built again
        state->compare_shown_key = 0;
        state->tracing_report_loads = ~std::uint64_t{0};
    }
    // The time the chart is zoomed to, when its range belongs to this exercise.
    const bool chart_here =
        state->chart_report_loads == state->report_loads && state->chart_exercise == state->selected_exercise;
    const EmgChartRange range = chart_here ? state->chart_range : EmgChartRange{};
    // The baseline's exercise drawn under the selected one.
    const TracingBaseline baseline{state->baseline.get(), state->baseline != nullptr ? state->baseline_exercise : -1,
                                   -1, state->baseline_file_name};
    const std::uint64_t baseline_key =
        (static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(baseline.report)) << 12)
        ^ static_cast<std::uint64_t>(baseline.exercise + 1);
    if (state->tracing_report_loads != state->report_loads || state->tracing_exercise != state->selected_exercise
        || state->tracing_baseline_key != baseline_key
        || state->tracing_side != side || !same_plane(state->tracing_plane, state->reference_plane)
        || state->tracing_range.first != range.first || state->tracing_range.count != range.count) {
        state->tracing_marked_sample = current_sample(state);
        interactable_tracing_set_sheet(tracing,
                                       tracing_picture_build(state->report.get(), state->selected_exercise,
                                                             state->tracing_marked_sample, side, side,
                                                             state->reference_plane,
                                                             {range.first, range.count}, baseline),
                                       state->report.get());
        state->tracing_baseline_key = baseline_key;
        state->tracing_range = range;
        state->tracing_report_loads = state->report_loads;
        state->tracing_exercise = state->selected_exercise;
        state->tracing_side = side;
        state->tracing_plane = state->reference_plane;
    }
    gui_update_tracing_marks();
}

void gui_update_tracing_marks()
{
    GuiState* state = gui_state;
    InteractableTracing* tracing = state->tracing_sheet;
    if (tracing == nullptr || !tracing->active || state->compare_shown_key != 0)
        return;
    // A sheet of a report no longer loaded is built again first.
    if (state->tracing_report_loads != state->report_loads) {
        gui_show_tracings();
        return;
    }
    const std::int32_t sample = current_sample(state);
    if (sample == state->tracing_marked_sample)
        return;
    state->tracing_marked_sample = sample;
    interactable_tracing_set_sample(tracing, sample);
}

void gui_write_tracings_svg()
{
    GuiState* state = gui_state;
    if (state->report == nullptr) {
        std::fputs("No report loaded: no tracings written\n", stdout);
        return;
    }
    if (gui_selected_exercise(state) == nullptr) {
        std::fputs("No exercise chosen: no tracings written\n", stdout);
        return;
    }
    const std::string name = timestamped_file_name(std::time(nullptr), "tracings", "svg");
    FileWriter file(name);
    if (file.stream() != nullptr) {
        SvgFileSink sink(file.stream());
        const TracingBaseline baseline{state->baseline.get(),
                                       state->baseline != nullptr ? state->baseline_exercise : -1, -1,
                                       state->baseline_file_name};
        svg_picture_write(sink, tracing_picture_build(state->report.get(), state->selected_exercise,
                                                      current_sample(state), GUI_TRACINGS_SVG_SIDE,
                                                      GUI_TRACINGS_SVG_SIDE, state->reference_plane, {}, baseline)
                                    .picture);
    }
    const bool ok = file.commit();
    // One notice at a time where the page shows them.
    if (state->summary_written_text != nullptr)
        interactable_deactivate(state->summary_written_text);
    gui_report_written(ok, "the tracings", name, file.error(), state->tracings_written_text, "SVG written!",
                       "SVG failed!");
}
