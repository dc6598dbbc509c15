#include "db/result.h"

#include <chrono>

#include <errmsg.h>
#include <mysql.h>

#include "db/connector_columns.h"
#include "db/db_error.h"
#include "db/server_wait.h"

namespace db {

void ResultDeleter::operator()(st_mysql_res* res) const { mysql_free_result(res); }

StoredResult::StoredResult(st_mysql_res* res) : columns_(ReadColumns(res)) {
    const int n = fieldCount();
    rows_.reserve(static_cast<std::size_t>(mysql_num_rows(res)));
    while (MYSQL_ROW row = mysql_fetch_row(res)) {
        const unsigned long* lengths = mysql_fetch_lengths(res);
        std::vector<DbValue> values;
        values.reserve(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) {
            const ColumnInfo& c = columns_[static_cast<std::size_t>(i)];
            if (row[i] == nullptr)
                values.push_back(DbValue::Null(c.kind));
            else
                values.emplace_back(QByteArray(row[i], static_cast<qsizetype>(lengths[i])), c.kind);
        }
        rows_.push_back(std::move(values));
    }
}

StreamingResult::StreamingResult(st_mysql* connection, ResultHandle res, bool napForRows,
                                 std::shared_ptr<const WaitRules> waitRules)
    : connection_(connection),
      res_(std::move(res)),
      napForRows_(napForRows),
      waitRules_(waitRules ? std::move(waitRules) : std::make_shared<const WaitRules>()),
      columns_(ReadColumns(res_.get())) {}

bool StreamingResult::Next() {
    const auto started = WaitClock::now();
    if (napForRows_) {
        ServerWait wait(connection_, *waitRules_, started);
        int waitingFor = mysql_fetch_row_start(&row_, res_.get());
        while (waitingFor != 0) waitingFor = mysql_fetch_row_cont(&row_, res_.get(), wait.Wait(waitingFor));
        if (wait.timedOut()) throw NoRowInTime(*waitRules_);
    } else {
        row_ = mysql_fetch_row(res_.get());
    }
    if (row_ == nullptr) {
        // A TLS read waits in the kernel up to the read time-out and then
        // fails as a lost connection ("TLS/SSL error" or "Lost connection"):
        // said as the time-out it is.
        const unsigned number = mysql_errno(connection_);
        const double waited = SecondsSince(started);
        if ((number == CR_SERVER_LOST || number == CR_SSL_CONNECTION_ERROR) && waitRules_->boundSeconds > 0 &&
            waited + 0.5 >= waitRules_->boundSeconds)
            throw NoRowInTime(*waitRules_);
        if (number != 0) throw RowReadFailure(*waitRules_, number, QString::fromUtf8(mysql_error(connection_)));
        return false;
    }
    lengths_ = mysql_fetch_lengths(res_.get());
    return true;
}

}  // namespace db
