#include "picture/picture.hpp"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

PictureItem& append(Picture* picture, PictureKind kind, const PictureStyle& style)
{
    PictureItem& item = picture->items.emplace_back();
    item.kind = kind;
    item.style = style;
    return item;
}

}  // namespace

PictureItem& picture_group(Picture* picture, const PictureStyle& style)
{
    return append(picture, PictureKind::group, style);
}

PictureItem& picture_clip_group(Picture* picture, const PictureRect& clip, const PictureStyle& style)
{
    PictureItem& item = append(picture, PictureKind::group, style);
    item.clipped = true;
    item.box = clip;
    return item;
}

void picture_group_end(Picture* picture)
{
    append(picture, PictureKind::group_end, {});
}

PictureItem& picture_polyline(Picture* picture, std::vector<PicturePoint> points, const PictureStyle& style)
{
    PictureItem& item = append(picture, PictureKind::polyline, style);
    item.points = std::move(points);
    return item;
}

PictureItem& picture_line(Picture* picture, PicturePoint a, PicturePoint b, const PictureStyle& style)
{
    return picture_polyline(picture, {a, b}, style);
}

PictureItem& picture_rectangle(Picture* picture, const PictureRect& box, const PictureStyle& style)
{
    PictureItem& item = append(picture, PictureKind::rectangle, style);
    item.box = box;
    return item;
}

PictureItem& picture_circle(Picture* picture, PicturePoint centre, double radius, const PictureStyle& style)
{
    PictureItem& item = append(picture, PictureKind::circle, style);
    item.points = {centre};
    item.radius = radius;
    return item;
}

PictureItem& picture_text(Picture* picture, PicturePoint baseline, std::string text, const PictureStyle& style)
{
    PictureItem& item = append(picture, PictureKind::text, style);
    item.points = {baseline};
    item.text = std::move(text);
    return item;
}

PictureStyle picture_fill(PictureColor color)
{
    PictureStyle style;
    style.fill = PicturePaint::of(color);
    return style;
}

PictureStyle picture_stroke(PictureColor color, double width)
{
    PictureStyle style;
    style.stroke = PicturePaint::of(color);
    style.stroke_width = width;
    return style;
}

PictureStyle picture_style_resolve(const PictureStyle& inherited, const PictureStyle& own)
{
    PictureStyle out = inherited;
    if (own.stroke.kind != PicturePaint::Kind::inherit)
        out.stroke = own.stroke;
    if (own.fill.kind != PicturePaint::Kind::inherit)
        out.fill = own.fill;
    if (own.stroke_width > 0)
        out.stroke_width = own.stroke_width;
    if (own.dash != PictureDash::inherit) {
        out.dash = own.dash;
        out.dash_on = own.dash_on;
        out.dash_off = own.dash_off;
    }
    if (own.font_size > 0)
        out.font_size = own.font_size;
    if (own.anchor != PictureAnchor::inherit)
        out.anchor = own.anchor;
    out.bold = own.bold || inherited.bold;
    return out;
}

double picture_place(Picture* into, const Picture& from, const PictureRect& where)
{
    if (!(from.width > 0) || !(from.height > 0) || !(where.w > 0) || !(where.h > 0))
        return 0;
    const double scale = std::min(where.w / from.width, where.h / from.height);
    const double dx = where.x + (where.w - from.width * scale) / 2, dy = where.y + (where.h - from.height * scale) / 2;
    auto point = [&](PicturePoint p) { return PicturePoint{dx + p.x * scale, dy + p.y * scale}; };
    // The placed picture's defaults, scaled, as they do not scale by themselves.
    PictureStyle defaults;
    defaults.stroke_width = scale;
    defaults.font_size = 12 * scale;
    picture_clip_group(into, where, defaults);
    for (PictureItem item : from.items) {
        for (PicturePoint& p : item.points)
            p = point(p);
        item.box = {dx + item.box.x * scale, dy + item.box.y * scale, item.box.w * scale, item.box.h * scale};
        item.radius *= scale;
        PictureStyle& style = item.style;
        style.stroke_width *= scale;
        style.font_size *= scale;
        style.dash_on *= scale;
        style.dash_off *= scale;
        into->items.push_back(std::move(item));
    }
    picture_group_end(into);
    return scale;
}

