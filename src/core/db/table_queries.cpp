#include "db/table_queries.h"

#include <algorithm>

#include <QStringList>

#include <mysqld_error.h>

#include "db/db_error.h"
#include "db/identifier.h"

namespace db {
namespace {

// A statement on a table that gets no answer in time most likely waits for a
// lock: the words say which table and why.
template <typename Read>
auto NamingALock(const QString& tableName, Read read) {
    try {
        return read();
    } catch (const DbError& e) {
        if (e.number() != kNoAnswerInTime) throw;
        const QString words =
            QString::fromUtf8(e.what()) +
            QStringLiteral(" The table %1 may be locked by another session.").arg(QuoteIdentifier(tableName));
        throw DbError(words, e.number(), words);
    }
}

}  // namespace

static_assert(kChangeInReadOnlyTransaction == ER_CANT_EXECUTE_IN_READ_ONLY_TRANSACTION);

void BeginReadOnly(Connection& connection) { connection.Execute(QStringLiteral("START TRANSACTION READ ONLY")); }

StoredResult ListTables(Connection& connection) { return connection.Query(QStringLiteral("SHOW TABLES;")); }

namespace {

constexpr std::size_t kPreviewRows = 100;
// What the cut text and binary values of the preview may take together
// (reading holds them twice for a moment: the connector's rows and their
// copy); a character of utf8mb4 is at most 4 bytes.
constexpr std::size_t kPreviewValueBytes = std::size_t{24} << 20;
constexpr std::size_t kBytesPerCharacter = 4;
constexpr std::size_t kMostPreviewCharacters = 1024;
constexpr std::size_t kLeastPreviewCharacters = 16;

// Text and binary columns whose values may be longer than the preview
// reads (TEXT, BLOB, JSON, GEOMETRY, a long VARCHAR): their widest value,
// in bytes, is more than that many characters.
bool MayHoldLongValues(const ColumnInfo& column, std::size_t keptCharacters) {
    return column.isString() && column.displayWidth > keptCharacters;
}

QString PreviewStatement(const QString& tableName, const QString& columnList) {
    return QStringLiteral("SELECT ") + columnList + QStringLiteral(" FROM ") + QuoteIdentifier(tableName) +
           QStringLiteral(" LIMIT 100;");
}

}  // namespace

std::size_t PreviewCharacters(const std::vector<ColumnInfo>& columns) {
    std::size_t strings = 0;
    for (const ColumnInfo& column : columns)
        if (column.isString()) ++strings;
    const std::size_t perValue = kPreviewValueBytes / (kPreviewRows * std::max<std::size_t>(strings, 1));
    // One character more than shown is read, so that a cut shows.
    return std::clamp(perValue / kBytesPerCharacter, kLeastPreviewCharacters + 1, kMostPreviewCharacters + 1) - 1;
}

QString PreviewQueryText(const QString& tableName) { return PreviewStatement(tableName, QStringLiteral("*")); }

QString PreviewQueryText(const QString& tableName, const std::vector<ColumnInfo>& columns) {
    const std::size_t kept = PreviewCharacters(columns) + 1;
    const auto isLong = [kept](const ColumnInfo& column) { return MayHoldLongValues(column, kept); };
    if (std::none_of(columns.begin(), columns.end(), isLong)) return PreviewQueryText(tableName);
    QStringList list;
    for (const ColumnInfo& column : columns) {
        const QString name = QuoteIdentifier(column.name);
        list << (isLong(column) ? QStringLiteral("LEFT(%1, %2) AS %1").arg(name, QString::number(kept)) : name);
    }
    return PreviewStatement(tableName, list.join(QStringLiteral(", ")));
}

StoredResult PreviewTable(Connection& connection, const QString& tableName) {
    return NamingALock(tableName, [&] {
        // A view may call a function that writes: a look at it changes nothing.
        BeginReadOnly(connection);
        const StoredResult columns = connection.Query(QStringLiteral("SELECT * FROM ") + QuoteIdentifier(tableName) +
                                                      QStringLiteral(" LIMIT 0;"));
        return connection.Query(PreviewQueryText(tableName, columns.columns()));
    });
}

QString SelectQueryText(const QString& fieldListText, const QString& tableName, const QString& where) {
    QString text = QStringLiteral("SELECT ") + fieldListText + QStringLiteral(" FROM ") + QuoteIdentifier(tableName);
    if (!where.isEmpty()) text += QStringLiteral(" WHERE (") + where + QStringLiteral("\n)");
    return text;
}

StreamingResult StreamSelection(Connection& connection, const QString& fieldListText, const QString& tableName,
                                const QString& where) {
    return NamingALock(tableName, [&] { return connection.Stream(SelectQueryText(fieldListText, tableName, where)); });
}

BinaryResult ReadSelectionInBinary(Connection& connection, const QString& fieldListText, const QString& tableName,
                                   const QString& where) {
    return NamingALock(tableName,
                       [&] { return BinaryResult::Run(connection, SelectQueryText(fieldListText, tableName, where)); });
}

std::uint64_t EstimateRowCount(Connection& connection, const QString& tableName) {
    try {
        const StoredResult result =
            connection.Query(QStringLiteral("SELECT TABLE_ROWS FROM information_schema.TABLES "
                                            "WHERE TABLE_SCHEMA = DATABASE() AND TABLE_NAME = ") +
                             connection.QuoteText(tableName));
        if (result.rowCount() == 0 || result.value(0, 0).isNull()) return 0;
        return result.value(0, 0).bytes().toULongLong();
    } catch (const std::exception&) {
        return 0;
    }
}

void EndStatementOf(Connection& connection, unsigned long connectionId) {
    connection.Execute(QStringLiteral("KILL QUERY %1").arg(connectionId));
}

}  // namespace db
