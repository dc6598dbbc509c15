#include "terminal_progress.h"

#include <cstdio>

#include <unistd.h>

namespace exporter::cli {
namespace {

const char* RowOrRows(std::uint64_t rows) { return rows == 1 ? "row" : "rows"; }

}  // namespace

TerminalProgress::TerminalProgress() : enabled_(isatty(STDERR_FILENO) == 1) {}

TerminalProgress::~TerminalProgress() {
    if (printedLength_ > 0) std::fputc('\n', stderr);
}

void TerminalProgress::Show(std::uint64_t rows, std::uint64_t estimate) {
    if (!enabled_ || rows == 0) return;
    const auto now = std::chrono::steady_clock::now();
    if (printedLength_ > 0 && now - lastPrint_ < std::chrono::milliseconds(200)) return;
    lastPrint_ = now;
    char text[128];
    const auto written = static_cast<unsigned long long>(rows);
    if (estimate > 0 && rows <= estimate)
        std::snprintf(text, sizeof text, "%llu of about %llu rows written (%llu%%)", written,
                      static_cast<unsigned long long>(estimate), written * 100 / estimate);
    else
        std::snprintf(text, sizeof text, "%llu %s written", written, RowOrRows(rows));
    Print(text);
}

void TerminalProgress::ShowWritten(std::uint64_t rows) {
    if (!enabled_) return;
    char text[64];
    std::snprintf(text, sizeof text, "%llu %s written", static_cast<unsigned long long>(rows), RowOrRows(rows));
    Print(text);
}

void TerminalProgress::Interrupt() {
    if (printedLength_ > 0) std::fputc('\n', stderr);
    printedLength_ = 0;
}

void TerminalProgress::Print(const char* text) {
    // Blanks cover what is left of a longer line before.
    const int length = std::fprintf(stderr, "\r%s", text) - 1;
    if (length < printedLength_) std::fprintf(stderr, "%*s", printedLength_ - length, "");
    printedLength_ = length;
    std::fflush(stderr);
}

}  // namespace exporter::cli
