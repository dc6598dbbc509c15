#pragma once

#include <cstddef>
#include <cstdint>

#include <QByteArray>
#include <QString>

#include "lines/byte_marks.h"

namespace lines {

// What makes a written file impossible to split back into its fields: the
// format has no quoting, so a value that holds the separator, or a line
// break, breaks its line apart.
struct SplitProblems {
    std::uint64_t valuesWithSeparator = 0;
    std::uint64_t valuesWithLineBreak = 0;

    bool any() const { return valuesWithSeparator != 0 || valuesWithLineBreak != 0; }
};

// The one-line warning for a file with such values, e.g. `1,204 values
// contain the separator "," and 3 contain a line break; those lines cannot be
// split back into fields`; the empty text when there are none.
QString SplitWarningText(const SplitProblems& problems, const QString& separator);

// Looks at the bytes of each value as they are written, also when a long
// value reaches the file in pieces, and counts the values that hold the
// separator or CR or LF. A value is looked at between Begin() and End(); the
// buffer it is written to reports each part it hands on with Drained().
class SplitCheck {
public:
    explicit SplitCheck(QByteArray separator);

    // The value's bytes start at `offset` in the buffer.
    void Begin(std::size_t offset) {
        start_ = offset;
        sawSeparator_ = sawBreak_ = false;
        carry_.clear();
    }
    // The buffer hands on its first `count` bytes; the value's among them
    // are looked at, and the value goes on from the buffer's start.
    void Drained(const char* bytes, std::size_t count) {
        if (start_ == kNoValue) return;
        if (count > start_) Look(bytes + start_, count - start_);
        start_ = 0;
    }
    // The value ends at `size` in the buffer.
    void End(const char* buffer, std::size_t size) {
        if (size > start_) Look(buffer + start_, size - start_);
        if (sawSeparator_) ++problems_.valuesWithSeparator;
        if (sawBreak_) ++problems_.valuesWithLineBreak;
        start_ = kNoValue;
    }

    const SplitProblems& problems() const { return problems_; }

private:
    void Look(const char* bytes, std::size_t count);

    static constexpr std::size_t kNoValue = static_cast<std::size_t>(-1);

    // For each byte: whether it is CR or LF, whether it begins the separator.
    static constexpr unsigned char kBreakMark = 1;
    static constexpr unsigned char kSeparatorMark = 2;
    ByteMarks marks_;

    QByteArray separator_;
    SplitProblems problems_;
    std::size_t start_ = kNoValue;
    bool sawSeparator_ = false;
    bool sawBreak_ = false;
    // The end of the value's part before (one byte less than the
    // separator), so that a separator cut by a piece boundary is still found.
    QByteArray carry_;
};

}  // namespace lines
