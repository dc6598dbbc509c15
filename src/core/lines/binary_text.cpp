#include "lines/binary_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstring>

namespace lines {
namespace {

// Room for the digits of any 64-bit number.
constexpr std::ptrdiff_t kMostDigits = 20;

// A number with at least `width` digits, zeros in front.
char* Padded(char* out, unsigned value, int width) {
    for (int i = width - 1; i >= 0; --i) {
        out[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    return out + width;
}

char* Fraction(char* out, unsigned long microsecond, unsigned decimals) {
    if (decimals == 0) return out;
    decimals = std::min(decimals, 6U);  // a time has no finer digits
    microsecond %= 1000000;
    *out++ = '.';
    unsigned long digits = microsecond;
    for (unsigned i = decimals; i < 6; ++i) digits /= 10;
    return Padded(out, static_cast<unsigned>(digits), static_cast<int>(decimals));
}

// The significant digits of a positive number, without zeros at the end, and
// where the point stands: the number is 0.DIGITS times ten to `point`.
struct Significant {
    char digits[24];
    int count = 0;
    int point = 0;
};

// From the scientific form std::to_chars writes of a finite number:
// "1.2345e+17", "5e-324".
Significant FromScientific(const char* text, const char* end) {
    Significant s;
    const char* p = text;
    for (; p != end && *p != 'e'; ++p)
        if (*p != '.') s.digits[s.count++] = *p;
    while (s.count > 1 && s.digits[s.count - 1] == '0') --s.count;
    int exponent = 0;
    std::from_chars(p + 1 + (p[1] == '+' ? 1 : 0), end, exponent);
    s.point = exponent + 1;
    return s;
}

// The fewest digits that read back as the value; with `atMost`, the value
// rounded to that many instead when the fewest are more.
Significant DigitsOf(double magnitude, int atMost) {
    char text[48];
    const auto shortest = std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific);
    Significant s = FromScientific(text, shortest.ptr);
    if (atMost > 0 && s.count > atMost) {
        const auto rounded =
            std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific, atMost - 1);
        s = FromScientific(text, rounded.ptr);
    }
    return s;
}

// A number with `decimals` digits after the point as the server writes it
// (its dtoa in mode 5): the fewest digits that read back as the value when
// they end within the decimals, the value rounded there (an exact half to
// even) when they do not; zeros up to the decimals; "-" before a negative
// value, also one that rounds to zero, but not before a zero.
char* Fixed(char* out, double value, int decimals) {
    // A negative zero (ROUND(-0.0001e0, 2)) is a zero.
    const Significant s = DigitsOf(std::fabs(value), 0);
    if (s.count - s.point > decimals)
        return std::to_chars(out, out + kLongestFloat, value, std::chars_format::fixed, decimals).ptr;
    char* p = out;
    if (value < 0) *p++ = '-';
    const int whole = std::clamp(s.point, 0, s.count);
    if (s.point <= 0) *p++ = '0';
    p = std::copy(s.digits, s.digits + whole, p);
    if (s.point > s.count) p = std::fill_n(p, s.point - s.count, '0');
    if (decimals == 0) return p;
    *p++ = '.';
    char* const fraction = p;
    if (s.point < 0) p = std::fill_n(p, -s.point, '0');
    p = std::copy(s.digits + whole, s.digits + s.count, p);
    return std::fill_n(p, decimals - (p - fraction), '0');
}

char* Date(char* out, const db::TimeFields& time) {
    out = Padded(out, time.year, 4);
    *out++ = '-';
    out = Padded(out, time.month, 2);
    *out++ = '-';
    return Padded(out, time.day, 2);
}

char* Clock(char* out, unsigned long hours, const db::TimeFields& time, unsigned decimals) {
    if (hours < 100) {
        out = Padded(out, static_cast<unsigned>(hours), 2);
    } else {
        out = std::to_chars(out, out + kMostDigits, hours).ptr;
    }
    *out++ = ':';
    out = Padded(out, time.minute, 2);
    *out++ = ':';
    out = Padded(out, time.second, 2);
    return Fraction(out, time.microsecond, decimals);
}

}  // namespace

std::size_t IntegerText(char* out, std::int64_t value, bool isUnsigned, unsigned zeroFillWidth) {
    zeroFillWidth = std::min<unsigned>(zeroFillWidth, kLongestInteger - 1);
    char* p = out;
    if (zeroFillWidth == 0) {
        p = isUnsigned ? std::to_chars(p, p + kMostDigits, static_cast<std::uint64_t>(value)).ptr
                       : std::to_chars(p, p + kMostDigits + 1, value).ptr;
        return static_cast<std::size_t>(p - out);
    }
    // ZEROFILL: the digits go after as many zeros as the width leaves.
    const bool negative = !isUnsigned && value < 0;
    // The magnitude of the smallest BIGINT does not fit a signed number.
    const std::uint64_t magnitude =
        negative ? std::uint64_t{0} - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    char digits[kMostDigits];
    const char* const end = std::to_chars(digits, digits + kMostDigits, magnitude).ptr;
    const auto count = static_cast<std::size_t>(end - digits);
    if (negative) *p++ = '-';
    if (zeroFillWidth > count) {
        std::memset(p, '0', zeroFillWidth - count);
        p += zeroFillWidth - count;
    }
    std::memcpy(p, digits, count);
    return static_cast<std::size_t>(p + count - out);
}

std::size_t FloatText(char* out, double value, bool singlePrecision) {
    // The server writes "0" for a result it cannot write in digits (an
    // overflowing SUM or VARIANCE), and stores no negative zero.
    if (value == 0 || !std::isfinite(value)) {
        *out = '0';
        return 1;
    }
    char* p = out;
    if (value < 0) *p++ = '-';
    // A FLOAT keeps six digits, as the server's FLT_DIG.
    const Significant s = DigitsOf(value < 0 ? -value : value, singlePrecision ? 6 : 0);
    const int count = s.count;
    const int point = s.point;
    if (point >= -14 && (point <= 15 || count > point)) {
        if (point <= 0) {
            *p++ = '0';
            *p++ = '.';
            std::memset(p, '0', static_cast<std::size_t>(-point));
            p += -point;
            std::memcpy(p, s.digits, static_cast<std::size_t>(count));
            p += count;
        } else if (point < count) {
            std::memcpy(p, s.digits, static_cast<std::size_t>(point));
            p += point;
            *p++ = '.';
            std::memcpy(p, s.digits + point, static_cast<std::size_t>(count - point));
            p += count - point;
        } else {
            std::memcpy(p, s.digits, static_cast<std::size_t>(count));
            p += count;
            std::memset(p, '0', static_cast<std::size_t>(point - count));
            p += point - count;
        }
        return static_cast<std::size_t>(p - out);
    }
    // "d.ddde-x": no "+" and no zeros before the exponent's digits.
    *p++ = s.digits[0];
    if (count > 1) {
        *p++ = '.';
        std::memcpy(p, s.digits + 1, static_cast<std::size_t>(count - 1));
        p += count - 1;
    }
    *p++ = 'e';
    // "-" before a negative exponent, no "+" before a positive one.
    p = std::to_chars(p, p + kMostDigits, point - 1).ptr;
    return static_cast<std::size_t>(p - out);
}

std::size_t FloatText(char* out, double value, const db::ColumnInfo& column) {
    // "0" also with fixed decimals, as the server writes it.
    if (!std::isfinite(value)) return FloatText(out, value, false);
    std::size_t length = column.decimals >= db::ColumnInfo::kFloatingDecimals
                             ? FloatText(out, value, column.singlePrecision)
                             : static_cast<std::size_t>(Fixed(out, value, static_cast<int>(column.decimals)) - out);
    // ZEROFILL: zeros in front of the whole text, up to the display width.
    const std::size_t width = std::min<std::size_t>(column.displayWidth, kLongestFloat);
    if (!column.zeroFill || length >= width) return length;
    std::memmove(out + (width - length), out, length);
    std::memset(out, '0', width - length);
    return width;
}

std::size_t DateText(char* out, const db::TimeFields& time) { return static_cast<std::size_t>(Date(out, time) - out); }

std::size_t DateTimeText(char* out, const db::TimeFields& time, unsigned decimals) {
    char* p = Date(out, time);
    *p++ = ' ';
    return static_cast<std::size_t>(Clock(p, time.hour, time, decimals) - out);
}

std::size_t TimeText(char* out, const db::TimeFields& time, unsigned decimals) {
    char* p = out;
    if (time.negative != 0) *p++ = '-';
    const unsigned long hours = static_cast<unsigned long>(time.day) * 24 + time.hour;
    return static_cast<std::size_t>(Clock(p, hours, time, decimals) - out);
}

}  // namespace lines
