#include "db/table_queries.h"

#include <QStringList>

#include "db/identifier.h"

namespace db {

StoredResult ListTables(Connection& connection) { return connection.Query(QStringLiteral("SHOW TABLES;")); }

QString PreviewQueryText(const QString& tableName) {
    return QStringLiteral("SELECT * FROM ") + QuoteIdentifier(tableName) + QStringLiteral(" LIMIT 100;");
}

StoredResult PreviewTable(Connection& connection, const QString& tableName) {
    return connection.Query(PreviewQueryText(tableName));
}

QString SelectQueryText(const QString& fieldListText, const QString& tableName) {
    return QStringLiteral("SELECT ") + fieldListText + QStringLiteral(" FROM ") + QuoteIdentifier(tableName);
}

StreamingResult StreamSelection(Connection& connection, const QString& fieldListText, const QString& tableName) {
    return connection.Stream(SelectQueryText(fieldListText, tableName));
}

BinaryResult ReadSelectionInBinary(Connection& connection, const QString& fieldListText, const QString& tableName) {
    const auto floatsAsText = [&tableName](const std::vector<ColumnInfo>& columns) {
        QStringList fields;
        for (const ColumnInfo& column : columns) {
            const QString name = QuoteIdentifier(column.name);
            fields += column.kind == ColumnKind::Float ? QStringLiteral("CONCAT(%1) AS %1").arg(name) : name;
        }
        return SelectQueryText(fields.join(QStringLiteral(", ")), tableName);
    };
    return BinaryResult::Run(connection, SelectQueryText(fieldListText, tableName), floatsAsText);
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

}  // namespace db
