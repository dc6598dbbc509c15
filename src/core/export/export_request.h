#pragma once

#include <optional>

#include <QByteArray>
#include <QString>

#include "db/login_values.h"
#include "lines/value_quoter.h"

namespace exporter {

// Everything one export needs, read once when it starts, so that nothing the
// user types while it runs can change the file being written.
struct ExportRequest {
    db::LoginValues login;
    QString tableName;      // exactly as listed by the server
    QString fieldListText;  // quoted column names joined by ", "
    bool header = true;     // first line holds the field names
    QString separator;      // placed between two fields, exactly as typed
    // The separator's own bytes, written as they are instead of the text
    // above: a command line may give bytes that are no text in the locale.
    std::optional<QByteArray> separatorBytes;
    QString outputPath;
    // How long the export waits for the server's answer or a row; the
    // connection is given up sooner (within 30 seconds).
    unsigned waitSeconds = kDefaultWaitSeconds;

    static constexpr unsigned kDefaultWaitSeconds = 5000;

    // The command line's choices; the wizard's file has neither.
    lines::Quoting quoting = lines::Quoting::None;
    QString where;  // the user's own SQL condition on the rows; empty: every row
    // The user's own query (--query): when set, its rows are exported in place
    // of a table's, and tableName, fieldListText and where are not used.
    QString query;

    bool isQuery() const { return !query.isEmpty(); }
};

}  // namespace exporter
