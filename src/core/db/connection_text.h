#pragma once

#include "db/login_values.h"

namespace db {

// The ODBC-style connection text every connection is opened from:
// DRIVER={MySQL ODBC 5.1 Driver};SERVER=..;USER=..;PASSWORD=..;DATABASE=..;PORT=..;
// Values go in exactly as typed. Only a value that holds ";" or begins with
// "{" is written in braces, with any "}" doubled, because the plain form
// would cut it at the semicolon. A login that names a local socket ends in
// SOCKET=..; as well.
QString BuildConnectionText(const LoginValues& values);

// Reads the five values (and a socket) back from a connection text. Keys are matched without
// regard to case; unknown keys (DRIVER among them) are accepted and ignored.
// Throws DbError for a text that cannot be read (an unclosed brace).
LoginValues ParseConnectionText(const QString& text);

}  // namespace db
