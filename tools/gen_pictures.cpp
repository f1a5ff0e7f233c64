// Draws Zelto's embedded pictures and writes them as the BMP files under
// platform/resources/: the window icon, the two padlocks of the point lock and the
// two pictures of the About page. Given a third directory, it also draws the
// desktop icon there in the sizes of the hicolor theme (zelto_NxN.png,
// smooth-edged, installed by CMake; committed under app/desktop/icons/).
//
//   gen_pictures FONT.ttf OUTPUT_DIR [DESKTOP_ICON_DIR]
//
// The BMP files are written byte by byte here (rather than through SDL) so
// that their exact layout is fixed: 4-bit palette pictures with a 40-byte
// info header for the icon and the padlocks, 32-bit pictures with a 124-byte
// (version 5) header, bit-field masks and per-pixel alpha for the logos.
#include <SDL.h>
#include <SDL_image.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Rgba {
    std::uint8_t r, g, b, a;
};

class Bytes {
public:
    void u8(std::uint32_t v) { data.push_back(static_cast<char>(v & 0xFF)); }
    void u16(std::uint32_t v) { u8(v); u8(v >> 8); }
    void u32(std::uint32_t v) { u16(v); u16(v >> 16); }
    std::string data;
};

// A picture of palette indices, row 0 at the top.
struct IndexedPicture {
    int w, h;
    std::vector<Rgba> palette;
    std::vector<std::uint8_t> pixels;

    IndexedPicture(int width, int height, std::vector<Rgba> colours)
        : w(width), h(height), palette(std::move(colours)), pixels(static_cast<std::size_t>(width * height), 0) {}
    void set(int x, int y, std::uint8_t index)
    {
        if (x >= 0 && y >= 0 && x < w && y < h)
            pixels[static_cast<std::size_t>(y * w + x)] = index;
    }
    void fill_rect(int x0, int y0, int x1, int y1, std::uint8_t index)
    {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                set(x, y, index);
    }
};

std::string bmp_4bit(const IndexedPicture& p)
{
    const std::uint32_t row = static_cast<std::uint32_t>(((p.w * 4 + 31) / 32) * 4);
    const std::uint32_t palette_bytes = static_cast<std::uint32_t>(p.palette.size() * 4);
    const std::uint32_t offset = 14 + 40 + palette_bytes;
    const std::uint32_t image = row * static_cast<std::uint32_t>(p.h);
    Bytes b;
    b.u8('B'); b.u8('M'); b.u32(offset + image); b.u16(0); b.u16(0); b.u32(offset);
    b.u32(40); b.u32(static_cast<std::uint32_t>(p.w)); b.u32(static_cast<std::uint32_t>(p.h));
    b.u16(1); b.u16(4); b.u32(0); b.u32(image); b.u32(2835); b.u32(2835);
    b.u32(static_cast<std::uint32_t>(p.palette.size())); b.u32(static_cast<std::uint32_t>(p.palette.size()));
    for (const Rgba& c : p.palette) {
        b.u8(c.b); b.u8(c.g); b.u8(c.r); b.u8(0);
    }
    for (int y = p.h - 1; y >= 0; --y) {  // bottom row first
        std::string line(row, '\0');
        for (int x = 0; x < p.w; ++x) {
            const std::uint8_t v = p.pixels[static_cast<std::size_t>(y * p.w + x)] & 0x0F;
            line[static_cast<std::size_t>(x / 2)] = static_cast<char>(line[static_cast<std::size_t>(x / 2)] | (x % 2 == 0 ? v << 4 : v));
        }
        b.data += line;
    }
    return b.data;
}

std::string bmp_32bit_v5(int w, int h, const std::vector<Rgba>& pixels)
{
    const std::uint32_t offset = 14 + 124;
    const std::uint32_t image = static_cast<std::uint32_t>(w * h * 4);
    Bytes b;
    b.u8('B'); b.u8('M'); b.u32(offset + image); b.u16(0); b.u16(0); b.u32(offset);
    b.u32(124); b.u32(static_cast<std::uint32_t>(w)); b.u32(static_cast<std::uint32_t>(h));
    b.u16(1); b.u16(32); b.u32(3 /* BI_BITFIELDS */); b.u32(image); b.u32(2835); b.u32(2835); b.u32(0); b.u32(0);
    b.u32(0x00FF0000); b.u32(0x0000FF00); b.u32(0x000000FF); b.u32(0xFF000000);
    b.u32(0x73524742);                                  // 'sRGB' colour space
    for (int i = 0; i < 9; ++i) b.u32(0);               // end points
    b.u32(0); b.u32(0); b.u32(0);                       // gamma
    b.u32(4 /* LCS_GM_IMAGES */); b.u32(0); b.u32(0); b.u32(0);
    for (int y = h - 1; y >= 0; --y)
        for (int x = 0; x < w; ++x) {
            const Rgba& c = pixels[static_cast<std::size_t>(y * w + x)];
            b.u32((static_cast<std::uint32_t>(c.a) << 24) | (static_cast<std::uint32_t>(c.r) << 16)
                  | (static_cast<std::uint32_t>(c.g) << 8) | c.b);
        }
    return b.data;
}

// The icon: three coloured squares (the tracked points) on a triangle that
// stands on its tip, joined by edges in the colours of their connections.
IndexedPicture make_icon()
{
    IndexedPicture p(32, 32, {{0, 0, 0, 255}, {128, 255, 128, 255}, {255, 128, 128, 255}, {128, 128, 255, 255},
                              {255, 255, 128, 255}, {128, 255, 255, 255}, {255, 128, 255, 255}});
    auto line = [&](double x0, double y0, double x1, double y1, std::uint8_t colour) {
        for (int i = 0; i <= 64; ++i) {
            const double t = i / 64.0;
            const double x = x0 + (x1 - x0) * t, y = y0 + (y1 - y0) * t;
            p.fill_rect(static_cast<int>(x), static_cast<int>(y), static_cast<int>(x) + 1, static_cast<int>(y) + 1, colour);
        }
    };
    line(6, 6, 25, 6, 4);    // top: yellow
    line(6, 6, 15.5, 25, 5); // left: cyan
    line(25, 6, 15.5, 25, 6); // right: magenta
    p.fill_rect(2, 2, 9, 9, 1);     // green, top left
    p.fill_rect(22, 2, 29, 9, 2);   // red, top right
    p.fill_rect(12, 22, 19, 29, 3); // blue, bottom
    return p;
}

// A padlock, white on black; `open` raises the shackle on its left side.
IndexedPicture make_padlock(bool open)
{
    IndexedPicture p(20, 20, {{0, 0, 0, 255}, {255, 255, 255, 255}});
    p.fill_rect(3, 9, 16, 18, 1);   // body
    p.fill_rect(9, 12, 10, 15, 0);  // keyhole
    const int lift = open ? 3 : 0;
    // Shackle: two legs joined by an arch.
    p.fill_rect(5, 4 - lift, 6, 8 - lift + (open ? 0 : 0), 1);
    p.fill_rect(13, 4, 14, 8, 1);
    p.fill_rect(7, 2 - lift, 12, 3 - lift, 1);
    p.set(6, 3 - lift, 1);
    p.set(13, 3 - lift, 1);
    if (open) {
        p.fill_rect(13, 1, 14, 3, 1);  // right leg follows the raised arch
        p.fill_rect(5, 6, 6, 8, 0);    // gap between the left leg and the body
    }
    return p;
}

struct Canvas {
    int w, h;
    std::vector<Rgba> pixels;
    Canvas(int width, int height) : w(width), h(height), pixels(static_cast<std::size_t>(width * height), Rgba{0, 0, 0, 0}) {}

    // Source-over blending of a colour with coverage a (0 to 1).
    void blend(int x, int y, Rgba c, double coverage)
    {
        if (x < 0 || y < 0 || x >= w || y >= h || coverage <= 0)
            return;
        Rgba& d = pixels[static_cast<std::size_t>(y * w + x)];
        const double sa = std::min(1.0, coverage) * c.a / 255.0, da = d.a / 255.0;
        const double oa = sa + da * (1 - sa);
        auto mix = [&](std::uint8_t s, std::uint8_t t) {
            return static_cast<std::uint8_t>(std::lround((s * sa + t * da * (1 - sa)) / oa));
        };
        d = {mix(c.r, d.r), mix(c.g, d.g), mix(c.b, d.b), static_cast<std::uint8_t>(std::lround(oa * 255))};
    }
    void disc(double cx, double cy, double radius, Rgba c)
    {
        for (int y = static_cast<int>(cy - radius - 1); y <= static_cast<int>(cy + radius + 1); ++y)
            for (int x = static_cast<int>(cx - radius - 1); x <= static_cast<int>(cx + radius + 1); ++x) {
                const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
                blend(x, y, c, radius + 0.5 - d);
            }
    }
    void text(TTF_Font* font, const char* s, int x, int y, Rgba c)
    {
        SDL_Surface* rendered = TTF_RenderUTF8_Blended(font, s, SDL_Color{c.r, c.g, c.b, 255});
        if (rendered == nullptr)
            return;
        SDL_Surface* rgba = SDL_ConvertSurfaceFormat(rendered, SDL_PIXELFORMAT_ABGR8888, 0);
        SDL_FreeSurface(rendered);
        const auto* bytes = static_cast<const std::uint8_t*>(rgba->pixels);
        for (int j = 0; j < rgba->h; ++j)
            for (int i = 0; i < rgba->w; ++i)
                blend(x + i, y + j, c, bytes[j * rgba->pitch + i * 4 + 3] / 255.0);
        SDL_FreeSurface(rgba);
    }
};

// A stylised incisal path: the jaw opens along a curve (solid) and closes
// along a slightly different one (dashed), as Zelto draws recorded paths.
void jaw_path(Canvas& c, double x0, double y0, double width, double height, Rgba colour, double thickness)
{
    const int steps = 400;
    for (int i = 0; i <= steps; ++i) {
        const double t = static_cast<double>(i) / steps;
        const bool closing = t > 0.5;
        if (closing && (i / 12) % 2 == 1)
            continue;
        const double u = closing ? 1.0 - (t - 0.5) * 2 : t * 2;
        const double bulge = closing ? 0.16 : 0.30;
        const double x = x0 + width * (0.15 * u + bulge * std::sin(u * 3.14159265));
        const double y = y0 + height * u;
        c.disc(x, y, thickness, colour);
    }
}

Canvas make_logo_kvr(TTF_Font* big, TTF_Font* small)
{
    Canvas c(330, 80);
    const Rgba red{255, 64, 64, 255}, blue{64, 64, 255, 255}, green{64, 255, 64, 255}, black{0, 0, 0, 255};
    jaw_path(c, 14, 8, 60, 62, blue, 1.6);
    c.disc(14 + 60 * 0.15 * 0, 8, 4.5, red);
    c.disc(48, 8, 4.5, green);
    c.text(big, "Zelto", 92, 2, black);
    c.text(small, "jaw motion viewer", 96, 56, {40, 40, 40, 255});
    return c;
}

Canvas make_logo_mpt(TTF_Font* medium)
{
    Canvas c(330, 55);
    const Rgba red{255, 64, 64, 255}, blue{64, 64, 255, 255}, green{64, 255, 64, 255};
    const double lx = 20, ly = 14, rx = 60, ry = 14, ix = 40, iy = 44;
    for (int i = 0; i <= 100; ++i) {
        const double t = i / 100.0;
        c.disc(lx + (ix - lx) * t, ly + (iy - ly) * t, 1.0, {255, 64, 255, 255});
        c.disc(rx + (ix - rx) * t, ry + (iy - ry) * t, 1.0, {64, 255, 255, 255});
        c.disc(lx + (rx - lx) * t, ly, 1.0, {255, 255, 64, 255});
    }
    c.disc(lx, ly, 5, red);
    c.disc(rx, ry, 5, green);
    c.disc(ix, iy, 5, blue);
    c.text(medium, "left  \xC2\xB7  incisal  \xC2\xB7  right", 84, 14, {0, 0, 0, 255});
    return c;
}

// The desktop icon at side n: the window icon's motif (the three tracked
// points on a triangle standing on its tip, joined in the colours of their
// connections) on a rounded black square, with smooth edges at every size.
Canvas make_desktop_icon(int n)
{
    Canvas c(n, n);
    const double s = n / 32.0;  // the window icon's 32 pixels
    // Rounded square: 4 x 4 samples per pixel.
    const double radius = 6 * s;
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            int inside = 0;
            for (int j = 0; j < 4; ++j)
                for (int i = 0; i < 4; ++i) {
                    const double px = x + (i + 0.5) / 4, py = y + (j + 0.5) / 4;
                    const double dx = std::max({radius - px, px - (n - radius), 0.0});
                    const double dy = std::max({radius - py, py - (n - radius), 0.0});
                    inside += dx * dx + dy * dy <= radius * radius ? 1 : 0;
                }
            c.blend(x, y, {0, 0, 0, 255}, inside / 16.0);
        }
    const double thickness = std::max(0.6, 1.1 * s);
    auto line = [&](double x0, double y0, double x1, double y1, Rgba colour) {
        const int steps = std::max(16, 4 * n);
        for (int i = 0; i <= steps; ++i) {
            const double t = static_cast<double>(i) / steps;
            c.disc((x0 + (x1 - x0) * t) * s, (y0 + (y1 - y0) * t) * s, thickness, colour);
        }
    };
    line(7, 7, 25, 7, {255, 255, 128, 255});    // top: yellow
    line(7, 7, 16, 25, {128, 255, 255, 255});   // left: cyan
    line(25, 7, 16, 25, {255, 128, 255, 255});  // right: magenta
    auto square = [&](double x0, double y0, double side, Rgba colour) {
        for (int y = static_cast<int>(y0 * s); y <= static_cast<int>((y0 + side) * s); ++y)
            for (int x = static_cast<int>(x0 * s); x <= static_cast<int>((x0 + side) * s); ++x) {
                const double cover_x = std::clamp(std::min(x + 1 - x0 * s, (x0 + side) * s - x), 0.0, 1.0);
                const double cover_y = std::clamp(std::min(y + 1 - y0 * s, (y0 + side) * s - y), 0.0, 1.0);
                c.blend(x, y, colour, cover_x * cover_y);
            }
    };
    square(3, 3, 8, {128, 255, 128, 255});    // green, top left
    square(21, 3, 8, {255, 128, 128, 255});   // red, top right
    square(12, 21, 8, {128, 128, 255, 255});  // blue, bottom
    return c;
}

bool write_png(const std::string& path, const Canvas& c)
{
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<Rgba*>(c.pixels.data()), c.w, c.h, 32,
                                                              c.w * 4, SDL_PIXELFORMAT_ABGR8888);
    const bool ok = surface != nullptr && IMG_SavePNG(surface, path.c_str()) == 0;
    SDL_FreeSurface(surface);
    std::printf("%s: %s\n", path.c_str(), ok ? "written" : SDL_GetError());
    return ok;
}

bool write(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    std::printf("%s: %zu bytes\n", path.c_str(), bytes.size());
    return out.good();
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: %s FONT.ttf OUTPUT_DIR [DESKTOP_ICON_DIR]\n", argv[0]);
        return 2;
    }
    if (TTF_Init() < 0) {
        std::fprintf(stderr, "TTF_Init: %s\n", TTF_GetError());
        return 1;
    }
    TTF_Font* big = TTF_OpenFont(argv[1], 44);
    TTF_Font* small = TTF_OpenFont(argv[1], 15);
    TTF_Font* medium = TTF_OpenFont(argv[1], 17);
    if (big == nullptr || small == nullptr || medium == nullptr) {
        std::fprintf(stderr, "cannot open %s: %s\n", argv[1], TTF_GetError());
        return 1;
    }
    const std::string dir = argv[2];
    bool ok = write(dir + "/icon.bmp", bmp_4bit(make_icon()));
    ok = write(dir + "/lock.bmp", bmp_4bit(make_padlock(false))) && ok;
    ok = write(dir + "/unlock.bmp", bmp_4bit(make_padlock(true))) && ok;
    const Canvas kvr = make_logo_kvr(big, small);
    ok = write(dir + "/logo_kvr.bmp", bmp_32bit_v5(kvr.w, kvr.h, kvr.pixels)) && ok;
    const Canvas mpt = make_logo_mpt(medium);
    ok = write(dir + "/logo_mpt.bmp", bmp_32bit_v5(mpt.w, mpt.h, mpt.pixels)) && ok;
    if (argc == 4)
        for (const int n : {16, 22, 24, 32, 48, 64, 128, 256})
            ok = write_png(std::string(argv[3]) + "/zelto_" + std::to_string(n) + "x" + std::to_string(n) + ".png",
                           make_desktop_icon(n)) &&
                 ok;
    TTF_CloseFont(big);
    TTF_CloseFont(small);
    TTF_CloseFont(medium);
    TTF_Quit();
    return ok ? 0 : 1;
}
