#include "base/string_tools.hpp"

#include <algorithm>
#include <cstring>

#include "base/utf8.hpp"

char* string_token(char* str, std::size_t* budget, const char* delimiters, char** continuation)
{
    char* const start = str != nullptr ? str : *continuation;
    if (start == nullptr || *start == '\0')
        return nullptr;

    std::size_t n = *budget;
    char* c = start;
    for (;;) {
        if (n == 0)
            return nullptr;
        if (std::strchr(delimiters, *c) != nullptr) {
            *c = '\0';
            *budget = n;
            *continuation = c + 1;
            return start;
        }
        ++c;
        --n;
        if (*c == '\0') {
            *budget = 0;
            *continuation = c;
            return start;
        }
    }
}

std::size_t string_utf8_prefix_length(std::string_view text, std::size_t count)
{
    std::size_t at = 0;
    for (std::size_t characters = 0; at < text.size() && characters < count; ++characters)
        at += std::max<std::size_t>(utf8_decode(text, at), 1);
    return at;
}
