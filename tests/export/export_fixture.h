#pragma once

#include <functional>

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "export/export_engine.h"
#include "support/test_files.h"
#include "support/test_server.h"

namespace export_testing {

using testing_support::FolderEntries;
using testing_support::ReadFile;
using testing_support::WriteFile;

// A request for the given columns of a table in a scratch database.
exporter::ExportRequest RequestFor(const testing_support::ScratchDatabase& db, const QString& table,
                                   const QStringList& fields, const QString& outputPath);

// Exports into the request's output path and returns how it ended.
exporter::ExportOutcome Export(const exporter::ExportRequest& request,
                               const lines::ValueStyle& style = lines::ValueStyle::Plain());

// Runs tablewright-export with the test server's login and the given
// arguments; the password goes through the environment.
struct CommandResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};
// `variables` holds NAME=value pairs set for the command only (an empty
// value unsets the variable); `childSetup` runs in the child before the
// command starts (resource limits, signal dispositions, another user);
// `program` replaces the built command (a copy of it elsewhere).
CommandResult RunExportCommand(const db::LoginValues& login, const QStringList& arguments,
                               const QStringList& variables = {}, const std::function<void()>& childSetup = {},
                               const QString& program = {});
// The same, started without waiting for it to end.
void StartExportCommand(QProcess& process, const db::LoginValues& login, const QStringList& arguments,
                        const QStringList& variables = {}, const std::function<void()>& childSetup = {},
                        const QString& program = {});

// Where the built tablewright-export is.
QString ExportProgram();

// Tests that refuse prepared statements server-wide (max_prepared_stmt_count
// 0) and tests that need them take turns: each holds one of these, a lock
// the server keeps for its connection's life, while it exports.
class PreparedStatementsTurn {
public:
    explicit PreparedStatementsTurn(const testing_support::ScratchDatabase& db);

private:
    db::Connection connection_;
};

// While it lives, the server prepares no statement at all, so every export
// falls back to reading text rows. Take a PreparedStatementsTurn first.
class NoPreparedStatements {
public:
    explicit NoPreparedStatements(testing_support::ScratchDatabase& db) : db_(db) {
        db_.Run(QStringLiteral("SET GLOBAL max_prepared_stmt_count = 0"));
    }
    ~NoPreparedStatements() { db_.Run(QStringLiteral("SET GLOBAL max_prepared_stmt_count = DEFAULT")); }
    NoPreparedStatements(const NoPreparedStatements&) = delete;
    NoPreparedStatements& operator=(const NoPreparedStatements&) = delete;

private:
    testing_support::ScratchDatabase& db_;
};

// Remembers how the export read its rows.
class PathMonitor : public exporter::ExportMonitor {
public:
    void RowsReadAs(const QString& how) override { how_ = how; }
    QString how_;
};

// Creates the table `big` with `rows` rows of about 110 bytes each.
void CreateBigTable(testing_support::ScratchDatabase& db, int rows);

}  // namespace export_testing
