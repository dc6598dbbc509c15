#pragma once

#include "db/login_values.h"

namespace db {

// True when a connection can be opened with these login values. Shows no
// message; the connection is closed again before it returns.
bool OpenConnection(const LoginValues& values);

}  // namespace db
