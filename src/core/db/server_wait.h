#pragma once

#include <chrono>
#include <functional>

#include <mysql.h>

#include <QString>

#include "db/db_error.h"

namespace db {

// A wait for the server that outlasts this long is told about (see
// WaitRules::stillWaiting).
inline constexpr unsigned kStillWaitingSeconds = 10;

// The number of a failure that is a wait for the server that hit its bound.
inline constexpr unsigned kNoAnswerInTime = (1u << 30) + 1;

// How long a connection's waits for the server may last, and whom they tell.
struct WaitRules {
    QString server;             // the server's name, for the words of a failure
    unsigned boundSeconds = 0;  // how long one wait may last; 0: as long as it takes
    // Called on the connection's thread once a wait has lasted
    // stillWaitingSeconds, with the bound it waits up to.
    std::function<void(unsigned boundSeconds)> stillWaiting;
    unsigned stillWaitingSeconds = kStillWaitingSeconds;
};

// One wait for the server, on a connection in the connector's non-blocking
// mode: the answer to a statement or the next row, however many packets
// that takes. It holds its bound the same with TLS as without: the
// connector's TLS reads wait without any time-out of their own, so at the
// bound the socket is shut, and the connector's read then fails at once.
class ServerWait {
public:
    ServerWait(MYSQL* connection, const WaitRules& rules);

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
    std::chrono::steady_clock::time_point started_;
    bool told_ = false;
    bool timedOut_ = false;
};

// A statement that got no answer within the bound: "The server x did not
// answer within 5000 seconds."
DbError NoAnswerInTime(const WaitRules& rules);
// A row that did not come within the bound, in the middle of a result.
DbError NoRowInTime(const WaitRules& rules);

}  // namespace db
