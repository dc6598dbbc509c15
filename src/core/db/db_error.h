#pragma once

#include <stdexcept>
#include <string>
#include <utility>

#include <QString>

namespace db {

// A failure of the database layer. Its description is the connector's own
// message, which is what the error report shows the user; the number beside
// it is the server's or the connector's error number (1045 for a refused
// login, 1146 for a missing table, 2002 and up for the connector's own), 0
// for a failure found before anything was sent.
class DbError : public std::runtime_error {
public:
    explicit DbError(const QString& description, unsigned number = 0, QString tlsProblem = QString())
        : std::runtime_error(description.toStdString()), number_(number), tlsProblem_(std::move(tlsProblem)) {}

    unsigned number() const { return number_; }
    // When opening failed where TLS could not be used: why, in words of our
    // own (the description says it too). Empty when TLS played no part.
    const QString& tlsProblem() const { return tlsProblem_; }

private:
    unsigned number_;
    QString tlsProblem_;
};

}  // namespace db
