#include "db/connection_cut.h"

#include <sys/socket.h>
#include <unistd.h>

namespace db {

ConnectionCut::ConnectionCut(const Connection& connection)
    : socket_(::dup(static_cast<int>(mysql_get_socket(connection.handle())))) {}

ConnectionCut::~ConnectionCut() {
    if (socket_ >= 0) ::close(socket_);
}

void ConnectionCut::Cut() {
    if (socket_ >= 0) ::shutdown(socket_, SHUT_RDWR);
}

}  // namespace db
