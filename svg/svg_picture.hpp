// A picture description (picture/picture) as an SVG 1.1 document: groups as
// `g` elements carrying their style (and a clip path when they clip),
// polylines, rectangles, circles and text, in the picture's page units.
// Everything is written through an SvgSink in the "C" locale; nothing here
// touches a window.
#pragma once

#include "picture/picture.hpp"
#include "svg/svg_writer.hpp"

// The whole document: the XML declaration, an `svg` element of the
// picture's width and height (its view box the same), the items in order.
void svg_picture_write(SvgSink& sink, const Picture& picture);
