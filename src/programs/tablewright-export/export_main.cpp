// tablewright-export: the wizard's export from the command line.
#include <csignal>
#include <cstdio>

#include <QCoreApplication>

#include "command_line.h"
#include "db/identifier.h"
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

exporter::ExportRequest RequestFrom(const exporter::cli::CommandLine& line) {
    exporter::ExportRequest request;
    request.login = exporter::cli::StoredLoginValues();
    if (line.server) request.login.server = *line.server;
    if (line.port) request.login.port = *line.port;
    if (line.user) request.login.user = *line.user;
    if (line.database) request.login.database = *line.database;
    request.tableName = line.table;
    request.header = line.header;
    request.separator = line.separator;
    request.outputPath = line.output;
    return request;
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
