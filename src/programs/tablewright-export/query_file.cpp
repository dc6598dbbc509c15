#include "query_file.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <QFile>

#include "command_line.h"
#include "process/termination_signals.h"
#include "process/unique_descriptor.h"

namespace exporter::cli {
namespace {

constexpr qsizetype kMostQueryBytes = qsizetype{16} << 20;
// How often a wait for input looks for a signal that came just before it.
constexpr int kSignalCheckMilliseconds = 200;

QueryFile Failed(QueryFile::Status status, const QString& problem) {
    QueryFile file;
    file.status = status;
    file.problem = problem;
    return file;
}

}  // namespace

QueryFile ReadQueryFile(const QByteArray& path) {
    const bool standardInput = path == "-";
    const QString name = standardInput ? QStringLiteral("standard input") : QFile::decodeName(path);
    const auto unreadable = [&name](int error) {
        return Failed(QueryFile::Status::Unreadable, QStringLiteral("Cannot read the query from %1: %2")
                                                         .arg(name, QString::fromLocal8Bit(std::strerror(error))));
    };
    process::UniqueDescriptor opened;
    int descriptor = STDIN_FILENO;
    if (!standardInput) {
        // Without waiting for a writer, should it be a named pipe: the wait
        // below is the one a signal ends.
        opened = process::UniqueDescriptor(::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
        if (opened.get() < 0) return unreadable(errno);
        descriptor = opened.get();
    }
    QByteArray bytes;
    char buffer[65536];
    for (;;) {
        if (process::CaughtTerminationSignal() != 0) return Failed(QueryFile::Status::Stopped, QString());
        pollfd ready{descriptor, POLLIN, 0};
        const int polled = ::poll(&ready, 1, kSignalCheckMilliseconds);
        if (polled < 0 && errno != EINTR) return unreadable(errno);
        if (polled <= 0) continue;
        const ssize_t got = ::read(descriptor, buffer, sizeof buffer);
        if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (got < 0) return unreadable(errno);
        if (got == 0) break;
        bytes.append(buffer, got);
        if (bytes.size() > kMostQueryBytes)
            return Failed(QueryFile::Status::Unreadable,
                          QStringLiteral("The query in %1 is longer than 16 MiB.").arg(name));
    }
    QueryFile file;
    file.query = LocaleText(bytes);
    if (file.query.contains(QChar::ReplacementCharacter))
        return Failed(QueryFile::Status::NoText,
                      QStringLiteral("The query in %1 is not text in the locale's character set.").arg(name));
    return file;
}

}  // namespace exporter::cli
