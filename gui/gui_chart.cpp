// The time chart of the "Measures" page: which chart it shows, where its
// cursor stands, and its SVG file. The chart itself comes from the report
// code (report/emg_chart), the file from the SVG code (svg/svg_chart).
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>

#include "platform/file_writer.hpp"
#include "platform/screenshot_name.hpp"
#include "gui/gui_messages.hpp"
#include "gui/gui.hpp"
#include "gui/gui_report_access.hpp"
#include "svg/svg_chart.hpp"
#include "svg/svg_writer.hpp"

void gui_show_chart()
{
    GuiState* state = gui_state;
    InteractableChart* chart = state->chart;
    // Another report or exercise starts whole, shown or not.
    const bool same_exercise =
        state->chart_report_loads == state->report_loads && state->chart_exercise == state->selected_exercise;
    if (!same_exercise)
        state->chart_range = {};
    // A hidden page waits: showing it brings the chart up to date. Loading
    // and choosing exercises elsewhere cost nothing here.
    if (chart == nullptr || !chart->active)
        return;
    if (same_exercise && state->chart_range.first == state->chart_built_range.first
        && state->chart_range.count == state->chart_built_range.count)
        return;
    interactable_chart_set_chart(chart, emg_chart_build(state->report.get(), state->selected_exercise, chart->w,
                                                        chart->h, state->chart_range));
    state->chart_report_loads = state->report_loads;
    state->chart_exercise = state->selected_exercise;
    state->chart_built_range = state->chart_range;
}

void gui_set_chart_range(GuiState* state, EmgChartRange range)
{
    const std::int32_t n = gui_exercise_sample_count(gui_selected_exercise(state));
    // The whole exercise is kept as "whole", whatever its length.
    state->chart_range = range.first <= 0 && range.count >= n ? EmgChartRange{} : range;
    gui_show_chart();
    // The tracing sheet shows the same time.
    gui_show_tracings();
}

void gui_update_chart_cursor()
{
    GuiState* state = gui_state;
    if (state->chart == nullptr)
        return;
    const std::int32_t n = gui_exercise_sample_count(gui_selected_exercise(state));
    // The sample shown, as the playback slider counts it.
    double position = state->animation_position;
    if (!(position >= 0.0))
        position = 0.0;
    interactable_chart_set_cursor(state->chart, n > 0 ? std::min(position, static_cast<double>(n - 1)) : -1.0);
}

void gui_write_chart_svg()
{
    GuiState* state = gui_state;
    if (state->report == nullptr) {
        std::fputs("No report loaded: no chart written\n", stdout);
        return;
    }
    if (gui_selected_exercise(state) == nullptr) {
        std::fputs("No exercise chosen: no chart written\n", stdout);
        return;
    }
    const std::string name = timestamped_file_name(std::time(nullptr), "chart", "svg");
    FileWriter file(name);
    if (file.stream() != nullptr) {
        SvgFileSink sink(file.stream());
        svg_chart_write(sink, *state->report, state->selected_exercise, GUI_CHART_SVG_WIDTH,
                        state->report->has_emg_data ? GUI_CHART_SVG_HEIGHT_EMG : GUI_CHART_SVG_HEIGHT);
    }
    const bool ok = file.commit();
    // One notice at a time where the page shows them.
    if (state->measures_written_text != nullptr)
        interactable_deactivate(state->measures_written_text);
    gui_report_written(ok, "the chart", name, file.error(), state->chart_written_text, "SVG written!", "SVG failed!");
}
