#include "db/login_refusal.h"

#include "db/connection_text.h"

namespace db {
namespace {

// The server's error numbers (1000 to 1999, and 3000 to 4999 in the newer
// servers); 2000 to 2999 and 5000 up are the connector's own, 0 ours.
bool FromTheServer(unsigned number) { return (number >= 1000 && number < 2000) || (number >= 3000 && number < 5000); }

}  // namespace

QString ServerMessage(const DbError& error, const QString& password) {
    if (!FromTheServer(error.number())) return QString();
    // Without the hints the opening adds to a refused login: the server did
    // not say them.
    QString message =
        (error.serverWords().isEmpty() ? QString::fromStdString(error.what()) : error.serverWords()).trimmed();
    // A server may echo what it was sent; a password is never shown.
    if (!password.isEmpty() && message.contains(password)) return QString();
    return message;
}

bool OpenConnectionSayingWhy(const LoginValues& values, const ConnectOptions& options, OpenRefusal& refusal) {
    refusal = OpenRefusal();
    try {
        Connection::Open(BuildConnectionText(values), options);
        return true;
    } catch (const DbError& e) {
        refusal.reason = e.reason();
        refusal.serverMessage = ServerMessage(e, values.password);
        return false;
    }
}

}  // namespace db
