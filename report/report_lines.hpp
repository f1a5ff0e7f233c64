// Reading a report line by line: a line ends at a line feed; a carriage
// return right before the line feed is not part of it, so files with CRLF
// line ends read exactly like files with LF line ends. The last line of a file
// needs no line feed. A line is always read whole, whatever its length.
//
// The file is read through a window of at most 1 MiB, which grows only to
// hold a longer line, so a report of any size needs little memory beyond the
// report being built; sections are found again by their byte offsets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/file_handle.hpp"

struct ReportFile {
    FileHandle handle;
    std::unique_ptr<char[]> window;
    std::size_t window_size = 0;
    std::int64_t window_offset = 0;  // file offset of window[0]
    std::size_t cursor = 0;          // index of the next unread byte in the window
    std::size_t filled = 0;          // window[0, filled) holds file bytes
    bool exhausted = false;          // no file bytes lie beyond window[filled - 1]
    std::string fault;               // why reading stopped before the end (a read error, no memory)
    std::int64_t text_start = 0;     // where the text starts: after a UTF-8 byte order mark
    std::int64_t size = 0;           // bytes when opened (the file may grow or shrink meanwhile)
};

// One line, pointing into the read window: valid until the next read.
struct ReportLine {
    const char* chars;
    std::size_t length;  // without the line feed and a carriage return before it
    bool line_feed;      // a line feed ends the line (only the file's last line may lack one)
};

// The text of a line as a C string, with its line feed when it had one. A NUL
// byte inside the line ends the text that the conversions see; the line still
// counts as a line of its full length.
struct ReportLineText {
    std::string chars;
    std::size_t length = 0;  // up to the first NUL

    const char* c_str() const { return chars.c_str(); }
};

// Opens a regular file and reads its first bytes. Directories, devices and
// pipes are refused, as is a file that cannot be read at all: those could hang
// the reader or never hold a report.
// *why tells the reason when it is false.
bool report_file_open(ReportFile* file, const char* path, std::string* why);

std::int64_t report_file_offset(const ReportFile* file);

// Moves to an offset met before (at most the end of the file).
void report_file_seek(ReportFile* file, std::int64_t offset);

// Reads more of the file behind the bytes not yet read, which move to the
// start of the window; a window they fill doubles. A read error, or a
// window that cannot grow, ends the file and is kept as its fault.
void report_file_read_more(ReportFile* file);

// Reads the next line; false at the end of the file.
bool report_file_next_line(ReportFile* file, ReportLine* line);

// Reads the next line as text; false at the end of the file, where the text
// is left empty.
bool report_file_next_text(ReportFile* file, ReportLineText* text);
