// The SVG writer: the exact text of what the screenshot tests do not write (other scales, colours), sinks; and the
// time chart written with it.
#include <gtest/gtest.h>

#include <cmath>
#include <clocale>
#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "report/emg_processing.hpp"
#include "svg/svg_chart.hpp"
#include "tests/test_support.hpp"
#include "widgets/interactable_text.hpp"

namespace {

using zelto_test::svg_text;

const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();

struct TextCase {
    const char* what;
    std::function<void(SvgSink&)> write;
    std::string expected;
};

void expect_texts(const std::vector<TextCase>& cases)
{
    for (const TextCase& c : cases)
        EXPECT_EQ(svg_text(c.write), c.expected) << c.what;
}

// The document at the default scale, scale box and background are written whole by the screenshot tests; here the
// view box of other scales.
TEST(SvgWriterDocument, ViewBoxOfEveryScale)
{
    const std::string xmlns = "version=\"1.1\" xmlns=\"http://www.w3.org/2000/svg\">\n\t\n";
    expect_texts({
        {"the scale changes only the view box", [](SvgSink& f) { svg_writer_svg_opening(f, 750, 750, 0.5); },
         "<svg viewBox=\"0 0 375 375\" width=\"750\" height=\"750\" " + xmlns},
        {"each side truncated", [](SvgSink& f) { svg_writer_svg_opening(f, 1000, 500, 1.0 / 3.0); },
         "<svg viewBox=\"0 0 333 166\" width=\"1000\" height=\"500\" " + xmlns},
        {"never overflowing", [](SvgSink& f) { svg_writer_svg_opening(f, 750, 750, inf); },
         "<svg viewBox=\"0 0 2147483647 2147483647\" width=\"750\" height=\"750\" " + xmlns},
        {"no number", [](SvgSink& f) { svg_writer_svg_opening(f, 750, 750, nan); },
         "<svg viewBox=\"0 0 0 0\" width=\"750\" height=\"750\" " + xmlns},
        {"scale box closed at the top", [](SvgSink& f) { svg_writer_scale_box_close(f, 1); }, "</svg>\n\n"},
    });
}

TEST(SvgWriterDocument, ShapesWriteFractionsAsPercentagesAndAnOptionalColour)
{
    const struct { double a, b, c, d; int color; const char *circle, *line, *rectangle; } cases[] = {
        {-0.125, 0.5, 0.25, 1.5, 0x40FF40, "\t<circle cx=\"-12.50%\" cy=\"50.00%\" r=\"2\" fill=\"#40FF40\"/>\n",
         "\t\t<line x1=\"-12.50%\" y1=\"50.00%\" x2=\"25.00%\" y2=\"150.00%\" stroke=\"#40FF40\"/>\n",
         "<rect x=\"-12.50%\" y=\"50.00%\" width=\"25.00%\" height=\"150.00%\" fill=\"#40FF40\"/>\n"},
        // A negative colour writes no colour attribute.
        {0.333333, 0.0001, 0.66666, 0.999999, -1, "\t<circle cx=\"33.33%\" cy=\"0.01%\" r=\"2\"/>\n",
         "\t\t<line x1=\"33.33%\" y1=\"0.01%\" x2=\"66.67%\" y2=\"100.00%\"/>\n",
         "<rect x=\"33.33%\" y=\"0.01%\" width=\"66.67%\" height=\"100.00%\"/>\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(svg_text([&](SvgSink& f) { svg_writer_draw_circle(f, 1, c.a, c.b, 2, c.color); }), c.circle);
        EXPECT_EQ(svg_text([&](SvgSink& f) { svg_writer_draw_line(f, 2, c.a, c.b, c.c, c.d, c.color); }), c.line);
        EXPECT_EQ(svg_text([&](SvgSink& f) { svg_writer_draw_rectangle(f, 0, c.a, c.b, c.c, c.d, c.color); }),
                  c.rectangle);
    }
    // Colour values are RGB without alpha.
    EXPECT_EQ(std::pair(svg_writer_color_value(Color{64, 255, 64, 0}), svg_writer_color_value(Color{1, 2, 3, 4})),
              std::pair(0x40FF40, 0x010203));
}

// Points are formatted as printf formats them; long text is written whole.
TEST(SvgWriterSinks, PointsAreFormattedAsPrintfFormatsThemAndLongTextIsWhole)
{
    std::vector<double> values = {0.0, -0.0, 0.125, 0.375, -0.125, 2.675, 1.005, -0.005, 0.0049999, 0.005, 749.995,
                                  -1e-10, 1e-300, 123456789.125, -98765.4321, 1e22, 1e300, -1.7976931348623157e308};
    for (std::size_t k = 0; k + 1 < values.size(); ++k) {
        SvgStringSink sink;
        sink.point(values[k], values[k + 1]);
        ASSERT_EQ(sink.text(), string_format("%.2lf,%.2lf ", values[k], values[k + 1])) << values[k];
    }

    // Printing in the C locale gives the thread its own locale back.
    const locale_t thread_locale = uselocale(static_cast<locale_t>(0));
    SvgStringSink sink;
    sink.print("%.2lf", 1e300);
    EXPECT_EQ(uselocale(static_cast<locale_t>(0)), thread_locale);
    EXPECT_EQ(sink.text().size(), 304u);
    EXPECT_EQ(sink.text().substr(0, 1) + sink.text().substr(301), "1.00");
    sink.tabs(20);
    EXPECT_EQ(sink.text().substr(304), std::string(20, '\t'));
}

// The chart of the demo report (with EMG) is a document xmllint and librsvg read, whatever the exercise's name holds
// and however small or large it is asked for; an exercise the report lacks is named in its place. (What the traces
// hold is the chart module's, checked with the measures.)
TEST(SvgChart, DocumentsThatXmllintAndLibrsvgRead)
{
    zelto_test::TempWorkingDirectory directory;
    std::unique_ptr<EmgReport> report;
    zelto_test::capture_stdout([&] {
        ASSERT_EQ(emg_extract_3d(&report, (zelto_test::source_dir() / "examples/demo_report.tsv").c_str()), 0);
    });
    report->exercises[0].name = "a<b & \"c\"\x01 \xFF\xC3\xA9";
    const struct { int exercise, width, height; const char* holds; } cases[] = {
        {0, 900, 600, "[1] a&lt;b &amp; &quot;c&quot; \xC3\xA9</text>"}, {0, 1, 1, "width=\"1\" height=\"1\""},
        {7, 400, 300, ">No exercise 8</text>"}, {1, 100000, -5, "width=\"16384\" height=\"1\""}};
    for (const auto& c : cases) {
        std::FILE* file = std::fopen("chart.svg", "wb");
        ASSERT_NE(file, nullptr);
        SvgFileSink sink(file);
        svg_chart_write(sink, *report, c.exercise, c.width, c.height);
        std::fclose(file);
        const std::string text = zelto_test::read_file("chart.svg");
        EXPECT_EQ(zelto_test::count_of(text, c.holds), 1u) << c.width;
        EXPECT_EQ(std::system("xmllint --noout chart.svg && rsvg-convert -o chart.png chart.svg"), 0) << c.width;
        EXPECT_TRUE(c.width != 900 || zelto_test::count_of(text, "Channel 2 (mV)</text>") == 1);
        // Title and plots share a page of room enough: nothing lies below its bottom.
        double lowest = 0;
        for (const char* attribute : {" y=\"", " y1=\"", " y2=\""})
            for (std::size_t at = text.find(attribute); at != std::string::npos; at = text.find(attribute, at + 1))
                lowest = std::max(lowest, std::strtod(text.c_str() + at + std::strlen(attribute), nullptr));
        EXPECT_TRUE(c.height < 300 || lowest <= 100.0) << c.width << " " << lowest;
    }
}

}  // namespace
