#include "stored_login.h"

#include <QFileInfo>

#include "settings/login_settings.h"

namespace exporter::cli {

db::LoginValues StoredLoginValues(QString& warning) {
    db::LoginValues values = settings::DefaultLogin();
    const QString path = settings::SettingsStore::DefaultFilePath();
    if (QFileInfo::exists(path)) {
        const settings::SettingsStore store;
        switch (store.fileState()) {
        case settings::SettingsStore::FileState::Unreadable:
            warning = QStringLiteral(
                          "warning: cannot read the settings file %1; the login values not given on the "
                          "command line are the defaults")
                          .arg(path);
            break;
        case settings::SettingsStore::FileState::Malformed:
            warning = QStringLiteral(
                          "warning: the settings file %1 is malformed; what could not be read of it is "
                          "replaced by the defaults")
                          .arg(path);
            break;
        case settings::SettingsStore::FileState::Read: break;
        }
        values = settings::ReadStoredLogin(store);
    }
    if (qEnvironmentVariableIsSet("TABLEWRIGHT_PASSWORD"))
        values.password = qEnvironmentVariable("TABLEWRIGHT_PASSWORD");
    return values;
}

}  // namespace exporter::cli
