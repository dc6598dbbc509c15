#pragma once

#include <chrono>
#include <functional>

#include <mysql.h>

#include <QString>

namespace db {

// How an opening ended.
struct OpeningEnd {
    enum class Kind {
        Opened,            // the connector connected
        Failed,            // the connector gave up: its error is in the handle
        NameNotFound,      // the host name does not exist
        NameLookupFailed,  // the name could not be looked up (`lookupError` says why)
        LookupTimedOut,    // the name look-up did not end within the bound
        TimedOut,          // the server did not answer within the bound
        Stopped,           // a stop was asked for
    };
    Kind kind = Kind::Opened;
    int lookupError = 0;  // the look-up's EAI_ code
    double waitedSeconds = 0;

    bool leftBehind() const { return kind == Kind::LookupTimedOut || kind == Kind::TimedOut || kind == Kind::Stopped; }
};

// Opens a connection on a thread of its own, so that the caller has an
// answer within `bound` (zero: no bound) whatever the name look-up, the
// server or the TLS handshake do, and within 50 ms of `stopRequested`
// returning true. The thread first looks up `host` (empty: nothing to look
// up), then calls `connect` with the handle.
//
// When leftBehind() is true the caller must let go of the handle without
// closing it: the thread left behind closes it once its wait ends. Otherwise
// the handle is the caller's again.
OpeningEnd OpenWithin(MYSQL* handle, const QString& host, const std::function<bool(MYSQL*)>& connect,
                      std::chrono::milliseconds bound, const std::function<bool()>& stopRequested);

}  // namespace db
