#pragma once

#include <QString>

#include "db/binary_result.h"
#include "db/connection.h"
#include "db/query_text.h"
#include "db/result.h"

namespace db {

// The user's own query (the command line's --query): one SELECT, WITH or
// VALUES statement (or TABLE, where the server has it), sent as given, whose
// rows are exported as a table's are. Exactly one statement runs, and only
// one that returns rows. How its text is checked before it is sent is
// query_text.h's: QueryTextProblem for both ways of reading it,
// QueryAsTextProblem for the text protocol.

// Prepares the query and reads its rows in the server's binary form. Throws
// DbError when the text is no query (QueryTextProblem), when the server
// refuses it (a second statement, a syntax error) and when it returns no
// rows (SELECT ... INTO): it has not run then. So what the text protocol
// refuses (QueryAsTextProblem) is the server's to judge here: an INTO in a
// comment run as code, or after a blank the check does not know, still
// leaves the statement without rows. Throws RowsNotBinary as
// BinaryResult::Run does.
BinaryResult ReadQueryInBinary(Connection& connection, const QString& sql);

// The same query read as text, for when it is not read in binary. Where the
// server would not prepare it at all, the server's verdict is that of the
// text protocol, which takes one statement only; but as text the statement
// runs before it could fail for returning no rows, so a text that might
// write on the server (QueryAsTextProblem: an INTO clause, a comment run as
// code, a character beyond ASCII outside quotes) is refused unsent. Not so
// when the server has prepared it and found it to return rows
// (RowsNotBinary::preparedWithRows()): it has judged that text already.
StreamingResult StreamQuery(Connection& connection, const QString& sql, bool preparedWithRows = false);

}  // namespace db
