#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <vector>

#include <QString>

#include "db/column_info.h"
#include "db/connection.h"
#include "db/wait_rules.h"

namespace db {

// A date, a time or both, as the server sends it in its binary form. Hours
// of a TIME count beyond 24; `negative` is set for a negative TIME.
struct TimeFields {
    unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    unsigned long microsecond = 0;
    char negative = 0;
    int connectorKind = 0;  // not used
};

// How a BinaryResult hands over the values of a column: the one decision of
// what is read in binary, for the result that asks for the values and for
// whoever writes them.
enum class BinaryForm {
    NotRead,  // the column keeps the SELECT from being read in binary
    Integer,  // integer(): Integer and four-digit Year columns
    Real,     // real(): FLOAT and DOUBLE
    Time,     // time(): Date, DateTime and Time columns
    Bytes,    // data() and ReadPart(): the same bytes as in a text result
};
// A two-digit YEAR, more than six fractional digits, types of their own, and
// computed columns whose binary form can lose a value (an integer narrower
// than 64 bits, a TIME) are left to a text result; every other column's
// values are known to come out the same as in one.
BinaryForm BinaryFormOf(const ColumnInfo& column);
// Why a column keeps the SELECT from being read in binary ("is a two-digit
// YEAR"), or nullptr when it does not.
const char* WhyNotInBinary(const ColumnInfo& column);

// The rows of a prepared SELECT, read one at a time (an unbuffered fetch),
// with numbers, dates and times in the server's binary form instead of
// text: the server spends about a third less time on such values. Every
// other value arrives as the same bytes as in a text result. One prepared
// statement, run once, with the SELECT exactly as given.
//
// The connection that made it must outlive it and must not be used for
// anything else meanwhile.
class BinaryResult {
public:
    ~BinaryResult();
    BinaryResult(BinaryResult&&) noexcept;
    BinaryResult& operator=(BinaryResult&&) = delete;

    // Prepares and runs a SELECT. Throws DbError when the statement is wrong,
    // returns no rows or cannot be run, and RowsNotBinary when the server's prepared
    // statements refuse it (max_prepared_stmt_count reached, a server or
    // proxy without them) or a column has a type this result does not read:
    // only then is it worth reading as text, and the statement has not run.
    //
    // The columns are those the run's answer describes: a table altered
    // between the preparing and the run gives its new types, which the
    // values are read with. When the count of columns changed, or a column
    // became one this result does not read, the answer is given up (the
    // connection is then of no more use) and DbError says so.
    static BinaryResult Run(Connection& connection, const QString& sql);

    int fieldCount() const { return static_cast<int>(columns_.size()); }
    const std::vector<ColumnInfo>& columns() const { return columns_; }

    // Moves to the next row: false at the end. Throws DbError when a row is
    // lost. Waits for rows as StreamingResult::Next() does.
    bool Next();

    // Valid after Next() returned true, until the next call.
    bool isNull(int i) const { return cells_[static_cast<std::size_t>(i)].null != 0; }
    // Integer and Year columns; UNSIGNED ones hold the bits of a uint64_t.
    std::int64_t integer(int i) const { return cells_[static_cast<std::size_t>(i)].integer; }
    // Float columns.
    double real(int i) const {
        const Cell& cell = cells_[static_cast<std::size_t>(i)];
        return columns_[static_cast<std::size_t>(i)].singlePrecision ? cell.single : cell.real;
    }
    // Date, DateTime and Time columns.
    const TimeFields& time(int i) const { return cells_[static_cast<std::size_t>(i)].time; }
    // Every other column: the value's first bytes, up to its whole length()
    // or to partCapacity(), whichever is less; ReadPart() gives the rest.
    const char* data(int i) const { return cells_[static_cast<std::size_t>(i)].bytes.get(); }
    std::size_t length(int i) const { return cells_[static_cast<std::size_t>(i)].length; }
    std::size_t partCapacity(int i) const { return cells_[static_cast<std::size_t>(i)].capacity; }
    // Copies the bytes of a long value from `offset` into the column's
    // buffer (data()), as many as fit; returns how many.
    std::size_t ReadPart(int i, std::size_t offset);

private:
    struct Cell {
        union {
            std::int64_t integer;
            double real;
            float single;
            TimeFields time;
        };
        unsigned long length = 0;
        char null = 0;
        char truncated = 0;
        std::unique_ptr<char[]> bytes;
        std::size_t capacity = 0;
        Cell() : time() {}
    };
    struct Statement;

    BinaryResult(Connection& connection, std::unique_ptr<Statement> statement, std::vector<ColumnInfo> columns);
    [[noreturn]] static void ColumnsChanged(Connection& connection);

    st_mysql* connection_;
    bool napForRows_;
    std::shared_ptr<const WaitRules> waitRules_;
    std::unique_ptr<Statement> statement_;
    std::vector<ColumnInfo> columns_;
    std::vector<Cell> cells_;
};

// Why a SELECT is not read in the binary form: the server's prepared
// statements refused it, or it was prepared and found to return rows that
// are not read that way.
class RowsNotBinary : public std::runtime_error {
public:
    explicit RowsNotBinary(const std::string& why, bool preparedWithRows = false)
        : std::runtime_error(why), preparedWithRows_(preparedWithRows) {}
    // The server parsed the text as one statement that returns rows: sent
    // as text, the same text can do nothing else.
    bool preparedWithRows() const { return preparedWithRows_; }

private:
    bool preparedWithRows_;
};

}  // namespace db
