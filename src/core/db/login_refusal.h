#pragma once

#include <QString>

#include "db/connection.h"
#include "db/db_error.h"
#include "db/login_values.h"

namespace db {

// Why a connection could not be opened, for a person to read.
struct OpenRefusal {
    // Our own words where TLS could not be used, the server's name was not
    // found or it did not answer in time (DbError::reason()).
    QString reason;
    // The server's own message where the server itself refused ("Access
    // denied for user 'ann'@'localhost' (using password: YES)"). Empty for
    // the connector's own failures, whose words can mislead, and for any
    // message that holds the password.
    QString serverMessage;
};

// The server's message of a failure, as OpenRefusal::serverMessage says.
QString ServerMessage(const DbError& error, const QString& password);

// OpenConnection (open_connection.h) that also says why, when it cannot open.
bool OpenConnectionSayingWhy(const LoginValues& values, const ConnectOptions& options, OpenRefusal& refusal);

}  // namespace db
