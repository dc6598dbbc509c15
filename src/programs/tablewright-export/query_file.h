#pragma once

#include <QByteArray>
#include <QString>

namespace exporter::cli {

// How a query file was read.
struct QueryFile {
    enum class Status { Read, Unreadable, NoText, Stopped };
    Status status = Status::Read;
    QString query;    // when read: the file's text in the locale's character set
    QString problem;  // otherwise: what went wrong, in words
};

// Reads the statement that --query-file names, the path as given; "-" reads
// standard input to its end. A termination signal ends the wait for input
// at once (Stopped). A file longer than a statement can be (16 MiB, the
// server's own bound) is refused rather than read without end.
QueryFile ReadQueryFile(const QByteArray& path);

}  // namespace exporter::cli
