#include "widgets/picture_raster.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/resources/resources.hpp"

namespace {

struct Clip {
    int x0, y0, x1, y1;  // pixels x0 <= x < x1, y0 <= y < y1
};

struct Canvas {
    SDL_Surface* surface;
    Clip clip;

    // Mixes `color` into the pixel by `coverage` (0 to 1).
    void blend(int x, int y, const PictureColor& color, double coverage) const
    {
        if (x < clip.x0 || x >= clip.x1 || y < clip.y0 || y >= clip.y1 || !(coverage > 0.0))
            return;
        auto* row = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(surface->pixels) + y * surface->pitch);
        const std::uint32_t old = row[x];
        const double a = std::min(coverage, 1.0);
        const auto mix = [a](std::uint32_t from, std::uint8_t to) {
            return static_cast<std::uint32_t>(std::lround(static_cast<double>(from) + (to - static_cast<double>(from)) * a));
        };
        row[x] = mix(old & 0xFF, color.r) | mix((old >> 8) & 0xFF, color.g) << 8 | mix((old >> 16) & 0xFF, color.b) << 16
                 | 0xFF000000u;
    }
};

// The pixels whose centres lie within `reach` of a box, kept inside the clip.
Clip bounds(const Canvas& c, double x0, double y0, double x1, double y1, double reach)
{
    return {std::max(c.clip.x0, static_cast<int>(std::floor(std::min(x0, x1) - reach))),
            std::max(c.clip.y0, static_cast<int>(std::floor(std::min(y0, y1) - reach))),
            std::min(c.clip.x1, static_cast<int>(std::ceil(std::max(x0, x1) + reach)) + 1),
            std::min(c.clip.y1, static_cast<int>(std::ceil(std::max(y0, y1) + reach)) + 1)};
}

// A segment `width` wide, its ends round, its edge antialiased.
void segment(const Canvas& c, PicturePoint a, PicturePoint b, double width, const PictureColor& color)
{
    const double half = std::max(width, 0.5) / 2;
    const double dx = b.x - a.x, dy = b.y - a.y, length2 = dx * dx + dy * dy;
    const Clip box = bounds(c, a.x, a.y, b.x, b.y, half + 1);
    for (int y = box.y0; y < box.y1; ++y)
        for (int x = box.x0; x < box.x1; ++x) {
            const double px = x + 0.5 - a.x, py = y + 0.5 - a.y;
            const double t = length2 > 0 ? std::clamp((px * dx + py * dy) / length2, 0.0, 1.0) : 0.0;
            const double d = std::hypot(px - t * dx, py - t * dy);
            c.blend(x, y, color, half + 0.5 - d);
        }
}

void polyline(const Canvas& c, const std::vector<PicturePoint>& points, const PictureStyle& s)
{
    if (s.stroke.kind != PicturePaint::Kind::color)
        return;
    const double width = s.stroke_width > 0 ? s.stroke_width : 1.0;
    if (points.size() == 1)
        segment(c, points[0], points[0], width, s.stroke.color);
    const bool dashed = s.dash == PictureDash::dashed && s.dash_on > 0 && s.dash_off > 0;
    double phase = 0.0;  // along the dash pattern, carried from segment to segment
    for (std::size_t k = 0; k + 1 < points.size(); ++k) {
        const PicturePoint a = points[k], b = points[k + 1];
        if (!dashed) {
            segment(c, a, b, width, s.stroke.color);
            continue;
        }
        const double length = std::hypot(b.x - a.x, b.y - a.y), period = s.dash_on + s.dash_off;
        double at = 0.0;
        while (at < length) {
            const double in_period = std::fmod(phase + at, period);
            const bool on = in_period < s.dash_on;
            const double step = std::min(length - at, on ? s.dash_on - in_period : period - in_period);
            if (on) {
                const double t0 = at / length, t1 = (at + step) / length;
                segment(c, {a.x + (b.x - a.x) * t0, a.y + (b.y - a.y) * t0},
                        {a.x + (b.x - a.x) * t1, a.y + (b.y - a.y) * t1}, width, s.stroke.color);
            }
            at += std::max(step, 1e-9);
        }
        phase = std::fmod(phase + length, period);
    }
}

void rectangle(const Canvas& c, const PictureRect& r, const PictureStyle& s)
{
    if (s.fill.kind == PicturePaint::Kind::color) {
        const Clip box = bounds(c, r.x, r.y, r.x + r.w, r.y + r.h, 0);
        for (int y = box.y0; y < box.y1; ++y)
            for (int x = box.x0; x < box.x1; ++x)
                if (x + 0.5 >= r.x && x + 0.5 < r.x + r.w && y + 0.5 >= r.y && y + 0.5 < r.y + r.h)
                    c.blend(x, y, s.fill.color, 1.0);
    }
    polyline(c, {{r.x, r.y}, {r.x + r.w, r.y}, {r.x + r.w, r.y + r.h}, {r.x, r.y + r.h}, {r.x, r.y}}, s);
}

void circle(const Canvas& c, PicturePoint centre, double radius, const PictureStyle& s)
{
    const double half = (s.stroke_width > 0 ? s.stroke_width : 1.0) / 2;
    const bool stroked = s.stroke.kind == PicturePaint::Kind::color, filled = s.fill.kind == PicturePaint::Kind::color;
    const Clip box = bounds(c, centre.x, centre.y, centre.x, centre.y, radius + half + 1);
    for (int y = box.y0; y < box.y1; ++y)
        for (int x = box.x0; x < box.x1; ++x) {
            const double d = std::hypot(x + 0.5 - centre.x, y + 0.5 - centre.y);
            if (filled)
                c.blend(x, y, s.fill.color, radius + 0.5 - d);
            if (stroked)
                c.blend(x, y, s.stroke.color, half + 0.5 - std::fabs(d - radius));
        }
}

void text(const Canvas& c, const PictureItem& item, const PictureStyle& s, PictureRasterFonts* fonts)
{
    if (item.text.empty() || item.points.empty())
        return;
    TTF_Font* font = fonts->at(s.font_size > 0 ? s.font_size : 12.0, s.bold);
    const PictureColor color = s.fill.kind == PicturePaint::Kind::color ? s.fill.color : PictureColor{};
    if (font == nullptr)
        return;
    const SurfacePtr rendered(TTF_RenderUTF8_Blended(font, item.text.c_str(), SDL_Color{color.r, color.g, color.b, 255}));
    if (rendered == nullptr)
        return;
    double x = item.points[0].x;
    if (s.anchor == PictureAnchor::middle)
        x -= rendered->w / 2.0;
    else if (s.anchor == PictureAnchor::end)
        x -= rendered->w;
    SDL_Rect clip{c.clip.x0, c.clip.y0, std::max(0, c.clip.x1 - c.clip.x0), std::max(0, c.clip.y1 - c.clip.y0)};
    SDL_SetClipRect(c.surface, &clip);
    SDL_Rect at{static_cast<int>(std::lround(x)), static_cast<int>(std::lround(item.points[0].y)) - TTF_FontAscent(font),
                rendered->w, rendered->h};
    SDL_BlitSurface(rendered.get(), nullptr, c.surface, &at);
    SDL_SetClipRect(c.surface, nullptr);
}

}  // namespace

TTF_Font* PictureRasterFonts::at(double size, bool bold)
{
    const int points = std::max(4, static_cast<int>(std::lround(size)));
    FontPtr& font = fonts_[2 * points + (bold ? 1 : 0)];
    if (font == nullptr) {
        font = open_font_rw(font_bytes, font_size, points);
        if (font != nullptr && bold)
            TTF_SetFontStyle(font.get(), TTF_STYLE_BOLD);
    }
    return font.get();
}

void picture_raster_draw(SDL_Surface* surface, const Picture& picture, PictureRasterFonts* fonts)
{
    if (surface == nullptr || surface->format->BytesPerPixel != 4)
        return;
    PictureStyle top;
    top.stroke = PicturePaint::of({0, 0, 0});
    top.fill = PicturePaint::none_paint();
    top.stroke_width = 1;
    top.font_size = 12;
    top.anchor = PictureAnchor::start;
    top.dash = PictureDash::solid;
    std::vector<std::pair<PictureStyle, Clip>> stack{{top, {0, 0, surface->w, surface->h}}};
    if (SDL_MUSTLOCK(surface))
        SDL_LockSurface(surface);
    for (const PictureItem& item : picture.items) {
        const PictureStyle style = picture_style_resolve(stack.back().first, item.style);
        const Canvas canvas{surface, stack.back().second};
        switch (item.kind) {
        case PictureKind::group: {
            Clip clip = stack.back().second;
            if (item.clipped) {
                clip.x0 = std::max(clip.x0, static_cast<int>(std::floor(item.box.x)));
                clip.y0 = std::max(clip.y0, static_cast<int>(std::floor(item.box.y)));
                clip.x1 = std::min(clip.x1, static_cast<int>(std::ceil(item.box.x + item.box.w)));
                clip.y1 = std::min(clip.y1, static_cast<int>(std::ceil(item.box.y + item.box.h)));
            }
            stack.emplace_back(style, clip);
            break;
        }
        case PictureKind::group_end:
            if (stack.size() > 1)
                stack.pop_back();
            break;
        case PictureKind::polyline:
            polyline(canvas, item.points, style);
            break;
        case PictureKind::rectangle:
            rectangle(canvas, item.box, style);
            break;
        case PictureKind::circle:
            if (!item.points.empty())
                circle(canvas, item.points[0], item.radius, style);
            break;
        case PictureKind::text:
            if (SDL_MUSTLOCK(surface))
                SDL_UnlockSurface(surface);
            text(canvas, item, style, fonts);
            if (SDL_MUSTLOCK(surface))
                SDL_LockSurface(surface);
            break;
        }
    }
    if (SDL_MUSTLOCK(surface))
        SDL_UnlockSurface(surface);
}
