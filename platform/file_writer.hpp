// Files written whole or not at all.
//
// A FileWriter writes into a temporary file beside its target (same folder,
// a unique hidden name), and commit() flushes it, forces it to the disk and
// renames it over the target. Until then the target is as it was; on any
// failure the temporary file is removed and error() tells why in the
// system's words. Free of the GUI and of SDL, so any writer can use it.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

class FileWriter {
public:
    explicit FileWriter(std::filesystem::path target);
    ~FileWriter();
    FileWriter(const FileWriter&) = delete;
    FileWriter& operator=(const FileWriter&) = delete;

    // The stream to write to, or null when the temporary file could not be
    // made (error() says why).
    std::FILE* stream() const { return stream_; }
    // Records a failure of the caller's own (a picture that could not be
    // encoded, say): commit() then fails with it and leaves the target alone.
    void fail(std::string why);
    // True once the target holds everything written; false, with error()
    // set and the temporary removed, otherwise.
    bool commit();
    const std::string& error() const { return error_; }
    const std::filesystem::path& target() const { return target_; }

private:
    void discard();

    std::filesystem::path target_;
    std::filesystem::path temporary_;
    std::FILE* stream_ = nullptr;
    std::string error_;
};

// Writes `bytes` as the whole file `target`; false with *error set (when
// given) on failure, the target then left as it was.
bool file_writer_write(const std::filesystem::path& target, std::string_view bytes, std::string* error);
