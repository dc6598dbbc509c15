// tablewright-export: the wizard's export from the command line.
#include <csignal>
#include <cstdio>

#include <QCoreApplication>

#include "command_line.h"
#include "db/connection.h"
#include "db/identifier.h"
#include "db/table_queries.h"
#include "db/tls_settings.h"
#include "export/export_engine.h"
#include "stored_login.h"
#include "terminal_progress.h"

namespace {

constexpr int kExportFailed = 1;
constexpr int kUsageError = 2;

void PrintError(const QString& text) {
    std::fprintf(stderr, "tablewright-export: %s\n", text.toLocal8Bit().constData());
}

db::LoginValues LoginFrom(const exporter::cli::CommandLine& line) {
    db::LoginValues login = exporter::cli::StoredLoginValues();
    if (line.server) login.server = *line.server;
    if (line.port) login.port = *line.port;
    if (line.user) login.user = *line.user;
    if (line.database) login.database = *line.database;
    return login;
}

exporter::ExportRequest RequestFrom(const exporter::cli::CommandLine& line) {
    exporter::ExportRequest request;
    request.login = LoginFrom(line);
    request.tableName = line.table;
    request.header = line.header;
    request.separator = line.separator;
    request.outputPath = line.output;
    return request;
}

// The tables of the login's database, one name a line (for shell completion).
int ListTables(const exporter::cli::CommandLine& line) {
    try {
        db::Connection connection = db::Connection::Open(LoginFrom(line));
        const db::StoredResult tables = db::ListTables(connection);
        for (std::size_t row = 0; row < tables.rowCount(); ++row)
            std::printf("%s\n", tables.value(row, 0).text().toLocal8Bit().constData());
    } catch (const std::exception& error) {
        PrintError(QString::fromUtf8(error.what()));
        return kExportFailed;
    }
    return std::fflush(stdout) == 0 ? 0 : kExportFailed;
}

}  // namespace

int main(int argc, char* argv[]) {
    // A closed pipe on standard output is a write failure, not a silent death.
    std::signal(SIGPIPE, SIG_IGN);
    QCoreApplication application(argc, argv);
    using exporter::cli::CommandLine;
    const CommandLine line = exporter::cli::ParseCommandLine(QCoreApplication::arguments().mid(1));
    if (line.action == CommandLine::Action::Help) {
        std::fputs(exporter::cli::UsageText().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (line.action == CommandLine::Action::Version) {
        std::puts("tablewright-export " TABLEWRIGHT_VERSION);
        return 0;
    }
    if (line.action == CommandLine::Action::ListTables) return ListTables(line);
    if (line.action == CommandLine::Action::UsageError) {
        PrintError(line.problem);
        std::fputs("Try 'tablewright-export --help'.\n", stderr);
        return kUsageError;
    }

    // Before the first connection: the command line's TLS options over the
    // option files'.
    db::SetProcessTlsSettings(exporter::cli::TlsSettingsFor(line, db::ProcessTlsSettings()));
    exporter::ExportRequest request = RequestFrom(line);
    // Without --field, every column in table order.
    request.fieldListText = line.fields.isEmpty() ? QStringLiteral("*") : db::QuoteIdentifierList(line.fields);

    const std::unique_ptr<exporter::OutputSink> sink =
        line.toStandardOutput() ? exporter::StandardOutputSink() : exporter::SinkForPath(request.outputPath);
    exporter::ExportOutcome outcome;
    {
        exporter::cli::TerminalProgress progress(line.verbose);
        outcome = exporter::RunExport(request, exporter::ValueStyle::ForFile(), *sink, progress);
    }
    if (!outcome.written()) {
        PrintError(outcome.description);
        return kExportFailed;
    }
    return 0;
}
