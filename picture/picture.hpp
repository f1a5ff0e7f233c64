// A picture description: what to draw, as a list of primitives in a 2D page
// space, made once by pure functions (a chart, a tracing sheet, the 3D scene
// projected) and drawn by every back end alike: the window's software raster,
// the SVG writer and the PDF writer. Nothing here knows SDL, OpenGL, SVG or
// Cairo.
//
// Page space: x to the right and y downwards, in the page's units (pixels of
// a window picture, points of a PDF page), (0, 0) at the top left of a
// `width` x `height` page.
//
// The list is flat, as a drawing list is: a group is opened by an item of
// kind `group`, holds the items that follow and is closed by an item of kind
// `group_end`. A group's style and clip apply to everything inside it; an
// item's own style overrides what it inherits. Back ends walk the list in
// order, later items over earlier ones.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PictureColor {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend bool operator==(const PictureColor&, const PictureColor&) = default;
};

struct PicturePoint {
    double x = 0;
    double y = 0;
    friend bool operator==(const PicturePoint&, const PicturePoint&) = default;
};

struct PictureRect {
    double x = 0;
    double y = 0;
    double w = 0;
    double h = 0;
    friend bool operator==(const PictureRect&, const PictureRect&) = default;
};

// A paint: inherited from the enclosing group, none, or a colour.
struct PicturePaint {
    enum class Kind : std::uint8_t { inherit, none, color };
    Kind kind = Kind::inherit;
    PictureColor color;
    static PicturePaint none_paint() { return {Kind::none, {}}; }
    static PicturePaint of(PictureColor c) { return {Kind::color, c}; }
    friend bool operator==(const PicturePaint&, const PicturePaint&) = default;
};

enum class PictureAnchor : std::uint8_t { inherit, start, middle, end };

// How a stroke is drawn; every field can be left to the enclosing group.
enum class PictureDash : std::uint8_t { inherit, solid, dashed };

struct PictureStyle {
    PicturePaint stroke;
    PicturePaint fill;
    double stroke_width = 0;   // page units; 0 inherits (1 at the top)
    PictureDash dash = PictureDash::inherit;
    double dash_on = 4;        // page units of a dash and of the gap after it
    double dash_off = 3;
    double font_size = 0;      // page units; 0 inherits (12 at the top)
    PictureAnchor anchor = PictureAnchor::inherit;
    bool bold = false;
    friend bool operator==(const PictureStyle&, const PictureStyle&) = default;
};

enum class PictureKind : std::uint8_t {
    group,      // opens a group: `style`, and `clip` when `clipped`
    group_end,  // closes the innermost open group
    polyline,   // `points`, stroked (open; a fill paints its inside)
    rectangle,  // `box`, filled and/or stroked
    circle,     // centre `points[0]`, radius `radius`
    text,       // `text` (UTF-8) on its baseline at `points[0]`, aligned by the anchor;
                // when `clipped`, kept between `box.x` and `box.x + box.w` where it fits
};

// How the SVG back end writes a group whose form older files fix (the 3D
// scene's screenshot); other back ends ignore it.
enum class PictureSvgForm : std::uint8_t {
    plain,
    // The whole drawing: an outer view box of the group's `box` size in user
    // units over the page (so a user unit is the group's stroke width);
    // circles, lines and rectangles written as percentages of the page,
    // radii in user units.
    scaled_document,
    // A nested `svg` element over the whole page in page units, with the
    // group's stroke width: its polylines are written in page units, and a
    // dash as 1 % on, 1 % off.
    scale_box,
};

// How one back end is to write an item where formats allow more than one
// way; every other back end ignores them.
struct PictureHints {
    bool svg_stroke_first = false;  // a group writes its stroke before its fill
    bool svg_font_family = false;   // a group names the program's font family
    bool svg_line = false;          // a polyline of two points is an SVG line
    PictureSvgForm svg_form = PictureSvgForm::plain;  // of a group
};

struct PictureItem {
    PictureKind kind = PictureKind::group;
    PictureStyle style;
    std::vector<PicturePoint> points;
    PictureRect box;
    double radius = 0;
    bool clipped = false;  // a group clipping its items to `box`; a text kept within `box`
    std::string text;
    std::string id;        // an optional name (a panel, a legend), kept by back ends that can
    PictureHints hints;
};

struct Picture {
    double width = 0;
    double height = 0;
    std::vector<PictureItem> items;
};

// Builders: each appends one item and returns it for further settings.
PictureItem& picture_group(Picture* picture, const PictureStyle& style = {});
PictureItem& picture_clip_group(Picture* picture, const PictureRect& clip, const PictureStyle& style = {});
void picture_group_end(Picture* picture);
PictureItem& picture_polyline(Picture* picture, std::vector<PicturePoint> points, const PictureStyle& style = {});
PictureItem& picture_line(Picture* picture, PicturePoint a, PicturePoint b, const PictureStyle& style = {});
PictureItem& picture_rectangle(Picture* picture, const PictureRect& box, const PictureStyle& style = {});
PictureItem& picture_circle(Picture* picture, PicturePoint centre, double radius, const PictureStyle& style = {});
PictureItem& picture_text(Picture* picture, PicturePoint baseline, std::string text, const PictureStyle& style = {});

// The two commonest styles: a fill of one colour, a stroke of one colour
// (of `width` page units; 0 inherits the width).
PictureStyle picture_fill(PictureColor color);
PictureStyle picture_stroke(PictureColor color, double width = 0);

// The style in force for an item: `own` over `inherited`, field by field.
PictureStyle picture_style_resolve(const PictureStyle& inherited, const PictureStyle& own);

// Places `from` inside `into`, its page scaled evenly to fit `where` and
// centred there: every coordinate, size, stroke width, dash and font size
// scaled, the whole inside a group clipped to `where`. Returns the scale.
double picture_place(Picture* into, const Picture& from, const PictureRect& where);

