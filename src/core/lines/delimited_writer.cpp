#include "lines/delimited_writer.h"

#include "lines/binary_text.h"

namespace lines {
namespace {

// Where a part of UTF-8 text that a long value is read in can end without
// cutting a character in two: before the last character when that one is not
// whole.
std::size_t WholeCharacters(const char* bytes, std::size_t count) {
    std::size_t start = count;
    // A character is at most four bytes: its first byte is among the last four.
    for (std::size_t back = 1; back <= 4 && back <= count; ++back) {
        const auto byte = static_cast<unsigned char>(bytes[count - back]);
        if ((byte & 0xC0) != 0x80) {
            start = count - back;
            break;
        }
    }
    if (start == count) return count;
    const auto lead = static_cast<unsigned char>(bytes[start]);
    const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    return count - start >= length || start == 0 ? count : start;
}

}  // namespace

DelimitedWriter::DelimitedWriter(const std::vector<db::ColumnInfo>& columns, const ValueStyle& style,
                                 DelimitedLayout layout, BufferDrain& chunks)
    : style_(style),
      separator_(std::move(layout.separator)),
      header_(layout.header),
      chunks_(chunks),
      check_(separator_),
      quoter_(layout.quoting, separator_),
      out_(kChunkSize + (kChunkSize >> 2), this) {
    columns_.reserve(columns.size());
    for (const db::ColumnInfo& info : columns) {
        ColumnFormatter formatter(info, style);
        // Quoted values keep every line whole: nothing to count.
        const bool checked = !quoter_.active() && (formatter.MayHold('\r') || formatter.MayHold('\n') ||
                                                   (!separator_.isEmpty() && formatter.MayHold(separator_[0])));
        const ColumnQuoting quote = quoter_.ForColumn([&formatter](char byte) { return formatter.MayHold(byte); });
        columns_.push_back(Column{info, db::BinaryFormOf(info), std::move(formatter), checked, quote});
    }
}

void DelimitedWriter::Drain(const char* bytes, std::size_t count) {
    check_.Drained(bytes, count);
    chunks_.Drain(bytes, count);
}

void DelimitedWriter::WriteStart() {
    if (!header_) return;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        if (i != 0) Separator();
        const QByteArray name = style_.Encode(columns_[i].info.name);
        const ColumnQuoting quote = quoter_.ForColumn([](char) { return true; });
        const std::size_t start = quoter_.active() ? quoter_.Begin(out_, quote) : 0;
        out_.append(name.constData(), static_cast<std::size_t>(name.size()));
        if (quoter_.active()) quoter_.End(out_, start, quote);
    }
    LineEnd();
}

void DelimitedWriter::WriteRow(const db::StreamingResult& row) {
    const int count = static_cast<int>(columns_.size());
    for (int i = 0; i < count; ++i) {
        if (i != 0) Separator();
        if (!row.isNull(i)) Text(columns_[static_cast<std::size_t>(i)], row.data(i), row.length(i));
    }
    LineEnd();
}

void DelimitedWriter::WriteRow(db::BinaryResult& row) {
    const int count = static_cast<int>(columns_.size());
    for (int i = 0; i < count; ++i) {
        if (i != 0) Separator();
        if (!row.isNull(i)) Binary(columns_[static_cast<std::size_t>(i)], row, i);
    }
    LineEnd();
}

void DelimitedWriter::Text(const Column& column, const char* value, std::size_t length) {
    if (column.quote.any()) {
        QuotedText(column, value, length);
        return;
    }
    if (!column.checked) {
        column.formatter.Append(out_, value, length);
        return;
    }
    check_.Begin(out_.size());
    column.formatter.Append(out_, value, length);
    check_.End(out_.data(), out_.size());
}

void DelimitedWriter::Binary(const Column& column, db::BinaryResult& row, int i) {
    if (column.form == db::BinaryForm::Bytes) {
        if (row.length(i) > row.partCapacity(i)) {
            LongValue(column, row, i);
            return;
        }
        Text(column, row.data(i), row.length(i));
        return;
    }
    // Numbers, dates and times are formatted from their binary form; where
    // the file takes that text as it is, straight into the chunk.
    const bool inPlace = column.formatter.verbatim() && !column.checked && !column.quote.scan;
    if (inPlace && column.quote.enclose) out_.append('"');
    char text[kLongestBinaryText];
    char* const into = inPlace ? out_.tail(kLongestBinaryText) : text;
    std::size_t length = 0;
    using K = db::ColumnKind;
    const K kind = column.info.kind;
    if (column.form == db::BinaryForm::Integer)
        length = IntegerText(into, row.integer(i), column.info.isUnsigned,
                             column.info.zeroFill ? column.info.displayWidth : 0);
    else if (column.form == db::BinaryForm::Real)
        length = FloatText(into, row.real(i), column.info);
    else if (kind == K::Date)
        length = DateText(into, row.time(i));
    else if (kind == K::DateTime)
        length = DateTimeText(into, row.time(i), column.info.decimals);
    else
        length = TimeText(into, row.time(i), column.info.decimals);
    if (!inPlace) {
        Text(column, text, length);
        return;
    }
    out_.advance(length);
    if (column.quote.enclose) out_.append('"');
}

// The value's first part is in the result's buffer; the rest is read part by
// part, and a text that is turned into another character set is cut only
// between characters.
void DelimitedWriter::LongValue(const Column& column, db::BinaryResult& row, int i) {
    const std::size_t total = row.length(i);
    if (column.checked) check_.Begin(out_.size());
    // A quoted value short enough is looked at whole; a longer one is
    // enclosed from its first piece.
    const bool whole = total <= ValueQuoter::kWholeValue;
    std::size_t start = 0;
    if (column.quote.any() && whole) start = quoter_.Begin(out_, column.quote);
    OutputBuffer& into = column.quote.any() && !whole ? quoter_.BeginPieces(out_, column.quote) : out_;
    std::size_t offset = 0;
    std::size_t available = row.partCapacity(i);
    while (available != 0) {
        std::size_t usable = available;
        if (offset + available < total && column.formatter.needsWholeCharacters())
            usable = WholeCharacters(row.data(i), available);
        if (offset == 0)
            column.formatter.Append(into, row.data(i), usable);
        else
            column.formatter.AppendMore(into, row.data(i), usable);
        offset += usable;
        if (offset >= total) break;
        available = row.ReadPart(i, offset);
    }
    if (column.checked) check_.End(out_.data(), out_.size());
    if (!column.quote.any()) return;
    if (whole)
        quoter_.End(out_, start, column.quote);
    else
        quoter_.EndPieces(out_);
}

void DelimitedWriter::QuotedText(const Column& column, const char* value, std::size_t length) {
    if (length > ValueQuoter::kWholeValue) {
        column.formatter.Append(quoter_.BeginPieces(out_, column.quote), value, length);
        quoter_.EndPieces(out_);
        return;
    }
    const std::size_t start = quoter_.Begin(out_, column.quote);
    column.formatter.Append(out_, value, length);
    quoter_.End(out_, start, column.quote);
}

}  // namespace lines
