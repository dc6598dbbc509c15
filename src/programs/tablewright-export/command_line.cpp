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
        "  --help             show this text\n"
        "\n"
        "The password comes from the wizard's stored login or from the environment variable\n"
        "TABLEWRIGHT_PASSWORD, never from the command line. An existing file is replaced only\n"
        "when every row has been written.\n"
        "\n"
        "Exit status: 0 when the file was written, 1 when the export failed, 2 for a usage error,\n"
        "128 + N when signal N (SIGINT, SIGTERM, SIGHUP) stopped it; an existing file then stays as it was.\n");
}

CommandLine ParseCommandLine(const QList<QByteArray>& rawArguments) {
    QStringList arguments;
    for (const QByteArray& raw : rawArguments) arguments += QString::fromLocal8Bit(raw);
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QStringList withValue = {QStringLiteral("table"),  QStringLiteral("field"),   QStringLiteral("separator"),
                                   QStringLiteral("output"), QStringLiteral("server"),  QStringLiteral("port"),
                                   QStringLiteral("user"),   QStringLiteral("database")};
    for (const QString& name : withValue)
        parser.addOption(QCommandLineOption(name, QString(), QStringLiteral("value")));
    parser.addOption(QCommandLineOption(QStringLiteral("no-header")));
    parser.addOption(QCommandLineOption(QStringLiteral("help")));

    if (!parser.parse(QStringList{QStringLiteral("tablewright-export")} + arguments))
        return Problem(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        CommandLine line;
        line.action = CommandLine::Action::Help;
        return line;
    }
    if (!parser.positionalArguments().isEmpty())
        return Problem(QStringLiteral("Unexpected argument: ") + parser.positionalArguments().constFirst());
    for (const QString& name : withValue) {
        if (name != QLatin1String("field") && parser.values(name).size() > 1)
            return Problem(QStringLiteral("--%1 is given more than once.").arg(name));
    }

    CommandLine line;
    line.table = parser.value(QStringLiteral("table"));
    if (line.table.isEmpty()) return Problem(QStringLiteral("--table NAME is required."));
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
    return line;
}

}  // namespace exporter::cli
