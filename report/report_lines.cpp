#include "report/report_lines.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <new>
#include <system_error>
#include <utility>

namespace {

constexpr std::size_t read_window_max = std::size_t{1} << 20;
constexpr std::size_t read_window_min = 4096;

}  // namespace

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
    file->size = static_cast<std::int64_t>(std::min<std::uintmax_t>(size, std::numeric_limits<std::int64_t>::max()));
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
bool report_file_next_line(ReportFile* file, ReportLine* line)
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
bool report_file_next_text(ReportFile* file, ReportLineText* text)
{
    ReportLine line;
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
