#pragma once

#include "db/connection.h"
#include "db/login_values.h"

namespace db {

// True when a connection can be opened with these login values. Shows no
// message; the connection is closed again before it returns.
bool OpenConnection(const LoginValues& values);
bool OpenConnection(const LoginValues& values, const ConnectOptions& options);

}  // namespace db
