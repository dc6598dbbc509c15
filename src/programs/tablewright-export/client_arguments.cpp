#include "client_arguments.h"

namespace exporter::cli {
namespace {

// The standard client's letters for the login options that take a value.
QByteArray LongNameOf(char letter) {
    switch (letter) {
    case 'h': return "host";
    case 'P': return "port";
    case 'u': return "user";
    case 'D': return "database";
    case 'S': return "socket";
    default: return {};
    }
}

QString PasswordRefused(const QByteArray& form) {
    return QStringLiteral(
               "%1 takes no password here: a password on the command line can be read by every user of the "
               "machine. Give %1 alone to type it, or put it in an option file or TABLEWRIGHT_PASSWORD.")
        .arg(QString::fromLatin1(form));
}

}  // namespace

ClientArguments FromClientArguments(const QList<QByteArray>& arguments, const QSet<QByteArray>& withValue,
                                    const QSet<QByteArray>& longNames) {
    ClientArguments out;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QByteArray& argument = arguments[i];
        const bool hasNext = i + 1 < arguments.size();
        if (argument == "--") {
            out.arguments += arguments.mid(i);
            break;
        }
        if (!argument.startsWith('-') || argument.size() < 2) {
            out.arguments += argument;
            continue;
        }
        // A long option, with two dashes or (as the parser takes it) one.
        const qsizetype dashes = argument.startsWith("--") ? 2 : 1;
        const QByteArray body = argument.mid(dashes);
        const qsizetype equals = body.indexOf('=');
        const QByteArray name = equals < 0 ? body : body.left(equals);
        if (name == "password") {
            if (equals >= 0) {
                out.problem = PasswordRefused("--password");
                return out;
            }
            out.askPassword = true;
            continue;
        }
        if (dashes == 2 || longNames.contains(name)) {
            out.arguments += argument;
            if (equals < 0 && withValue.contains(name) && hasNext) out.arguments += arguments[++i];
            continue;
        }
        // A short option of the standard client's.
        const char letter = body.front();
        const QByteArray rest = body.mid(1);
        if (letter == 'p') {
            if (!rest.isEmpty()) {
                out.problem = PasswordRefused("-p");
                return out;
            }
            out.askPassword = true;
            continue;
        }
        const QByteArray longName = LongNameOf(letter);
        if (longName.isEmpty()) {
            out.arguments += argument;  // the parser names it as unknown
        } else if (!rest.isEmpty()) {
            out.arguments += "--" + longName + '=' + rest;
        } else {
            out.arguments += "--" + longName;
            if (hasNext) out.arguments += arguments[++i];
        }
    }
    return out;
}

}  // namespace exporter::cli
