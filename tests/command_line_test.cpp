// The command line as a user meets it: the real zelto binary run with words, its exit status, standard output and
// error, and the files it writes; the viewer's own screenshot of the same scene as the oracle of the exported SVG.
#include <SDL_image.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "app/batch_export.hpp"
#include "app/command_line.hpp"
#include "app/export_report.hpp"
#include "app/screenshot_svg.hpp"
#include "base/text_encoding.hpp"
#include "base/utf8.hpp"
#include "picture/tracing_picture.hpp"
#include "report/emg_comparison.hpp"
#include "report/emg_measures.hpp"
#include "svg/svg_chart.hpp"
#include "svg/svg_picture.hpp"
#include "tests/gui_fixture.hpp"

namespace fs = std::filesystem;
using namespace zelto_test;

namespace {

struct Outcome {
    int status;
    std::string out, err;
};

// Runs the binary in the current directory with the words (shell-quoted by the caller where needed).
Outcome zelto(const std::string& words)
{
    const fs::path binary = fs::path(std::getenv("ZELTO_BINARY_DIR")) / "zelto";
    const int raw = std::system((binary.string() + " " + words + " >run.out 2>run.err").c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, read_file("run.out"), read_file("run.err")};
}

std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line.ends_with('\r') ? line.substr(0, line.size() - 1) : line);
    return lines;
}

const std::vector<ReportExercise> two_exercises = {{"Open / close", 41}, {"Protrusion_1", 30}};

}  // namespace

TEST(CommandLine, OptionFormsHelpVersionAndWrongWords)
{
    const auto parse = [](std::vector<std::string> words) { return command_line_parse(words); };
    EXPECT_EQ(std::tuple(parse({"a.tsv"}).report, parse({"--", "-dash.tsv"}).report, parse({"-"}).report),
              std::tuple("a.tsv", "-dash.tsv", "-"));
    // Repeated --format options add up.
    const ExportFormats f = parse({"--export", "o", "--format", "csv", "--format=chart", "r"}).export_options.formats;
    EXPECT_TRUE(f.csv && f.chart && !f.svg);

    const ExportOptions o = parse({"--export=out", "--size=1000", "-j3", "--sample", "17", "--exercise", "2",
                                   "--format", "png,csv", "--svg-background", "black", "--", "--r.tsv"}).export_options;
    // A black background turns the drawing white, as on the Options page.
    EXPECT_EQ(std::tuple(o.directory, o.size, o.jobs, o.sample.kind, o.sample.number, o.exercise, o.svg_background,
                         o.svg_color_override),
              std::tuple("out", 1000, 3, ExportSampleKind::number, 17, 2, 1, 2));
    EXPECT_TRUE(o.formats.png && o.formats.csv && !o.formats.svg && !o.formats.bmp &&
                o.reports == std::vector<std::string>{"--r.tsv"});
    const ExportOptions d = parse({"--export", "out", "r.tsv"}).export_options;
    EXPECT_TRUE(d.formats.svg && d.size == 750 && d.sample.kind == ExportSampleKind::last && !d.preset &&
                !d.builtin_preset);
    EXPECT_FALSE(parse({"--export", "o", "--preset", "1", "r"}).export_options.builtin_preset);
    // The reference plane goes with every mode.
    const CommandLine m = parse({"--measures", "--reference=calibration,-7.5", "r"});
    EXPECT_EQ(std::tuple(m.reference.kind, m.reference.tilt_deg, parse({"--reference", "calibration", "r"}).reference.kind),
              std::tuple(EmgReferencePlaneKind::calibration, -7.5, EmgReferencePlaneKind::calibration));
    // So does the baseline.
    EXPECT_EQ(std::tuple(parse({"--baseline", "b.tsv", "r"}).baseline, parse({"r"}).baseline,
                         parse({"--measures", "--baseline=b.tsv", "r"}).baseline,
                         parse({"--export", "o", "--baseline", "b.tsv", "r"}).export_options.baseline),
              std::tuple(std::optional<std::string>("b.tsv"), std::nullopt, std::optional<std::string>("b.tsv"), "b.tsv"));

    // Help, version and wrong words, from the binary.
    TempWorkingDirectory dir;
    const Outcome help = zelto("--help");
    EXPECT_EQ(std::tuple(help.status, help.err, zelto("-h").out), std::tuple(0, "", help.out));
    EXPECT_TRUE(help.out.starts_with("Usage: zelto [REPORT]\n")) << help.out;
    const Outcome version = zelto("--version");
    const std::vector<std::string> v = lines_of(version.out);
    ASSERT_GE(v.size(), 3u);
    // project(zelto VERSION 0.26) in CMakeLists.txt
    EXPECT_TRUE(version.status == 0 && v[0] == "Zelto 0.26" && v[1].starts_with("SDL 2.") &&
                v[2].starts_with("SDL_ttf 2."))
        << version.out;

    const std::pair<const char*, const char*> wrong[] = {
        {"--bogus r.tsv", "unknown option '--bogus'"}, {"-x", "unknown option '-x'"},
        {"--export", "option '--export' needs a value"}, {"--export out", "--export needs at least one report"},
        {"--measures", "--measures needs at least one report"},
        {"--export out --measures r", "--export and --measures cannot be used together"},
        {"--format svg r.tsv", "--format goes with --export"}, {"--measures=yes r", "option '--measures' takes no value"},
        {"--export o --format svg,gif r", "--format: 'gif' is not a format (svg, bmp, png, chart, tracings, csv, pdf)"},
        {"--export o --size 800 r", "--size: '800' is not one of 750, 1000, 1250, 1500, 1750, 2000"},
        {"--export o --sample 0 r", "--sample: '0' is not first, last, max-opening or a sample number from 1"},
        {"--export o --exercise two r", "--exercise: 'two' is not an exercise number from 1"},
        {"--export o -j 0 r", "-j: '0' is not a number of processes from 1"},
        {"--export o --svg-line-width 0.5 r", "--svg-line-width: '0.5' is not a line width of at least 1 (percent)"},
        {"--export o --svg-color pink r", "--svg-color: 'pink' is not color, black or white"},
        {"--export o --svg-background white --svg-color white r",
         "--svg-background and --svg-color cannot both be white"},
        {"--reference frankfort r",
         "--reference: 'frankfort' is not recording or calibration, optionally followed by ,TILT (degrees)"},
        {"a.tsv b.tsv", "the viewer opens one report; --export or --measures take more"},
        {"--export o --timeout 0 r", "--timeout: '0' is not a number of seconds from 1"},
        {"--csv-bom r", "--csv-bom goes with --export or --measures"},
        {"--measures r --baseline", "option '--baseline' needs a value"},
        {"--baseline= r", "--baseline: '' is not a report"},
    };
    // Preset files are checked before anything is exported.
    GuiPreset good{};
    good.camera_z = -5.0;
    write_file("good.zlp", std::string(reinterpret_cast<const char*>(&good), sizeof good));
    const std::string good_bytes = read_file("good.zlp");
    const auto with = [&](std::size_t at, std::string bytes) { return std::string(good_bytes).replace(at, bytes.size(), bytes); };
    const double nan = std::nan("");
    fs::create_directory("dir.zlp");
    const std::pair<std::string, std::string> presets[] = {
        {"missing.zlp", "it does not exist"}, {"dir.zlp", "it is not a regular file"},
        {good_bytes + "x", "it has 105 bytes, not 104"},
        {std::string(104, '\xAB'), "byte 48 is a switch but not 0 or 1"},
        {with(64, std::string(reinterpret_cast<const char*>(&nan), 8)), "the number at byte 64 is not finite"},
        {with(50, "\x02"), "byte 50 is a switch but not 0 or 1"}, {with(61, "\x01"), "byte 61 is padding but not 0"},
        {with(92, "\xFF\xFF\xFF\xFF"), "a grid amount is negative"},
    };
    for (const auto& [contents, why] : presets) {
        const std::string name = contents.ends_with(".zlp") ? contents : "bad.zlp";
        if (name == "bad.zlp")
            write_file(name, contents);
        const Outcome run = zelto("--export o --preset " + name + " r");
        EXPECT_EQ(std::tuple(run.status, run.err),
                  std::tuple(2, "zelto: --preset: '" + name + "' is not a preset from 0 to 6 or a preset file (" + why +
                                    "); see 'zelto --help'\n"))
            << why;
    }
    EXPECT_TRUE(parse({"--export", "o", "--preset", "good.zlp", "r"}).export_options.preset);
    for (const auto& [words, message] : wrong) {
        const Outcome run = zelto(words);
        EXPECT_EQ(std::tuple(run.status, run.err, run.out),
                  std::tuple(2, "zelto: " + std::string(message) + "; see 'zelto --help'\n", ""))
            << words;
    }
    EXPECT_FALSE(fs::exists("o") || fs::exists("out"));
}

using ExportScene = GuiTest;

// The sample each choice exports; the exported SVG is, byte for byte, what the Screenshot button writes after the
// same clicks: load, preset, exercise, the playback slider, the options.
TEST_F(ExportScene, SampleChoicesAndTheSvgEqualsTheViewersScreenshot)
{
    TempWorkingDirectory dir;
    load_report_file("r.tsv", report_text(two_exercises));
    const EmgReport& report = *state()->report;
    const EmgExercise& exercise = report.exercises[0];  // 41 samples, widest open at sample 20
    const std::pair<ExportSample, int> table[] = {
        {{ExportSampleKind::first, 0}, 0},        {{ExportSampleKind::last, 0}, 40},
        {{ExportSampleKind::number, 7}, 6},       {{ExportSampleKind::number, 999}, 40},
        {{ExportSampleKind::max_opening, 0}, 20},
    };
    for (const auto& [sample, index] : table)
        EXPECT_EQ(export_report_sample_index(sample, report, exercise), index);

    const Outcome run =
        zelto("--export out --preset 3 --exercise 2 --sample 1 --svg-background white --svg-line-width 150 r.tsv");
    ASSERT_EQ(run.status, 0) << run.err;

    callback_load_preset_3(nullptr);
    click(state()->exercise_toggles[1].get());
    interactable_slider_set_position(state()->animation_slider, 0.0);
    callback_animation_position(state()->animation_slider);
    interactable_toggle_set_state(state()->svg_background_white_toggle, 1, 1);
    state()->screenshot_svg_scale = 150.0;
    EXPECT_EQ(read_file("out/r_2_Protrusion-1.svg"),
              svg_text([&](SvgSink& sink) { screenshot_svg_write(sink, *state(), 750); }));

    // The viewer's CSV is UTF-8's byte order mark and the table of --measures, which has the mark with --csv-bom
    // only: read with "utf-8-sig" (pandas) or "UTF-8-BOM" (R), both give the same rows.
    const std::string said = capture_stdout([] { gui_write_measures_csv(); });
    const std::string viewer_csv = read_file(said.substr(said.find('"') + 1, said.rfind('"') - said.find('"') - 1));
    EXPECT_EQ(viewer_csv, std::string(text_encoding_utf8_mark) + zelto("--measures r.tsv").out);
    EXPECT_EQ(zelto("--measures --csv-bom r.tsv").out, viewer_csv);
}

// Files are named by safe exercise names and distinct stems; the export goes on after a failure, whatever the workers.
TEST(CommandLine, ExportNamesFilesSafelyGoesOnAfterAFailureAndDrawsCharts)
{
    const std::pair<std::string, std::string> safe_names[] = {
        {"Open / close", "Open-close"}, {"Protrusion_1", "Protrusion-1"}, {"a.b", "a-b"}, {"  x  ", "x"},
        {"\xC3\x96" "ffnung 2", "\xC3\x96" "ffnung-2"}, {"\xFF\xFE", "exercise"}, {"", "exercise"},
        {std::string(100, 'z'), std::string(64, 'z')},
    };
    for (const auto& [name, safe] : safe_names)
        EXPECT_EQ(batch_export_safe_name(name), safe) << name;
    EXPECT_EQ(batch_export_file_name("p_1", 12, "Open / close", "png"), "p_1_12_Open-close.png");

    const std::vector<std::string> reports = {"a/p.tsv", "b/p.tsv", "p-2.tsv", "chart_p.tsv", "c/p.tsv"};
    EXPECT_EQ(batch_export_stems(reports, false), (std::vector<std::string>{"p", "p-2", "p-2-2", "chart_p", "p-3"}));
    // With charts, "chart_p" would share the chart files of "p", "chart_p-2" those of "p-2", and "p-3" would chart
    // into the files of "chart_p-3".
    EXPECT_EQ(batch_export_stems(reports, true), (std::vector<std::string>{"p", "p-2", "p-2-2", "chart_p-3", "p-4"}));
    EXPECT_EQ(batch_export_stems({"a/p.tsv", "tracings_p.tsv"}, true, true),
              (std::vector<std::string>{"p", "tracings_p-2"}));

    TempWorkingDirectory dir;
    fs::create_directory("sub");
    write_file("p.tsv", report_text(two_exercises));
    std::string chewing = report_text({{"Chewing", 25}});
    chewing.insert(chewing.size() - 1, "mm");  // an unreadable last cell: a non-fatal message under the report's line
    write_file("sub/p.tsv", chewing);
    write_file("bad.tsv", "Exercises\n{\n");
    const std::string words = " --format svg,bmp,png,csv --sample max-opening p.tsv bad.tsv sub/p.tsv";

    const Outcome run = zelto("--export out -j 2" + words);
    const std::vector<std::string> err = lines_of(run.err);
    ASSERT_GE(err.size(), 4u) << run.err;
    // The parser's own messages follow the failed report's line.
    EXPECT_EQ(std::tuple(run.status, err[0], err[1], err[2].substr(0, 11), err[err.size() - 3], err.back()),
              std::tuple(1, "[1/3] p.tsv: 2 exercises, 6 files", "[2/3] bad.tsv: failed: could not be loaded",
                         "    ERROR: ", "[3/3] sub/p.tsv: 1 exercise, 3 files",
                         "2 of 3 reports exported, 1 failed; 10 files written to out"));
    EXPECT_TRUE(err[err.size() - 2].starts_with("    non-fatal error: exercise #1 (Chewing) has 1 value") &&
                err[err.size() - 2].ends_with(" in file sub/p.tsv"))
        << run.err;

    // The same files, byte for byte, from one worker.
    EXPECT_EQ(zelto("--export one -j 1" + words).status, 1);
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator("out")) {
        names.push_back(entry.path().filename().string());
        EXPECT_EQ(read_file(entry.path()), read_file("one" / entry.path().filename())) << names.back();
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"measures.csv", "p-2_1_Chewing.bmp", "p-2_1_Chewing.png",
                                               "p-2_1_Chewing.svg", "p_1_Open-close.bmp", "p_1_Open-close.png",
                                               "p_1_Open-close.svg", "p_2_Protrusion-1.bmp", "p_2_Protrusion-1.png",
                                               "p_2_Protrusion-1.svg"}));

    // PNG and BMP hold the same picture, the view's side square.
    for (const char* stem : {"out/p_1_Open-close", "out/p-2_1_Chewing"}) {
        const SurfacePtr bmp_read(SDL_LoadBMP((std::string(stem) + ".bmp").c_str()));
        const SurfacePtr png_read(IMG_Load((std::string(stem) + ".png").c_str()));
        ASSERT_TRUE(bmp_read && png_read) << stem;
        const SurfacePtr bmp(SDL_ConvertSurfaceFormat(bmp_read.get(), SDL_PIXELFORMAT_RGB24, 0));
        const SurfacePtr png(SDL_ConvertSurfaceFormat(png_read.get(), SDL_PIXELFORMAT_RGB24, 0));
        ASSERT_EQ(std::tuple(bmp->w, bmp->h, png->w, png->h), std::tuple(750, 750, 750, 750));
        const auto row = [](const SurfacePtr& s, int y) { return static_cast<const char*>(s->pixels) + y * s->pitch; };
        for (int y = 0; y < 750; ++y)
            ASSERT_EQ(std::memcmp(row(bmp, y), row(png, y), 750 * 3), 0) << stem << " row " << y;
    }

    // measures.csv: the header, then the good reports' rows in their order, named as given;
    // --measures writes the same table on standard output and nothing else there.
    const std::vector<std::string> csv = lines_of(read_file("out/measures.csv"));
    std::string header;
    emg_measures_csv_header(&header);
    ASSERT_EQ(csv.size(), 4u);
    EXPECT_EQ(csv[0] + "\r\n", header);
    const std::string prefixes[] = {"p.tsv,1,Open / close,41,", "p.tsv,2,Protrusion_1,30,", "sub/p.tsv,1,Chewing,25,"};
    for (std::size_t k = 0; k < 3; ++k) {
        const std::string& row = csv[k + 1];
        EXPECT_TRUE(row.starts_with(prefixes[k]) && std::count(row.begin(), row.end(), ',') == 34) << row;
    }
    const Outcome measures = zelto("--measures p.tsv bad.tsv sub/p.tsv");
    EXPECT_EQ(std::tuple(measures.status, measures.out), std::tuple(1, read_file("out/measures.csv")));
    EXPECT_TRUE(measures.err.find("ERROR: ") != std::string::npos &&
                measures.err.find("zelto: bad.tsv: could not be loaded\n") != std::string::npos)
        << measures.err;

    // The chart file is the chart module's drawing of the exercise as the viewer loaded it, as wide as the view and
    // half as high.
    const Outcome charts = zelto("--export charts --format chart --size 1000 --exercise 2 p.tsv");
    ASSERT_EQ(charts.status, 0) << charts.err;
    std::unique_ptr<EmgReport> report;
    ASSERT_EQ(emg_extract_3d(&report, "p.tsv"), 0);
    emg_compute_rotation_data(report.get());
    EXPECT_EQ(read_file("charts/chart_p_2_Protrusion-1.svg"),
              svg_text([&](SvgSink& sink) { svg_chart_write(sink, *report, 1, 1000, 500); }));
    // The tracing sheets: the picture module's sheet with each exercise chosen and the sample of --sample marked,
    // as large as the view.
    const Outcome sheets = zelto("--export sheets --format tracings --sample first p.tsv");
    ASSERT_EQ(sheets.status, 0) << sheets.err;
    EXPECT_EQ(read_file("sheets/tracings_p_2_Protrusion-1.svg"), svg_text([&](SvgSink& sink) {
                  svg_picture_write(sink, tracing_picture_build(report.get(), 1, 0, 750, 750).picture);
              }));
    EXPECT_TRUE(fs::exists("sheets/tracings_p_1_Open-close.svg"));
    EXPECT_EQ(std::system("xmllint --noout sheets/tracings_p_1_Open-close.svg && "
                          "rsvg-convert -o sheet.png sheets/tracings_p_1_Open-close.svg"), 0);

    // A report in Windows-1252: its names as UTF-8 in the file names, the charts and measures.csv (here with the
    // byte order mark of --csv-bom), the conversion said once under the report's line.
    write_file("w.tsv", report_text({{"\xD6" "ffnen und Schlie\xDF" "en", 30}, {"Kauen \x93links\x94", 20}}));
    const Outcome w = zelto("--export w --csv-bom --format chart,csv w.tsv");
    EXPECT_EQ(std::tuple(w.status, count_of(w.err, "non-fatal error: exercise names in file w.tsv are not UTF-8; "
                                                   "they were read as Windows-1252\n")), std::tuple(0, 1u)) << w.err;
    const std::string opening = "\xC3\x96" "ffnen und Schlie\xC3\x9F" "en", chewing_name = "Kauen \xE2\x80\x9Clinks\xE2\x80\x9D";
    const std::string chart = read_file("w/chart_w_1_\xC3\x96" "ffnen-und-Schlie\xC3\x9F" "en.svg");
    const std::string table = read_file("w/measures.csv");
    EXPECT_TRUE(chart.find(">[1] " + opening + "<") != std::string::npos && utf8_valid(chart)) << chart.substr(0, 2000);
    EXPECT_TRUE(fs::exists("w/chart_w_2_Kauen-\xE2\x80\x9Clinks\xE2\x80\x9D.svg"));
    EXPECT_TRUE(table.starts_with(std::string(text_encoding_utf8_mark) + "report,") &&
                table.find("\r\nw.tsv,1," + opening + ",30,") != std::string::npos &&
                table.find("\r\nw.tsv,2," + chewing_name + ",20,") != std::string::npos && utf8_valid(table))
        << table;
}

// A baseline: the demo's follow-up (the same subject, the opening 5 mm wider, the immediate side shift 0.3 mm smaller,
// the device placed elsewhere) compared with the demo gives the known changes in the CSV, the tracing sheets and the
// summary; a report against itself none. A baseline that cannot be loaded stops the run before anything is written;
// one that cannot be aligned leaves the changes empty.
TEST(CommandLine, ABaselineGivesTheKnownChangesInEveryFormat)
{
    TempWorkingDirectory dir;
    const std::string demo = (source_dir() / "examples/demo_report.tsv").string();
    const std::string follow_up = (source_dir() / "examples/follow_up_report.tsv").string();
    const Outcome measures = zelto("--measures --baseline " + demo + " " + follow_up);
    ASSERT_EQ(measures.status, 0) << measures.err;
    const std::vector<std::string> rows = lines_of(measures.out);
    ASSERT_EQ(rows.size(), 6u);
    std::string header;
    emg_comparison_csv_header(&header);
    EXPECT_EQ(rows[0] + "\r\n", header);
    const auto cells = [](const std::string& row) {
        std::vector<std::string> out(1);
        for (char c : row)
            if (c == ',')
                out.emplace_back();
            else
                out.back().push_back(c);
        return out;
    };
    const std::vector<std::string> columns = cells(rows[0]);
    const auto value = [&](std::size_t row, std::string_view column) {
        const std::size_t at = std::find(columns.begin(), columns.end(), column) - columns.begin();
        return std::stod(cells(rows[row]).at(at));
    };
    EXPECT_NEAR(value(1, "delta_max_vertical_opening_mm"), 5.0, 0.01);
    for (std::size_t row = 1; row <= 5; ++row)
        EXPECT_EQ(value(row, "baseline_exercise"), row);
    // The condylar angles do not depend on where the device sat; the side shift is the one changed.
    EXPECT_NEAR(value(2, "delta_condylar_inclination_left_deg"), 0.0, 0.05);
    for (std::size_t row : {3, 4}) {
        EXPECT_NEAR(value(row, "delta_immediate_side_shift_mm"), -0.28, 0.03);
        EXPECT_NEAR(value(row, "delta_bennett_angle_deg"), 0.0, 0.05);
    }

    // Against itself, every change is zero.
    const std::vector<std::string> same = lines_of(zelto("--measures --baseline " + demo + " " + demo).out);
    ASSERT_EQ(same.size(), 6u);
    const std::size_t first_delta = columns.size() - 26;
    for (std::size_t row = 1; row < same.size(); ++row)
        for (std::size_t k = first_delta; k < columns.size(); ++k) {
            const std::string cell = cells(same[row]).at(k);
            EXPECT_TRUE(cell.empty() || std::stod(cell) == 0.0) << columns[k] << " " << cell;
        }

    // The export: the same table; the sheets with the baseline under the exercise; the comparison pages.
    const Outcome run = zelto("--export out --baseline " + demo + " --format csv,tracings,pdf " + follow_up);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(read_file("out/measures.csv"), measures.out);
    const std::string sheet = read_file("out/tracings_follow_up_report_1_Opening-and-closing.svg");
    for (const char* piece : {"Baseline (faded, hollow mark): demo_report.tsv [1] Opening and closing",
                              "stroke=\"#A5C9E1\"", "id=\"baseline sample\""})
        EXPECT_NE(sheet.find(piece), std::string::npos) << piece;
    ASSERT_EQ(std::system("pdftotext -enc UTF-8 out/follow_up_report_summary.pdf summary.txt"), 0);
    const std::string summary = read_file("summary.txt");
    for (const char* piece : {"Comparison with the baseline", "[1] Opening and closing against demo_report.tsv [1]",
                              "+5.00 mm", "Left against right", "Tracings against the baseline"})
        EXPECT_NE(summary.find(piece), std::string::npos) << piece;

    const Outcome missing = zelto("--measures --baseline missing.tsv " + demo);
    EXPECT_EQ(std::tuple(missing.status, missing.out), std::tuple(1, ""));
    EXPECT_NE(missing.err.find("zelto: missing.tsv: could not be loaded as the baseline\n"), std::string::npos);
    EXPECT_EQ(zelto("--export none --baseline missing.tsv " + demo).status, 1);
    EXPECT_FALSE(fs::exists("none"));

    std::string flat = read_file(demo);
    const std::size_t calibration = flat.find("Calibr");
    flat.replace(calibration, flat.find('\n', calibration) - calibration, "Calibr\t0\t0\t0\t0\t0\t0\t0\t0\t0");
    write_file("flat.tsv", flat);
    const Outcome unaligned = zelto("--measures --baseline flat.tsv " + demo);
    EXPECT_EQ(unaligned.status, 0) << unaligned.err;
    EXPECT_NE(unaligned.err.find(" cannot be aligned with the baseline flat.tsv (a calibration gives no anatomical "
                                 "frame); written without the comparison\n"),
              std::string::npos)
        << unaligned.err;
    const std::vector<std::string> empty = lines_of(unaligned.out);
    ASSERT_EQ(empty.size(), 6u);
    EXPECT_TRUE(empty[1].ends_with(",flat.tsv" + std::string(27, ','))) << empty[1];
}
