#include "db/open_connection.h"

#include "db/connection.h"
#include "db/connection_text.h"
#include "db/db_error.h"

namespace db {

bool OpenConnection(const LoginValues& values, QString* tlsProblem) {
    return OpenConnection(values, ConnectOptions(), tlsProblem);
}

bool OpenConnection(const LoginValues& values, const ConnectOptions& options, QString* tlsProblem) {
    if (tlsProblem != nullptr) tlsProblem->clear();
    try {
        Connection::Open(BuildConnectionText(values), options);
        return true;
    } catch (const DbError& e) {
        if (tlsProblem != nullptr) *tlsProblem = e.tlsProblem();
        return false;
    }
}

}  // namespace db
