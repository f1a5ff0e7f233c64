#include "svg/svg_picture.hpp"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/utf8.hpp"

namespace {

// Text as XML character data: the markup characters escaped, control
// characters and bytes that are no UTF-8 left out.
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
        char32_t code = 0;
        const std::size_t length = utf8_decode(text, k, &code);
        const bool whole = length > 0 && code != 0xFFFE && code != 0xFFFF;
        if (whole)
            out.append(text.substr(k, length));
        k += whole ? length : 1;
    }
    return out;
}

void paint(SvgSink& sink, const char* name, const PicturePaint& p)
{
    if (p.kind == PicturePaint::Kind::none)
        sink.print(" %s=\"none\"", name);
    else if (p.kind == PicturePaint::Kind::color)
        sink.print(" %s=\"#%02X%02X%02X\"", name, p.color.r, p.color.g, p.color.b);
}

// The attributes of a style's own settings (what it leaves to its group is not written).
void style(SvgSink& sink, const PictureStyle& s)
{
    paint(sink, "stroke", s.stroke);
    paint(sink, "fill", s.fill);
    if (s.stroke_width > 0)
        sink.print(" stroke-width=\"%.2f\"", s.stroke_width);
    if (s.dash == PictureDash::dashed)
        sink.print(" stroke-dasharray=\"%.2f %.2f\"", s.dash_on, s.dash_off);
    else if (s.dash == PictureDash::solid)
        sink.write(" stroke-dasharray=\"none\"");
    if (s.font_size > 0)
        sink.print(" font-size=\"%.2f\"", s.font_size);
    if (s.anchor != PictureAnchor::inherit)
        sink.print(" text-anchor=\"%s\"", s.anchor == PictureAnchor::start    ? "start"
                                          : s.anchor == PictureAnchor::middle ? "middle"
                                                                              : "end");
    if (s.bold)
        sink.write(" font-weight=\"bold\"");
}

void id(SvgSink& sink, const std::string& name)
{
    if (!name.empty())
        sink.write(" id=\"" + xml_text(name) + "\"");
}

}  // namespace

void svg_picture_write(SvgSink& sink, const Picture& picture)
{
    sink.write("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n");
    sink.print("<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"%.0f\" height=\"%.0f\" "
               "viewBox=\"0 0 %.2f %.2f\" font-family=\"DejaVu Sans, sans-serif\" font-size=\"12\" stroke=\"#000000\" "
               "fill=\"none\" stroke-width=\"1\" stroke-linejoin=\"round\" stroke-linecap=\"round\">\n",
               picture.width, picture.height, picture.width, picture.height);
    // The styles in force, to give text a fill where none is set (SVG text
    // without one would not show).
    std::vector<PictureStyle> styles{PictureStyle{}};
    std::int32_t clips = 0;
    for (const PictureItem& item : picture.items) {
        switch (item.kind) {
        case PictureKind::group:
            if (item.clipped) {
                sink.print("<clipPath id=\"clip%d\"><rect x=\"%.2f\" y=\"%.2f\" width=\"%.2f\" height=\"%.2f\"/></clipPath>\n",
                           clips, item.box.x, item.box.y, item.box.w, item.box.h);
                sink.print("<g clip-path=\"url(#clip%d)\"", clips++);
            } else {
                sink.write("<g");
            }
            id(sink, item.id);
            style(sink, item.style);
            sink.write(">\n");
            styles.push_back(picture_style_resolve(styles.back(), item.style));
            break;
        case PictureKind::group_end:
            if (styles.size() > 1) {
                sink.write("</g>\n");
                styles.pop_back();
            }
            break;
        case PictureKind::polyline:
            if (item.points.empty())
                break;
            sink.write("<polyline");
            id(sink, item.id);
            style(sink, item.style);
            sink.write(" points=\"");
            for (const PicturePoint& p : item.points)
                sink.point(p.x, p.y);
            sink.write("\"/>\n");
            break;
        case PictureKind::rectangle:
            sink.print("<rect x=\"%.2f\" y=\"%.2f\" width=\"%.2f\" height=\"%.2f\"", item.box.x, item.box.y,
                       item.box.w, item.box.h);
            id(sink, item.id);
            style(sink, item.style);
            sink.write("/>\n");
            break;
        case PictureKind::circle:
            if (item.points.empty())
                break;
            sink.print("<circle cx=\"%.2f\" cy=\"%.2f\" r=\"%.2f\"", item.points[0].x, item.points[0].y, item.radius);
            id(sink, item.id);
            style(sink, item.style);
            sink.write("/>\n");
            break;
        case PictureKind::text:
            if (item.points.empty())
                break;
            sink.print("<text x=\"%.2f\" y=\"%.2f\"", item.points[0].x, item.points[0].y);
            id(sink, item.id);
            style(sink, item.style);
            if (item.style.fill.kind == PicturePaint::Kind::inherit
                && picture_style_resolve(styles.back(), item.style).fill.kind != PicturePaint::Kind::color)
                sink.write(" fill=\"#000000\"");
            sink.write(">" + xml_text(item.text) + "</text>\n");
            break;
        }
    }
    for (; styles.size() > 1; styles.pop_back())
        sink.write("</g>\n");
    sink.write("</svg>\n");
}
