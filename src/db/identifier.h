#pragma once

#include <QString>

namespace db {

// Puts a table or column name between backticks the MySQL way: a backtick
// inside the name is doubled, so no name can end the quoting early.
// "t" gives "`t`", "a`b" gives "`a``b`".
QString QuoteIdentifier(const QString& name);

}  // namespace db
