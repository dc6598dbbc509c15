#pragma once

#include <atomic>
#include <memory>

#include "db/connection.h"

namespace db {

// A way to end every wait of a connection from another thread: it keeps a
// duplicate of the connection's socket, and Cut() shuts that down. The
// connector's own state, which belongs to the connection's thread, is never
// touched; the connection then fails its current read or write at once, and
// asks the server to end its statement when it closes.
class ConnectionCut {
public:
    explicit ConnectionCut(const Connection& connection);
    ~ConnectionCut();
    ConnectionCut(const ConnectionCut&) = delete;
    ConnectionCut& operator=(const ConnectionCut&) = delete;

    void Cut();

    // Makes the socket end with a reset when it is closed, not with an
    // orderly goodbye: a server that is still sending rows then stops at
    // once, instead of waiting for a reader that is gone until its
    // net_write_timeout (a minute) and holding the table meanwhile.
    static void ResetOnClose(int socket);

private:
    int socket_ = -1;
    std::shared_ptr<std::atomic<bool>> givenUp_;  // the connection's own mark
};

}  // namespace db
