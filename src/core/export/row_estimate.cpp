#include "export/row_estimate.h"

#include <vector>

namespace exporter {
namespace {

// The name as a string literal for the connection's character set.
QString TextLiteral(db::Connection& connection, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::vector<char> escaped(static_cast<std::size_t>(bytes.size()) * 2 + 1);
    const unsigned long length = mysql_real_escape_string(connection.handle(), escaped.data(), bytes.constData(),
                                                          static_cast<unsigned long>(bytes.size()));
    return QLatin1Char('\'') + QString::fromUtf8(escaped.data(), static_cast<qsizetype>(length)) + QLatin1Char('\'');
}

}  // namespace

std::uint64_t EstimateRowCount(db::Connection& connection, const QString& tableName) {
    try {
        const db::StoredResult result =
            connection.Query(QStringLiteral("SELECT TABLE_ROWS FROM information_schema.TABLES "
                                            "WHERE TABLE_SCHEMA = DATABASE() AND TABLE_NAME = ") +
                             TextLiteral(connection, tableName));
        if (result.rowCount() == 0 || result.value(0, 0).isNull()) return 0;
        return result.value(0, 0).bytes().toULongLong();
    } catch (const std::exception&) {
        return 0;  // only the progress display depends on it
    }
}

}  // namespace exporter
