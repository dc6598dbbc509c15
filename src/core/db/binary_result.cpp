#include "db/binary_result.h"

#include <algorithm>
#include <chrono>
#include <cstddef>

#include <errmsg.h>
#include <mysql.h>
#include <mysqld_error.h>

#include "db/connector_columns.h"
#include "db/db_error.h"
#include "db/db_logging.h"
#include "db/server_wait.h"

namespace db {

// The time cells are handed to the connector as its own time structure.
static_assert(sizeof(TimeFields) == sizeof(MYSQL_TIME));
static_assert(offsetof(TimeFields, year) == offsetof(MYSQL_TIME, year));
static_assert(offsetof(TimeFields, month) == offsetof(MYSQL_TIME, month));
static_assert(offsetof(TimeFields, day) == offsetof(MYSQL_TIME, day));
static_assert(offsetof(TimeFields, hour) == offsetof(MYSQL_TIME, hour));
static_assert(offsetof(TimeFields, minute) == offsetof(MYSQL_TIME, minute));
static_assert(offsetof(TimeFields, second) == offsetof(MYSQL_TIME, second));
static_assert(offsetof(TimeFields, microsecond) == offsetof(MYSQL_TIME, second_part));
static_assert(offsetof(TimeFields, negative) == offsetof(MYSQL_TIME, neg));

namespace {

// A string value longer than its column's buffer is read in parts; the
// buffers of all columns together stay within a few MiB.
constexpr std::size_t kLargestPart = std::size_t{16} << 10;
constexpr std::size_t kSmallestPart = 256;
constexpr std::size_t kAllParts = std::size_t{4} << 20;

[[noreturn]] void FailStatement(MYSQL_STMT* statement) {
    qCDebug(lcDb) << "statement failed:" << mysql_stmt_errno(statement) << mysql_stmt_error(statement);
    QString words = QString::fromUtf8(mysql_stmt_error(statement));
    // The connector gives up on some answers (more than 65,535 columns)
    // without a word; the failure must still say something.
    if (words.isEmpty())
        words = QStringLiteral(
            "The server's answer to the statement could not be read, and the connector gave no reason (a result "
            "of more than 65,535 columns is one).");
    throw DbError(words, mysql_stmt_errno(statement));
}

// The server could not prepare a statement that it may well run as text:
// the prepared statements' own limits, or a server or proxy without them.
// Anything else (a syntax error, an unknown column, a lost connection) the
// text would meet as well.
bool RefusedByPreparedStatements(unsigned number) {
    switch (number) {
    case ER_MAX_PREPARED_STMT_COUNT_REACHED:
    case ER_UNSUPPORTED_PS:
    case ER_PS_NO_RECURSION:
    case ER_UNKNOWN_COM_ERROR: return true;
    default: return false;
    }
}

// A TLS read waits in the kernel up to the read time-out and then fails as a
// lost connection: such a failure is the time-out it is.
bool RanOutOfTime(MYSQL* connection, const WaitRules& rules, WaitClock::time_point started) {
    const unsigned number = mysql_errno(connection);
    const double waited = SecondsSince(started);
    return (number == CR_SERVER_LOST || number == CR_SSL_CONNECTION_ERROR) && rules.boundSeconds > 0 &&
           waited + 0.5 >= rules.boundSeconds;
}

// Runs the prepared statement. On a connection in the non-blocking mode its
// answer (which a table locked by another session holds back) is waited for
// as rows are: told about and bounded with TLS as without it.
void Execute(MYSQL* connection, bool napForRows, const WaitRules& rules, MYSQL_STMT* statement) {
    const auto started = WaitClock::now();
    int failed = 0;
    if (napForRows) {
        ServerWait wait(connection, rules, started);
        int waitingFor = mysql_stmt_execute_start(&failed, statement);
        while (waitingFor != 0) waitingFor = mysql_stmt_execute_cont(&failed, statement, wait.Wait(waitingFor));
        if (wait.timedOut()) throw NoAnswerInTime(rules);
    } else {
        failed = mysql_stmt_execute(statement);
    }
    if (failed == 0) return;
    if (RanOutOfTime(connection, rules, started)) throw NoAnswerInTime(rules);
    FailStatement(statement);
}

}  // namespace

const char* WhyNotInBinary(const ColumnInfo& column) {
    switch (column.kind) {
    case ColumnKind::Integer:
        // The server sends as many bits as it declares, cutting off the rest.
        if (column.computed && column.integerBits < 64)
            return "is computed, and its values may be wider than the integer the server sends";
        return nullptr;
    case ColumnKind::Year: return column.displayWidth == 4 ? nullptr : "is a two-digit YEAR";
    case ColumnKind::Time:
        // A negative zero ("-00:00:00", from SEC_TO_TIME(-1e-8)) travels as
        // a plain zero; no stored TIME holds one.
        if (column.computed) return "is a computed TIME, whose sign the binary form loses at zero";
        [[fallthrough]];
    case ColumnKind::DateTime: return column.decimals <= 6 ? nullptr : "has more than six fractional digits";
    case ColumnKind::Other: return "has a type of its own";
    default: return nullptr;
    }
}

BinaryForm BinaryFormOf(const ColumnInfo& column) {
    if (WhyNotInBinary(column) != nullptr) return BinaryForm::NotRead;
    switch (column.kind) {
    case ColumnKind::Integer:
    case ColumnKind::Year: return BinaryForm::Integer;
    case ColumnKind::Float: return BinaryForm::Real;
    case ColumnKind::Date:
    case ColumnKind::DateTime:
    case ColumnKind::Time: return BinaryForm::Time;
    default: return BinaryForm::Bytes;
    }
}

struct BinaryResult::Statement {
    explicit Statement(MYSQL* connection) : handle(mysql_stmt_init(connection)) {
        if (handle == nullptr) throw DbError(QStringLiteral("Out of memory while preparing a statement."));
    }
    ~Statement() { mysql_stmt_close(handle); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Throws RowsNotBinary with the server's reason when its prepared
    // statements refuse this one, and DbError when the statement itself is
    // wrong: as text it would fail the same, so it is not sent again.
    static std::unique_ptr<Statement> Prepared(MYSQL* connection, const QString& sql) {
        qCDebug(lcDb).noquote() << "preparing:" << sql;
        auto statement = std::make_unique<Statement>(connection);
        const QByteArray bytes = sql.toUtf8();
        if (mysql_stmt_prepare(statement->handle, bytes.constData(), static_cast<unsigned long>(bytes.size())) != 0) {
            qCDebug(lcDb) << "not prepared:" << mysql_stmt_errno(statement->handle)
                          << mysql_stmt_error(statement->handle);
            if (!RefusedByPreparedStatements(mysql_stmt_errno(statement->handle))) FailStatement(statement->handle);
            throw RowsNotBinary(std::string("the statement could not be prepared: ") +
                                mysql_stmt_error(statement->handle));
        }
        return statement;
    }
    std::vector<ColumnInfo> Columns() const {
        const std::unique_ptr<MYSQL_RES, ResultDeleter> metadata(mysql_stmt_result_metadata(handle));
        // Nothing to read as text either (SELECT ... INTO): the statement is
        // not run.
        if (!metadata) throw DbError(QStringLiteral("The statement returns no rows."));
        return ReadColumns(metadata.get());
    }
    // The columns as the run's answer describes them. The connector copies
    // only their types into the prepared columns; a column renamed between
    // the preparing and the run keeps its old name there.
    std::vector<ColumnInfo> RunColumns() const {
        const MYSQL* connection = handle->mysql;
        if (connection->fields == nullptr || connection->field_count != handle->field_count) return Columns();
        std::vector<ColumnInfo> columns;
        columns.reserve(connection->field_count);
        for (unsigned i = 0; i < connection->field_count; ++i) columns.push_back(DescribeColumn(connection->fields[i]));
        return columns;
    }

    MYSQL_STMT* handle;
    std::vector<MYSQL_BIND> binds;
};

BinaryResult BinaryResult::Run(Connection& connection, const QString& sql) {
    std::unique_ptr<Statement> statement = Statement::Prepared(connection.handle(), sql);
    const std::vector<ColumnInfo> prepared = statement->Columns();  // throws for a statement without rows
    // A "?" in a condition the user typed is no value to bind: as text the
    // server says what is wrong with it.
    if (mysql_stmt_param_count(statement->handle) != 0)
        throw RowsNotBinary("the statement holds a parameter marker", true);
    for (const ColumnInfo& column : prepared) {
        if (const char* why = WhyNotInBinary(column))
            throw RowsNotBinary(QStringLiteral("the column %1 %2").arg(column.name, QLatin1String(why)).toStdString(),
                                true);
    }
    try {
        Execute(connection.handle(), connection.napsForRows(), *connection.waitRules(), statement->handle);
    } catch (const DbError& e) {
        if (e.number() != CR_NEW_STMT_METADATA && e.number() != ER_NEED_REPREPARE) throw;
        ColumnsChanged(connection);
    }
    // The values are read, and the header named, as the run's answer says (a
    // table altered meanwhile).
    std::vector<ColumnInfo> columns = statement->RunColumns();
    if (std::any_of(columns.begin(), columns.end(),
                    [](const ColumnInfo& column) { return BinaryFormOf(column) == BinaryForm::NotRead; }))
        ColumnsChanged(connection);
    return BinaryResult(connection, std::move(statement), std::move(columns));
}

void BinaryResult::ColumnsChanged(Connection& connection) {
    // The rows of the run are on their way and fit no binding: they are cut
    // off rather than read to their end.
    connection.AbandonResult();
    throw DbError(QStringLiteral("The table's columns changed while the export started; run it again."),
                  CR_NEW_STMT_METADATA);
}

BinaryResult::BinaryResult(Connection& connection, std::unique_ptr<Statement> statement,
                           std::vector<ColumnInfo> columns)
    : connection_(connection.handle()),
      napForRows_(connection.napsForRows()),
      waitRules_(connection.waitRules()),
      statement_(std::move(statement)),
      columns_(std::move(columns)),
      cells_(columns_.size()) {
    const std::size_t partSize =
        std::clamp(kAllParts / std::max<std::size_t>(columns_.size(), 1), kSmallestPart, kLargestPart);
    std::vector<MYSQL_BIND>& binds = statement_->binds;
    binds.resize(columns_.size());
    const MYSQL_FIELD* fields = statement_->handle->fields;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        const ColumnInfo& column = columns_[i];
        Cell& cell = cells_[i];
        MYSQL_BIND& bind = binds[i];
        bind = MYSQL_BIND{};
        bind.is_null = &cell.null;
        bind.length = &cell.length;
        bind.error = &cell.truncated;
        switch (BinaryFormOf(column)) {
        case BinaryForm::Integer:
            bind.buffer_type = MYSQL_TYPE_LONGLONG;
            bind.buffer = &cell.integer;
            bind.is_unsigned = column.isUnsigned ? my_bool{1} : my_bool{0};
            break;
        case BinaryForm::Real:
            // FLOAT as FLOAT, so that its digits are those of the float.
            bind.buffer_type = fields[i].type;
            bind.buffer = column.singlePrecision ? static_cast<void*>(&cell.single) : &cell.real;
            break;
        case BinaryForm::Time:
            bind.buffer_type = fields[i].type;
            bind.buffer = &cell.time;
            bind.buffer_length = sizeof(MYSQL_TIME);
            break;
        case BinaryForm::NotRead:  // refused by Run() before a result is made
        case BinaryForm::Bytes:
            cell.capacity = std::clamp<std::size_t>(column.displayWidth, 64, partSize);
            cell.bytes = std::make_unique<char[]>(cell.capacity);
            bind.buffer_type = MYSQL_TYPE_STRING;
            bind.buffer = cell.bytes.get();
            bind.buffer_length = cell.capacity;
            break;
        }
    }
    if (mysql_stmt_bind_result(statement_->handle, binds.data()) != 0) FailStatement(statement_->handle);
}

BinaryResult::~BinaryResult() = default;
BinaryResult::BinaryResult(BinaryResult&&) noexcept = default;

bool BinaryResult::Next() {
    MYSQL_STMT* const statement = statement_->handle;
    int result = 0;
    const auto started = WaitClock::now();
    if (napForRows_) {
        ServerWait wait(connection_, *waitRules_, started);
        int waitingFor = mysql_stmt_fetch_start(&result, statement);
        while (waitingFor != 0) waitingFor = mysql_stmt_fetch_cont(&result, statement, wait.Wait(waitingFor));
        if (wait.timedOut()) throw NoRowInTime(*waitRules_);
    } else {
        result = mysql_stmt_fetch(statement);
    }
    if (result == MYSQL_NO_DATA) return false;
    if (result == 0 || result == MYSQL_DATA_TRUNCATED) return true;
    if (RanOutOfTime(connection_, *waitRules_, started)) throw NoRowInTime(*waitRules_);
    // A lost connection is told by the connection, not by the statement.
    if (mysql_stmt_errno(statement) != 0) FailStatement(statement);
    qCDebug(lcDb) << "fetch failed:" << mysql_errno(connection_) << mysql_error(connection_);
    if (mysql_errno(connection_) != 0)
        throw RowReadFailure(*waitRules_, mysql_errno(connection_), QString::fromUtf8(mysql_error(connection_)));
    throw DbError(QStringLiteral("The connection to the server was lost while the rows were read."));
}

std::size_t BinaryResult::ReadPart(int i, std::size_t offset) {
    Cell& cell = cells_[static_cast<std::size_t>(i)];
    unsigned long length = 0;
    char null = 0;
    char truncated = 0;
    MYSQL_BIND part{};
    part.buffer_type = MYSQL_TYPE_STRING;
    part.buffer = cell.bytes.get();
    part.buffer_length = cell.capacity;
    part.length = &length;
    part.is_null = &null;
    part.error = &truncated;
    if (mysql_stmt_fetch_column(statement_->handle, &part, static_cast<unsigned>(i), offset) != 0)
        FailStatement(statement_->handle);
    return offset >= length ? 0 : std::min<std::size_t>(length - offset, cell.capacity);
}

}  // namespace db
