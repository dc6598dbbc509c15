#pragma once

#include <QString>

namespace db {

// The five login values, exactly as typed in the login page's boxes, and
// the local socket the command line may name.
struct LoginValues {
    QString server;
    QString user;
    QString password;
    QString database;
    QString port;
    // Not empty: the connection goes through this Unix socket, whatever the
    // server and port say. The login page has no box for it.
    QString socket = {};

    bool operator==(const LoginValues&) const = default;
};

}  // namespace db
