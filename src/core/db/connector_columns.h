#pragma once

// For the database layer's own files only: the connector's column
// descriptions turned into the program's column kinds.

#include <vector>

#include <mysql.h>

#include "db/column_info.h"

namespace db {

ColumnInfo DescribeColumn(const MYSQL_FIELD& field);
std::vector<ColumnInfo> ReadColumns(MYSQL_RES* res);

}  // namespace db
