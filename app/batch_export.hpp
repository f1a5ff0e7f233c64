// The command line's batch work: `zelto --export DIR ... REPORT...` writes
// the pictures, charts and measures of many reports without a window, and
// `zelto --measures REPORT...` writes the measures as CSV on standard output.
//
// The export runs in worker processes, forked before SDL is started (the
// program has one global GUI state, so one process handles one report at a
// time). The parent hands out reports one by one, gathers every result and
// prints progress, the measures and the summary in the order of the reports,
// so nothing that is written depends on the number of workers. Every file
// name is decided before the first report is read: the stems of the reports
// are made distinct up front, and a file name always ends in
// `_<exercise number>_<safe exercise name>.<extension>`, with no `_` or `.`
// in the safe name, so two reports never write the same file.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "gui/gui_serialization.hpp"
#include "report/emg_kinematics.hpp"

// What --format asks for.
struct ExportFormats {
    bool svg = false;    // the SVG screenshot
    bool bmp = false;    // the 3D view as the BMP screenshot draws it
    bool png = false;    // the same picture as PNG
    bool chart = false;  // the chart of the exercise
    bool tracings = false;  // the tracing sheet with the exercise chosen
    bool csv = false;    // one measures.csv for all reports
    bool pdf = false;    // the summary document of each report

    bool needs_state() const { return svg || bmp || png || pdf; }
    bool needs_drawing() const { return bmp || png; }
};

// The current sample of the pictures (--sample).
enum class ExportSampleKind { first, last, max_opening, number };
struct ExportSample {
    ExportSampleKind kind = ExportSampleKind::last;
    std::int64_t number = 0;  // from 1, for ExportSampleKind::number
};

struct ExportOptions {
    std::string directory;
    ExportFormats formats;
    // A preset applied after loading; none keeps the view the viewer shows
    // after loading (built-in preset 1).
    std::optional<GuiPreset> preset;
    std::optional<int> builtin_preset;  // 0 to 6, applied as its button does
    int exercise = 0;                   // from 1; 0 for every exercise
    ExportSample sample;
    int size = 750;  // side of the 3D view, one of the viewer's six
    std::int32_t svg_background = 0;       // 0 none, 1 black, 2 white
    std::int32_t svg_color_override = 1;   // 0 own colours, 1 black, 2 white
    double svg_line_width = 100.0;         // percent, at least 1
    int jobs = 0;                          // worker processes; 0: one per core
    EmgReferencePlane reference;           // of the condylar angles in measures.csv
    bool csv_bom = false;                  // measures.csv starts with UTF-8's byte order mark
    int worker_timeout_s = 600;            // a worker silent this long on one report is stopped
    std::string baseline;                  // the report compared with (--baseline); empty for none
    std::vector<std::string> reports;
};

// The result of one report, as a worker sends it to the parent.
struct ExportReportResult {
    bool ok = false;
    std::int32_t exercises = 0;  // exported
    std::int32_t files = 0;      // written
    std::string failure;         // why not, when not ok
    std::string messages;        // what the program printed meanwhile (the parser's messages)
    std::string csv_rows;        // its rows of measures.csv
};

// ---------------------------------------------------------------------------
// File names
// ---------------------------------------------------------------------------

// An exercise name made safe for a file name: ASCII letters, digits and
// whole UTF-8 characters beyond ASCII are kept, every run of anything else
// becomes one "-", none at either end; at most 64 bytes; "exercise" when
// nothing is left.
std::string batch_export_safe_name(std::string_view name);

// The stems of the reports' file names, in their order: each report's file
// name without its extension, and, for a stem already taken by an earlier
// report (the same name in another folder), the first "-2", "-3"... that no
// report has. With charts, a stem is also taken when its "chart_" form is,
// with tracings when its "tracings_" form is.
std::vector<std::string> batch_export_stems(const std::vector<std::string>& reports, bool charts,
                                            bool tracings = false);

// "<stem>_<exercise number>_<safe name>.<extension>".
std::string batch_export_file_name(std::string_view stem, int exercise_number, std::string_view exercise_name,
                                   std::string_view extension);

// ---------------------------------------------------------------------------
// Running
// ---------------------------------------------------------------------------

// The whole export; returns the exit status: 0 when every report was
// exported, 1 when one failed, the directory cannot be made or the baseline
// cannot be loaded (then nothing is exported), 130 or 143 after SIGINT or
// SIGTERM (the reports done are in measures.csv).
int batch_export_run(const ExportOptions& options);

// The measures of every exercise of the reports as CSV on standard output,
// after UTF-8's byte order mark when `csv_bom`; every message goes to
// standard error. With a `baseline`, the table of emg_comparison_csv_rows,
// each report compared with the baseline brought into its space. Returns 0,
// or 1 when a report could not be loaded (its rows are missing) or the
// baseline could not (no table at all).
int batch_export_measures(const std::vector<std::string>& reports, const EmgReferencePlane& reference = {},
                          bool csv_bom = false, const std::string& baseline = {});

// The baseline of --baseline, read as the reports of the run are (with the
// opening angles computed when `rotation` and the file has none); none,
// with a line on standard error saying so, when it cannot be loaded.
std::unique_ptr<EmgReport> batch_export_load_baseline(const std::string& path, bool rotation);

// What is said of a report that the baseline cannot be brought into the
// space of (emg_comparison_aligned gives none): its files and rows are
// written without the comparison.
std::string batch_export_unaligned(const std::string& baseline);

// The number of workers for -j 0: the processors this process may use.
int batch_export_default_jobs();
// -j is capped at this many workers per processor (more only queue for the
// processors and take memory).
inline constexpr int batch_export_jobs_per_processor = 4;
