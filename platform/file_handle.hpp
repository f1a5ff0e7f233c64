// The program's one owning handle of a C stream: closed with the object. For
// files that are read; a file that is written goes through FileWriter
// (platform/file_writer.hpp), which checks its close.
#pragma once

#include <cstdio>
#include <memory>

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;
