#include "export/cli/stored_login.h"

#include <QFileInfo>

#include "app/login_settings.h"

namespace exporter::cli {

db::LoginValues StoredLoginValues() {
    db::LoginValues values{app::LoginDefault(app::LoginField::Server), QString(), QString(), QString(),
                           app::LoginDefault(app::LoginField::Port)};
    if (QFileInfo::exists(app::SettingsStore::DefaultFilePath())) values = app::ReadStoredLogin(app::SettingsStore());
    if (qEnvironmentVariableIsSet("TABLEWRIGHT_PASSWORD"))
        values.password = qEnvironmentVariable("TABLEWRIGHT_PASSWORD");
    return values;
}

}  // namespace exporter::cli
