#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include <QString>

#include "db/binary_result.h"
#include "db/connection.h"
#include "db/result.h"

namespace db {

// The statements the wizard and the export send, in one place. Table and
// column names are always quoted through QuoteIdentifier.

// Starts a transaction that only reads (START TRANSACTION READ ONLY), so
// that the statements after it on the connection change nothing on the
// server: one that would (a stored function that inserts, called by a query
// or a view) fails with kChangeInReadOnlyTransaction. A temporary table of
// the session's own may still be written. Throws DbError when the server
// refuses it.
void BeginReadOnly(Connection& connection);

// Every table of the connection's database, one name a row ("SHOW TABLES;").
StoredResult ListTables(Connection& connection);

// How many characters (bytes, in a binary string) of each text or binary
// value the preview shows: as many as 100 rows of them allow in 24 MiB,
// at most 1024. It depends only on how many text and binary columns
// the result has, which reading values cut does not change, so the grid
// can tell from the rows alone which values were cut.
std::size_t PreviewCharacters(const std::vector<ColumnInfo>& columns);

// "SELECT * FROM `table` LIMIT 100;": what the field page previews of a
// table whose columns hold no long values; the result's columns are the
// table's column list. A preview or selection that gets no answer within the
// read time-out says that the table may be locked.
QString PreviewQueryText(const QString& tableName);
// The same statement with each column that can hold a value longer than n
// (TEXT, BLOB, JSON, GEOMETRY, a long VARCHAR) named as "LEFT(`c`, n) AS
// `c`", n one more than PreviewCharacters, so that a 256 MiB value costs
// neither the network nor the client more than its start and a longer
// value still shows it was cut; the other columns are named as they are.
// The column names and their order stay those of "SELECT *". Without such
// a column it is the statement above.
QString PreviewQueryText(const QString& tableName, const std::vector<ColumnInfo>& columns);
// Learns the table's columns from an empty read of it ("LIMIT 0;"), then
// reads the preview.
StoredResult PreviewTable(Connection& connection, const QString& tableName);

// "SELECT " + the quoted column list + " FROM " + the quoted table, with
// nothing after it: the export's query. A condition (the command line's
// --where, the user's own SQL) is sent as given, as " WHERE (condition)"
// with a line break before the ")" so that a comment at its end ends there.
QString SelectQueryText(const QString& fieldListText, const QString& tableName, const QString& where = {});
StreamingResult StreamSelection(Connection& connection, const QString& fieldListText, const QString& tableName,
                                const QString& where = {});
// The same query, the same text, prepared and its rows read in the server's
// binary form. Throws as BinaryResult::Run does.
BinaryResult ReadSelectionInBinary(Connection& connection, const QString& fieldListText, const QString& tableName,
                                   const QString& where = {});

// The server's estimate of a table's row count in the connection's database
// (exact for some engines, a guess for InnoDB); 0 when it has none or the
// question fails, since only a progress display depends on it.
std::uint64_t EstimateRowCount(Connection& connection, const QString& tableName);

// Asks the server, on `connection`, to end the statement that the connection
// with the server's id `connectionId` is running (KILL QUERY); the
// connection itself stays open. Throws DbError when the server refuses.
void EndStatementOf(Connection& connection, unsigned long connectionId);

}  // namespace db
