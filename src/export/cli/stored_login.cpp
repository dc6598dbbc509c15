#include "export/cli/stored_login.h"

#include <QFileInfo>

#include "app/settings_store.h"

namespace exporter::cli {

db::LoginValues StoredLoginValues() {
    db::LoginValues values{QStringLiteral("localhost"), QString(), QString(), QString(), QStringLiteral("3306")};
    if (QFileInfo::exists(app::SettingsStore::DefaultFilePath())) {
        const app::SettingsStore store;
        values.server = store.Read(QStringLiteral("MyServer"), values.server);
        values.user = store.Read(QStringLiteral("MyUser"), values.user);
        values.password = store.Read(QStringLiteral("MyPassword"), values.password);
        values.database = store.Read(QStringLiteral("MyDatabase"), values.database);
        values.port = store.Read(QStringLiteral("MyPort"), values.port);
    }
    if (qEnvironmentVariableIsSet("TABLEWRIGHT_PASSWORD"))
        values.password = qEnvironmentVariable("TABLEWRIGHT_PASSWORD");
    return values;
}

}  // namespace exporter::cli
