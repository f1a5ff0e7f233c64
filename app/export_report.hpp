// One report of the batch export, inside a worker process.
//
// The pictures come from the viewer itself: the GUI state and every widget
// are made by the viewer's own start-up code, the report is loaded as the
// command line loads it, and the preset, the exercise and the sample are
// chosen through the same calls their controls make. So the SVG is the
// file the Screenshot button writes for the same scene, and the BMP and PNG
// are the viewer's own frame (the scene drawing, the inspection switched
// off as during a drag, the panel over it) read back like the BMP
// screenshot.
//
// SVG, chart, CSV and the summary need no OpenGL: without BMP or PNG the widgets are
// made without a window, for their state only. BMP and PNG draw into a
// hidden window, or through SDL's offscreen driver when there is no display.
#pragma once

#include <cstdint>
#include <string>

#include "app/batch_export.hpp"
#include "app/zelto.hpp"

struct EmgReport;
struct EmgExercise;

// The viewer of a worker, made when the first report needs it and kept for
// the next ones.
struct ExportViewer {
    ZeltoLoop loop;
    bool started = false;
    bool drawing = false;  // with a window and an OpenGL context
};

// Writes the files of one report into the options' directory, under the
// given stem. Fatal failures of SDL end the process, as in the viewer. With
// a `baseline` (the report of options.baseline, as loaded), the files
// compare the report with it, brought into the report's space; when it
// cannot be, a line says so and the files are written without comparison.
ExportReportResult export_report_write(ExportViewer* viewer, const ExportOptions& options, const std::string& path,
                                       const std::string& stem, const EmgReport* baseline = nullptr);

// Releases the viewer and stops SDL_ttf and SDL.
void export_report_close(ExportViewer* viewer);

// The sample of an exercise that --sample chooses (from 0): a number past
// the end gives the last sample; max-opening the first sample of the largest
// vertical opening, or the last sample when the report's calibration gives
// no frame to measure it in.
std::int32_t export_report_sample_index(const ExportSample& sample, const EmgReport& report,
                                        const EmgExercise& exercise);
