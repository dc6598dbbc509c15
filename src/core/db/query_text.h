#pragma once

#include <QString>

namespace db {

// The user's own query read as the server's lexer reads it, without asking
// the server: its first word, its comments, its quoted text and its words.
// Comments are those of the server: "#" and "--" followed by an ASCII blank
// or control character run to the end of the line, "/*" to "*/"; after
// "/*!" or "/*M!" (and the five or six digits of a server version, which
// belong to no word) the text is code. A number ends where the server ends
// it ("1.5INTO" is 1.5 followed by INTO), and a byte beyond ASCII belongs to
// a name, as it does for the server.

// Why the text cannot be sent as the query, in words; empty when it may.
// Only what the server cannot judge before running a statement is looked at
// here: that the text holds a statement and that its first word (after
// blanks, comments and opening brackets) makes it a query: SELECT, WITH,
// VALUES, or TABLE where the server has it. A comment the server runs as
// code is no place for that word. That the text is one statement and
// returns rows is the server's verdict when it prepares it.
QString QueryTextProblem(const QString& sql);

// Why the query, sent as text, might run something other than what it
// shows, in words; empty when it may be sent. As text the statement runs
// before its lack of rows shows, so this is the last check before it runs:
// it refuses an INTO clause (HasIntoClause), a comment that the server runs
// as code, and a character beyond ASCII outside quoted text ('...', "..."
// and `...`), around which the server and this check might read the text
// differently.
QString QueryAsTextProblem(const QString& sql);

// Whether the word INTO stands in the text outside quoted text and comments,
// whichever quoting rules the server's sql_mode chooses (a backslash escaping
// in strings or not; "..." a string or a name).
bool HasIntoClause(const QString& sql);

}  // namespace db
