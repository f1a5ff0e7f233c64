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
