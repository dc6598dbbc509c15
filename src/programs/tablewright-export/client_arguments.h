#pragma once

#include <optional>

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>

namespace exporter::cli {

// The arguments with the standard client's short options written as the
// long ones, and what -p asked for.
struct ClientArguments {
    QList<QByteArray> arguments;
    // -p or --password without a value: the password is typed on the terminal.
    bool askPassword = false;
    // Why the arguments cannot be used (a password given with them); the
    // text never holds the password.
    std::optional<QString> problem;
};

// Rewrites the standard client's short options -h, -P, -u, -D and -S (the
// value attached, "-uroot", or in the next argument) as --host, --port,
// --user, --database and --socket, and takes out -p and --password, which
// take no value here: a password given with them ("-pSECRET",
// "--password=SECRET") is refused. An argument that is the value of an
// option before it, one after "--", and a single-dash long option
// ("-table") stay as they are. `withValue` names the long options that take
// a value, `longNames` every long option.
ClientArguments FromClientArguments(const QList<QByteArray>& arguments, const QSet<QByteArray>& withValue,
                                    const QSet<QByteArray>& longNames);

}  // namespace exporter::cli
