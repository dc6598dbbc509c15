#pragma once

#include <chrono>
#include <cstdint>

#include "export/export_engine.h"

namespace exporter::cli {

// Keeps one line on standard error up to date with the rows written, when
// standard error is a terminal; says nothing otherwise. When verbose, it
// first tells how the connection is encrypted, terminal or not.
class TerminalProgress : public ExportMonitor {
public:
    explicit TerminalProgress(bool verbose = false);
    ~TerminalProgress() override;
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    void EstimateKnown(std::uint64_t rows) override { estimate_ = rows; }
    void RowsWritten(std::uint64_t rows) override;
    void ConnectionOpened(const db::Connection& connection) override;

private:
    void Print(std::uint64_t rows);

    bool enabled_;
    bool verbose_;
    bool printed_ = false;
    std::uint64_t estimate_ = 0;
    std::chrono::steady_clock::time_point lastPrint_{};
};

}  // namespace exporter::cli
