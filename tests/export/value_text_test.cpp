#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include <QLocale>

#include <gtest/gtest.h>

#include "db/identifier.h"
#include "db/table_queries.h"
#include "lines/binary_text.h"
#include "lines/byte_marks.h"
#include "lines/column_formatter.h"
#include "lines/split_check.h"
#include "lines/transcoder.h"
#include "lines/value_style.h"

using lines::ColumnFormatter;
using lines::ValueStyle;

namespace {

db::ColumnInfo Column(db::ColumnKind kind) {
    db::ColumnInfo column;
    column.kind = kind;
    return column;
}

QByteArray Text(const db::ColumnInfo& column, const ValueStyle& style, const QByteArray& sent) {
    lines::OutputBuffer out(4);  // small, so that growing is exercised too
    ColumnFormatter(column, style).Append(out, sent.constData(), static_cast<std::size_t>(sent.size()));
    return QByteArray(out.data(), static_cast<qsizetype>(out.size()));
}

const ValueStyle kGerman = ValueStyle::FromLocale(QLocale(QLocale::German, QLocale::Germany));
const ValueStyle kUnitedStates = ValueStyle::FromLocale(QLocale(QLocale::English, QLocale::UnitedStates));
const ValueStyle kCLocale = ValueStyle::FromLocale(QLocale::c());

}  // namespace

TEST(ExportQuery, IsSelectFieldsFromTheQuotedTableAndNothingElse) {
    EXPECT_EQ(
        db::SelectQueryText(db::QuoteIdentifierList({QStringLiteral("a"), QStringLiteral("b")}), QStringLiteral("t")),
        QStringLiteral("SELECT `a`, `b` FROM `t`"));
    EXPECT_EQ(db::SelectQueryText(db::QuoteIdentifierList({QStringLiteral("a`b")}), QStringLiteral("we`ird")),
              QStringLiteral("SELECT `a``b` FROM `we``ird`"));
}

TEST(ValueText, DatesFollowTheLocalesShortOrderWithAFourDigitYear) {
    const db::ColumnInfo date = Column(db::ColumnKind::Date);
    EXPECT_EQ(Text(date, kGerman, "2024-01-31"), "31.01.2024");
    EXPECT_EQ(Text(date, kUnitedStates, "2024-01-05"), "1/5/2024");
    EXPECT_EQ(Text(date, kUnitedStates, "1999-12-25"), "12/25/1999");
    EXPECT_EQ(Text(date, kCLocale, "2024-01-31"), "2024-01-31");
    // Zero and impossible dates cannot be reordered without inventing data.
    for (const char* odd : {"0000-00-00", "2023-02-29", "2024-13-01", "2024-00-10"})
        EXPECT_EQ(Text(date, kGerman, odd), odd);
    EXPECT_EQ(Text(date, kGerman, "2024-02-29"), "29.02.2024");

    const db::ColumnInfo datetime = Column(db::ColumnKind::DateTime);
    EXPECT_EQ(Text(datetime, kGerman, "2024-01-31 13:45:00.250"), "31.01.2024 13:45:00.250");
    EXPECT_EQ(Text(Column(db::ColumnKind::DateTime), kUnitedStates, "2006-02-15 05:03:42"), "2/15/2006 05:03:42");
    EXPECT_EQ(Text(datetime, kGerman, "0000-00-00 00:00:00"), "0000-00-00 00:00:00");
    // Times keep the server's 24-hour form and every fractional digit.
    EXPECT_EQ(Text(Column(db::ColumnKind::Time), kUnitedStates, "-838:59:59.50"), "-838:59:59.50");
}

TEST(ValueText, LocaleLayoutsWithQuotedTextAndIsoOrder) {
    using K = lines::DatePiece::Kind;
    const auto pieces = lines::ParseDateLayout(QStringLiteral("d 'de' MMMM yy"));
    ASSERT_EQ(pieces.size(), 5u);
    EXPECT_EQ(pieces[0].kind, K::Day);
    EXPECT_EQ(pieces[1].text, " de ");
    EXPECT_EQ(pieces[2].kind, K::MonthPadded);
    EXPECT_EQ(pieces[4].kind, K::Year);
    // A locale whose short date already is yyyy-MM-dd leaves dates as sent.
    EXPECT_TRUE(ValueStyle::FromLocale(QLocale(QLocale::Swedish, QLocale::Sweden)).plainDates());
    EXPECT_TRUE(kCLocale.plainDates());
    EXPECT_TRUE(kCLocale.plainNumbers());
}

TEST(ValueText, NumbersTakeTheDecimalSeparatorWithoutGroupingOrLostDigits) {
    for (db::ColumnKind type : {db::ColumnKind::Decimal, db::ColumnKind::Float}) {
        const db::ColumnInfo column = Column(type);
        EXPECT_EQ(Text(column, kGerman, "1234567.891"), "1234567,891");
        EXPECT_EQ(Text(column, kGerman, "-0.000000000000000000000000001"), "-0,000000000000000000000000001");
        EXPECT_EQ(Text(column, kGerman, "12"), "12");
        EXPECT_EQ(Text(column, kUnitedStates, "1234567.891"), "1234567.891");
        EXPECT_EQ(Text(column, kCLocale, "1234567.891"), "1234567.891");
    }
    EXPECT_EQ(Text(Column(db::ColumnKind::Float), kGerman, "1.5e-300"), "1,5e-300");
    // Integers and text are never touched, whatever they look like.
    EXPECT_EQ(Text(Column(db::ColumnKind::Integer), kGerman, "18446744073709551615"), "18446744073709551615");
    EXPECT_EQ(Text(Column(db::ColumnKind::Text), kGerman, "1.5 and 2024-01-31"), "1.5 and 2024-01-31");
    EXPECT_TRUE(ColumnFormatter(Column(db::ColumnKind::Text), kGerman).verbatim());
    EXPECT_TRUE(ColumnFormatter(Column(db::ColumnKind::Decimal), kCLocale).verbatim());
}

TEST(ValueText, BitsAreNumbersAndBinaryIsHexadecimal) {
    const db::ColumnInfo bit = Column(db::ColumnKind::Bit);
    EXPECT_EQ(Text(bit, kCLocale, QByteArray("\x01\x00", 2)), "256");
    EXPECT_EQ(Text(bit, kCLocale, QByteArray("\x00", 1)), "0");
    EXPECT_EQ(Text(bit, kCLocale, QByteArray(8, '\xff')), "18446744073709551615");

    const db::ColumnInfo binary = Column(db::ColumnKind::Bytes);
    EXPECT_EQ(Text(binary, kCLocale, QByteArray("\x00\xff\r\n,", 5)), "0x00FF0D0A2C");
    EXPECT_EQ(Text(binary, kCLocale, QByteArray()), "0x");
    // Text in a character set is written as it is stored.
    EXPECT_EQ(Text(Column(db::ColumnKind::Text), kCLocale, "a\r\nb"), "a\r\nb");
}

TEST(ValueText, ALegacyCharacterSetKeepsWhatItCanAndMarksTheRest) {
    const auto latin1 = lines::Transcoder::ForCharacterSet("ISO-8859-1");
    ASSERT_TRUE(latin1);
    EXPECT_EQ(latin1->Convert("K\xC3\xA4se \xE2\x82\xAC \xF0\x9F\x8D\xA3!"), QByteArray("K\xE4se ? ?!"));
    // A broken sequence costs one mark, never the characters after it.
    EXPECT_EQ(latin1->Convert("\xC3"
                              "AB,x"),
              QByteArray("?AB,x"));
    EXPECT_EQ(latin1->Convert("\xF8"
                              "abcd"),
              QByteArray("?abcd"));
    EXPECT_EQ(latin1->Convert("end\xE2\x82"), QByteArray("end??"));
    // A value far larger than one step of room comes out whole.
    const QByteArray big = QByteArray("\xC3\xA9", 2).repeated(300000);
    EXPECT_EQ(latin1->Convert(big), QByteArray(300000, '\xE9'));
}

namespace {

// Collects what a buffer drains.
class Collector final : public lines::BufferDrain {
public:
    void Drain(const char* bytes, std::size_t count) override { text.append(bytes, static_cast<qsizetype>(count)); }
    QByteArray text;
};

}  // namespace

TEST(ValueText, ALongValueGoesOutInPiecesThatAddUpToTheWholeText) {
    const QByteArray bytes = QByteArray("\x00\xff\r\n,\x7f\xc3\xa9", 8).repeated(400000);
    // Characters it can write and marks for those it cannot, with every
    // place where a step may cut a two-byte character.
    QByteArray mixed, latin1Text;
    for (int k = 0; k < 4; ++k) {
        mixed += QByteArray(k, 'x') + QByteArray("\xC3\xA4").repeated(300) +
                 "\xE2\x82\xAC\xC3"
                 "A\xF8\xE2\x82";
        latin1Text += QByteArray(k, 'x') + QByteArray(300, '\xE4') + "??A???";
    }
    const auto latin1 = lines::Transcoder::ForCharacterSet("ISO-8859-1");
    ASSERT_TRUE(latin1);
    const ValueStyle latin1Style = ValueStyle::Plain().InCharacterSet(latin1);
    struct Case {
        db::ColumnInfo column;
        ValueStyle style;
        QByteArray value, text;
    };
    const Case cases[] = {
        {Column(db::ColumnKind::Bytes), kCLocale, bytes, "0x" + bytes.toHex().toUpper()},
        {Column(db::ColumnKind::Text), latin1Style, mixed.repeated(1000), latin1Text.repeated(1000)},
        {Column(db::ColumnKind::Text), kCLocale, bytes, bytes},
    };
    for (const Case& c : cases) {
        Collector collector;
        constexpr std::size_t kCapacity = 100000;
        lines::OutputBuffer out(kCapacity, &collector);
        out.append("<", 1);
        ColumnFormatter(c.column, c.style).Append(out, c.value.constData(), static_cast<std::size_t>(c.value.size()));
        out.append(">", 1);
        EXPECT_EQ(out.capacity(), kCapacity);
        out.flush();
        EXPECT_TRUE(collector.text == "<" + c.text + ">")
            << collector.text.size() << " bytes instead of " << c.text.size() + 2;
    }
}

TEST(SplitCheck, FindsSeparatorsAndLineBreaksAlsoWhereAValueReachesTheFileInPieces) {
    lines::SplitCheck check(QByteArrayLiteral("<|>"));
    // One value in three pieces, the separator cut across two of them.
    const QByteArray value = "abc<|>def";
    check.Begin(2);  // behind bytes of the value before
    const QByteArray first = "xx" + value.left(4);
    check.Drained(first.constData(), static_cast<std::size_t>(first.size()));
    check.Drained(value.constData() + 4, 1);  // "|"
    check.End(value.constData() + 5, 4);      // ">def"
    // Values whole in the buffer: a line break, nothing, and a near miss.
    for (const QByteArray& whole : {QByteArray("a\r\nb"), QByteArray("plain"), QByteArray("<|")}) {
        check.Begin(0);
        check.End(whole.constData(), static_cast<std::size_t>(whole.size()));
    }
    EXPECT_EQ(check.problems().valuesWithSeparator, 1u);
    EXPECT_EQ(check.problems().valuesWithLineBreak, 1u);

    EXPECT_EQ(lines::SplitWarningText(lines::SplitProblems{}, QStringLiteral(",")), QString());
    EXPECT_EQ(lines::SplitWarningText(lines::SplitProblems{1, 0}, QStringLiteral("\t")),
              QStringLiteral("1 value contains the separator \"\\t\"; that line cannot be split back into fields"));
    EXPECT_EQ(lines::SplitWarningText(lines::SplitProblems{1204, 3}, QStringLiteral(",")),
              QStringLiteral("1,204 values contain the separator \",\" and 3 contain a line break; those lines cannot "
                             "be split back into fields"));
}

TEST(SplitCheck, FindsALongSeparatorCutAtAnyPointAcrossPieces) {
    // Separators of 2, 17, 18 and 40 bytes, cut at every point into two or
    // three pieces (the middle one a single byte).
    for (const int length : {2, 17, 18, 40}) {
        QByteArray separator;
        for (int i = 0; i < length; ++i) separator += static_cast<char>('A' + i % 26);
        const QByteArray value = "head" + separator + "tail";
        for (int cut = 1; cut < value.size() - 1; ++cut) {
            for (const int middle : {0, 1}) {
                lines::SplitCheck check(separator);
                check.Begin(0);
                check.Drained(value.constData(), static_cast<std::size_t>(cut));
                if (middle != 0) check.Drained(value.constData() + cut, 1);
                const int rest = cut + middle;
                check.End(value.constData() + rest, static_cast<std::size_t>(value.size() - rest));
                EXPECT_EQ(check.problems().valuesWithSeparator, 1u) << length << " bytes, cut at " << cut;
            }
        }
    }
}

TEST(ByteMarks, FindEachMarkedByteAtEveryPlaceOfRunsAroundTheBlockSize) {
    lines::ByteMarks marks;
    marks.Mark('"', 1);
    marks.Mark('\n', 2);
    marks.Mark(',', 4);
    marks.Mark('"', 8);  // a byte may carry two marks
    struct Case {
        char byte;
        unsigned char seen;
    };
    for (const Case wanted : {Case{'"', 9}, Case{'\n', 2}, Case{',', 4}, Case{'\r', 0}, Case{'\xFF', 0}}) {
        for (std::size_t length = 1; length <= 50; ++length) {
            for (std::size_t at = 0; at < length; ++at) {
                std::string run(length, 'x');
                run[at] = wanted.byte;
                EXPECT_EQ(marks.Seen(run.data(), length), wanted.seen) << length << " bytes, at " << at;
            }
        }
    }
    const std::string every = "a,b\"c\nd";
    EXPECT_EQ(marks.Seen(every.data(), every.size()), 15);
    EXPECT_EQ(marks.Seen(every.data(), 0), 0);
}

// Each binary formatter writes within the room its header names and reads
// nothing but its arguments, at the edges of its types and beyond what a
// server sends: infinities and NaN (an overflowing SUM) are "0" whatever
// the value formatted before them, as the server writes them.
TEST(BinaryText, EveryFormatterStaysInItsRoomAtTheEdgesOfItsTypes) {
    constexpr std::size_t kGuard = 64;
    constexpr char kUntouched = '\xAA';
    char out[lines::kLongestBinaryText + kGuard];
    // Runs a formatter over a buffer of untouched bytes; its text, after
    // checking that it kept to `room` and wrote nothing past its length.
    const auto Written = [&](std::size_t room, const auto& format) {
        std::fill(std::begin(out), std::end(out), kUntouched);
        const std::size_t length = format(out);
        EXPECT_LE(length, room);
        EXPECT_TRUE(std::all_of(out + length, std::end(out), [&](char c) { return c == kUntouched; }));
        return std::string(out, std::min(length, sizeof out));
    };
    db::ColumnInfo floating = Column(db::ColumnKind::Float);
    floating.decimals = db::ColumnInfo::kFloatingDecimals;
    db::ColumnInfo fixed = floating;
    fixed.decimals = 14;
    db::ColumnInfo widest = floating;
    widest.decimals = 30;
    widest.zeroFill = true;
    widest.displayWidth = 400;
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double edges[] = {inf,
                            -inf,
                            nan,
                            -nan,
                            -0.0,
                            std::numeric_limits<double>::denorm_min(),
                            -std::numeric_limits<double>::max(),
                            std::numeric_limits<double>::max(),
                            std::numeric_limits<float>::max(),
                            1.00001234567891};
    for (const db::ColumnInfo& column : {floating, fixed, widest}) {
        for (const double value : edges) {
            // The value before leaves its digits in the buffer of the next.
            Written(lines::kLongestFloat, [&](char* at) { return lines::FloatText(at, 1.00001234567891, column); });
            const std::string text =
                Written(lines::kLongestFloat, [&](char* at) { return lines::FloatText(at, value, column); });
            if (!std::isfinite(value)) {
                EXPECT_EQ(text, "0") << value;
            }
        }
    }
    EXPECT_EQ(Written(lines::kLongestFloat, [&](char* at) { return lines::FloatText(at, -0.0, floating); }), "0");
    EXPECT_EQ(Written(lines::kLongestFloat, [&](char* at) { return lines::FloatText(at, -0.0, fixed); }),
              "0.00000000000000");

    for (const std::int64_t value : {std::numeric_limits<std::int64_t>::min(), std::int64_t{-1}, std::int64_t{0}})
        for (const unsigned width : {0U, 20U, 255U, 100000U})
            for (const bool isUnsigned : {false, true})
                Written(lines::kLongestInteger,
                        [&](char* at) { return lines::IntegerText(at, value, isUnsigned, width); });

    db::TimeFields most;
    most.year = most.month = most.day = most.hour = most.minute = most.second = std::numeric_limits<unsigned>::max();
    most.microsecond = std::numeric_limits<unsigned long>::max();
    most.negative = 1;
    for (const unsigned decimals : {0U, 6U, 31U}) {
        Written(lines::kLongestTime, [&](char* at) { return lines::TimeText(at, most, decimals); });
        Written(lines::kLongestDateTime, [&](char* at) { return lines::DateTimeText(at, most, decimals); });
        Written(lines::kLongestDate, [&](char* at) { return lines::DateText(at, most); });
    }
    db::TimeFields negativeZero;
    negativeZero.negative = 1;
    EXPECT_EQ(Written(lines::kLongestTime, [&](char* at) { return lines::TimeText(at, negativeZero, 1); }),
              "-00:00:00.0");
}
