#include "db/result.h"

#include <cerrno>
#include <ctime>

#include <poll.h>

#include "db/db_error.h"

namespace db {

namespace {

// Waits until the connection can go on with what it is waiting for and tells
// which of those happened. The first millisecond is spent in naps of 50
// microseconds that look at the socket without waiting on it, so that a
// fast server fills the socket undisturbed; then it waits plainly, up to the
// connection's read time-out.
int WaitForServer(MYSQL* connection, int waitingFor) {
    constexpr int kNaps = 20;
    constexpr timespec kNap{0, 50'000};
    pollfd socket{static_cast<int>(mysql_get_socket(connection)), 0, 0};
    if (waitingFor & MYSQL_WAIT_READ) socket.events |= POLLIN;
    if (waitingFor & MYSQL_WAIT_WRITE) socket.events |= POLLOUT;
    if (waitingFor & MYSQL_WAIT_EXCEPT) socket.events |= POLLPRI;
    int ready = 0;
    for (int nap = 0; nap < kNaps && ready <= 0; ++nap) {
        ready = poll(&socket, 1, 0);
        if (ready <= 0) nanosleep(&kNap, nullptr);
    }
    if (ready <= 0) {
        const int timeout =
            (waitingFor & MYSQL_WAIT_TIMEOUT) ? static_cast<int>(mysql_get_timeout_value_ms(connection)) : -1;
        do {
            ready = poll(&socket, 1, timeout);
        } while (ready < 0 && errno == EINTR);
        // A socket that cannot be watched ends the wait like a time-out, which
        // the connector reports as a lost read.
        if (ready <= 0) return MYSQL_WAIT_TIMEOUT;
    }
    int happened = 0;
    if (socket.revents & (POLLIN | POLLHUP | POLLERR)) happened |= MYSQL_WAIT_READ;
    if (socket.revents & (POLLOUT | POLLHUP | POLLERR)) happened |= MYSQL_WAIT_WRITE;
    if (socket.revents & POLLPRI) happened |= MYSQL_WAIT_EXCEPT;
    return happened & waitingFor;
}

}  // namespace

bool ColumnInfo::isString() const {
    switch (type) {
    case MYSQL_TYPE_STRING:
    case MYSQL_TYPE_VAR_STRING:
    case MYSQL_TYPE_VARCHAR:
    case MYSQL_TYPE_BLOB:
    case MYSQL_TYPE_TINY_BLOB:
    case MYSQL_TYPE_MEDIUM_BLOB:
    case MYSQL_TYPE_LONG_BLOB:
    case MYSQL_TYPE_ENUM:
    case MYSQL_TYPE_SET:
    case MYSQL_TYPE_JSON:
    case MYSQL_TYPE_GEOMETRY: return true;
    default: return false;
    }
}

std::vector<ColumnInfo> ReadColumns(MYSQL_RES* res) {
    std::vector<ColumnInfo> columns;
    const unsigned count = mysql_num_fields(res);
    MYSQL_FIELD* fields = mysql_fetch_fields(res);
    columns.reserve(count);
    for (unsigned i = 0; i < count; ++i) {
        ColumnInfo c;
        c.name = QString::fromUtf8(fields[i].name, static_cast<qsizetype>(fields[i].name_length));
        c.type = fields[i].type;
        c.flags = fields[i].flags;
        c.charsetNumber = fields[i].charsetnr;
        c.decimals = fields[i].decimals;
        columns.push_back(std::move(c));
    }
    return columns;
}

StoredResult::StoredResult(MYSQL_RES* res) : columns_(ReadColumns(res)) {
    const int n = fieldCount();
    rows_.reserve(static_cast<std::size_t>(mysql_num_rows(res)));
    while (MYSQL_ROW row = mysql_fetch_row(res)) {
        const unsigned long* lengths = mysql_fetch_lengths(res);
        std::vector<DbValue> values;
        values.reserve(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) {
            const ColumnInfo& c = columns_[static_cast<std::size_t>(i)];
            if (row[i] == nullptr)
                values.push_back(DbValue::Null(c.type));
            else
                values.emplace_back(QByteArray(row[i], static_cast<qsizetype>(lengths[i])), c.type, c.isBinary());
        }
        rows_.push_back(std::move(values));
    }
}

StreamingResult::StreamingResult(MYSQL* connection, ResultHandle res, bool napForRows)
    : connection_(connection), res_(std::move(res)), napForRows_(napForRows), columns_(ReadColumns(res_.get())) {}

bool StreamingResult::Next() {
    if (napForRows_) {
        int waitingFor = mysql_fetch_row_start(&row_, res_.get());
        while (waitingFor != 0)
            waitingFor = mysql_fetch_row_cont(&row_, res_.get(), WaitForServer(connection_, waitingFor));
    } else {
        row_ = mysql_fetch_row(res_.get());
    }
    if (row_ == nullptr) {
        if (mysql_errno(connection_) != 0)
            throw DbError(QString::fromUtf8(mysql_error(connection_)), mysql_errno(connection_));
        return false;
    }
    lengths_ = mysql_fetch_lengths(res_.get());
    return true;
}

}  // namespace db
