// A report made in memory from the report generator (tools/report_generator),
// as its file would hold it before rounding: for the benchmarks and tests
// that need a report of a given size or shape without reading a file.
#pragma once

#include <memory>

#include "report/emg_processing.hpp"
#include "tools/report_generator.hpp"

// Every exercise of `options` (its known movements when it names any), with
// all columns; `angles` and `emg` say whether the report carries the angle
// and EMG columns, as a file with or without them would.
inline std::unique_ptr<EmgReport> generated_report(const ReportGeneratorOptions& options, bool angles, bool emg)
{
    const auto vector_of = [](const GeneratedPoint& p) { return Vector3{p.x, p.y, p.z}; };
    auto report = std::make_unique<EmgReport>();
    report->frequency = options.frequency;
    const GeneratedSample rest = report_generator_calibration(options);
    report->calibration_left = vector_of(rest.left);
    report->calibration_incisal = vector_of(rest.incisal);
    report->calibration_right = vector_of(rest.right);
    const int count = options.known.empty() ? options.exercises : static_cast<int>(options.known.size());
    const std::int32_t n = report_generator_sample_count(options);
    for (int e = 0; e < count; ++e) {
        EmgExercise& exercise = report->exercises.emplace_back();
        exercise.name = options.known.empty() ? report_generator_exercise_name(e)
                                              : report_generator_known_name(options.known[static_cast<std::size_t>(e)]);
        exercise.data.reserve(static_cast<std::size_t>(n));
        for (std::int32_t k = 0; k < n; ++k) {
            const GeneratedSample s = report_generator_sample(options, e, k);
            exercise.data.push_back({vector_of(s.left), vector_of(s.incisal), vector_of(s.right), angles ? s.open : 0,
                                     angles ? s.lat_right : 0, angles ? s.clockwise : 0, emg ? s.channel1 : 0,
                                     emg ? s.channel2 : 0});
        }
    }
    report->exercises_number = count;
    report->has_rotation_data = angles;
    report->has_emg_data = emg;
    return report;
}
