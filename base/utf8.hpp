// UTF-8, read one way everywhere: the chart's text, file names, the text
// input and the string tools all take characters through utf8_decode.
#pragma once

#include <cstddef>
#include <string_view>

// The character starting at text[at]: its length in bytes (1 to 4), its code
// point in *code (when given). 0 when the bytes there are no character: a
// continuation byte, a lead byte C0, C1 or F5 to FF, an overlong form, a
// surrogate (U+D800 to U+DFFF), a code point beyond U+10FFFF or a sequence
// cut short by the end of the text.
std::size_t utf8_decode(std::string_view text, std::size_t at, char32_t* code = nullptr);

// Whether the whole text is UTF-8.
bool utf8_valid(std::string_view text);

// Where the last character of the text starts: the start of the last whole
// character when the text ends in one, else the last byte.
std::size_t utf8_last_character_start(std::string_view text);
