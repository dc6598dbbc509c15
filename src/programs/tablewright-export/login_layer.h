#pragma once

#include <QMap>
#include <QString>

namespace exporter::cli {

// A login value and where it comes from, in words ("command line",
// "/home/ann/.my.cnf [client]").
struct SourcedValue {
    QString value;
    QString source;
};

// The login values one source gives, by the option files' key: host, port,
// user, password, socket, database. A key it does not give is missing.
using LoginLayer = QMap<QString, SourcedValue>;

}  // namespace exporter::cli
