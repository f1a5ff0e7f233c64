#include "platform/file_chooser.hpp"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace {

bool on_path(const std::string& program)
{
    const char* path = std::getenv("PATH");
    if (path == nullptr)
        return false;
    const std::string folders = path;
    std::size_t start = 0;
    while (start <= folders.size()) {
        std::size_t end = folders.find(':', start);
        if (end == std::string::npos)
            end = folders.size();
        const std::string folder = folders.substr(start, end - start);
        if (!folder.empty() && access((std::filesystem::path(folder) / program).c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

struct PipeCloser {
    void operator()(std::FILE* pipe) const { pclose(pipe); }
};

}  // namespace

std::string file_chooser_helper()
{
    for (const char* helper : {"zenity", "kdialog"})
        if (on_path(helper))
            return helper;
    return {};
}

std::string file_chooser_open_report(std::string* error)
{
    const std::string helper = file_chooser_helper();
    if (helper.empty()) {
        if (error != nullptr)
            *error = "No file chooser found: install zenity (or kdialog), or type the path";
        return {};
    }
    const char* command =
        helper == "zenity"
            ? "zenity --file-selection --title='Open a report' --file-filter='Reports | *.tsv *.txt *.csv' "
              "--file-filter='All files | *' 2>/dev/null"
            : "kdialog --title 'Open a report' --getopenfilename . 'Reports (*.tsv *.txt *.csv)' 2>/dev/null";
    const std::unique_ptr<std::FILE, PipeCloser> pipe(popen(command, "r"));
    if (pipe == nullptr) {
        if (error != nullptr)
            *error = "Could not start " + helper;
        return {};
    }
    std::string chosen;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0)
        chosen.append(buffer, got);
    while (!chosen.empty() && (chosen.back() == '\n' || chosen.back() == '\r'))
        chosen.pop_back();
    return chosen;
}
