// Checked access to the loaded report for the GUI code. With
// gui_selected_exercise (gui.hpp), every place that reaches into the report
// goes through here, so an index that does not fit the report (no report, a
// report without exercises) is never used.
#pragma once

#include <cstdint>

#include "gui/gui.hpp"

// Exercises of the report that can be indexed: the smaller of the stored
// count and the array's size; 0 without a report.
std::int32_t gui_report_exercise_count(const EmgReport* report);

// Samples of an exercise; 0 for null.
std::int32_t gui_exercise_sample_count(const EmgExercise* exercise);

// Drops every array derived from an exercise and zeroes their counts: the
// scene of a report that has nothing to show.
void gui_release_derived_arrays(GuiState* state);
