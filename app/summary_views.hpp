// The jaw views of the summary document: the viewer's own scene, drawn as
// the SVG screenshot draws it (screenshot_svg_picture), at each exercise's
// largest opening (or farthest point) from the front and from the right
// side, on white in the scene's own colours. The state's camera, exercise,
// sample and screenshot settings are as they were afterwards.
#pragma once

#include <vector>

#include "picture/summary_document.hpp"

struct GuiState;

std::vector<SummaryJawViews> summary_views_draw(GuiState* state, int size);

// The colours of the views: the tracked points and the lines between them.
std::vector<SummaryLegendEntry> summary_views_legend();
