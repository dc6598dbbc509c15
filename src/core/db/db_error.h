#pragma once

#include <stdexcept>
#include <string>

#include <QString>

namespace db {

// A failure of the database layer. Its description is the connector's own
// message, which is what the error report shows the user.
class DbError : public std::runtime_error {
public:
    explicit DbError(const QString& description) : std::runtime_error(description.toStdString()) {}
    explicit DbError(const std::string& description) : std::runtime_error(description) {}
};

}  // namespace db
