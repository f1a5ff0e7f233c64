// The SVG screenshot: what the 3D viewport shows, written as one SVG file in
// the working directory: the reference cube and axes, the three jaw points
// of the current sample with the lines between them, the grid lattices, the
// whole paths of the selected exercise (solid while opening, dashed while
// closing) and the calibration points.
//
// Its own settings are the SVG options of the GUI state: the background
// (0 none, 1 black, 2 white), the colour override (0 each element's own
// colour, 1 all black, 2 all white) and the line width in percent, which
// scales every stroke and circle through the outer view box.
//
// Odd states never make it read outside an array: the current sample is
// `animation_position` truncated and held inside the exercise (a negative or
// NaN position gives the first sample, one past the end the last); without
// a current sample (a report without exercises, a selected exercise out of
// range, an exercise without samples) nothing that depends on it is written;
// without path vertices there are no frame lattices; every derived array is
// read only within its actual size.
#pragma once

#include "picture/picture.hpp"

class SvgSink;
struct GuiState;

// The whole paths are written simplified: no written line strays more than
// this many pixels of the drawing from the samples it stands for.
inline constexpr double SCREENSHOT_SVG_PATH_TOLERANCE = 0.75;

// Writes "screenshot_%d_%02d_%02d_%02d_%02d_%02d.svg" (local time) in the
// working directory from `gui_state`, as a drawing of size x size pixels (the
// side of the square viewport). Nothing is written when the file cannot be
// created.
void screenshot_svg(int size);

// The whole drawing of `state` as a picture of size x size pixels, which
// the SVG screenshot writes and the summary can draw. Unknown setting values
// print their two warning lines on standard output and fall back to the
// black background or the own colours. A path tolerance of 0 keeps every
// sample of the paths.
Picture screenshot_svg_picture(const GuiState& state, int size,
                               double path_tolerance = SCREENSHOT_SVG_PATH_TOLERANCE);

// The whole drawing of `state` written to `file`. Unknown setting values
// print their two warning lines on standard output and fall back to the
// black background or the own colours. A path tolerance of 0 writes every
// sample of the paths.
void screenshot_svg_write(SvgSink& file, const GuiState& state, int size,
                          double path_tolerance = SCREENSHOT_SVG_PATH_TOLERANCE);
