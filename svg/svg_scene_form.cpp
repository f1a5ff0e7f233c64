#include "svg/svg_scene_form.hpp"

#include <cmath>
#include <vector>

#include "picture/picture.hpp"
#include "svg/svg_writer.hpp"

namespace {

int color_value(const PicturePaint& paint)
{
    return paint.kind == PicturePaint::Kind::color ? paint.color.r * 65536 + paint.color.g * 256 + paint.color.b : -1;
}

void open_group(SvgSink& file, int indent, const PictureStyle& style)
{
    file.tabs(indent);
    file.write("<g");
    if (style.stroke.kind == PicturePaint::Kind::color)
        file.print(" stroke=\"#%.6lX\"", static_cast<long>(color_value(style.stroke)));
    if (style.fill.kind == PicturePaint::Kind::color)
        file.print(" fill=\"#%.6lX\"", static_cast<long>(color_value(style.fill)));
    else if (style.fill.kind == PicturePaint::Kind::none)
        file.write(" fill=\"none\"");
    file.write(">\n");
}

void close_group(SvgSink& file, int indent)
{
    file.tabs(indent);
    file.write("</g>\n");
    file.tabs(indent);
    file.write("\n");
}

}  // namespace

bool svg_scene_form_write(SvgSink& file, const Picture& picture)
{
    if (picture.items.empty() || picture.items.front().kind != PictureKind::group
        || picture.items.front().hints.svg_form != PictureSvgForm::scaled_document)
        return false;
    const double w = picture.width, h = picture.height;
    const PictureItem& document = picture.items.front();
    const double unit = document.style.stroke_width > 0 ? document.style.stroke_width : 1.0;
    svg_writer_preamble(file);
    svg_writer_svg_opening_box(file, static_cast<int>(w), static_cast<int>(h), document.box.w, document.box.h);

    // What each open group is: the document, a scale box or a plain group.
    std::vector<PictureSvgForm> open;
    int indent = 0;
    for (const PictureItem& item : picture.items) {
        switch (item.kind) {
        case PictureKind::group:
            if (item.hints.svg_form == PictureSvgForm::scale_box)
                svg_writer_scale_box_open(file, indent, static_cast<int>(w), static_cast<int>(h),
                                          item.style.stroke_width);
            else if (item.hints.svg_form == PictureSvgForm::plain)
                open_group(file, indent, item.style);
            open.push_back(item.hints.svg_form);
            ++indent;
            break;
        case PictureKind::group_end:
            if (open.empty())
                break;
            --indent;
            if (open.back() == PictureSvgForm::scale_box)
                svg_writer_scale_box_close(file, indent + 1);
            else if (open.back() == PictureSvgForm::plain)
                close_group(file, indent);
            open.pop_back();
            break;
        case PictureKind::rectangle:
            svg_writer_draw_rectangle(file, indent, item.box.x / w, item.box.y / h, item.box.w / w, item.box.h / h,
                                      color_value(item.style.fill));
            file.tabs(indent);
            file.write("\n");
            break;
        case PictureKind::circle:
            svg_writer_draw_circle(file, indent, item.points[0].x / w, item.points[0].y / h,
                                   static_cast<int>(std::lround(item.radius / unit)), color_value(item.style.fill));
            break;
        case PictureKind::polyline:
            if (!open.empty() && open.back() == PictureSvgForm::plain && open.size() >= 2
                && open[open.size() - 2] == PictureSvgForm::scale_box) {
                file.tabs(indent);
                file.write("<polyline");
                if (item.style.dash == PictureDash::dashed)
                    file.write(" stroke-dasharray=\"1%,1%\"");
                file.write(" points=\"");
                for (const PicturePoint& p : item.points)
                    file.point(p.x, p.y);
                file.write("\"/>\n");
            } else if (item.points.size() == 2) {
                svg_writer_draw_line(file, indent, item.points[0].x / w, item.points[0].y / h, item.points[1].x / w,
                                     item.points[1].y / h, color_value(item.style.stroke));
            }
            break;
        case PictureKind::text:
            break;
        }
    }
    svg_writer_svg_closing(file);
    return true;
}
