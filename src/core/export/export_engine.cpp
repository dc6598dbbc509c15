#include "export/export_engine.h"

#include <algorithm>
#include <optional>

#include "app/logging.h"
#include "db/binary_result.h"
#include "db/connection.h"
#include "db/connection_text.h"
#include "db/db_error.h"
#include "db/table_queries.h"
#include "export/line_format_choice.h"
#include "export/requested_rows.h"

namespace exporter {
namespace {

// The export may read a very large table over a slow link: reads wait long,
// but a server that does not answer at all is given up soon. A stop gives up
// the opening too.
db::ConnectOptions ExportConnectOptions(const ExportRequest& request, ExportMonitor& monitor) {
    db::ConnectOptions options;
    options.connectTimeoutSeconds = std::min(30u, request.waitSeconds);
    options.readTimeoutSeconds = request.waitSeconds;
    options.writeTimeoutSeconds = request.waitSeconds;
    options.napForRows = true;
    options.stopRequested = [&monitor] { return monitor.StopRequested(); };
    options.stillWaiting = [&monitor](unsigned boundSeconds) { monitor.StillWaiting(boundSeconds); };
    return options;
}

QString Describe(const std::exception& e) {
    QString words = QString::fromUtf8(e.what());
    const auto* refused = dynamic_cast<const db::DbError*>(&e);
    if (refused != nullptr && refused->number() == db::kChangeInReadOnlyTransaction)
        words += QStringLiteral(
            " An export only reads: what it reads calls something that would change the server's data (a stored "
            "function that writes, a sequence), so it stopped.");
    return words;
}

// A result that is not read to its end would be drained row by row when it is
// freed. Cutting the connection first makes stopping early immediate.
class AbandonUnfinishedStream {
public:
    explicit AbandonUnfinishedStream(db::Connection& connection) : connection_(connection) {}
    ~AbandonUnfinishedStream() {
        if (!finished_) connection_.AbandonResult();
    }
    AbandonUnfinishedStream(const AbandonUnfinishedStream&) = delete;
    AbandonUnfinishedStream& operator=(const AbandonUnfinishedStream&) = delete;
    void finished() { finished_ = true; }

private:
    db::Connection& connection_;
    bool finished_ = false;
};

// Tells the monitor about the connection for as long as it is open.
class ConnectionAnnouncement {
public:
    ConnectionAnnouncement(ExportMonitor& monitor, const db::Connection& connection) : monitor_(monitor) {
        monitor_.ConnectionOpened(connection);
    }
    ~ConnectionAnnouncement() { monitor_.ConnectionClosing(); }
    ConnectionAnnouncement(const ConnectionAnnouncement&) = delete;
    ConnectionAnnouncement& operator=(const ConnectionAnnouncement&) = delete;

private:
    ExportMonitor& monitor_;
};

// How an export ended early while a chunk was being written.
struct Interrupted {
    ExportOutcome outcome;
};

// Hands each full chunk to the sink and tells the monitor; a failed write or
// a stop ends the export by throwing Interrupted. It is called also in the
// middle of a long value.
class ChunkWriter final : public lines::BufferDrain {
public:
    ChunkWriter(files::OutputSink& sink, ExportMonitor& monitor) : sink_(sink), monitor_(monitor) {}

    void Drain(const char* bytes, std::size_t count) override {
        if (!sink_.Write(bytes, count)) throw Interrupted{ExportOutcome::Failure(kWriteStep, sink_.errorString())};
        monitor_.RowsWritten(rows);
        if (monitor_.StopRequested()) throw Interrupted{ExportOutcome::StoppedByUser()};
    }

    std::uint64_t rows = 0;  // the rows written whole so far

private:
    files::OutputSink& sink_;
    ExportMonitor& monitor_;
};

// One export, step by step. Each step returns the outcome that ends the
// export early, or nothing to go on.
class ExportRun {
public:
    ExportRun(const ExportRequest& request, const lines::ValueStyle& style, files::OutputSink& sink,
              ExportMonitor& monitor)
        : request_(request), style_(style), sink_(sink), monitor_(monitor), chunks_(sink, monitor) {}

    // The connection, the query and the sink; the file is touched only once
    // the server has accepted the query.
    std::optional<ExportOutcome> Open() {
        if (request_.isQuery())
            qCDebug(lcExport) << "exporting the rows of" << request_.query << "to" << request_.outputPath;
        else
            qCDebug(lcExport) << "exporting" << request_.fieldListText << "of" << request_.tableName << "to"
                              << request_.outputPath;
        try {
            connection_.emplace(db::Connection::Open(db::BuildConnectionText(request_.login),
                                                     ExportConnectOptions(request_, monitor_)));
        } catch (const std::exception& e) {
            return Failure(kConnectStep, Describe(e));
        }
        announcement_.emplace(monitor_, *connection_);
        // The table's size says nothing of how many rows a condition or a
        // query gives.
        if (request_.where.isEmpty() && !request_.isQuery())
            monitor_.EstimateKnown(db::EstimateRowCount(*connection_, request_.tableName));
        if (monitor_.StopRequested()) return ExportOutcome::StoppedByUser();

        try {
            // Whatever the rows come from (a view or a query may call a
            // stored function that writes), the export changes nothing.
            db::BeginReadOnly(*connection_);
            if (!RunQuery()) return ExportOutcome::StoppedByUser();
        } catch (const std::exception& e) {
            return Failure(kQueryStep, Describe(e));
        }
        monitor_.QueryAnswered();
        abandon_.emplace(*connection_);
        if (!sink_.Open()) return ExportOutcome::Failure(kCreateFileStep, sink_.errorString());
        return std::nullopt;
    }

    // Every row through the request's line writer, and what ends the file.
    std::optional<ExportOutcome> Stream() {
        try {
            return binaryRows_ ? StreamRows(*binaryRows_) : StreamRows(*textRows_);
        } catch (const Interrupted& interrupted) {
            return interrupted.outcome;
        }
    }

    ExportOutcome Commit() {
        if (!sink_.Commit()) return ExportOutcome::Failure(kFinishFileStep, sink_.errorString());
        monitor_.RowsWritten(chunks_.rows);
        qCDebug(lcExport) << "written:" << chunks_.rows << "rows";
        ExportOutcome outcome;
        outcome.rowsWritten = chunks_.rows;
        outcome.splitProblems = splitProblems_;
        return outcome;
    }

private:
    // A failure after a stop was asked for is the stop cutting the connection.
    ExportOutcome Failure(int label, const QString& description) const {
        qCDebug(lcExport) << "step" << label << "failed:" << description;
        return monitor_.StopRequested() ? ExportOutcome::StoppedByUser() : ExportOutcome::Failure(label, description);
    }

    // Asks for the rows in the server's binary form, and as text where the
    // statement cannot be prepared (the server's max_prepared_stmt_count
    // reached, a proxy or an old server that refuses it) or a column is not
    // read that way. False when a stop came meanwhile.
    bool RunQuery() {
        QString why;
        bool preparedWithRows = false;
        try {
            binaryRows_.emplace(ReadRequestedRowsInBinary(*connection_, request_));
            Announce(QStringLiteral("in the server's binary form"));
            return true;
        } catch (const db::RowsNotBinary& e) {
            why = Describe(e);
            preparedWithRows = e.preparedWithRows();
        }
        if (monitor_.StopRequested()) return false;
        Announce(QStringLiteral("as text (%1)").arg(why));
        textRows_.emplace(StreamRequestedRows(*connection_, request_, preparedWithRows));
        return true;
    }
    void Announce(const QString& how) {
        qCDebug(lcExport).noquote() << "rows are read" << how;
        monitor_.RowsReadAs(how);
    }

    template <class Rows>
    std::optional<ExportOutcome> StreamRows(Rows& rows) {
        const std::unique_ptr<lines::LineWriter> writer = MakeLineWriter(request_, rows.columns(), style_, chunks_);
        writer->WriteStart();
        for (;;) {
            try {
                if (!rows.Next()) break;
            } catch (const std::exception& e) {
                return Failure(kReadRowsStep, Describe(e));
            }
            writer->WriteRow(rows);
            ++chunks_.rows;
            if (writer->chunkFull()) writer->Flush();
        }
        abandon_->finished();
        writer->WriteEnd();
        writer->Flush();
        splitProblems_ = writer->splitProblems();
        return std::nullopt;
    }

    const ExportRequest& request_;
    const lines::ValueStyle& style_;
    files::OutputSink& sink_;
    ExportMonitor& monitor_;
    ChunkWriter chunks_;
    lines::SplitProblems splitProblems_;
    // Dropped in the reverse order: the stream is abandoned before its
    // result is freed, and the result before its connection.
    std::optional<db::Connection> connection_;
    std::optional<ConnectionAnnouncement> announcement_;
    std::optional<db::StreamingResult> textRows_;
    std::optional<db::BinaryResult> binaryRows_;
    std::optional<AbandonUnfinishedStream> abandon_;
};

}  // namespace

ExportOutcome RunExport(const ExportRequest& request, const lines::ValueStyle& style, files::OutputSink& sink,
                        ExportMonitor& monitor) {
    ExportRun run(request, style, sink, monitor);
    if (std::optional<ExportOutcome> ended = run.Open()) return *ended;
    if (std::optional<ExportOutcome> ended = run.Stream()) return *ended;
    return run.Commit();
}

ExportOutcome ExportToFile(const ExportRequest& request, const lines::ValueStyle& style, ExportMonitor& monitor) {
    const std::unique_ptr<files::OutputSink> sink = files::SinkForPath(request.outputPath);
    return RunExport(request, style, *sink, monitor);
}

}  // namespace exporter
