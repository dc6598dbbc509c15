#include "command_line.h"

#include <cstring>
#include <cwchar>
#include <limits>
#include <utility>

#include <fcntl.h>
#include <langinfo.h>

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringDecoder>

#include "client_arguments.h"
#include "db/connection.h"
#include "db/db_error.h"
#include "db/query_rows.h"

namespace exporter::cli {
namespace {

// The longest --timeout: the connector keeps its waits in milliseconds in
// an int, so a longer one would wrap around.
constexpr unsigned kMostTimeoutSeconds = std::numeric_limits<int>::max() / 1000;

// The --timeout text as seconds, or the reason it is none.
std::optional<QString> ReadTimeout(const QString& text, unsigned& seconds) {
    const QString wholeNumber = QStringLiteral("--timeout must be a whole number of seconds, 1 or more.");
    if (text.isEmpty()) return wholeNumber;
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return wholeNumber;
    qsizetype firstDigit = 0;  // leading zeros say nothing of the size
    while (firstDigit + 1 < text.size() && text.at(firstDigit) == QLatin1Char('0')) ++firstDigit;
    const QString digits = text.mid(firstDigit);
    const qulonglong value = digits.size() <= 10 ? digits.toULongLong() : qulonglong{kMostTimeoutSeconds} + 1;
    if (value == 0) return wholeNumber;
    if (value > kMostTimeoutSeconds)
        return QStringLiteral("--timeout must be at most %1 seconds (about 24 days).").arg(kMostTimeoutSeconds);
    seconds = static_cast<unsigned>(value);
    return std::nullopt;
}

// An argument as text in the locale's character set: UTF-8 (as Qt takes
// every locale to be) unless the locale says otherwise, a legacy one such as
// ISO-8859-1 then read by the C library. Bytes that are no text there become
// U+FFFD.
QString ArgumentText(const QByteArray& bytes) {
    const char* const codeset = ::nl_langinfo(CODESET);
    if (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "ANSI_X3.4-1968") == 0)
        return QString::fromUtf8(bytes);
    QString text;
    std::mbstate_t state = {};
    const char* next = bytes.constData();
    std::size_t left = static_cast<std::size_t>(bytes.size());
    while (left > 0) {
        wchar_t character = 0;
        std::size_t used = std::mbrtowc(&character, next, left, &state);
        if (used == static_cast<std::size_t>(-1) || used == static_cast<std::size_t>(-2)) {
            text += QChar::ReplacementCharacter;
            state = {};
            used = 1;
        } else {
            const char32_t code = static_cast<char32_t>(character);
            text += QString::fromUcs4(&code, 1);
            if (used == 0) used = 1;
        }
        next += used;
        left -= used;
    }
    return text;
}

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

// The bytes of an option's value: the argument after "--NAME" or the text
// after "--NAME=", one dash or two. Checked against what the parser read, so
// that an argument that only looks like the option (the value of another
// one) is never taken.
std::optional<QByteArray> RawValue(const QList<QByteArray>& arguments, const QByteArray& name, const QString& parsed) {
    const QByteArray longForm = "--" + name;
    const QByteArray shortForm = "-" + name;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QByteArray& argument = arguments[i];
        if (argument == "--") break;
        QByteArray raw;
        if ((argument == longForm || argument == shortForm) && i + 1 < arguments.size())
            raw = arguments[i + 1];
        else if (argument.startsWith(longForm + '='))
            raw = argument.mid(longForm.size() + 1);
        else if (argument.startsWith(shortForm + '='))
            raw = argument.mid(shortForm.size() + 1);
        else
            continue;
        if (ArgumentText(raw) == parsed) return raw;
    }
    return std::nullopt;
}

std::optional<QByteArray> RawPathIfSet(const QCommandLineParser& parser, const QList<QByteArray>& arguments,
                                       const char* name) {
    const QString option = QLatin1String(name);
    if (!parser.isSet(option)) return std::nullopt;
    const QString parsed = parser.value(option);
    return RawValue(arguments, name, parsed).value_or(QFile::encodeName(parsed));
}

// A path as text that names the same file. Bytes that are no UTF-8 would be
// another name once they are text: such a file is opened (without waiting,
// should it be a pipe) and named by its descriptor, which stays open. One
// that cannot be opened keeps the name, which the connection then reports
// as a file that cannot be read.
QString PathText(const QByteArray& path) {
    QString text = QFile::decodeName(path);
    if (QFile::encodeName(text) == path) return text;
    const int descriptor = ::open(path.constData(), O_RDONLY | O_NONBLOCK);
    if (descriptor < 0) return text;
    return QStringLiteral("/proc/self/fd/%1").arg(descriptor);
}

// A bare --quote stands for --quote=needed: the parser knows no option whose
// value may be left out. An argument that is the value of the option before
// it stays as it is.
void QuoteWithoutValue(QStringList& arguments, const QStringList& withValue) {
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--")) return;
        if (argument != QLatin1String("--quote") && argument != QLatin1String("-quote")) continue;
        if (i > 0) {
            QString before = arguments[i - 1];
            if (before.startsWith(QLatin1String("--"))) before.remove(0, 1);
            if (before.startsWith(QLatin1Char('-')) && withValue.contains(before.mid(1))) continue;
        }
        arguments[i] = QStringLiteral("--quote=needed");
    }
}

// --query or --query-file, which take the place of the table, its fields and
// its condition; the reason they cannot be used as given, if any.
std::optional<QString> ReadQuery(const QCommandLineParser& parser, const QList<QByteArray>& arguments,
                                 CommandLine& line) {
    const bool text = parser.isSet(QStringLiteral("query"));
    const bool file = parser.isSet(QStringLiteral("query-file"));
    if (!text && !file) return std::nullopt;
    const QString option = text ? QStringLiteral("--query") : QStringLiteral("--query-file");
    if (text && file) return QStringLiteral("--query and --query-file cannot be used together.");
    const std::pair<const char*, const char*> excluded[] = {
        {"table", "the query names its own tables"},
        {"field", "the query chooses its own columns"},
        {"where", "the condition belongs in the query"},
    };
    for (const auto& [name, reason] : excluded) {
        if (parser.isSet(QLatin1String(name)))
            return QStringLiteral("--%1 cannot be used with %2: %3.")
                .arg(QLatin1String(name), option, QLatin1String(reason));
    }
    if (file) {
        const QString path = parser.value(QStringLiteral("query-file"));
        // An empty path (an unset variable in a script) must not wait for
        // standard input.
        if (path.isEmpty()) return QStringLiteral("--query-file needs a path, or \"-\" for standard input.");
        line.queryFile = RawValue(arguments, "query-file", path).value_or(QFile::encodeName(path));
        return std::nullopt;
    }
    line.query = parser.value(QStringLiteral("query"));
    const QString problem = db::QueryTextProblem(line.query);
    if (!problem.isEmpty()) return QStringLiteral("--query: ") + problem;
    return std::nullopt;
}

// Where the login comes from besides the command line: the socket, the
// option files to read and whether the password is typed.
std::optional<QString> ReadLoginSources(const QCommandLineParser& parser, bool askPassword, CommandLine& line) {
    line.socket = ValueIfSet(parser, QStringLiteral("socket"));
    if (line.socket && line.socket->isEmpty()) return QStringLiteral("--socket needs the path of a socket.");
    line.askPassword = askPassword;
    line.noDefaults = parser.isSet(QStringLiteral("no-defaults"));
    line.defaultsFile = ValueIfSet(parser, QStringLiteral("defaults-file"));
    line.defaultsExtraFile = ValueIfSet(parser, QStringLiteral("defaults-extra-file"));
    for (const auto& file : {line.defaultsFile, line.defaultsExtraFile}) {
        if (!file) continue;
        if (line.noDefaults) return QStringLiteral("--no-defaults reads no option file; leave it out to read one.");
        // A file that cannot be read would leave the login to the others
        // without a word, as a typing error in a script: the export could
        // go to another server and succeed.
        const QFileInfo named(*file);
        if (!named.exists()) return QStringLiteral("The option file %1 is not there.").arg(*file);
        if (!named.isFile()) return QStringLiteral("The option file %1 is not a file.").arg(*file);
        if (!named.isReadable()) return QStringLiteral("The option file %1 cannot be read.").arg(*file);
    }
    return std::nullopt;
}

}  // namespace

QString LocaleText(const QByteArray& bytes) { return ArgumentText(bytes); }

QString UsageText() {
    return QStringLiteral(
        "Usage: tablewright-export --table NAME [--field NAME]... [--separator TEXT] [--no-header]\n"
        "                          [--quote[=always]] [--where TEXT]\n"
        "                          [--output PATH|-] [-h H] [-P N] [-u U] [-p] [-S PATH] [[-D] DATABASE]\n"
        "                          [--defaults-file FILE | --defaults-extra-file FILE | --no-defaults]\n"
        "                          [--ssl-ca FILE] [--ssl-verify-server-cert] [--ssl-cert FILE --ssl-key FILE]\n"
        "                          [--timeout SECONDS] [--verbose]\n"
        "   or: tablewright-export --query SQL|--query-file PATH|- [the options above but\n"
        "                          --table, --field and --where]\n"
        "\n"
        "Exports one table to a delimited text file, as the Tablewright wizard's \"Finish\" does,\n"
        "or the rows of one query.\n"
        "\n"
        "  --table NAME       the table to export (required)\n"
        "  --field NAME       a column to export; repeat it for more, in the order wanted\n"
        "                     (default: every column in table order)\n"
        "  --separator TEXT   the text between two fields, exactly as given (default \",\")\n"
        "  --no-header        leave out the first line of field names\n"
        "  --quote            enclose in double quotes (RFC 4180) each value that holds the\n"
        "                     separator, a double quote, CR or LF, its quotes doubled\n"
        "  --quote=always     enclose every value but NULL, so that NULL and empty text differ\n"
        "  --where TEXT       export only the rows for which the SQL condition TEXT holds;\n"
        "                     it is sent to the server as given\n"
        "  --query SQL        export the rows of this one SELECT (or WITH or VALUES; TABLE\n"
        "                     on MySQL 8.0.19 and later) statement in place of a table, in\n"
        "                     the same format; it is sent to the server as given, and\n"
        "                     anything else is refused unrun\n"
        "  --query-file PATH|-\n"
        "                     the same, the statement read from a file (\"-\": standard input)\n"
        "  --output PATH|-    the file to write; \"-\" or no --output writes to standard output\n"
        "  -h, --host H       the server's host name (also --server H)\n"
        "  -P, --port N       the server's port\n"
        "  -u, --user U       the user name\n"
        "  -p, --password     type the password on the terminal (it is not shown); a\n"
        "                     password given with the option is refused\n"
        "  -D, --database D   the database; it may also stand alone, as the last argument\n"
        "  -S, --socket PATH  connect through this Unix socket, whatever the host and port\n"
        "                     say (the unix_socket authentication works through it)\n"
        "  --defaults-file FILE\n"
        "                     read login and TLS values from FILE instead of the standard\n"
        "                     option files\n"
        "  --defaults-extra-file FILE\n"
        "                     read FILE too, its values over the standard option files'\n"
        "  --no-defaults      read no option file\n"
        "  --print-defaults   show the login values each key would take and where they come\n"
        "                     from (the password masked), and exit\n"
        "  --ssl-ca FILE      check that the server's certificate comes from this authority and\n"
        "                     names the server; fail when the server offers no TLS\n"
        "  --ssl-verify-server-cert\n"
        "                     check that the server's certificate is trusted and names the\n"
        "                     server; fail when the server offers no TLS\n"
        "  --ssl-cert FILE, --ssl-key FILE\n"
        "                     a client certificate and its key, for a user that requires one\n"
        "  --enable-cleartext-plugin\n"
        "                     send the password in clear to a server that asks for it so\n"
        "                     (a PAM or LDAP account) also where its certificate is not\n"
        "                     checked (without it, only with --ssl-ca or\n"
        "                     --ssl-verify-server-cert)\n"
        "  --timeout SECONDS  how long to wait for the server's answer or a row before giving\n"
        "                     up (default 5000); a wait of 10 s or more is told on standard error\n"
        "  --verbose          tell on standard error how the connection is encrypted\n"
        "                     and how the rows are read (binary or text)\n"
        "  --help             show this text\n"
        "  --version          show the program's version\n"
        "\n"
        "Each login value (host, port, user, password, socket, database) is taken from the\n"
        "first of these that gives it:\n"
        "  1. the command line (-p: the password typed);\n"
        "  2. the file of --defaults-file or --defaults-extra-file;\n"
        "  3. the [tablewright-export] group of the standard option files (/etc/my.cnf,\n"
        "     /etc/mysql/my.cnf, ~/.my.cnf);\n"
        "  4. the login the wizard stored, with the password from the environment variable\n"
        "     TABLEWRIGHT_PASSWORD when that is set;\n"
        "  5. the [client], [client-server] and [client-mariadb] groups of the standard files;\n"
        "  6. the defaults: host localhost, port 3306.\n"
        "A host localhost with port 3306 goes through the option files' socket, or the local\n"
        "server's. An existing file is replaced only when every row has been written.\n"
        "\n"
        "The connection is encrypted with TLS whenever the server offers it. The --ssl- options\n"
        "may also stand in those option-file groups, in the same order; the command line takes\n"
        "their place.\n"
        "\n"

        "Exit status: 0 when the file was written, 1 when the export failed, 2 for a usage error,\n"
        "128 + N when signal N (SIGINT, SIGTERM, SIGHUP or another that would end it) stopped it;\n"
        "an existing file then stays as it was.\n");
}

CommandLine ParseCommandLine(const QList<QByteArray>& givenArguments) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QStringList withValue = {QStringLiteral("table"),
                                   QStringLiteral("field"),
                                   QStringLiteral("separator"),
                                   QStringLiteral("output"),
                                   QStringLiteral("host"),
                                   QStringLiteral("port"),
                                   QStringLiteral("user"),
                                   QStringLiteral("database"),
                                   QStringLiteral("ssl-ca"),
                                   QStringLiteral("ssl-cert"),
                                   QStringLiteral("ssl-key"),
                                   QStringLiteral("timeout"),
                                   QStringLiteral("quote"),
                                   QStringLiteral("where"),
                                   QStringLiteral("query"),
                                   QStringLiteral("query-file"),
                                   QStringLiteral("socket"),
                                   QStringLiteral("defaults-file"),
                                   QStringLiteral("defaults-extra-file")};
    const QStringList flags = {QStringLiteral("no-header"), QStringLiteral("ssl-verify-server-cert"),
                               QStringLiteral("enable-cleartext-plugin"), QStringLiteral("verbose"),
                               QStringLiteral("help"), QStringLiteral("version"), QStringLiteral("no-defaults"),
                               QStringLiteral("print-defaults"),
                               // For shell completion: the login's table names, one a line.
                               QStringLiteral("list-tables")};
    for (const QString& name : withValue) {
        // --server is the wizard's name for the host.
        const QStringList names =
            name == QLatin1String("host") ? QStringList{name, QStringLiteral("server")} : QStringList{name};
        parser.addOption(QCommandLineOption(names, QString(), QStringLiteral("value")));
    }
    for (const QString& flag : flags) parser.addOption(QCommandLineOption(flag));

    // The standard client's short options, and -p.
    QSet<QByteArray> valueNames;
    QSet<QByteArray> longNames = {"server"};
    for (const QString& name : withValue) {
        longNames += name.toLatin1();
        // A bare --quote takes no value (see QuoteWithoutValue).
        if (name != QLatin1String("quote")) valueNames += name.toLatin1();
    }
    for (const QString& flag : flags) longNames += flag.toLatin1();
    const ClientArguments client = FromClientArguments(givenArguments, valueNames, longNames);
    if (client.problem) return Problem(*client.problem);
    const QList<QByteArray>& rawArguments = client.arguments;
    QStringList arguments;
    for (const QByteArray& raw : rawArguments) arguments += ArgumentText(raw);
    QuoteWithoutValue(arguments, withValue);

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
    // One argument names the database, as the standard client's does.
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1) return Problem(QStringLiteral("Unexpected argument: ") + positional.at(1));
    if (!positional.isEmpty() && parser.isSet(QStringLiteral("database")))
        return Problem(QStringLiteral("The database is given twice: by --database and as ") + positional.constFirst());
    for (const QString& name : withValue) {
        if (name != QLatin1String("field") && parser.values(name).size() > 1)
            return Problem(QStringLiteral("--%1 is given more than once.").arg(name));
    }

    CommandLine line;
    if (parser.isSet(QStringLiteral("list-tables"))) line.action = CommandLine::Action::ListTables;
    if (const std::optional<QString> wrong = ReadQuery(parser, rawArguments, line)) return Problem(*wrong);
    if (parser.isSet(QStringLiteral("print-defaults"))) line.action = CommandLine::Action::PrintDefaults;
    line.table = parser.value(QStringLiteral("table"));
    if (line.table.isEmpty() && !line.isQuery() && line.action == CommandLine::Action::Export)
        return Problem(QStringLiteral("--table NAME (or --query SQL) is required."));
    line.fields = parser.values(QStringLiteral("field"));
    if (parser.isSet(QStringLiteral("separator"))) {
        line.separator = parser.value(QStringLiteral("separator"));
        line.separatorBytes = RawValue(rawArguments, "separator", line.separator);
    }
    line.header = !parser.isSet(QStringLiteral("no-header"));
    if (parser.isSet(QStringLiteral("quote"))) {
        const QString how = parser.value(QStringLiteral("quote"));
        if (how == QLatin1String("needed"))
            line.quoting = lines::Quoting::WhenNeeded;
        else if (how == QLatin1String("always"))
            line.quoting = lines::Quoting::Always;
        else
            return Problem(QStringLiteral("--quote takes no value, or \"always\"."));
        // Quotes cannot keep apart fields that nothing separates, nor lines
        // that a separator breaks.
        const QByteArray separator = line.separatorBytes.value_or(line.separator.toUtf8());
        if (separator.isEmpty() || separator.contains('"') || separator.contains('\r') || separator.contains('\n'))
            return Problem(QStringLiteral("--quote needs a separator without a double quote, CR or LF."));
    }
    line.where = parser.value(QStringLiteral("where"));
    // An empty condition (an unset variable in a script) must not export
    // every row.
    if (parser.isSet(QStringLiteral("where")) && line.where.trimmed().isEmpty())
        return Problem(QStringLiteral("--where needs a condition."));
    line.output = parser.value(QStringLiteral("output"));
    line.outputBytes = RawValue(rawArguments, "output", line.output).value_or(QFile::encodeName(line.output));
    // An empty path (an unset variable in a script) must not pour the table
    // onto the terminal.
    if (parser.isSet(QStringLiteral("output")) && line.output.isEmpty())
        return Problem(QStringLiteral("--output needs a path, or \"-\" for standard output."));
    line.server = ValueIfSet(parser, QStringLiteral("host"));
    line.port = ValueIfSet(parser, QStringLiteral("port"));
    line.user = ValueIfSet(parser, QStringLiteral("user"));
    line.database = ValueIfSet(parser, QStringLiteral("database"));
    if (!positional.isEmpty()) line.database = positional.constFirst();
    if (line.port && !IsPort(*line.port)) return Problem(QStringLiteral("--port must be a number from 1 to 65535."));
    if (const std::optional<QString> problem = ReadLoginSources(parser, client.askPassword, line))
        return Problem(*problem);
    line.sslCa = RawPathIfSet(parser, rawArguments, "ssl-ca");
    line.sslCert = RawPathIfSet(parser, rawArguments, "ssl-cert");
    line.sslKey = RawPathIfSet(parser, rawArguments, "ssl-key");
    // Names and login values go to the server as text: bytes that are no
    // text in the locale's character set would name something else.
    QStringList texts = line.fields;
    texts << line.table << line.where << line.query;
    for (const auto& value : {line.server, line.port, line.user, line.database, line.socket})
        if (value) texts << *value;
    for (const QString& text : texts) {
        if (text.contains(QChar::ReplacementCharacter))
            return Problem(QStringLiteral("\"%1\" is not text in the locale's character set.").arg(text));
    }
    line.sslVerifyServerCert = parser.isSet(QStringLiteral("ssl-verify-server-cert"));
    line.cleartextPassword = parser.isSet(QStringLiteral("enable-cleartext-plugin"));
    line.verbose = parser.isSet(QStringLiteral("verbose"));
    if (parser.isSet(QStringLiteral("timeout"))) {
        if (const std::optional<QString> wrong =
                ReadTimeout(parser.value(QStringLiteral("timeout")).trimmed(), line.timeoutSeconds))
            return Problem(*wrong);
    }
    return line;
}

db::TlsSettings TlsSettingsFor(const CommandLine& line, db::TlsSettings fromOptionFiles) {
    db::TlsSettings settings = std::move(fromOptionFiles);
    if (line.sslCa) settings.ca = PathText(*line.sslCa);
    if (line.sslCert) settings.cert = PathText(*line.sslCert);
    if (line.sslKey) settings.key = PathText(*line.sslKey);
    if (line.sslVerifyServerCert) settings.verifyServerCert = true;
    settings.cleartextPassword = line.cleartextPassword;
    return settings;
}

}  // namespace exporter::cli
