// Shared helpers of the test programs.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace zelto_test {

// The repository's root directory (from ZELTO_SOURCE_DIR, set by ctest).
std::filesystem::path source_dir();

// Runs `body` and returns everything it printed on standard output.
std::string capture_stdout(const std::function<void()>& body);

// A fresh temporary directory that becomes the working directory for the
// lifetime of the object; the previous working directory and the removal of
// the directory follow on destruction.
class TempWorkingDirectory {
public:
    TempWorkingDirectory();
    ~TempWorkingDirectory();
    TempWorkingDirectory(const TempWorkingDirectory&) = delete;
    TempWorkingDirectory& operator=(const TempWorkingDirectory&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path previous_;
    std::filesystem::path path_;
};

// Writes `contents` to `path` byte for byte.
void write_file(const std::filesystem::path& path, const std::string& contents);
// Reads a whole file; empty when it cannot be read.
std::string read_file(const std::filesystem::path& path);

}  // namespace zelto_test
