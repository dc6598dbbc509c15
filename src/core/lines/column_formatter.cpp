#include "lines/column_formatter.h"

#include <algorithm>
#include <cstdint>

namespace lines {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int TwoDigits(const char* p) { return (p[0] - '0') * 10 + (p[1] - '0'); }

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Two digits without a leading zero when it is one ("07" -> "7").
void AppendUnpadded(OutputBuffer& out, const char* twoDigits) {
    if (twoDigits[0] == '0')
        out.append(twoDigits[1]);
    else
        out.append(twoDigits, 2);
}

// Written in steps, so that a long value never asks the buffer for room
// beyond one step.
void AppendHexDigits(OutputBuffer& out, const char* value, std::size_t length) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    constexpr std::size_t kStep = std::size_t{32} << 10;
    while (length > 0) {
        const std::size_t step = std::min(length, kStep);
        char* p = out.tail(2 * step);
        for (std::size_t i = 0; i < step; ++i) {
            const auto byte = static_cast<unsigned char>(value[i]);
            *p++ = kDigits[byte >> 4];
            *p++ = kDigits[byte & 0x0F];
        }
        out.advance(2 * step);
        value += step;
        length -= step;
    }
}

// A BIT value comes as its bytes, most significant first.
void AppendBitNumber(OutputBuffer& out, const char* value, std::size_t length) {
    std::uint64_t number = 0;
    for (std::size_t i = 0; i < length; ++i) number = (number << 8) | static_cast<unsigned char>(value[i]);
    char digits[20];
    std::size_t count = 0;
    do {
        digits[count++] = static_cast<char>('0' + number % 10);
        number /= 10;
    } while (number != 0);
    char* p = out.tail(count);
    for (std::size_t i = 0; i < count; ++i) p[i] = digits[count - 1 - i];
    out.advance(count);
}

// Every byte the values of a column can be written with, where that is a
// small set; empty for text.
QByteArray AlphabetOf(const db::ColumnInfo& column, bool hex, const ValueStyle& style) {
    QByteArray digits = QByteArrayLiteral("0123456789");
    if (hex) return digits + QByteArrayLiteral("ABCDEFx");
    using K = db::ColumnKind;
    switch (column.kind) {
    case K::Integer:
    case K::Year: return digits + '-';
    case K::Bit: return digits;
    case K::Decimal:
    case K::Float: return digits + QByteArrayLiteral("-+.eE") + style.decimalPoint;
    case K::Date:
    case K::DateTime:
    case K::Time: {
        QByteArray alphabet = digits + QByteArrayLiteral("-:. ");
        for (const DatePiece& piece : style.dateLayout) alphabet += piece.text;
        return alphabet;
    }
    case K::Text:
    case K::Bytes:
    case K::Other: return QByteArray();
    }
    return QByteArray();
}

}  // namespace

ColumnFormatter::ColumnFormatter(const db::ColumnInfo& column, const ValueStyle& style) : style_(style) {
    using K = db::ColumnKind;
    switch (column.kind) {
    case K::Decimal:
    case K::Float: kind_ = style.plainNumbers() ? Kind::Verbatim : Kind::Decimal; break;
    case K::Date: kind_ = style.plainDates() ? Kind::Verbatim : Kind::Date; break;
    case K::DateTime: kind_ = style.plainDates() ? Kind::Verbatim : Kind::DateTime; break;
    case K::Bit: kind_ = Kind::Bit; break;
    case K::Bytes: kind_ = Kind::Hex; break;  // raw bytes would break lines and the encoding
    case K::Text: kind_ = style.plainText() ? Kind::Verbatim : Kind::Transcoded; break;
    case K::Integer:
    case K::Year:
    case K::Time:
    case K::Other: kind_ = Kind::Verbatim; break;
    }
    alphabet_ = AlphabetOf(column, kind_ == Kind::Hex, style);
}

void ColumnFormatter::AppendConverted(OutputBuffer& out, const char* value, std::size_t length) const {
    switch (kind_) {
    case Kind::Verbatim: out.append(value, length); break;
    case Kind::Decimal: AppendDecimal(out, value, length); break;
    case Kind::Date:
        if (!AppendDate(out, value, length)) out.append(value, length);
        break;
    case Kind::DateTime:
        // The time after the date ("13:45:00.250") stays as sent.
        if (AppendDate(out, value, length))
            out.append(value + 10, length - 10);
        else
            out.append(value, length);
        break;
    case Kind::Bit: AppendBitNumber(out, value, length); break;
    case Kind::Hex:
        out.append("0x", 2);
        AppendHexDigits(out, value, length);
        break;
    case Kind::Transcoded: style_.transcoder->Append(out, value, length); break;
    }
}

void ColumnFormatter::AppendMore(OutputBuffer& out, const char* value, std::size_t length) const {
    if (kind_ == Kind::Hex)
        AppendHexDigits(out, value, length);
    else
        Append(out, value, length);
}

void ColumnFormatter::AppendDecimal(OutputBuffer& out, const char* value, std::size_t length) const {
    for (std::size_t i = 0; i < length; ++i) {
        if (value[i] == '.') {
            out.append(value, i);
            out.append(style_.decimalPoint.constData(), static_cast<std::size_t>(style_.decimalPoint.size()));
            out.append(value + i + 1, length - i - 1);
            return;
        }
    }
    out.append(value, length);
}

bool ColumnFormatter::AppendDate(OutputBuffer& out, const char* value, std::size_t length) const {
    // The server sends "yyyy-MM-dd", perhaps followed by the time.
    if (length < 10 || value[4] != '-' || value[7] != '-') return false;
    for (int i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (!IsDigit(value[i])) return false;
    const int year = TwoDigits(value) * 100 + TwoDigits(value + 2);
    const int month = TwoDigits(value + 5);
    const int day = TwoDigits(value + 8);
    if (year == 0 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return false;

    using K = DatePiece::Kind;
    for (const DatePiece& piece : style_.dateLayout) {
        switch (piece.kind) {
        case K::Year: out.append(value, 4); break;
        case K::Month: AppendUnpadded(out, value + 5); break;
        case K::MonthPadded: out.append(value + 5, 2); break;
        case K::Day: AppendUnpadded(out, value + 8); break;
        case K::DayPadded: out.append(value + 8, 2); break;
        case K::Text: out.append(piece.text.constData(), static_cast<std::size_t>(piece.text.size())); break;
        }
    }
    return true;
}

}  // namespace lines
