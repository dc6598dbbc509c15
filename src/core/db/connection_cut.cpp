#include "db/connection_cut.h"

#include <sys/socket.h>
#include <unistd.h>

#include <mysql.h>

namespace db {

ConnectionCut::ConnectionCut(const Connection& connection)
    : socket_(::dup(static_cast<int>(mysql_get_socket(connection.handle())))),
      givenUp_(connection.waitRules()->givenUp) {}

ConnectionCut::~ConnectionCut() {
    if (socket_ >= 0) ::close(socket_);
}

void ConnectionCut::Cut() {
    givenUp_->store(true);
    if (socket_ < 0) return;
    ResetOnClose(socket_);
    ::shutdown(socket_, SHUT_RDWR);
}

void ConnectionCut::ResetOnClose(int socket) {
    const linger reset{1, 0};
    ::setsockopt(socket, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
}

}  // namespace db
