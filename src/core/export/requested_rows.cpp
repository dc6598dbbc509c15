#include "export/requested_rows.h"

#include "db/query_rows.h"
#include "db/table_queries.h"

namespace exporter {

db::BinaryResult ReadRequestedRowsInBinary(db::Connection& connection, const ExportRequest& request) {
    if (request.isQuery()) return db::ReadQueryInBinary(connection, request.query);
    return db::ReadSelectionInBinary(connection, request.fieldListText, request.tableName, request.where);
}

db::StreamingResult StreamRequestedRows(db::Connection& connection, const ExportRequest& request,
                                        bool preparedWithRows) {
    if (request.isQuery()) return db::StreamQuery(connection, request.query, preparedWithRows);
    return db::StreamSelection(connection, request.fieldListText, request.tableName, request.where);
}

}  // namespace exporter
