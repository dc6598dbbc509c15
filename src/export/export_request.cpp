#include "export/export_request.h"

#include <QStringList>

#include "db/identifier.h"

namespace exporter {

QString ExportQueryText(const ExportRequest& request) {
    return QStringLiteral("SELECT ") + request.fieldListText + QStringLiteral(" FROM ") +
           db::QuoteIdentifier(request.tableName);
}

QString FieldListFromNames(const QStringList& names) {
    QStringList quoted;
    quoted.reserve(names.size());
    for (const QString& name : names) quoted.push_back(db::QuoteIdentifier(name));
    return quoted.join(QStringLiteral(", "));
}

}  // namespace exporter
