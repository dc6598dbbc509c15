#include "lines/split_check.h"

#include <algorithm>
#include <cstring>

#include <QLocale>

namespace lines {
namespace {

bool Holds(const char* bytes, std::size_t count, const QByteArray& needle) {
    return memmem(bytes, count, needle.constData(), static_cast<std::size_t>(needle.size())) != nullptr;
}

QString Counted(std::uint64_t count) {
    QLocale locale = QLocale::system();
    locale.setNumberOptions(QLocale::DefaultNumberOptions);
    return locale.toString(static_cast<qulonglong>(count));
}

// The separator as the warning shows it: control characters spelled out.
QString Shown(const QString& separator) {
    QString shown = separator;
    shown.replace(QLatin1Char('\t'), QStringLiteral("\\t"));
    shown.replace(QLatin1Char('\r'), QStringLiteral("\\r"));
    shown.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    return shown;
}

}  // namespace

SplitCheck::SplitCheck(QByteArray separator) : separator_(std::move(separator)) {
    marks_.Mark('\r', kBreakMark);
    marks_.Mark('\n', kBreakMark);
    if (!separator_.isEmpty()) marks_.Mark(separator_.front(), kSeparatorMark);
}

void SplitCheck::Look(const char* bytes, std::size_t count) {
    // Most values hold none of the bytes that matter, and this is all they
    // cost.
    const unsigned char seen = marks_.Seen(bytes, count);
    if ((seen & kBreakMark) != 0) sawBreak_ = true;
    const auto length = static_cast<std::size_t>(separator_.size());
    if (sawSeparator_ || length == 0 || count == 0) return;
    if (length == 1) {
        sawSeparator_ = (seen & kSeparatorMark) != 0;
        return;
    }
    // Without its first byte here, a separator of several bytes can only
    // straddle this part and the one before.
    if ((seen & kSeparatorMark) == 0 && carry_.isEmpty()) return;
    if (Holds(bytes, count, separator_)) {
        sawSeparator_ = true;
        return;
    }
    // It may also straddle this part and the ones before: the bytes carried
    // over and the head of this part are looked at together.
    const auto overlap = static_cast<qsizetype>(length - 1);
    const auto head = std::min(static_cast<qsizetype>(count), overlap);
    QByteArray joined = carry_;
    joined.append(bytes, head);
    if (!carry_.isEmpty() && Holds(joined.constData(), static_cast<std::size_t>(joined.size()), separator_)) {
        sawSeparator_ = true;
        return;
    }
    if (static_cast<qsizetype>(count) >= overlap)
        carry_ = QByteArray(bytes + count - static_cast<std::size_t>(overlap), overlap);
    else
        carry_ = joined.right(overlap);
}

QString SplitWarningText(const SplitProblems& problems, const QString& separator) {
    if (!problems.any()) return QString();
    const std::uint64_t withSeparator = problems.valuesWithSeparator;
    const std::uint64_t withBreak = problems.valuesWithLineBreak;
    QString text;
    if (withSeparator != 0) {
        text = Counted(withSeparator) +
               (withSeparator == 1 ? QStringLiteral(" value contains") : QStringLiteral(" values contain")) +
               QStringLiteral(" the separator \"") + Shown(separator) + QLatin1Char('"');
        if (withBreak != 0)
            text += QStringLiteral(" and ") + Counted(withBreak) +
                    (withBreak == 1 ? QStringLiteral(" contains") : QStringLiteral(" contain")) +
                    QStringLiteral(" a line break");
    } else {
        text = Counted(withBreak) +
               (withBreak == 1 ? QStringLiteral(" value contains") : QStringLiteral(" values contain")) +
               QStringLiteral(" a line break");
    }
    return text + (withSeparator + withBreak == 1 && (withSeparator == 0 || withBreak == 0)
                       ? QStringLiteral("; that line cannot be split back into fields")
                       : QStringLiteral("; those lines cannot be split back into fields"));
}

}  // namespace lines
