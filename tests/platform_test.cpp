// The platform layer: embedded resources and their textures.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/resources/resources.hpp"
#include "app/sdl_help.hpp"
#include "tests/test_support.hpp"

namespace {

TEST(Resources, FontIsTheCommittedDejaVuSansBook)
{
    const std::string file = zelto_test::read_file(zelto_test::source_dir() / "app/resources/DejaVuSans.ttf");
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

// Every picture in its BMP version (header of 40 bytes, or 124 for version 5
// with per-pixel alpha), and as a texture of its size, opaque unless it has
// per-pixel alpha.
TEST(Resources, PicturesHaveTheirFormatsAndTextures)
{
    const struct {
        const unsigned char* bytes;
        std::uint32_t size, expected_size;
        int w, h, bits;
        bool alpha;
    } pictures[] = {
        {icon_bytes, icon_size, 594, 32, 32, 4, false},
        {lock_bytes, lock_size, 302, 20, 20, 4, false},
        {unlock_bytes, unlock_size, 302, 20, 20, 4, false},
        {logo_kvr_bytes, logo_kvr_size, 105738, 330, 80, 32, true},
        {logo_mpt_bytes, logo_mpt_size, 72738, 330, 55, 32, true},
    };
    const zelto_test::OffscreenWindow window;
    for (const auto& p : pictures) {
        ASSERT_EQ(p.size, p.expected_size);
        std::uint32_t header = 0;
        std::uint16_t bits = 0;
        std::memcpy(&header, p.bytes + 14, 4);
        std::memcpy(&bits, p.bytes + 28, 2);
        EXPECT_EQ(std::make_pair(header, int{bits}), std::make_pair(p.alpha ? 124u : 40u, p.bits));

        const SurfacePtr surface = load_bmp_rw(p.bytes, p.size);
        ASSERT_NE(surface, nullptr);
        const GlTexture texture(surface_to_GL_Texture(surface.get()));
        GLint w = 0, h = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
        EXPECT_EQ(std::make_pair(w, h), std::make_pair(p.w, p.h));
        std::vector<std::uint8_t> texels(static_cast<std::size_t>(w) * h * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
        int opaque = 0, translucent = 0;
        for (std::size_t i = 3; i < texels.size(); i += 4)
            (texels[i] == 255 ? opaque : translucent) += 1;
        EXPECT_GT(opaque, 0);
        EXPECT_EQ(translucent > 0, p.alpha);
    }
    // The icon's palette has the seven colours of the three points and edges.
    const SurfacePtr icon = load_bmp_rw(icon_bytes, icon_size);
    ASSERT_NE(icon->format->palette, nullptr);
    EXPECT_EQ(icon->format->palette->ncolors, 7);
}

}  // namespace
