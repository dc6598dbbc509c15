#include "login_sources.h"

#include <vector>

#include <QFile>

#include "db/connection.h"
#include "db/db_error.h"
#include "db/option_files.h"
#include "settings/login_settings.h"
#include "stored_login.h"

namespace exporter::cli {
namespace {

const QString kOwnGroup = QStringLiteral("tablewright-export");

QStringList LoginKeys() {
    return {QStringLiteral("host"),     QStringLiteral("port"),   QStringLiteral("user"),
            QStringLiteral("password"), QStringLiteral("socket"), QStringLiteral("database")};
}

// The login values of the lines in the given groups, a later line winning.
LoginLayer LayerOf(const std::vector<db::GroupOption>& lines, const QStringList& groups) {
    const QStringList keys = LoginKeys();
    LoginLayer layer;
    for (const db::GroupOption& line : lines) {
        if (!groups.contains(line.group) || !line.option.hasValue || !keys.contains(line.option.name)) continue;
        layer.insert(line.option.name, {line.option.value, QStringLiteral("%1 [%2]").arg(line.file, line.group)});
    }
    return layer;
}

// The lines of the given groups, for the TLS keys.
std::vector<db::ClientOption> OptionsOf(const std::vector<db::GroupOption>& lines, const QStringList& groups) {
    std::vector<db::ClientOption> options;
    for (const db::GroupOption& line : lines)
        if (groups.contains(line.group)) options.push_back(line.option);
    return options;
}

void Append(std::vector<db::ClientOption>& to, const std::vector<db::ClientOption>& more) {
    to.insert(to.end(), more.begin(), more.end());
}

LoginLayer CommandLineLayer(const CommandLine& line, const std::optional<QString>& typedPassword) {
    LoginLayer layer;
    const QString source = QStringLiteral("command line");
    const auto put = [&](const char* key, const std::optional<QString>& value) {
        if (value) layer.insert(QLatin1String(key), {*value, source});
    };
    put("host", line.server);
    put("port", line.port);
    put("user", line.user);
    put("database", line.database);
    put("socket", line.socket);
    if (typedPassword) layer.insert(QStringLiteral("password"), {*typedPassword, QStringLiteral("typed")});
    return layer;
}

LoginLayer Defaults() {
    const QString source = QStringLiteral("default");
    return {{QStringLiteral("host"), {settings::LoginDefault(settings::LoginField::Server), source}},
            {QStringLiteral("port"), {settings::LoginDefault(settings::LoginField::Port), source}}};
}

bool IsDefaultPort(const QString& port) {
    try {
        return db::ParsePort(port) == 3306;
    } catch (const db::DbError&) {
        return false;
    }
}

// The TLS keys that have a value, with the line they come from: the last
// of the key's names among the options, or the command line.
void AddTlsSources(ChosenLogin& chosen, const std::vector<db::GroupOption>& ordered, const CommandLine& line) {
    const db::TlsSettings& tls = chosen.tls;
    const QList<QPair<QString, QString>> values = {{QStringLiteral("ssl-ca"), tls.ca},
                                                   {QStringLiteral("ssl-cert"), tls.cert},
                                                   {QStringLiteral("ssl-key"), tls.key},
                                                   {QStringLiteral("ssl-crl"), tls.crl},
                                                   {QStringLiteral("ssl-crlpath"), tls.crlPath}};
    const auto sourceOf = [&](const QString& key, bool fromCommandLine) {
        if (fromCommandLine) return QStringLiteral("command line");
        QString source;
        for (const db::GroupOption& option : ordered)
            if (option.option.name.endsWith(key)) source = QStringLiteral("%1 [%2]").arg(option.file, option.group);
        return source;
    };
    const bool given[] = {line.sslCa.has_value(), line.sslCert.has_value(), line.sslKey.has_value(), false, false};
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (!values[i].second.isEmpty())
            chosen.chosen.append({values[i].first, {values[i].second, sourceOf(values[i].first, given[i])}});
    }
    if (tls.verifyServerCert)
        chosen.chosen.append(
            {QStringLiteral("ssl-verify-server-cert"),
             {QString(), sourceOf(QStringLiteral("ssl-verify-server-cert"), line.sslVerifyServerCert)}});
}

}  // namespace

ChosenLogin ChooseLogin(const CommandLine& line, const std::optional<QString>& typedPassword) {
    ChosenLogin chosen;
    const QStringList clientGroups = db::ClientGroups();
    const QStringList allGroups = clientGroups + QStringList{kOwnGroup};

    QStringList named;
    for (const auto& file : {line.defaultsFile, line.defaultsExtraFile})
        if (file) named += *file;
    std::vector<db::GroupOption> standardLines;
    std::vector<db::GroupOption> namedLines;
    if (!line.noDefaults) {
        if (!line.defaultsFile)
            standardLines = db::ReadOptionGroups(db::StandardOptionFiles(), allGroups, &chosen.optionFileWarnings);
        namedLines = db::ReadOptionGroups(named, allGroups, &chosen.optionFileWarnings);
    }
    LoginLayer namedLayer = LayerOf(namedLines, clientGroups);
    namedLayer.insert(LayerOf(namedLines, {kOwnGroup}));
    const QList<LoginLayer> layers = {CommandLineLayer(line, typedPassword), namedLayer,
                                      LayerOf(standardLines, {kOwnGroup}),   StoredLogin(chosen.storeWarning),
                                      LayerOf(standardLines, clientGroups),  Defaults()};

    QMap<QString, SourcedValue> values;
    for (const QString& key : LoginKeys()) {
        for (const LoginLayer& layer : layers) {
            if (!layer.contains(key)) continue;
            values.insert(key, layer.value(key));
            chosen.chosen.append({key, layer.value(key)});
            break;
        }
    }
    db::LoginValues& login = chosen.login;
    login.server = values.value(QStringLiteral("host")).value;
    login.port = values.value(QStringLiteral("port")).value;
    login.user = values.value(QStringLiteral("user")).value;
    login.password = values.value(QStringLiteral("password")).value;
    login.database = values.value(QStringLiteral("database")).value;
    // As the standard client does, a socket named on the command line is
    // used whatever the host; one from a file stands for the local server's,
    // which "localhost" with port 3306 means.
    const QString socket = values.value(QStringLiteral("socket")).value;
    if (line.socket || (login.server == QLatin1String("localhost") && IsDefaultPort(login.port))) login.socket = socket;

    // The TLS keys, a later line winning: the client groups, the program's
    // own, then the named files'.
    std::vector<db::ClientOption> tlsOptions = OptionsOf(standardLines, clientGroups);
    Append(tlsOptions, OptionsOf(standardLines, {kOwnGroup}));
    Append(tlsOptions, OptionsOf(namedLines, clientGroups));
    Append(tlsOptions, OptionsOf(namedLines, {kOwnGroup}));
    chosen.tls = TlsSettingsFor(line, db::TlsSettingsFromOptions(tlsOptions));
    std::vector<db::GroupOption> ordered;
    for (const auto* lines : {&standardLines, &namedLines})
        for (const QStringList& groups : {clientGroups, QStringList{kOwnGroup}})
            for (const db::GroupOption& option : *lines)
                if (groups.contains(option.group)) ordered.push_back(option);
    AddTlsSources(chosen, ordered, line);
    return chosen;
}

QString ChosenLoginText(const ChosenLogin& chosen) {
    QString text = QStringLiteral("tablewright-export would connect with:\n");
    for (const auto& [key, sourced] : chosen.chosen) {
        QString option = QStringLiteral("--") + key;
        if (key == QLatin1String("password"))
            option += QStringLiteral("=*****");
        else if (key != QLatin1String("ssl-verify-server-cert"))
            option += QLatin1Char('=') + sourced.value;
        QString source = sourced.source;
        if (key == QLatin1String("socket") && chosen.login.socket.isEmpty())
            source += QStringLiteral("; not used: the host is not localhost with port 3306");
        text += QStringLiteral("%1  # %2\n").arg(option.leftJustified(30), source);
    }
    return text;
}

}  // namespace exporter::cli
