#pragma once

#include <QString>

#include "db/binary_result.h"
#include "db/connection.h"
#include "db/query_text.h"
#include "db/result.h"

namespace db {

// The user's own query (the command line's --query): one SELECT, WITH,
// VALUES or TABLE statement, sent as given, whose rows are exported as a
// table's are. Exactly one statement runs, and only one that returns rows.

// How the text is read before it is sent: query_text.h (QueryTextProblem,
// QueryAsTextProblem).

// Prepares the query and reads its rows in the server's binary form. Throws
// DbError when the text is no query (QueryTextProblem), when the server
// refuses it (a second statement, a syntax error) and when it returns no
// rows (SELECT ... INTO): it has not run then. Throws RowsNotBinary as
// BinaryResult::Run does.
BinaryResult ReadQueryInBinary(Connection& connection, const QString& sql);

// The same query read as text, for when it is not read in binary. Where the
// server would not prepare it at all, the server's verdict is that of the
// text protocol, which takes one statement only; a query with an INTO
// clause (SELECT ... INTO) is refused unsent, since as text it would run
// before it failed for returning no rows.
StreamingResult StreamQuery(Connection& connection, const QString& sql);

}  // namespace db
