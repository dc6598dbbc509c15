#include "export/export_request.h"

#include "db/identifier.h"

namespace exporter {

QString ExportQueryText(const ExportRequest& request) {
    return QStringLiteral("SELECT ") + request.fieldListText + QStringLiteral(" FROM ") +
           db::QuoteIdentifier(request.tableName);
}

}  // namespace exporter
