// The comparison sheet: the figures of an exercise against those of its
// baseline (an earlier recording of the same patient, brought into the
// report's space by emg_comparison_aligned) with their changes, and the
// report's two laterotrusions side by side, left against right, with their
// difference (and the baseline's, when there is one). One page of tables,
// described once for the window and the summary document alike. Nothing
// here touches SDL, OpenGL, SVG or Cairo.
#pragma once

#include <cstdint>
#include <string>

#include "picture/picture.hpp"
#include "report/emg_comparison.hpp"

struct ComparisonSheetInput {
    const EmgReport* report = nullptr;
    std::string report_name;
    std::int32_t exercise = -1;  // 0-based
    const EmgReport* baseline = nullptr;  // in the report's space; null without one
    std::string baseline_name;
    std::int32_t baseline_exercise = -1;  // 0-based, -1 when none is paired
    EmgReferencePlane plane;
};

// The sheet for a page of width x height units: a title naming both
// recordings and exercises, then the table of figures (name, now, baseline,
// change; the figures neither recording has are left out, "not available"
// where one lacks it), then left against right. Without a baseline the
// baseline's columns are left out.
Picture comparison_picture_build(const ComparisonSheetInput& input, double width, double height);
