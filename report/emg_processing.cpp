// The report parser: the sections of the tab-separated export, found by their
// keywords and read into an EmgReport. Lines come from report_lines, words and
// numbers from report_numbers; the motion analysis is in emg_motion.cpp and
// the dump in emg_dump.cpp.
//
// Index of this file:
// [SECTION] Keyword search
// [SECTION] Sections of the report
// [SECTION] Sample blocks
// [SECTION] emg_extract_3d, emg_free

#include "report/emg_processing.hpp"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <new>
#include <string_view>
#include <system_error>
#include <tuple>
#include <utility>

#include "base/string_tools.hpp"
#include "base/text_encoding.hpp"
#include "report/report_lines.hpp"
#include "report/report_numbers.hpp"

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace {

constexpr std::size_t first_word_max = 126;

// The first word of the line read last. A line without any word keeps the
// word of the line before it; a word longer than 126 characters counts as
// empty.
struct FirstWord {
    char chars[first_word_max + 1] = {};
};

void first_word_update(FirstWord* word, const ReportLineText& text)
{
    const char* start = number_skip_blanks(text.c_str());
    if (*start == '\0')
        return;
    const char* end = start;
    while (*end != '\0' && !number_is_blank(*end))
        ++end;
    const std::size_t length = static_cast<std::size_t>(end - start);
    if (length > first_word_max) {
        word->chars[0] = '\0';
        return;
    }
    std::memcpy(word->chars, start, length);
    word->chars[length] = '\0';
}

bool first_word_is(const FirstWord& word, const char* expected)
{
    return std::strcmp(word.chars, expected) == 0;
}

//-----------------------------------------------------------------------------
// [SECTION] Keyword search
//-----------------------------------------------------------------------------

enum Keyword {
    keyword_exercises,
    keyword_frequency,
    keyword_count,
    keyword_header,
    keyword_calibration,
    keyword_total
};

constexpr const char* keyword_words[keyword_total] = {"Exercises", "Frequency,Hz", "Count", "Time,ms", "Calibr"};

struct KeywordOffsets {
    bool located[keyword_total] = {};
    std::int64_t offset[keyword_total] = {};
};

// One pass from the start: the offset of the first line whose first word is
// each keyword. Stops once all five are located.
KeywordOffsets report_find_keywords(ReportFile* file)
{
    KeywordOffsets found;
    FirstWord word;
    ReportLineText text;
    int remaining = keyword_total;
    report_file_seek(file, file->text_start);
    while (remaining > 0) {
        const std::int64_t offset = report_file_offset(file);
        if (!report_file_next_text(file, &text))
            break;
        first_word_update(&word, text);
        for (int k = 0; k < keyword_total; ++k) {
            if (!found.located[k] && first_word_is(word, keyword_words[k])) {
                found.located[k] = true;
                found.offset[k] = offset;
                --remaining;
            }
        }
    }
    return found;
}

//-----------------------------------------------------------------------------
// [SECTION] Sections of the report
//-----------------------------------------------------------------------------

constexpr std::int32_t exercises_max = 1000;
constexpr std::size_t exercise_name_max = 126;

// Counts the entries of the exercise list: the lines after the "Exercises"
// line and the line below it, up to a line whose first word is "}" or the end
// of the file, at most 1000.
std::int32_t report_count_exercises(ReportFile* file, std::int64_t list_offset)
{
    FirstWord word;
    ReportLineText text;
    report_file_seek(file, list_offset);
    for (int i = 0; i < 2; ++i) {
        if (report_file_next_text(file, &text))
            first_word_update(&word, text);
    }
    std::int32_t count = 0;
    while (count < exercises_max && report_file_next_text(file, &text)) {
        first_word_update(&word, text);
        if (first_word_is(word, "}"))
            break;
        ++count;
    }
    return count;
}

// One entry, "%d\t%127[^\t]\t%lf\t%lf". The name is every character up to the
// next tab; a name of 127 characters or more leaves the entry malformed.
// Returns the number of fields read; the name points into the text.
int parse_exercise_entry(const ReportLineText& text, std::string_view* name, double* length)
{
    const char* p = text.c_str();
    if (!number_scan_integer(&p))
        return 0;
    p = number_skip_blanks(p);
    const char* name_end = p;
    while (*name_end != '\0' && *name_end != '\t')
        ++name_end;
    const std::size_t name_length = static_cast<std::size_t>(name_end - p);
    if (name_length == 0 || name_length > exercise_name_max)
        return 1;
    *name = std::string_view(p, name_length);
    p = number_skip_blanks(name_end);
    double not_kept = 0.0;
    if (!number_scan_number(&p, &not_kept))
        return 2;
    p = number_skip_blanks(p);
    if (!number_scan_number(&p, length))
        return 3;
    return 4;
}

// Builds the exercise array from the list; false when anything failed.
bool report_read_exercises(ReportFile* file, const KeywordOffsets& offsets, EmgReport* report)
{
    if (!offsets.located[keyword_exercises]) {
        std::printf("ERROR: Could not find list of exercises\n");
        return false;
    }
    const std::int32_t count = report_count_exercises(file, offsets.offset[keyword_exercises]);
    try {
        report->exercises.resize(static_cast<std::size_t>(count));
    } catch (const std::bad_alloc&) {
        std::printf("ERROR: Could not allocate memory for exercise array\n");
        return false;
    }
    report->exercises_number = count;

    bool ok = true;
    ReportLineText text;
    report_file_seek(file, offsets.offset[keyword_exercises]);
    for (int i = 0; i < 2; ++i)
        report_file_next_text(file, &text);
    for (std::int32_t i = 0; i < count; ++i) {
        report_file_next_text(file, &text);
        EmgExercise& exercise = report->exercises[static_cast<std::size_t>(i)];
        std::string_view name;
        double length = 0.0;
        if (parse_exercise_entry(text, &name, &length) < 4) {
            std::printf("ERROR: exercise list entry #%d is malformed\n", i);
            ok = false;
        }
        try {
            exercise.name = name;
        } catch (const std::bad_alloc&) {
            std::printf("ERROR: Could not allocate memory for the name of exercise #%d\n", i);
            ok = false;
        }
        exercise.length = length;
    }
    return ok;
}

// Names that are not UTF-8 are taken as Windows-1252 and made UTF-8; the
// console says so once per report.
void report_names_to_utf8(EmgReport* report, const char* path)
{
    bool converted = false;
    for (EmgExercise& exercise : report->exercises)
        exercise.name = text_encoding_to_utf8(exercise.name, &converted);
    if (converted)
        std::printf("non-fatal error: exercise names in file %s are not UTF-8; they were read as Windows-1252\n",
                    path);
}

// Reads the line at a located keyword.
void report_read_line_at(ReportFile* file, std::int64_t offset, ReportLineText* text)
{
    report_file_seek(file, offset);
    report_file_next_text(file, text);
}

bool report_read_frequency(ReportFile* file, const KeywordOffsets& offsets, EmgReport* report)
{
    report->frequency = -1.0;
    if (!offsets.located[keyword_frequency]) {
        std::printf("ERROR: could not locate report frequency\n");
        return false;
    }
    ReportLineText text;
    report_read_line_at(file, offsets.offset[keyword_frequency], &text);
    const char* p = text.c_str();
    if (!number_scan_word(&p) || !number_scan_number(&p, &report->frequency)) {
        std::printf("ERROR: located, but failed to read frequency data\n");
        return false;
    }
    return true;
}

// The count is checked for presence only; its value is not used.
void report_read_count(ReportFile* file, const KeywordOffsets& offsets, const char* path)
{
    if (!offsets.located[keyword_count]) {
        std::printf("non-fatal error: failed to locate count data in file %s\n", path);
        return;
    }
    ReportLineText text;
    report_read_line_at(file, offsets.offset[keyword_count], &text);
    const char* p = text.c_str();
    if (!number_scan_word(&p) || !number_scan_integer(&p))
        std::printf("non-fatal error: located, but failed to read count data in file %s\n", path);
}

struct HeaderColumn {
    const char* name;
    const char* alternative;  // or null
};

constexpr HeaderColumn header_columns[] = {
    {"Time,ms", nullptr},
    {"Right.x,mm", nullptr},
    {"Right.y,mm", nullptr},
    {"Right.z,mm", nullptr},
    {"Left.x,mm", nullptr},
    {"Left.y,mm", nullptr},
    {"Left.z,mm", nullptr},
    {"Incisal.x,mm", "Infraorbital.x,mm"},
    {"Incisal.y,mm", "Infraorbital.y,mm"},
    {"Incisal.z,mm", "Infraorbital.z,mm"},
    {"Open,deg", nullptr},
    {"Lat.Right,deg", nullptr},
    {"Clockwise,deg", nullptr},
    {"Channel1,mV", nullptr},
    {"Channel2,mV", nullptr},
};
constexpr int header_strict_columns = 10;
constexpr int header_columns_total = static_cast<int>(std::size(header_columns));
constexpr int header_rotation_complete = 12;  // "Clockwise,deg"
constexpr int header_emg_complete = 14;       // "Channel2,mV"

// Walks the header's fields with a cursor over the known columns: the first
// ten must match one by one (a mismatch is reported and the cursor stays),
// the optional five are looked for in order and other fields are passed over.
bool report_read_header(ReportFile* file, const KeywordOffsets& offsets, EmgReport* report)
{
    if (!offsets.located[keyword_header])
        return true;
    ReportLineText text;
    report_read_line_at(file, offsets.offset[keyword_header], &text);

    bool ok = true;
    int k = 0;
    std::size_t budget = text.chars.size() + 1;
    char* continuation = nullptr;
    const char* const delimiters = "\t\n";
    char* field = string_token(text.chars.data(), &budget, delimiters, &continuation);
    for (; field != nullptr && k < header_columns_total;
         field = string_token(nullptr, &budget, delimiters, &continuation)) {
        const HeaderColumn& column = header_columns[k];
        const bool match = std::strcmp(field, column.name) == 0 ||
                           (column.alternative != nullptr && std::strcmp(field, column.alternative) == 0);
        if (k < header_strict_columns) {
            if (match) {
                ++k;
            } else {
                std::printf("ERROR: table header data is in an unrecognizable format\n");
                ok = false;
            }
        } else if (match) {
            if (k == header_rotation_complete)
                report->has_rotation_data = true;
            if (k == header_emg_complete)
                report->has_emg_data = true;
            ++k;
        }
    }
    return ok;
}

bool report_read_calibration(ReportFile* file, const KeywordOffsets& offsets, EmgReport* report)
{
    double values[9] = {-1.0, -1.0, -1.0, -1.0, -1.0, -1.0, -1.0, -1.0, -1.0};
    bool ok = true;
    if (!offsets.located[keyword_calibration]) {
        std::printf("ERROR: failed to locate calibration data\n");
        ok = false;
    } else {
        ReportLineText text;
        report_read_line_at(file, offsets.offset[keyword_calibration], &text);
        const char* p = text.c_str();
        int read = 0;
        if (number_scan_word(&p)) {
            while (read < 9 && number_scan_number(&p, &values[read]))
                ++read;
        }
        if (read < 9) {
            std::printf("ERROR: located, but failed to read calibration data\n");
            ok = false;
        }
    }
    report->calibration_right = {values[0], values[1], values[2]};
    report->calibration_left = {values[3], values[4], values[5]};
    report->calibration_incisal = {values[6], values[7], values[8]};
    return ok;
}

//-----------------------------------------------------------------------------
// [SECTION] Sample blocks
//-----------------------------------------------------------------------------
//
// The sample table starts on the second line below the "Calibr" line. Each
// exercise in list order takes the next block: its sample lines up to an
// empty line or the end of the file. A block is counted before it is read so
// that its array is allocated once with its exact size; the count comes from
// the lines actually in the file, so no number in the file can ask for more
// memory than the file's own lines fill.

// Counts the sample lines of the block at the cursor and moves past the empty
// line that ends it. The file's last line counts also without a line feed.
std::int64_t report_count_block(ReportFile* file)
{
    std::int64_t count = 0;
    ReportLine line;
    while (report_file_next_line(file, &line)) {
        if (line.length == 0 && line.line_feed)
            break;
        ++count;
    }
    return count;
}

// What parse_sample found wrong with a line.
struct SampleFaults {
    bool range_error = false;  // a value out of range for its type
    int unread = 0;            // values that could not be read whole; they are held as NaN
};

// The end of the cell starting at `p`: the next blank or the end of the text.
const char* cell_end(const char* p)
{
    while (*p != '\0' && !number_is_blank(*p))
        ++p;
    return p;
}

// One cell, the next run of non-blank characters. A cell that holds one
// number and nothing else reads as that number; anything else (no cell left
// on the line, no number, or a number followed by other characters, as in
// "12,5" or "3.2mm") is held as NaN and counts as unread. Returns the end of
// the cell, so that each cell is read by its position alone.
const char* read_value(const char* p, const char* end, double* value, SampleFaults* faults)
{
    const char* const cell = number_skip_blanks(p);
    const char* next = cell;
    if (*cell != '\0')
        next = number_convert_double(cell, end, value, &faults->range_error);
    if (next != cell && (*next == '\0' || number_is_blank(*next)))
        return next;
    *value = std::numeric_limits<double>::quiet_NaN();
    ++faults->unread;
    return cell_end(next);
}

// Values of a sample line by position; cells after the last value taken are
// ignored. The time is read as an integer from the start of the line; the
// values begin after its cell.
SampleFaults parse_sample(const ReportLineText& text, const EmgReport& report, EmgDataPoint* sample, std::int32_t* time)
{
    SampleFaults faults;
    const char* const end = text.c_str() + text.length;
    const char* p = number_convert_time(text.c_str(), time, &faults.range_error);
    if (p == text.c_str()) {
        ++faults.unread;
        p = number_skip_blanks(p);
    }
    p = cell_end(p);
    double* const positions[9] = {&sample->right.x, &sample->right.y, &sample->right.z,
                                  &sample->left.x,  &sample->left.y,  &sample->left.z,
                                  &sample->incisal.x, &sample->incisal.y, &sample->incisal.z};
    for (double* value : positions)
        p = read_value(p, end, value, &faults);
    if (report.has_rotation_data) {
        p = read_value(p, end, &sample->open, &faults);
        p = read_value(p, end, &sample->lat_right, &faults);
        p = read_value(p, end, &sample->clockwise, &faults);
    }
    if (report.has_emg_data) {
        p = read_value(p, end, &sample->channel1, &faults);
        read_value(p, end, &sample->channel2, &faults);
    }
    return faults;
}

// Filling a large new array costs one page fault per page touched. On Linux
// the array is offered huge pages, which cuts the faults of a block of a
// million samples from tens of thousands to a few dozen. Only advice: the
// memory is the same either way.
void advise_huge_pages([[maybe_unused]] const void* data, [[maybe_unused]] std::size_t bytes)
{
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    // Only the whole 2 MiB pages inside the array, which it fills entirely.
    const std::uintptr_t huge_page = std::uintptr_t{2} << 20;
    const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t begin = (start + huge_page - 1) & ~(huge_page - 1);
    const std::uintptr_t end = (start + bytes) & ~(huge_page - 1);
    if (end > begin)
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#endif
}

bool report_read_samples(ReportFile* file, const KeywordOffsets& offsets, EmgReport* report, const char* path)
{
    // Without a "Calibr" line the sample table has no starting line, so no
    // block is read; the calibration message has already failed the load.
    if (!offsets.located[keyword_calibration])
        return false;

    ReportLineText text;
    report_file_seek(file, offsets.offset[keyword_calibration]);
    report_file_next_text(file, &text);
    report_file_next_text(file, &text);
    std::int64_t block = report_file_offset(file);

    bool ok = true;
    for (std::int32_t e = 0; e < report->exercises_number; ++e) {
        EmgExercise& exercise = report->exercises[static_cast<std::size_t>(e)];
        report_file_seek(file, block);
        const std::int64_t count = report_count_block(file);
        const std::int64_t next_block = report_file_offset(file);
        if (count == 0) {
            std::printf("ERROR: Data points missing for exercise %d\n", e);
            ok = false;
            block = next_block;
            continue;
        }
        // Sample counts are 32-bit: a longer block cannot be held, like one whose
        // memory cannot be had.
        bool allocated = count <= std::numeric_limits<std::int32_t>::max();
        if (allocated) {
            try {
                exercise.data.reserve(static_cast<std::size_t>(count));
            } catch (const std::bad_alloc&) {
                allocated = false;
            }
        }
        if (!allocated) {
            std::printf("Could not allocate memory for the data array of exercise #%i\n", e);
            ok = false;
            block = next_block;
            continue;
        }
        const auto samples = static_cast<std::int32_t>(count);
        advise_huge_pages(exercise.data.data(), exercise.data.capacity() * sizeof(EmgDataPoint));

        // Each sample is built whole and appended to the reserved array, so
        // the array is written once. A line that vanished since the count (a
        // file cut meanwhile) reads as an empty line.
        // Values that could not be read are held as NaN (missing) and the
        // load goes on; the exercise's first such entry and their number are
        // told once, and the number is kept with the exercise.
        std::int64_t unread = 0;
        std::int32_t first_unread_entry = 0, first_unread_time = 0;
        report_file_seek(file, block);
        for (std::int32_t j = 0; j < samples; ++j) {
            report_file_next_text(file, &text);
            EmgDataPoint sample{};
            std::int32_t time = 0;
            const SampleFaults faults = parse_sample(text, *report, &sample, &time);
            if (faults.range_error) {
                std::printf("ERROR: point data entry #%d (at %ld ms) for exercise #%d is malformed\n", j + 1,
                            static_cast<long>(time), e + 1);
                ok = false;
            }
            if (faults.unread > 0 && unread == 0)
                std::tie(first_unread_entry, first_unread_time) = std::pair(j + 1, time);
            unread += faults.unread;
            exercise.data.push_back(sample);
        }
        exercise.unreadable_values = unread;
        if (unread > 0)
            std::printf("non-fatal error: exercise #%d (%s) has %lld values that could not be read, "
                        "the first in point data entry #%d (at %ld ms) in file %s\n",
                        e + 1, exercise.name.c_str(), static_cast<long long>(unread), first_unread_entry,
                        static_cast<long>(first_unread_time), path);
        block = next_block;
    }
    return ok;
}

// The reading of a report whose file is open.
int emg_extract_opened(ReportFile* opened, std::unique_ptr<EmgReport>* report, const char* path)
{
    ReportFile& file = *opened;
    std::unique_ptr<EmgReport> built;
    try {
        built = std::make_unique<EmgReport>();
    } catch (const std::bad_alloc&) {
        std::printf("ERROR: Could allocate memory for report\n");
        return 1;
    }

    // A UTF-8 byte order mark is skipped; UTF-16 and UTF-32 are refused
    // with one message rather than the messages of every section missed.
    const TextEncodingStart start =
        text_encoding_start(std::string_view(file.window.get(), std::min<std::size_t>(file.filled, 512)));
    if (start.wide != nullptr) {
        std::printf("ERROR: the file at \"%s\" is %s text, which Zelto does not read: save it as UTF-8\n", path,
                    start.wide);
        std::printf("ERROR: Could not retrieve data from file at \"%s\" properly.\n", path);
        return 1;
    }
    file.text_start = static_cast<std::int64_t>(start.utf8_mark);

    const KeywordOffsets offsets = report_find_keywords(&file);
    bool ok = report_read_exercises(&file, offsets, built.get());
    report_names_to_utf8(built.get(), path);
    ok = report_read_frequency(&file, offsets, built.get()) && ok;
    report_read_count(&file, offsets, path);
    ok = report_read_header(&file, offsets, built.get()) && ok;
    ok = report_read_calibration(&file, offsets, built.get()) && ok;
    ok = report_read_samples(&file, offsets, built.get(), path) && ok;
    file.handle.reset();
    if (!file.fault.empty()) {
        std::printf("ERROR: %s\n", file.fault.c_str());
        ok = false;
    }

    if (!ok || report == nullptr) {
        emg_free(std::move(built));
        std::printf("ERROR: Could not retrieve data from file at \"%s\" properly.\n", path);
        return 1;
    }
    *report = std::move(built);
    return 0;
}

}  // namespace

//-----------------------------------------------------------------------------
// [SECTION] emg_extract_3d, emg_free
//-----------------------------------------------------------------------------

// Every section is examined even after a failure so that all problems are
// printed in one go; the report is delivered only when none was fatal.
int emg_extract_3d(std::unique_ptr<EmgReport>* report, const char* path)
{
    // Memory that runs out anywhere in the reading ends the load like a
    // broken report.
    try {
        ReportFile file;
        std::string why = "no file named";
        if (path == nullptr || !report_file_open(&file, path, &why)) {
            std::printf("ERROR: Could not open file at \"%s\"\n", path != nullptr ? path : "(null)");
            std::printf("ERROR: %s\n", why.c_str());
            return 1;
        }
        return emg_extract_opened(&file, report, path);
    } catch (const std::bad_alloc&) {
        std::printf("ERROR: Not enough memory to read \"%s\"\n", path);
        std::printf("ERROR: Could not retrieve data from file at \"%s\" properly.\n", path);
        return 1;
    }
}

void emg_free(std::unique_ptr<EmgReport> report)
{
    report.reset();
}
