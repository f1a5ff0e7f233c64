// Text encodings at the edges: what the first bytes of a file say about its
// encoding, and text in Windows-1252 (the usual encoding of exports from
// Windows programs) made UTF-8. Everything Zelto keeps and writes is UTF-8.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// UTF-8's byte order mark (U+FEFF): spreadsheets read a CSV that starts
// with it as UTF-8, and one without it in a legacy encoding.
inline constexpr std::string_view text_encoding_utf8_mark = "\xEF\xBB\xBF";

// What the start of a text file shows.
struct TextEncodingStart {
    std::size_t utf8_mark = 0;      // 3 when it starts with UTF-8's byte order mark, to be skipped
    const char* wide = nullptr;     // "UTF-16LE", "UTF-16BE", "UTF-32LE" or "UTF-32BE"; null otherwise
};

// Judges the first bytes of a file (its first lines; a few hundred bytes
// suffice). A byte order mark names its encoding; without one, a start of
// which a quarter or more of the bytes are NUL is UTF-16 (NUL in about half
// of them) or UTF-32 (in three quarters), little-endian when the first byte
// is not NUL. Any other start counts as UTF-8 or a single-byte encoding.
TextEncodingStart text_encoding_start(std::string_view head);

// Windows-1252 as UTF-8: bytes below 0x80 as they are, 0xA0 to 0xFF as
// U+00A0 to U+00FF, 0x80 to 0x9F by the Windows-1252 table (0x80 the euro
// sign, 0x93 and 0x94 the curved quotes...). The five bytes that table leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become U+FFFD, the replacement
// character: visible where a name is shown, rather than an invisible C1
// control character that file names, SVG and spreadsheets handle badly.
std::string text_encoding_windows1252_to_utf8(std::string_view text);

// Text read from a file: UTF-8 as it is, anything else taken as Windows-1252
// and converted (*converted is then set, when given).
std::string text_encoding_to_utf8(std::string_view text, bool* converted = nullptr);
