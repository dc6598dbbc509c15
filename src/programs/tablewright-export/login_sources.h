#pragma once

#include <optional>

#include <QString>
#include <QStringList>

#include "command_line.h"
#include "db/login_values.h"
#include "db/tls_settings.h"
#include "login_layer.h"

namespace exporter::cli {

// The login and TLS settings an export connects with, and where each came
// from.
struct ChosenLogin {
    db::LoginValues login;
    db::TlsSettings tls;
    // Each key that has a value, in the order of --help, with its source.
    QList<QPair<QString, SourcedValue>> chosen;
    // What the option files gave cause to warn about, in the standard
    // client's words.
    QStringList optionFileWarnings;
    // Why the wizard's settings file could not be read; empty when it could.
    QString storeWarning;
};

// Takes each login value, key by key, from the first source that gives it:
// the command line (with `typedPassword`, what -p read); the files of
// --defaults-file and --defaults-extra-file (their [tablewright-export]
// group over the client groups); the [tablewright-export] group of the
// standard option files; the wizard's stored login; the client groups
// ([client], [client-server], [client-mariadb]) of the standard files; the
// defaults. The TLS keys come from the same option files in the same order,
// the command line's in their place. --defaults-file reads its file in
// place of the standard ones, --no-defaults no file at all. A socket given
// on the command line is always used; one from a file, as the local
// server's, for "localhost" with port 3306.
ChosenLogin ChooseLogin(const CommandLine& line, const std::optional<QString>& typedPassword);

// What --print-defaults shows: one "--key=value" a line with its source,
// the password masked.
QString ChosenLoginText(const ChosenLogin& chosen);

}  // namespace exporter::cli
