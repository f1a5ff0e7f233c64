// The "Measures" page: the figures of the selected exercise, and the CSV of
// every exercise of the loaded report. The figures come from the report
// code (report/emg_measures); this file only shows and writes them.
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <optional>
#include <string>

#include "platform/file_writer.hpp"
#include "platform/screenshot_name.hpp"
#include "gui/gui_messages.hpp"
#include "base/text_encoding.hpp"
#include "gui/gui.hpp"
#include "report/emg_comparison.hpp"
#include "gui/gui_report_access.hpp"
#include "report/emg_figure_rows.hpp"

namespace {

void show(InteractableText* widget, const std::string& text)
{
    if (widget != nullptr && widget->text != text)
        interactable_text_set_text(widget, text.c_str());
}

// The exercise's name takes the lines it needs, never cut: what is below it
// on the page moves down by the lines it adds, the time chart giving up
// that height (and back when a shorter name comes).
void fit_title(GuiState* state)
{
    constexpr int pitch = GUI_MEASURES_LINE_PITCH;
    InteractableText* title = state->measures_title;
    const int dy = interactable_text_wrapped_lines(title) * pitch - title->h;
    if (dy == 0)
        return;
    const int below = title->y + title->h;
    // What lies under the chart keeps its place: the chart's bottom does not move.
    const int under = state->chart != nullptr ? state->chart->y + state->chart->h : 1 << 30;
    for (Interactable* widget : state->pages[static_cast<std::size_t>('i' - 'a')]) {
        if (widget == nullptr || widget == title || widget->y < below || widget->y >= under)
            continue;
        interactable_move(widget, 0, dy);
        if (widget == state->chart) {
            state->chart->h = std::max(state->chart->h - dy, 1);
            state->chart_built_range = {-1, -1};  // built again for its new size
        }
    }
    title->h += dy;
    title->texture_valid = 0;
}

}  // namespace

void gui_show_measures()
{
    GuiState* state = gui_state;
    // A hidden page waits: showing it brings it up to date. A report loaded
    // or an exercise chosen elsewhere costs nothing here.
    if (state->measures_title == nullptr || !state->measures_title->active)
        return;
    const EmgExercise* exercise = gui_selected_exercise(state);
    if (exercise == nullptr) {
        show(state->measures_title,
             state->report == nullptr ? "No report loaded" : "The report has no exercises");
        fit_title(state);
        for (InteractableText* value : state->measures_values)
            show(value, "-");
        return;
    }

    const EmgMeasures m = emg_measures_of_exercise(state->report.get(), exercise);
    show(state->measures_title, string_format("[%d] %s", state->selected_exercise + 1, exercise->name.c_str()));
    fit_title(state);
    const std::vector<EmgFigureText> figures = emg_measures_texts(m, "-");
    for (std::size_t k = 0; k < figures.size() && k < GUI_MEASURES_FIGURE_COUNT; ++k)
        show(state->measures_values[k], figures[k].value);
}

void gui_write_measures_csv()
{
    GuiState* state = gui_state;
    if (state->report == nullptr) {
        std::fputs("No report loaded: no measures written\n", stdout);
        return;
    }
    // Opened from a file manager, the CSV goes to a spreadsheet: the byte
    // order mark makes it read the names as UTF-8.
    std::string text(text_encoding_utf8_mark);
    if (state->baseline_read != nullptr) {
        // With a baseline, its name, the paired exercise and the changes after the figures.
        emg_comparison_csv_header(&text);
        emg_comparison_csv_rows(&text, state->report_file_name, state->report.get(), state->baseline_file_name,
                                state->baseline.get(), state->reference_plane);
    } else {
        emg_measures_csv_header(&text);
        emg_measures_csv_rows(&text, state->report_file_name, state->report.get(), state->reference_plane);
    }

    const std::string name = timestamped_file_name(std::time(nullptr), "measures", "csv");
    std::string why;
    const bool ok = file_writer_write(name, text, &why);
    // One notice at a time where the page shows them.
    if (state->chart_written_text != nullptr)
        interactable_deactivate(state->chart_written_text);
    gui_report_written(ok, "the measures", name, why, state->measures_written_text, "CSV written!", "CSV failed!");
}
