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
// at once (Stopped). A file of more than 16 MiB (the bound the server's
// default max_allowed_packet sets a statement) is refused rather than read
// without end; one of exactly 16 MiB is read.
QueryFile ReadQueryFile(const QByteArray& path);

}  // namespace exporter::cli
