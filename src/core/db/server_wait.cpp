#include "db/server_wait.h"

#include <algorithm>
#include <cerrno>
#include <ctime>

#include <errmsg.h>
#include <mysqld_error.h>
#include <poll.h>
#include <sys/socket.h>

namespace db {

ServerWait::ServerWait(MYSQL* connection, const WaitRules& rules, WaitClock::time_point started)
    : connection_(connection), rules_(rules), started_(started) {}

int ServerWait::Wait(int waitingFor) {
    constexpr int kNaps = 20;
    constexpr timespec kNap{0, 50'000};
    pollfd socket{static_cast<int>(mysql_get_socket(connection_)), 0, 0};
    if (waitingFor & MYSQL_WAIT_READ) socket.events |= POLLIN;
    if (waitingFor & MYSQL_WAIT_WRITE) socket.events |= POLLOUT;
    if (waitingFor & MYSQL_WAIT_EXCEPT) socket.events |= POLLPRI;
    int ready = 0;
    for (int nap = 0; nap < kNaps && ready <= 0; ++nap) {
        ready = poll(&socket, 1, 0);
        if (ready <= 0) nanosleep(&kNap, nullptr);
    }
    using std::chrono::milliseconds;
    const milliseconds bound = std::chrono::seconds(rules_.boundSeconds);
    const milliseconds notice = std::chrono::seconds(rules_.stillWaitingSeconds);
    while (ready <= 0) {
        const auto waited = std::chrono::duration_cast<milliseconds>(WaitClock::now() - started_);
        if (!told_ && waited >= notice) {
            told_ = true;
            if (rules_.stillWaiting) rules_.stillWaiting(rules_.boundSeconds);
        }
        if (bound.count() > 0 && waited >= bound) {
            // The connector's next read finds the socket shut and fails, with
            // TLS as without it.
            timedOut_ = true;
            ::shutdown(socket.fd, SHUT_RDWR);
            return waitingFor & (MYSQL_WAIT_READ | MYSQL_WAIT_WRITE);
        }
        // Until the notice is due or the bound reached, whichever comes first.
        long long timeout = told_ ? -1 : static_cast<long long>((notice - waited).count());
        if (bound.count() > 0) {
            const auto left = static_cast<long long>((bound - waited).count());
            timeout = timeout < 0 ? left : std::min(timeout, left);
        }
        ready = poll(&socket, 1, timeout < 0 ? -1 : static_cast<int>(std::max<long long>(timeout, 1)));
        // A socket that cannot be watched ends the wait like a time-out,
        // which the connector reports as a lost read.
        if (ready < 0 && errno != EINTR) return MYSQL_WAIT_TIMEOUT;
    }
    int happened = 0;
    if (socket.revents & (POLLIN | POLLHUP | POLLERR)) happened |= MYSQL_WAIT_READ;
    if (socket.revents & (POLLOUT | POLLHUP | POLLERR)) happened |= MYSQL_WAIT_WRITE;
    if (socket.revents & POLLPRI) happened |= MYSQL_WAIT_EXCEPT;
    return happened & waitingFor;
}

DbError NoAnswerInTime(const WaitRules& rules) {
    rules.givenUp->store(true);
    const QString words =
        QStringLiteral("The server %1 did not answer within %2 seconds.").arg(rules.server).arg(rules.boundSeconds);
    return DbError(words, kNoAnswerInTime, words);
}

DbError NoRowInTime(const WaitRules& rules) {
    rules.givenUp->store(true);
    const QString words = QStringLiteral(
                              "No row came from the server %1 within the time-out of %2 seconds: the server or "
                              "the link to it stalls.")
                              .arg(rules.server)
                              .arg(rules.boundSeconds);
    return DbError(words, kNoAnswerInTime, words);
}

DbError RowReadFailure(const WaitRules& rules, unsigned number, const QString& connectorText) {
    switch (number) {
    case CR_SERVER_LOST:
    case CR_SERVER_GONE_ERROR:
    case CR_SSL_CONNECTION_ERROR:  // a TLS connection closed in the middle of a record
    case ER_CONNECTION_KILLED:
    case ER_SERVER_SHUTDOWN: break;
    default: return DbError(connectorText, number);
    }
    return DbError(QStringLiteral("The connection to the server %1 ended while the rows were read (%2): the "
                                  "server stopped or restarted, another session ended the connection (KILL), or "
                                  "the network dropped it.")
                       .arg(rules.server, connectorText),
                   number);
}

}  // namespace db
