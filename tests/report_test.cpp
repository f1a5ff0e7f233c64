// Reading reports: what loads, what fails and with which messages.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "report/emg_processing.hpp"
#include "tests/test_support.hpp"
#include "tools/report_generator.hpp"

namespace {

using zelto_test::capture_stdout;
using zelto_test::TempWorkingDirectory;
using zelto_test::write_file;

constexpr const char* header_positions =
    "Time,ms\tRight.x,mm\tRight.y,mm\tRight.z,mm\tLeft.x,mm\tLeft.y,mm\tLeft.z,mm"
    "\tIncisal.x,mm\tIncisal.y,mm\tIncisal.z,mm";
constexpr const char* closing = "ERROR: Could not retrieve data from file at \"report.tsv\" properly.\n";

// "time\tbase+1\tbase+2 ... base+9" plus any further columns.
std::string sample_line(int time, int base, const std::string& more = "")
{
    std::string line = std::to_string(time);
    for (int v = 1; v <= 9; ++v)
        line += "\t" + std::to_string(base + v);
    return line + more + "\n";
}

// A small well-formed report, one section per field so that a test changes
// just the part it is about.
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

struct Loaded {
    int result = -1;
    std::string output;
    std::unique_ptr<EmgReport> report;
};

Loaded load_path(const std::string& path)
{
    Loaded loaded;
    loaded.output = capture_stdout([&] { loaded.result = emg_extract_3d(&loaded.report, path.c_str()); });
    return loaded;
}

Loaded load_text(const std::string& contents)
{
    write_file("report.tsv", contents);
    return load_path("report.tsv");
}

std::string to_crlf(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

class ReportTest : public testing::Test {
    TempWorkingDirectory directory_;
};

//-----------------------------------------------------------------------------
// Well-formed reports
//-----------------------------------------------------------------------------

// The file holds three decimals for positions and angles, four for channels.
constexpr double three_decimals = 0.0005 + 1e-9;
constexpr double four_decimals = 0.00005 + 1e-9;

void expect_point(const Vector3& loaded, const GeneratedPoint& written)
{
    EXPECT_NEAR(loaded.x, written.x, three_decimals);
    EXPECT_NEAR(loaded.y, written.y, three_decimals);
    EXPECT_NEAR(loaded.z, written.z, three_decimals);
}

void expect_generated(const EmgReport& report, const ReportGeneratorOptions& options)
{
    EXPECT_EQ(report.frequency, options.frequency);
    ASSERT_EQ(report.exercises_number, options.exercises);
    ASSERT_EQ(report.exercises.size(), static_cast<std::size_t>(options.exercises));
    const GeneratedSample rest = report_generator_calibration(options);
    expect_point(report.calibration_right, rest.right);
    expect_point(report.calibration_left, rest.left);
    expect_point(report.calibration_incisal, rest.incisal);
    for (int e = 0; e < options.exercises; ++e) {
        const EmgExercise& exercise = report.exercises[static_cast<std::size_t>(e)];
        EXPECT_EQ(exercise.name, report_generator_exercise_name(e));
        EXPECT_EQ(exercise.length, options.duration);
        ASSERT_EQ(exercise.data_length, report_generator_sample_count(options));
        ASSERT_EQ(exercise.data.size(), static_cast<std::size_t>(exercise.data_length));
        for (std::int32_t i = 0; i < exercise.data_length; ++i) {
            const GeneratedSample written = report_generator_sample(options, e, i);
            const EmgDataPoint& loaded = exercise.data[static_cast<std::size_t>(i)];
            expect_point(loaded.right, written.right);
            expect_point(loaded.left, written.left);
            expect_point(loaded.incisal, written.incisal);
            if (report.has_rotation_data) {
                expect_point({loaded.open, loaded.lat_right, loaded.clockwise},
                             {written.open, written.lat_right, written.clockwise});
            }
            if (report.has_emg_data) {
                EXPECT_NEAR(loaded.channel1, written.channel1, four_decimals);
                EXPECT_NEAR(loaded.channel2, written.channel2, four_decimals);
            }
        }
    }
}

TEST_F(ReportTest, GeneratedReportsLoadWithTheirOptionalColumns)
{
    struct Case {
        bool angles;
        bool emg;
        bool crlf;
        bool expect_rotation;
        bool expect_emg;
    };
    // Channel columns count only after the three angle columns.
    const Case cases[] = {
        {false, false, false, false, false}, {true, false, false, true, false}, {true, true, false, true, true},
        {false, true, false, false, false},  {true, true, true, true, true},    {false, false, true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "angles " << c.angles << ", emg " << c.emg << ", crlf " << c.crlf);
        ReportGeneratorOptions options;
        options.frequency = 50.0;
        options.duration = 2.0;
        options.exercises = 5;
        options.angles = c.angles;
        options.emg = c.emg;
        options.seed = 7;
        ASSERT_TRUE(report_generator_write_file("report.tsv", options));
        if (c.crlf)
            write_file("report.tsv", to_crlf(zelto_test::read_file("report.tsv")));
        const Loaded loaded = load_path("report.tsv");
        EXPECT_EQ(loaded.output, "");
        ASSERT_EQ(loaded.result, 0);
        EXPECT_EQ(loaded.report->has_rotation_data, c.expect_rotation);
        EXPECT_EQ(loaded.report->has_emg_data, c.expect_emg);
        expect_generated(*loaded.report, options);
    }
}

TEST_F(ReportTest, DemoReportLoadsSilently)
{
    // Found from this file's own place: the test's environment does not
    // always carry the source directory.
    const std::filesystem::path root = std::filesystem::path(__FILE__).parent_path().parent_path();
    const Loaded loaded = load_path((root / "examples" / "demo_report.tsv").string());
    EXPECT_EQ(loaded.output, "");
    ASSERT_EQ(loaded.result, 0);
    EXPECT_GE(loaded.report->exercises_number, 4);
    EXPECT_TRUE(loaded.report->has_rotation_data);
    EXPECT_TRUE(loaded.report->has_emg_data);
}

TEST_F(ReportTest, SmallReportFillsEveryField)
{
    ReportParts parts;
    parts.header =
        std::string(header_positions) + "\tOpen,deg\tLat.Right,deg\tClockwise,deg\tChannel1,mV\tChannel2,mV\n";
    parts.blocks = sample_line(0, 0, "\t-1.5\t2.25\t3\t0.125\t0.5") + sample_line(10, 10, "\t4\t5\t6\t7\t8");
    const Loaded loaded = load_text(parts.text());
    EXPECT_EQ(loaded.output, "");
    ASSERT_EQ(loaded.result, 0);
    const EmgReport& report = *loaded.report;
    EXPECT_EQ(report.frequency, 100.0);
    // Calibration and samples are written right, left, incisal.
    EXPECT_EQ(report.calibration_right.x, 1.0);
    EXPECT_EQ(report.calibration_left.y, 5.0);
    EXPECT_EQ(report.calibration_incisal.z, 9.0);
    ASSERT_EQ(report.exercises_number, 1);
    EXPECT_EQ(report.exercises[0].name, "Open wide");
    EXPECT_EQ(report.exercises[0].length, 1.5);
    ASSERT_EQ(report.exercises[0].data_length, 2);
    const EmgDataPoint& s = report.exercises[0].data[0];
    const double values[] = {s.right.x, s.right.z, s.left.x, s.incisal.z, s.open, s.lat_right, s.clockwise,
                             s.channel1, s.channel2};
    const double expected[] = {1.0, 3.0, 4.0, 9.0, -1.5, 2.25, 3.0, 0.125, 0.5};
    for (std::size_t i = 0; i < std::size(values); ++i)
        EXPECT_EQ(values[i], expected[i]) << "value " << i;
    EXPECT_EQ(report.exercises[0].data[1].incisal.x, 17.0);
}

//-----------------------------------------------------------------------------
// Messages
//-----------------------------------------------------------------------------

struct MessageCase {
    const char* name;
    std::function<void(ReportParts*)> change;
    std::string expected;
    int result;
};

TEST_F(ReportTest, EveryProblemPrintsItsMessage)
{
    const std::string count_message = "non-fatal error: located, but failed to read count data in file report.tsv\n";
    const MessageCase cases[] = {
        {"no exercise list", [](ReportParts* p) { p->list = ""; },
         std::string("ERROR: Could not find list of exercises\n") + closing, 1},
        {"malformed entry", [](ReportParts* p) { p->list = "Exercises\n{\n1\tOpen\t0\n}\n"; },
         std::string("ERROR: exercise list entry #0 is malformed\n") + closing, 1},
        {"frequency without a number", [](ReportParts* p) { p->frequency = "Frequency,Hz\tfast\n"; },
         std::string("ERROR: located, but failed to read frequency data\n") + closing, 1},
        {"no frequency", [](ReportParts* p) { p->frequency = ""; },
         std::string("ERROR: could not locate report frequency\n") + closing, 1},
        {"count without an integer", [](ReportParts* p) { p->count = "Count\tmany\n"; }, count_message, 0},
        {"no count", [](ReportParts* p) { p->count = ""; },
         "non-fatal error: failed to locate count data in file report.tsv\n", 0},
        {"extra header field",
         [](ReportParts* p) {
             p->header = "Time,ms\tRight.x,mm\tExtra\tRight.y,mm\tRight.z,mm\tLeft.x,mm\tLeft.y,mm\tLeft.z,mm"
                         "\tIncisal.x,mm\tIncisal.y,mm\tIncisal.z,mm\n";
         },
         std::string("ERROR: table header data is in an unrecognizable format\n") + closing, 1},
        {"calibration with eight numbers", [](ReportParts* p) { p->calibration = "Calibr 1 2 3 4 5 6 7 8\n"; },
         std::string("ERROR: located, but failed to read calibration data\n") + closing, 1},
        {"no calibration", [](ReportParts* p) { p->calibration = ""; },
         std::string("ERROR: failed to locate calibration data\n") + closing, 1},
        {"empty block",
         [](ReportParts* p) {
             p->list = exercise_list(2);
             p->blocks = sample_line(0, 0) + "\n\n" + sample_line(0, 0);
         },
         std::string("ERROR: Data points missing for exercise 1\n") + closing, 1},
        {"value out of range", [](ReportParts* p) { p->blocks = sample_line(0, 0) + "10\t1e999\t2\n"; },
         std::string("ERROR: point data entry #2 (at 10 ms) for exercise #1 is malformed\n") + closing, 1},
        {"time above the 32-bit range", [](ReportParts* p) { p->blocks = sample_line(0, 0) + "2147483648\t1\n"; },
         std::string("ERROR: point data entry #2 (at 2147483647 ms) for exercise #1 is malformed\n") + closing, 1},
        {"time below the 32-bit range", [](ReportParts* p) { p->blocks = "-2147483649\t1\n"; },
         std::string("ERROR: point data entry #1 (at -2147483648 ms) for exercise #1 is malformed\n") + closing, 1},
        {"all at once, in section order",
         [](ReportParts* p) {
             p->list = "Exercises\n{\n1\tA\t0\t1\nbad\n2\tC\t0\t1\n}\n";
             p->frequency = "";
             p->count = "Count\n";
             p->header = "Time,ms\tRight.x,mm\tx\ty\n";
             p->calibration = "Calibr 1 2\n";
             p->blocks = sample_line(0, 0) + "7\t1e400\n";
         },
         std::string("ERROR: exercise list entry #1 is malformed\n"
                     "ERROR: could not locate report frequency\n") +
             count_message +
             "ERROR: table header data is in an unrecognizable format\n"
             "ERROR: table header data is in an unrecognizable format\n"
             "ERROR: located, but failed to read calibration data\n"
             "ERROR: point data entry #2 (at 7 ms) for exercise #1 is malformed\n"
             "ERROR: Data points missing for exercise 1\n"
             "ERROR: Data points missing for exercise 2\n" +
             closing,
         1},
    };
    for (const MessageCase& c : cases) {
        SCOPED_TRACE(c.name);
        ReportParts parts;
        c.change(&parts);
        write_file("report.tsv", parts.text());
        // A failed load leaves the caller's report alone.
        auto report = std::make_unique<EmgReport>();
        EmgReport* const before = report.get();
        int result = -1;
        const std::string output = capture_stdout([&] { result = emg_extract_3d(&report, "report.tsv"); });
        EXPECT_EQ(output, c.expected);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(report.get() == before, c.result == 1);
    }
}

TEST_F(ReportTest, PathsThatAreNoFilesCannotBeOpened)
{
    std::filesystem::create_directory("folder");
    for (const char* path : {"missing.tsv", "folder", "", "/dev/zero"}) {
        SCOPED_TRACE(path);
        const Loaded loaded = load_path(path);
        EXPECT_EQ(loaded.output, std::string("ERROR: Could not open file at \"") + path + "\"\n");
        EXPECT_EQ(loaded.result, 1);
        EXPECT_EQ(loaded.report, nullptr);
    }
}

//-----------------------------------------------------------------------------
// Keywords and sections
//-----------------------------------------------------------------------------

TEST_F(ReportTest, KeywordsMatchTheWholeFirstWord)
{
    struct Case {
        const char* frequency_line;
        bool located;
    };
    const Case cases[] = {
        {"Frequency,Hz\t100\n", true},       {"   Frequency,Hz 100\n", true}, {"\tFrequency,Hz\t\t100\n", true},
        {"Frequency,Hz:\t100\n", false},     {"frequency,Hz\t100\n", false}, {"Frequency,Hz100\n", false},
        {"FREQUENCY,HZ\t100\n", false},      {"Frequency\t100\n", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frequency_line);
        ReportParts parts;
        parts.frequency = c.frequency_line;
        const Loaded loaded = load_text(parts.text());
        EXPECT_EQ(loaded.result, c.located ? 0 : 1);
        if (c.located) {
            EXPECT_EQ(loaded.report->frequency, 100.0);
        }
    }

    ReportParts calibration;
    calibration.calibration = "Calibration\t1\t2\t3\t4\t5\t6\t7\t8\t9\n";
    EXPECT_EQ(load_text(calibration.text()).output,
              std::string("ERROR: failed to locate calibration data\n") + closing);
}

TEST_F(ReportTest, SectionsStandInAnyOrderAndTheFirstKeywordLineCounts)
{
    // Calibration and table first; list, count and frequency after the only
    // block; later keyword lines are ignored.
    ReportParts parts;
    const std::string text = parts.calibration + parts.header + parts.blocks + "\n" + parts.count + parts.list +
                             "Frequency,Hz 60\nFrequency,Hz 250\nCalibr 0 0 0 0 0 0 0 0 0\nExercises\n";
    const Loaded loaded = load_text(text);
    EXPECT_EQ(loaded.output, "");
    ASSERT_EQ(loaded.result, 0);
    EXPECT_EQ(loaded.report->frequency, 60.0);
    EXPECT_EQ(loaded.report->calibration_incisal.z, 9.0);
    EXPECT_EQ(loaded.report->exercises_number, 1);
    EXPECT_EQ(loaded.report->exercises[0].data_length, 2);
}

TEST_F(ReportTest, MissingHeaderLineLeavesOptionalColumnsUnread)
{
    ReportParts parts;
    parts.calibration += "any line\n";
    parts.header = "";
    parts.blocks = sample_line(0, 0, "\t5\t6\t7\t8\t9");
    const Loaded loaded = load_text(parts.text());
    EXPECT_EQ(loaded.output, "");
    ASSERT_EQ(loaded.result, 0);
    EXPECT_FALSE(loaded.report->has_rotation_data);
    EXPECT_EQ(loaded.report->exercises[0].data[0].open, 0.0);
}

//-----------------------------------------------------------------------------
// Exercise list
//-----------------------------------------------------------------------------

TEST_F(ReportTest, ListThatClosesAtOnceHasNoExercises)
{
    ReportParts parts;
    parts.list = "Exercises\n{\n}\n";
    const Loaded loaded = load_text(parts.text());
    EXPECT_EQ(loaded.output, "");
    ASSERT_EQ(loaded.result, 0);
    EXPECT_EQ(loaded.report->exercises_number, 0);
    EXPECT_TRUE(loaded.report->exercises.empty());
}

TEST_F(ReportTest, EntryLinesFollowTheEntryPattern)
{
    struct Case {
        const char* entry;
        bool well_formed;
        const char* name;
        double length;
    };
    const std::string name126(126, 'n');
    const std::string entry126 = "1\t" + name126 + "\t0\t2\n";
    const std::string entry127 = "1\t" + std::string(127, 'n') + "\t0\t2\n";
    const std::string entry128 = "1\t" + std::string(127, 'n') + "5\t0\t2\n";
    const Case cases[] = {
        {"1\tOpen wide\t0.5\t2.5\n", true, "Open wide", 2.5},
        {"  7 \t Chew left side \t 1 \t 3\n", true, "Chew left side ", 3.0},
        {"1 Open\t0\t4\n", true, "Open", 4.0},  // white space in the pattern matches any blanks
        {"99999999999999999999\tBig number\t0\t1\n", true, "Big number", 1.0},  // the number is not kept
        {"-3\tNegative\t0\t-1e3\n", true, "Negative", -1000.0},
        {entry126.c_str(), true, name126.c_str(), 2.0},
        {entry127.c_str(), false, "", 0.0},
        {entry128.c_str(), false, "", 0.0},
        {"x\tOpen\t0\t1\n", false, "", 0.0},
        {"1\tOpen\t0\n", false, "", 0.0},
        {"1\tOpen\t0\tlong\n", false, "", 0.0},
        {"1\t\t0\t1\n", false, "", 0.0},
        {"\n", false, "", 0.0},  // an empty line in the list is an entry
        {"   \t \n", false, "", 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        ReportParts parts;
        parts.list = std::string("Exercises\n{\n") + c.entry + "}\n";
        const Loaded loaded = load_text(parts.text());
        if (c.well_formed) {
            EXPECT_EQ(loaded.output, "");
            ASSERT_EQ(loaded.result, 0);
            EXPECT_EQ(loaded.report->exercises[0].name, c.name);
            EXPECT_EQ(loaded.report->exercises[0].length, c.length);
        } else {
            EXPECT_EQ(loaded.output, std::string("ERROR: exercise list entry #0 is malformed\n") + closing);
        }
    }
}

TEST_F(ReportTest, SkippedLineIsSkippedWhateverItHolds)
{
    for (const char* skipped : {"Exercises\n", "1\tNot an entry\t0\t1\n", "\n", "{\n"}) {
        SCOPED_TRACE(skipped);
        ReportParts parts;
        parts.list = std::string("Exercises\n") + skipped + "1\tA\t0\t1\n}\n";
        const Loaded loaded = load_text(parts.text());
        EXPECT_EQ(loaded.output, "");
        ASSERT_EQ(loaded.result, 0);
        EXPECT_EQ(loaded.report->exercises_number, 1);
        EXPECT_EQ(loaded.report->frequency, 100.0);
    }
}

TEST_F(ReportTest, BlankLineTakesOverThePreviousFirstWord)
{
    // Below a skipped "}" a blank line reads as "}" and closes the list...
    ReportParts parts;
    parts.list = "Exercises\n}\n   \n1\tA\t0\t1\n}\n";
    Loaded loaded = load_text(parts.text());
    ASSERT_EQ(loaded.result, 0);
    EXPECT_EQ(loaded.report->exercises_number, 0);

    // ...but a first word of more than 126 characters counts as empty, so it
    // is an entry (and a malformed one).
    parts.list = "Exercises\n}\n" + std::string(127, 'w') + "\n}\n";
    loaded = load_text(parts.text());
    EXPECT_EQ(loaded.output, std::string("ERROR: exercise list entry #0 is malformed\n") + closing);
}

TEST_F(ReportTest, ListWithoutClosingLineRunsToTheEndOfTheFile)
{
    // The unterminated last line is still an entry. The second exercise's
    // block is whatever follows the first block: here the list itself, whose
    // lines read as samples of zeros up to the unterminated last line.
    ReportParts parts;
    const std::string text = parts.frequency + parts.count + parts.calibration + parts.header + parts.blocks + "\n" +
                             "Exercises\n{\n1\tA\t0\t1\n2\tB\t0\t1";
    const Loaded loaded = load_text(text);
    EXPECT_EQ(loaded.output, "");
    ASSERT_EQ(loaded.result, 0);
    ASSERT_EQ(loaded.report->exercises_number, 2);
    EXPECT_EQ(loaded.report->exercises[1].name, "B");
    EXPECT_EQ(loaded.report->exercises[0].data_length, 2);
    EXPECT_EQ(loaded.report->exercises[1].data_length, 3);
}

TEST_F(ReportTest, AtMostAThousandExercisesAreTaken)
{
    ReportParts parts;
    parts.list = exercise_list(1000);
    parts.list.insert(parts.list.size() - 2, "1001\tnot a well-formed entry\n");
    parts.blocks.clear();
    for (int e = 0; e < 1001; ++e)
        parts.blocks += (e > 0 ? "\n" : "") + sample_line(e, e);
    const Loaded loaded = load_text(parts.text());
    EXPECT_EQ(loaded.output, "");
    ASSERT_EQ(loaded.result, 0);
    ASSERT_EQ(loaded.report->exercises_number, 1000);
    EXPECT_EQ(loaded.report->exercises[999].name, "Exercise 1000");
    EXPECT_EQ(loaded.report->exercises[999].data[0].right.x, 1000.0);
}

//-----------------------------------------------------------------------------
// Header
//-----------------------------------------------------------------------------

TEST_F(ReportTest, HeaderColumnsMatchByPosition)
{
    const std::string positions = header_positions;
    struct Case {
        const char* name;
        std::string header;
        int messages;
        bool rotation;
        bool emg;
    };
    const Case cases[] = {
        {"ten columns", positions, 0, false, false},
        {"fewer than ten", "Time,ms\tRight.x,mm\tRight.y,mm", 0, false, false},
        {"infraorbital, each position on its own",
         "Time,ms\tRight.x,mm\tRight.y,mm\tRight.z,mm\tLeft.x,mm\tLeft.y,mm\tLeft.z,mm"
         "\tInfraorbital.x,mm\tIncisal.y,mm\tInfraorbital.z,mm",
         0, false, false},
        {"extra field among the ten",
         "Time,ms\tRight.x,mm\tRight.y,mm\tRight.z,mm\tExtra\tLeft.x,mm\tLeft.y,mm\tLeft.z,mm"
         "\tIncisal.x,mm\tIncisal.y,mm\tIncisal.z,mm",
         1, false, false},
        {"empty field among the ten",
         "Time,ms\t\tRight.x,mm\tRight.y,mm\tRight.z,mm\tLeft.x,mm\tLeft.y,mm\tLeft.z,mm"
         "\tIncisal.x,mm\tIncisal.y,mm\tIncisal.z,mm",
         1, false, false},
        {"every later field mismatches once the cursor is stuck", "Time,ms\tRight.x\tRight.y\tRight.z", 3, false,
         false},
        {"tab before the line feed adds an empty tenth field",
         "Time,ms\tRight.x,mm\tRight.y,mm\tRight.z,mm\tLeft.x,mm\tLeft.y,mm\tLeft.z,mm\tIncisal.x,mm\tIncisal.y,mm\t",
         1, false, false},
        {"angles", positions + "\tOpen,deg\tLat.Right,deg\tClockwise,deg", 0, true, false},
        {"angles and channels", positions + "\tOpen,deg\tLat.Right,deg\tClockwise,deg\tChannel1,mV\tChannel2,mV", 0,
         true, true},
        {"unknown optional fields are passed over",
         positions + "\tOpen,deg\tPitch\tLat.Right,deg\tClockwise,deg\tX\tChannel1,mV\tChannel2,mV", 0, true, true},
        {"two angles only", positions + "\tOpen,deg\tLat.Right,deg", 0, false, false},
        {"angles out of order", positions + "\tLat.Right,deg\tOpen,deg\tClockwise,deg", 0, false, false},
        {"channels without angles", positions + "\tChannel1,mV\tChannel2,mV", 0, false, false},
        {"one channel", positions + "\tOpen,deg\tLat.Right,deg\tClockwise,deg\tChannel1,mV", 0, true, false},
        {"fields after the fifteenth are ignored",
         positions + "\tOpen,deg\tLat.Right,deg\tClockwise,deg\tChannel1,mV\tChannel2,mV\tTime,ms", 0, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReportParts parts;
        parts.header = c.header + "\n";
        const Loaded loaded = load_text(parts.text());
        std::string expected;
        for (int m = 0; m < c.messages; ++m)
            expected += "ERROR: table header data is in an unrecognizable format\n";
        if (c.messages > 0)
            expected += closing;
        EXPECT_EQ(loaded.output, expected);
        if (c.messages == 0) {
            ASSERT_EQ(loaded.result, 0);
            EXPECT_EQ(loaded.report->has_rotation_data, c.rotation);
            EXPECT_EQ(loaded.report->has_emg_data, c.emg);
        }
    }
}

TEST_F(ReportTest, SampleValuesAreTakenByPositionNotByColumnName)
{
    ReportParts parts;
    parts.header = std::string(header_positions) + "\tOpen,deg\tPitch\tLat.Right,deg\tClockwise,deg\n";
    parts.blocks = sample_line(0, 0, "\t10\t20\t30\t40");
    const Loaded loaded = load_text(parts.text());
    ASSERT_EQ(loaded.result, 0);
    const EmgDataPoint& s = loaded.report->exercises[0].data[0];
    EXPECT_EQ(s.open, 10.0);
    EXPECT_EQ(s.lat_right, 20.0);  // the value under "Pitch"
    EXPECT_EQ(s.clockwise, 30.0);
}

//-----------------------------------------------------------------------------
// Sample blocks
//-----------------------------------------------------------------------------

TEST_F(ReportTest, BlocksEndAtAnEmptyLineOrTheEndOfTheFile)
{
    struct Case {
        const char* name;
        int exercises;
        std::string blocks;
        std::vector<std::int32_t> lengths;  // empty: the load fails
        std::string messages;
    };
    const std::string a = sample_line(0, 0);
    const Case cases[] = {
        {"last line needs no empty line", 2, a + "\n" + a + a, {1, 2}, ""},
        {"last line without line feed is not counted", 2, a + "\n" + a + "5\t1\t2\t3", {1, 1}, ""},
        {"more blocks than exercises", 1, a + "\n" + a + "\n" + a, {1}, ""},
        {"CRLF empty line separates blocks", 2, to_crlf(a + "\n" + a), {1, 1}, ""},
        {"a blank line is not empty", 1, a + "  \n" + a, {3}, ""},
        {"fewer blocks than exercises", 3, a, {}, "ERROR: Data points missing for exercise 1\n"
                                                  "ERROR: Data points missing for exercise 2\n"},
        {"two empty lines", 3, a + "\n\n" + a, {}, "ERROR: Data points missing for exercise 1\n"},
        {"no samples at all", 1, "", {}, "ERROR: Data points missing for exercise 0\n"},
        {"only an unterminated line", 1, "1\t2\t3", {}, "ERROR: Data points missing for exercise 0\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReportParts parts;
        parts.list = exercise_list(c.exercises);
        parts.blocks = c.blocks;
        const Loaded loaded = load_text(parts.text());
        if (c.lengths.empty()) {
            EXPECT_EQ(loaded.output, c.messages + closing);
            continue;
        }
        EXPECT_EQ(loaded.output, "");
        ASSERT_EQ(loaded.result, 0);
        for (std::size_t e = 0; e < c.lengths.size(); ++e) {
            EXPECT_EQ(loaded.report->exercises[e].data_length, c.lengths[e]);
            EXPECT_EQ(loaded.report->exercises[e].data.size(), static_cast<std::size_t>(c.lengths[e]));
        }
    }
}

TEST_F(ReportTest, SampleTableStartsTwoLinesBelowCalibration)
{
    ReportParts parts;
    parts.header = "this line is skipped\n";
    parts.blocks = sample_line(0, 0);
    Loaded loaded = load_text(parts.text());
    ASSERT_EQ(loaded.result, 0);
    EXPECT_EQ(loaded.report->exercises[0].data[0].right.x, 1.0);

    // Calibration as the last line: the table starts beyond the end of the file.
    const std::string text = parts.list + parts.frequency + parts.count + parts.calibration;
    loaded = load_text(text);
    EXPECT_EQ(loaded.output, "ERROR: Data points missing for exercise 0\n" + std::string(closing));
}

TEST_F(ReportTest, RangeErrorsFailButUnreadableValuesReadAsZero)
{
    struct Case {
        const char* line;
        bool malformed;
        double right_x;
        double right_y;
    };
    const Case cases[] = {
        {"0\tabc\t2\t3\n", false, 0.0, 0.0},  // the position stays: all later values read 0
        {"0\t1\t2\tabc\t4\n", false, 1.0, 2.0},
        {"0\t1e999\t2\n", true, HUGE_VAL, 2.0},
        {"0\t-1e999\t2\n", true, -HUGE_VAL, 2.0},
        {"0\t1e-400\t2\n", true, 0.0, 2.0},  // too small for a double
        {"0\t1e308\t-2.5e-3\n", false, 1e308, -2.5e-3},
        {"0\t+1.5\t0x10\n", false, 1.5, 16.0},
        {"0\tinf\tnan\n", false, HUGE_VAL, NAN},
        {"1.5\t2\n", false, 0.5, 2.0},  // the time stops at the point, which the next value reads
        {"x\t1\t2\n", false, 0.0, 0.0},
        {"0 1 2 3 4 5 6 7 8 9 trailing text\n", false, 1.0, 2.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        ReportParts parts;
        parts.blocks = c.line;
        const Loaded loaded = load_text(parts.text());
        if (c.malformed) {
            EXPECT_EQ(loaded.output,
                      "ERROR: point data entry #1 (at 0 ms) for exercise #1 is malformed\n" + std::string(closing));
            continue;
        }
        EXPECT_EQ(loaded.output, "");
        ASSERT_EQ(loaded.result, 0);
        const EmgDataPoint& s = loaded.report->exercises[0].data[0];
        EXPECT_EQ(s.right.x, c.right_x);
        if (std::isnan(c.right_y))
            EXPECT_TRUE(std::isnan(s.right.y));
        else
            EXPECT_EQ(s.right.y, c.right_y);
    }
}

TEST_F(ReportTest, NumbersReadExactlyAsStrtodReadsThem)
{
    std::vector<std::string> numbers = {"0.1", "-0.000", "5.", ".5", "123456789012345678", "9007199254740993",
                                        "0.1234567890123456789", "12345678901234567890.5", "1.7976931348623157e308",
                                        "2.2250738585072014e-308", "1e22", "1e23", "0.30000000000000004", "-1E-5",
                                        "007.250", "1.5e", "1.5e+", "-.75x", "0.0000000000000000000001"};
    std::uint64_t state = 12345;
    for (int i = 0; i < 3000; ++i) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        const int digits = 1 + static_cast<int>((state >> 33) % 20);
        const int point = static_cast<int>((state >> 20) % static_cast<std::uint64_t>(digits + 1));
        std::string number = (state & 1) != 0 ? "-" : "";
        std::uint64_t source = state;
        for (int d = 0; d < digits; ++d) {
            if (d == point)
                number += '.';
            number += static_cast<char>('0' + source % 10);
            source = source / 10 + (state >> 7) * (d + 1);
        }
        if ((state >> 40) % 4 == 0)
            number += "e" + std::to_string(static_cast<int>((state >> 45) % 600) - 300);
        numbers.push_back(number);
    }
    ReportParts parts;
    parts.blocks.clear();
    for (const std::string& number : numbers)
        parts.blocks += "0\t" + number + "\n";
    const Loaded loaded = load_text(parts.text());
    EXPECT_EQ(loaded.output, "");
    ASSERT_EQ(loaded.result, 0);
    ASSERT_EQ(loaded.report->exercises[0].data.size(), numbers.size());
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        SCOPED_TRACE(numbers[i]);
        const double expected = std::strtod(numbers[i].c_str(), nullptr);
        const double read = loaded.report->exercises[0].data[i].right.x;
        EXPECT_EQ(std::memcmp(&read, &expected, sizeof read), 0) << read << " != " << expected;
    }
}

TEST_F(ReportTest, LongLinesAreReadInPiecesOf1022Characters)
{
    ReportParts parts;
    const std::string values = sample_line(0, 0);
    const std::string exact = values.substr(0, values.size() - 1) + std::string(1022 - (values.size() - 1), ' ');
    ASSERT_EQ(exact.size(), 1022u);

    // 1022 characters are one line, also with CRLF.
    parts.blocks = exact + "\n" + exact + "\r\n";
    Loaded loaded = load_text(parts.text());
    ASSERT_EQ(loaded.result, 0);
    EXPECT_EQ(loaded.report->exercises[0].data_length, 2);

    // 1023 characters are two lines: the second holds the last character.
    parts.blocks = exact + "7\n";
    loaded = load_text(parts.text());
    ASSERT_EQ(loaded.result, 0);
    ASSERT_EQ(loaded.report->exercises[0].data_length, 2);
    EXPECT_EQ(loaded.report->exercises[0].data[0].incisal.z, 9.0);
    EXPECT_EQ(loaded.report->exercises[0].data[1].right.x, 0.0);

    // A long keyword line: its second piece is the skipped line below it.
    parts = ReportParts();
    parts.calibration = "Calibr 1 2 3 4 5 6 7 8 9" + std::string(1100, ' ') + "\n";
    parts.header = "";
    parts.blocks = sample_line(0, 0);
    loaded = load_text(parts.text());
    ASSERT_EQ(loaded.result, 0);
    EXPECT_EQ(loaded.report->exercises[0].data_length, 1);
}

TEST_F(ReportTest, NulByteEndsTheTextButNotTheLine)
{
    ReportParts parts;
    parts.blocks = std::string("0\t1\t2\0\t3\n", 9) + std::string("\0\n", 2) + sample_line(0, 0);
    const Loaded loaded = load_text(parts.text());
    EXPECT_EQ(loaded.output, "");
    ASSERT_EQ(loaded.result, 0);
    ASSERT_EQ(loaded.report->exercises[0].data_length, 3);
    EXPECT_EQ(loaded.report->exercises[0].data[0].right.y, 2.0);
    EXPECT_EQ(loaded.report->exercises[0].data[0].right.z, 0.0);
    EXPECT_EQ(loaded.report->exercises[0].data[2].right.x, 1.0);
}

TEST_F(ReportTest, GarbageEndsInMessagesAndAFailedLoad)
{
    std::string binary;
    for (int i = 0; i < 5000; ++i)
        binary += static_cast<char>((i * 7919) % 256);
    const std::string all_missing = "ERROR: Could not find list of exercises\n"
                                    "ERROR: could not locate report frequency\n"
                                    "non-fatal error: failed to locate count data in file report.tsv\n"
                                    "ERROR: failed to locate calibration data\n" +
                                    std::string(closing);
    for (const std::string& contents : {std::string(), binary, std::string(3000000, 'x'), std::string(4096, '\0'),
                                        std::string(2000, '\n')}) {
        SCOPED_TRACE(contents.size());
        const Loaded loaded = load_text(contents);
        EXPECT_EQ(loaded.result, 1);
        EXPECT_EQ(loaded.output, all_missing);
    }
}

}  // namespace
