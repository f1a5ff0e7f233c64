// Words and numbers of a report line: the sections are read like the
// standard library's formatted input would read them ("%*s %lf",
// "%d\t%127[^\t]\t%lf\t%lf"): white space in a pattern matches any run of
// blanks, including none; numbers are converted like strtod reads them, in
// the default locale.
#pragma once

#include <cstdint>

inline bool number_is_blank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

inline bool number_is_digit(char c)
{
    return c >= '0' && c <= '9';
}

inline const char* number_skip_blanks(const char* p)
{
    while (number_is_blank(*p))
        ++p;
    return p;
}

// "%*s": a run of non-blank characters after blanks.
bool number_scan_word(const char** p);

// "%d" where the value is not used: an optional sign and decimal digits after
// blanks. Since the value is dropped, any number of digits reads without
// overflow.
bool number_scan_integer(const char** p);

// "%lf": a number as strtod reads it. An out-of-range value reads as strtod
// gives it (an infinity or a tiny value).
bool number_scan_number(const char** p, double* value);

// The common sample value: [-]digits[.digits], no exponent. When the digits
// form an integer m below 2^53 with k <= 22 of them after the point, m and
// 10^k are exact doubles and the one division m / 10^k is correctly rounded,
// which is the value strtod gives. Returns null for anything else.
const char* number_convert_plain_decimal(const char* s, double* value);

// strtod semantics, fast. Plain decimals take the exact path above; other
// decimal numbers go through from_chars, which rounds the same way. Whatever
// neither takes with a normal or an exact zero result (a sign +, hexadecimal,
// inf, nan, overflow, subnormal values) goes to strtod itself, whose range
// error decides. Returns where the conversion ended: `p` itself when no
// number was met, the value then being 0.
const char* number_convert_double(const char* p, const char* end, double* value, bool* range_error);

// The time column: a base-10 integer as strtol reads one, which must lie in
// the 32-bit signed range; beyond it the time is a range error and reads as
// the nearest end of the range.
const char* number_convert_time(const char* p, std::int32_t* time, bool* range_error);
