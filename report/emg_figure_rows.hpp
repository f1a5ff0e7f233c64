// The figures of an exercise as they are shown, rounded as the pages round
// them: the "Measures" page's figures, and the clinical figures as rows with
// the norm that judges each. The pages and the summary document show the
// same texts in the same order.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "report/emg_measures.hpp"
#include "report/emg_norms.hpp"

struct EmgClinicalRow {
    const char* name;
    std::string value;
    std::optional<EmgNormFigure> norm;
    std::optional<double> checked;  // the value the norm judges
    std::optional<std::int32_t> sample;
};

// The "Measures" page's figures in its order: samples, duration, the
// incisal figures, the opening angle and movements, then the condyles'
// translation, inclination and Bennett angle, left before right; `missing`
// stands where a figure is not available.
struct EmgFigureText {
    const char* name;
    std::string value;
};
std::vector<EmgFigureText> emg_measures_texts(const EmgMeasures& measures, const char* missing);

// The clinical rows: ("not available" where a figure cannot be had) the rows of an exercise's type, then the rotation and the condyles'
// translations that every type shows.
std::vector<EmgClinicalRow> emg_clinical_rows(const EmgMeasures& measures);

// True when the row has a value and a norm it lies outside of.
bool emg_clinical_row_outside(const EmgClinicalRow& row);

// The warnings about the data of an exercise: mirrored axes, unreadable
// values, no usable sampling frequency.
std::vector<std::string> emg_clinical_warnings(const EmgMeasures& measures);
