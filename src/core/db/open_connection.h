#pragma once

#include <QString>

#include "db/connection.h"
#include "db/login_values.h"

namespace db {

// True when a connection can be opened with these login values. Shows no
// message; the connection is closed again before it returns. When it cannot
// be opened where TLS could not be used, the server's name was not found or
// it did not answer in time, `reason` (when given) receives why, in words
// (see DbError::reason()); otherwise, as for a refused login, it is left
// empty.
bool OpenConnection(const LoginValues& values, QString* reason = nullptr);
bool OpenConnection(const LoginValues& values, const ConnectOptions& options, QString* reason = nullptr);

}  // namespace db
