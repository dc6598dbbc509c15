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
    explicit DbError(const QString& description, unsigned number = 0, QString reason = QString())
        : std::runtime_error(description.toStdString()), number_(number), reason_(std::move(reason)) {}

    unsigned number() const { return number_; }
    // When opening failed where TLS could not be used, the server's name was
    // not found or it did not answer in time: why, in words of our own that
    // name the server (the description says it too). Empty otherwise, as for
    // a refused login.
    const QString& reason() const { return reason_; }
    // The server's own words, where the description adds a hint of ours to
    // them (a refused login); empty where the description is all there is.
    const QString& serverWords() const { return serverWords_; }
    DbError& SaidByServer(const QString& words) {
        serverWords_ = words;
        return *this;
    }

private:
    unsigned number_;
    QString reason_;
    QString serverWords_;
};

// The server's refusal of a statement that would change data inside a
// transaction that only reads (BeginReadOnly).
inline constexpr unsigned kChangeInReadOnlyTransaction = 1792;

// The number of a failure that is a stop asked for while a connection
// opened (ConnectOptions::stopRequested), not a fault.
inline constexpr unsigned kOpeningStopped = 1u << 30;

}  // namespace db
