#include "export/cli/table_columns.h"

#include "db/connection.h"
#include "db/identifier.h"

namespace exporter::cli {

QStringList TableColumnNames(const db::LoginValues& login, const QString& tableName) {
    db::Connection connection = db::Connection::Open(login);
    const db::StoredResult result =
        connection.query(QStringLiteral("SHOW COLUMNS FROM ") + db::QuoteIdentifier(tableName));
    QStringList names;
    for (std::size_t row = 0; row < result.rowCount(); ++row) names.push_back(result.value(row, 0).text());
    return names;
}

}  // namespace exporter::cli
