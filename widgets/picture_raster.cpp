#include "widgets/picture_raster.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

int pixel(double v)
{
    return static_cast<int>(std::lround(v));
}

Uint32 mapped(const SDL_Surface* surface, const PictureColor& c)
{
    return SDL_MapRGBA(surface->format, c.r, c.g, c.b, 255);
}

struct Raster {
    SDL_Surface* surface;
    TTF_Font* font;
    std::vector<PictureStyle> styles;
    std::vector<SDL_Rect> clips;

    void fill(int x, int y, int w, int h, Uint32 color) const
    {
        if (w <= 0 || h <= 0)
            return;
        SDL_Rect rect{x, y, w, h};
        SDL_FillRect(surface, &rect, color);
    }

    void group(const PictureItem& item)
    {
        styles.push_back(picture_style_resolve(styles.back(), item.style));
        SDL_Rect clip = clips.back();
        if (item.clipped) {
            const SDL_Rect box{pixel(item.box.x), pixel(item.box.y), pixel(item.box.w), pixel(item.box.h)};
            if (!SDL_IntersectRect(&clip, &box, &clip))
                clip = SDL_Rect{0, 0, 0, 0};
        }
        clips.push_back(clip);
        SDL_SetClipRect(surface, &clip);
    }

    void group_end()
    {
        if (styles.size() <= 1)
            return;
        styles.pop_back();
        clips.pop_back();
        SDL_SetClipRect(surface, &clips.back());
    }

    void rectangle(const PictureItem& item) const
    {
        const PictureStyle style = picture_style_resolve(styles.back(), item.style);
        const PictureRect& r = item.box;
        const int x = pixel(r.x), y = pixel(r.y), w = pixel(r.x + r.w) - x, h = pixel(r.y + r.h) - y;
        if (style.fill.kind == PicturePaint::Kind::color)
            fill(x, y, w, h, mapped(surface, style.fill.color));
        if (style.stroke.kind == PicturePaint::Kind::color) {
            const PicturePoint corners[] = {{r.x, r.y}, {r.x + r.w, r.y}, {r.x + r.w, r.y + r.h}, {r.x, r.y + r.h}, {r.x, r.y}};
            stroke(std::vector<PicturePoint>(std::begin(corners), std::end(corners)), style);
        }
    }

    // The path walked in steps of at most one pixel, a square pen at every
    // step that falls on a dash.
    void stroke(const std::vector<PicturePoint>& points, const PictureStyle& style) const
    {
        if (style.stroke.kind != PicturePaint::Kind::color || points.empty())
            return;
        const Uint32 color = mapped(surface, style.stroke.color);
        const int pen = std::max(1, pixel(style.stroke_width > 0 ? style.stroke_width : 1.0));
        const bool dashed = style.dash == PictureDash::dashed && style.dash_on > 0 && style.dash_off >= 0;
        const double period = style.dash_on + style.dash_off;
        double along = 0;
        auto dot = [&](double x, double y, double at) {
            if (!std::isfinite(x) || !std::isfinite(y))
                return;
            if (dashed && std::fmod(at, period) >= style.dash_on)
                return;
            fill(static_cast<int>(std::floor(x - pen / 2.0 + 0.5)), static_cast<int>(std::floor(y - pen / 2.0 + 0.5)),
                 pen, pen, color);
        };
        if (points.size() == 1)
            dot(points[0].x, points[0].y, 0);
        for (std::size_t k = 1; k < points.size(); ++k) {
            const PicturePoint& a = points[k - 1];
            const PicturePoint& b = points[k];
            const double dx = b.x - a.x, dy = b.y - a.y, length = std::hypot(dx, dy);
            if (!std::isfinite(length))
                continue;
            // A guard against a path far outside any surface.
            const int steps = static_cast<int>(std::min(std::ceil(std::max(std::fabs(dx), std::fabs(dy))), 1e5));
            for (int s = (k == 1 ? 0 : 1); s <= steps; ++s) {
                const double t = steps > 0 ? static_cast<double>(s) / steps : 0;
                dot(a.x + t * dx, a.y + t * dy, along + t * length);
            }
            along += length;
        }
    }

    void circle(const PictureItem& item) const
    {
        if (item.points.empty())
            return;
        const PictureStyle style = picture_style_resolve(styles.back(), item.style);
        const PicturePoint c = item.points[0];
        const double r = item.radius;
        if (!(r > 0) || !std::isfinite(c.x) || !std::isfinite(c.y))
            return;
        if (style.fill.kind == PicturePaint::Kind::color) {
            const Uint32 color = mapped(surface, style.fill.color);
            for (int y = static_cast<int>(std::ceil(c.y - r - 0.5)); y + 0.5 <= c.y + r; ++y) {
                const double half = std::sqrt(std::max(0.0, r * r - (y + 0.5 - c.y) * (y + 0.5 - c.y)));
                const int from = static_cast<int>(std::ceil(c.x - half - 0.5)), to = static_cast<int>(std::floor(c.x + half - 0.5));
                fill(from, y, to - from + 1, 1, color);
            }
        }
        if (style.stroke.kind == PicturePaint::Kind::color) {
            const int n = std::max(8, static_cast<int>(std::ceil(2 * std::numbers::pi * r)));
            std::vector<PicturePoint> ring;
            for (int k = 0; k <= n; ++k)
                ring.push_back({c.x + r * std::cos(2 * std::numbers::pi * k / n), c.y + r * std::sin(2 * std::numbers::pi * k / n)});
            stroke(ring, style);
        }
    }

    void text(const PictureItem& item) const
    {
        if (font == nullptr || item.text.empty() || item.points.empty())
            return;
        const PictureStyle style = picture_style_resolve(styles.back(), item.style);
        const PictureColor c = style.fill.kind == PicturePaint::Kind::color ? style.fill.color : PictureColor{};
        const SurfacePtr rendered(TTF_RenderUTF8_Blended(font, item.text.c_str(), SDL_Color{c.r, c.g, c.b, 255}));
        if (rendered == nullptr)
            return;
        const int x = pixel(item.points[0].x);
        int at = style.anchor == PictureAnchor::middle ? x - rendered->w / 2
                 : style.anchor == PictureAnchor::end  ? x - rendered->w
                                                        : x;
        if (item.clipped)
            at = std::max(std::min(at, pixel(item.box.x + item.box.w) - rendered->w), pixel(item.box.x));
        SDL_Rect destination{at, pixel(item.points[0].y) - TTF_FontAscent(font), rendered->w, rendered->h};
        SDL_BlitSurface(rendered.get(), nullptr, surface, &destination);
    }
};

}  // namespace

void picture_raster_draw(SDL_Surface* surface, const Picture& picture, TTF_Font* font)
{
    if (surface == nullptr)
        return;
    Raster raster{surface, font, {PictureStyle{}}, {SDL_Rect{0, 0, surface->w, surface->h}}};
    SDL_SetClipRect(surface, nullptr);
    for (const PictureItem& item : picture.items) {
        switch (item.kind) {
        case PictureKind::group: raster.group(item); break;
        case PictureKind::group_end: raster.group_end(); break;
        case PictureKind::polyline:
            raster.stroke(item.points, picture_style_resolve(raster.styles.back(), item.style));
            break;
        case PictureKind::rectangle: raster.rectangle(item); break;
        case PictureKind::circle: raster.circle(item); break;
        case PictureKind::text: raster.text(item); break;
        }
    }
    SDL_SetClipRect(surface, nullptr);
}

SurfacePtr picture_raster_surface(const Picture& picture, TTF_Font* font)
{
    SurfacePtr surface = create_surface(std::max(static_cast<int>(picture.width), 1),
                                        std::max(static_cast<int>(picture.height), 1));
    picture_raster_draw(surface.get(), picture, font);
    return surface;
}
