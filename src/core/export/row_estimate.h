#pragma once

#include <cstdint>

#include <QString>

#include "db/connection.h"

namespace exporter {

// The server's estimate of a table's row count in the connection's database
// (exact for some engines, a guess for InnoDB); 0 when it has none.
std::uint64_t EstimateRowCount(db::Connection& connection, const QString& tableName);

}  // namespace exporter
