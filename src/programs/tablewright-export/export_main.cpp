// tablewright-export: the wizard's export from the command line.
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <thread>

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>

#include "command_line.h"
#include "db/connection.h"
#include "db/connection_cut.h"
#include "db/db_error.h"
#include "db/identifier.h"
#include "db/openings_left_behind.h"
#include "db/query_rows.h"
#include "db/table_queries.h"
#include "db/tls_settings.h"
#include "export/export_engine.h"
#include "export/export_job.h"
#include "files/output_sink.h"
#include "lines/split_check.h"
#include "login_sources.h"
#include "password_prompt.h"
#include "process/standard_descriptors.h"
#include "process/termination_signals.h"
#include "query_file.h"
#include "terminal_progress.h"

namespace {

constexpr int kExportFailed = 1;
constexpr int kUsageError = 2;
// A stop by a termination signal ends with 128 and the signal's number, as
// a shell reports a program that the signal ended.
constexpr int kEndedBySignal = 128;

void PrintError(const QString& text) {
    std::fprintf(stderr, "tablewright-export: %s\n", text.toLocal8Bit().constData());
}

// What the rows read before a failure left behind: a file is replaced only
// when every row is written, a pipe or a device has what came so far.
QString OutputLeftBehind(const QByteArray& outputBytes, bool toStandardOutput) {
    if (toStandardOutput) return QStringLiteral(" Standard output has only the rows read before it.");
    const QFileInfo target(QFile::decodeName(outputBytes));
    if (!target.exists()) return QStringLiteral(" No file was made at %1.").arg(target.filePath());
    if (target.isFile()) return QStringLiteral(" The file %1 is kept as it was.").arg(target.filePath());
    return QStringLiteral(" %1 has only the rows read before it.").arg(target.filePath());
}

exporter::ExportRequest RequestFrom(const exporter::cli::CommandLine& line, const db::LoginValues& login) {
    exporter::ExportRequest request;
    request.login = login;
    request.tableName = line.table;
    request.header = line.header;
    request.separator = line.separator;
    request.separatorBytes = line.separatorBytes;
    request.outputPath = line.output;
    request.waitSeconds = line.timeoutSeconds;
    request.quoting = line.quoting;
    request.where = line.where;
    request.query = line.query;
    return request;
}

// Whether the path leads through a descriptor link of this process's (as
// /dev/stdout, /dev/fd/1 and /proc/self/fd/1 do) to descriptor 1.
bool NamesStandardOutput(const QByteArray& path) {
    const QString ownDescriptors = QStringLiteral("/proc/%1/fd").arg(QCoreApplication::applicationPid());
    QFileInfo step(QFile::decodeName(path));
    for (int links = 0; links < 40; ++links) {
        if (step.fileName() == QLatin1String("1") && QFileInfo(step.path()).canonicalFilePath() == ownDescriptors)
            return true;
        if (!step.isSymLink()) return false;
        step.setFile(step.symLinkTarget());
    }
    return false;
}

// The tables of the login's database, one name a line (for shell completion).
// The whole call ends within two seconds, and at once on a termination
// signal: a server that does not answer, or a SHOW TABLES that waits for a
// lock, must not hold up the shell.
int ListTables(const db::LoginValues& login) {
    constexpr auto kBound = std::chrono::seconds(2);
    const auto deadline = std::chrono::steady_clock::now() + kBound;
    const auto signalled = [] { return process::CaughtTerminationSignal() != 0; };
    const auto stopped = [deadline, signalled] { return signalled() || std::chrono::steady_clock::now() >= deadline; };
    try {
        db::ConnectOptions options;
        options.connectTimeoutSeconds = static_cast<unsigned>(kBound.count());
        options.readTimeoutSeconds = options.connectTimeoutSeconds;
        options.writeTimeoutSeconds = options.connectTimeoutSeconds;
        options.stopRequested = signalled;
        db::Connection connection = db::Connection::Open(login, options);
        // The rest of the two seconds: a watch that cuts the connection.
        db::ConnectionCut cut(connection);
        std::mutex mutex;
        std::condition_variable done;
        bool listed = false;
        std::thread watch([&] {
            std::unique_lock lock(mutex);
            while (!listed && !stopped()) done.wait_for(lock, std::chrono::milliseconds(50));
            if (!listed) cut.Cut();
        });
        std::optional<db::StoredResult> tables;
        std::optional<QString> failure;
        try {
            tables = db::ListTables(connection);
        } catch (const std::exception& error) {
            failure = QString::fromUtf8(error.what());
        }
        {
            const std::lock_guard lock(mutex);
            listed = true;
        }
        done.notify_all();
        watch.join();
        if (failure) throw db::DbError(*failure);
        for (std::size_t row = 0; row < tables->rowCount(); ++row)
            std::printf("%s\n", tables->value(row, 0).text().toLocal8Bit().constData());
    } catch (const std::exception& error) {
        if (process::CaughtTerminationSignal() != 0) return kEndedBySignal + process::CaughtTerminationSignal();
        PrintError(QString::fromUtf8(error.what()));
        return kExportFailed;
    }
    return std::fflush(stdout) == 0 ? 0 : kExportFailed;
}

// Ends the program once a connection may have been opened, whatever the
// export's outcome. A connection's opening that a stop or its bound gave up
// may still wait on a thread of its own (a stop that comes as the export
// ends makes one too: the second connection that ends the cut statement):
// the program then ends without running the connector's and the TLS
// library's clean-up under it.
int Ending(int status) {
    if (!db::OpeningsLeftBehind()) return status;
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(status);
}

// Runs the export on a worker thread while this one watches for a
// termination signal, which stops it: the connection is cut, so even a wait
// for the server ends at once, and the temporary file goes.
exporter::ExportOutcome RunStoppableExport(exporter::ExportRequest request, const QByteArray& outputPath,
                                           bool toStandardOutput, bool verbose) {
    exporter::ExportJob job;
    exporter::cli::TerminalProgress progress;
    QEventLoop loop;
    QObject::connect(&job, &exporter::ExportJob::progress, &loop,
                     [&progress](quint64 rows, quint64 estimate) { progress.Show(rows, estimate); });
    if (verbose) {
        QObject::connect(&job, &exporter::ExportJob::connected, &loop, [](const QString& encryption) {
            std::fprintf(stderr, "tablewright-export: connected, %s\n", encryption.toLocal8Bit().constData());
            std::fflush(stderr);
        });
        QObject::connect(&job, &exporter::ExportJob::rowsReadAs, &loop, [](const QString& how) {
            std::fprintf(stderr, "tablewright-export: rows read %s\n", how.toLocal8Bit().constData());
            std::fflush(stderr);
        });
    }
    // A wait that lasts is told about, with what may cause it.
    QObject::connect(
        &job, &exporter::ExportJob::stillWaiting, &loop,
        [&progress, server = request.login.server,
         locked = request.isQuery()
                      ? QStringLiteral("a table the query reads")
                      : QStringLiteral("the table ") + db::QuoteIdentifier(request.tableName)](unsigned boundSeconds) {
            progress.Interrupt();
            PrintError(QStringLiteral("no row for %1 s from the server %2; %3 may be locked by "
                                      "another session, or the server or the link to it stalls (waiting up "
                                      "to %4 s in all; --timeout changes that)")
                           .arg(db::kStillWaitingSeconds)
                           .arg(server, locked)
                           .arg(boundSeconds));
            std::fflush(stderr);
        });
    QObject::connect(&job, &exporter::ExportJob::finished, &loop, &QEventLoop::quit);
    process::TerminationNotifier termination;
    QObject::connect(&termination, &process::TerminationNotifier::arrived, &job, &exporter::ExportJob::Stop);

    exporter::ExportJob::SinkMaker makeSink = [toStandardOutput, outputPath](const exporter::ExportRequest&) {
        return toStandardOutput ? files::StandardOutputSink() : files::SinkForPath(outputPath);
    };
    job.Start(std::move(request), lines::ValueStyle::ForFile(), std::move(makeSink));
    loop.exec();
    if (job.outcome().written()) progress.ShowWritten(job.outcome().rowsWritten);
    return job.outcome();
}

}  // namespace

int main(int argc, char* argv[]) {
    // Before anything opens a file or a socket: with standard output closed,
    // the server's connection could otherwise become descriptor 1 and
    // receive the rows.
    const process::ClosedStandardDescriptors closed = process::OpenStandardDescriptors();
    // Also makes a closed pipe on standard output a write failure, not a
    // silent death (SIGPIPE stops the export only when another process sends
    // it, as kill -PIPE does).
    process::CatchTerminationSignals();
    // So is a file that outgrows the size limit (ulimit -f).
    std::signal(SIGXFSZ, SIG_IGN);

    QList<QByteArray> arguments;
    for (int i = 1; i < argc; ++i) arguments += QByteArray(argv[i]);
    QCoreApplication application(argc, argv);
    using exporter::cli::CommandLine;
    const CommandLine line = exporter::cli::ParseCommandLine(arguments);
    if (line.action == CommandLine::Action::Help) {
        std::fputs(exporter::cli::UsageText().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (line.action == CommandLine::Action::Version) {
        std::puts("tablewright-export " TABLEWRIGHT_VERSION);
        return 0;
    }
    if (line.action == CommandLine::Action::UsageError) {
        PrintError(line.problem);
        std::fputs("Try 'tablewright-export --help'.\n", stderr);
        return kUsageError;
    }
    // The password typed, the login from where it is found, and before the
    // first connection the TLS settings that go with it.
    std::optional<QString> typedPassword;
    if (line.askPassword && line.action != CommandLine::Action::PrintDefaults) {
        const exporter::cli::TypedPassword typed = exporter::cli::AskPassword();
        if (typed.signal != 0) return kEndedBySignal + typed.signal;
        if (!typed.password) {
            PrintError(typed.problem);
            return kUsageError;
        }
        typedPassword = typed.password;
    }
    const exporter::cli::ChosenLogin chosen = exporter::cli::ChooseLogin(line, typedPassword);
    for (const QString& warning : chosen.optionFileWarnings)
        std::fprintf(stderr, "%s\n", warning.toLocal8Bit().constData());
    if (!chosen.storeWarning.isEmpty()) PrintError(chosen.storeWarning);
    if (line.action == CommandLine::Action::PrintDefaults) {
        std::fputs(exporter::cli::ChosenLoginText(chosen).toLocal8Bit().constData(), stdout);
        return std::fflush(stdout) == 0 ? 0 : kExportFailed;
    }
    db::SetProcessTlsSettings(chosen.tls);
    if (line.action == CommandLine::Action::ListTables) return Ending(ListTables(chosen.login));
    if (closed.output && (line.toStandardOutput() || NamesStandardOutput(line.outputBytes))) {
        PrintError(QStringLiteral("Cannot write to standard output: it is closed; give --output PATH for a file"));
        return kExportFailed;
    }

    exporter::ExportRequest request = RequestFrom(line, chosen.login);
    // Without --field, every column in table order.
    if (!line.isQuery())
        request.fieldListText = line.fields.isEmpty() ? QStringLiteral("*") : db::QuoteIdentifierList(line.fields);
    if (line.queryFile) {
        const exporter::cli::QueryFile file = exporter::cli::ReadQueryFile(*line.queryFile);
        using Status = exporter::cli::QueryFile::Status;
        if (file.status == Status::Stopped) return kEndedBySignal + process::CaughtTerminationSignal();
        if (file.status != Status::Read) {
            PrintError(file.problem);
            return file.status == Status::NoText ? kUsageError : kExportFailed;
        }
        // What is no query is refused as --query refuses it, before the
        // server is asked.
        if (const QString problem = db::QueryTextProblem(file.query); !problem.isEmpty()) {
            PrintError(QStringLiteral("--query-file: ") + problem);
            return kUsageError;
        }
        request.query = file.query;
    }

    const QString separator =
        request.separatorBytes ? QString::fromLocal8Bit(*request.separatorBytes) : request.separator;
    const exporter::ExportOutcome outcome =
        RunStoppableExport(std::move(request), line.outputBytes, line.toStandardOutput(), line.verbose);
    if (outcome.status == exporter::ExportOutcome::Status::Stopped)
        return Ending(kEndedBySignal + process::CaughtTerminationSignal());
    if (!outcome.written()) {
        PrintError(outcome.description + (outcome.label == exporter::kReadRowsStep
                                              ? OutputLeftBehind(line.outputBytes, line.toStandardOutput())
                                              : QString()));
        return Ending(kExportFailed);
    }
    // The file is written as asked; the warning only says what it holds
    // (nothing, when its values are quoted).
    const QString warning = lines::SplitWarningText(outcome.splitProblems, separator);
    if (!warning.isEmpty()) PrintError(QStringLiteral("warning: ") + warning);
    return Ending(0);
}
