// The open/close analysis of an exercise and the opening angle of its samples.

#include "report/emg_processing.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <utility>

//-----------------------------------------------------------------------------
// [SECTION] Motion analysis
//-----------------------------------------------------------------------------

namespace {

Vector3 emg_centroid(const EmgDataPoint* s)
{
    return {(s->left.x + s->incisal.x + s->right.x) / 3.0, (s->left.y + s->incisal.y + s->right.y) / 3.0,
            (s->left.z + s->incisal.z + s->right.z) / 3.0};
}

// The distance of a sample's centroid from the centroid `to`: the scans below
// take the first sample's centroid once rather than once per sample.
inline double emg_centroid_distance(const EmgDataPoint* a, const Vector3& to)
{
    const Vector3 ca = emg_centroid(a);
    const double dx = ca.x - to.x;
    const double dy = ca.y - to.y;
    const double dz = ca.z - to.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

inline bool emg_is_whole(const EmgDataPoint& s)
{
    return std::isfinite(s.left.x) && std::isfinite(s.left.y) && std::isfinite(s.left.z) &&
           std::isfinite(s.incisal.x) && std::isfinite(s.incisal.y) && std::isfinite(s.incisal.z) &&
           std::isfinite(s.right.x) && std::isfinite(s.right.y) && std::isfinite(s.right.z);
}

// The phases are measured from the first sample whose centroid is finite;
// samples whose distance from it is not finite (a coordinate that is NaN or
// infinite) are missing: they never cross a threshold and are never the
// farthest or nearest sample of a phase.
struct EmgPhaseThresholds {
    Vector3 first;  // the centroid distances are measured from
    double open;    // a phase opens above this distance from it
    double close;   // and closes below this one
};

// The thresholds are parts of the distance of the farthest sample. False
// when no sample has a finite centroid.
bool emg_phase_thresholds(const EmgDataPoint* data, std::int32_t n, EmgPhaseThresholds* thresholds)
{
    std::int32_t reference = 0;
    Vector3 first = emg_centroid(&data[0]);
    while (!(std::isfinite(first.x) && std::isfinite(first.y) && std::isfinite(first.z))) {
        if (++reference == n)
            return false;
        first = emg_centroid(&data[reference]);
    }
    double far_distance = 0.0;
    for (std::int32_t i = reference + 1; i < n; ++i) {
        const double d = emg_centroid_distance(&data[i], first);
        if (d > far_distance && std::isfinite(d))
            far_distance = d;
    }
    // The single-precision 0.3 and 0.2, used in double arithmetic.
    *thresholds = {first, far_distance * 0.30000001192092896, far_distance * 0.20000000298023224};
    return true;
}

// The phase scan with hysteresis: a crossing above the open threshold starts
// an opening phase, one below the close threshold a closing phase. Counts the
// crossings and stores them when `crossings` is not null.
std::int32_t emg_scan_crossings(const EmgDataPoint* data, std::int32_t n, const EmgPhaseThresholds& thresholds,
                                std::int32_t* crossings)
{
    const Vector3 first = thresholds.first;
    const double open_threshold = thresholds.open;
    const double close_threshold = thresholds.close;
    bool open = false;
    std::int32_t k = 0;
    for (std::int32_t i = 0; i < n; ++i) {
        const double d = emg_centroid_distance(&data[i], first);
        const bool crossed = open ? close_threshold > d : d > open_threshold;
        if (!crossed || !std::isfinite(d))
            continue;
        open = !open;
        if (crossings != nullptr)
            crossings[k] = i;
        ++k;
    }
    return k;
}

}  // namespace

std::int32_t emg_sample_count(const EmgExercise* exercise)
{
    const std::size_t stored = exercise->data.size();
    return static_cast<std::int32_t>(std::min<std::size_t>(stored, std::numeric_limits<std::int32_t>::max()));
}

double emg_point_distance(const EmgDataPoint* a, const EmgDataPoint* b)
{
    return emg_centroid_distance(a, emg_centroid(b));
}

int emg_analyze_open_close_movements(std::vector<std::int32_t>* movements, std::int32_t* movements_number,
                                     const EmgExercise* exercise)
{
    if (movements == nullptr || movements_number == nullptr || exercise == nullptr) {
        std::printf("u ohh!\n");
        return 1;
    }
    const std::int32_t n = emg_sample_count(exercise);
    if (n <= 0) {
        movements->clear();
        *movements_number = 0;
        return 0;
    }
    const EmgDataPoint* data = exercise->data.data();

    EmgPhaseThresholds thresholds;
    if (!emg_phase_thresholds(data, n, &thresholds)) {
        movements->clear();
        *movements_number = 0;
        return 0;
    }
    const std::int32_t k = emg_scan_crossings(data, n, thresholds, nullptr);
    std::vector<std::int32_t> crossings(static_cast<std::size_t>(k));
    emg_scan_crossings(data, n, thresholds, crossings.data());

    // Each phase runs to the next crossing; an opening phase is represented by
    // its farthest sample, a closing phase by its nearest, the earliest on ties.
    const Vector3 first = thresholds.first;
    for (std::int32_t j = 0; j < k; ++j) {
        const std::int32_t start = crossings[static_cast<std::size_t>(j)];
        const std::int32_t end = j + 1 < k ? crossings[static_cast<std::size_t>(j + 1)] : n;
        const bool opening = j % 2 == 0;
        std::int32_t best = start;
        double best_distance = emg_centroid_distance(&data[start], first);
        for (std::int32_t i = start; i < end; ++i) {
            const double d = emg_centroid_distance(&data[i], first);
            if ((opening ? d > best_distance : d < best_distance) && std::isfinite(d)) {
                best = i;
                best_distance = d;
            }
        }
        crossings[static_cast<std::size_t>(j)] = best;
    }
    *movements = std::move(crossings);
    *movements_number = k;
    return 0;
}

const EmgDataPoint* emg_reference_sample(const EmgExercise* exercise)
{
    const std::int32_t n = exercise != nullptr ? emg_sample_count(exercise) : 0;
    for (std::int32_t i = 0; i < n; ++i)
        if (emg_is_whole(exercise->data[static_cast<std::size_t>(i)]))
            return &exercise->data[static_cast<std::size_t>(i)];
    return nullptr;
}

EmgOpeningReference emg_opening_reference(const EmgDataPoint* first)
{
    EmgOpeningReference reference;
    if (first == nullptr) {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        reference.a0 = reference.axis0 = Vector3{nan, nan, nan};
        return reference;
    }
    Vector3 b0;
    algebra_vector_vector_sub(&reference.a0, &first->right, &first->left);
    algebra_vector_vector_sub(&b0, &first->right, &first->incisal);
    Matrix3 basis0;
    algebra_orthonormal_basis_from_plane(&basis0, &reference.a0, &b0);
    reference.axis0 = Vector3{basis0.m[3], basis0.m[4], basis0.m[5]};
    return reference;
}

double emg_opening_angle(const EmgOpeningReference* reference, const EmgDataPoint* sample)
{
    Vector3 a;
    Vector3 b;
    algebra_vector_vector_sub(&a, &sample->right, &sample->left);
    algebra_vector_vector_sub(&b, &sample->right, &sample->incisal);
    Matrix3 basis;
    algebra_orthonormal_basis_from_plane(&basis, &a, &b);
    const Vector3 axis{basis.m[3], basis.m[4], basis.m[5]};
    double angle = algebra_vector_vector_angle(&reference->axis0, &axis);
    // A turn in the right-handed sense about the first sample's
    // left-to-right direction counts negative.
    Vector3 turn;
    algebra_vector_vector_cross(&turn, &reference->axis0, &axis);
    if (algebra_vector_vector_dot(&turn, &reference->a0) > 0)
        angle = -angle;
    // Degrees per radian as the single-precision 57.295826.
    return angle * 57.29582595825195;
}

std::int32_t emg_count_opening_movements(const EmgExercise* exercise)
{
    const std::int32_t n = exercise != nullptr ? emg_sample_count(exercise) : 0;
    if (n <= 0)
        return 0;
    EmgPhaseThresholds thresholds;
    if (!emg_phase_thresholds(exercise->data.data(), n, &thresholds))
        return 0;
    // Opening phases sit at the even positions of the crossings.
    return (emg_scan_crossings(exercise->data.data(), n, thresholds, nullptr) + 1) / 2;
}

int emg_compute_rotation_data(EmgReport* report)
{
    if (report == nullptr)
        return 1;
    for (EmgExercise& exercise : report->exercises) {
        const std::int32_t n = emg_sample_count(&exercise);
        const EmgOpeningReference reference = emg_opening_reference(emg_reference_sample(&exercise));
        for (std::int32_t i = 0; i < n; ++i) {
            EmgDataPoint& sample = exercise.data[static_cast<std::size_t>(i)];
            sample.open = emg_is_whole(sample) ? emg_opening_angle(&reference, &sample)
                                               : std::numeric_limits<double>::quiet_NaN();
        }
    }
    report->has_rotation_data = true;
    report->rotation_data_computed = true;
    return 0;
}
