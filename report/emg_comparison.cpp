#include "report/emg_comparison.hpp"

#include <algorithm>
#include <cmath>

#include "base/text_encoding.hpp"

namespace {

// The frame's axes as the rows of a matrix: it takes a vector into
// anatomical components.
Matrix3 rows_of(const EmgAnatomicalFrame& f)
{
    return {{f.lat.x, f.lat.y, f.lat.z, f.ant.x, f.ant.y, f.ant.z, f.up.x, f.up.y, f.up.z}};
}

Vector3 moved(const EmgRigidMove& move, const Vector3& p)
{
    Vector3 out;
    algebra_matrix_vector_mul(&out, &move.rotation, &p);
    return {out.x + move.translation.x, out.y + move.translation.y, out.z + move.translation.z};
}

bool usable_frequency(double f)
{
    return std::isfinite(f) && f > 0.0;
}

std::optional<double> count(const std::optional<std::int32_t>& n)
{
    return n ? std::optional<double>(*n) : std::nullopt;
}

const char* const mm = " mm";
const char* const degrees = "\u00b0";

}  // namespace

std::optional<EmgRigidMove> emg_comparison_alignment(const EmgReport& current, const EmgReport& baseline)
{
    const std::optional<EmgAnatomicalFrame> to = emg_anatomical_frame(&current);
    const std::optional<EmgAnatomicalFrame> from = emg_anatomical_frame(&baseline);
    if (!to || !from)
        return std::nullopt;
    // p' = To^T From (p - o_from) + o_to, the axes being the rows of From and To.
    const Matrix3 a = rows_of(*from);
    const Matrix3 b = rows_of(*to);
    EmgRigidMove move{};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            double sum = 0.0;
            for (int k = 0; k < 3; ++k)
                sum += b.m[3 * k + r] * a.m[3 * k + c];
            move.rotation.m[3 * r + c] = sum;
        }
    Vector3 turned;
    algebra_matrix_vector_mul(&turned, &move.rotation, &from->origin);
    move.translation = {to->origin.x - turned.x, to->origin.y - turned.y, to->origin.z - turned.z};
    return move;
}

std::unique_ptr<EmgReport> emg_comparison_moved(const EmgReport& report, const EmgRigidMove& move)
{
    auto out = std::make_unique<EmgReport>(report);
    out->calibration_left = moved(move, report.calibration_left);
    out->calibration_incisal = moved(move, report.calibration_incisal);
    out->calibration_right = moved(move, report.calibration_right);
    for (EmgExercise& exercise : out->exercises)
        for (EmgDataPoint& sample : exercise.data) {
            sample.left = moved(move, sample.left);
            sample.incisal = moved(move, sample.incisal);
            sample.right = moved(move, sample.right);
        }
    return out;
}

std::unique_ptr<EmgReport> emg_comparison_aligned(const EmgReport& current, const EmgReport& baseline)
{
    const std::optional<EmgRigidMove> move = emg_comparison_alignment(current, baseline);
    return move ? emg_comparison_moved(baseline, *move) : nullptr;
}

std::vector<std::int32_t> emg_comparison_pairs(const std::vector<EmgMeasures>& current,
                                               const std::vector<EmgMeasures>& baseline)
{
    std::vector<std::int32_t> pairs(current.size(), -1);
    for (std::size_t e = 0; e < current.size(); ++e) {
        const EmgExerciseType type = current[e].clinical.type;
        // The how-manieth of its type this exercise is.
        std::size_t rank = 0;
        for (std::size_t k = 0; k < e; ++k)
            rank += current[k].clinical.type == type ? 1 : 0;
        for (std::size_t k = 0; k < baseline.size(); ++k)
            if (baseline[k].clinical.type == type && rank-- == 0) {
                pairs[e] = static_cast<std::int32_t>(k);
                break;
            }
        if (pairs[e] < 0 && e < baseline.size())
            pairs[e] = static_cast<std::int32_t>(e);
    }
    return pairs;
}

EmgComparedBaseline emg_comparison_baseline(const EmgReport& current, const EmgReport& baseline,
                                            const EmgReferencePlane& plane)
{
    EmgComparedBaseline out;
    out.aligned = emg_comparison_aligned(current, baseline);
    if (out.aligned != nullptr)
        out.pairs =
            emg_comparison_pairs(emg_measures_of_report(&current, plane), emg_measures_of_report(out.aligned.get(), plane));
    return out;
}

std::int32_t emg_comparison_sample(std::int32_t current_sample, double current_frequency, double baseline_frequency,
                                   std::int32_t baseline_samples)
{
    if (baseline_samples <= 0)
        return -1;
    double at = current_sample;
    if (usable_frequency(current_frequency) && usable_frequency(baseline_frequency))
        at = std::round(current_sample / current_frequency * baseline_frequency);
    return static_cast<std::int32_t>(std::clamp(at, 0.0, static_cast<double>(baseline_samples - 1)));
}

std::vector<EmgNumericFigure> emg_numeric_figures(const EmgMeasures& m)
{
    const EmgClinicalFigures& c = m.clinical;
    return {
        {"samples", static_cast<double>(m.samples), 0, "", "Samples"},
        {"duration_s", m.duration_s, 2, " s", "Duration"},
        {"max_incisal_distance_mm", m.max_incisal_distance_mm, 2, mm, "Max. incisal distance"},
        {"max_vertical_opening_mm", m.max_vertical_opening_mm, 2, mm, "Max. vertical opening"},
        {"max_protrusion_mm", m.max_protrusion_mm, 2, mm, "Max. protrusion"},
        {"max_laterotrusion_right_mm", m.max_laterotrusion_right_mm, 2, mm, "Max. laterotrusion right"},
        {"max_laterotrusion_left_mm", m.max_laterotrusion_left_mm, 2, mm, "Max. laterotrusion left"},
        {"deviation_at_max_opening_mm", m.deviation_at_max_opening_mm, 2, mm, "Deviation at max. opening"},
        {"max_deviation_while_opening_mm", m.max_deviation_while_opening_mm, 2, mm, "Max. deviation while opening"},
        {"max_opening_angle_deg", m.max_opening_angle_deg, 1, degrees, "Max. opening angle"},
        {"opening_movements", count(m.opening_movements), 0, "", "Opening movements"},
        {"left_condyle_max_translation_mm", m.left.max_translation_mm, 2, mm, "Max. translation left"},
        {"left_condyle_inclination_deg", m.left.inclination_deg, 1, degrees, "Inclination left"},
        {"left_condyle_bennett_deg", m.left.bennett_deg, 1, degrees, "Bennett angle left"},
        {"right_condyle_max_translation_mm", m.right.max_translation_mm, 2, mm, "Max. translation right"},
        {"right_condyle_inclination_deg", m.right.inclination_deg, 1, degrees, "Inclination right"},
        {"right_condyle_bennett_deg", m.right.bennett_deg, 1, degrees, "Bennett angle right"},
        {"max_opening_rotation_deg", c.max_opening_rotation_deg, 1, degrees, "Max. opening rotation"},
        {"condylar_inclination_left_deg", c.condylar_inclination_left_deg, 1, degrees, "Condylar incl. left"},
        {"condylar_inclination_right_deg", c.condylar_inclination_right_deg, 1, degrees, "Condylar incl. right"},
        {"bennett_angle_deg", c.bennett_angle_deg, 1, degrees, "Bennett angle"},
        {"immediate_side_shift_mm", c.immediate_side_shift_mm, 2, mm, "Immediate side shift"},
        {"mediotrusive_inclination_deg", c.mediotrusive_inclination_deg, 1, degrees, "Mediotrusive incl."},
        {"fischer_angle_deg", c.fischer_angle_deg, 1, degrees, "Fischer angle"},
        {"chewing_cycles", count(c.chewing_cycles), 0, "", "Chewing cycles"},
        {"chewing_rate_per_min", c.chewing_rate_per_min, 1, " /min", "Chewing rate"},
    };
}

std::vector<EmgNumericFigure> emg_comparison_deltas(const EmgMeasures& current, const EmgMeasures& baseline)
{
    std::vector<EmgNumericFigure> deltas = emg_numeric_figures(current);
    const std::vector<EmgNumericFigure> before = emg_numeric_figures(baseline);
    for (std::size_t k = 0; k < deltas.size(); ++k)
        deltas[k].value = deltas[k].value && before[k].value
                              ? std::optional<double>(*deltas[k].value - *before[k].value)
                              : std::nullopt;
    return deltas;
}

void emg_comparison_csv_header(std::string* out)
{
    emg_measures_csv_header(out);
    out->resize(out->size() - 2);  // its line end
    out->append(",baseline_report,baseline_exercise");
    for (const EmgNumericFigure& figure : emg_numeric_figures(EmgMeasures{})) {
        out->append(",delta_");
        out->append(figure.column);
    }
    out->append("\r\n");
}

void emg_comparison_csv_rows(std::string* out, std::string_view report_name, const EmgReport* report,
                             std::string_view baseline_name, const EmgReport* baseline,
                             const EmgReferencePlane& plane, std::int32_t only_exercise)
{
    if (report == nullptr)
        return;
    const std::vector<EmgMeasures> all = emg_measures_of_report(report, plane);
    const std::vector<EmgMeasures> before =
        baseline != nullptr ? emg_measures_of_report(baseline, plane) : std::vector<EmgMeasures>{};
    const std::vector<std::int32_t> pairs = emg_comparison_pairs(all, before);
    const std::string name = text_encoding_to_utf8(report_name);
    const std::string other = text_encoding_to_utf8(baseline_name);
    const std::size_t figures = emg_numeric_figures(EmgMeasures{}).size();
    for (std::size_t e = 0; e < report->exercises.size(); ++e) {
        if (only_exercise > 0 && e + 1 != static_cast<std::size_t>(only_exercise))
            continue;
        emg_measures_csv_row(out, name, static_cast<std::int32_t>(e + 1), report->exercises[e], all[e]);
        out->push_back(',');
        emg_measures_csv_field(out, other);
        out->push_back(',');
        if (pairs[e] < 0) {
            out->append(figures, ',');
        } else {
            out->append(std::to_string(pairs[e] + 1));
            for (const EmgNumericFigure& delta : emg_comparison_deltas(all[e], before[static_cast<std::size_t>(pairs[e])])) {
                out->push_back(',');
                if (delta.value)  // counts as counts, the rest with four decimals
                    out->append(emg_measures_format(*delta.value, delta.decimals == 0 ? 0 : 4));
            }
        }
        out->append("\r\n");
    }
}

std::string emg_numeric_figure_text(const EmgNumericFigure& figure, const char* missing)
{
    return figure.value ? emg_measures_format(*figure.value, figure.decimals) + figure.unit : std::string(missing);
}

std::string emg_numeric_change_text(const EmgNumericFigure& change, const char* missing)
{
    if (!change.value)
        return missing;
    const std::string text = emg_measures_format(*change.value, change.decimals);
    const bool grows = !text.empty() && text.front() != '-' && text.find_first_not_of("0.") != std::string::npos;
    return (grows ? "+" : "") + text + change.unit;
}

EmgSideComparison emg_comparison_sides(const std::vector<EmgMeasures>& measures)
{
    EmgSideComparison sides;
    for (std::size_t e = 0; e < measures.size(); ++e) {
        const EmgExerciseType type = measures[e].clinical.type;
        if (type == EmgExerciseType::laterotrusion_left && sides.left_exercise < 0)
            sides.left_exercise = static_cast<std::int32_t>(e);
        if (type == EmgExerciseType::laterotrusion_right && sides.right_exercise < 0)
            sides.right_exercise = static_cast<std::int32_t>(e);
    }
    if (sides.left_exercise < 0 || sides.right_exercise < 0)
        return sides;
    const EmgMeasures& l = measures[static_cast<std::size_t>(sides.left_exercise)];
    const EmgMeasures& r = measures[static_cast<std::size_t>(sides.right_exercise)];
    auto row = [&](const char* name, const std::optional<double>& left, const std::optional<double>& right,
                   int decimals, const char* unit) {
        const std::optional<double> difference =
            left && right ? std::optional<double>(*left - *right) : std::nullopt;
        sides.rows.push_back({name, {"", left, decimals, unit}, {"", right, decimals, unit},
                              {"", difference, decimals, unit}});
    };
    // The laterotrusion to the left moves the right condyle forward (its
    // mediotrusive condyle), and the other way round.
    row("Max. laterotrusion", l.max_laterotrusion_left_mm, r.max_laterotrusion_right_mm, 2, mm);
    row("Bennett angle", l.clinical.bennett_angle_deg, r.clinical.bennett_angle_deg, 1, degrees);
    row("Immediate side shift", l.clinical.immediate_side_shift_mm, r.clinical.immediate_side_shift_mm, 2, mm);
    row("Mediotrusive incl.", l.clinical.mediotrusive_inclination_deg, r.clinical.mediotrusive_inclination_deg, 1,
        degrees);
    row("Fischer angle", l.clinical.fischer_angle_deg, r.clinical.fischer_angle_deg, 1, degrees);
    row("Mediotrusive transl.", l.right.max_translation_mm, r.left.max_translation_mm, 2, mm);
    return sides;
}
