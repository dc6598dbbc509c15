#include "pages/server_reading.h"

#include <stdexcept>

#include "db/connection_text.h"
#include "pages/database_action.h"

namespace pages {

void ServerReading::Read(const db::LoginValues& values, const db::ConnectOptions& options,
                         app::BackgroundWork::Cancel& cancel,
                         const std::function<db::StoredResult(db::Connection&)>& read) {
    std::optional<db::Connection> connection;
    try {
        connection.emplace(db::Connection::Open(db::BuildConnectionText(values), options));
    } catch (const std::exception& e) {
        connectFailure = QString::fromUtf8(e.what());
        return;
    }
    connected = true;
    const CutOnCancel cut(cancel, *connection);
    try {
        rows = read(*connection);
    } catch (const std::exception& e) {
        readFailure = QString::fromUtf8(e.what());
    }
}

void ServerReading::ThrowIfNotConnected() const {
    if (connectFailure) throw std::runtime_error(connectFailure->toStdString());
}

void ServerReading::ThrowIfNotRead() const {
    if (!connected) throw std::runtime_error("No connection is open.");
    if (readFailure) throw std::runtime_error(readFailure->toStdString());
}

}  // namespace pages
