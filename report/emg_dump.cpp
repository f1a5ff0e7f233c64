// The dump of a report on the console.

#include "report/emg_processing.hpp"

#include <algorithm>
#include <cstdio>

//-----------------------------------------------------------------------------
// [SECTION] Report dump
//-----------------------------------------------------------------------------

void emg_print(const EmgReport* report)
{
    if (report == nullptr)
        return;
    std::printf("\n");
    std::printf("EMG REPORT AT: %p\n", static_cast<const void*>(report));
    std::printf("\n");
    std::printf("frequency: %lf\n", report->frequency);
    const Vector3& l = report->calibration_left;
    const Vector3& c = report->calibration_incisal;
    const Vector3& r = report->calibration_right;
    std::printf("calibration left:    %10.4lf %10.4lf %10.4lf\n", l.x, l.y, l.z);
    std::printf("calibration incisal: %10.4lf %10.4lf %10.4lf\n", c.x, c.y, c.z);
    std::printf("calibration right:   %10.4lf %10.4lf %10.4lf\n", r.x, r.y, r.z);
    std::printf("EMG EXERCISE AT: %p\n", static_cast<const void*>(report->exercises.data()));
    std::printf("exercises_number: %d\n", report->exercises_number);
    std::printf("\n");

    const std::int32_t exercises = static_cast<std::int32_t>(
        std::clamp<std::int64_t>(report->exercises_number, 0, static_cast<std::int64_t>(report->exercises.size())));
    for (std::int32_t i = 0; i < exercises; ++i) {
        const EmgExercise& exercise = report->exercises[static_cast<std::size_t>(i)];
        std::printf("exercise[%d]: name: %s\n", i, exercise.name.c_str());
        std::printf("exercise[%d]: length: %lf\n", i, exercise.length);
        std::printf("exercise[%d]: data_length: %d\n", i, emg_sample_count(&exercise));
        std::printf("exercise[%d]: DATA AT: %p\n", i, static_cast<const void*>(exercise.data.data()));
        const std::int32_t shown = std::min(emg_sample_count(&exercise), std::int32_t{6});
        for (std::int32_t j = 0; j < shown; ++j) {
            const EmgDataPoint& s = exercise.data[static_cast<std::size_t>(j)];
            std::printf("exercise[%d]: data[%d]: left:    %10.4lf %10.4lf %10.4lf\n", i, j, s.left.x, s.left.y,
                        s.left.z);
            std::printf("exercise[%d]: data[%d]: incisal: %10.4lf %10.4lf %10.4lf\n", i, j, s.incisal.x,
                        s.incisal.y, s.incisal.z);
            std::printf("exercise[%d]: data[%d]: right:   %10.4lf %10.4lf %10.4lf\n", i, j, s.right.x, s.right.y,
                        s.right.z);
        }
        std::printf("...\n");
        std::printf("\n");
    }
}
