#pragma once

#include <vector>

#include <QString>
#include <QStringList>

namespace db {

// One line of a client group in an option file. The name is in lower case,
// with "_" written as "-" and a "loose-" prefix taken off; the value has its blanks, quotes and
// escapes (\n, \t, \s, \\ ...) resolved. A line without "=" has no value.
struct ClientOption {
    QString name;
    QString value;
    bool hasValue = false;
};

// The options of the client groups ([client], [client-server] and
// [client-mariadb], the groups the connector reads for every program) in the
// given MySQL/MariaDB option files, in the order the files and their lines
// give them, so that a later one wins. "!include FILE" and "!includedir DIR"
// (the folder's *.cnf files in name order) are followed; a file is read once
// however often it is named. As the standard client does, a missing file is
// passed over, and so is a world-writable one, with the standard client's
// warning; an unreadable one is passed over with a warning too. Warnings are
// added to `warnings` when given.
std::vector<ClientOption> ReadClientOptions(const QStringList& files, QStringList* warnings = nullptr);

// An option line with the file and the group it stands in.
struct GroupOption {
    QString file;   // the file the line is in, an included one by its own name
    QString group;  // in lower case
    ClientOption option;
};

// The same for the lines of the named groups (in any case), read by the same
// rules, each with where it stands.
std::vector<GroupOption> ReadOptionGroups(const QStringList& files, const QStringList& groups,
                                          QStringList* warnings = nullptr);

// The groups the connector reads for every program.
QStringList ClientGroups();

}  // namespace db
