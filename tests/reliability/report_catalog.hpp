// Reports of every kind the reliability suites feed the program: valid ones of several sizes and column sets,
// broken ones, and hostile ones (binary noise, directories, megabyte lines, non-finite numbers, degenerate jaws...).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace zelto_reliability {

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

// Creates the kind at `path`: the file, a directory, a named pipe, or nothing for a missing file.
void make_report(const ReportKind& kind, const std::filesystem::path& path);

}  // namespace zelto_reliability
