#include "stored_login.h"

#include <QFileInfo>

#include "settings/login_settings.h"

namespace exporter::cli {
namespace {

// The wizard's keys by the option files' names.
const char* OptionKeyOf(settings::LoginField field) {
    switch (field) {
    case settings::LoginField::Server: return "host";
    case settings::LoginField::User: return "user";
    case settings::LoginField::Password: return "password";
    case settings::LoginField::Database: return "database";
    case settings::LoginField::Port: return "port";
    }
    return "";
}

}  // namespace

LoginLayer StoredLogin(QString& warning) {
    LoginLayer layer;
    const QString path = settings::SettingsStore::DefaultFilePath();
    // A link that leads nowhere is there too (and not followed).
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink()) {
        const settings::SettingsStore store(settings::SettingsStore::Access::ReadOnly);
        if (store.fileState() != settings::SettingsStore::FileState::Read)
            warning = QStringLiteral("warning: ") + store.WarningText();
        for (const settings::LoginSetting& setting : settings::LoginSettings()) {
            // An empty box leaves the key to the option files and defaults.
            const QString value = store.Read(QLatin1String(setting.key), QString());
            if (!value.isEmpty())
                layer.insert(QLatin1String(OptionKeyOf(setting.field)),
                             {value, QStringLiteral("the wizard's stored login, %1").arg(path)});
        }
    }
    if (qEnvironmentVariableIsSet("TABLEWRIGHT_PASSWORD"))
        layer.insert(QStringLiteral("password"),
                     {qEnvironmentVariable("TABLEWRIGHT_PASSWORD"), QStringLiteral("TABLEWRIGHT_PASSWORD")});
    return layer;
}

}  // namespace exporter::cli
