#pragma once

#include <cstdint>

#include <QString>

#include "db/connection.h"
#include "export/export_outcome.h"
#include "export/export_request.h"
#include "files/output_sink.h"
#include "lines/value_style.h"

namespace exporter {

// What the engine tells the one who runs it, and how it is asked to stop.
// Called on the thread that runs the export.
class ExportMonitor {
public:
    virtual ~ExportMonitor() = default;
    // The table's row count as the server estimates it; 0 when unknown.
    virtual void EstimateKnown(std::uint64_t rows) { (void)rows; }
    // The server has taken the query and its rows are on their way; until
    // then the export waits, as long as another session holds the table
    // locked.
    virtual void QueryAnswered() {}
    virtual void RowsWritten(std::uint64_t rows) { (void)rows; }
    // Checked after every chunk written, and before the query runs.
    virtual bool StopRequested() const { return false; }
    // The export's connection while it is open, so that a stop can cut it
    // (db::ConnectionCut) even while the export waits for the server.
    virtual void ConnectionOpened(const db::Connection& connection) { (void)connection; }
    virtual void ConnectionClosing() {}
    // No answer or row has come from the server for db::kStillWaitingSeconds;
    // the export waits up to `boundSeconds` in all.
    virtual void StillWaiting(unsigned boundSeconds) { (void)boundSeconds; }
    // How the rows are read, in words: "in the server's binary form", or "as
    // text" and why.
    virtual void RowsReadAs(const QString& how) { (void)how; }
};

// Runs one export in three steps: open (its own connection, the query, the
// sink), stream (every row through the line writer the request asks for,
// whose chunks go to the sink when full) and commit. The rows are read in the server's binary form
// where the server allows it, as text otherwise; the file is the same.
// Stops at the first failed step; the sink is then never committed, so an
// existing file stays as it was.
ExportOutcome RunExport(const ExportRequest& request, const lines::ValueStyle& style, files::OutputSink& sink,
                        ExportMonitor& monitor);

// The same, into the file named by the request's output path.
ExportOutcome ExportToFile(const ExportRequest& request, const lines::ValueStyle& style, ExportMonitor& monitor);

}  // namespace exporter
