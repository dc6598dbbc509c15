#pragma once

#include <cstdint>

#include <QString>

#include "db/binary_result.h"
#include "db/connection.h"
#include "db/result.h"

namespace db {

// The statements the wizard and the export send, in one place. Table and
// column names are always quoted through QuoteIdentifier.

// Every table of the connection's database, one name a row ("SHOW TABLES;").
StoredResult ListTables(Connection& connection);

// "SELECT * FROM `table` LIMIT 100;": what the field page previews; the
// result's columns are the table's column list.
QString PreviewQueryText(const QString& tableName);
StoredResult PreviewTable(Connection& connection, const QString& tableName);

// "SELECT " + the quoted column list + " FROM " + the quoted table, with
// nothing after it: the export's query. A condition (the command line's
// --where, the user's own SQL) is sent as given, as " WHERE (condition)"
// with a line break before the ")" so that a comment at its end ends there.
QString SelectQueryText(const QString& fieldListText, const QString& tableName, const QString& where = {});
StreamingResult StreamSelection(Connection& connection, const QString& fieldListText, const QString& tableName,
                                const QString& where = {});
// The same query prepared, its rows read in the server's binary form; FLOAT
// and DOUBLE columns are selected as CONCAT(`column`) AS `column`, so they
// come as the server's text. Throws as BinaryResult::Run does.
BinaryResult ReadSelectionInBinary(Connection& connection, const QString& fieldListText, const QString& tableName,
                                   const QString& where = {});

// The server's estimate of a table's row count in the connection's database
// (exact for some engines, a guess for InnoDB); 0 when it has none or the
// question fails, since only a progress display depends on it.
std::uint64_t EstimateRowCount(Connection& connection, const QString& tableName);

}  // namespace db
