#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include <QByteArray>

#include "db/binary_result.h"
#include "db/result.h"
#include "lines/column_formatter.h"
#include "lines/line_writer.h"
#include "lines/output_buffer.h"
#include "lines/split_check.h"
#include "lines/value_quoter.h"
#include "lines/value_style.h"

namespace lines {

// Bytes formatted before they are handed on in one write.
inline constexpr std::size_t kChunkSize = std::size_t{2} << 20;

// How the lines of a delimited file are laid out.
struct DelimitedLayout {
    QByteArray separator;  // the bytes placed between two fields
    bool header = true;    // the first line holds the field names
    Quoting quoting = Quoting::None;
};

// The delimited line format: each value in its column's text, the values
// joined by the separator, CR LF after each line and once more at the end.
// The one place that decides which bytes a row of such a file becomes,
// whether the row came as text or in the server's binary form; it also
// counts the values that keep a line from being split back into its fields,
// or, when values are quoted, encloses them so that none does.
//
// Lines collect in a chunk that goes to `chunks` once it is full (or when
// flushed); a long value goes on in pieces, so the chunk never grows.
class DelimitedWriter final : public LineWriter, private BufferDrain {
public:
    DelimitedWriter(const std::vector<db::ColumnInfo>& columns, const ValueStyle& style, DelimitedLayout layout,
                    BufferDrain& chunks);
    DelimitedWriter(const DelimitedWriter&) = delete;
    DelimitedWriter& operator=(const DelimitedWriter&) = delete;

    // The field names, as the result reports them, when the layout asks
    // for them.
    void WriteStart() override;
    void WriteRow(const db::StreamingResult& row) override;
    void WriteRow(db::BinaryResult& row) override;
    // The file always ends with one more line end.
    void WriteEnd() override { LineEnd(); }

    bool chunkFull() const override { return out_.size() >= kChunkSize; }
    void Flush() override { out_.flush(); }

    SplitProblems splitProblems() const override { return check_.problems(); }

private:
    struct Column {
        db::ColumnInfo info;
        // How a binary result hands its values over.
        db::BinaryForm form;
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
    bool header_;
    BufferDrain& chunks_;
    SplitCheck check_;
    ValueQuoter quoter_;
    OutputBuffer out_;
};

}  // namespace lines
