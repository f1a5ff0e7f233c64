// The platform layer: palette, embedded resources, textures, user events.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "app/resources/resources.hpp"
#include "app/sdl_help.hpp"
#include "tests/test_support.hpp"

namespace {

using zelto_test::OffscreenWindow;

TEST(Palette, NamedColours)
{
    struct Entry {
        const Color* color;
        Color expected;
    };
    const Entry table[] = {
        {&c_beige, {176, 160, 144, 255}},   {&c_gray, {160, 160, 160, 255}},  {&c_button_active, {64, 192, 255, 255}},
        {&c_yellow, {255, 255, 64, 255}},   {&c_magenta, {255, 64, 255, 255}}, {&c_cyan, {64, 255, 255, 255}},
        {&c_blue, {64, 64, 255, 255}},      {&c_green, {64, 255, 64, 255}},    {&c_red, {255, 64, 64, 255}},
        {&c_white, {255, 255, 255, 255}},   {&c_black, {0, 0, 0, 255}},        {&c_transparent, {0, 0, 0, 0}},
    };
    for (const Entry& e : table)
        EXPECT_TRUE(zelto_test::same_color(*e.color, e.expected));
}

TEST(Palette, SwitchTwiceRestoresBothColours)
{
    Color a = c_red, b = c_cyan;
    sdl_help_color_switch(&a, &b);
    EXPECT_TRUE(zelto_test::same_color(a, c_cyan));
    EXPECT_TRUE(zelto_test::same_color(b, c_red));
    sdl_help_color_switch(&a, &b);
    EXPECT_TRUE(zelto_test::same_color(a, c_red));
    EXPECT_TRUE(zelto_test::same_color(b, c_cyan));
    Color copy{};
    sdl_help_color_copy(&copy, &c_button_active);
    EXPECT_TRUE(zelto_test::same_color(copy, c_button_active));
}

TEST(Resources, FontIsTheCommittedDejaVuSansBook)
{
    const auto path = zelto_test::source_dir() / "app/resources/DejaVuSans.ttf";
    const std::string file = zelto_test::read_file(path);
    ASSERT_EQ(font_size, file.size());
    EXPECT_EQ(0, std::memcmp(font_bytes, file.data(), file.size()));

    ASSERT_EQ(TTF_Init(), 0);
    {
        const FontPtr font = open_font_rw(font_bytes, font_size, 16);
        ASSERT_NE(font, nullptr);
        EXPECT_STREQ(TTF_FontFaceFamilyName(font.get()), "DejaVu Sans");
        EXPECT_STREQ(TTF_FontFaceStyleName(font.get()), "Book");
    }
    TTF_Quit();
}

struct Picture {
    const unsigned char* bytes;
    std::uint32_t size;
    std::uint32_t expected_size;
    int w, h, bits;
    bool per_pixel_alpha;
};

const Picture pictures[] = {
    {icon_bytes, icon_size, 594, 32, 32, 4, false},
    {lock_bytes, lock_size, 302, 20, 20, 4, false},
    {unlock_bytes, unlock_size, 302, 20, 20, 4, false},
    {logo_kvr_bytes, logo_kvr_size, 105738, 330, 80, 32, true},
    {logo_mpt_bytes, logo_mpt_size, 72738, 330, 55, 32, true},
};

TEST(Resources, PicturesHaveTheirFormats)
{
    for (const Picture& p : pictures) {
        ASSERT_EQ(p.size, p.expected_size);
        const SurfacePtr surface = load_bmp_rw(p.bytes, p.size);
        ASSERT_NE(surface, nullptr);
        EXPECT_EQ(surface->w, p.w);
        EXPECT_EQ(surface->h, p.h);
        // The header size tells the BMP version: 40 bytes, or 124 (version 5).
        std::uint32_t header = 0;
        std::uint16_t bits = 0;
        std::memcpy(&header, p.bytes + 14, 4);
        std::memcpy(&bits, p.bytes + 28, 2);
        EXPECT_EQ(header, p.per_pixel_alpha ? 124u : 40u);
        EXPECT_EQ(bits, p.bits);
    }
    // The icon's palette has the seven colours of the three points and edges.
    const SurfacePtr icon = load_bmp_rw(icon_bytes, icon_size);
    ASSERT_NE(icon->format->palette, nullptr);
    EXPECT_EQ(icon->format->palette->ncolors, 7);
}

TEST(Resources, TexturesKeepSizeAndAlpha)
{
    const OffscreenWindow window;
    for (const Picture& p : pictures) {
        const SurfacePtr surface = load_bmp_rw(p.bytes, p.size);
        const GlTexture texture(surface_to_GL_Texture(surface.get()));
        GLint w = 0, h = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
        EXPECT_EQ(w, p.w);
        EXPECT_EQ(h, p.h);

        std::vector<std::uint8_t> texels(static_cast<std::size_t>(w) * h * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
        int opaque = 0, translucent = 0;
        for (std::size_t i = 3; i < texels.size(); i += 4)
            (texels[i] == 255 ? opaque : translucent) += 1;
        if (p.per_pixel_alpha) {
            EXPECT_GT(opaque, 0);
            EXPECT_GT(translucent, 0);
        } else {
            EXPECT_EQ(translucent, 0) << "palette pictures are opaque";
        }
    }
    // The padlocks are white on black.
    const SurfacePtr lock = load_bmp_rw(lock_bytes, lock_size);
    const GlTexture texture(surface_to_GL_Texture(lock.get()));
    std::vector<std::uint8_t> texels(20 * 20 * 4);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    int white = 0, black = 0;
    for (std::size_t i = 0; i < texels.size(); i += 4) {
        const bool is_white = texels[i] == 255 && texels[i + 1] == 255 && texels[i + 2] == 255;
        const bool is_black = texels[i] == 0 && texels[i + 1] == 0 && texels[i + 2] == 0;
        EXPECT_TRUE(is_white || is_black);
        white += is_white;
        black += is_black;
    }
    EXPECT_GT(white, 50);
    EXPECT_GT(black, 50);
}

TEST(Resources, BlankTextureHasTheWidgetSize)
{
    const OffscreenWindow window;
    const GlTexture texture(create_GL_texture(37, 11));
    GLint w = 0, h = 0;
    glBindTexture(GL_TEXTURE_2D, texture.get());
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    EXPECT_EQ(w, 37);
    EXPECT_EQ(h, 11);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(UserEvents, PostedWithCodeAndData)
{
    const OffscreenWindow window;
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    push_SDL_user_event(USER_EVENT_SCREENSHOT, nullptr, nullptr);
    push_SDL_user_event(USER_EVENT_RESIZE_WINDOW, sdl_help_heap_int(1350), sdl_help_heap_int(1000));

    SDL_Event e;
    ASSERT_EQ(SDL_PeepEvents(&e, 1, SDL_GETEVENT, zelto_user_event_type, zelto_user_event_type), 1);
    EXPECT_EQ(e.user.code, USER_EVENT_SCREENSHOT);
    EXPECT_EQ(e.user.data1, nullptr);
    EXPECT_EQ(e.user.data2, nullptr);
    ASSERT_EQ(SDL_PeepEvents(&e, 1, SDL_GETEVENT, zelto_user_event_type, zelto_user_event_type), 1);
    const CMemoryPtr w(e.user.data1), h(e.user.data2);
    EXPECT_EQ(e.user.code, USER_EVENT_RESIZE_WINDOW);
    EXPECT_EQ(*static_cast<int*>(w.get()), 1350);
    EXPECT_EQ(*static_cast<int*>(h.get()), 1000);
}

}  // namespace
