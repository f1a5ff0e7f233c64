// gen_report: writes a synthetic jaw-motion report that Zelto opens.
//
//   gen_report [--frequency HZ] [--duration S] [--exercises N] [--angles] [--emg]
//              [--seed N] [--follow-up] [-o PATH]
//
// The recording is physically plausible: a rigid mandible whose condyles
// glide forward and down along the articular eminences while it turns about
// the intercondylar axis; see tools/report_generator.hpp for the head frame
// (x forward, y up, z toward the subject's right, mm) and the movements.
// Without -o the report goes to standard output. The demo report
// examples/demo_report.tsv was made with
//   gen_report --frequency 100 --duration 10 --exercises 5 --angles --emg --seed 1 -o examples/demo_report.tsv
// and examples/follow_up_report.tsv, the same subject recorded again, with
// the same words and --follow-up.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "report_generator.hpp"

namespace {

void print_usage(std::FILE* out)
{
    std::fprintf(out,
        "usage: gen_report [--frequency HZ] [--duration S] [--exercises N] [--angles] [--emg]\n"
        "                  [--seed N] [--follow-up] [-o PATH]\n"
        "  --frequency HZ  sampling frequency, 1 to 100000 (default 100)\n"
        "  --duration S    seconds per exercise, above 0 (default 10)\n"
        "  --exercises N   number of exercises, 0 to 1000 (default 4)\n"
        "  --angles        write the Open, Lat.Right and Clockwise columns\n"
        "  --emg           write the Channel1 and Channel2 columns\n"
        "  --seed N        noise seed (default 1)\n"
        "  --follow-up     the same subject recorded again: opening 5 mm wider,\n"
        "                  immediate side shift 0.3 mm instead of 0.6 mm, the device\n"
        "                  turned by 8 degrees and moved by (15, -8, 6) mm\n"
        "  -o PATH         output file (default: standard output)\n");
}

bool parse_double(const char* text, double* value)
{
    char* end = nullptr;
    *value = std::strtod(text, &end);
    return end != text && *end == '\0';
}

bool parse_unsigned(const char* text, unsigned long long* value)
{
    char* end = nullptr;
    *value = std::strtoull(text, &end, 10);
    return end != text && *end == '\0' && text[0] != '-';
}

}  // namespace

int main(int argc, char** argv)
{
    ReportGeneratorOptions options;
    const char* output = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool has_value = i + 1 < argc;
        double number = 0.0;
        unsigned long long integer = 0;
        if (arg == "--angles") {
            options.angles = true;
        } else if (arg == "--emg") {
            options.emg = true;
        } else if (arg == "--follow-up") {
            options.wider_opening = 5.0;
            options.side_shift = 0.3;
            options.device_turn = 8.0;
            options.device_axis = {0.3, 1.0, 0.2};
            options.device_shift = {15.0, -8.0, 6.0};
        } else if (arg == "--frequency" && has_value && parse_double(argv[++i], &number) && number >= 1.0 &&
                   number <= 100000.0) {
            options.frequency = number;
        } else if (arg == "--duration" && has_value && parse_double(argv[++i], &number) && number > 0.0 &&
                   number <= 1e6) {
            options.duration = number;
        } else if (arg == "--exercises" && has_value && parse_unsigned(argv[++i], &integer) && integer <= 1000) {
            options.exercises = static_cast<int>(integer);
        } else if (arg == "--seed" && has_value && parse_unsigned(argv[++i], &integer)) {
            options.seed = integer;
        } else if (arg == "-o" && has_value) {
            output = argv[++i];
        } else if (arg == "--help" || arg == "-h") {
            print_usage(stdout);
            return 0;
        } else {
            std::fprintf(stderr, "gen_report: bad argument \"%s\"\n", argv[i]);
            print_usage(stderr);
            return 2;
        }
    }
    if (options.duration * options.frequency >= 2147483647.0) {
        std::fprintf(stderr, "gen_report: more than 2147483647 samples per exercise\n");
        return 2;
    }

    const bool written = output != nullptr ? report_generator_write_file(output, options)
                                           : report_generator_write(stdout, options);
    if (!written) {
        std::fprintf(stderr, "gen_report: cannot write %s\n", output != nullptr ? output : "standard output");
        return 1;
    }
    return 0;
}
