#pragma once

#include <QString>

namespace db {

// The five login values, exactly as typed in the login page's boxes.
struct LoginValues {
    QString server;
    QString user;
    QString password;
    QString database;
    QString port;

    bool operator==(const LoginValues&) const = default;
};

}  // namespace db
