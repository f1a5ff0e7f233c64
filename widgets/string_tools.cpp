#include "widgets/string_tools.hpp"

#include <cstring>

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
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if ((i == 0 || (byte & 0xC0) != 0x80) && characters++ == count)
            return i;
    }
    return text.size();
}
