// Resources compiled into the program: the one font and the pictures.
// Each array holds a complete file (a TrueType font or a Windows BMP); it is
// read through an in-memory stream and never written or freed.
#pragma once

#include <cstdint>

// bytes_font: DejaVu Sans Book 2.37.
extern const unsigned char font_bytes[];
extern const std::uint32_t font_size;

// bytes_icon: the window icon, 32 x 32, 4 bits per pixel.
extern const unsigned char icon_bytes[];
extern const std::uint32_t icon_size;

// bytes_lock / bytes_unlock: the padlocks of the point lock, 20 x 20, 4 bits.
extern const unsigned char lock_bytes[];
extern const std::uint32_t lock_size;
extern const unsigned char unlock_bytes[];
extern const std::uint32_t unlock_size;

// bytes_logo_kvr / bytes_logo_mpt: the two pictures of the About page,
// 330 x 80 and 330 x 55, 32 bits with per-pixel alpha.
extern const unsigned char logo_kvr_bytes[];
extern const std::uint32_t logo_kvr_size;
extern const unsigned char logo_mpt_bytes[];
extern const std::uint32_t logo_mpt_size;
