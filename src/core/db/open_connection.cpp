#include "db/open_connection.h"

#include "db/connection.h"
#include "db/connection_text.h"
#include "db/db_error.h"

namespace db {

bool OpenConnection(const LoginValues& values) { return OpenConnection(values, ConnectOptions()); }

bool OpenConnection(const LoginValues& values, const ConnectOptions& options) {
    try {
        Connection::Open(BuildConnectionText(values), options);
        return true;
    } catch (const DbError&) {
        return false;
    }
}

}  // namespace db
