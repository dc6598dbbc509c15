#pragma once

#include <memory>
#include <vector>

#include <QByteArray>

#include "lines/transcoder.h"

class QLocale;

namespace lines {

// One piece of the locale's short date: a part of the date or fixed text.
struct DatePiece {
    enum class Kind { Year, Month, MonthPadded, Day, DayPadded, Text };
    Kind kind;
    QByteArray text;  // for Kind::Text, in UTF-8
};

// How numbers and dates are written, worked out once per export from the
// user's locale. Under the C locale everything stays as the server sends it.
struct ValueStyle {
    QByteArray decimalPoint = QByteArrayLiteral(".");
    // The short date order with a four-digit year; empty keeps the server's
    // ISO form (yyyy-MM-dd).
    std::vector<DatePiece> dateLayout;
    // The character set of a legacy locale that text is turned into; none
    // for UTF-8 (and the C locale), where text goes out as the server sent it.
    std::shared_ptr<const Transcoder> transcoder;

    bool plainNumbers() const { return decimalPoint == "."; }
    bool plainText() const { return transcoder == nullptr; }
    // A text of ours (a field name, the separator) in the file's character set.
    QByteArray Encode(const QString& text) const;
    bool plainDates() const { return dateLayout.empty(); }

    // The style of a locale: its decimal point (never a group separator) and
    // its short date order, a two-digit year widened to four digits.
    static ValueStyle FromLocale(const QLocale& locale);
    // The style of the user's own settings: numbers after LC_NUMERIC and
    // dates after LC_TIME (LC_ALL and LANG taken into account), each of
    // which may be the C locale while the other is not. Text stays UTF-8,
    // as the window shows it.
    static ValueStyle FromSystem();
    // The same for a file: its text in the character set of the user's
    // locale (LC_CTYPE).
    static ValueStyle ForFile();
    // This style with every text in the given character set.
    ValueStyle InCharacterSet(std::shared_ptr<const Transcoder> fileTranscoder) const;
    // Everything as the server sends it.
    static ValueStyle Plain() { return ValueStyle(); }
};

// The pieces of a Qt date format ("dd.MM.yy" gives day, ".", month, ".",
// year). Every run of y becomes the four-digit year, month names become
// their numbers, and weekday names are left out.
std::vector<DatePiece> ParseDateLayout(const QString& format);

// A locale's short date as pieces with a four-digit year; empty when it is
// the ISO form or lacks a part.
std::vector<DatePiece> DateLayoutOf(const QLocale& locale);

}  // namespace lines
