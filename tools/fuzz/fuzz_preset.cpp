// libFuzzer target for the preset files: every input is written to a file
// (through the file writer), checked as the command line checks a preset and
// loaded as the Presets page loads one; a file the check accepts must load,
// and must come back byte for byte when saved again. Built and run by
// scripts/fuzz.sh.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include <unistd.h>

#include "platform/file_writer.hpp"
#include "gui/gui_serialization.hpp"

namespace {

std::string fuzz_path(const char* suffix)
{
    const char* directory = std::getenv("TMPDIR");
    return std::string(directory != nullptr ? directory : "/tmp") + "/zelto_fuzz_" + std::to_string(getpid()) + suffix;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = fuzz_path(".zlp");
    if (!file_writer_write(path, std::string_view(reinterpret_cast<const char*>(data), size), nullptr))
        std::abort();

    GuiPreset checked{};
    const bool accepted = gui_serialization_check_file(&checked, path.c_str()).empty();
    GuiPreset loaded{};
    const bool loads = gui_serialization_load_from_file(&loaded, path.c_str()) == 0;
    if (accepted && !loads)
        std::abort();
    if (accepted) {
        const std::string again = fuzz_path("_again.zlp");
        gui_serialization_save_to_file(&checked, again.c_str());
        GuiPreset reread{};
        const std::string_view input(reinterpret_cast<const char*>(data), size);
        std::string bytes(GUI_PRESET_FILE_SIZE, '\0');
        std::FILE* file = std::fopen(again.c_str(), "rb");
        if (file == nullptr || std::fread(bytes.data(), 1, bytes.size(), file) != bytes.size())
            std::abort();
        std::fclose(file);
        if (bytes != input || gui_serialization_check_file(&reread, again.c_str()) != "")
            std::abort();
    }
    return 0;
}
