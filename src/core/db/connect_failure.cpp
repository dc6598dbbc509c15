#include "db/connect_failure.h"

#include <cerrno>
#include <cstring>

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>

#include <QRegularExpression>

#include "process/unique_descriptor.h"

namespace db {
namespace {

constexpr unsigned kSocketFailure = 2002;  // CR_CONNECTION_ERROR
constexpr unsigned kHostFailure = 2003;    // CR_CONN_HOST_ERROR
constexpr unsigned kUnknownHost = 2005;    // CR_UNKNOWN_HOST
constexpr unsigned kServerLost = 2013;     // CR_SERVER_LOST
// How long a second look at a host that failed quickly may wait.
constexpr int kProbeMilliseconds = 3000;

// The error number the connector put in brackets at the end; 0 when none.
int ConnectorErrorNumber(const QString& text) {
    static const QRegularExpression trailingNumber(QStringLiteral("\\((\\d+)\\)\\s*$"));
    const QRegularExpressionMatch match = trailingNumber.match(text);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

// Why a TCP connection to the host fails now: the error of one more attempt
// at each of its addresses, ETIMEDOUT when one gets no answer in time; 0
// when one succeeds or the name cannot be looked up.
int ProbeConnectError(const QString& host, unsigned port) {
    addrinfo hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.toUtf8().constData(), QByteArray::number(port).constData(), &hints, &found) != 0) return 0;
    int error = 0;
    for (const addrinfo* address = found; address != nullptr; address = address->ai_next) {
        const process::UniqueDescriptor probe(
            ::socket(address->ai_family, address->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, address->ai_protocol));
        if (!probe.valid()) continue;
        if (::connect(probe.get(), address->ai_addr, address->ai_addrlen) == 0) {
            error = 0;
            break;
        }
        error = errno;
        if (error != EINPROGRESS) continue;
        pollfd wait{probe.get(), POLLOUT, 0};
        if (::poll(&wait, 1, kProbeMilliseconds) <= 0) {
            error = ETIMEDOUT;
            continue;
        }
        socklen_t length = sizeof error;
        if (::getsockopt(probe.get(), SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
        if (error == 0) break;
    }
    ::freeaddrinfo(found);
    return error;
}

// The C library's words for the error, starting in lower case.
QString Reason(int error) {
    QString text = QString::fromLocal8Bit(std::strerror(error));
    if (!text.isEmpty()) text[0] = text[0].toLower();
    return text;
}

// Where the connection was to go, as a failure's first words.
QString CannotConnectTo(const Endpoint& endpoint) {
    return endpoint.socket.isEmpty()
               ? QStringLiteral("Cannot connect to the server at %1, port %2: ").arg(endpoint.host).arg(endpoint.port)
               : QStringLiteral("Cannot connect to the server through the socket %1: ").arg(endpoint.socket);
}

QString NoAnswerWithin(unsigned seconds) { return QStringLiteral("no answer within %1 seconds").arg(seconds); }

}  // namespace

QString DescribeOpenFailure(const Endpoint& endpoint, unsigned number, const QString& connectorText,
                            double waitedSeconds, unsigned timeoutSeconds, bool* noAnswer) {
    if (noAnswer != nullptr) *noAnswer = false;
    // A listener that takes the connection and closes it before a word (a
    // server that refuses this client's address, a program that is no
    // database server): the connector says only "system error: 11".
    if (number == kServerLost && connectorText.contains(QLatin1String("reading initial communication packet"))) {
        return CannotConnectTo(endpoint) +
               QStringLiteral(
                   "the connection was closed before the server greeted; is a MariaDB or MySQL server "
                   "listening there, and does it accept connections from this address?");
    }
    if (number != kSocketFailure && number != kHostFailure) return connectorText;
    int error = ConnectorErrorNumber(connectorText);
    if (!endpoint.socket.isEmpty()) {
        if (error == 0) return connectorText;
        return CannotConnectTo(endpoint) + Reason(error);
    }
    const QString where = CannotConnectTo(endpoint);
    if (error == ETIMEDOUT && noAnswer != nullptr) *noAnswer = true;
    if (error == 0 || error == EINPROGRESS) {
        // The connector waits without blocking and keeps the number of that
        // wait; the reason itself is lost. An attempt that took all its time
        // got no answer; for one that failed sooner, a second look tells why.
        if (timeoutSeconds > 0 && waitedSeconds + 0.5 >= timeoutSeconds) {
            if (noAnswer != nullptr) *noAnswer = true;
            return where + NoAnswerWithin(timeoutSeconds);
        }
        error = ProbeConnectError(endpoint.host, endpoint.port);
        if (error == 0) return connectorText;
    }
    return where + Reason(error);
}

DbError UnfinishedOpening(const OpeningEnd& end, const Endpoint& endpoint, unsigned timeoutSeconds) {
    QString words;
    unsigned number = kHostFailure;
    switch (end.kind) {
    case OpeningEnd::Kind::NameNotFound:
        words = QStringLiteral("The server name \"%1\" was not found.").arg(endpoint.host);
        number = kUnknownHost;
        break;
    case OpeningEnd::Kind::NameLookupFailed:
        words = QStringLiteral("The server name \"%1\" could not be looked up: %2.")
                    .arg(endpoint.host, QString::fromLocal8Bit(::gai_strerror(end.lookupError)));
        number = kUnknownHost;
        break;
    case OpeningEnd::Kind::LookupTimedOut:
        words = QStringLiteral(
                    "The server name \"%1\" could not be looked up within %2 seconds: the name server "
                    "does not answer.")
                    .arg(endpoint.host)
                    .arg(timeoutSeconds);
        number = kUnknownHost;
        break;
    case OpeningEnd::Kind::TimedOut: words = CannotConnectTo(endpoint) + NoAnswerWithin(timeoutSeconds); break;
    case OpeningEnd::Kind::Stopped:
        return DbError(QStringLiteral("The connection was given up: a stop was asked for."), kOpeningStopped);
    case OpeningEnd::Kind::Opened:
    case OpeningEnd::Kind::Failed: break;
    }
    return DbError(words, number, words);
}

}  // namespace db
