#pragma once

#include <cstdint>

#include "db/connection.h"
#include "export/export_outcome.h"
#include "export/export_request.h"
#include "export/output_sink.h"
#include "export/value_style.h"

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
};

// Bytes formatted before they are handed to the sink in one write.
inline constexpr std::size_t kChunkSize = std::size_t{2} << 20;

// Runs one export: its own connection, the query streamed row by row, every
// line formatted into a chunk that goes to the sink when full, and the sink
// committed after the last row. Stops at the first failed step; the sink is
// then never committed, so an existing file stays as it was.
ExportOutcome RunExport(const ExportRequest& request, const ValueStyle& style, OutputSink& sink,
                        ExportMonitor& monitor);

// The same, into the file named by the request's output path.
ExportOutcome ExportToFile(const ExportRequest& request, const ValueStyle& style, ExportMonitor& monitor);

}  // namespace exporter
