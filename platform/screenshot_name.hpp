// The name of a screenshot file: "screenshot_%d_%02d_%02d_%02d_%02d_%02d."
// followed by the extension, with the local time: year, month (1 to 12),
// day, hour, minute, second. Two screenshots within the same second get the
// same name, and the later one replaces the earlier. Other files the program
// writes on a click (the measures' CSV) are named the same way after their
// own prefix.
#pragma once

#include <ctime>
#include <string>

// `extension` without its dot, such as "svg" or "bmp".
std::string screenshot_file_name(std::time_t when, const char* extension);
// "<prefix>_%d_%02d_%02d_%02d_%02d_%02d.<extension>", e.g. prefix "measures".
std::string timestamped_file_name(std::time_t when, const char* prefix, const char* extension);
