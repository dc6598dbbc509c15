#pragma once

// For the database layer's own files only.

#include <mysql.h>

namespace db {

// Waits until a non-blocking call of the connector on this connection can go
// on with what it is waiting for (MYSQL_WAIT_READ and the like) and tells
// which of those happened. The first millisecond is spent in naps of 50
// microseconds that look at the socket without waiting on it, so that a fast
// server fills the socket undisturbed; then it waits plainly, up to the
// connection's read time-out.
int WaitForServer(MYSQL* connection, int waitingFor);

}  // namespace db
