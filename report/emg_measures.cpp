// Index of this file:
// [SECTION] The anatomical frame
// [SECTION] One pass over the samples
// [SECTION] The clinical figures of each type
// [SECTION] Numbers and CSV
#include "report/emg_measures.hpp"

#include <algorithm>
#include <cstdio>
#include <charconv>
#include <cmath>
#include <limits>
#include <tuple>
#include <vector>

#include "base/text_encoding.hpp"

namespace {

// =============================================================================
// [SECTION] The anatomical frame
// =============================================================================

constexpr double degrees_per_radian = 180.0 / 3.14159265358979323846;
// A condyle path shorter than this has no direction worth an angle.
constexpr double shortest_condyle_path_mm = 1.0;

// The hot loop uses these inline forms rather than the out-of-line vector
// module: one pass over a million samples stays a few milliseconds.
inline Vector3 minus(const Vector3& a, const Vector3& b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

inline double dot(const Vector3& a, const Vector3& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

inline bool finite(const Vector3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

using Frame = EmgAnatomicalFrame;

// =============================================================================
// [SECTION] One pass over the samples
// =============================================================================

// A condyle's largest displacement so far.
struct CondyleScan {
    Vector3 rest;
    double largest_squared = -1.0;  // none yet
    Vector3 at_largest{0.0, 0.0, 0.0};
    std::int32_t largest_sample = 0;

    void add(const Vector3& position, std::int32_t sample)
    {
        const Vector3 d = minus(position, rest);
        if (!finite(d))
            return;
        const double squared = dot(d, d);
        if (squared > largest_squared) {
            largest_squared = squared;
            at_largest = d;
            largest_sample = sample;
        }
    }

    // `medial_sign` turns d.lat into the medial component: +1 for the left
    // condyle, -1 for the right one.
    EmgCondyleMeasures result(const std::optional<Frame>& frame, double medial_sign) const
    {
        EmgCondyleMeasures out;
        if (largest_squared < 0.0)
            return out;
        const double translation = std::sqrt(largest_squared);
        out.max_translation_mm = translation;
        out.max_translation_sample = largest_sample;
        if (frame && translation >= shortest_condyle_path_mm) {
            const double forward = dot(at_largest, frame->ant);
            out.inclination_deg = std::atan2(-dot(at_largest, frame->up), forward) * degrees_per_radian;
            out.bennett_deg = std::atan2(medial_sign * dot(at_largest, frame->lat), forward) * degrees_per_radian;
        }
        return out;
    }
};

// The largest value seen, if any.
struct Maximum {
    double value = -std::numeric_limits<double>::infinity();
    bool seen = false;

    // True when `v` is a new maximum (the first of equal maxima wins).
    bool add(double v)
    {
        if (seen && !(v > value))
            return false;
        value = v;
        seen = true;
        return true;
    }
    std::optional<double> result() const { return seen ? std::optional<double>(value) : std::nullopt; }
};

// Any figure that came out not finite (a path of 1e308 mm) is not available.
void drop_non_finite(std::optional<double>* figure)
{
    if (figure->has_value() && !std::isfinite(**figure))
        figure->reset();
}

}  // namespace

namespace {

// What the clinical figures need of the single pass.
struct PassExtras {
    Vector3 farthest{0.0, 0.0, 0.0};  // d at the largest |d|
    bool any_incisal = false;
};

// The figures of the single pass and the opening movements: everything but
// the clinical figures.
EmgMeasures motion_figures(const EmgReport* report, const EmgExercise* exercise, PassExtras* extras)
{
    EmgMeasures m;
    // The samples that can be indexed, as the viewer counts them.
    const std::int32_t n = emg_sample_count(exercise);
    m.samples = n;
    if (n > 0 && report->frequency > 0.0 && std::isfinite(report->frequency)) {
        const double duration = (n - 1) / report->frequency;
        if (std::isfinite(duration))
            m.duration_s = duration;
    }
    if (n == 0)
        return m;

    const std::optional<Frame> frame = emg_anatomical_frame(report);
    const Vector3 incisal_rest = report->calibration_incisal;
    const EmgDataPoint* data = exercise->data.data();
    // The recorded angle when the file has one; else the jaw's own opening.
    const bool recorded_angle = report->has_rotation_data && !report->rotation_data_computed;

    Maximum distance_squared;
    Maximum opening;
    Maximum protrusion;
    Maximum right;
    Maximum left;
    double deviation_at_opening = 0.0;
    double largest_deviation_so_far = 0.0;  // signed, over the samples up to the current one
    double deviation_while_opening = 0.0;
    Maximum angle;
    Maximum rotation;
    CondyleScan left_condyle{report->calibration_left};
    CondyleScan right_condyle{report->calibration_right};
    bool any_whole_sample = false;

    for (std::int32_t i = 0; i < n; ++i) {
        const EmgDataPoint& sample = data[i];
        left_condyle.add(sample.left, i);
        right_condyle.add(sample.right, i);
        any_whole_sample = any_whole_sample || (finite(sample.left) && finite(sample.incisal) && finite(sample.right));

        if (frame) {
            // The largest opening is the lowest turned forward axis.
            const double sine = emg_jaw_opening_sine(&*frame, &sample);
            if (std::isfinite(sine) && rotation.add(-sine))
                m.clinical.max_opening_rotation_sample = i;
        }
        if (recorded_angle && std::isfinite(sample.open))
            angle.add(sample.open);

        const Vector3 d = minus(sample.incisal, incisal_rest);
        if (!finite(d))
            continue;
        if (distance_squared.add(dot(d, d)))
            extras->farthest = d;
        if (!frame)
            continue;
        const double forward = dot(d, frame->ant);
        const double upward = dot(d, frame->up);
        const double lateral = dot(d, frame->lat);
        if (protrusion.add(forward))
            m.max_protrusion_sample = i;
        if (right.add(lateral))
            m.max_laterotrusion_right_sample = i;
        if (left.add(-lateral))
            m.max_laterotrusion_left_sample = i;
        if (std::fabs(lateral) > std::fabs(largest_deviation_so_far))
            largest_deviation_so_far = lateral;
        if (opening.add(-upward)) {
            m.max_vertical_opening_sample = i;
            deviation_at_opening = lateral;
            deviation_while_opening = largest_deviation_so_far;
        }
    }

    extras->any_incisal = distance_squared.seen;
    if (distance_squared.seen)
        m.max_incisal_distance_mm = std::sqrt(distance_squared.value);
    m.max_vertical_opening_mm = opening.result();
    m.max_protrusion_mm = protrusion.result();
    m.max_laterotrusion_right_mm = right.result();
    m.max_laterotrusion_left_mm = left.result();
    if (opening.seen) {
        m.deviation_at_max_opening_mm = deviation_at_opening;
        m.max_deviation_while_opening_mm = deviation_while_opening;
    }
    if (rotation.seen)
        m.clinical.max_opening_rotation_deg = emg_jaw_opening_of_sine(-rotation.value);
    m.max_opening_angle_deg = recorded_angle ? angle.result() : m.clinical.max_opening_rotation_deg;
    // The phases the viewer draws solid while the jaw opens.
    if (any_whole_sample)
        m.opening_movements = emg_count_opening_movements(exercise);
    m.left = left_condyle.result(frame, 1.0);
    m.right = right_condyle.result(frame, -1.0);

    for (std::optional<double>* figure :
         {&m.max_incisal_distance_mm, &m.max_vertical_opening_mm, &m.max_protrusion_mm, &m.max_laterotrusion_right_mm,
          &m.max_laterotrusion_left_mm, &m.deviation_at_max_opening_mm, &m.max_deviation_while_opening_mm,
          &m.left.max_translation_mm, &m.right.max_translation_mm})
        drop_non_finite(figure);
    return m;
}

// =============================================================================
// [SECTION] The clinical figures of each type
// =============================================================================

constexpr double pattern_threshold_mm = 2.0;     // the midline band of the opening pattern
constexpr double chord_length_mm = 5.0;          // the condylar inclination's chord
constexpr double bennett_from_mm = 1.0;          // the Bennett line's forward range
constexpr double bennett_to_mm = 5.0;
constexpr double chewing_largest_mm = 25.0;      // chewing strokes stay below this
constexpr int chewing_fewest_strokes = 3;

// The type from the movement: the direction of the incisal point's farthest
// displacement; vertical movement repeated in small strokes is chewing.
EmgExerciseType type_from_movement(const EmgMeasures& m, const PassExtras& extras, const std::optional<Frame>& frame)
{
    if (!frame || !extras.any_incisal)
        return EmgExerciseType::other;
    const Vector3& d = extras.farthest;
    const double length = std::sqrt(dot(d, d));
    if (!(length >= 1.0))
        return EmgExerciseType::other;
    const double forward = dot(d, frame->ant);
    const double vertical = std::fabs(dot(d, frame->up));
    const double lateral = dot(d, frame->lat);
    if (vertical >= std::fabs(forward) && vertical >= std::fabs(lateral)) {
        const bool repeated = m.opening_movements && *m.opening_movements >= chewing_fewest_strokes;
        return repeated && length < chewing_largest_mm ? EmgExerciseType::chewing : EmgExerciseType::opening;
    }
    if (std::fabs(lateral) >= std::fabs(forward))
        return lateral > 0.0 ? EmgExerciseType::laterotrusion_right : EmgExerciseType::laterotrusion_left;
    return forward > 0.0 ? EmgExerciseType::protrusion : EmgExerciseType::other;
}

// The worst opening stroke's pattern. A stroke runs from the end of the
// previous closing phase (or the first sample) to the end of its own closing
// phase (or the last sample); its largest opening is its largest -d.up.
std::optional<EmgOpeningPattern> opening_pattern(const EmgReport& report, const EmgExercise& exercise,
                                                 const Frame& frame, std::int32_t n)
{
    std::vector<std::int32_t> phases;
    std::int32_t phases_number = 0;
    emg_analyze_open_close_movements(&phases, &phases_number, &exercise);
    std::vector<std::int32_t> starts{0};
    for (std::int32_t j = 1; j < phases_number; j += 2)
        starts.push_back(phases[static_cast<std::size_t>(j)]);

    std::optional<EmgOpeningPattern> worst;
    double worst_size = 0.0;
    const auto rank = [](EmgOpeningPattern p) { return p == EmgOpeningPattern::straight ? 0 : p == EmgOpeningPattern::deviation ? 1 : 2; };
    for (std::size_t k = 0; k < starts.size(); ++k) {
        const std::int32_t begin = starts[k];
        const std::int32_t end = k + 1 < starts.size() ? starts[k + 1] : n;
        // The stroke's largest opening, then the largest sideways excursion
        // on the way to it.
        std::int32_t top = -1;
        double deepest = -std::numeric_limits<double>::infinity();
        for (std::int32_t i = begin; i < end; ++i) {
            const Vector3 d = minus(exercise.data[static_cast<std::size_t>(i)].incisal, report.calibration_incisal);
            if (finite(d) && -dot(d, frame.up) > deepest) {
                deepest = -dot(d, frame.up);
                top = i;
            }
        }
        if (top < 0)
            continue;
        double widest = 0.0;
        for (std::int32_t i = begin; i <= top; ++i) {
            const Vector3 d = minus(exercise.data[static_cast<std::size_t>(i)].incisal, report.calibration_incisal);
            if (finite(d))
                widest = std::max(widest, std::fabs(dot(d, frame.lat)));
        }
        const double at_top =
            dot(minus(exercise.data[static_cast<std::size_t>(top)].incisal, report.calibration_incisal), frame.lat);
        EmgOpeningPattern pattern = EmgOpeningPattern::straight;
        double size = widest;
        if (std::fabs(at_top) >= pattern_threshold_mm) {
            pattern = at_top > 0.0 ? EmgOpeningPattern::deflection_right : EmgOpeningPattern::deflection_left;
            size = std::fabs(at_top);
        } else if (widest >= pattern_threshold_mm) {
            pattern = EmgOpeningPattern::deviation;
        }
        if (!worst || rank(pattern) > rank(*worst) || (rank(pattern) == rank(*worst) && size > worst_size)) {
            worst = pattern;
            worst_size = size;
        }
    }
    return worst;
}

// A condyle's path, as the clinical figures read it.
struct CondylePath {
    const EmgExercise* exercise;
    std::int32_t n;
    Vector3 rest;
    Vector3 (*point)(const EmgDataPoint&);
};

Vector3 left_point(const EmgDataPoint& s)
{
    return s.left;
}

Vector3 right_point(const EmgDataPoint& s)
{
    return s.right;
}

// The inclination of the chord to the first sample 5 mm away, and that sample.
std::optional<std::pair<double, std::int32_t>> condylar_inclination(const CondylePath& path,
                                                                   const EmgReferenceFrame& reference)
{
    for (std::int32_t i = 0; i < path.n; ++i) {
        const Vector3 d = minus(path.point(path.exercise->data[static_cast<std::size_t>(i)]), path.rest);
        if (!finite(d) || !(dot(d, d) >= chord_length_mm * chord_length_mm))
            continue;
        const double angle = std::atan2(-dot(d, reference.up), dot(d, reference.ant)) * degrees_per_radian;
        return std::pair(angle, i);
    }
    return std::nullopt;
}

// The Bennett line of the mediotrusive condyle: its angle and its shift at
// 0 mm forward, fitted on the way out to its farthest point.
std::optional<std::pair<double, double>> bennett_line(const CondylePath& path, const EmgReferenceFrame& reference,
                                                      double medial_sign)
{
    std::int32_t farthest = -1;
    double largest = -1.0;
    for (std::int32_t i = 0; i < path.n; ++i) {
        const Vector3 d = minus(path.point(path.exercise->data[static_cast<std::size_t>(i)]), path.rest);
        if (finite(d) && dot(d, d) > largest) {
            largest = dot(d, d);
            farthest = i;
        }
    }
    if (farthest < 0)
        return std::nullopt;
    // The way out: back from the farthest point to the last sample nearer
    // to the start than the range.
    std::int32_t begin = farthest;
    while (begin > 0) {
        const Vector3 d = minus(path.point(path.exercise->data[static_cast<std::size_t>(begin - 1)]), path.rest);
        if (finite(d) && dot(d, reference.ant) < bennett_from_mm)
            break;
        --begin;
    }
    double count = 0.0, sf = 0.0, sm = 0.0, sff = 0.0, sfm = 0.0;
    for (std::int32_t i = begin; i <= farthest; ++i) {
        const Vector3 d = minus(path.point(path.exercise->data[static_cast<std::size_t>(i)]), path.rest);
        const double f = dot(d, reference.ant);
        if (!finite(d) || f < bennett_from_mm || f > bennett_to_mm)
            continue;
        const double medial = medial_sign * dot(d, reference.lat);
        count += 1.0;
        sf += f;
        sm += medial;
        sff += f * f;
        sfm += f * medial;
    }
    const double spread = count * sff - sf * sf;
    // Fewer than two distinct forward values give no line.
    if (count < 2.0 || !(spread > 1e-9 * count * count))
        return std::nullopt;
    const double slope = (count * sfm - sf * sm) / spread;
    const double shift = (sm - slope * sf) / count;
    if (!std::isfinite(slope) || !std::isfinite(shift))
        return std::nullopt;
    return std::pair(std::atan(slope) * degrees_per_radian, shift);
}

EmgExerciseType exercise_type(const EmgExercise& exercise, const EmgMeasures& m, const PassExtras& extras,
                              const std::optional<Frame>& frame, bool* from_name)
{
    const std::optional<EmgExerciseType> named = emg_exercise_type_from_name(exercise.name);
    *from_name = named.has_value();
    return named ? *named : type_from_movement(m, extras, frame);
}

// Everything but the Fischer angle, which needs the report's protrusion.
EmgMeasures exercise_figures(const EmgReport* report, const EmgExercise* exercise, const EmgReferencePlane& plane)
{
    PassExtras extras;
    EmgMeasures m = motion_figures(report, exercise, &extras);
    EmgClinicalFigures& c = m.clinical;
    c.reference = plane;
    c.unreadable_values = exercise->unreadable_values;
    const std::optional<Frame> frame = emg_anatomical_frame(report);
    c.type = exercise_type(*exercise, m, extras, frame, &c.type_from_name);
    const std::optional<EmgReferenceFrame> reference = emg_reference_frame(report, plane);
    const std::int32_t n = m.samples;
    const CondylePath left{exercise, n, report->calibration_left, left_point};
    const CondylePath right{exercise, n, report->calibration_right, right_point};

    switch (c.type) {
    case EmgExerciseType::opening:
        if (frame && n > 0) {
            c.opening_pattern = opening_pattern(*report, *exercise, *frame, n);
            // The incisal point rises as the jaw opens.
            const Vector3& d = extras.farthest;
            c.axes_mirrored = extras.any_incisal && dot(d, frame->up) > 0.0 &&
                              dot(d, frame->up) >= std::fabs(dot(d, frame->ant)) && std::sqrt(dot(d, d)) >= 5.0;
        }
        break;
    case EmgExerciseType::protrusion:
        if (reference) {
            if (const auto chord = condylar_inclination(left, *reference))
                std::tie(c.condylar_inclination_left_deg, c.condylar_chord_left_sample) = *chord;
            if (const auto chord = condylar_inclination(right, *reference))
                std::tie(c.condylar_inclination_right_deg, c.condylar_chord_right_sample) = *chord;
        }
        break;
    case EmgExerciseType::laterotrusion_right:
    case EmgExerciseType::laterotrusion_left:
        if (reference) {
            // To the right, the left condyle is the mediotrusive one; its
            // medial direction is towards the right (+lat).
            const bool to_right = c.type == EmgExerciseType::laterotrusion_right;
            const CondylePath& mediotrusive = to_right ? left : right;
            if (const auto line = bennett_line(mediotrusive, *reference, to_right ? 1.0 : -1.0))
                std::tie(c.bennett_angle_deg, c.immediate_side_shift_mm) = *line;
            if (const auto chord = condylar_inclination(mediotrusive, *reference))
                std::tie(c.mediotrusive_inclination_deg, c.mediotrusive_chord_sample) = *chord;
        }
        break;
    case EmgExerciseType::chewing:
        c.chewing_cycles = m.opening_movements;
        if (m.opening_movements && m.duration_s && *m.duration_s > 0.0)
            c.chewing_rate_per_min = *m.opening_movements / *m.duration_s * 60.0;
        break;
    case EmgExerciseType::other:
        break;
    }
    return m;
}

// The Fischer angle of a laterotrusion from the protrusion's figures.
void add_fischer(EmgMeasures* m, const EmgMeasures& protrusion)
{
    EmgClinicalFigures& c = m->clinical;
    if (!c.mediotrusive_inclination_deg)
        return;
    const std::optional<double>& protrusive = c.type == EmgExerciseType::laterotrusion_right
                                                  ? protrusion.clinical.condylar_inclination_left_deg
                                                  : protrusion.clinical.condylar_inclination_right_deg;
    if (protrusive)
        c.fischer_angle_deg = *c.mediotrusive_inclination_deg - *protrusive;
}

bool is_laterotrusion(EmgExerciseType type)
{
    return type == EmgExerciseType::laterotrusion_right || type == EmgExerciseType::laterotrusion_left;
}

}  // namespace

void emg_measures_print_warnings(const EmgReport* report, const char* path)
{
    const std::string lines = emg_measures_warnings(report, path);
    std::fwrite(lines.data(), 1, lines.size(), stdout);
}

std::string emg_measures_warnings(const EmgReport* report, const char* path)
{
    std::string lines;
    if (report == nullptr)
        return lines;
    for (std::size_t e = 0; e < report->exercises.size(); ++e) {
        const EmgExercise& exercise = report->exercises[e];
        // Only openings can tell; their type is cheap to find by name.
        const std::optional<EmgExerciseType> named = emg_exercise_type_from_name(exercise.name);
        if (named && *named != EmgExerciseType::opening)
            continue;
        const EmgMeasures m = exercise_figures(report, &exercise, {});
        if (!m.clinical.axes_mirrored)
            continue;
        const char* format = "non-fatal error: exercise #%zu (%s) in file %s: the incisal point rises as the jaw "
                             "opens; the recording's axes look mirrored\n";
        const char* file = path != nullptr ? path : "";
        const int length = std::snprintf(nullptr, 0, format, e + 1, exercise.name.c_str(), file);
        if (length <= 0)
            continue;
        std::string line(static_cast<std::size_t>(length) + 1, '\0');
        std::snprintf(line.data(), line.size(), format, e + 1, exercise.name.c_str(), file);
        line.resize(static_cast<std::size_t>(length));
        lines += line;
    }
    return lines;
}

const char* emg_opening_pattern_name(EmgOpeningPattern pattern)
{
    switch (pattern) {
    case EmgOpeningPattern::straight:
        return "straight";
    case EmgOpeningPattern::deviation:
        return "deviation";
    case EmgOpeningPattern::deflection_right:
        return "deflection_right";
    case EmgOpeningPattern::deflection_left:
        break;
    }
    return "deflection_left";
}

EmgMeasures emg_measures_of_exercise(const EmgReport* report, const EmgExercise* exercise,
                                     const EmgReferencePlane& plane)
{
    if (report == nullptr || exercise == nullptr)
        return EmgMeasures{};
    EmgMeasures m = exercise_figures(report, exercise, plane);
    if (!is_laterotrusion(m.clinical.type) || !m.clinical.mediotrusive_inclination_deg)
        return m;
    // The report's first protrusion, by name first.
    for (const EmgExercise& other : report->exercises) {
        if (&other == exercise)
            continue;
        const EmgMeasures candidate = exercise_figures(report, &other, plane);
        if (candidate.clinical.type == EmgExerciseType::protrusion) {
            add_fischer(&m, candidate);
            break;
        }
    }
    return m;
}

std::vector<EmgMeasures> emg_measures_of_report(const EmgReport* report, const EmgReferencePlane& plane)
{
    std::vector<EmgMeasures> all;
    if (report == nullptr)
        return all;
    all.reserve(report->exercises.size());
    for (const EmgExercise& exercise : report->exercises)
        all.push_back(exercise_figures(report, &exercise, plane));
    const auto protrusion = std::find_if(all.begin(), all.end(), [](const EmgMeasures& m) {
        return m.clinical.type == EmgExerciseType::protrusion;
    });
    if (protrusion != all.end())
        for (EmgMeasures& m : all)
            if (is_laterotrusion(m.clinical.type))
                add_fischer(&m, *protrusion);
    return all;
}

// =============================================================================
// [SECTION] Numbers and CSV
// =============================================================================

std::string emg_measures_format(double value, int decimals)
{
    // Room for the 309 digits of the largest double and the decimals.
    char buffer[400];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (written.ec != std::errc())
        return std::string();
    std::string text(buffer, written.ptr);
    // "-0.00" for a value that rounds to zero reads as a direction.
    if (text.size() > 1 && text[0] == '-' && text.find_first_not_of("0.", 1) == std::string::npos)
        text.erase(0, 1);
    return text;
}

void emg_measures_csv_field(std::string* out, std::string_view text)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        out->append(text);
        return;
    }
    out->push_back('"');
    for (char c : text) {
        if (c == '"')
            out->push_back('"');
        out->push_back(c);
    }
    out->push_back('"');
}

namespace {

void csv_number(std::string* out, const std::optional<double>& value)
{
    out->push_back(',');
    if (value)
        out->append(emg_measures_format(*value, 4));
}

void csv_word(std::string* out, const char* word)
{
    out->push_back(',');
    out->append(word);
}

void csv_count(std::string* out, const std::optional<std::int32_t>& value)
{
    out->push_back(',');
    if (value)
        out->append(std::to_string(*value));
}

}  // namespace

void emg_measures_csv_header(std::string* out)
{
    out->append("report,exercise,name,samples,duration_s,max_incisal_distance_mm,max_vertical_opening_mm,"
                "max_protrusion_mm,max_laterotrusion_right_mm,max_laterotrusion_left_mm,"
                "deviation_at_max_opening_mm,max_deviation_while_opening_mm,max_opening_angle_deg,"
                "opening_movements,left_condyle_max_translation_mm,left_condyle_inclination_deg,"
                "left_condyle_bennett_deg,right_condyle_max_translation_mm,right_condyle_inclination_deg,"
                "right_condyle_bennett_deg,exercise_type,exercise_type_from,unreadable_values,"
                "max_opening_rotation_deg,opening_pattern,condylar_inclination_left_deg,"
                "condylar_inclination_right_deg,bennett_angle_deg,immediate_side_shift_mm,"
                "mediotrusive_inclination_deg,fischer_angle_deg,chewing_cycles,chewing_rate_per_min,"
                "reference_plane,reference_tilt_deg\r\n");
}

void emg_measures_csv_row(std::string* out, std::string_view report_name, std::int32_t number,
                          const EmgExercise& exercise, const EmgMeasures& m)
{
    emg_measures_csv_field(out, report_name);
    csv_count(out, number);
    out->push_back(',');
    emg_measures_csv_field(out, exercise.name);
    csv_count(out, m.samples);
    for (const std::optional<double>* figure :
         {&m.duration_s, &m.max_incisal_distance_mm, &m.max_vertical_opening_mm, &m.max_protrusion_mm,
          &m.max_laterotrusion_right_mm, &m.max_laterotrusion_left_mm, &m.deviation_at_max_opening_mm,
          &m.max_deviation_while_opening_mm, &m.max_opening_angle_deg})
        csv_number(out, *figure);
    csv_count(out, m.opening_movements);
    for (const EmgCondyleMeasures* condyle : {&m.left, &m.right}) {
        csv_number(out, condyle->max_translation_mm);
        csv_number(out, condyle->inclination_deg);
        csv_number(out, condyle->bennett_deg);
    }
    const EmgClinicalFigures& c = m.clinical;
    csv_word(out, emg_exercise_type_name(c.type));
    csv_word(out, c.type_from_name ? "name" : "movement");
    out->push_back(',');
    out->append(std::to_string(c.unreadable_values));
    csv_number(out, c.max_opening_rotation_deg);
    csv_word(out, c.opening_pattern ? emg_opening_pattern_name(*c.opening_pattern) : "");
    for (const std::optional<double>* figure :
         {&c.condylar_inclination_left_deg, &c.condylar_inclination_right_deg, &c.bennett_angle_deg,
          &c.immediate_side_shift_mm, &c.mediotrusive_inclination_deg, &c.fischer_angle_deg})
        csv_number(out, *figure);
    csv_count(out, c.chewing_cycles);
    csv_number(out, c.chewing_rate_per_min);
    csv_word(out, emg_reference_plane_name(c.reference.kind));
    csv_number(out, c.reference.tilt_deg);
}

void emg_measures_csv_rows(std::string* out, std::string_view report_name, const EmgReport* report,
                           const EmgReferencePlane& plane, std::int32_t only_exercise)
{
    if (report == nullptr)
        return;
    const std::vector<EmgMeasures> all = emg_measures_of_report(report, plane);
    const std::string name = text_encoding_to_utf8(report_name);
    for (std::size_t e = 0; e < report->exercises.size(); ++e) {
        if (only_exercise > 0 && e + 1 != static_cast<std::size_t>(only_exercise))
            continue;
        emg_measures_csv_row(out, name, static_cast<std::int32_t>(e + 1), report->exercises[e], all[e]);
        out->append("\r\n");
    }
}
