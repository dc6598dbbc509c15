#pragma once

#include <QStringList>

#include "db/login_values.h"

namespace exporter::cli {

// The column names of a table in table order. Throws DbError.
QStringList TableColumnNames(const db::LoginValues& login, const QString& tableName);

}  // namespace exporter::cli
