// The summary document: the demo's PDF as poppler reads it (every figure as the pages show it, every exercise
// name, the font embedded, A4 pages that render), and documents of odd reports that stay valid.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "pdf/pdf_picture.hpp"
#include "pdf/summary_pdf.hpp"
#include "report/emg_figure_rows.hpp"
#include "tests/test_support.hpp"

namespace {

using zelto_test::read_file;

struct Summary {
    std::unique_ptr<EmgReport> report;
    std::string text;  // pdftotext's, pages joined
};

// Loads `tsv` as the viewer does, writes its summary and reads it back.
Summary summary_of(const std::string& tsv, const std::string& file_name)
{
    Summary s;
    zelto_test::write_file(file_name, tsv);
    zelto_test::capture_stdout([&] { emg_extract_3d(&s.report, file_name.c_str()); });
    if (s.report == nullptr)
        return s;
    if (!s.report->has_rotation_data)
        emg_compute_rotation_data(s.report.get());
    SummaryInput input{s.report.get(), file_name, "2026-12-01 10:00", "2026-12-07 12:00", "9.9", {}, {}, {}, {}};
    std::string why;
    EXPECT_TRUE(summary_pdf_write("summary.pdf", input, &why)) << why;
    EXPECT_EQ(std::system("pdftotext -enc UTF-8 summary.pdf summary.txt"), 0);
    s.text = read_file("summary.txt");
    return s;
}

TEST(SummaryPdf, TheDemoHoldsEveryFigureAndNameOnA4PagesWithItsFontEmbedded)
{
    zelto_test::TempWorkingDirectory directory;
    const Summary s = summary_of(read_file(zelto_test::source_dir() / "examples/demo_report.tsv"), "demo_report.tsv");
    ASSERT_NE(s.report, nullptr);
    const std::vector<EmgMeasures> measures = emg_measures_of_report(s.report.get());
    for (std::size_t e = 0; e < measures.size(); ++e) {
        const std::string& name = s.report->exercises[e].name;
        EXPECT_GE(zelto_test::count_of(s.text, name), 2u) << name;  // overview and its section
        for (const EmgFigureText& figure : emg_measures_texts(measures[e], "not available"))
            EXPECT_NE(s.text.find(figure.value), std::string::npos) << name << ": " << figure.name;
        for (const EmgClinicalRow& row : emg_clinical_rows(measures[e]))
            EXPECT_NE(s.text.find(row.value), std::string::npos) << name << ": " << row.name;
    }
    for (const char* piece : {"File date: 2026-12-01 10:00", "Page 1 of ", "Zelto 9.9",
                              "Reference plane of the condylar angles: recording"})
        EXPECT_NE(s.text.find(piece), std::string::npos) << piece;
    EXPECT_EQ(std::system("pdffonts summary.pdf | grep DejaVuSans | grep -q ' yes '"), 0);
    EXPECT_EQ(std::system("pdfinfo summary.pdf | grep -q 'Page size: *595.276 x 841.89 pts (A4)'"), 0);
    EXPECT_EQ(std::system("pdftoppm -r 20 -png summary.pdf page && ls page-*.png > /dev/null"), 0);
    // An overview, a section per exercise, and every page numbered of the whole.
    ASSERT_EQ(std::system("pdfinfo summary.pdf > info.txt"), 0);
    const std::string info = read_file("info.txt");
    const int pages = std::atoi(info.c_str() + info.find("Pages:") + 6);
    EXPECT_GE(pages, static_cast<int>(1 + measures.size()));
    EXPECT_NE(s.text.find("Page " + std::to_string(pages) + " of " + std::to_string(pages)), std::string::npos);
}

// Quotes, non-ASCII and a name longer than a line; an unreadable value; a folder the file cannot be written in.
TEST(SummaryPdf, OddReportsGiveValidDocumentsWithTheirWarnings)
{
    zelto_test::TempWorkingDirectory directory;
    std::string tsv = read_file(zelto_test::source_dir() / "examples/demo_report.tsv");
    const std::string odd = "\"Öffnung\" <links> & " + std::string(150, 'W') + " \xE2\x82\xAC";
    tsv.replace(tsv.find("Opening and closing"), 19, odd.substr(0, 126));
    tsv.replace(tsv.find("\n10\t0.004\t") + 4, 5, "abc");
    const Summary s = summary_of(tsv, "odd \"report\" ü.tsv");
    ASSERT_NE(s.report, nullptr);
    EXPECT_NE(s.text.find("1 unreadable values, left out."), std::string::npos);
    EXPECT_NE(s.text.find("\"Öffnung\" <links> &"), std::string::npos);
    EXPECT_NE(s.text.find("odd \"report\" ü.tsv"), std::string::npos);
    EXPECT_EQ(std::system("pdfinfo summary.pdf > /dev/null"), 0);

    std::string why;
    SummaryInput input{s.report.get(), "x", "", "", "", {}, {}, {}, {}};
    EXPECT_FALSE(summary_pdf_write("no such folder/summary.pdf", input, &why));
    EXPECT_FALSE(why.empty());
}

// The command line's summary, with no display: the jaw of every exercise from the front and the side, its legend.
TEST(SummaryPdf, TheCommandLineDrawsTheJawOfEveryExercise)
{
    zelto_test::TempWorkingDirectory directory;
    const std::string binary = (std::filesystem::path(std::getenv("ZELTO_BINARY_DIR")) / "zelto").string();
    const std::string demo = (zelto_test::source_dir() / "examples/demo_report.tsv").string();
    ASSERT_EQ(std::system(("unset DISPLAY WAYLAND_DISPLAY; " + binary + " --export out --format pdf " + demo +
                           " > run.out 2>&1 && pdftotext -enc UTF-8 out/demo_report_summary.pdf summary.txt")
                              .c_str()),
              0)
        << read_file("run.out");
    const std::string text = read_file("summary.txt");
    EXPECT_EQ(zelto_test::count_of(text, "From the front"), 5u);
    for (const char* piece : {"largest vertical opening", "farthest protrusion", "farthest laterotrusion to the left",
                              "farthest laterotrusion to the right", "Cond. Left", "Right-Incisal"})
        EXPECT_NE(text.find(piece), std::string::npos) << piece;
}

}  // namespace
