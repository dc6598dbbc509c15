#include "db/server_wait.h"

#include <cerrno>
#include <ctime>

#include <poll.h>

namespace db {

int WaitForServer(MYSQL* connection, int waitingFor) {
    constexpr int kNaps = 20;
    constexpr timespec kNap{0, 50'000};
    pollfd socket{static_cast<int>(mysql_get_socket(connection)), 0, 0};
    if (waitingFor & MYSQL_WAIT_READ) socket.events |= POLLIN;
    if (waitingFor & MYSQL_WAIT_WRITE) socket.events |= POLLOUT;
    if (waitingFor & MYSQL_WAIT_EXCEPT) socket.events |= POLLPRI;
    int ready = 0;
    for (int nap = 0; nap < kNaps && ready <= 0; ++nap) {
        ready = poll(&socket, 1, 0);
        if (ready <= 0) nanosleep(&kNap, nullptr);
    }
    if (ready <= 0) {
        const int timeout =
            (waitingFor & MYSQL_WAIT_TIMEOUT) ? static_cast<int>(mysql_get_timeout_value_ms(connection)) : -1;
        do {
            ready = poll(&socket, 1, timeout);
        } while (ready < 0 && errno == EINTR);
        // A socket that cannot be watched ends the wait like a time-out, which
        // the connector reports as a lost read.
        if (ready <= 0) return MYSQL_WAIT_TIMEOUT;
    }
    int happened = 0;
    if (socket.revents & (POLLIN | POLLHUP | POLLERR)) happened |= MYSQL_WAIT_READ;
    if (socket.revents & (POLLOUT | POLLHUP | POLLERR)) happened |= MYSQL_WAIT_WRITE;
    if (socket.revents & POLLPRI) happened |= MYSQL_WAIT_EXCEPT;
    return happened & waitingFor;
}

}  // namespace db
