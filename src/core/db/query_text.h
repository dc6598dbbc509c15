#pragma once

#include <QString>

namespace db {

// The user's own query read as text, without asking the server: its first
// word, its comments, its quoted text and its words.

// Why the text cannot be sent as the query, in words; empty when it may.
// Only what the server cannot judge before running a statement is looked at
// here: that the text holds a statement and that its first word (after
// blanks, comments and opening brackets) makes it a query. That it is one
// statement and returns rows is the server's verdict when it prepares it.
QString QueryTextProblem(const QString& sql);

// Why the query, sent as text, might run something other than a query, in
// words; empty when it may be sent. As text the statement runs before its
// lack of rows shows, so a query with an INTO clause is refused.
QString QueryAsTextProblem(const QString& sql);

// Whether the word INTO stands in the text outside strings, quoted names and
// comments (a comment that runs code, "/*!" or "/*M!", counts as text), a
// backslash escaping in strings or not. It is a reserved word: in a query it
// can only send the rows to a file or to variables on the server.
bool HasIntoClause(const QString& sql);

}  // namespace db
