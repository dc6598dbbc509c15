#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "db/db_value.h"
#include "db/wait_rules.h"

// The connector's handles, known here by name only.
struct st_mysql;
struct st_mysql_res;

namespace db {

struct ResultDeleter {
    void operator()(st_mysql_res* res) const;
};
using ResultHandle = std::unique_ptr<st_mysql_res, ResultDeleter>;

// A result held wholly on the client with an exact row count (the table list,
// the preview). It owns copies of its rows and keeps no server handle.
class StoredResult {
public:
    StoredResult() = default;
    explicit StoredResult(st_mysql_res* res);  // reads every row; does not take ownership

    std::size_t rowCount() const { return rows_.size(); }
    int fieldCount() const { return static_cast<int>(columns_.size()); }
    const ColumnInfo& column(int i) const { return columns_.at(static_cast<std::size_t>(i)); }
    const std::vector<ColumnInfo>& columns() const { return columns_; }
    const DbValue& value(std::size_t row, int column) const {
        return rows_.at(row).at(static_cast<std::size_t>(column));
    }

private:
    std::vector<ColumnInfo> columns_;
    std::vector<std::vector<DbValue>> rows_;
};

// A result read from the server one row at a time (mysql_use_result), so
// memory stays flat however many rows there are. The connection that made it
// must outlive it and must not be used for anything else meanwhile.
class StreamingResult {
public:
    // With napForRows, waits for a row keep the wait rules' bound (see
    // ServerWait); without it they wait as the connection's read time-out lets.
    StreamingResult(st_mysql* connection, ResultHandle res, bool napForRows = false,
                    std::shared_ptr<const WaitRules> waitRules = {});

    int fieldCount() const { return static_cast<int>(columns_.size()); }
    const std::vector<ColumnInfo>& columns() const { return columns_; }

    // Moves to the next row: false at the end. Throws DbError when a row is
    // lost (the server went away, the connection broke).
    //
    // On a connection opened with napForRows, a wait for the server is a
    // series of short naps before it becomes a plain wait: a reader that
    // sleeps in the kernel has to be woken by the server for every packet,
    // which costs the server's one busy thread about a tenth of its time.
    bool Next();

    // Valid after next() returned true, until the next call.
    bool isNull(int i) const { return row_[i] == nullptr; }
    const char* data(int i) const { return row_[i]; }
    std::size_t length(int i) const { return lengths_[i]; }

private:
    st_mysql* connection_;
    ResultHandle res_;
    bool napForRows_;
    std::shared_ptr<const WaitRules> waitRules_;
    std::vector<ColumnInfo> columns_;
    char** row_ = nullptr;
    unsigned long* lengths_ = nullptr;
};

}  // namespace db
