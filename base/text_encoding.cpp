#include "base/text_encoding.hpp"

#include "base/utf8.hpp"

namespace {

// U+0080 to U+009F by Windows-1252, U+FFFD where it defines nothing.
constexpr char16_t windows1252_high[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178,
};

void append_utf8(std::string* out, char16_t code)
{
    if (code < 0x80) {
        out->push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out->push_back(static_cast<char>(0xC0 | code >> 6));
        out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out->push_back(static_cast<char>(0xE0 | code >> 12));
        out->push_back(static_cast<char>(0x80 | (code >> 6 & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

bool starts_with(std::string_view head, std::string_view mark)
{
    return head.substr(0, mark.size()) == mark;
}

}  // namespace

TextEncodingStart text_encoding_start(std::string_view head)
{
    using namespace std::string_view_literals;
    TextEncodingStart start;
    // UTF-32LE's mark begins with UTF-16LE's, so it is looked for first.
    if (starts_with(head, "\xFF\xFE\0\0"sv))
        start.wide = "UTF-32LE";
    else if (starts_with(head, "\0\0\xFE\xFF"sv))
        start.wide = "UTF-32BE";
    else if (starts_with(head, "\xFF\xFE"sv))
        start.wide = "UTF-16LE";
    else if (starts_with(head, "\xFE\xFF"sv))
        start.wide = "UTF-16BE";
    else if (starts_with(head, text_encoding_utf8_mark))
        start.utf8_mark = text_encoding_utf8_mark.size();
    if (start.wide != nullptr || start.utf8_mark != 0 || head.size() < 2)
        return start;
    std::size_t nuls = 0;
    for (char c : head)
        nuls += c == '\0' ? 1 : 0;
    if (4 * nuls < head.size())
        return start;
    const bool little = head[0] != '\0';
    if (8 * nuls > 5 * head.size())
        start.wide = little ? "UTF-32LE" : "UTF-32BE";
    else
        start.wide = little ? "UTF-16LE" : "UTF-16BE";
    return start;
}

std::string text_encoding_windows1252_to_utf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 2);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        append_utf8(&out, byte >= 0x80 && byte < 0xA0 ? windows1252_high[byte - 0x80] : char16_t{byte});
    }
    return out;
}

std::string text_encoding_to_utf8(std::string_view text, bool* converted)
{
    if (utf8_valid(text))
        return std::string(text);
    if (converted != nullptr)
        *converted = true;
    return text_encoding_windows1252_to_utf8(text);
}
