#include "svg/svg_picture.hpp"

#include <string>
#include <string_view>
#include <vector>

#include "base/utf8.hpp"

namespace {

// Text as XML character data: the markup characters escaped, control
// characters (which XML does not allow) and bytes that are no UTF-8 left
// out.
std::string xml_text(std::string_view text)
{
    std::string out;
    std::size_t k = 0;
    while (k < text.size()) {
        const auto byte = static_cast<unsigned char>(text[k]);
        if (byte < 0x80) {
            switch (byte) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default:
                if (byte >= 0x20 || byte == '\t')
                    out.push_back(static_cast<char>(byte));
            }
            ++k;
            continue;
        }
        // A whole character, kept when XML allows it.
        char32_t code = 0;
        const std::size_t length = utf8_decode(text, k, &code);
        const bool whole = length > 0 && code != 0xFFFE && code != 0xFFFF;
        if (whole)
            out.append(text.substr(k, length));
        k += whole ? length : 1;
    }
    return out;
}

int color_value(const PictureColor& c)
{
    return c.r * 65536 + c.g * 256 + c.b;
}

// 0xRRGGBB of a colour paint, -1 for any other.
int paint_value(const PicturePaint& paint)
{
    return paint.kind == PicturePaint::Kind::color ? color_value(paint.color) : -1;
}

void paint_attribute(SvgSink& file, const char* name, const PicturePaint& paint)
{
    if (paint.kind == PicturePaint::Kind::none)
        file.print(" %s=\"none\"", name);
    else if (paint.kind == PicturePaint::Kind::color)
        file.print(" %s=\"#%.6lX\"", name, static_cast<long>(color_value(paint.color)));
}

const char* anchor_name(PictureAnchor anchor)
{
    switch (anchor) {
    case PictureAnchor::start: return "start";
    case PictureAnchor::middle: return "middle";
    case PictureAnchor::end: return "end";
    case PictureAnchor::inherit: break;
    }
    return nullptr;
}

// A stroke's own width and dashes; `inherited` says whether a dash of the
// enclosing groups is to be undone.
void stroke_attributes(SvgSink& file, const PictureStyle& own, PictureDash inherited)
{
    if (own.stroke_width > 0)
        file.print(" stroke-width=\"%g\"", own.stroke_width);
    if (own.dash == PictureDash::dashed)
        file.print(" stroke-dasharray=\"%g,%g\"", own.dash_on, own.dash_off);
    else if (own.dash == PictureDash::solid && inherited == PictureDash::dashed)
        file.write(" stroke-dasharray=\"none\"");
}

void text_attributes(SvgSink& file, const PictureStyle& own)
{
    if (own.font_size > 0)
        file.print(" font-size=\"%g\"", own.font_size);
    if (own.bold)
        file.write(" font-weight=\"bold\"");
    if (const char* anchor = anchor_name(own.anchor))
        file.print(" text-anchor=\"%s\"", anchor);
}

struct Writer {
    SvgSink& file;
    const Picture& picture;
    int clips = 0;
    std::vector<PictureStyle> styles;  // in force inside each open group

    double fx(double x) const { return picture.width > 0 ? x / picture.width : 0; }
    double fy(double y) const { return picture.height > 0 ? y / picture.height : 0; }

    void group(const PictureItem& item, int indent)
    {
        std::string clip;
        if (item.clipped) {
            clip = "zelto-clip-" + std::to_string(++clips);
            file.tabs(indent);
            file.print("<clipPath id=\"%s\"><rect x=\"%.2lf\" y=\"%.2lf\" width=\"%.2lf\" height=\"%.2lf\"/></clipPath>\n",
                       clip.c_str(), item.box.x, item.box.y, item.box.w, item.box.h);
        }
        const PictureStyle& own = item.style;
        file.tabs(indent);
        file.write("<g");
        if (!item.id.empty()) {
            file.write(" id=\"");
            file.write(xml_text(item.id));
            file.write("\"");
        }
        if (!clip.empty())
            file.print(" clip-path=\"url(#%s)\"", clip.c_str());
        if (item.hints.svg_stroke_first) {
            paint_attribute(file, "stroke", own.stroke);
            paint_attribute(file, "fill", own.fill);
        } else {
            paint_attribute(file, "fill", own.fill);
            paint_attribute(file, "stroke", own.stroke);
        }
        stroke_attributes(file, own, styles.back().dash);
        if (item.hints.svg_font_family)
            file.write(" font-family=\"DejaVu Sans, Verdana, sans-serif\"");
        text_attributes(file, own);
        file.write(">\n");
        styles.push_back(picture_style_resolve(styles.back(), own));
    }

    void polyline(const PictureItem& item, int indent)
    {
        const PictureStyle& own = item.style;
        if (item.hints.svg_line && item.points.size() == 2) {
            const PicturePoint& a = item.points[0];
            const PicturePoint& b = item.points[1];
            svg_writer_draw_line(file, indent, fx(a.x), fy(a.y), fx(b.x), fy(b.y), paint_value(own.stroke));
            return;
        }
        file.tabs(indent);
        file.write("<polyline");
        stroke_attributes(file, own, styles.back().dash);
        paint_attribute(file, "stroke", own.stroke);
        // A polyline is an open stroke unless something asks for a fill.
        const PicturePaint fill = picture_style_resolve(styles.back(), own).fill;
        if (own.fill.kind != PicturePaint::Kind::inherit || fill.kind == PicturePaint::Kind::inherit)
            paint_attribute(file, "fill", fill.kind == PicturePaint::Kind::inherit ? PicturePaint::none_paint() : own.fill);
        file.write(" points=\"");
        for (const PicturePoint& p : item.points)
            file.point(p.x, p.y);
        file.write("\"/>\n");
    }

    void rectangle(const PictureItem& item, int indent)
    {
        const PictureStyle& own = item.style;
        const PictureRect& r = item.box;
        if (own.stroke.kind == PicturePaint::Kind::inherit && own.stroke_width <= 0 && own.dash == PictureDash::inherit
            && own.fill.kind != PicturePaint::Kind::none) {
            svg_writer_draw_rectangle(file, indent, fx(r.x), fy(r.y), fx(r.w), fy(r.h), paint_value(own.fill));
            return;
        }
        file.tabs(indent);
        file.print("<rect x=\"%3.2lf%%\" y=\"%3.2lf%%\" width=\"%3.2lf%%\" height=\"%3.2lf%%\"", fx(r.x) * 100,
                   fy(r.y) * 100, fx(r.w) * 100, fy(r.h) * 100);
        paint_attribute(file, "fill", own.fill);
        paint_attribute(file, "stroke", own.stroke);
        stroke_attributes(file, own, styles.back().dash);
        file.write("/>\n");
    }

    void circle(const PictureItem& item, int indent)
    {
        if (item.points.empty())
            return;
        const PictureStyle& own = item.style;
        file.tabs(indent);
        file.print("<circle cx=\"%3.2lf%%\" cy=\"%3.2lf%%\" r=\"%g\"", fx(item.points[0].x) * 100,
                   fy(item.points[0].y) * 100, item.radius);
        paint_attribute(file, "fill", own.fill);
        paint_attribute(file, "stroke", own.stroke);
        stroke_attributes(file, own, styles.back().dash);
        file.write("/>\n");
    }

    void text(const PictureItem& item, int indent)
    {
        if (item.points.empty())
            return;
        const PictureStyle& own = item.style;
        file.tabs(indent);
        file.print("<text x=\"%3.2lf%%\" y=\"%3.2lf%%\"", item.points[0].x / picture.width * 100,
                   item.points[0].y / picture.height * 100);
        if (const char* anchor = anchor_name(own.anchor))
            file.print(" text-anchor=\"%s\"", anchor);
        paint_attribute(file, "fill", own.fill);
        if (own.font_size > 0)
            file.print(" font-size=\"%g\"", own.font_size);
        if (own.bold)
            file.write(" font-weight=\"bold\"");
        file.write(">");
        file.write(xml_text(item.text));
        file.write("</text>\n");
    }
};

}  // namespace

void svg_picture_write_items(SvgSink& file, const Picture& picture, int indent)
{
    Writer writer{file, picture, 0, {PictureStyle{}}};
    int depth = indent;
    for (const PictureItem& item : picture.items) {
        switch (item.kind) {
        case PictureKind::group:
            writer.group(item, depth);
            ++depth;
            break;
        case PictureKind::group_end:
            // A close without its open is ignored rather than unbalancing the document.
            if (writer.styles.size() > 1) {
                writer.styles.pop_back();
                --depth;
                file.tabs(depth);
                file.write("</g>\n");
            }
            break;
        case PictureKind::polyline: writer.polyline(item, depth); break;
        case PictureKind::rectangle: writer.rectangle(item, depth); break;
        case PictureKind::circle: writer.circle(item, depth); break;
        case PictureKind::text: writer.text(item, depth); break;
        }
    }
    // Groups left open are closed.
    while (writer.styles.size() > 1) {
        writer.styles.pop_back();
        --depth;
        file.tabs(depth);
        file.write("</g>\n");
    }
}

void svg_picture_write(SvgSink& file, const Picture& picture)
{
    svg_writer_preamble(file);
    svg_writer_svg_opening(file, static_cast<int>(picture.width), static_cast<int>(picture.height), 1.0);
    svg_picture_write_items(file, picture, 1);
    svg_writer_svg_closing(file);
}
