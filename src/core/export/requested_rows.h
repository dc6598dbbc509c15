#pragma once

#include "db/binary_result.h"
#include "db/connection.h"
#include "db/result.h"
#include "export/export_request.h"

namespace exporter {

// The rows a request asks for: the chosen columns of a table (with its
// condition), or those of the user's own query. They throw as the db
// functions they call do (db::ReadSelectionInBinary, db::ReadQueryInBinary).
db::BinaryResult ReadRequestedRowsInBinary(db::Connection& connection, const ExportRequest& request);
// `preparedWithRows`: the server has prepared the same text and found rows
// (db::RowsNotBinary::preparedWithRows()).
db::StreamingResult StreamRequestedRows(db::Connection& connection, const ExportRequest& request,
                                        bool preparedWithRows = false);

}  // namespace exporter
