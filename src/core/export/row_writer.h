#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include <QByteArray>

#include "db/binary_result.h"
#include "db/result.h"
#include "export/column_formatter.h"
#include "export/output_buffer.h"
#include "export/split_check.h"
#include "export/value_quoter.h"
#include "export/value_style.h"

namespace exporter {

// Bytes formatted before they are handed on in one write.
inline constexpr std::size_t kChunkSize = std::size_t{2} << 20;

// Turns the header and the rows of an export into the file's lines: each
// value in its column's text, the values joined by the separator, CR LF after
// each line. The one place that decides which bytes a row becomes, whether
// the row came as text or in the server's binary form; it also counts the
// values that keep a line from being split back into its fields, or, when
// values are quoted, encloses them so that none does.
//
// Lines collect in a chunk that goes to `chunks` once it is full (or when
// flushed); a long value goes on in pieces, so the chunk never grows.
class RowWriter final : private BufferDrain {
public:
    RowWriter(const std::vector<db::ColumnInfo>& columns, const ValueStyle& style, QByteArray separator,
              BufferDrain& chunks, Quoting quoting = Quoting::None);

    // The field names, as the result reports them.
    void WriteHeader();
    void WriteRow(const db::StreamingResult& row);
    void WriteRow(db::BinaryResult& row);
    // The file always ends with one more line end.
    void WriteEnd() { LineEnd(); }

    bool chunkFull() const { return out_.size() >= kChunkSize; }
    // Hands on every byte written so far.
    void Flush() { out_.flush(); }

    const SplitProblems& splitProblems() const { return check_.problems(); }

private:
    struct Column {
        db::ColumnInfo info;
        ColumnFormatter formatter;
        // Only values that can hold a line break or the separator's first
        // byte are looked at: numbers and dates are written with few bytes.
        bool checked;
        ColumnQuoting quote;
    };

    void Drain(const char* bytes, std::size_t count) override;
    void Separator() {
        if (separator_.size() == 1)
            out_.append(separator_[0]);
        else
            out_.append(separator_.constData(), static_cast<std::size_t>(separator_.size()));
    }
    void LineEnd() { out_.append("\r\n", 2); }
    // One non-NULL value, given as the bytes a text result holds.
    void Text(const Column& column, const char* value, std::size_t length);
    void Binary(const Column& column, db::BinaryResult& row, int i);
    void LongValue(const Column& column, db::BinaryResult& row, int i);
    void QuotedText(const Column& column, const char* value, std::size_t length);

    std::vector<Column> columns_;
    ValueStyle style_;
    QByteArray separator_;
    BufferDrain& chunks_;
    SplitCheck check_;
    ValueQuoter quoter_;
    OutputBuffer out_;
};

}  // namespace exporter
