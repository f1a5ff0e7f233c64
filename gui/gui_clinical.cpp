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
#include "report/emg_measures.hpp"
#include "report/emg_norms.hpp"

namespace {

// One row of the page: a figure, how it is shown, its norm and its sample.
struct Row {
    const char* name;
    std::string value;
    std::optional<EmgNormFigure> norm;
    std::optional<double> checked;  // the value the norm judges
    std::optional<std::int32_t> sample;
};

std::string shown(const std::optional<double>& value, int decimals, const char* unit)
{
    return value ? emg_measures_format(*value, decimals) + unit : std::string("not available");
}

const char* const mm = " mm";
const char* const degrees = "\u00b0";

Row figure(const char* name, const std::optional<double>& value, int decimals, const char* unit,
           std::optional<EmgNormFigure> norm = std::nullopt, std::optional<std::int32_t> sample = std::nullopt)
{
    return {name, shown(value, decimals, unit), norm, value, value ? sample : std::nullopt};
}

// The rows of an exercise's type, in the page's order.
std::vector<Row> rows_of(const EmgMeasures& m)
{
    const EmgClinicalFigures& c = m.clinical;
    std::vector<Row> rows;
    switch (c.type) {
    case EmgExerciseType::opening:
        rows.push_back(figure("Max. vertical opening", m.max_vertical_opening_mm, 2, mm,
                              EmgNormFigure::max_vertical_opening, m.max_vertical_opening_sample));
        rows.push_back(figure("Max. incisal distance", m.max_incisal_distance_mm, 2, mm));
        rows.push_back(figure("Deviation at max. opening", m.deviation_at_max_opening_mm, 2, mm,
                              EmgNormFigure::deviation, m.max_vertical_opening_sample));
        rows.push_back(figure("Max. deviation opening", m.max_deviation_while_opening_mm, 2, mm,
                              EmgNormFigure::deviation));
        rows.push_back({"Opening pattern",
                        c.opening_pattern ? emg_opening_pattern_name(*c.opening_pattern) : "not available",
                        std::nullopt, std::nullopt, std::nullopt});
        break;
    case EmgExerciseType::protrusion: {
        rows.push_back(figure("Max. protrusion", m.max_protrusion_mm, 2, mm, EmgNormFigure::max_protrusion,
                              m.max_protrusion_sample));
        rows.push_back(figure("Condylar incl. left", c.condylar_inclination_left_deg, 1, degrees,
                              EmgNormFigure::condylar_inclination, c.condylar_chord_left_sample));
        rows.push_back(figure("Condylar incl. right", c.condylar_inclination_right_deg, 1, degrees,
                              EmgNormFigure::condylar_inclination, c.condylar_chord_right_sample));
        std::optional<double> difference;
        if (c.condylar_inclination_left_deg && c.condylar_inclination_right_deg)
            difference = *c.condylar_inclination_left_deg - *c.condylar_inclination_right_deg;
        rows.push_back(figure("Left - right incl.", difference, 1, degrees, EmgNormFigure::inclination_difference));
        break;
    }
    case EmgExerciseType::laterotrusion_right:
    case EmgExerciseType::laterotrusion_left: {
        const bool right = c.type == EmgExerciseType::laterotrusion_right;
        rows.push_back(figure(right ? "Max. laterotrusion right" : "Max. laterotrusion left",
                              right ? m.max_laterotrusion_right_mm : m.max_laterotrusion_left_mm, 2, mm,
                              EmgNormFigure::max_laterotrusion,
                              right ? m.max_laterotrusion_right_sample : m.max_laterotrusion_left_sample));
        rows.push_back(figure("Bennett angle", c.bennett_angle_deg, 1, degrees, EmgNormFigure::bennett_angle));
        rows.push_back(figure("Immediate side shift", c.immediate_side_shift_mm, 2, mm,
                              EmgNormFigure::immediate_side_shift));
        rows.push_back(figure("Mediotrusive incl.", c.mediotrusive_inclination_deg, 1, degrees, std::nullopt,
                              c.mediotrusive_chord_sample));
        rows.push_back(figure("Fischer angle", c.fischer_angle_deg, 1, degrees));
        break;
    }
    case EmgExerciseType::chewing:
        rows.push_back({"Chewing cycles", c.chewing_cycles ? std::to_string(*c.chewing_cycles) : "not available",
                        std::nullopt, std::nullopt, std::nullopt});
        rows.push_back(figure("Chewing rate", c.chewing_rate_per_min, 1, " /min"));
        rows.push_back(figure("Max. vertical opening", m.max_vertical_opening_mm, 2, mm, std::nullopt,
                              m.max_vertical_opening_sample));
        break;
    case EmgExerciseType::other:
        rows.push_back(figure("Max. incisal distance", m.max_incisal_distance_mm, 2, mm));
        break;
    }
    rows.push_back(figure("Max. opening rotation", c.max_opening_rotation_deg, 1, degrees, std::nullopt,
                          c.max_opening_rotation_sample));
    rows.push_back(figure("Max. translation left", m.left.max_translation_mm, 2, mm, std::nullopt,
                          m.left.max_translation_sample));
    rows.push_back(figure("Max. translation right", m.right.max_translation_mm, 2, mm, std::nullopt,
                          m.right.max_translation_sample));
    return rows;
}

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

    const std::vector<Row> rows = rows_of(m);
    for (std::size_t k = 0; k < rows.size() && k < GUI_CLINICAL_ROWS; ++k) {
        const Row& row = rows[k];
        const bool outside = row.norm && row.checked && !emg_norm_holds(*row.norm, *row.checked);
        show(state->clinical_names[k], row.name);
        show(state->clinical_values[k], outside ? row.value + " !" : row.value, outside ? &c_red : &c_black);
        show(state->clinical_norms[k], row.norm ? emg_norm(*row.norm).text : "", outside ? &c_red : &c_black);
        state->clinical_samples[k] = row.sample ? *row.sample : -1;
    }

    std::vector<std::string> warnings;
    if (c.axes_mirrored)
        warnings.emplace_back("The recording's axes look mirrored.");
    if (c.unreadable_values > 0)
        warnings.push_back(std::to_string(c.unreadable_values) + " unreadable values, left out.");
    if (!m.duration_s)
        warnings.emplace_back("No usable sampling frequency.");
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
