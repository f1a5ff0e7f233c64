// Reports: reading the tab-separated export, analysing the motion in it and
// dumping it on the console.
//
// Index of this file:
// [SECTION] Reading the file line by line
// [SECTION] Words and number conversions
// [SECTION] Keyword search
// [SECTION] Sections of the report
// [SECTION] Sample blocks
// [SECTION] emg_extract_3d, emg_free
// [SECTION] Motion analysis
// [SECTION] Report dump

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

#include "base/text_encoding.hpp"
#include "widgets/string_tools.hpp"

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace {

//-----------------------------------------------------------------------------
// [SECTION] Reading the file line by line
//-----------------------------------------------------------------------------
//
// A report is read as a sequence of lines. A line ends at a line feed; a
// carriage return right before the line feed is not part of it, so files
// with CRLF line ends read exactly like files with LF line ends. The last
// line of a file needs no line feed. A line is always read whole, whatever
// its length.
//
// The file is read through a window of at most 1 MiB, which grows only to
// hold a longer line, so a report of any size needs little memory beyond the
// report being built; sections are found again by their byte offsets.

constexpr std::size_t read_window_max = std::size_t{1} << 20;
constexpr std::size_t read_window_min = 4096;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

struct ReportFile {
    std::unique_ptr<std::FILE, FileCloser> handle;
    std::unique_ptr<char[]> window;
    std::size_t window_size = 0;
    std::int64_t window_offset = 0;  // file offset of window[0]
    std::size_t cursor = 0;          // index of the next unread byte in the window
    std::size_t filled = 0;          // window[0, filled) holds file bytes
    bool exhausted = false;          // no file bytes lie beyond window[filled - 1]
    std::string fault;               // why reading stopped before the end (a read error, no memory)
    std::int64_t text_start = 0;     // where the text starts: after a UTF-8 byte order mark
};

// One line, pointing into the read window: valid until the next read.
struct Line {
    const char* chars;
    std::size_t length;  // without the line feed and a carriage return before it
    bool line_feed;      // a line feed ends the line (only the file's last line may lack one)
};

// The text of a line as a C string, with its line feed when it had one. A NUL
// byte inside the line ends the text that the conversions see; the line still
// counts as a line of its full length.
struct LineText {
    std::string chars;
    std::size_t length = 0;  // up to the first NUL

    const char* c_str() const { return chars.c_str(); }
};

// Opens a regular file and reads its first bytes. Directories, devices and
// pipes are refused, as is a file that cannot be read at all: those could hang
// the reader or never hold a report.
// *why tells the reason when it is false.
bool report_file_open(ReportFile* file, const char* path, std::string* why)
{
    std::error_code error;
    const std::filesystem::path name(path);
    const std::filesystem::file_status status = std::filesystem::status(name, error);
    if (!std::filesystem::exists(status)) {
        *why = error && error != std::errc::no_such_file_or_directory ? error.message() : "the file does not exist";
        return false;
    }
    if (std::filesystem::is_directory(status)) {
        *why = "it is a directory";
        return false;
    }
    if (!std::filesystem::is_regular_file(status)) {
        *why = "it is not a regular file";
        return false;
    }
    const std::uintmax_t size = std::filesystem::file_size(name, error);
    if (error) {
        *why = error.message();
        return false;
    }
    file->handle.reset(std::fopen(path, "rb"));
    if (file->handle == nullptr) {
        *why = errno == EACCES ? "no permission to read it" : std::strerror(errno);
        return false;
    }
    // Small files get a small window; the size is only a capacity, so a file
    // that grows meanwhile is still read to its end.
    file->window_size = static_cast<std::size_t>(
        std::clamp<std::uintmax_t>(size + 1, read_window_min, read_window_max));
    file->window = std::make_unique_for_overwrite<char[]>(file->window_size);
    file->filled = std::fread(file->window.get(), 1, file->window_size, file->handle.get());
    if (std::ferror(file->handle.get()) != 0) {
        *why = std::strerror(errno);
        return false;
    }
    file->exhausted = file->filled < file->window_size;
    return true;
}

std::int64_t report_file_offset(const ReportFile* file)
{
    return file->window_offset + static_cast<std::int64_t>(file->cursor);
}

// Moves to an offset met before (at most the end of the file).
void report_file_seek(ReportFile* file, std::int64_t offset)
{
    if (offset >= file->window_offset && offset <= file->window_offset + static_cast<std::int64_t>(file->filled)) {
        file->cursor = static_cast<std::size_t>(offset - file->window_offset);
        return;
    }
    file->window_offset = offset;
    file->cursor = 0;
    file->filled = 0;
    file->exhausted = !file->fault.empty() || offset > std::numeric_limits<long>::max() ||
                      std::fseek(file->handle.get(), static_cast<long>(offset), SEEK_SET) != 0;
}

// Reads more of the file behind the bytes not yet read, which move to the
// start of the window; a window they fill doubles. A read error, or a
// window that cannot grow, ends the file and is kept as its fault.
void report_file_read_more(ReportFile* file)
{
    if (!file->fault.empty()) {
        file->exhausted = true;
        return;
    }
    const std::size_t rest = file->filled - file->cursor;
    std::memmove(file->window.get(), file->window.get() + file->cursor, rest);
    file->window_offset += static_cast<std::int64_t>(file->cursor);
    file->cursor = 0;
    file->filled = rest;
    if (rest == file->window_size) {
        const std::size_t larger = 2 * file->window_size;
        std::unique_ptr<char[]> window;
        try {
            window = std::make_unique_for_overwrite<char[]>(larger);
        } catch (const std::bad_alloc&) {
            file->fault = "not enough memory for a line of more than " + std::to_string(rest) + " bytes";
            file->exhausted = true;
            return;
        }
        std::memcpy(window.get(), file->window.get(), rest);
        file->window = std::move(window);
        file->window_size = larger;
    }
    const std::size_t room = file->window_size - rest;
    const std::size_t got = std::fread(file->window.get() + rest, 1, room, file->handle.get());
    file->filled += got;
    file->exhausted = got < room;
    if (std::ferror(file->handle.get()) != 0)
        file->fault = std::string("the file could not be read: ") + std::strerror(errno);
}

// Reads the next line; false at the end of the file.
bool report_file_next_line(ReportFile* file, Line* line)
{
    std::size_t searched = 0;  // bytes after the cursor known to hold no line feed
    for (;;) {
        const char* start = file->window.get() + file->cursor;
        const std::size_t available = file->filled - file->cursor;
        const void* line_feed = std::memchr(start + searched, '\n', available - searched);
        if (line_feed != nullptr) {
            std::size_t length = static_cast<std::size_t>(static_cast<const char*>(line_feed) - start);
            file->cursor += length + 1;
            if (length > 0 && start[length - 1] == '\r')
                --length;
            *line = {start, length, true};
            return true;
        }
        if (file->exhausted) {
            if (available == 0)
                return false;
            *line = {start, available, false};
            file->cursor += available;
            return true;
        }
        searched = available;
        report_file_read_more(file);
    }
}

// Reads the next line as text; false at the end of the file, where the text
// is left empty.
bool report_file_next_text(ReportFile* file, LineText* text)
{
    Line line;
    if (!report_file_next_line(file, &line)) {
        text->chars.clear();
        text->length = 0;
        return false;
    }
    text->chars.assign(line.chars, line.length);
    if (line.line_feed)
        text->chars.push_back('\n');
    const void* nul = std::memchr(text->chars.data(), '\0', text->chars.size());
    text->length = nul != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nul) - text->chars.data())
                                  : text->chars.size();
    return true;
}

//-----------------------------------------------------------------------------
// [SECTION] Words and number conversions
//-----------------------------------------------------------------------------
//
// The sections are read like the standard library's formatted input would
// read them ("%*s %lf", "%d\t%127[^\t]\t%lf\t%lf"): white space in a pattern
// matches any run of blanks, including none; numbers are converted like
// strtod reads them, in the default locale.

constexpr std::size_t first_word_max = 126;

bool is_blank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

const char* skip_blanks(const char* p)
{
    while (is_blank(*p))
        ++p;
    return p;
}

// The first word of the line read last. A line without any word keeps the
// word of the line before it; a word longer than 126 characters counts as
// empty.
struct FirstWord {
    char chars[first_word_max + 1] = {};
};

void first_word_update(FirstWord* word, const LineText& text)
{
    const char* start = skip_blanks(text.c_str());
    if (*start == '\0')
        return;
    const char* end = start;
    while (*end != '\0' && !is_blank(*end))
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

// "%*s": a run of non-blank characters after blanks.
bool scan_word(const char** p)
{
    const char* s = skip_blanks(*p);
    if (*s == '\0')
        return false;
    while (*s != '\0' && !is_blank(*s))
        ++s;
    *p = s;
    return true;
}

// "%d" where the value is not used: an optional sign and decimal digits after
// blanks. Since the value is dropped, any number of digits reads without
// overflow.
bool scan_integer(const char** p)
{
    const char* s = skip_blanks(*p);
    if (*s == '+' || *s == '-')
        ++s;
    if (!is_digit(*s))
        return false;
    while (is_digit(*s))
        ++s;
    *p = s;
    return true;
}

// "%lf": a number as strtod reads it. An out-of-range value reads as strtod
// gives it (an infinity or a tiny value).
bool scan_number(const char** p, double* value)
{
    char* end = nullptr;
    const double v = std::strtod(*p, &end);
    if (end == *p)
        return false;
    *value = v;
    *p = end;
    return true;
}

// Powers of ten that a double holds exactly.
constexpr double exact_powers_of_ten[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                          1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The common sample value: [-]digits[.digits], no exponent. When the digits
// form an integer m below 2^53 with k <= 22 of them after the point, m and
// 10^k are exact doubles and the one division m / 10^k is correctly rounded,
// which is the value strtod gives. Returns null for anything else.
const char* convert_plain_decimal(const char* s, double* value)
{
    const bool negative = *s == '-';
    const char* const digits_start = negative ? s + 1 : s;
    const char* c = digits_start;
    std::uint64_t mantissa = 0;
    int digits = 0;
    int fraction = 0;
    for (; is_digit(*c); ++c) {
        if (++digits > 19)
            return nullptr;
        mantissa = mantissa * 10 + static_cast<std::uint64_t>(*c - '0');
    }
    const bool hexadecimal = (*c == 'x' || *c == 'X') && c == digits_start + 1 && *digits_start == '0';
    if (*c == '.') {
        for (++c; is_digit(*c); ++c) {
            if (++digits > 19)
                return nullptr;
            mantissa = mantissa * 10 + static_cast<std::uint64_t>(*c - '0');
            ++fraction;
        }
    }
    if (digits == 0 || hexadecimal || *c == 'e' || *c == 'E' || mantissa > (std::uint64_t{1} << 53) ||
        fraction >= static_cast<int>(std::size(exact_powers_of_ten)))
        return nullptr;
    const double magnitude = static_cast<double>(mantissa) / exact_powers_of_ten[fraction];
    *value = negative ? -magnitude : magnitude;
    return c;
}

// strtod semantics, fast. Plain decimals take the exact path above; other
// decimal numbers go through from_chars, which rounds the same way. Whatever
// neither takes with a normal or an exact zero result (a sign +, hexadecimal,
// inf, nan, overflow, subnormal values) goes to strtod itself, whose range
// error decides. Returns where the conversion ended: `p` itself when no
// number was met, the value then being 0.
const char* convert_double(const char* p, const char* end, double* value, bool* range_error)
{
    const char* s = skip_blanks(p);
    if (const char* stop = convert_plain_decimal(s, value))
        return stop;
    const char* digits = (s < end && *s == '-') ? s + 1 : s;
    const bool plain = digits < end && (is_digit(*digits) || *digits == '.') &&
                       !(digits[0] == '0' && digits + 1 < end && (digits[1] == 'x' || digits[1] == 'X'));
    if (plain) {
        double v = 0.0;
        const auto [stop, error] = std::from_chars(s, end, v);
        if (error == std::errc{}) {
            bool exact = std::isnormal(v);
            if (v == 0.0) {
                exact = true;
                for (const char* c = digits; c < stop && *c != 'e' && *c != 'E'; ++c) {
                    if (*c >= '1' && *c <= '9')
                        exact = false;
                }
            }
            if (exact) {
                *value = v;
                return stop;
            }
        }
    }
    errno = 0;
    char* stop = nullptr;
    const double v = std::strtod(p, &stop);
    if (errno == ERANGE)
        *range_error = true;
    *value = v;
    return stop;
}

// The time column: a base-10 integer as strtol reads one, which must lie in
// the 32-bit signed range; beyond it the time is a range error and reads as
// the nearest end of the range.
const char* convert_time(const char* p, std::int32_t* time, bool* range_error)
{
    const char* s = skip_blanks(p);
    bool negative = false;
    if (*s == '+' || *s == '-') {
        negative = *s == '-';
        ++s;
    }
    if (!is_digit(*s)) {
        *time = 0;
        return p;
    }
    const std::int64_t limit = negative ? -std::int64_t{std::numeric_limits<std::int32_t>::min()}
                                        : std::int64_t{std::numeric_limits<std::int32_t>::max()};
    std::int64_t magnitude = 0;
    bool overflow = false;
    for (; is_digit(*s); ++s) {
        if (!overflow) {
            magnitude = magnitude * 10 + (*s - '0');
            overflow = magnitude > limit;
        }
    }
    if (overflow) {
        *range_error = true;
        *time = negative ? std::numeric_limits<std::int32_t>::min() : std::numeric_limits<std::int32_t>::max();
    } else {
        *time = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
    }
    return s;
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
    LineText text;
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
    LineText text;
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
int parse_exercise_entry(const LineText& text, std::string_view* name, double* length)
{
    const char* p = text.c_str();
    if (!scan_integer(&p))
        return 0;
    p = skip_blanks(p);
    const char* name_end = p;
    while (*name_end != '\0' && *name_end != '\t')
        ++name_end;
    const std::size_t name_length = static_cast<std::size_t>(name_end - p);
    if (name_length == 0 || name_length > exercise_name_max)
        return 1;
    *name = std::string_view(p, name_length);
    p = skip_blanks(name_end);
    double not_kept = 0.0;
    if (!scan_number(&p, &not_kept))
        return 2;
    p = skip_blanks(p);
    if (!scan_number(&p, length))
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
    LineText text;
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
void report_read_line_at(ReportFile* file, std::int64_t offset, LineText* text)
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
    LineText text;
    report_read_line_at(file, offsets.offset[keyword_frequency], &text);
    const char* p = text.c_str();
    if (!scan_word(&p) || !scan_number(&p, &report->frequency)) {
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
    LineText text;
    report_read_line_at(file, offsets.offset[keyword_count], &text);
    const char* p = text.c_str();
    if (!scan_word(&p) || !scan_integer(&p))
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
    LineText text;
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
        LineText text;
        report_read_line_at(file, offsets.offset[keyword_calibration], &text);
        const char* p = text.c_str();
        int read = 0;
        if (scan_word(&p)) {
            while (read < 9 && scan_number(&p, &values[read]))
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
    Line line;
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
    while (*p != '\0' && !is_blank(*p))
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
    const char* const cell = skip_blanks(p);
    const char* next = cell;
    if (*cell != '\0')
        next = convert_double(cell, end, value, &faults->range_error);
    if (next != cell && (*next == '\0' || is_blank(*next)))
        return next;
    *value = std::numeric_limits<double>::quiet_NaN();
    ++faults->unread;
    return cell_end(next);
}

// Values of a sample line by position; cells after the last value taken are
// ignored. The time is read as an integer from the start of the line; the
// values begin after its cell.
SampleFaults parse_sample(const LineText& text, const EmgReport& report, EmgDataPoint* sample, std::int32_t* time)
{
    SampleFaults faults;
    const char* const end = text.c_str() + text.length;
    const char* p = convert_time(text.c_str(), time, &faults.range_error);
    if (p == text.c_str()) {
        ++faults.unread;
        p = skip_blanks(p);
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

    LineText text;
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
        // data_length is 32-bit: a longer block cannot be held, like one whose
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
        exercise.data_length = static_cast<std::int32_t>(count);
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
        for (std::int32_t j = 0; j < exercise.data_length; ++j) {
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

//-----------------------------------------------------------------------------
// [SECTION] Motion analysis
//-----------------------------------------------------------------------------

namespace {

Vector3 emg_centroid(const EmgDataPoint* s)
{
    return {(s->left.x + s->incisal.x + s->right.x) / 3.0, (s->left.y + s->incisal.y + s->right.y) / 3.0,
            (s->left.z + s->incisal.z + s->right.z) / 3.0};
}

// The samples that can be indexed: data_length, kept within the array.
std::int32_t emg_sample_count(const EmgExercise* exercise)
{
    const std::int64_t stored = static_cast<std::int64_t>(exercise->data.size());
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(exercise->data_length, 0, stored));
}

// The distance of a sample's centroid from the centroid `to`: the scans below
// take the first sample's centroid once rather than once per sample.
inline double emg_centroid_distance(const EmgDataPoint* a, const Vector3& to)
{
    const Vector3 ca = emg_centroid(a);
    const double dx = ca.x - to.x;
    const double dy = ca.y - to.y;
    const double dz = ca.z - to.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

inline bool emg_is_whole(const EmgDataPoint& s)
{
    return std::isfinite(s.left.x) && std::isfinite(s.left.y) && std::isfinite(s.left.z) &&
           std::isfinite(s.incisal.x) && std::isfinite(s.incisal.y) && std::isfinite(s.incisal.z) &&
           std::isfinite(s.right.x) && std::isfinite(s.right.y) && std::isfinite(s.right.z);
}

// The phases are measured from the first sample whose centroid is finite;
// samples whose distance from it is not finite (a coordinate that is NaN or
// infinite) are missing: they never cross a threshold and are never the
// farthest or nearest sample of a phase.
struct EmgPhaseThresholds {
    Vector3 first;  // the centroid distances are measured from
    double open;    // a phase opens above this distance from it
    double close;   // and closes below this one
};

// The thresholds are parts of the distance of the farthest sample. False
// when no sample has a finite centroid.
bool emg_phase_thresholds(const EmgDataPoint* data, std::int32_t n, EmgPhaseThresholds* thresholds)
{
    std::int32_t reference = 0;
    Vector3 first = emg_centroid(&data[0]);
    while (!(std::isfinite(first.x) && std::isfinite(first.y) && std::isfinite(first.z))) {
        if (++reference == n)
            return false;
        first = emg_centroid(&data[reference]);
    }
    double far_distance = 0.0;
    for (std::int32_t i = reference + 1; i < n; ++i) {
        const double d = emg_centroid_distance(&data[i], first);
        if (d > far_distance && std::isfinite(d))
            far_distance = d;
    }
    // The single-precision 0.3 and 0.2, used in double arithmetic.
    *thresholds = {first, far_distance * 0.30000001192092896, far_distance * 0.20000000298023224};
    return true;
}

// The phase scan with hysteresis: a crossing above the open threshold starts
// an opening phase, one below the close threshold a closing phase. Counts the
// crossings and stores them when `crossings` is not null.
std::int32_t emg_scan_crossings(const EmgDataPoint* data, std::int32_t n, const EmgPhaseThresholds& thresholds,
                                std::int32_t* crossings)
{
    const Vector3 first = thresholds.first;
    const double open_threshold = thresholds.open;
    const double close_threshold = thresholds.close;
    bool open = false;
    std::int32_t k = 0;
    for (std::int32_t i = 0; i < n; ++i) {
        const double d = emg_centroid_distance(&data[i], first);
        const bool crossed = open ? close_threshold > d : d > open_threshold;
        if (!crossed || !std::isfinite(d))
            continue;
        open = !open;
        if (crossings != nullptr)
            crossings[k] = i;
        ++k;
    }
    return k;
}

}  // namespace

double emg_point_distance(const EmgDataPoint* a, const EmgDataPoint* b)
{
    return emg_centroid_distance(a, emg_centroid(b));
}

int emg_analyze_open_close_movements(std::vector<std::int32_t>* movements, std::int32_t* movements_number,
                                     const EmgExercise* exercise)
{
    if (movements == nullptr || movements_number == nullptr || exercise == nullptr) {
        std::printf("u ohh!\n");
        return 1;
    }
    const std::int32_t n = emg_sample_count(exercise);
    if (n <= 0) {
        movements->clear();
        *movements_number = 0;
        return 0;
    }
    const EmgDataPoint* data = exercise->data.data();

    EmgPhaseThresholds thresholds;
    if (!emg_phase_thresholds(data, n, &thresholds)) {
        movements->clear();
        *movements_number = 0;
        return 0;
    }
    const std::int32_t k = emg_scan_crossings(data, n, thresholds, nullptr);
    std::vector<std::int32_t> crossings(static_cast<std::size_t>(k));
    emg_scan_crossings(data, n, thresholds, crossings.data());

    // Each phase runs to the next crossing; an opening phase is represented by
    // its farthest sample, a closing phase by its nearest, the earliest on ties.
    const Vector3 first = thresholds.first;
    for (std::int32_t j = 0; j < k; ++j) {
        const std::int32_t start = crossings[static_cast<std::size_t>(j)];
        const std::int32_t end = j + 1 < k ? crossings[static_cast<std::size_t>(j + 1)] : n;
        const bool opening = j % 2 == 0;
        std::int32_t best = start;
        double best_distance = emg_centroid_distance(&data[start], first);
        for (std::int32_t i = start; i < end; ++i) {
            const double d = emg_centroid_distance(&data[i], first);
            if ((opening ? d > best_distance : d < best_distance) && std::isfinite(d)) {
                best = i;
                best_distance = d;
            }
        }
        crossings[static_cast<std::size_t>(j)] = best;
    }
    *movements = std::move(crossings);
    *movements_number = k;
    return 0;
}

const EmgDataPoint* emg_reference_sample(const EmgExercise* exercise)
{
    const std::int32_t n = exercise != nullptr ? emg_sample_count(exercise) : 0;
    for (std::int32_t i = 0; i < n; ++i)
        if (emg_is_whole(exercise->data[static_cast<std::size_t>(i)]))
            return &exercise->data[static_cast<std::size_t>(i)];
    return nullptr;
}

EmgOpeningReference emg_opening_reference(const EmgDataPoint* first)
{
    EmgOpeningReference reference;
    if (first == nullptr) {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        reference.a0 = reference.axis0 = Vector3{nan, nan, nan};
        return reference;
    }
    Vector3 b0;
    algebra_vector_vector_sub(&reference.a0, &first->right, &first->left);
    algebra_vector_vector_sub(&b0, &first->right, &first->incisal);
    Matrix3 basis0;
    algebra_orthonormal_basis_from_plane(&basis0, &reference.a0, &b0);
    reference.axis0 = Vector3{basis0.m[3], basis0.m[4], basis0.m[5]};
    return reference;
}

double emg_opening_angle(const EmgOpeningReference* reference, const EmgDataPoint* sample)
{
    Vector3 a;
    Vector3 b;
    algebra_vector_vector_sub(&a, &sample->right, &sample->left);
    algebra_vector_vector_sub(&b, &sample->right, &sample->incisal);
    Matrix3 basis;
    algebra_orthonormal_basis_from_plane(&basis, &a, &b);
    const Vector3 axis{basis.m[3], basis.m[4], basis.m[5]};
    double angle = algebra_vector_vector_angle(&reference->axis0, &axis);
    // A turn in the right-handed sense about the first sample's
    // left-to-right direction counts negative.
    Vector3 turn;
    algebra_vector_vector_cross(&turn, &reference->axis0, &axis);
    if (algebra_vector_vector_dot(&turn, &reference->a0) > 0)
        angle = -angle;
    // Degrees per radian as the single-precision 57.295826.
    return angle * 57.29582595825195;
}

std::int32_t emg_count_opening_movements(const EmgExercise* exercise)
{
    const std::int32_t n = exercise != nullptr ? emg_sample_count(exercise) : 0;
    if (n <= 0)
        return 0;
    EmgPhaseThresholds thresholds;
    if (!emg_phase_thresholds(exercise->data.data(), n, &thresholds))
        return 0;
    // Opening phases sit at the even positions of the crossings.
    return (emg_scan_crossings(exercise->data.data(), n, thresholds, nullptr) + 1) / 2;
}

int emg_compute_rotation_data(EmgReport* report)
{
    if (report == nullptr)
        return 1;
    for (EmgExercise& exercise : report->exercises) {
        const std::int32_t n = emg_sample_count(&exercise);
        const EmgOpeningReference reference = emg_opening_reference(emg_reference_sample(&exercise));
        for (std::int32_t i = 0; i < n; ++i) {
            EmgDataPoint& sample = exercise.data[static_cast<std::size_t>(i)];
            sample.open = emg_is_whole(sample) ? emg_opening_angle(&reference, &sample)
                                               : std::numeric_limits<double>::quiet_NaN();
        }
    }
    report->has_rotation_data = true;
    report->rotation_data_computed = true;
    return 0;
}

//-----------------------------------------------------------------------------
// [SECTION] Report dump
//-----------------------------------------------------------------------------

void emg_print(const EmgReport* report)
{
    if (report == nullptr)
        return;
    std::printf("\n");
    std::printf("EMG REPORT AT: %p\n", static_cast<const void*>(report));
    std::printf("\n");
    std::printf("frequency: %lf\n", report->frequency);
    const Vector3& l = report->calibration_left;
    const Vector3& c = report->calibration_incisal;
    const Vector3& r = report->calibration_right;
    std::printf("calibration left:    %10.4lf %10.4lf %10.4lf\n", l.x, l.y, l.z);
    std::printf("calibration incisal: %10.4lf %10.4lf %10.4lf\n", c.x, c.y, c.z);
    std::printf("calibration right:   %10.4lf %10.4lf %10.4lf\n", r.x, r.y, r.z);
    std::printf("EMG EXERCISE AT: %p\n", static_cast<const void*>(report->exercises.data()));
    std::printf("exercises_number: %d\n", report->exercises_number);
    std::printf("\n");

    const std::int32_t exercises = static_cast<std::int32_t>(
        std::clamp<std::int64_t>(report->exercises_number, 0, static_cast<std::int64_t>(report->exercises.size())));
    for (std::int32_t i = 0; i < exercises; ++i) {
        const EmgExercise& exercise = report->exercises[static_cast<std::size_t>(i)];
        std::printf("exercise[%d]: name: %s\n", i, exercise.name.c_str());
        std::printf("exercise[%d]: length: %lf\n", i, exercise.length);
        std::printf("exercise[%d]: data_length: %d\n", i, exercise.data_length);
        std::printf("exercise[%d]: DATA AT: %p\n", i, static_cast<const void*>(exercise.data.data()));
        const std::int32_t shown = std::min(emg_sample_count(&exercise), std::int32_t{6});
        for (std::int32_t j = 0; j < shown; ++j) {
            const EmgDataPoint& s = exercise.data[static_cast<std::size_t>(j)];
            std::printf("exercise[%d]: data[%d]: left:    %10.4lf %10.4lf %10.4lf\n", i, j, s.left.x, s.left.y,
                        s.left.z);
            std::printf("exercise[%d]: data[%d]: incisal: %10.4lf %10.4lf %10.4lf\n", i, j, s.incisal.x,
                        s.incisal.y, s.incisal.z);
            std::printf("exercise[%d]: data[%d]: right:   %10.4lf %10.4lf %10.4lf\n", i, j, s.right.x, s.right.y,
                        s.right.z);
        }
        std::printf("...\n");
        std::printf("\n");
    }
}
