#include "pdf/pdf_picture.hpp"

#include <cairo-ft.h>
#include <cairo-pdf.h>
#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <numbers>

#include "base/utf8.hpp"
#include "platform/resources/resources.hpp"

// =============================================================================
// The font
// =============================================================================

namespace {

// The FreeType library and face behind a Cairo font face: freed when Cairo
// lets go of the face, which may be after the PdfFont (Cairo caches faces).
struct FreeTypeFace {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    ~FreeTypeFace()
    {
        if (face != nullptr)
            FT_Done_Face(face);
        if (library != nullptr)
            FT_Done_FreeType(library);
    }
};

const cairo_user_data_key_t free_type_key{};

cairo_font_face_t* load_face(bool bold)
{
    auto owned = std::make_unique<FreeTypeFace>();
    if (FT_Init_FreeType(&owned->library) != 0
        || FT_New_Memory_Face(owned->library, font_bytes, static_cast<FT_Long>(font_size), 0, &owned->face) != 0)
        return nullptr;
    cairo_font_face_t* face = cairo_ft_font_face_create_for_ft_face(owned->face, 0);
    if (cairo_font_face_status(face) != CAIRO_STATUS_SUCCESS) {
        cairo_font_face_destroy(face);
        return nullptr;
    }
    if (bold)
        cairo_ft_font_face_set_synthesize(face, CAIRO_FT_SYNTHESIZE_BOLD);
    FreeTypeFace* raw = owned.get();
    if (cairo_font_face_set_user_data(face, &free_type_key, raw,
                                      [](void* data) { delete static_cast<FreeTypeFace*>(data); })
        != CAIRO_STATUS_SUCCESS) {
        cairo_font_face_destroy(face);
        return nullptr;
    }
    owned.release();  // now Cairo's, through the user data
    return face;
}

struct FaceReleaser {
    void operator()(cairo_font_face_t* face) const { cairo_font_face_destroy(face); }
};
using FacePtr = std::unique_ptr<cairo_font_face_t, FaceReleaser>;

struct SurfaceReleaser {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct ContextReleaser {
    void operator()(cairo_t* context) const { cairo_destroy(context); }
};

}  // namespace

struct PdfFont::Faces {
    FacePtr regular;
    FacePtr bold;
    // A context on a surface of no size, for measuring.
    std::unique_ptr<cairo_surface_t, SurfaceReleaser> scratch;
    std::unique_ptr<cairo_t, ContextReleaser> measure;
};

PdfFont::PdfFont() : faces_(std::make_unique<Faces>())
{
    faces_->regular.reset(load_face(false));
    faces_->bold.reset(load_face(true));
    faces_->scratch.reset(cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1));
    faces_->measure.reset(cairo_create(faces_->scratch.get()));
}

PdfFont::~PdfFont() = default;

bool PdfFont::ok() const
{
    return faces_->regular != nullptr && faces_->bold != nullptr
           && cairo_status(faces_->measure.get()) == CAIRO_STATUS_SUCCESS;
}

double PdfFont::text_width(std::string_view text, double size, bool bold) const
{
    if (!ok())
        return 0;
    cairo_t* cr = faces_->measure.get();
    cairo_set_font_face(cr, bold ? faces_->bold.get() : faces_->regular.get());
    cairo_set_font_size(cr, size);
    cairo_text_extents_t extents;
    const std::string clean = pdf_text(text);
    cairo_text_extents(cr, clean.c_str(), &extents);
    return extents.x_advance;
}

std::string pdf_text(std::string_view text)
{
    std::string out;
    std::size_t k = 0;
    while (k < text.size()) {
        char32_t code = 0;
        const std::size_t length = utf8_decode(text, k, &code);
        if (length == 0) {
            ++k;
            continue;
        }
        if (code >= 0x20 && code != 0x7F && !(code >= 0x80 && code < 0xA0) && code != 0xFFFE && code != 0xFFFF)
            out.append(text.substr(k, length));
        else if (code == '\t')
            out.push_back(' ');
        k += length;
    }
    return out;
}

// =============================================================================
// Drawing
// =============================================================================

namespace {

struct Painter {
    cairo_t* cr;
    const PdfFont& font;
    std::vector<PictureStyle> styles{PictureStyle{}};

    void color(const PictureColor& c) const
    {
        cairo_set_source_rgb(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0);
    }

    // Fills and strokes the current path as the style says, then clears it.
    void paint(const PictureStyle& style, bool fillable) const
    {
        if (fillable && style.fill.kind == PicturePaint::Kind::color) {
            color(style.fill.color);
            cairo_fill_preserve(cr);
        }
        if (style.stroke.kind == PicturePaint::Kind::color) {
            color(style.stroke.color);
            cairo_set_line_width(cr, style.stroke_width > 0 ? style.stroke_width : 1.0);
            if (style.dash == PictureDash::dashed && style.dash_on > 0 && style.dash_off >= 0) {
                const double pattern[] = {style.dash_on, style.dash_off};
                cairo_set_dash(cr, pattern, 2, 0);
            } else {
                cairo_set_dash(cr, nullptr, 0, 0);
            }
            cairo_stroke_preserve(cr);
        }
        cairo_new_path(cr);
    }

    void group(const PictureItem& item)
    {
        cairo_save(cr);
        if (item.clipped) {
            cairo_rectangle(cr, item.box.x, item.box.y, item.box.w, item.box.h);
            cairo_clip(cr);
        }
        styles.push_back(picture_style_resolve(styles.back(), item.style));
    }

    void group_end()
    {
        if (styles.size() <= 1)
            return;
        styles.pop_back();
        cairo_restore(cr);
    }

    void polyline(const PictureItem& item) const
    {
        bool open = false;
        for (const PicturePoint& p : item.points) {
            if (!std::isfinite(p.x) || !std::isfinite(p.y)) {
                open = false;
                continue;
            }
            if (open)
                cairo_line_to(cr, p.x, p.y);
            else
                cairo_move_to(cr, p.x, p.y);
            open = true;
        }
        paint(picture_style_resolve(styles.back(), item.style), true);
    }

    void rectangle(const PictureItem& item) const
    {
        const PictureRect& r = item.box;
        if (!std::isfinite(r.x) || !std::isfinite(r.y) || !std::isfinite(r.w) || !std::isfinite(r.h))
            return;
        cairo_rectangle(cr, r.x, r.y, r.w, r.h);
        paint(picture_style_resolve(styles.back(), item.style), true);
    }

    void circle(const PictureItem& item) const
    {
        if (item.points.empty() || !std::isfinite(item.points[0].x) || !std::isfinite(item.points[0].y)
            || !(item.radius > 0) || !std::isfinite(item.radius))
            return;
        cairo_new_sub_path(cr);
        cairo_arc(cr, item.points[0].x, item.points[0].y, item.radius, 0, 2 * std::numbers::pi);
        paint(picture_style_resolve(styles.back(), item.style), true);
    }

    void text(const PictureItem& item) const
    {
        if (item.points.empty() || !std::isfinite(item.points[0].x) || !std::isfinite(item.points[0].y))
            return;
        const PictureStyle style = picture_style_resolve(styles.back(), item.style);
        const std::string clean = pdf_text(item.text);
        if (clean.empty())
            return;
        const double size = style.font_size > 0 ? style.font_size : 12;
        cairo_set_font_face(cr, style.bold ? font.faces()->bold.get() : font.faces()->regular.get());
        cairo_set_font_size(cr, size);
        cairo_text_extents_t extents;
        cairo_text_extents(cr, clean.c_str(), &extents);
        double x = item.points[0].x;
        if (style.anchor == PictureAnchor::middle)
            x -= extents.x_advance / 2;
        else if (style.anchor == PictureAnchor::end)
            x -= extents.x_advance;
        if (item.clipped)
            x = std::max(std::min(x, item.box.x + item.box.w - extents.x_advance), item.box.x);
        color(style.fill.kind == PicturePaint::Kind::color ? style.fill.color : PictureColor{});
        cairo_move_to(cr, x, item.points[0].y);
        cairo_show_text(cr, clean.c_str());
        cairo_new_path(cr);
    }
};

cairo_status_t write_to_stream(void* closure, const unsigned char* data, unsigned int length)
{
    auto* stream = static_cast<std::FILE*>(closure);
    return std::fwrite(data, 1, length, stream) == length ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
}

}  // namespace

bool pdf_picture_write(std::FILE* stream, const std::vector<Picture>& pages, const std::string& title,
                       const PdfFont& font, std::string* error)
{
    auto fail = [&](const std::string& why) {
        if (error != nullptr)
            *error = why;
        return false;
    };
    if (!font.ok())
        return fail("the font could not be loaded");
    if (pages.empty())
        return fail("a document needs a page");
    const double first_width = pages.front().width > 0 ? pages.front().width : PDF_A4_WIDTH;
    const double first_height = pages.front().height > 0 ? pages.front().height : PDF_A4_HEIGHT;
    std::unique_ptr<cairo_surface_t, SurfaceReleaser> surface(
        cairo_pdf_surface_create_for_stream(write_to_stream, stream, first_width, first_height));
    cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_TITLE, pdf_text(title).c_str());
    cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_CREATOR, "Zelto");
    {
        std::unique_ptr<cairo_t, ContextReleaser> context(cairo_create(surface.get()));
        cairo_t* cr = context.get();
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
        for (const Picture& page : pages) {
            cairo_pdf_surface_set_size(surface.get(), page.width > 0 ? page.width : PDF_A4_WIDTH,
                                       page.height > 0 ? page.height : PDF_A4_HEIGHT);
            Painter painter{cr, font};
            cairo_save(cr);
            for (const PictureItem& item : page.items) {
                switch (item.kind) {
                case PictureKind::group: painter.group(item); break;
                case PictureKind::group_end: painter.group_end(); break;
                case PictureKind::polyline: painter.polyline(item); break;
                case PictureKind::rectangle: painter.rectangle(item); break;
                case PictureKind::circle: painter.circle(item); break;
                case PictureKind::text: painter.text(item); break;
                }
            }
            while (painter.styles.size() > 1)
                painter.group_end();
            cairo_restore(cr);
            cairo_show_page(cr);
        }
        if (cairo_status(cr) != CAIRO_STATUS_SUCCESS)
            return fail(cairo_status_to_string(cairo_status(cr)));
    }
    cairo_surface_finish(surface.get());
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
        return fail(cairo_status_to_string(cairo_surface_status(surface.get())));
    return true;
}
