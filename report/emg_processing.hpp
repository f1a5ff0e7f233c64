// Reports: the jaw-tracking recordings Zelto opens.
//
// A report is a tab-separated text export: a list of exercises, the sampling
// frequency, a calibration of the three tracked points and, per exercise, a
// block of samples with the 3D positions of the left condyle, the incisal
// point and the right condyle (mm), optionally three angles and two EMG
// channels. `emg_extract_3d` reads one, printing a console line for every
// problem it meets; the other functions analyse a loaded report.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "geometry/vector_algebra.hpp"

// One sample. The record order (left, incisal, right) differs from the
// file's column order (right, left, incisal).
struct EmgDataPoint {
    Vector3 left;       // mm
    Vector3 incisal;    // mm ("Incisal" or "Infraorbital" columns)
    Vector3 right;      // mm
    double open;        // degrees; computed after loading when the file has no angles
    double lat_right;   // degrees
    double clockwise;   // degrees
    double channel1;    // mV
    double channel2;    // mV
};

struct EmgExercise {
    std::string name;                // 1 to 126 characters, no tab; UTF-8 (see emg_extract_3d)
    double length = 0.0;             // fourth field of the list entry, as read
    std::vector<EmgDataPoint> data;  // samples in file order
    // Sample values that could not be read whole; each is held as NaN.
    std::int64_t unreadable_values = 0;
};

struct EmgReport {
    double frequency = -1.0;  // Hz
    Vector3 calibration_left{-1.0, -1.0, -1.0};
    Vector3 calibration_incisal{-1.0, -1.0, -1.0};
    Vector3 calibration_right{-1.0, -1.0, -1.0};
    std::vector<EmgExercise> exercises;  // in the order of the exercise list
    std::int32_t exercises_number = 0;   // == exercises.size(), 0 to 1000
    bool has_rotation_data = false;      // samples carry open, lat_right, clockwise
    bool has_emg_data = false;           // samples carry channel1, channel2
    bool rotation_data_computed = false;  // `open` filled by emg_compute_rotation_data, not read
};

// Reads the report at `path`. On success stores it in *report and returns 0;
// on failure prints why, leaves *report untouched and returns 1.
// A report is UTF-8, with or without a byte order mark; exercise names that
// are not UTF-8 are read as Windows-1252 and kept as UTF-8. UTF-16 and
// UTF-32 (with a byte order mark or with NUL bytes all over the first lines)
// are refused with one message.
int emg_extract_3d(std::unique_ptr<EmgReport>* report, const char* path);

// Releases a report (null is fine).
void emg_free(std::unique_ptr<EmgReport> report);

// The number of samples of an exercise, as the 32-bit counts of the program
// take it (a report never holds more). Every reader of the samples counts
// them with this.
std::int32_t emg_sample_count(const EmgExercise* exercise);

// Distance between the centroids of the three tracked points of a and b.
double emg_point_distance(const EmgDataPoint* a, const EmgDataPoint* b);

// Splits an exercise into alternating opening and closing phases; stores, per
// phase, the sample farthest from (opening, even positions) or nearest to
// (closing, odd positions) the first sample. Samples whose centroid is not
// finite are missing: the first sample with a finite centroid is the
// reference, and the others never cross or count as farthest or nearest, so
// they never change the split of the rest. Returns 1 after printing
// "u ohh!" when an argument is null, 0 otherwise.
int emg_analyze_open_close_movements(std::vector<std::int32_t>* movements, std::int32_t* movements_number,
                                     const EmgExercise* exercise);

// How many opening phases emg_analyze_open_close_movements finds (its even
// positions), without storing them; 0 for null.
std::int32_t emg_count_opening_movements(const EmgExercise* exercise);

// The first sample of an exercise whose three points are finite, or null
// when there is none. Samples with a coordinate that is NaN (unreadable) or
// infinite are missing wherever the motion is measured.
const EmgDataPoint* emg_reference_sample(const EmgExercise* exercise);

// The reference sample's frame, against which the opening angle of every
// sample of an exercise is measured (NaN for a null sample).
struct EmgOpeningReference {
    Vector3 a0;     // left to right condyle of the first sample
    Vector3 axis0;  // second row of the first sample's frame
};
EmgOpeningReference emg_opening_reference(const EmgDataPoint* first);
// The opening angle of a sample in degrees, as emg_compute_rotation_data
// stores it: positive when the jaw has opened since the first sample.
double emg_opening_angle(const EmgOpeningReference* reference, const EmgDataPoint* sample);

// Fills `open` of every sample with the jaw's opening angle in degrees
// relative to the exercise's reference sample (emg_reference_sample), NaN
// for a sample with a point that is not finite, and sets has_rotation_data.
int emg_compute_rotation_data(EmgReport* report);

// Dumps a report on the console, for diagnosis.
void emg_print(const EmgReport* report);
