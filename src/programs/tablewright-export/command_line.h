#pragma once

#include <optional>

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include "db/tls_settings.h"
#include "lines/value_quoter.h"

namespace exporter::cli {

// What the command line asks for.
struct CommandLine {
    enum class Action { Export, Help, Version, ListTables, PrintDefaults, UsageError };
    Action action = Action::Export;
    QString problem;  // what is wrong with a command line that cannot be used

    QString table;
    QStringList fields;  // empty: every column in table order
    QString separator = QStringLiteral(",");
    // The bytes of a --separator as given, which need not be text in the
    // locale (written as they are).
    std::optional<QByteArray> separatorBytes;
    bool header = true;
    // --quote, --quote=always
    lines::Quoting quoting = lines::Quoting::None;
    QString where;  // --where: the user's own SQL condition on the rows
    // --query: the user's own statement, whose rows are exported in place of
    // a table's; --query-file: the file that holds it ("-": standard input),
    // as given. At most one of them, and then no table, fields or condition.
    QString query;
    std::optional<QByteArray> queryFile;
    QString output;          // empty or "-": standard output
    QByteArray outputBytes;  // the path as given, which need not be text
    // Login values given on the command line; the option files and the
    // stored login fill the rest (see login_sources.h).
    std::optional<QString> server, port, user, database, socket;
    // -p or --password: the password is typed on the terminal.
    bool askPassword = false;
    // --defaults-file, --defaults-extra-file (the paths as text), --no-defaults.
    std::optional<QString> defaultsFile, defaultsExtraFile;
    bool noDefaults = false;
    // TLS options given on the command line, the paths as given; the option
    // files fill the rest.
    std::optional<QByteArray> sslCa, sslCert, sslKey;
    bool sslVerifyServerCert = false;
    bool cleartextPassword = false;  // --enable-cleartext-plugin
    // Tell on standard error how the connection is encrypted.
    bool verbose = false;
    // How long the export waits for the server's answer or a row.
    unsigned timeoutSeconds = kDefaultTimeoutSeconds;

    static constexpr unsigned kDefaultTimeoutSeconds = 5000;

    bool toStandardOutput() const { return output.isEmpty() || output == QLatin1String("-"); }
    bool isQuery() const { return !query.isEmpty() || queryFile.has_value(); }
};

// Reads the arguments after the program name, as the bytes the program got.
CommandLine ParseCommandLine(const QList<QByteArray>& arguments);

QString UsageText();

// Bytes the program was given (an argument, a query file) as text in the
// locale's character set; bytes that are no text there become U+FFFD.
QString LocaleText(const QByteArray& bytes);

// The TLS settings of the option files with what the command line gives in
// their place. A path whose bytes are no UTF-8 text (which the connector is
// given) is opened here and given as /proc/self/fd/N, the descriptor kept
// for the program's life.
db::TlsSettings TlsSettingsFor(const CommandLine& line, db::TlsSettings fromOptionFiles);

}  // namespace exporter::cli
