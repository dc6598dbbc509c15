#include "terminal_progress.h"

#include <cstdio>

#include <unistd.h>

namespace exporter::cli {

TerminalProgress::TerminalProgress(bool verbose) : enabled_(isatty(STDERR_FILENO) == 1), verbose_(verbose) {}

TerminalProgress::~TerminalProgress() {
    if (printed_) std::fputc('\n', stderr);
}

void TerminalProgress::RowsWritten(std::uint64_t rows) {
    if (!enabled_) return;
    const auto now = std::chrono::steady_clock::now();
    if (printed_ && now - lastPrint_ < std::chrono::milliseconds(200)) return;
    lastPrint_ = now;
    Print(rows);
}

void TerminalProgress::ConnectionOpened(const db::Connection& connection) {
    if (!verbose_) return;
    const QString cipher = connection.tlsCipher();
    if (cipher.isEmpty())
        std::fputs("tablewright-export: connected, not encrypted\n", stderr);
    else
        std::fprintf(stderr, "tablewright-export: connected, encrypted with %s, cipher %s\n",
                     connection.tlsVersion().toLatin1().constData(), cipher.toLatin1().constData());
    std::fflush(stderr);
}

void TerminalProgress::Print(std::uint64_t rows) {
    printed_ = true;
    const auto written = static_cast<unsigned long long>(rows);
    if (estimate_ > 0 && rows <= estimate_)
        std::fprintf(stderr, "\r%llu of about %llu rows written (%llu%%)", written,
                     static_cast<unsigned long long>(estimate_), written * 100 / estimate_);
    else
        std::fprintf(stderr, "\r%llu rows written", written);
    std::fflush(stderr);
}

}  // namespace exporter::cli
