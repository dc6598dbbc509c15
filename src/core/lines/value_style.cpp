#include "lines/value_style.h"

#include <QLocale>

namespace lines {
namespace {

bool HasEveryPart(const std::vector<DatePiece>& pieces) {
    using K = DatePiece::Kind;
    bool year = false, month = false, day = false;
    for (const DatePiece& p : pieces) {
        year = year || p.kind == K::Year;
        month = month || p.kind == K::Month || p.kind == K::MonthPadded;
        day = day || p.kind == K::Day || p.kind == K::DayPadded;
    }
    return year && month && day;
}

bool IsIsoLayout(const std::vector<DatePiece>& pieces) {
    using K = DatePiece::Kind;
    return pieces.size() == 5 && pieces[0].kind == K::Year && pieces[1].kind == K::Text && pieces[1].text == "-" &&
           pieces[2].kind == K::MonthPadded && pieces[3].kind == K::Text && pieces[3].text == "-" &&
           pieces[4].kind == K::DayPadded;
}

void AddText(std::vector<DatePiece>& pieces, const QString& text) {
    if (text.isEmpty()) return;
    if (!pieces.empty() && pieces.back().kind == DatePiece::Kind::Text)
        pieces.back().text += text.toUtf8();
    else
        pieces.push_back({DatePiece::Kind::Text, text.toUtf8()});
}

// The locale name that governs one category, as the C library resolves it.
QString CategoryLocaleName(const char* category) {
    for (const char* variable : {"LC_ALL", category, "LANG"}) {
        QString value = qEnvironmentVariable(variable);
        if (!value.isEmpty()) return value;
    }
    return QStringLiteral("C");
}

bool IsCLocale(const QString& name) {
    return name == QLatin1String("C") || name == QLatin1String("POSIX") || name.startsWith(QLatin1String("C.")) ||
           QLocale(name).language() == QLocale::C;
}

}  // namespace

std::vector<DatePiece> DateLayoutOf(const QLocale& locale) {
    std::vector<DatePiece> layout = ParseDateLayout(locale.dateFormat(QLocale::ShortFormat));
    if (IsIsoLayout(layout) || !HasEveryPart(layout)) layout.clear();
    return layout;
}

std::vector<DatePiece> ParseDateLayout(const QString& format) {
    using K = DatePiece::Kind;
    std::vector<DatePiece> pieces;
    qsizetype i = 0;
    while (i < format.size()) {
        const QChar c = format[i];
        if (c == QLatin1Char('\'')) {
            // Quoted text; two quotes in a row stand for one.
            const qsizetype close = format.indexOf(QLatin1Char('\''), i + 1);
            if (close == i + 1) {
                AddText(pieces, QStringLiteral("'"));
                i += 2;
                continue;
            }
            const qsizetype end = close < 0 ? format.size() : close;
            AddText(pieces, format.mid(i + 1, end - i - 1));
            i = end + 1;
            continue;
        }
        qsizetype run = 1;
        while (i + run < format.size() && format[i + run] == c) ++run;
        if (c == QLatin1Char('y')) {
            pieces.push_back({K::Year, {}});
        } else if (c == QLatin1Char('M')) {
            pieces.push_back({run == 1 ? K::Month : K::MonthPadded, {}});
        } else if (c == QLatin1Char('d')) {
            // Three or more d name the weekday, which a number cannot stand for.
            if (run <= 2) pieces.push_back({run == 1 ? K::Day : K::DayPadded, {}});
        } else {
            AddText(pieces, format.mid(i, run));
        }
        i += run;
    }
    return pieces;
}

ValueStyle ValueStyle::FromLocale(const QLocale& locale) {
    ValueStyle style;
    if (locale.language() == QLocale::C) return style;
    style.decimalPoint = locale.decimalPoint().toUtf8();
    style.dateLayout = DateLayoutOf(locale);
    return style;
}

ValueStyle ValueStyle::FromSystem() {
    const QLocale system = QLocale::system();
    ValueStyle style;
    // The system locale answers number questions from LC_NUMERIC and date
    // questions from LC_TIME.
    if (!IsCLocale(CategoryLocaleName("LC_NUMERIC"))) style.decimalPoint = system.decimalPoint().toUtf8();
    if (!IsCLocale(CategoryLocaleName("LC_TIME"))) style.dateLayout = DateLayoutOf(system);
    return style;
}

ValueStyle ValueStyle::InCharacterSet(std::shared_ptr<const Transcoder> fileTranscoder) const {
    ValueStyle style = *this;
    style.transcoder = std::move(fileTranscoder);
    if (style.transcoder) {
        style.decimalPoint = style.transcoder->Convert(decimalPoint);
        for (DatePiece& piece : style.dateLayout) piece.text = style.transcoder->Convert(piece.text);
    }
    return style;
}

ValueStyle ValueStyle::ForFile() { return FromSystem().InCharacterSet(Transcoder::ForSystem()); }

QByteArray ValueStyle::Encode(const QString& text) const {
    const QByteArray utf8 = text.toUtf8();
    return transcoder ? transcoder->Convert(utf8) : utf8;
}

}  // namespace lines
