#pragma once

#include <QString>
#include <QStringList>

namespace db {

// Puts a table or column name between backticks the MySQL way: a backtick
// inside the name is doubled, so no name can end the quoting early.
// "t" gives "`t`", "a`b" gives "`a``b`".
QString QuoteIdentifier(const QString& name);

// A column list for a SELECT: each name quoted, joined by ", ".
// {"a", "b"} gives "`a`, `b`".
QString QuoteIdentifierList(const QStringList& names);

}  // namespace db
