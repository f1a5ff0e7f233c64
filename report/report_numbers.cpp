#include "report/report_numbers.hpp"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <limits>
#include <system_error>

namespace {

// Powers of ten that a double holds exactly.
constexpr double exact_powers_of_ten[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                          1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

}  // namespace

// "%*s": a run of non-blank characters after blanks.
bool number_scan_word(const char** p)
{
    const char* s = number_skip_blanks(*p);
    if (*s == '\0')
        return false;
    while (*s != '\0' && !number_is_blank(*s))
        ++s;
    *p = s;
    return true;
}

// "%d" where the value is not used: an optional sign and decimal digits after
// blanks. Since the value is dropped, any number of digits reads without
// overflow.
bool number_scan_integer(const char** p)
{
    const char* s = number_skip_blanks(*p);
    if (*s == '+' || *s == '-')
        ++s;
    if (!number_is_digit(*s))
        return false;
    while (number_is_digit(*s))
        ++s;
    *p = s;
    return true;
}

// "%lf": a number as strtod reads it. An out-of-range value reads as strtod
// gives it (an infinity or a tiny value).
bool number_scan_number(const char** p, double* value)
{
    char* end = nullptr;
    const double v = std::strtod(*p, &end);
    if (end == *p)
        return false;
    *value = v;
    *p = end;
    return true;
}

// The common sample value: [-]digits[.digits], no exponent. When the digits
// form an integer m below 2^53 with k <= 22 of them after the point, m and
// 10^k are exact doubles and the one division m / 10^k is correctly rounded,
// which is the value strtod gives. Returns null for anything else.
const char* number_convert_plain_decimal(const char* s, double* value)
{
    const bool negative = *s == '-';
    const char* const digits_start = negative ? s + 1 : s;
    const char* c = digits_start;
    std::uint64_t mantissa = 0;
    int digits = 0;
    int fraction = 0;
    for (; number_is_digit(*c); ++c) {
        if (++digits > 19)
            return nullptr;
        mantissa = mantissa * 10 + static_cast<std::uint64_t>(*c - '0');
    }
    const bool hexadecimal = (*c == 'x' || *c == 'X') && c == digits_start + 1 && *digits_start == '0';
    if (*c == '.') {
        for (++c; number_is_digit(*c); ++c) {
            if (++digits > 19)
                return nullptr;
            mantissa = mantissa * 10 + static_cast<std::uint64_t>(*c - '0');
            ++fraction;
        }
    }
    if (digits == 0 || hexadecimal || *c == 'e' || *c == 'E' || mantissa > (std::uint64_t{1} << 53) ||
        fraction >= static_cast<int>(std::size(exact_powers_of_ten)))
        return nullptr;
    const double magnitude = static_cast<double>(mantissa) / exact_powers_of_ten[fraction];
    *value = negative ? -magnitude : magnitude;
    return c;
}

// strtod semantics, fast. Plain decimals take the exact path above; other
// decimal numbers go through from_chars, which rounds the same way. Whatever
// neither takes with a normal or an exact zero result (a sign +, hexadecimal,
// inf, nan, overflow, subnormal values) goes to strtod itself, whose range
// error decides. Returns where the conversion ended: `p` itself when no
// number was met, the value then being 0.
const char* number_convert_double(const char* p, const char* end, double* value, bool* range_error)
{
    const char* s = number_skip_blanks(p);
    if (const char* stop = number_convert_plain_decimal(s, value))
        return stop;
    const char* digits = (s < end && *s == '-') ? s + 1 : s;
    const bool plain = digits < end && (number_is_digit(*digits) || *digits == '.') &&
                       !(digits[0] == '0' && digits + 1 < end && (digits[1] == 'x' || digits[1] == 'X'));
    if (plain) {
        double v = 0.0;
        const auto [stop, error] = std::from_chars(s, end, v);
        if (error == std::errc{}) {
            bool exact = std::isnormal(v);
            if (v == 0.0) {
                exact = true;
                for (const char* c = digits; c < stop && *c != 'e' && *c != 'E'; ++c) {
                    if (*c >= '1' && *c <= '9')
                        exact = false;
                }
            }
            if (exact) {
                *value = v;
                return stop;
            }
        }
    }
    errno = 0;
    char* stop = nullptr;
    const double v = std::strtod(p, &stop);
    if (errno == ERANGE)
        *range_error = true;
    *value = v;
    return stop;
}

// The time column: a base-10 integer as strtol reads one, which must lie in
// the 32-bit signed range; beyond it the time is a range error and reads as
// the nearest end of the range.
const char* number_convert_time(const char* p, std::int32_t* time, bool* range_error)
{
    const char* s = number_skip_blanks(p);
    bool negative = false;
    if (*s == '+' || *s == '-') {
        negative = *s == '-';
        ++s;
    }
    if (!number_is_digit(*s)) {
        *time = 0;
        return p;
    }
    const std::int64_t limit = negative ? -std::int64_t{std::numeric_limits<std::int32_t>::min()}
                                        : std::int64_t{std::numeric_limits<std::int32_t>::max()};
    std::int64_t magnitude = 0;
    bool overflow = false;
    for (; number_is_digit(*s); ++s) {
        if (!overflow) {
            magnitude = magnitude * 10 + (*s - '0');
            overflow = magnitude > limit;
        }
    }
    if (overflow) {
        *range_error = true;
        *time = negative ? std::numeric_limits<std::int32_t>::min() : std::numeric_limits<std::int32_t>::max();
    } else {
        *time = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
    }
    return s;
}
