// The time chart of an exercise as an SVG drawing: the chart the "Measures"
// page shows (report/emg_chart), on white, with the exercise's number and
// name above it: the chart's picture on paper (picture/chart_picture) written
// by the SVG back end (svg/svg_picture); the traces are polylines of at most two points per
// pixel column (the column's smallest and largest value), solid while the
// jaw opens and dashed while it closes, so a file costs what its width
// costs, however long the exercise. Nothing here touches SDL or OpenGL.
#pragma once

class SvgSink;
struct EmgReport;

// The outer limits of the drawing's width and height, in pixels.
inline constexpr int SVG_CHART_MIN_SIDE = 1;
inline constexpr int SVG_CHART_MAX_SIDE = 16384;

// One complete SVG document of width x height pixels (each brought into
// SVG_CHART_MIN_SIDE .. SVG_CHART_MAX_SIDE) with the chart of exercise
// `exercise` (0-based) of the report: the motion above the two EMG channels
// when the report has them, the motion alone otherwise. An exercise that
// the report does not have gives the drawing with the reason in its place.
void svg_chart_write(SvgSink& file, const EmgReport& report, int exercise, int width, int height);
