#include "base/utf8.hpp"

std::size_t utf8_decode(std::string_view text, std::size_t at, char32_t* code)
{
    if (at >= text.size())
        return 0;
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 0;
    char32_t value = 0;
    char32_t smallest = 0;  // below it the form is overlong
    if (lead < 0x80) {
        length = 1;
        value = lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1Fu;
        smallest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0Fu;
        smallest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07u;
        smallest = 0x10000;
    } else {
        return 0;
    }
    if (length > text.size() - at)
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[at + k]);
        if ((next & 0xC0) != 0x80)
            return 0;
        value = value << 6 | (next & 0x3Fu);
    }
    if (value < smallest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    if (code != nullptr)
        *code = value;
    return length;
}

bool utf8_valid(std::string_view text)
{
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = utf8_decode(text, at);
        if (length == 0)
            return false;
        at += length;
    }
    return true;
}

std::size_t utf8_last_character_start(std::string_view text)
{
    if (text.empty())
        return 0;
    for (std::size_t back = 1; back <= 4 && back <= text.size(); ++back)
        if (utf8_decode(text, text.size() - back) == back)
            return text.size() - back;
    return text.size() - 1;
}
