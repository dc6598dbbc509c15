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

QString SelectQueryText(const QString& fieldListText, const QString& tableName, const QString& where) {
    QString text = QStringLiteral("SELECT ") + fieldListText + QStringLiteral(" FROM ") + QuoteIdentifier(tableName);
    if (!where.isEmpty()) text += QStringLiteral(" WHERE (") + where + QStringLiteral("\n)");
    return text;
}

StreamingResult StreamSelection(Connection& connection, const QString& fieldListText, const QString& tableName,
                                const QString& where) {
    return connection.Stream(SelectQueryText(fieldListText, tableName, where));
}

BinaryResult ReadSelectionInBinary(Connection& connection, const QString& fieldListText, const QString& tableName,
                                   const QString& where) {
    const auto floatsAsText = [&tableName, &where](const std::vector<ColumnInfo>& columns) {
        QStringList fields;
        for (const ColumnInfo& column : columns) {
            const QString name = QuoteIdentifier(column.name);
            fields += column.kind == ColumnKind::Float ? QStringLiteral("CONCAT(%1) AS %1").arg(name) : name;
        }
        return SelectQueryText(fields.join(QStringLiteral(", ")), tableName, where);
    };
    return BinaryResult::Run(connection, SelectQueryText(fieldListText, tableName, where), floatsAsText);
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
