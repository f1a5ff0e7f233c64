#include "report/emg_figure_rows.hpp"

namespace {

std::string shown(const std::optional<double>& value, int decimals, const char* unit)
{
    return value ? emg_measures_format(*value, decimals) + unit : std::string("not available");
}

const char* const mm = " mm";
const char* const degrees = "\u00b0";

EmgClinicalRow figure(const char* name, const std::optional<double>& value, int decimals, const char* unit,
                      std::optional<EmgNormFigure> norm = std::nullopt,
                      std::optional<std::int32_t> sample = std::nullopt)
{
    return {name, shown(value, decimals, unit), norm, value, value ? sample : std::nullopt};
}

}  // namespace

std::vector<EmgFigureText> emg_measures_texts(const EmgMeasures& m, const char* missing)
{
    auto text = [&](const std::optional<double>& value, int decimals, const char* unit) {
        return value ? emg_measures_format(*value, decimals) + unit : std::string(missing);
    };
    return {
        {"Samples", std::to_string(m.samples)},
        {"Duration", text(m.duration_s, 2, " s")},
        {"Max. incisal distance", text(m.max_incisal_distance_mm, 2, mm)},
        {"Max. vertical opening", text(m.max_vertical_opening_mm, 2, mm)},
        {"Max. protrusion", text(m.max_protrusion_mm, 2, mm)},
        {"Max. laterotrusion right", text(m.max_laterotrusion_right_mm, 2, mm)},
        {"Max. laterotrusion left", text(m.max_laterotrusion_left_mm, 2, mm)},
        {"Deviation at max. opening", text(m.deviation_at_max_opening_mm, 2, mm)},
        {"Max. deviation while opening", text(m.max_deviation_while_opening_mm, 2, mm)},
        {"Max. opening angle", text(m.max_opening_angle_deg, 1, degrees)},
        {"Opening movements", m.opening_movements ? std::to_string(*m.opening_movements) : std::string(missing)},
        {"Max. translation left", text(m.left.max_translation_mm, 2, mm)},
        {"Max. translation right", text(m.right.max_translation_mm, 2, mm)},
        {"Inclination left", text(m.left.inclination_deg, 1, degrees)},
        {"Inclination right", text(m.right.inclination_deg, 1, degrees)},
        {"Bennett angle left", text(m.left.bennett_deg, 1, degrees)},
        {"Bennett angle right", text(m.right.bennett_deg, 1, degrees)},
    };
}

std::vector<EmgClinicalRow> emg_clinical_rows(const EmgMeasures& m)
{
    const EmgClinicalFigures& c = m.clinical;
    std::vector<EmgClinicalRow> rows;
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

bool emg_clinical_row_outside(const EmgClinicalRow& row)
{
    return row.norm && row.checked && !emg_norm_holds(*row.norm, *row.checked);
}

std::vector<std::string> emg_clinical_warnings(const EmgMeasures& m)
{
    std::vector<std::string> warnings;
    if (m.clinical.axes_mirrored)
        warnings.emplace_back("The recording's axes look mirrored.");
    if (m.clinical.unreadable_values > 0)
        warnings.push_back(std::to_string(m.clinical.unreadable_values) + " unreadable values, left out.");
    if (!m.duration_s)
        warnings.emplace_back("No usable sampling frequency.");
    return warnings;
}
