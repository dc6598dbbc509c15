#include "export/export_engine.h"

#include <optional>
#include <vector>

#include "app/logging.h"
#include "db/connection.h"
#include "db/connection_text.h"
#include "db/table_queries.h"
#include "export/column_formatter.h"
#include "export/output_buffer.h"
#include "export/split_check.h"

namespace exporter {
namespace {

// The export may read a very large table over a slow link: reads wait long,
// but a server that does not answer at all is given up soon.
db::ConnectOptions ExportConnectOptions() {
    db::ConnectOptions options;
    options.connectTimeoutSeconds = 30;
    options.readTimeoutSeconds = 5000;
    options.writeTimeoutSeconds = 5000;
    options.napForRows = true;
    return options;
}

QString Describe(const std::exception& e) { return QString::fromUtf8(e.what()); }

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
// a stop ends the export by throwing Interrupted. The buffer calls it also in
// the middle of a long value.
class ChunkWriter final : public BufferDrain {
public:
    ChunkWriter(OutputSink& sink, ExportMonitor& monitor, SplitCheck& check)
        : sink_(sink), monitor_(monitor), check_(check) {}

    void Drain(const char* bytes, std::size_t count) override {
        check_.Drained(bytes, count);
        if (!sink_.Write(bytes, count)) throw Interrupted{ExportOutcome::Failure(kWriteStep, sink_.errorString())};
        monitor_.RowsWritten(rows);
        if (monitor_.StopRequested()) throw Interrupted{ExportOutcome::StoppedByUser()};
    }

    std::uint64_t rows = 0;  // the rows written whole so far

private:
    OutputSink& sink_;
    ExportMonitor& monitor_;
    SplitCheck& check_;
};

void AppendLineEnd(OutputBuffer& out) { out.append("\r\n", 2); }

void AppendHeader(OutputBuffer& out, const std::vector<db::ColumnInfo>& columns, const QByteArray& separator,
                  const ValueStyle& style) {
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (i != 0) out.append(separator.constData(), static_cast<std::size_t>(separator.size()));
        const QByteArray name = style.Encode(columns[i].name);
        out.append(name.constData(), static_cast<std::size_t>(name.size()));
    }
    AppendLineEnd(out);
}

}  // namespace

ExportOutcome RunExport(const ExportRequest& request, const ValueStyle& style, OutputSink& sink,
                        ExportMonitor& monitor) {
    // A failure after a stop was asked for is the stop cutting the connection.
    auto failure = [&monitor](int label, const QString& description) {
        qCDebug(lcExport) << "step" << label << "failed:" << description;
        return monitor.StopRequested() ? ExportOutcome::StoppedByUser() : ExportOutcome::Failure(label, description);
    };
    qCDebug(lcExport) << "exporting" << request.fieldListText << "of" << request.tableName << "to"
                      << request.outputPath;
    std::optional<db::Connection> connection;
    try {
        connection.emplace(db::Connection::Open(db::BuildConnectionText(request.login), ExportConnectOptions()));
    } catch (const std::exception& e) {
        return failure(kConnectStep, Describe(e));
    }
    const ConnectionAnnouncement announcement(monitor, *connection);
    monitor.EstimateKnown(db::EstimateRowCount(*connection, request.tableName));
    if (monitor.StopRequested()) return ExportOutcome::StoppedByUser();

    std::optional<db::StreamingResult> result;
    try {
        result.emplace(db::StreamSelection(*connection, request.fieldListText, request.tableName));
    } catch (const std::exception& e) {
        return failure(kQueryStep, Describe(e));
    }
    monitor.QueryAnswered();
    AbandonUnfinishedStream abandon(*connection);

    // The file is touched only once the server has accepted the query.
    if (!sink.Open()) return ExportOutcome::Failure(kCreateFileStep, sink.errorString());

    const QByteArray separatorBytes =
        request.separatorBytes ? *request.separatorBytes : style.Encode(request.separator);
    const char* const separator = separatorBytes.constData();
    const auto separatorLength = static_cast<std::size_t>(separatorBytes.size());
    std::vector<ColumnFormatter> formatters;
    for (const db::ColumnInfo& column : result->columns()) formatters.emplace_back(column, style);
    const int fieldCount = result->fieldCount();

    // The chunk never grows: a long value goes to the sink in pieces.
    SplitCheck check(separatorBytes);
    // Only columns whose values can hold a line break or the separator are
    // looked at: numbers and dates are written with a few bytes only.
    std::vector<bool> checked;
    for (const ColumnFormatter& formatter : formatters)
        checked.push_back(formatter.MayHold('\r') || formatter.MayHold('\n') ||
                          (separatorLength != 0 && formatter.MayHold(separator[0])));
    ChunkWriter writer(sink, monitor, check);
    OutputBuffer out(kChunkSize + (kChunkSize >> 2), &writer);
    try {
        if (request.header) AppendHeader(out, result->columns(), separatorBytes, style);
        for (;;) {
            try {
                if (!result->Next()) break;
            } catch (const std::exception& e) {
                return failure(kReadRowsStep, Describe(e));
            }
            for (int i = 0; i < fieldCount; ++i) {
                if (i != 0) out.append(separator, separatorLength);
                if (result->isNull(i)) continue;
                const auto column = static_cast<std::size_t>(i);
                if (!checked[column]) {
                    formatters[column].Append(out, result->data(i), result->length(i));
                    continue;
                }
                check.Begin(out.size());
                formatters[column].Append(out, result->data(i), result->length(i));
                check.End(out.data(), out.size());
            }
            AppendLineEnd(out);
            ++writer.rows;
            if (out.size() >= kChunkSize) out.flush();
        }
        // The file always ends with one more line end.
        AppendLineEnd(out);
    } catch (const Interrupted& interrupted) {
        return interrupted.outcome;
    }
    abandon.finished();

    if (!sink.Write(out.data(), out.size())) return ExportOutcome::Failure(kWriteStep, sink.errorString());
    if (!sink.Commit()) return ExportOutcome::Failure(kFinishFileStep, sink.errorString());
    monitor.RowsWritten(writer.rows);
    qCDebug(lcExport) << "written:" << writer.rows << "rows";
    ExportOutcome outcome;
    outcome.rowsWritten = writer.rows;
    outcome.splitProblems = check.problems();
    return outcome;
}

ExportOutcome ExportToFile(const ExportRequest& request, const ValueStyle& style, ExportMonitor& monitor) {
    const std::unique_ptr<OutputSink> sink = SinkForPath(request.outputPath);
    return RunExport(request, style, *sink, monitor);
}

}  // namespace exporter
