#include "db/open_connection.h"

#include "db/connection.h"
#include "db/connection_text.h"
#include "db/db_error.h"

namespace db {

bool OpenConnection(const LoginValues& values, QString* reason) {
    return OpenConnection(values, ConnectOptions(), reason);
}

bool OpenConnection(const LoginValues& values, const ConnectOptions& options, QString* reason) {
    if (reason != nullptr) reason->clear();
    try {
        Connection::Open(BuildConnectionText(values), options);
        return true;
    } catch (const DbError& e) {
        if (reason != nullptr) *reason = e.reason();
        return false;
    }
}

}  // namespace db
