#include "picture/summary_document.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

#include "base/utf8.hpp"
#include "picture/chart_picture.hpp"
#include "picture/tracing_picture.hpp"
#include "report/emg_chart.hpp"
#include "report/emg_comparison.hpp"
#include "report/emg_exercise_type.hpp"
#include "report/emg_figure_rows.hpp"
#include "report/emg_measures.hpp"
#include "report/emg_norms.hpp"

namespace {

constexpr double page_width = 595.2756;
constexpr double page_height = 841.8898;
constexpr double left = 48;
constexpr double right = page_width - 48;
constexpr double content_width = right - left;
constexpr double footer_rule = page_height - 46;
constexpr double bottom = footer_rule - 10;

constexpr PictureColor ink{0, 0, 0};
constexpr PictureColor muted{90, 90, 90};
constexpr PictureColor rule{190, 190, 190};
constexpr PictureColor alarm{176, 0, 0};

constexpr double body = 9.5;
constexpr double line_height = 12.5;

const char* const missing = "not available";

PictureStyle text_style(double size, bool bold, PictureColor color, PictureAnchor anchor = PictureAnchor::start)
{
    PictureStyle style;
    style.font_size = size;
    style.bold = bold;
    style.fill = PicturePaint::of(color);
    style.anchor = anchor;
    return style;
}

void hairline(Picture* page, double x1, double x2, double y, PictureColor color)
{
    PictureStyle style;
    style.stroke = PicturePaint::of(color);
    style.stroke_width = 0.6;
    picture_line(page, {x1, y}, {x2, y}, style);
}

// The pages in the making: text flows down a page and on to the next.
struct Flow {
    const SummaryTextWidth& width;
    double top = 60;
    std::vector<Picture> pages;
    double y = 0;

    Picture& page() { return pages.back(); }
    void new_page()
    {
        pages.push_back(Picture{page_width, page_height, {}});
        y = top;
    }
    // Room for `height` more on this page, or a new page.
    void need(double height)
    {
        if (pages.empty() || y + height > bottom)
            new_page();
    }
    // A paragraph wrapped within [x, x + w].
    void paragraph(std::string_view text, double x, double w, double size, bool bold, PictureColor color)
    {
        for (const std::string& line : summary_wrap(text, w, size, bold, width)) {
            need(size * 1.32);
            y += size * 1.32;
            picture_text(&page(), {x, y - size * 0.3}, line, text_style(size, bold, color));
        }
    }
    void heading(std::string_view text, double size)
    {
        need(size * 1.6 + 3 * line_height);  // never alone at the foot of a page
        y += size * 0.5;
        paragraph(text, left, content_width, size, true, ink);
        y += 3;
    }
};

// One table row: cells placed by their left (or right, for numbers) edge,
// each wrapped within its width; the row is as high as its tallest cell.
struct Cell {
    std::string text;
    double x;
    double w;
    bool right_aligned = false;
    bool bold = false;
    PictureColor color = ink;
};

void table_row(Flow* flow, const std::vector<Cell>& cells, bool rule_below)
{
    std::vector<std::vector<std::string>> lines;
    std::size_t height = 1;
    for (const Cell& cell : cells) {
        lines.push_back(summary_wrap(cell.text, cell.w, body, cell.bold, flow->width));
        height = std::max(height, lines.back().size());
    }
    flow->need(static_cast<double>(height) * line_height + 3);
    for (std::size_t c = 0; c < cells.size(); ++c) {
        const Cell& cell = cells[c];
        double baseline = flow->y + line_height - 3;
        for (const std::string& line : lines[c]) {
            picture_text(&flow->page(), {cell.right_aligned ? cell.x + cell.w : cell.x, baseline}, line,
                         text_style(body, cell.bold, cell.color,
                                    cell.right_aligned ? PictureAnchor::end : PictureAnchor::start));
            baseline += line_height;
        }
    }
    flow->y += static_cast<double>(height) * line_height + 3;
    if (rule_below)
        hairline(&flow->page(), left, right, flow->y - 1.5, rule);
}

std::string exercise_title(const EmgReport& report, std::size_t e)
{
    return "[" + std::to_string(e + 1) + "] " + report.exercises[e].name;
}

std::string type_text(const EmgClinicalFigures& c)
{
    return std::string(emg_exercise_type_name(c.type)) + (c.type_from_name ? ", by its name" : ", by the movement");
}

std::string duration_text(const EmgMeasures& m)
{
    return m.duration_s ? emg_measures_format(*m.duration_s, 2) + " s" : std::string(missing);
}

std::string plane_text(const EmgReferencePlane& plane)
{
    std::string text = std::string("Reference plane of the condylar angles: ") + emg_reference_plane_name(plane.kind)
                       + (plane.kind == EmgReferencePlaneKind::recording ? " (the recording's horizontal plane)"
                                                                          : " (through the condyles and the incisal point)");
    if (plane.tilt_deg != 0)
        text += ", turned by " + emg_measures_format(plane.tilt_deg, 1) + "\u00b0";
    return text + ".";
}

// ---------------------------------------------------------------------------
// The overview
// ---------------------------------------------------------------------------

void overview(Flow* flow, const SummaryInput& input, const std::vector<EmgMeasures>& measures)
{
    const EmgReport& report = *input.report;
    flow->new_page();
    flow->paragraph("Jaw-motion summary", left, content_width, 18, true, ink);
    flow->y += 4;
    flow->paragraph("Report: " + input.file_name, left, content_width, body, false, ink);
    std::string recording = std::to_string(report.exercises.size()) + (report.exercises.size() == 1 ? " exercise" : " exercises");
    recording += report.frequency > 0 && std::isfinite(report.frequency)
                     ? ", sampled at " + emg_measures_format(report.frequency, 2) + " Hz"
                     : ", no usable sampling frequency";
    recording += report.has_emg_data ? ", with EMG." : ".";
    flow->paragraph(recording, left, content_width, body, false, ink);
    flow->paragraph(plane_text(input.plane), left, content_width, body, false, ink);

    flow->heading("Exercises", 12);
    table_row(flow, {{"No.", left, 28, false, true}, {"Name", left + 32, 215, false, true},
                     {"Type", left + 252, 140, false, true}, {"Samples", left + 392, 50, true, true},
                     {"Duration", left + 445, content_width - 445, true, true}},
              true);
    for (std::size_t e = 0; e < report.exercises.size(); ++e) {
        const EmgMeasures& m = measures[e];
        table_row(flow, {{std::to_string(e + 1), left, 28}, {report.exercises[e].name, left + 32, 215},
                         {type_text(m.clinical), left + 252, 140}, {std::to_string(m.samples), left + 392, 50, true},
                         {duration_text(m), left + 445, content_width - 445, true}},
                  false);
    }

    flow->heading("Clinical figures against their normal ranges", 12);
    for (std::size_t e = 0; e < report.exercises.size(); ++e) {
        flow->need(3 * line_height);
        flow->y += 3;
        flow->paragraph(exercise_title(report, e) + " \u2013 " + type_text(measures[e].clinical), left,
                        content_width, body + 0.5, true, ink);
        table_row(flow, {{"Figure", left + 8, 170, false, true}, {"Value", left + 180, 80, true, true},
                         {"Normal range", left + 280, 90, false, true}, {"", left + 375, content_width - 375}},
                  true);
        for (const EmgClinicalRow& row : emg_clinical_rows(measures[e])) {
            const bool outside = emg_clinical_row_outside(row);
            const PictureColor color = outside ? alarm : ink;
            table_row(flow, {{row.name, left + 8, 170}, {row.value, left + 180, 80, true, outside, color},
                             {row.norm ? emg_norm(*row.norm).text : "", left + 280, 90, false, false, color},
                             {outside ? "outside the normal range" : "", left + 375, content_width - 375, false, true,
                              color}},
                      false);
        }
    }

    flow->heading("Warnings about the data", 12);
    bool any = false;
    for (std::size_t e = 0; e < report.exercises.size(); ++e)
        for (const std::string& warning : emg_clinical_warnings(measures[e])) {
            flow->paragraph(exercise_title(report, e) + ": " + warning, left, content_width, body, false, alarm);
            any = true;
        }
    if (!any)
        flow->paragraph("None.", left, content_width, body, false, ink);
}

// The condyles of the first protrusion, whose chords give the condylar
// inclination; of the first exercise when there is none.
std::size_t tracing_exercise(const std::vector<EmgMeasures>& measures)
{
    for (std::size_t e = 0; e < measures.size(); ++e)
        if (measures[e].clinical.type == EmgExerciseType::protrusion)
            return e;
    return 0;
}

// ---------------------------------------------------------------------------
// The comparison with a baseline
// ---------------------------------------------------------------------------

// Every exercise paired with one of the baseline: the figures either has,
// both and the change; the two laterotrusions against each other; the
// tracing sheet with the baseline under it.
void comparison_pages(Flow* flow, const SummaryInput& input, const std::vector<EmgMeasures>& measures)
{
    const EmgReport& report = *input.report;
    const EmgReport& baseline = *input.baseline.report;
    const std::vector<EmgMeasures> before = emg_measures_of_report(&baseline, input.plane);
    const std::vector<std::int32_t> pairs = emg_comparison_pairs(measures, before);
    const std::string& name = input.baseline.file_name;

    flow->new_page();
    flow->paragraph("Comparison with the baseline", left, content_width, 14, true, ink);
    flow->paragraph("Baseline: " + name + ". It is brought into this report's space by the anatomical frames of the "
                    "two calibrations, and each exercise is paired with the baseline's exercise of the same type "
                    "(the first with the first), else with the one of the same number. A change is this report's "
                    "figure minus the baseline's.",
                    left, content_width, body, false, muted);
    std::string unpaired;
    for (std::size_t e = 0; e < measures.size(); ++e) {
        if (pairs[e] < 0) {
            unpaired += (unpaired.empty() ? "" : ", ") + exercise_title(report, e);
            continue;
        }
        const auto p = static_cast<std::size_t>(pairs[e]);
        flow->need(4 * line_height);
        flow->y += 6;
        flow->paragraph(exercise_title(report, e) + " against " + name + " " + exercise_title(baseline, p), left,
                        content_width, body + 0.5, true, ink);
        table_row(flow, {{"Figure", left + 8, 190, false, true}, {"This report", left + 200, 90, true, true},
                         {"Baseline", left + 300, 90, true, true},
                         {"Change", left + 400, content_width - 400, true, true}},
                  true);
        const std::vector<EmgNumericFigure> now = emg_numeric_figures(measures[e]);
        const std::vector<EmgNumericFigure> then = emg_numeric_figures(before[p]);
        const std::vector<EmgNumericFigure> change = emg_comparison_deltas(measures[e], before[p]);
        for (std::size_t k = 0; k < now.size(); ++k) {
            if (!now[k].value && !then[k].value)
                continue;  // a figure of another type of exercise
            table_row(flow, {{now[k].name, left + 8, 190},
                             {emg_numeric_figure_text(now[k], missing), left + 200, 90, true},
                             {emg_numeric_figure_text(then[k], missing), left + 300, 90, true},
                             {emg_numeric_change_text(change[k], missing), left + 400, content_width - 400, true}},
                      false);
        }
    }
    if (!unpaired.empty()) {
        flow->y += 6;
        flow->paragraph("Without a baseline exercise to pair with: " + unpaired + ".", left, content_width, body,
                        false, ink);
    }

    const EmgSideComparison sides = emg_comparison_sides(measures);
    if (!sides.rows.empty()) {
        flow->heading("Left against right", 12);
        flow->paragraph("This report's " + exercise_title(report, static_cast<std::size_t>(sides.left_exercise)) +
                            " against its " + exercise_title(report, static_cast<std::size_t>(sides.right_exercise)) +
                            "; the difference is left minus right.",
                        left, content_width, body, false, muted);
        table_row(flow, {{"Figure", left + 8, 190, false, true}, {"Left", left + 200, 90, true, true},
                         {"Right", left + 300, 90, true, true},
                         {"Left − right", left + 400, content_width - 400, true, true}},
                  true);
        for (const EmgSideRow& row : sides.rows)
            table_row(flow, {{row.name, left + 8, 190},
                             {emg_numeric_figure_text(row.left, missing), left + 200, 90, true},
                             {emg_numeric_figure_text(row.right, missing), left + 300, 90, true},
                             {emg_numeric_change_text(row.difference, missing), left + 400, content_width - 400, true}},
                      false);
    }

    const std::size_t selected = tracing_exercise(measures);
    if (selected >= pairs.size() || pairs[selected] < 0)
        return;
    flow->new_page();
    flow->paragraph("Tracings against the baseline", left, content_width, 14, true, ink);
    flow->paragraph("The incisal point of every exercise, and under " + exercise_title(report, selected) +
                        " the baseline's " +
                        exercise_title(baseline, static_cast<std::size_t>(pairs[selected])) +
                        " in faded colours; the condyles of both. Opening solid, closing dashed.",
                    left, content_width, body, false, muted);
    flow->y += 6;
    const TracingSheet sheet =
        tracing_picture_build(&report, static_cast<std::int32_t>(selected), -1, 1000, 1000, input.plane, {},
                              {&baseline, pairs[selected], -1, name});
    picture_place(&flow->page(), sheet.picture, {left, flow->y, content_width, bottom - flow->y});
    flow->y = bottom;
}

// ---------------------------------------------------------------------------
// The tracing sheet
// ---------------------------------------------------------------------------

void tracings_page(Flow* flow, const SummaryInput& input, const std::vector<EmgMeasures>& measures)
{
    const EmgReport& report = *input.report;
    const std::size_t selected = tracing_exercise(measures);
    flow->new_page();
    flow->paragraph("Tracings", left, content_width, 14, true, ink);
    flow->paragraph("The incisal point of every exercise in the sagittal, frontal and horizontal planes, in "
                    "millimetres from its calibrated position; the condyles of " +
                        (report.exercises.empty() ? std::string("no exercise") : exercise_title(report, selected)) +
                        ". Opening solid, closing dashed.",
                    left, content_width, body, false, muted);
    flow->y += 6;
    const double height = bottom - flow->y;
    const TracingSheet sheet = tracing_picture_build(&report, static_cast<std::int32_t>(selected), -1, 1000, 1000,
                                                     input.plane);
    picture_place(&flow->page(), sheet.picture, {left, flow->y, content_width, height});
    flow->y = bottom;
}

// ---------------------------------------------------------------------------
// One section per exercise
// ---------------------------------------------------------------------------

void exercise_section(Flow* flow, const SummaryInput& input, std::size_t e, const EmgMeasures& m)
{
    const EmgReport& report = *input.report;
    flow->new_page();
    flow->paragraph(exercise_title(report, e), left, content_width, 14, true, ink);
    flow->paragraph(type_text(m.clinical) + "; " + std::to_string(m.samples) + " samples; " + duration_text(m),
                    left, content_width, body, false, muted);
    flow->y += 6;

    // The figures as the "Measures" page shows them, in two columns.
    const std::vector<EmgFigureText> figures = emg_measures_texts(m, missing);
    const std::size_t half = (figures.size() + 1) / 2;
    for (std::size_t k = 0; k < half; ++k) {
        std::vector<Cell> cells{{figures[k].name, left, 150}, {figures[k].value, left + 150, 90, true}};
        if (k + half < figures.size()) {
            cells.push_back({figures[k + half].name, left + 265, 150});
            cells.push_back({figures[k + half].value, left + 415, content_width - 415, true});
        }
        table_row(flow, cells, true);
    }
    flow->y += 10;

    // The time chart, drawn as the chart SVG draws it, scaled to the page.
    const int chart_width = 760;
    const int chart_height = report.has_emg_data ? 400 : 300;
    const EmgChart chart = emg_chart_build(&report, static_cast<std::int32_t>(e), chart_width, chart_height);
    const Picture picture = chart_picture(chart, chart_picture_paper());
    const double scale = content_width / picture.width;
    flow->need(picture.height * scale);
    picture_place(&flow->page(), picture, {left, flow->y, content_width, picture.height * scale});
    flow->y += picture.height * scale + 10;

    // The jaw from the front and from the side, side by side, on white.
    if (e >= input.jaw_views.size())
        return;
    const SummaryJawViews& views = input.jaw_views[e];
    const double side = 200;
    flow->need(side + 4 * line_height);
    flow->paragraph("The jaw at " + views.when, left, content_width, body, true, ink);
    flow->y += 2;
    const double top = flow->y + line_height;
    picture_text(&flow->page(), {left, top - 3}, "From the front", text_style(body, false, muted));
    picture_text(&flow->page(), {left + side + 12, top - 3}, "From the right side", text_style(body, false, muted));
    for (const auto& [view, x] : {std::pair{&views.front, left}, std::pair{&views.side, left + side + 12}}) {
        PictureStyle frame;
        frame.stroke = PicturePaint::of(rule);
        frame.stroke_width = 0.6;
        picture_place(&flow->page(), *view, {x, top, side, side});
        picture_rectangle(&flow->page(), {x, top, side, side}, frame);
    }
    flow->y = top + side + 6;
    double x = left;
    for (const SummaryLegendEntry& entry : input.legend) {
        PictureStyle swatch;
        swatch.fill = PicturePaint::of(entry.color);
        const double width = flow->width(entry.name, body, false);
        if (x + 14 + width > right) {
            x = left;
            flow->y += line_height;
        }
        flow->need(line_height);
        picture_rectangle(&flow->page(), {x, flow->y + 2, 10, 8}, swatch);
        picture_text(&flow->page(), {x + 14, flow->y + 9.5}, entry.name, text_style(body, false, ink));
        x += 14 + width + 14;
    }
    flow->y += line_height;
}

// Header and footer of every page, once the number of pages is known.
void frame_pages(std::vector<Picture>* pages, const SummaryInput& input, const std::vector<std::string>& name_lines)
{
    const std::string dates = "File date: " + input.file_date + "   Printed: " + input.printed_date;
    const std::size_t count = pages->size();
    for (std::size_t k = 0; k < count; ++k) {
        Picture& page = (*pages)[k];
        double y = 30;
        for (const std::string& line : name_lines) {
            picture_text(&page, {left, y}, line, text_style(8.5, true, ink));
            y += 10.5;
        }
        picture_text(&page, {right, 30}, dates, text_style(8.5, false, muted, PictureAnchor::end));
        hairline(&page, left, right, y - 5, rule);
        hairline(&page, left, right, footer_rule, rule);
        picture_text(&page, {left, footer_rule + 14},
                     "Page " + std::to_string(k + 1) + " of " + std::to_string(count), text_style(8.5, false, muted));
        picture_text(&page, {right, footer_rule + 14}, "Zelto " + input.version,
                     text_style(8.5, false, muted, PictureAnchor::end));
    }
}

}  // namespace

std::vector<std::string> summary_wrap(std::string_view text, double line_width, double size, bool bold,
                                      const SummaryTextWidth& width)
{
    std::vector<std::string> lines;
    std::string line;  // the line being filled
    auto fits = [&](std::string_view candidate) { return width(candidate, size, bold) <= line_width; };
    std::size_t k = 0;
    while (k < text.size()) {
        if (text[k] == ' ') {
            ++k;
            continue;
        }
        const std::size_t end = std::min(text.find(' ', k), text.size());
        std::string word(text.substr(k, end - k));
        k = end;
        const std::string joined = line.empty() ? word : line + " " + word;
        if (fits(joined)) {
            line = joined;
            continue;
        }
        if (!line.empty())
            lines.push_back(std::move(line));
        // A word longer than a line is broken between characters.
        while (!fits(word)) {
            std::size_t fit = 0;
            while (fit < word.size()) {
                const std::size_t next = fit + std::max<std::size_t>(utf8_decode(word, fit), 1);
                if (fit > 0 && !fits(std::string_view(word).substr(0, next)))
                    break;
                fit = next;
            }
            if (fit >= word.size())
                break;
            lines.push_back(word.substr(0, fit));
            word.erase(0, fit);
        }
        line = std::move(word);
    }
    if (!line.empty() || lines.empty())
        lines.push_back(std::move(line));
    return lines;
}

std::vector<Picture> summary_document(const SummaryInput& input, const SummaryTextWidth& width)
{
    Flow flow{width, 60, {}, 0};
    if (input.report == nullptr)
        return {};
    const std::string dates = "File date: " + input.file_date + "   Printed: " + input.printed_date;
    const double name_room = content_width - width(dates, 8.5, false) - 16;
    const std::vector<std::string> name_lines = summary_wrap(input.file_name, std::max(name_room, 60.0), 8.5, true, width);
    flow.top = 36 + 10.5 * static_cast<double>(name_lines.size());

    const std::vector<EmgMeasures> measures = emg_measures_of_report(input.report, input.plane);
    overview(&flow, input, measures);
    if (input.baseline.report != nullptr)
        comparison_pages(&flow, input, measures);
    tracings_page(&flow, input, measures);
    for (std::size_t e = 0; e < input.report->exercises.size() && e < measures.size(); ++e)
        exercise_section(&flow, input, e, measures[e]);
    frame_pages(&flow.pages, input, name_lines);
    return flow.pages;
}
