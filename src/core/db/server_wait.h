#pragma once

// For the database layer's own files only.

#include <chrono>

#include <mysql.h>

#include "db/db_error.h"
#include "db/wait_clock.h"
#include "db/wait_rules.h"

namespace db {

// One wait for the server, on a connection in the connector's non-blocking
// mode: the answer to a statement or the next row, however many packets
// that takes. It holds its bound the same with TLS as without: the
// connector's TLS reads wait without any time-out of their own, so at the
// bound the socket is shut, and the connector's read then fails at once.
class ServerWait {
public:
    // started: when the wait began, if the caller already read the clock.
    ServerWait(MYSQL* connection, const WaitRules& rules, WaitClock::time_point started = WaitClock::now());

    // Waits until the connection can go on with what it waits for
    // (MYSQL_WAIT_READ, ...) and tells which of those happened, for the
    // connector's *_cont() call. The first millisecond is spent in naps of
    // 50 microseconds that look at the socket without waiting on it, so that
    // a fast server fills the socket undisturbed.
    int Wait(int waitingFor);

    // Whether the wait hit its bound (the connection is then closed).
    bool timedOut() const { return timedOut_; }

private:
    MYSQL* connection_;
    const WaitRules& rules_;
    WaitClock::time_point started_;
    bool told_ = false;
    bool timedOut_ = false;
};

// A statement that got no answer within the bound: "The server x did not
// answer within 5000 seconds." Both mark the wait as given up (see
// WaitRules::givenUp).
DbError NoAnswerInTime(const WaitRules& rules);
// A row that did not come within the bound, in the middle of a result.
DbError NoRowInTime(const WaitRules& rules);
// The connector's failure to read the next row of a result, in words that
// say what became of the connection where it ended (lost, gone away, killed
// or shut down): the connector's own words alone do not tell that the rows
// stopped half-way, nor why that may be.
DbError RowReadFailure(const WaitRules& rules, unsigned number, const QString& connectorText);

}  // namespace db
