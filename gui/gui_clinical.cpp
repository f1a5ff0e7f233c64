// The "Clinical" page: the type and the clinical figures of the selected
// exercise against their normal ranges, the reference plane of the condylar
// angles, and the warnings about the data. The figures come from the report
// code (report/emg_measures, report/emg_norms); this file only shows them.
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "gui/gui.hpp"
#include "gui/gui_report_access.hpp"
#include "report/emg_figure_rows.hpp"

namespace {

void show(InteractableText* widget, const std::string& text, const Color* foreground = &c_black)
{
    if (widget == nullptr)
        return;
    const Color& f = *foreground;
    if (widget->foreground.r != f.r || widget->foreground.g != f.g || widget->foreground.b != f.b) {
        widget->foreground = f;
        widget->texture_valid = 0;
    }
    if (widget->text != text)
        interactable_text_set_text(widget, text.c_str());
}

void clear_rows(GuiState* state)
{
    for (std::size_t k = 0; k < GUI_CLINICAL_ROWS; ++k) {
        show(state->clinical_names[k], "");
        show(state->clinical_values[k], "", &c_beige);  // an empty row shows no frame
        show(state->clinical_norms[k], "");
        state->clinical_samples[k] = -1;
    }
    for (InteractableText* warning : state->clinical_warnings)
        show(warning, "");
}

}  // namespace

void gui_show_clinical()
{
    GuiState* state = gui_state;
    if (state->clinical_title == nullptr || !state->clinical_title->active)
        return;
    clear_rows(state);
    const EmgExercise* exercise = gui_selected_exercise(state);
    if (exercise == nullptr) {
        show(state->clinical_title, state->report == nullptr ? "No report loaded" : "The report has no exercises");
        show(state->clinical_type, "-");
        return;
    }
    const EmgMeasures m = emg_measures_of_exercise(state->report.get(), exercise, state->reference_plane);
    const EmgClinicalFigures& c = m.clinical;
    show(state->clinical_title, string_format("[%d] %s", state->selected_exercise + 1, exercise->name.c_str()));
    show(state->clinical_type, std::string(emg_exercise_type_name(c.type)) +
                                   (c.type_from_name ? ", by its name" : ", by the movement"));

    const std::vector<EmgClinicalRow> rows = emg_clinical_rows(m);
    for (std::size_t k = 0; k < rows.size() && k < GUI_CLINICAL_ROWS; ++k) {
        const EmgClinicalRow& row = rows[k];
        const bool outside = emg_clinical_row_outside(row);
        show(state->clinical_names[k], row.name);
        show(state->clinical_values[k], outside ? row.value + " !" : row.value, outside ? &c_red : &c_black);
        show(state->clinical_norms[k], row.norm ? emg_norm(*row.norm).text : "", outside ? &c_red : &c_black);
        state->clinical_samples[k] = row.sample ? *row.sample : -1;
    }

    const std::vector<std::string> warnings = emg_clinical_warnings(m);
    for (std::size_t k = 0; k < warnings.size() && k < GUI_CLINICAL_WARNINGS; ++k)
        show(state->clinical_warnings[k], warnings[k], &c_red);
}

void gui_set_reference_plane(const EmgReferencePlane& plane)
{
    GuiState* state = gui_state;
    state->reference_plane = plane;
    const bool calibration = plane.kind == EmgReferencePlaneKind::calibration;
    if (state->reference_recording_toggle != nullptr)
        interactable_toggle_set_state(state->reference_recording_toggle, calibration ? 0 : 1, 0);
    if (state->reference_calibration_toggle != nullptr)
        interactable_toggle_set_state(state->reference_calibration_toggle, calibration ? 1 : 0, 0);
    if (state->reference_tilt_input != nullptr)
        interactable_text_input_set_text_formatted_and_deactivate(state->reference_tilt_input, "%.1lf",
                                                                  plane.tilt_deg);
    gui_show_clinical();
}
