// The summary of a recording for the patient's file: A4 portrait pages in
// points, described as pictures (picture/picture.hpp) for the PDF writer.
//
//   1. Overview: the exercises with their types, samples and durations; the
//      clinical figures of every exercise against their normal ranges, a
//      figure outside its range marked; the reference plane of the condylar
//      angles; every warning about the data. It runs on over as many pages
//      as it needs.
//   With a baseline (an earlier recording, report/emg_comparison), then
//      the comparison: every exercise paired with one of the baseline, the
//      figures of both and their changes; the left laterotrusion against
//      the right one; the tracing sheet with the baseline drawn under it.
//   2. The tracing sheet of the report (the condyles of its first
//      protrusion, else of its first exercise).
//   3. One section per exercise: its figures as the "Measures" page shows
//      them, its time chart (with EMG where the report has it) and the jaw
//      at the exercise's largest opening (or farthest point) from the front
//      and from the side, with a legend of the colours.
// Every page has a header (the report's file name, the file's date, the
// date of printing) and a footer ("Page n of m", Zelto and its version).
// Figures are the CSV's, rounded as the pages round them.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "picture/picture.hpp"
#include "report/emg_kinematics.hpp"
#include "report/emg_processing.hpp"

// The jaw of one exercise at its largest opening (or farthest point), from
// the front and from the side, as the 3D view's SVG screenshot draws it;
// `when` says which sample ("sample 523 of 1000, 5.22 s: largest vertical
// opening").
struct SummaryJawViews {
    Picture front;
    Picture side;
    std::string when;
};

// A colour of the jaw views and what it shows.
struct SummaryLegendEntry {
    std::string name;
    PictureColor color;
};

// The recording the report is compared with: already in the report's space
// (emg_comparison_aligned); a null report makes no comparison.
struct SummaryBaseline {
    const EmgReport* report = nullptr;
    std::string file_name;  // UTF-8, as the pages name it
};

struct SummaryInput {
    const EmgReport* report = nullptr;
    std::string file_name;     // the report's file name, UTF-8
    std::string file_date;     // its modification time, as written on every page
    std::string printed_date;  // when the summary is made
    std::string version;       // the program's version
    EmgReferencePlane plane;   // of the condylar angles
    // Per exercise, when the caller could draw them (the command line and the
    // window can; a document without them leaves the place out).
    std::vector<SummaryJawViews> jaw_views;
    std::vector<SummaryLegendEntry> legend;
    SummaryBaseline baseline;
};

// How far a text advances at a font size (points), bold or not: the
// writer's font metrics, so that tables fit and long names wrap.
using SummaryTextWidth = std::function<double(std::string_view text, double size, bool bold)>;

std::vector<Picture> summary_document(const SummaryInput& input, const SummaryTextWidth& width);

// `text` broken at spaces (and inside words longer than a line) into lines
// no wider than `line_width`; at least one line.
std::vector<std::string> summary_wrap(std::string_view text, double line_width, double size, bool bold,
                                      const SummaryTextWidth& width);
