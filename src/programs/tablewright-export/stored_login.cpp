#include "stored_login.h"

#include <QFileInfo>

#include "settings/login_settings.h"

namespace exporter::cli {

db::LoginValues StoredLoginValues() {
    db::LoginValues values = settings::DefaultLogin();
    if (QFileInfo::exists(settings::SettingsStore::DefaultFilePath()))
        values = settings::ReadStoredLogin(settings::SettingsStore());
    if (qEnvironmentVariableIsSet("TABLEWRIGHT_PASSWORD"))
        values.password = qEnvironmentVariable("TABLEWRIGHT_PASSWORD");
    return values;
}

}  // namespace exporter::cli
