#pragma once

#include <cstddef>

#include "db/db_value.h"
#include "lines/output_buffer.h"
#include "lines/value_style.h"

namespace lines {

// Writes the values of one result column as text, chosen once per column
// from its type and the value style so that the row loop does no lookups.
// Text and integers are copied unchanged (text is turned into the
// character set of a legacy locale), and so are numbers and dates under the
// C locale; BIT values become numbers and binary values hex.
class ColumnFormatter {
public:
    ColumnFormatter(const db::ColumnInfo& column, const ValueStyle& style);

    bool verbatim() const { return kind_ == Kind::Verbatim; }
    // True when a value given in parts must be cut between characters.
    bool needsWholeCharacters() const { return kind_ == Kind::Transcoded; }
    // False when no value of the column can hold this byte as written:
    // numbers, dates, times, BIT and hex values are drawn from few bytes.
    bool MayHold(char byte) const { return alphabet_.isEmpty() || alphabet_.contains(byte); }

    // Appends the text of one non-NULL value, given as the server sent it.
    void Append(OutputBuffer& out, const char* value, std::size_t length) const {
        if (kind_ == Kind::Verbatim)
            out.append(value, length);
        else
            AppendConverted(out, value, length);
    }

    // Appends the next part of a value given in parts, the first of which
    // went to Append(). A text part must end between characters.
    void AppendMore(OutputBuffer& out, const char* value, std::size_t length) const;

private:
    enum class Kind { Verbatim, Decimal, Date, DateTime, Bit, Hex, Transcoded };

    void AppendConverted(OutputBuffer& out, const char* value, std::size_t length) const;
    void AppendDecimal(OutputBuffer& out, const char* value, std::size_t length) const;
    // False when the value is no real date (a zero date, month 13): it is then
    // left as sent.
    bool AppendDate(OutputBuffer& out, const char* value, std::size_t length) const;

    Kind kind_ = Kind::Verbatim;
    ValueStyle style_;
    QByteArray alphabet_;  // every byte the column's values are written with; empty: any
};

}  // namespace lines
