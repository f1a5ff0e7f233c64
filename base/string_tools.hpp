// String helpers of the widget toolkit.
#pragma once

#include <cstddef>
#include <string_view>

// Bounded tokenizer. Splits the writable string `str` in place and returns one
// token per call; pass null as `str` to go on from `*continuation`. A
// delimiter right after another yields an empty token instead of being
// skipped. `*budget` is the number of characters that may still be scanned
// (delimiters do not consume it); when it runs out, or at the end of the
// string, null is returned and the outputs are left as they are.
char* string_token(char* str, std::size_t* budget, const char* delimiters, char** continuation);

// The byte length of the first `count` characters of a UTF-8 text, or of the
// whole text when it has fewer. A byte that starts no UTF-8 character
// (utf8_decode) counts as a character of its own.
std::size_t string_utf8_prefix_length(std::string_view text, std::size_t count);
