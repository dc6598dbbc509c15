#include "command_line.h"

#include <QCommandLineParser>

#include "db/connection.h"
#include "db/db_error.h"

namespace exporter::cli {
namespace {

CommandLine Problem(const QString& text) {
    CommandLine line;
    line.action = CommandLine::Action::UsageError;
    line.problem = text;
    return line;
}

std::optional<QString> ValueIfSet(const QCommandLineParser& parser, const QString& name) {
    if (!parser.isSet(name)) return std::nullopt;
    return parser.value(name);
}

bool IsPort(const QString& text) {
    try {
        db::ParsePort(text);
        return true;
    } catch (const db::DbError&) {
        return false;
    }
}

// The bytes of the --separator value: the argument after "--separator" or
// the text after "--separator=", one dash or two. Checked against what the
// parser read, so that an argument that only looks like the option (the
// value of another one) is never taken.
std::optional<QByteArray> RawSeparator(const QList<QByteArray>& arguments, const QString& parsed) {
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QByteArray& argument = arguments[i];
        if (argument == "--") break;
        QByteArray raw;
        if ((argument == "--separator" || argument == "-separator") && i + 1 < arguments.size())
            raw = arguments[i + 1];
        else if (argument.startsWith("--separator="))
            raw = argument.mid(12);
        else if (argument.startsWith("-separator="))
            raw = argument.mid(11);
        else
            continue;
        if (QString::fromLocal8Bit(raw) == parsed) return raw;
    }
    return std::nullopt;
}

}  // namespace

QString UsageText() {
    return QStringLiteral(
        "Usage: tablewright-export --table NAME [--field NAME]... [--separator TEXT] [--no-header]\n"
        "                          [--output PATH|-] [--server H] [--port N] [--user U] [--database D]\n"
        "                          [--ssl-ca FILE] [--ssl-verify-server-cert] [--ssl-cert FILE --ssl-key FILE]\n"
        "                          [--timeout SECONDS] [--verbose]\n"
        "\n"
        "Exports one table to a delimited text file, as the Tablewright wizard's \"Finish\" does.\n"
        "\n"
        "  --table NAME       the table to export (required)\n"
        "  --field NAME       a column to export; repeat it for more, in the order wanted\n"
        "                     (default: every column in table order)\n"
        "  --separator TEXT   the text between two fields, exactly as given (default \",\")\n"
        "  --no-header        leave out the first line of field names\n"
        "  --output PATH|-    the file to write; \"-\" or no --output writes to standard output\n"
        "  --server H, --port N, --user U, --database D\n"
        "                     login values; each defaults to the one the wizard stored\n"
        "  --ssl-ca FILE      check that the server's certificate comes from this authority and\n"
        "                     names the server; fail when the server offers no TLS\n"
        "  --ssl-verify-server-cert\n"
        "                     check that the server's certificate is trusted and names the\n"
        "                     server; fail when the server offers no TLS\n"
        "  --ssl-cert FILE, --ssl-key FILE\n"
        "                     a client certificate and its key, for a user that requires one\n"
        "  --timeout SECONDS  how long to wait for the server's answer or a row before giving\n"
        "                     up (default 5000); a wait of 10 s or more is told on standard error\n"
        "  --verbose          tell on standard error how the connection is encrypted\n"
        "  --help             show this text\n"
        "  --version          show the program's version\n"
        "\n"
        "The password comes from the wizard's stored login or from the environment variable\n"
        "TABLEWRIGHT_PASSWORD, never from the command line. An existing file is replaced only\n"
        "when every row has been written.\n"
        "\n"
        "The connection is encrypted with TLS whenever the server offers it. The --ssl- options\n"
        "may also stand in the [client] group of the standard option files (/etc/mysql/my.cnf,\n"
        "~/.my.cnf); the command line takes their place.\n"
        "\n"

        "Exit status: 0 when the file was written, 1 when the export failed, 2 for a usage error,\n"
        "128 + N when signal N (SIGINT, SIGTERM, SIGHUP) stopped it; an existing file then stays as it was.\n");
}

CommandLine ParseCommandLine(const QList<QByteArray>& rawArguments) {
    QStringList arguments;
    for (const QByteArray& raw : rawArguments) arguments += QString::fromLocal8Bit(raw);
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QStringList withValue = {QStringLiteral("table"),    QStringLiteral("field"),    QStringLiteral("separator"),
                                   QStringLiteral("output"),   QStringLiteral("server"),   QStringLiteral("port"),
                                   QStringLiteral("user"),     QStringLiteral("database"), QStringLiteral("ssl-ca"),
                                   QStringLiteral("ssl-cert"), QStringLiteral("ssl-key"),  QStringLiteral("timeout")};
    for (const QString& name : withValue)
        parser.addOption(QCommandLineOption(name, QString(), QStringLiteral("value")));
    for (const char* flag : {"no-header", "ssl-verify-server-cert", "verbose", "help", "version"})
        parser.addOption(QCommandLineOption(QLatin1String(flag)));
    // For shell completion: the stored login's table names, one a line.
    parser.addOption(QCommandLineOption(QStringLiteral("list-tables")));

    if (!parser.parse(QStringList{QStringLiteral("tablewright-export")} + arguments))
        return Problem(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        CommandLine line;
        line.action = CommandLine::Action::Help;
        return line;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        CommandLine line;
        line.action = CommandLine::Action::Version;
        return line;
    }
    if (!parser.positionalArguments().isEmpty())
        return Problem(QStringLiteral("Unexpected argument: ") + parser.positionalArguments().constFirst());
    for (const QString& name : withValue) {
        if (name != QLatin1String("field") && parser.values(name).size() > 1)
            return Problem(QStringLiteral("--%1 is given more than once.").arg(name));
    }

    CommandLine line;
    if (parser.isSet(QStringLiteral("list-tables"))) line.action = CommandLine::Action::ListTables;
    line.table = parser.value(QStringLiteral("table"));
    if (line.table.isEmpty() && line.action == CommandLine::Action::Export)
        return Problem(QStringLiteral("--table NAME is required."));
    line.fields = parser.values(QStringLiteral("field"));
    if (parser.isSet(QStringLiteral("separator"))) {
        line.separator = parser.value(QStringLiteral("separator"));
        line.separatorBytes = RawSeparator(rawArguments, line.separator);
    }
    line.header = !parser.isSet(QStringLiteral("no-header"));
    line.output = parser.value(QStringLiteral("output"));
    // An empty path (an unset variable in a script) must not pour the table
    // onto the terminal.
    if (parser.isSet(QStringLiteral("output")) && line.output.isEmpty())
        return Problem(QStringLiteral("--output needs a path, or \"-\" for standard output."));
    line.server = ValueIfSet(parser, QStringLiteral("server"));
    line.port = ValueIfSet(parser, QStringLiteral("port"));
    line.user = ValueIfSet(parser, QStringLiteral("user"));
    line.database = ValueIfSet(parser, QStringLiteral("database"));
    if (line.port && !IsPort(*line.port)) return Problem(QStringLiteral("--port must be a number from 1 to 65535."));
    line.sslCa = ValueIfSet(parser, QStringLiteral("ssl-ca"));
    line.sslCert = ValueIfSet(parser, QStringLiteral("ssl-cert"));
    line.sslKey = ValueIfSet(parser, QStringLiteral("ssl-key"));
    line.sslVerifyServerCert = parser.isSet(QStringLiteral("ssl-verify-server-cert"));
    line.verbose = parser.isSet(QStringLiteral("verbose"));
    if (parser.isSet(QStringLiteral("timeout"))) {
        bool number = false;
        const QString text = parser.value(QStringLiteral("timeout")).trimmed();
        line.timeoutSeconds = text.toUInt(&number);
        if (!number || line.timeoutSeconds == 0 || text.startsWith(QLatin1Char('+')))
            return Problem(QStringLiteral("--timeout must be a whole number of seconds, 1 or more."));
    }
    return line;
}

db::TlsSettings TlsSettingsFor(const CommandLine& line, db::TlsSettings fromOptionFiles) {
    db::TlsSettings settings = std::move(fromOptionFiles);
    if (line.sslCa) settings.ca = *line.sslCa;
    if (line.sslCert) settings.cert = *line.sslCert;
    if (line.sslKey) settings.key = *line.sslKey;
    if (line.sslVerifyServerCert) settings.verifyServerCert = true;
    return settings;
}

}  // namespace exporter::cli
