#pragma once

#include <chrono>
#include <cstdint>

namespace exporter::cli {

// Keeps one line on standard error up to date with the rows written, when
// standard error is a terminal; says nothing otherwise.
class TerminalProgress {
public:
    TerminalProgress();
    ~TerminalProgress();
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    // Rows written so far against the server's estimate (0 when unknown);
    // shown at most five times a second.
    void Show(std::uint64_t rows, std::uint64_t estimate);
    // The export was written: the line ends on the final count.
    void ShowWritten(std::uint64_t rows);
    // Another message follows on a line of its own; the next count starts a
    // new line.
    void Interrupt();

private:
    void Print(const char* text);

    bool enabled_;
    int printedLength_ = 0;  // of the line shown; 0 before the first
    std::chrono::steady_clock::time_point lastPrint_{};
};

}  // namespace exporter::cli
