#pragma once

#include <QString>

#include "db/connection.h"
#include "db/login_values.h"

namespace db {

// True when a connection can be opened with these login values. Shows no
// message; the connection is closed again before it returns. When it cannot
// be opened where TLS could not be used, `tlsProblem` (when given) receives
// why, in words (see DbError::tlsProblem()); otherwise it is left empty.
bool OpenConnection(const LoginValues& values, QString* tlsProblem = nullptr);
bool OpenConnection(const LoginValues& values, const ConnectOptions& options, QString* tlsProblem = nullptr);

}  // namespace db
