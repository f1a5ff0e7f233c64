#include "picture/comparison_picture.hpp"

#include <algorithm>
#include <vector>

namespace {

constexpr PictureColor black{0, 0, 0};
constexpr PictureColor rule_color{190, 190, 190};
constexpr PictureColor muted{110, 110, 110};

PictureStyle text_style(double font, PictureColor color, PictureAnchor anchor = PictureAnchor::start,
                        bool bold = false)
{
    PictureStyle s = picture_fill(color);
    s.stroke = PicturePaint::none_paint();
    s.font_size = font;
    s.anchor = anchor;
    s.bold = bold;
    return s;
}

// The page's lines from the top, one table row each.
struct Writer {
    Picture* picture;
    double left;
    double right;
    double pitch;
    double font;
    double y;

    void text(double x, const std::string& what, PictureColor color, PictureAnchor anchor = PictureAnchor::start,
              bool bold = false) const
    {
        picture_text(picture, {x, y}, what, text_style(font, color, anchor, bold));
    }
    void rule() const
    {
        picture_line(picture, {left, y + 0.35 * pitch}, {right, y + 0.35 * pitch}, picture_stroke(rule_color, 0.6));
    }
    void next(double lines = 1.0) { y += lines * pitch; }
};

std::string exercise_label(const EmgReport* report, std::int32_t exercise)
{
    if (report == nullptr || exercise < 0 || exercise >= static_cast<std::int32_t>(report->exercises.size()))
        return "no exercise";
    return "[" + std::to_string(exercise + 1) + "] " + report->exercises[static_cast<std::size_t>(exercise)].name;
}

void sides_table(Writer* w, const char* title, const EmgSideComparison& sides, const double columns[4])
{
    w->text(w->left, title, black, PictureAnchor::start, true);
    w->next();
    if (sides.rows.empty()) {
        w->text(w->left, "not available: it needs a laterotrusion to each side", muted);
        w->next(1.5);
        return;
    }
    w->text(columns[1], "Left [" + std::to_string(sides.left_exercise + 1) + "]", muted, PictureAnchor::end);
    w->text(columns[2], "Right [" + std::to_string(sides.right_exercise + 1) + "]", muted, PictureAnchor::end);
    w->text(columns[3], "Left - right", muted, PictureAnchor::end);
    w->rule();
    w->next();
    for (const EmgSideRow& row : sides.rows) {
        w->text(w->left, row.name, black);
        w->text(columns[1], emg_numeric_figure_text(row.left), black, PictureAnchor::end);
        w->text(columns[2], emg_numeric_figure_text(row.right), black, PictureAnchor::end);
        w->text(columns[3], emg_numeric_change_text(row.difference), black, PictureAnchor::end);
        w->next();
    }
    w->next(0.5);
}

}  // namespace

Picture comparison_picture_build(const ComparisonSheetInput& in, double width, double height)
{
    Picture picture;
    picture.width = width;
    picture.height = height;
    PictureStyle paper = picture_fill({255, 255, 255});
    paper.stroke = PicturePaint::none_paint();
    picture_rectangle(&picture, {0, 0, width, height}, paper);
    PictureItem& sheet = picture_group(&picture);
    sheet.id = "comparison";
    sheet.hints.svg_font_family = true;

    // 50 lines fill the page: the longest sheet (26 figures, two tables of
    // six) with its titles.
    const double pitch = height / 50.0;
    const double margin = std::min(width, height) * 0.04;
    Writer w{&picture, margin, width - margin, pitch, pitch * 0.75, margin + pitch};
    const bool baseline = in.baseline != nullptr;
    // Right edges of the value columns.
    const double span = width - 2 * margin;
    const double columns[4] = {margin, margin + span * 0.58, margin + span * 0.76, width - margin};

    w.text(w.left, baseline ? "Comparison with the baseline" : "Left against right", black, PictureAnchor::start,
           true);
    w.next();
    const bool exercise_ok = in.report != nullptr && in.exercise >= 0
                             && in.exercise < static_cast<std::int32_t>(in.report->exercises.size());
    if (!exercise_ok) {
        w.text(w.left, in.report == nullptr ? "No report loaded" : "No exercise chosen", muted);
        picture_group_end(&picture);
        return picture;
    }
    w.text(w.left, "Now: " + in.report_name + "  " + exercise_label(in.report, in.exercise), black);
    w.next();
    if (baseline) {
        w.text(w.left, "Baseline: " + in.baseline_name + "  " + exercise_label(in.baseline, in.baseline_exercise),
               muted);
        w.next();
    }
    w.next(0.5);

    const std::vector<EmgMeasures> now = emg_measures_of_report(in.report, in.plane);
    const bool paired = baseline && in.baseline_exercise >= 0
                        && in.baseline_exercise < static_cast<std::int32_t>(in.baseline->exercises.size());
    if (baseline) {
        EmgMeasures before;
        if (paired)
            before = emg_measures_of_exercise(
                in.baseline, &in.baseline->exercises[static_cast<std::size_t>(in.baseline_exercise)], in.plane);
        const EmgMeasures& current = now[static_cast<std::size_t>(in.exercise)];
        const std::vector<EmgNumericFigure> figures = emg_numeric_figures(current);
        const std::vector<EmgNumericFigure> earlier = emg_numeric_figures(before);
        const std::vector<EmgNumericFigure> changes = emg_comparison_deltas(current, before);
        w.text(columns[1], "Now", muted, PictureAnchor::end);
        w.text(columns[2], "Baseline", muted, PictureAnchor::end);
        w.text(columns[3], "Change", muted, PictureAnchor::end);
        w.rule();
        w.next();
        for (std::size_t k = 0; k < figures.size(); ++k) {
            if (!figures[k].value && !(paired && earlier[k].value))
                continue;
            w.text(w.left, figures[k].name, black);
            w.text(columns[1], emg_numeric_figure_text(figures[k]), black, PictureAnchor::end);
            w.text(columns[2], paired ? emg_numeric_figure_text(earlier[k]) : "-", muted, PictureAnchor::end);
            w.text(columns[3], paired ? emg_numeric_change_text(changes[k]) : "-", black,
                   PictureAnchor::end);
            w.next();
        }
        w.next(0.5);
    }
    sides_table(&w, "Left against right", emg_comparison_sides(now), columns);
    if (baseline)
        sides_table(&w, "Left against right, baseline", emg_comparison_sides(emg_measures_of_report(in.baseline, in.plane)),
                    columns);
    picture_group_end(&picture);
    return picture;
}
