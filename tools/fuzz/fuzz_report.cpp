// libFuzzer target for the report parser: every input is written to a file
// and loaded as a report; a report that loads also goes through the motion
// analysis and the dump. Built and run by scripts/fuzz.sh.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "report/emg_processing.hpp"

namespace {

// One file per fuzzing process, in $TMPDIR.
std::string fuzz_report_path()
{
    const char* directory = std::getenv("TMPDIR");
    return std::string(directory != nullptr ? directory : "/tmp") + "/zelto_fuzz_" + std::to_string(getpid()) + ".tsv";
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The parser speaks on standard output; libFuzzer reports on standard error.
    if (std::freopen("/dev/null", "w", stdout) == nullptr)
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = fuzz_report_path();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        std::abort();
    const bool written = std::fwrite(data, 1, size, file) == size;
    if (std::fclose(file) != 0 || !written)
        std::abort();

    std::unique_ptr<EmgReport> report;
    if (emg_extract_3d(&report, path.c_str()) == 0) {
        for (const EmgExercise& exercise : report->exercises) {
            std::vector<std::int32_t> movements;
            std::int32_t movements_number = 0;
            emg_analyze_open_close_movements(&movements, &movements_number, &exercise);
            if (movements_number != static_cast<std::int32_t>(movements.size()))
                std::abort();
        }
        emg_compute_rotation_data(report.get());
        emg_print(report.get());
    }
    emg_free(std::move(report));
    return 0;
}
