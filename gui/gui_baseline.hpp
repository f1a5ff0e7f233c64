// The baseline: a second report, an earlier recording of the same patient,
// that the open report is compared with. "As baseline" on the "File /
// Exercise" page reads the report the path field names (the command line's
// --baseline does the same at start); the report stays open. The baseline
// is brought into the open report's space (emg_comparison_baseline) each
// time a report is loaded, on a worker thread as the reading is, and its
// exercise paired with the selected one (by
// type, then number; a click on the button beside "Exercises" takes the
// baseline's next exercise, then none). The 3D view and the tracing sheet
// draw it in muted colours under the report; the "Compare" switch of the
// "Measures" page shows the figures of both with their changes.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "report/emg_comparison.hpp"

struct GuiState;
struct Interactable;

// Reads the baseline in the background (a short reading ends in the pass
// that asks for it, taken by its gui_baseline_update); a report that cannot
// be read leaves the one there was and the window says why.
void gui_baseline_load(const char* path);
// A report's load brings the baseline there was at its start (`read`) into
// the new report's space on its worker: taken here once the report is in
// place, when it is still the baseline.
void gui_baseline_take_load(GuiState* state, const std::shared_ptr<const EmgReport>& read,
                            EmgComparedBaseline compared);
// Once per pass, before drawing: aligns the baseline with a newly loaded
// report, pairs its exercise with a newly selected one, and shows the
// controls of the pages that show.
void gui_baseline_update(GuiState* state);
// The baseline's sample at the playback's time, -1 without a baseline
// exercise.
std::int32_t gui_baseline_sample(const GuiState* state);
// The controls kept outside the panel's list: "As baseline", the baseline's
// exercise and "Compare", for the main loop's dispatch and drawing.
void gui_baseline_widgets(GuiState* state, std::vector<Interactable*>* out);
// Before a mouse button's press goes to the widgets: keeps the path field's
// text while it is being edited, since the press ends the editing and "As
// baseline", pressed then, reads what was typed.
void gui_baseline_note_press(GuiState* state);
// Whether the "Compare" switch is on with its page.
bool gui_compare_shown(const GuiState* state);
