#include "export/split_check.h"

#include <algorithm>
#include <cstring>

#include <QLocale>

namespace exporter {
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
    marks_[static_cast<unsigned char>('\r')] |= kBreakMark;
    marks_[static_cast<unsigned char>('\n')] |= kBreakMark;
    if (!separator_.isEmpty()) marks_[static_cast<unsigned char>(separator_.front())] |= kSeparatorMark;
}

void SplitCheck::Look(const char* bytes, std::size_t count) {
    // One pass with a table: most values hold none of the bytes that matter,
    // and this is all they cost.
    unsigned char seen = 0;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes);
    for (std::size_t i = 0; i < count; ++i) seen |= marks_[data[i]];
    if ((seen & kBreakMark) != 0) sawBreak_ = true;
    const auto length = static_cast<std::size_t>(separator_.size());
    if (sawSeparator_ || length == 0 || count == 0) return;
    if (length == 1) {
        sawSeparator_ = (seen & kSeparatorMark) != 0;
        return;
    }
    // Without its first byte here, a separator of several bytes can only
    // straddle this part and the one before.
    if ((seen & kSeparatorMark) == 0 && carried_ == 0) return;
    if (Holds(bytes, count, separator_)) {
        sawSeparator_ = true;
        return;
    }
    // It may also straddle this part and the one before (longer separators
    // than the carry holds are not looked for across parts).
    const std::size_t overlap = length - 1;
    if (overlap > sizeof carry_) return;
    char joined[2 * sizeof carry_];
    const std::size_t head = std::min(count, overlap);
    std::memcpy(joined, carry_, carried_);
    std::memcpy(joined + carried_, bytes, head);
    if (carried_ != 0 && Holds(joined, carried_ + head, separator_)) {
        sawSeparator_ = true;
        return;
    }
    if (count >= overlap) {
        std::memcpy(carry_, bytes + count - overlap, overlap);
        carried_ = overlap;
    } else {
        const std::size_t all = carried_ + count;
        const std::size_t keep = std::min(all, overlap);
        std::memmove(carry_, joined + all - keep, keep);
        carried_ = keep;
    }
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

}  // namespace exporter
