#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "db/binary_result.h"

namespace lines {

// The text a server writes for a value that it sent in binary, byte for
// byte, so that a file does not depend on how its rows were read. Each
// writes at `out`, which has room for the longest text named beside it,
// returns the count of bytes written, and reads nothing but its arguments:
// any value of the argument types is taken, also one no server sends.

// At most 20 digits and a sign; ZEROFILL pads with zeros to the column's
// display width (at most 255), after the sign of a negative value.
inline constexpr std::size_t kLongestInteger = 1 + 255;
std::size_t IntegerText(char* out, std::int64_t value, bool isUnsigned, unsigned zeroFillWidth);

// A FLOAT or DOUBLE without fixed decimals as the server writes it: the
// fewest digits that read back as the same value (for a FLOAT at most six),
// as "123.25" or "0.0000001"; with an exponent ("1e-16", "1.2345e17") below
// 1e-15, and from 1e15 up unless it has digits after the point. A negative
// zero is "0"; so are infinities and NaN, which the server writes as "0" (an
// overflowing SUM, VARIANCE or STD).
std::size_t FloatText(char* out, double value, bool singlePrecision);

// A FLOAT or DOUBLE column's value as the server writes it: without fixed
// decimals as above; with them, every digit before the point and, when the
// fewest digits that read back as the value end within the decimals, those
// digits, else the value rounded to the decimals (an exact half to even),
// then zeros up to the decimals; "-" also before a negative value that
// rounds to zero, but not before a zero. ZEROFILL then puts zeros in front
// up to the display width. The longest is a DOUBLE near its largest with 30
// decimals. Infinities and NaN are "0", whatever the decimals.
inline constexpr std::size_t kLongestFloat = 1 + 309 + 1 + 30;
std::size_t FloatText(char* out, double value, const db::ColumnInfo& column);

// "yyyy-MM-dd", also for zero dates ("0000-00-00") and zero parts.
inline constexpr std::size_t kLongestDate = 10;
std::size_t DateText(char* out, const db::TimeFields& time);

// "yyyy-MM-dd hh:mm:ss" and, with fractional digits (at most six), "." and
// that many. Room also for hours beyond 99, which no server sends.
inline constexpr std::size_t kLongestDateTime = 10 + 1 + 20 + 6 + 7;
std::size_t DateTimeText(char* out, const db::TimeFields& time, unsigned decimals);

// "hh:mm:ss", the hours counted on beyond 24 (at least two digits), "-"
// before a negative time, and the fraction as above.
inline constexpr std::size_t kLongestTime = 1 + 20 + 6 + 7;
std::size_t TimeText(char* out, const db::TimeFields& time, unsigned decimals);

// Room for any of the texts above.
inline constexpr std::size_t kLongestBinaryText =
    std::max({kLongestInteger, kLongestFloat, kLongestDate, kLongestDateTime, kLongestTime});

}  // namespace lines
