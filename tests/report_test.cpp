// The report module: reading reports (what loads, what fails, with which console messages) and the motion analysis of
// a loaded report.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <numbers>
#include <string>
#include <tuple>
#include <vector>

#include "report/emg_measures.hpp"
#include "report/emg_processing.hpp"
#include "tests/test_support.hpp"
#include "tools/report_generator.hpp"

namespace {

using zelto_test::capture_stdout;
using zelto_test::write_file;

constexpr const char* header_positions =
    "Time,ms\tRight.x,mm\tRight.y,mm\tRight.z,mm\tLeft.x,mm\tLeft.y,mm\tLeft.z,mm"
    "\tIncisal.x,mm\tIncisal.y,mm\tIncisal.z,mm";
const std::string closing = "ERROR: Could not retrieve data from file at \"report.tsv\" properly.\n";
const std::string header_message = "ERROR: table header data is in an unrecognizable format\n";
const std::string malformed_entry = "ERROR: exercise list entry #0 is malformed\n";
const std::string missing = "ERROR: Data points missing for exercise ";

// The message for values of exercise #e that could not be read.
std::string unread(int e, const std::string& name, int values, int entry, int time)
{
    return "non-fatal error: exercise #" + std::to_string(e) + " (" + name + ") has " + std::to_string(values) +
           " values that could not be read, the first in point data entry #" + std::to_string(entry) + " (at " +
           std::to_string(time) + " ms) in file report.tsv\n";
}

// "time\tbase+1\tbase+2 ... base+9" plus any further columns.
std::string sample_line(int time, int base, const std::string& more = "")
{
    std::string line = std::to_string(time);
    for (int v = 1; v <= 9; ++v)
        line.append("\t").append(std::to_string(base + v));
    return line + more + "\n";
}

// A small well-formed report, one part per section.
struct ReportParts {
    std::string list = "Exercises\n{\n1\tOpen wide\t0\t1.5\n}\n";
    std::string frequency = "Frequency,Hz\t100\n";
    std::string count = "Count\t2\n";
    std::string calibration = "Calibr\t1\t2\t3\t4\t5\t6\t7\t8\t9\n";
    std::string header = std::string(header_positions) + "\n";
    std::string blocks = sample_line(0, 0) + sample_line(10, 10);

    std::string text() const { return list + frequency + count + calibration + header + blocks; }
};

std::string exercise_list(int entries)
{
    std::string list = "Exercises\n{\n";
    for (int i = 0; i < entries; ++i)
        list += std::to_string(i + 1) + "\tExercise " + std::to_string(i + 1) + "\t0\t1\n";
    return list + "}\n";
}

std::string to_crlf(std::string text)
{
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2))
        text.insert(at, 1, '\r');
    return text;
}

struct Loaded {
    int result = -1;
    std::string output;
    std::unique_ptr<EmgReport> report = std::make_unique<EmgReport>();
    bool kept = false;  // still the report the load was given, as a failed load leaves it
    const EmgDataPoint& sample(std::size_t e, std::size_t k) const { return report->exercises[e].data[k]; }
    std::int32_t length(std::size_t e) const { return emg_sample_count(&report->exercises[e]); }
    bool silent() const { return result == 0 && output.empty() && !kept; }
};

Loaded load_path(const std::string& path)
{
    Loaded loaded;
    const EmgReport* const given = loaded.report.get();
    loaded.output = capture_stdout([&] { loaded.result = emg_extract_3d(&loaded.report, path.c_str()); });
    loaded.kept = loaded.report.get() == given;
    return loaded;
}

Loaded load_text(const std::string& contents)
{
    write_file("report.tsv", contents);
    return load_path("report.tsv");
}

Loaded load_parts(const std::function<void(ReportParts&)>& change)
{
    ReportParts parts;
    change(parts);
    return load_text(parts.text());
}

class ReportTest : public testing::Test {
    zelto_test::TempWorkingDirectory directory_;
};

// Generated reports (with the optional columns and CRLF line ends too) load silently with every exercise and sample.
TEST_F(ReportTest, GeneratedAndDemoReportsLoadSilently)
{
    for (const bool optional : {false, true}) {
        ReportGeneratorOptions options;
        std::tie(options.frequency, options.duration, options.exercises, options.angles, options.emg) =
            std::tuple(50.0, 2.0, 5, optional, optional);
        ASSERT_TRUE(report_generator_write_file("report.tsv", options));
        if (optional)
            write_file("report.tsv", to_crlf(zelto_test::read_file("report.tsv")));
        const Loaded loaded = load_path("report.tsv");
        ASSERT_TRUE(loaded.silent()) << loaded.output;
        const EmgReport& report = *loaded.report;
        EXPECT_EQ(std::tuple(report.has_rotation_data, report.has_emg_data, report.frequency, report.exercises_number),
                  std::tuple(optional, optional, options.frequency, options.exercises));
        for (int e = 0; e < report.exercises_number; ++e) {
            const EmgExercise& exercise = report.exercises[static_cast<std::size_t>(e)];
            EXPECT_EQ(std::tuple(exercise.name, exercise.length, exercise.data.size()),
                      std::tuple(report_generator_exercise_name(e), options.duration,
                                 std::size_t(report_generator_sample_count(options))));
            const GeneratedSample last = report_generator_sample(options, e, emg_sample_count(&exercise) - 1);
            const EmgDataPoint& s = exercise.data.back();
            zelto_test::expect_near(s.incisal, {last.incisal.x, last.incisal.y, last.incisal.z}, 0.0005 + 1e-9);
            EXPECT_NEAR(optional ? s.channel2 : last.channel2, last.channel2, 0.00005 + 1e-9);
        }
    }
    // The demo saved with a UTF-8 byte order mark, as many Windows programs save it, gives the same figures.
    const std::string demo = zelto_test::read_file(zelto_test::source_dir() / "examples/demo_report.tsv");
    std::string rows[2];
    for (const int marked : {0, 1}) {
        write_file("report.tsv", (marked == 1 ? "\xEF\xBB\xBF" : "") + demo);
        const Loaded loaded = load_path("report.tsv");
        ASSERT_TRUE(loaded.silent()) << loaded.output;
        emg_measures_csv_rows(&rows[marked], "demo", loaded.report.get());
    }
    EXPECT_EQ(std::pair(rows[1], zelto_test::count_of(rows[0], "\r\n")), std::pair(rows[0], std::size_t{5}));
}

// Malformed entries and values out of range are tabled with their rules below; files that cannot be read or hold
// nothing of a report.
TEST_F(ReportTest, EveryProblemPrintsItsMessage)
{
    const std::string count_message = "non-fatal error: located, but failed to read count data in file report.tsv\n";
    const std::string no_count = "non-fatal error: failed to locate count data in file report.tsv\n";
    // A failed load (result 1) ends with the closing message.
    using Change = std::function<void(ReportParts&)>;
    const struct { const char* name; Change change; std::string expected; int result; } cases[] = {
        {"no exercise list", [](ReportParts& p) { p.list = ""; }, "ERROR: Could not find list of exercises\n", 1},
        {"frequency without a number", [](ReportParts& p) { p.frequency = "Frequency,Hz\tfast\n"; },
         "ERROR: located, but failed to read frequency data\n", 1},
        {"no frequency", [](ReportParts& p) { p.frequency = ""; }, "ERROR: could not locate report frequency\n", 1},
        {"count without an integer", [](ReportParts& p) { p.count = "Count\tmany\n"; }, count_message, 0},
        {"no count", [](ReportParts& p) { p.count = ""; }, no_count, 0},
        {"extra header field",
         [](ReportParts& p) { p.header = "Time,ms\tRight.x,mm\tExtra" + std::string(header_positions + 18) + "\n"; },
         header_message, 1},
        {"calibration with eight numbers", [](ReportParts& p) { p.calibration = "Calibr 1 2 3 4 5 6 7 8\n"; },
         "ERROR: located, but failed to read calibration data\n", 1},
        {"no calibration", [](ReportParts& p) { p.calibration = ""; }, "ERROR: failed to locate calibration data\n", 1},
        {"empty block",
         [](ReportParts& p) {
             p.list = exercise_list(2);
             p.blocks = sample_line(0, 0) + "\n\n" + sample_line(0, 0);
         },
         missing + "1\n", 1},
        {"time above the 32-bit range",
         [](ReportParts& p) { p.blocks = sample_line(0, 0) + "2147483648" + sample_line(0, 0).substr(1); },
         "ERROR: point data entry #2 (at 2147483647 ms) for exercise #1 is malformed\n", 1},
        {"time below the 32-bit range", [](ReportParts& p) { p.blocks = "-2147483649" + sample_line(0, 0).substr(1); },
         "ERROR: point data entry #1 (at -2147483648 ms) for exercise #1 is malformed\n", 1},
        {"all at once, in section order",
         [](ReportParts& p) {
             p.list = "Exercises\n{\n1\tA\t0\t1\nbad\n2\tC\t0\t1\n}\n";
             p.frequency = "";
             p.count = "Count\n";
             p.header = "Time,ms\tRight.x,mm\tx\ty\n";
             p.calibration = "Calibr 1 2\n";
             p.blocks = sample_line(0, 0) + "7\t1e400" + sample_line(0, 0).substr(3);
         },
         "ERROR: exercise list entry #1 is malformed\nERROR: could not locate report frequency\n" + count_message +
             header_message + header_message + "ERROR: located, but failed to read calibration data\n" +
             "ERROR: point data entry #2 (at 7 ms) for exercise #1 is malformed\n" + missing + "1\n" + missing + "2\n",
         1},
    };
    for (const auto& c : cases) {
        const Loaded loaded = load_parts(c.change);
        EXPECT_EQ(std::tuple(loaded.output, loaded.result, loaded.kept),
                  std::tuple(c.expected + (c.result == 1 ? closing : ""), c.result, c.result == 1)) << c.name;
    }

    // Paths that are no readable file, and files without any section.
    std::filesystem::create_directory("folder");
    const std::pair<const char*, const char*> unopened[] = {{"missing.tsv", "the file does not exist"},
                                                            {"folder", "it is a directory"},
                                                            {"", "the file does not exist"},
                                                            {"/dev/zero", "it is not a regular file"}};
    for (const auto& [path, why] : unopened) {
        const Loaded loaded = load_path(path);
        EXPECT_EQ(loaded.output, std::string("ERROR: Could not open file at \"") + path + "\"\nERROR: " + why + "\n");
        EXPECT_EQ(std::pair(loaded.result, loaded.kept), std::pair(1, true));
    }
    std::string binary;
    for (int i = 0; i < 5000; ++i)
        binary += static_cast<char>((i * 7919) % 256);
    const std::string all_missing = "ERROR: Could not find list of exercises\n"
                                    "ERROR: could not locate report frequency\n" +
                                    no_count + "ERROR: failed to locate calibration data\n" + closing;
    for (const std::string& contents : {std::string(), binary, std::string(3000000, 'x'), std::string(2000, '\n')}) {
        const Loaded loaded = load_text(contents);
        EXPECT_EQ(std::pair(loaded.result, loaded.output), std::pair(1, all_missing)) << contents.size();
    }

    // UTF-16 and UTF-32, by their byte order mark or by the NUL bytes of their first lines, get one message.
    const auto wide = [text = ReportParts().text()](std::string mark, std::size_t width, bool little) {
        for (const char c : text)
            mark += std::string(little ? 0 : width - 1, '\0') + c + std::string(little ? width - 1 : 0, '\0');
        return mark;
    };
    const std::pair<std::string, const char*> encodings[] = {
        {wide("\xFF\xFE", 2, true), "UTF-16LE"}, {wide("\xFE\xFF", 2, false), "UTF-16BE"},
        {wide(std::string("\xFF\xFE\0\0", 4), 4, true), "UTF-32LE"},
        {wide(std::string("\0\0\xFE\xFF", 4), 4, false), "UTF-32BE"},
        {wide("", 2, false), "UTF-16BE"}, {wide("", 4, true), "UTF-32LE"}};
    for (const auto& [contents, encoding] : encodings)
        EXPECT_EQ(load_text(contents).output, "ERROR: the file at \"report.tsv\" is " + std::string(encoding) +
                                                  " text, which Zelto does not read: save it as UTF-8\n" + closing);
}

// A keyword is the whole first word of a line, in any order of the sections; the first line of each counts. The table
// starts two lines below the calibration, whatever the line between holds. Then the exercise list.
TEST_F(ReportTest, KeywordsSectionsTheStartOfTheTableAndTheExerciseList)
{
    const std::pair<const char*, bool> frequency_lines[] = {
        {"Frequency,Hz\t100\n", true},   {"   Frequency,Hz 100\n", true}, {"\tFrequency,Hz\t\t100\n", true},
        {"Frequency,Hz:\t100\n", false}, {"frequency,Hz\t100\n", false}, {"Frequency,Hz100\n", false},
        {"FREQUENCY,HZ\t100\n", false},  {"Frequency\t100\n", false},
    };
    for (const auto& [line, located] : frequency_lines) {
        const Loaded loaded = load_parts([&](ReportParts& p) { p.frequency = line; });
        EXPECT_EQ(loaded.result, located ? 0 : 1) << line;
        EXPECT_TRUE(!located || loaded.report->frequency == 100.0) << line;
    }

    ReportParts parts;
    Loaded loaded = load_text(parts.calibration + parts.header + parts.blocks + "\n" + parts.count + parts.list +
                              "Frequency,Hz 60\nFrequency,Hz 250\nCalibr 0 0 0 0 0 0 0 0 0\nExercises\n");
    ASSERT_TRUE(loaded.silent()) << loaded.output;
    EXPECT_EQ(std::tuple(loaded.report->frequency, loaded.report->calibration_incisal.z, loaded.length(0)),
              std::tuple(60.0, 9.0, 2));

    // Without the header line the optional columns stay unread.
    parts.header = "this line is skipped\n";
    parts.blocks = sample_line(0, 0, "\t5\t6\t7\t8\t9");
    loaded = load_text(parts.text());
    ASSERT_TRUE(loaded.silent()) << loaded.output;
    EXPECT_EQ(std::tuple(loaded.sample(0, 0).right.x, loaded.report->has_rotation_data, loaded.sample(0, 0).open),
              std::tuple(1.0, false, 0.0));
    // Calibration as the last line: the table starts beyond the end of the file.
    loaded = load_text(parts.list + parts.frequency + parts.count + parts.calibration);
    EXPECT_EQ(loaded.output, missing + "0\n" + closing);

    // The entries of the exercise list and its ends.
    const std::string name126(126, 'n');
    const struct { std::string list; const char* name; double length; } cases[] = {  // name null: malformed
        {"{\n1\tOpen wide\t0.5\t2.5\n}\n", "Open wide", 2.5},
        {"{\n  7 \t Chew left side \t 1 \t 3\n}\n", "Chew left side ", 3.0},
        {"{\n1 Open\t0\t4\n}\n", "Open", 4.0},  // white space in the pattern matches any blanks
        {"{\n-3\tNegative\t0\t-1e3\n}\n", "Negative", -1000.0},
        {"{\n1\t" + name126 + "\t0\t2\n}\n", name126.c_str(), 2.0},
        {"{\n1\t" + std::string(127, 'n') + "\t0\t2\n}\n", nullptr, 0}, {"{\nx\tOpen\t0\t1\n}\n", nullptr, 0},
        {"{\n1\tOpen\t0\n}\n", nullptr, 0}, {"{\n1\tOpen\t0\tlong\n}\n", nullptr, 0}, {"{\n1\t\t0\t1\n}\n", nullptr, 0},
        {"{\n\n}\n", nullptr, 0},  // an empty line in the list is an entry
        // The line below the keyword is skipped whatever it holds.
        {"Exercises\n1\tA\t0\t1\n}\n", "A", 1.0}, {"1\tNot an entry\t0\t1\n1\tA\t0\t1\n}\n", "A", 1.0},
        {"\n1\tA\t0\t1\n}\n", "A", 1.0},
        // A first word of more than 126 characters counts as empty: an entry.
        {"}\n" + std::string(127, 'w') + "\n}\n", nullptr, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.list);
        const Loaded loaded = load_parts([&](ReportParts& p) { p.list = "Exercises\n" + c.list; });
        EXPECT_EQ(loaded.output, c.name == nullptr ? malformed_entry + closing : "");
        ASSERT_EQ(loaded.kept, c.name == nullptr);
        if (c.name == nullptr)
            continue;
        const EmgReport& report = *loaded.report;
        EXPECT_EQ(std::tuple(report.exercises_number, report.exercises[0].name, report.exercises[0].length),
                  std::tuple(1, c.name, c.length));
    }
    // Lists without exercises: closed at once, or by a blank line (read as "}") below a skipped "}".
    for (const char* list : {"Exercises\n{\n}\n", "Exercises\n}\n   \n1\tA\t0\t1\n}\n"}) {
        const Loaded loaded = load_parts([&](ReportParts& p) { p.list = list; });
        EXPECT_TRUE(loaded.silent() && loaded.report->exercises_number == 0 && loaded.report->exercises.empty());
    }
    // Without a closing line the list runs to the end of the file; the second block is the list itself, read as
    // samples of missing values.
    parts = ReportParts{};
    loaded = load_text(parts.frequency + parts.count + parts.calibration + parts.header + parts.blocks +
                       "\nExercises\n{\n1\tA\t0\t1\n2\tB\t0\t1");
    EXPECT_EQ(loaded.output, unread(2, "B", 10 + 10 + 7 + 7, 1, 0));
    ASSERT_EQ(loaded.report->exercises_number, 2);
    EXPECT_EQ(std::tuple(loaded.report->exercises[1].name, loaded.length(0), loaded.length(1)), std::tuple("B", 2, 4));

    // At most 1000 exercises are taken; the rest of the list is not read.
    parts.list = exercise_list(1000);
    parts.list.insert(parts.list.size() - 2, "1001\tnot a well-formed entry\n");
    parts.blocks.clear();
    for (int e = 0; e < 1001; ++e)
        parts.blocks.append(e > 0 ? "\n" : "").append(sample_line(e, e));
    loaded = load_text(parts.text());
    ASSERT_TRUE(loaded.silent()) << loaded.output;
    ASSERT_EQ(loaded.report->exercises_number, 1000);
    EXPECT_EQ(std::tuple(loaded.report->exercises[999].name, loaded.sample(999, 0).right.x),
              std::tuple("Exercise 1000", 1000.0));
}

// The ten position columns must be as named; the optional ones are looked for by position, past unknown names.
TEST_F(ReportTest, HeaderColumnsMatchByPosition)
{
    const std::string positions = header_positions, angles = "\tOpen,deg\tLat.Right,deg\tClockwise,deg";
    const struct { const char* name; std::string header; int messages; bool rotation, emg; } cases[] = {
        {"fewer than ten", "Time,ms\tRight.x,mm\tRight.y,mm", 0, false, false},
        {"infraorbital, each position on its own",
         positions.substr(0, positions.find("\tIncisal")) + "\tInfraorbital.x,mm\tIncisal.y,mm\tInfraorbital.z,mm", 0,
         false, false},
        {"empty field among the ten", "Time,ms\t" + positions.substr(7), 1, false, false},
        {"once stuck, every later field mismatches", "Time,ms\tRight.x\tRight.y\tRight.z", 3, false, false},
        {"a tab before the line feed adds a tenth field", positions.substr(0, positions.size() - 12), 1, false, false},
        {"angles", positions + angles, 0, true, false},
        {"unknown optional fields are passed over",
         positions + "\tOpen,deg\tPitch\tLat.Right,deg\tClockwise,deg\tX\tChannel1,mV\tChannel2,mV", 0, true, true},
        {"angles out of order", positions + "\tLat.Right,deg\tOpen,deg\tClockwise,deg", 0, false, false},
        {"channels without angles", positions + "\tChannel1,mV\tChannel2,mV", 0, false, false},
        {"a sixteenth field is ignored", positions + angles + "\tChannel1,mV\tChannel2,mV\tTime,ms", 0, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Loaded loaded = load_parts([&](ReportParts& p) {
            p.header = c.header + "\n";
            p.blocks = sample_line(0, 0, "\t1\t2\t3\t4\t5");
        });
        std::string expected;
        for (int m = 0; m < c.messages; ++m)
            expected += header_message;
        EXPECT_EQ(loaded.output, expected + (c.messages > 0 ? closing : ""));
        // A failed load leaves the given report, which has neither.
        EXPECT_EQ(std::tuple(loaded.result, loaded.report->has_rotation_data, loaded.report->has_emg_data),
                  std::tuple(c.messages > 0 ? 1 : 0, c.rotation, c.emg));
    }
    // Values are taken by position, not by the name of their column.
    const Loaded loaded = load_parts([&](ReportParts& p) {
        p.header = positions + "\tOpen,deg\tPitch\tLat.Right,deg\tClockwise,deg\n";
        p.blocks = sample_line(0, 0, "\t10\t20\t30\t40");
    });
    ASSERT_EQ(loaded.result, 0);
    const EmgDataPoint& first = loaded.sample(0, 0);
    EXPECT_EQ(std::tuple(first.open, first.lat_right, first.clockwise), std::tuple(10.0, 20.0, 30.0));  // 20: "Pitch"
}

// Blocks end at an empty line or the end of the file. A line is read whole whatever its length (also beyond the read
// window of 1 MiB), a CR before the LF not counted; a NUL byte ends the text of a line but not the line.
TEST_F(ReportTest, LinesAreReadWholeAndBlocksEndAtAnEmptyLineOrTheEndOfTheFile)
{
    const std::string a = sample_line(0, 0);
    // No lengths: the load fails with the messages.
    const struct { const char* name; int exercises; std::string blocks; std::vector<std::int32_t> lengths;
                   std::string messages; } cases[] = {
        {"last line needs no empty line", 2, a + "\n" + a + a, {1, 2}, ""},
        {"an unterminated last line counts", 2, a + "\n" + a + "5\t1\t2\t3", {1, 2}, unread(2, "Exercise 2", 6, 2, 5)},
        {"more blocks than exercises", 1, a + "\n" + a + "\n" + a, {1}, ""},
        {"CRLF empty line separates blocks", 2, to_crlf(a + "\n" + a), {1, 1}, ""},
        {"a blank line is not empty", 1, a + "  \n" + a, {3}, unread(1, "Exercise 1", 10, 2, 0)},
        {"fewer blocks than exercises", 3, a, {}, missing + "1\n" + missing + "2\n"},
        {"two empty lines", 3, a + "\n\n" + a, {}, missing + "1\n"}, {"no samples at all", 1, "", {}, missing + "0\n"},
        {"only an unterminated line", 1, "1\t2\t3", {1}, unread(1, "Exercise 1", 7, 1, 1)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Loaded loaded = load_parts([&](ReportParts& p) {
            p.list = exercise_list(c.exercises);
            p.blocks = c.blocks;
        });
        EXPECT_EQ(loaded.output, c.lengths.empty() ? c.messages + closing : c.messages);
        for (std::size_t e = 0; e < c.lengths.size() && loaded.result == 0; ++e)
            EXPECT_TRUE(loaded.length(e) == c.lengths[e] &&
                        loaded.report->exercises[e].data.size() == std::size_t(c.lengths[e]));
    }

    const std::string values = sample_line(0, 0);
    const std::string tail = values.substr(0, values.size() - 1) + std::string(1500, ' ') + "7";
    Loaded loaded = load_parts([&](ReportParts& p) { p.blocks = tail + "\n" + tail + "\r\n"; });
    EXPECT_TRUE(loaded.silent() && loaded.length(0) == 2) << loaded.output;
    // A long keyword line: the line below it is the skipped header.
    loaded = load_parts([&](ReportParts& p) {
        p.calibration = "Calibr 1 2 3 4 5 6 7 8 9" + std::string(1100, ' ') + "\n";
        p.blocks = sample_line(0, 0);
    });
    EXPECT_TRUE(loaded.silent() && loaded.length(0) == 1) << loaded.output;
    loaded = load_parts([&](ReportParts& p) { p.blocks = tail + std::string(3 << 20, '\t') + "\n" + values; });
    ASSERT_TRUE(loaded.silent() && loaded.length(0) == 2) << loaded.output;
    EXPECT_EQ(std::pair(loaded.sample(0, 0).incisal.z, loaded.sample(0, 1).right.x), std::pair(9.0, 1.0));

    loaded = load_parts([&](ReportParts& p) {
        p.blocks = std::string("0\t1\t2\0\t3\n", 9) + std::string("\0\n", 2) + sample_line(0, 0);
    });
    EXPECT_EQ(loaded.output, unread(1, "Open wide", 7 + 10, 1, 0));
    ASSERT_EQ(loaded.length(0), 3);
    EXPECT_TRUE(loaded.sample(0, 0).right.y == 2.0 && std::isnan(loaded.sample(0, 0).right.z) &&
                loaded.sample(0, 2).right.x == 1.0);
}

// Numbers out of range fail the load; a cell that is not one number and nothing else (or is missing) is held as NaN,
// each cell read on its own, and the exercise tells and keeps how many there were. Every readable number reads as
// strtod reads it.
TEST_F(ReportTest, RangeErrorsFailButUnreadableValuesAreMissing)
{
    // unread: values that could not be read; time: the time of the line.
    const struct { const char* line; bool malformed; double right_x, right_y; int unread, time; } cases[] = {
        {"0\tabc\t2\t3\n", false, NAN, 2.0, 7, 0},
        {"0\t1\t2\tabc\t4\n", false, 1.0, 2.0, 6, 0},
        {"0\t1e999\t2\n", true, 0, 0, 7, 0}, {"0\t-1e999\t2\n", true, 0, 0, 7, 0},
        {"0\t1e-400\t2\n", true, 0, 0, 7, 0},  // too small for a double
        {"0\t1e308\t-2.5e-3\n", false, 1e308, -2.5e-3, 7, 0}, {"0\t+1.5\t0x10\n", false, 1.5, 16.0, 7, 0},
        {"0\tinf\tnan\n", false, HUGE_VAL, NAN, 7, 0},
        {"1.5\t2\n", false, 2.0, NAN, 8, 1},  // the time is read up to the point; its cell ends at the tab
        {"x\t1\t2\n", false, 1.0, 2.0, 8, 0}, {"0 1 2 3 4 5 6 7 8 9 trailing text\n", false, 1.0, 2.0, 0, 0},
    };
    const std::string malformed = "ERROR: point data entry #1 (at 0 ms) for exercise #1 is malformed\n";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const Loaded loaded = load_parts([&](ReportParts& p) { p.blocks = c.line; });
        const std::string told = c.unread > 0 ? unread(1, "Open wide", c.unread, 1, c.time) : "";
        EXPECT_EQ(loaded.output, c.malformed ? malformed + told + closing : told);
        ASSERT_EQ(loaded.result, c.malformed ? 1 : 0);
        if (c.malformed)
            continue;
        const Vector3 p = loaded.sample(0, 0).right;
        const auto same = [](double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); };
        EXPECT_TRUE(same(p.x, c.right_x) && same(p.y, c.right_y)) << p.x << " " << p.y;
        EXPECT_EQ(loaded.report->exercises[0].unreadable_values, c.unread);
    }

    // An unreadable cell spoils neither its line nor the other cells: a decimal comma, a unit, an incomplete exponent
    // or trailing characters, and a missing last cell.
    const Loaded cells = load_parts([&](ReportParts& p) {
        p.blocks = sample_line(0, 0) + "10\tabc\t2\t12,5\t4\t3.2mm\t1.5e\t-.75x\t8\n" + sample_line(20, 10);
    });
    EXPECT_EQ(cells.output, unread(1, "Open wide", 6, 2, 10));
    const EmgDataPoint& s = cells.sample(0, 1);
    const double read[] = {s.right.x, s.right.y, s.right.z, s.left.x, s.left.y, s.left.z, s.incisal.x, s.incisal.y,
                           s.incisal.z};
    for (int v = 0; v < 9; ++v)
        EXPECT_EQ(std::isnan(read[v]), v != 1 && v != 3 && v != 7) << v;
    EXPECT_TRUE(read[1] == 2.0 && read[3] == 4.0 && read[7] == 8.0 && cells.sample(0, 2).incisal.z == 19.0);

    // Hand-picked numbers read as strtod reads them.
    std::vector<std::string> numbers = {"0.1", "-0.000", "5.", ".5", "9007199254740993", "0.1234567890123456789",
                                        "1.7976931348623157e308", "2.2250738585072014e-308", "1e23",
                                        "0.30000000000000004", "-1E-5", "007.250", "1e+2"};
    std::string blocks;
    for (const std::string& number : numbers)
        blocks += "0\t" + number + "\n";
    const Loaded loaded = load_parts([&](ReportParts& p) { p.blocks = blocks; });
    ASSERT_EQ(loaded.result, 0);
    EXPECT_EQ(loaded.output, unread(1, "Open wide", 8 * static_cast<int>(numbers.size()), 1, 0));
    ASSERT_EQ(loaded.report->exercises[0].data.size(), numbers.size());
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        const double expected = std::strtod(numbers[i].c_str(), nullptr), read = loaded.sample(0, i).right.x;
        EXPECT_EQ(std::memcmp(&read, &expected, sizeof read), 0) << numbers[i] << ": " << read << " != " << expected;
    }
}

// Samples whose three points coincide, along x: the centroid distance of sample i to sample 0 is distances[i] -
// distances[0].
EmgExercise exercise_along_x(const std::vector<double>& distances)
{
    EmgExercise exercise;
    for (double d : distances)
        exercise.data.push_back({{d, 0, 0}, {d, 0, 0}, {d, 0, 0}, 0, 0, 0, 0, 0});
    return exercise;
}

TEST(MotionAnalysis, OpenAndClosePhasesOpeningAnglesAndTheDump)
{
    // The distance is between the centroids of the three points.
    const EmgDataPoint a{{3, 0, 0}, {0, 6, 0}, {0, 0, 9}, 0, 0, 0, 0, 0}, origin{};
    const EmgDataPoint b{{8, 0, 0}, {0, 6, 0}, {-5, 0, 9}, 0, 0, 0, 0, 0};  // the same centroid as a
    EXPECT_DOUBLE_EQ(emg_point_distance(&a, &origin), std::sqrt(14.0));
    EXPECT_DOUBLE_EQ(emg_point_distance(&origin, &a), std::sqrt(14.0));
    EXPECT_EQ(emg_point_distance(&a, &b), 0.0);

    const struct { const char* name; std::vector<double> distances; std::vector<std::int32_t> expected; } cases[] = {
        {"no samples", {}, {}}, {"one sample", {4.0}, {}}, {"centroid never moves", {2.0, 2.0, 2.0, 2.0}, {}},
        {"opens once and stays open", {0, 1, 5, 10, 8, 9}, {3}},
        {"two full cycles", {0, 4, 10, 6, 1, 0.5, 3, 5, 9, 2, 1.5, 0}, {2, 5, 8, 11}},
        {"a dip below 30 % but not below 20 % does not close", {0, 10, 2.5, 9, 1}, {1, 4}},
        {"ties keep the earliest sample", {0, 10, 10, 1, 1}, {1, 3}},
        // The thresholds are the single-precision 0.3 and 0.2: 3.00000005 is not above 30 % of 10, 2.00000002 is
        // below 20 % of it.
        {"single-precision open threshold", {0, 10, 1, 3.00000005, 0}, {1, 4}},
        {"single-precision close threshold", {0, 10, 2.00000002}, {1, 2}},
        {"distances count from the first sample", {5, 15, 5.5}, {1, 2}},
        // Samples that are not finite are missing, the first included: the others split as without them.
        {"a NaN first sample", {NAN, 0, 4, 10, 6, 1, 0.5, 3, 5, 9, 2, 1.5, 0}, {3, 6, 9, 12}},
        {"inf and NaN anywhere", {0, 4, INFINITY, 10, 6, 1, NAN, 0.5, 3, 5, 9, 2, 1.5, -INFINITY, 0}, {3, 7, 10, 14}},
        {"no finite sample", {NAN, INFINITY}, {}},
    };
    for (const auto& c : cases) {
        const EmgExercise exercise = exercise_along_x(c.distances);
        std::vector<std::int32_t> movements{99};
        std::int32_t number = -1;
        EXPECT_EQ(emg_analyze_open_close_movements(&movements, &number, &exercise), 0) << c.name;
        EXPECT_EQ(std::pair(movements, number), std::pair(c.expected, std::int32_t(c.expected.size()))) << c.name;
        EXPECT_EQ(emg_count_opening_movements(&exercise), std::int32_t(c.expected.size() + 1) / 2) << c.name;
    }

    // Null arguments: a message each, nothing stored.
    const EmgExercise exercise = exercise_along_x({0, 10, 0});
    std::vector<std::int32_t> movements{7, 8};
    std::int32_t number = 2;
    EXPECT_EQ(capture_stdout([&] {
                  EXPECT_EQ(emg_analyze_open_close_movements(nullptr, &number, &exercise), 1);
                  EXPECT_EQ(emg_analyze_open_close_movements(&movements, nullptr, &exercise), 1);
                  EXPECT_EQ(emg_analyze_open_close_movements(&movements, &number, nullptr), 1);
              }),
              "u ohh!\nu ohh!\nu ohh!\n");
    EXPECT_EQ(std::pair(movements, number), std::pair(std::vector<std::int32_t>{7, 8}, 2));

    // The opening angle's sign follows the turn about the condylar axis: condyles at z = +-50, the incisal point
    // turned about the z axis.
    auto jaw_turned = [](double degrees) {
        const double a = degrees * std::numbers::pi / 180.0;
        const Vector3 incisal{95.0 * std::cos(a) + 40.0 * std::sin(a), 95.0 * std::sin(a) - 40.0 * std::cos(a), 0.0};
        return EmgDataPoint{{0, 0, -50}, incisal, {0, 0, 50}, 0, 0, 0, 0, 0};
    };
    EmgReport report;
    report.exercises.resize(2);  // the first, without samples, is passed over
    // A sample with a point not finite gets NaN, and the reference is the first whole sample.
    EmgDataPoint missing = jaw_turned(5.0);
    missing.left.y = NAN;
    report.exercises[1].data = {missing, jaw_turned(0.0), jaw_turned(10.0), jaw_turned(-10.0), jaw_turned(-30.0)};
    report.exercises_number = 2;
    EXPECT_EQ(std::pair(emg_compute_rotation_data(&report), report.has_rotation_data), std::pair(0, true));
    // Degrees per radian as the single-precision 57.295826; right-handed about left-to-right: turning up is negative.
    const double factor = 57.29582595825195 * std::numbers::pi / 180.0, expected[] = {NAN, 0.0, -10.0, 10.0, 30.0};
    EXPECT_TRUE(std::isnan(report.exercises[1].data[0].open));
    for (std::size_t k = 1; k < 5; ++k)
        EXPECT_NEAR(report.exercises[1].data[k].open, expected[k] * factor, k == 1 ? 0.0 : 1e-9) << k;

    // The dump shows the calibration and the first six samples of each exercise.
    EmgReport dumped;
    std::tie(dumped.calibration_right, dumped.exercises_number) = std::tuple(Vector3{50.0, 0.0, -1234.56789}, 1);
    dumped.exercises.resize(1);
    EmgExercise& chewing = dumped.exercises[0];
    chewing.name = "Chewing";
    chewing.data.resize(10);
    chewing.data[5].incisal = {95.0, -45.0, 0.25};
    const std::string out = capture_stdout([&] { emg_print(&dumped); });
    for (const char* line : {"\ncalibration right:      50.0000     0.0000 -1234.5679\n",
                             "\nexercise[0]: name: Chewing\n",
                             "\nexercise[0]: data[5]: incisal:    95.0000   -45.0000     0.2500\n"})
        EXPECT_NE(out.find(line), std::string::npos) << line;
    EXPECT_EQ(std::pair(zelto_test::count_of(out, ": left: "), out.substr(out.size() - 5)),
              std::pair(std::size_t{6}, std::string("...\n\n")));
}

}  // namespace
