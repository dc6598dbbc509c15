#include "db/tls_settings.h"

#include <cstdio>
#include <mutex>
#include <optional>

#include <QDir>

#include "db/option_files.h"

namespace db {
namespace {

// A boolean option's value as the standard client reads it; anything it does
// not know counts as off.
bool IsOn(const ClientOption& option) {
    if (!option.hasValue) return true;
    for (const char* on : {"1", "on", "true", "yes", "enable"})
        if (option.value.compare(QLatin1String(on), Qt::CaseInsensitive) == 0) return true;
    return false;
}

std::mutex processLock;
std::optional<TlsSettings> processSettings;

}  // namespace

TlsSettings TlsSettingsFromOptionFiles(const QStringList& files, QStringList* warnings) {
    return TlsSettingsFromOptions(ReadClientOptions(files, warnings));
}

TlsSettings TlsSettingsFromOptions(const std::vector<ClientOption>& options) {
    TlsSettings settings;
    const QString verify = QStringLiteral("ssl-verify-server-cert");
    for (const ClientOption& option : options) {
        if (option.name == QLatin1String("ssl-ca") && option.hasValue)
            settings.ca = option.value;
        else if (option.name == QLatin1String("ssl-cert") && option.hasValue)
            settings.cert = option.value;
        else if (option.name == QLatin1String("ssl-key") && option.hasValue)
            settings.key = option.value;
        else if (option.name == QLatin1String("ssl-crl") && option.hasValue)
            settings.crl = option.value;
        else if (option.name == QLatin1String("ssl-crlpath") && option.hasValue)
            settings.crlPath = option.value;
        else if (option.name == verify || option.name == QLatin1String("enable-") + verify)
            settings.verifyServerCert = IsOn(option);
        else if (option.name == QLatin1String("skip-") + verify || option.name == QLatin1String("disable-") + verify)
            settings.verifyServerCert = false;
    }
    return settings;
}

QStringList StandardOptionFiles() {
    if (qEnvironmentVariableIsSet("TABLEWRIGHT_OPTION_FILES"))
        return qEnvironmentVariable("TABLEWRIGHT_OPTION_FILES").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    return {QStringLiteral("/etc/my.cnf"), QStringLiteral("/etc/mysql/my.cnf"),
            QDir::homePath() + QStringLiteral("/.my.cnf")};
}

TlsSettings ProcessTlsSettings() {
    const std::lock_guard<std::mutex> lock(processLock);
    if (!processSettings) {
        QStringList warnings;
        processSettings = TlsSettingsFromOptionFiles(StandardOptionFiles(), &warnings);
        for (const QString& warning : warnings) std::fprintf(stderr, "%s\n", warning.toLocal8Bit().constData());
    }
    return *processSettings;
}

void SetProcessTlsSettings(const TlsSettings& settings) {
    const std::lock_guard<std::mutex> lock(processLock);
    processSettings = settings;
}

}  // namespace db
