// The SVG back end of the picture description (picture/picture.hpp): a
// picture as an SVG 1.1 document whose view box is the picture's page.
//
// Rectangles, lines (polylines hinted `svg_line`), circles and text place
// themselves in percentages of the page, polylines in page units, as the
// program's other drawings do; a group becomes a `g` element carrying the
// style it sets, and a clipping group refers to a `clipPath` written just
// before it. Text is written as XML character data: markup escaped, control
// characters and bytes that are no UTF-8 left out.
#pragma once

#include "picture/picture.hpp"
#include "svg/svg_writer.hpp"

// The whole document: the XML declaration, the outer element, the items.
void svg_picture_write(SvgSink& file, const Picture& picture);
// The items alone, the top level indented by `indent` tabs, for a document
// that holds more than one picture.
void svg_picture_write_items(SvgSink& file, const Picture& picture, int indent);
