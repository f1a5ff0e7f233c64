// Zelto's command line: what the words after `zelto` ask for.
//
//   zelto [REPORT]                      the viewer, with REPORT loaded
//   zelto --export DIR [OPTIONS] REPORT...  files without a window
//   zelto --measures REPORT...          the measures as CSV on standard output
//   --baseline REPORT with any of them: the recording the others are compared with
//   zelto --help | -h, zelto --version
//
// Options take their value as the next word or after "=" (--size=1000,
// -j4 and -j 4 alike). "--" ends the options, so a report whose name begins
// with "-" can still be named. A wrong command line prints one line on
// standard error, naming what is wrong and pointing at --help, and ends
// with exit status 2.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/batch_export.hpp"

enum class CommandLineMode { viewer, help, version, export_files, measures, error };

struct CommandLine {
    CommandLineMode mode = CommandLineMode::viewer;
    std::optional<std::string> report;   // viewer: the report to open
    ExportOptions export_options;        // export_files
    std::vector<std::string> reports;    // measures
    std::string error;                   // error: the line to print, without "zelto: "
    EmgReferencePlane reference;         // of the condylar angles, in every mode
    bool csv_bom = false;                // --csv-bom: the CSV of measures starts with a byte order mark
    std::optional<std::string> baseline;  // --baseline: the report compared with, in every mode
};

CommandLine command_line_parse(const std::vector<std::string>& arguments);

// The text of --help and of --version.
std::string command_line_usage();
std::string command_line_version();

// The whole program: parses argv and runs what it asks for; returns the
// exit status.
int command_line_main(int argc, char** argv);
