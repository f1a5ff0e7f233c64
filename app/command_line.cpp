#include "app/command_line.hpp"

#include <SDL.h>
#include <SDL_image.h>
#include <SDL_ttf.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iterator>
#include <map>
#include <string_view>

#include "app/export_report.hpp"
#include "app/zelto.hpp"
#include "platform/zelto_version.hpp"

namespace {

constexpr int view_sizes[] = {750, 1000, 1250, 1500, 1750, 2000};

// A whole word as a number, or nothing.
template <typename T>
std::optional<T> number_of(std::string_view word)
{
    T value{};
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error != std::errc() || end != word.data() + word.size())
        return std::nullopt;
    return value;
}

// Reads the words of the command line one option at a time.
class Parser {
public:
    explicit Parser(const std::vector<std::string>& words) : words_(words) {}

    CommandLine parse()
    {
        CommandLine out;
        std::vector<std::string> positional;
        bool export_asked = false, measures_asked = false;
        std::string export_only;  // the first option that needs --export
        bool background_given = false, color_given = false;
        ExportOptions& o = out.export_options;

        for (at_ = 0; at_ < words_.size() && error_.empty(); ++at_) {
            const std::string& word = words_[at_];
            if (options_ended_ || word.size() < 2 || word[0] != '-') {
                positional.push_back(word);
                continue;
            }
            split(word);
            if (name_ == "--") {
                options_ended_ = true;
            } else if (name_ == "-h" || name_ == "--help") {
                no_value();
                help_ = true;
            } else if (name_ == "--version") {
                no_value();
                version_ = true;
            } else if (name_ == "--measures") {
                no_value();
                measures_asked = true;
            } else if (name_ == "--csv-bom") {
                no_value();
                o.csv_bom = true;
            } else if (name_ == "--export") {
                export_asked = true;
                o.directory = value();
            } else if (name_ == "--baseline") {
            const std::string v = value();
            if (error_.empty() && v.empty())
                bad(v, "a report");
            o.baseline = v;
        } else if (name_ == "--reference") {
                const std::string v = value();
                if (error_.empty() && !emg_reference_plane_parse(v, &o.reference))
                    bad(v, "recording or calibration, optionally followed by ,TILT (degrees)");
            } else if (is_export_option(name_)) {
                if (export_only.empty())
                    export_only = name_;
                read_export_option(o, &background_given, &color_given);
            } else {
                error_ = "unknown option '" + name_ + "'";
            }
        }

        if (!error_.empty())
            return failed(out);
        if (help_) {
            out.mode = CommandLineMode::help;
            return out;
        }
        if (version_) {
            out.mode = CommandLineMode::version;
            return out;
        }
        if (export_asked && measures_asked)
            error_ = "--export and --measures cannot be used together";
        else if (!export_asked && !export_only.empty())
            error_ = export_only + " goes with --export";
        else if (!export_asked && !measures_asked && o.csv_bom)
            error_ = "--csv-bom goes with --export or --measures";
        else if ((export_asked || measures_asked) && positional.empty())
            error_ = std::string(export_asked ? "--export" : "--measures") + " needs at least one report";
        else if (!export_asked && !measures_asked && positional.size() > 1)
            error_ = "the viewer opens one report; --export or --measures take more";
        else if (export_asked && o.directory.empty())
            error_ = "--export needs a directory";
        else if (background_given && color_given && o.svg_background != 0
                 && o.svg_background == o.svg_color_override)
            error_ = "--svg-background and --svg-color cannot both be " +
                     std::string(o.svg_background == 1 ? "black" : "white");
        if (!error_.empty())
            return failed(out);

        // The Options page never lets the background and the drawing share a
        // colour: a background in the drawing's default colour turns the
        // drawing to the other one.
        if (background_given && !color_given && o.svg_background != 0 && o.svg_background == o.svg_color_override)
            o.svg_color_override = o.svg_background == 1 ? 2 : 1;

        if (export_asked) {
            out.mode = CommandLineMode::export_files;
            if (!o.formats.svg && !o.formats.bmp && !o.formats.png && !o.formats.chart && !o.formats.tracings
                && !o.formats.csv && !o.formats.pdf)
                o.formats.svg = true;
            o.reports = positional;
        } else if (measures_asked) {
            out.mode = CommandLineMode::measures;
            out.reports = positional;
        } else if (!positional.empty()) {
            out.report = positional.front();
        }
        out.reference = o.reference;
        out.csv_bom = o.csv_bom;
        if (!o.baseline.empty())
            out.baseline = o.baseline;
        return out;
    }

private:
    CommandLine failed(CommandLine& out)
    {
        out.mode = CommandLineMode::error;
        out.error = error_ + "; see 'zelto --help'";
        return out;
    }

    static bool is_export_option(const std::string& name)
    {
        return name == "--format" || name == "--preset" || name == "--exercise" || name == "--sample" ||
               name == "--size" || name == "--svg-background" || name == "--svg-color" ||
               name == "--svg-line-width" || name == "-j" || name == "--jobs" || name == "--timeout";
    }

    // "--name=value", "-jN" or a bare name.
    void split(const std::string& word)
    {
        inline_value_.reset();
        name_ = word;
        if (word.rfind("--", 0) == 0) {
            const std::size_t equals = word.find('=');
            if (equals != std::string::npos) {
                name_ = word.substr(0, equals);
                inline_value_ = word.substr(equals + 1);
            }
        } else if (word.size() > 2 && word.rfind("-j", 0) == 0) {
            name_ = "-j";
            inline_value_ = word.substr(2);
        }
    }

    void no_value()
    {
        if (inline_value_)
            error_ = "option '" + name_ + "' takes no value";
    }

    // The option's value: after "=", or the next word.
    std::string value()
    {
        if (inline_value_)
            return *inline_value_;
        if (at_ + 1 >= words_.size()) {
            error_ = "option '" + name_ + "' needs a value";
            return {};
        }
        return words_[++at_];
    }

    void bad(const std::string& value, const std::string& expected)
    {
        if (error_.empty())
            error_ = name_ + ": '" + value + "' is not " + expected;
    }

    void read_export_option(ExportOptions& o, bool* background_given, bool* color_given)
    {
        const std::string v = value();
        if (!error_.empty())
            return;
        if (name_ == "--format") {
            // Repeated --format options add up.
            std::size_t start = 0;
            while (start <= v.size()) {
                std::size_t end = v.find(',', start);
                if (end == std::string::npos)
                    end = v.size();
                const std::string format = v.substr(start, end - start);
                bool* flags[] = {&o.formats.svg,      &o.formats.bmp, &o.formats.png, &o.formats.chart,
                                 &o.formats.tracings, &o.formats.csv, &o.formats.pdf};
                const char* names[] = {"svg", "bmp", "png", "chart", "tracings", "csv", "pdf"};
                bool known = false;
                for (std::size_t k = 0; k < std::size(names); ++k)
                    if (format == names[k])
                        known = *flags[k] = true;
                if (!known)
                    return bad(format, "a format (svg, bmp, png, chart, tracings, csv, pdf)");
                start = end + 1;
            }
        } else if (name_ == "--preset") {
            const auto n = number_of<int>(v);
            if (n && *n >= 0 && *n < GUI_BUILTIN_PRESET_COUNT) {
                // Built-in preset 1 is what loading shows already.
                o.builtin_preset = *n == 1 ? std::nullopt : std::optional<int>(*n);
                o.preset.reset();
                return;
            }
            GuiPreset preset{};
            const std::string why = gui_serialization_check_file(&preset, v.c_str());
            if (!why.empty())
                return bad(v, "a preset from 0 to 6 or a preset file (" + why + ")");
            o.preset = preset;
            o.builtin_preset.reset();
        } else if (name_ == "--exercise") {
            const auto n = number_of<int>(v);
            if (!n || *n < 1)
                return bad(v, "an exercise number from 1");
            o.exercise = *n;
        } else if (name_ == "--sample") {
            const std::map<std::string, ExportSampleKind> kinds = {
                {"first", ExportSampleKind::first},
                {"last", ExportSampleKind::last},
                {"max-opening", ExportSampleKind::max_opening}};
            if (const auto kind = kinds.find(v); kind != kinds.end()) {
                o.sample = {kind->second, 0};
                return;
            }
            const auto n = number_of<std::int64_t>(v);
            if (!n || *n < 1)
                return bad(v, "first, last, max-opening or a sample number from 1");
            o.sample = {ExportSampleKind::number, *n};
        } else if (name_ == "--size") {
            const auto n = number_of<int>(v);
            if (!n || std::find(std::begin(view_sizes), std::end(view_sizes), *n) == std::end(view_sizes))
                return bad(v, "one of 750, 1000, 1250, 1500, 1750, 2000");
            o.size = *n;
        } else if (name_ == "--svg-background") {
            const std::map<std::string, int> values = {{"none", 0}, {"black", 1}, {"white", 2}};
            const auto found = values.find(v);
            if (found == values.end())
                return bad(v, "none, black or white");
            o.svg_background = found->second;
            *background_given = true;
        } else if (name_ == "--svg-color") {
            const std::map<std::string, int> values = {{"color", 0}, {"black", 1}, {"white", 2}};
            const auto found = values.find(v);
            if (found == values.end())
                return bad(v, "color, black or white");
            o.svg_color_override = found->second;
            *color_given = true;
        } else if (name_ == "--svg-line-width") {
            const auto width = number_of<double>(v);
            if (!width || !std::isfinite(*width) || *width < 1.0)
                return bad(v, "a line width of at least 1 (percent)");
            o.svg_line_width = *width;
        } else if (name_ == "--timeout") {
            const auto n = number_of<int>(v);
            if (!n || *n < 1)
                return bad(v, "a number of seconds from 1");
            o.worker_timeout_s = *n;
        } else {  // -j, --jobs
            const auto n = number_of<int>(v);
            if (!n || *n < 1)
                return bad(v, "a number of processes from 1");
            o.jobs = *n;
        }
    }

    const std::vector<std::string>& words_;
    std::size_t at_ = 0;
    bool options_ended_ = false;
    bool help_ = false;
    bool version_ = false;
    std::string name_;
    std::optional<std::string> inline_value_;
    std::string error_;
};

}  // namespace

CommandLine command_line_parse(const std::vector<std::string>& arguments)
{
    Parser parser(arguments);
    return parser.parse();
}

std::string command_line_usage()
{
    return "Usage: zelto [REPORT]\n"
           "       zelto --export DIR [OPTION]... REPORT...\n"
           "       zelto --measures REPORT...\n"
           "\n"
           "Zelto shows jaw-motion recordings in 3D. Without options it opens the viewer,\n"
           "with REPORT loaded when one is named.\n"
           "\n"
           "  -h, --help              show this help and exit\n"
           "      --version           show the versions of Zelto and its SDL libraries, exit\n"
           "      --export DIR        write pictures, charts and measures of every REPORT\n"
           "                          into DIR (made when missing), without a window\n"
           "      --measures          write the measures of every exercise of every REPORT\n"
           "                          as CSV on standard output; messages go to standard\n"
           "                          error\n"
           "      --csv-bom           start the CSV (of --measures, or DIR/measures.csv)\n"
           "                          with UTF-8's byte order mark, for spreadsheets\n"
           "      --reference PLANE[,TILT]\n"
           "                          the horizontal plane of the condylar angles:\n"
           "                          recording (default) or calibration, turned by TILT\n"
           "                          degrees (its front up) when given\n"
           "      --baseline REPORT   compare with REPORT, an earlier recording of the\n"
           "                          same patient: the viewer shows it beside the report;\n"
           "                          the CSV gains the changes of every figure, the\n"
           "                          tracing sheets draw it under the exercise, the\n"
           "                          summary gains a comparison page\n"
           "      --                  end of the options: a REPORT after it may begin\n"
           "                          with '-'\n"
           "\n"
           "Options of --export (a value follows as the next word or after '='):\n"
           "      --format LIST       comma list of svg, bmp, png, chart, tracings, csv,\n"
           "                          pdf (default svg):\n"
           "                          svg    the SVG screenshot of the 3D view\n"
           "                          bmp    the 3D view as the BMP screenshot draws it\n"
           "                          png    the same picture as PNG\n"
           "                          chart  the chart of the exercise over time (SVG)\n"
           "                          tracings  the tracing sheet, the exercise chosen\n"
           "                                 (SVG)\n"
           "                          csv    DIR/measures.csv, every exercise of every\n"
           "                                 report\n"
           "                          pdf    STEM_summary.pdf, the summary of each\n"
           "                                 report for the patient's file (A4)\n"
           "      --preset N|FILE     built-in preset 0 to 6, or a preset file (.zlp);\n"
           "                          default 1, the view the viewer shows after loading\n"
           "      --exercise N        only exercise N (from 1); default every exercise\n"
           "      --sample WHICH      the sample shown: first, last, max-opening (largest\n"
           "                          vertical opening) or a sample number from 1;\n"
           "                          default last\n"
           "      --size N            side of the 3D view: 750 (default), 1000, 1250,\n"
           "                          1500, 1750 or 2000\n"
           "      --svg-background B  none (default), black or white\n"
           "      --svg-color C       color, black (default) or white; the background\n"
           "                          and the drawing never share a colour\n"
           "      --svg-line-width P  line width in percent, at least 1 (default 100)\n"
           "  -j, --jobs N            export N reports at once (default: one per processor,\n"
           "                          at most 4 per processor)\n"
           "      --timeout S         stop an export process that has worked on one report\n"
           "                          for S seconds; the report fails (default 600)\n"
           "\n"
           "Files in DIR, for exercise N of report STEM.tsv:\n"
           "  STEM_N_NAME.svg, .bmp, .png   NAME: the exercise's name made safe\n"
           "  chart_STEM_N_NAME.svg, tracings_STEM_N_NAME.svg\n"
           "  measures.csv\n"
           "Reports of the same name in other folders get STEM-2, STEM-3 and so on.\n"
           "Progress goes to standard error, one line per report.\n"
           "\n"
           "Exit status: 0 on success, 1 when a report failed, 2 for a wrong command line,\n"
           "130 or 143 when interrupted (SIGINT, SIGTERM) after the reports in progress.\n";
}

std::string command_line_version()
{
    SDL_version sdl;
    SDL_GetVersion(&sdl);
    const SDL_version* ttf = TTF_Linked_Version();
    const SDL_version* image = IMG_Linked_Version();
    char text[256];
    std::snprintf(text, sizeof text, "Zelto %s\nSDL %d.%d.%d\nSDL_ttf %d.%d.%d\nSDL_image %d.%d.%d\n", zelto_version,
                  sdl.major, sdl.minor, sdl.patch, ttf->major, ttf->minor, ttf->patch, image->major, image->minor,
                  image->patch);
    return text;
}

int command_line_main(int argc, char** argv)
{
    // With argc 0 (a program started without even its own name) there are
    // no words at all.
    const std::vector<std::string> arguments =
        argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>{};
    CommandLine line = command_line_parse(arguments);
    switch (line.mode) {
    case CommandLineMode::help:
    case CommandLineMode::version: {
        // Text that does not reach its reader (a full disk, a closed pipe)
        // is a failure.
        const std::string text = line.mode == CommandLineMode::help ? command_line_usage() : command_line_version();
        if (std::fputs(text.c_str(), stdout) < 0 || std::fflush(stdout) != 0) {
            std::fprintf(stderr, "zelto: cannot write to standard output: %s\n", std::strerror(errno));
            return 1;
        }
        return 0;
    }
    case CommandLineMode::error:
        std::fprintf(stderr, "zelto: %s\n", line.error.c_str());
        return 2;
    case CommandLineMode::export_files:
        return batch_export_run(line.export_options);
    case CommandLineMode::measures:
        return batch_export_measures(line.reports, line.reference, line.csv_bom, line.baseline.value_or(""));
    case CommandLineMode::viewer:
        break;
    }
    // The viewer takes the report as its first argument, as it always has.
    std::string program = argc > 0 ? argv[0] : "zelto";
    std::vector<char*> viewer_argv = {program.data()};
    if (line.report)
        viewer_argv.push_back(line.report->data());
    viewer_argv.push_back(nullptr);
    return zelto_run(static_cast<int>(viewer_argv.size()) - 1, viewer_argv.data(), line.reference,
                     line.baseline.value_or(""));
}
