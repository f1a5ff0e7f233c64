#include "svg/svg_chart.hpp"

#include <algorithm>

#include "picture/chart_picture.hpp"
#include "report/emg_chart.hpp"
#include "svg/svg_picture.hpp"

void svg_chart_write(SvgSink& file, const EmgReport& report, int exercise, int width, int height)
{
    width = std::clamp(width, SVG_CHART_MIN_SIDE, SVG_CHART_MAX_SIDE);
    height = std::clamp(height, SVG_CHART_MIN_SIDE, SVG_CHART_MAX_SIDE);
    const ChartPictureLook look = chart_picture_paper();
    const EmgChart chart = emg_chart_build(&report, exercise, width, std::max(height - static_cast<int>(look.title_height), 0));
    Picture picture = chart_picture(chart, look);
    picture.width = width;
    picture.height = height;
    svg_picture_write(file, picture);
}
