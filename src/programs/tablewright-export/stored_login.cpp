#include "stored_login.h"

#include <QFileInfo>

#include "settings/login_settings.h"

namespace exporter::cli {

db::LoginValues StoredLoginValues(QString& warning) {
    db::LoginValues values = settings::DefaultLogin();
    const QString path = settings::SettingsStore::DefaultFilePath();
    // A link that leads nowhere is there too (and not followed).
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink()) {
        const settings::SettingsStore store(settings::SettingsStore::Access::ReadOnly);
        if (store.fileState() != settings::SettingsStore::FileState::Read)
            warning = QStringLiteral("warning: ") + store.WarningText();
        values = settings::ReadStoredLogin(store);
    }
    if (qEnvironmentVariableIsSet("TABLEWRIGHT_PASSWORD"))
        values.password = qEnvironmentVariable("TABLEWRIGHT_PASSWORD");
    return values;
}

}  // namespace exporter::cli
