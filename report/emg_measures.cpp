// Index of this file:
// [SECTION] The anatomical frame
// [SECTION] One pass over the samples
// [SECTION] Numbers and CSV
#include "report/emg_measures.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

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

struct Frame {
    Vector3 ant;
    Vector3 up;
    Vector3 lat;
};

std::optional<Frame> anatomical_frame(const EmgReport& report)
{
    const Vector3& l0 = report.calibration_left;
    const Vector3& i0 = report.calibration_incisal;
    const Vector3& r0 = report.calibration_right;
    if (!finite(l0) || !finite(i0) || !finite(r0))
        return std::nullopt;

    Frame frame;
    const Vector3 across = minus(r0, l0);
    const double across_length = std::sqrt(dot(across, across));
    if (!(across_length > 0.0) || !std::isfinite(across_length))
        return std::nullopt;
    frame.lat = {across.x / across_length, across.y / across_length, across.z / across_length};

    const Vector3 origin{(l0.x + r0.x) / 2.0, (l0.y + r0.y) / 2.0, (l0.z + r0.z) / 2.0};
    const Vector3 forward = minus(i0, origin);
    const double along = dot(forward, frame.lat);
    const Vector3 ant{forward.x - along * frame.lat.x, forward.y - along * frame.lat.y,
                      forward.z - along * frame.lat.z};
    const double ant_length = std::sqrt(dot(ant, ant));
    // The incisal point on the intercondylar line, up to rounding.
    if (!(ant_length > 1e-9 * std::sqrt(dot(forward, forward))) || !std::isfinite(ant_length))
        return std::nullopt;
    frame.ant = {ant.x / ant_length, ant.y / ant_length, ant.z / ant_length};

    const Vector3& a = frame.lat;
    const Vector3& b = frame.ant;
    frame.up = {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
    return frame;
}

// =============================================================================
// [SECTION] One pass over the samples
// =============================================================================

// A condyle's largest displacement so far.
struct CondyleScan {
    Vector3 rest;
    double largest_squared = -1.0;  // none yet
    Vector3 at_largest{0.0, 0.0, 0.0};

    void add(const Vector3& position)
    {
        const Vector3 d = minus(position, rest);
        if (!finite(d))
            return;
        const double squared = dot(d, d);
        if (squared > largest_squared) {
            largest_squared = squared;
            at_largest = d;
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

EmgMeasures emg_measures_of_exercise(const EmgReport* report, const EmgExercise* exercise)
{
    EmgMeasures m;
    if (report == nullptr || exercise == nullptr)
        return m;
    // The samples that can be indexed, as the viewer counts them.
    const std::int32_t n = static_cast<std::int32_t>(std::clamp<std::int64_t>(
        exercise->data_length, 0, static_cast<std::int64_t>(exercise->data.size())));
    m.samples = n;
    if (n > 0 && report->frequency > 0.0 && std::isfinite(report->frequency)
        && std::isfinite((n - 1) / report->frequency))
        m.duration_s = (n - 1) / report->frequency;
    if (n == 0)
        return m;

    const std::optional<Frame> frame = anatomical_frame(*report);
    const Vector3 incisal_rest = report->calibration_incisal;
    const EmgDataPoint* data = exercise->data.data();
    const std::optional<EmgOpeningReference> reference =
        report->has_rotation_data ? std::nullopt : std::optional(emg_opening_reference(&data[0]));

    Maximum distance_squared;
    Maximum opening;
    Maximum protrusion;
    Maximum right;
    Maximum left;
    double deviation_at_opening = 0.0;
    double largest_deviation_so_far = 0.0;  // signed, over the samples up to the current one
    double deviation_while_opening = 0.0;
    Maximum angle;
    CondyleScan left_condyle{report->calibration_left};
    CondyleScan right_condyle{report->calibration_right};
    bool any_whole_sample = false;

    for (std::int32_t i = 0; i < n; ++i) {
        const EmgDataPoint& sample = data[i];
        left_condyle.add(sample.left);
        right_condyle.add(sample.right);
        any_whole_sample = any_whole_sample || (finite(sample.left) && finite(sample.incisal) && finite(sample.right));

        const double open = reference ? emg_opening_angle(&*reference, &sample) : sample.open;
        if (std::isfinite(open))
            angle.add(open);

        const Vector3 d = minus(sample.incisal, incisal_rest);
        if (!finite(d))
            continue;
        distance_squared.add(dot(d, d));
        if (!frame)
            continue;
        const double forward = dot(d, frame->ant);
        const double upward = dot(d, frame->up);
        const double lateral = dot(d, frame->lat);
        protrusion.add(forward);
        right.add(lateral);
        left.add(-lateral);
        if (std::fabs(lateral) > std::fabs(largest_deviation_so_far))
            largest_deviation_so_far = lateral;
        if (opening.add(-upward)) {
            m.max_vertical_opening_sample = i;
            deviation_at_opening = lateral;
            deviation_while_opening = largest_deviation_so_far;
        }
    }

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
    m.max_opening_angle_deg = angle.result();
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

std::vector<EmgMeasures> emg_measures_of_report(const EmgReport* report)
{
    std::vector<EmgMeasures> all;
    if (report == nullptr)
        return all;
    all.reserve(report->exercises.size());
    for (const EmgExercise& exercise : report->exercises)
        all.push_back(emg_measures_of_exercise(report, &exercise));
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

namespace {

void csv_field(std::string* out, std::string_view text)
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

void csv_number(std::string* out, const std::optional<double>& value)
{
    out->push_back(',');
    if (value)
        out->append(emg_measures_format(*value, 4));
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
                "right_condyle_bennett_deg\r\n");
}

void emg_measures_csv_rows(std::string* out, std::string_view report_name, const EmgReport* report,
                           std::int32_t only_exercise)
{
    if (report == nullptr)
        return;
    for (std::size_t e = 0; e < report->exercises.size(); ++e) {
        if (only_exercise > 0 && e + 1 != static_cast<std::size_t>(only_exercise))
            continue;
        const EmgExercise& exercise = report->exercises[e];
        const EmgMeasures m = emg_measures_of_exercise(report, &exercise);
        csv_field(out, report_name);
        csv_count(out, static_cast<std::int32_t>(e + 1));
        out->push_back(',');
        csv_field(out, exercise.name);
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
        out->append("\r\n");
    }
}
