// The time chart (report/emg_chart) as a picture: described here once and
// drawn alike by the window (widgets/picture_raster), the SVG writer
// (svg/svg_chart) and the PDF writer.
//
// Two looks of one layout. On paper (SVG, PDF) the page holds a title line
// above the plots, lines and traces run through the centres of the pixel
// columns and closing stretches are dashed strokes. In the window every
// primitive is snapped to whole pixels: frames, grid lines and each
// column's run of a trace are filled rectangles, dashes are runs of columns,
// and text is placed by the top of its line, the font's ascent above its
// baseline.
#pragma once

#include <cstdint>

#include "picture/picture.hpp"
#include "report/emg_chart.hpp"

struct ChartPictureLook {
    bool window = false;           // whole pixels for the window's raster; paper otherwise
    PictureColor ink{0, 0, 0};     // frames, labels and text
    PictureColor ground{255, 255, 255};  // around the plots
    PictureColor plot_ground{0xF4, 0xF1, 0xEE};
    PictureColor grid{0xD4, 0xCC, 0xC4};
    double title_height = 22;      // above the plots (paper; the window shows the title elsewhere)
    double text_ascent = 11;       // from the top of a line of text to its baseline (window)
};

// The look of SVG and PDF: black on white, a title line 22 units high.
ChartPictureLook chart_picture_paper();
// The look of the window: its ink and ground, its font's ascent, no title.
ChartPictureLook chart_picture_window(PictureColor ink, PictureColor ground, double text_ascent);

// The whole chart: chart.width x (chart.height + title) on paper, chart.width
// x chart.height in the window.
Picture chart_picture(const EmgChart& chart, const ChartPictureLook& look);

// One plot's text line while the pointer is over column `column`, the size
// of the plot's header: the first trace's value where its legend starts, the
// second's where its legend ends, and in the first plot's line the time
// between them.
Picture chart_picture_readout(const EmgChart& chart, const EmgChartPanel& panel, std::int32_t column,
                              const ChartPictureLook& look);
