#include "platform/screenshot_name.hpp"

#include <cstdio>

std::string screenshot_file_name(std::time_t when, const char* extension)
{
    return timestamped_file_name(when, "screenshot", extension);
}

std::string timestamped_file_name(std::time_t when, const char* prefix, const char* extension)
{
    std::tm local{};
    localtime_r(&when, &local);
    char stamp[80];
    std::snprintf(stamp, sizeof stamp, "_%d_%02d_%02d_%02d_%02d_%02d.", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return std::string(prefix) + stamp + extension;
}
