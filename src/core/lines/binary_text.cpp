#include "lines/binary_text.h"

#include <charconv>
#include <cstring>

namespace lines {
namespace {

// The digits of a number, written backwards from `end`; returns where they
// start.
char* DigitsBefore(char* end, std::uint64_t value) {
    static constexpr char kPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    while (value >= 100) {
        const auto pair = static_cast<unsigned>(value % 100) * 2;
        value /= 100;
        *--end = kPairs[pair + 1];
        *--end = kPairs[pair];
    }
    if (value >= 10) {
        const auto pair = static_cast<unsigned>(value) * 2;
        *--end = kPairs[pair + 1];
        *--end = kPairs[pair];
    } else {
        *--end = static_cast<char>('0' + value);
    }
    return end;
}

// How many digits a number has.
std::size_t DigitCount(std::uint64_t value) {
    std::size_t count = 1;
    for (; value >= 10000; value /= 10000) count += 4;
    if (value >= 1000) return count + 3;
    if (value >= 100) return count + 2;
    return value >= 10 ? count + 1 : count;
}

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

// From the scientific form std::to_chars writes: "1.2345e+17", "5e-324".
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
        char digits[20];
        char* const end = digits + sizeof digits;
        const char* start = DigitsBefore(end, hours);
        std::memcpy(out, start, static_cast<std::size_t>(end - start));
        out += end - start;
    }
    *out++ = ':';
    out = Padded(out, time.minute, 2);
    *out++ = ':';
    out = Padded(out, time.second, 2);
    return Fraction(out, time.microsecond, decimals);
}

}  // namespace

std::size_t IntegerText(char* out, std::int64_t value, bool isUnsigned, unsigned zeroFillWidth) {
    const bool negative = !isUnsigned && value < 0;
    // The magnitude of the smallest BIGINT does not fit a signed number.
    const std::uint64_t magnitude =
        negative ? std::uint64_t{0} - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    const std::size_t count = DigitCount(magnitude);
    char* p = out;
    if (negative) *p++ = '-';
    if (zeroFillWidth > count) {
        std::memset(p, '0', zeroFillWidth - count);
        p += zeroFillWidth - count;
    }
    // The digits go straight to their place, written from the last.
    DigitsBefore(p + count, magnitude);
    return static_cast<std::size_t>(p + count - out);
}

std::size_t FloatText(char* out, double value, bool singlePrecision) {
    // The server stores no negative zero.
    if (value == 0) {
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
    const int exponent = point - 1;
    if (exponent < 0) *p++ = '-';
    const auto magnitude = static_cast<std::uint64_t>(exponent < 0 ? -exponent : exponent);
    const std::size_t digits = DigitCount(magnitude);
    DigitsBefore(p + digits, magnitude);
    return static_cast<std::size_t>(p - out) + digits;
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
