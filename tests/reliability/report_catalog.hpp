// Reports of every kind the reliability suites feed the program: valid ones
// of several sizes and column sets, broken ones with each problem the
// parser reports, and hostile ones (binary noise, directories, megabyte
// lines, numbers that are not finite, degenerate jaw frames...).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tools/report_generator.hpp"

namespace zelto_reliability {

// A report file taken apart into its lines, so that a test can break one
// section and keep the others as the generator wrote them.
struct ReportParts {
    std::vector<std::string> entries;  // "1\tname\tstart\tlength", between "Exercises", "{" and "}"
    std::optional<std::string> frequency = "Frequency,Hz\t100";
    std::optional<std::string> count = "Count\t0";
    std::optional<std::string> calibration;
    std::string header;
    std::vector<std::vector<std::string>> blocks;  // the sample lines of each exercise

    std::string text() const;
};

// The report the generator writes for `options`, as parts.
ReportParts generated_parts(const ReportGeneratorOptions& options);

enum class Outcome { loads, fails, either };
enum class Shape { file, missing, directory, fifo };

struct ReportKind {
    std::string name;
    std::string group;      // "valid", "broken" or "hostile"
    std::string file_name;  // in the session's directory
    Shape shape = Shape::file;
    std::string text;       // the file's bytes, for Shape::file
    Outcome outcome = Outcome::loads;
    std::vector<std::string> messages;  // lines the console must show
    int exercises = -1;                 // exercises when it loads (-1: not checked)
};

// Every kind, valid ones first.
std::vector<ReportKind> report_catalog();

// Creates the kind at `path`: the file, a directory, a named pipe, or
// nothing for a missing file.
void make_report(const ReportKind& kind, const std::filesystem::path& path);

}  // namespace zelto_reliability
