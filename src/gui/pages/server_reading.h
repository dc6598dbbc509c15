#pragma once

#include <functional>
#include <optional>

#include <QString>

#include "app/background_work.h"
#include "db/connection.h"
#include "db/login_values.h"

namespace pages {

// What a page's database action read from the server on its own thread: a
// connection that failed, a read that failed, or the rows.
struct ServerReading {
    bool connected = false;
    std::optional<QString> connectFailure;
    std::optional<QString> readFailure;
    db::StoredResult rows;

    // Opens a connection, lets a close of the window cut it, and reads.
    void Read(const db::LoginValues& values, const db::ConnectOptions& options, app::BackgroundWork::Cancel& cancel,
              const std::function<db::StoredResult(db::Connection&)>& read);
    // For the error trap's steps: throw the failure, if there was one.
    void ThrowIfNotConnected() const;
    void ThrowIfNotRead() const;
};

}  // namespace pages
