#pragma once

#include <optional>

#include <QString>
#include <QStringList>

namespace exporter::cli {

// What the command line asks for.
struct CommandLine {
    enum class Action { Export, Help, Version, ListTables, UsageError };
    Action action = Action::Export;
    QString problem;  // what is wrong with a command line that cannot be used

    QString table;
    QStringList fields;  // empty: every column in table order
    QString separator = QStringLiteral(",");
    bool header = true;
    QString output;  // empty or "-": standard output
    // Login values given on the command line; the stored ones fill the rest.
    std::optional<QString> server, port, user, database;

    bool toStandardOutput() const { return output.isEmpty() || output == QLatin1String("-"); }
};

// Reads the arguments after the program name.
CommandLine ParseCommandLine(const QStringList& arguments);

QString UsageText();

}  // namespace exporter::cli
