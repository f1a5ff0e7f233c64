// The summary document (picture/summary_document) written as a PDF file,
// whole or not at all.
#pragma once

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>

#include "picture/summary_document.hpp"

// Writes the summary of `input` to `path`. True once the file is complete;
// otherwise false, the file left as it was, and *error (when given) says
// why.
bool summary_pdf_write(const std::filesystem::path& path, const SummaryInput& input, std::string* error);
// The same document into a stream the caller owns; false, with *error, when
// it could not be completed.
bool summary_pdf_write_stream(std::FILE* stream, const SummaryInput& input, std::string* error);

// A file's modification time as the summary's header writes dates:
// "2026-12-07 14:05"; empty when it cannot be read.
std::string summary_pdf_file_date(const std::filesystem::path& path);
// The same form for a calendar time of the clock.
std::string summary_pdf_date(std::time_t time);
