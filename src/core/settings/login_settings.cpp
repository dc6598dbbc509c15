#include "settings/login_settings.h"

namespace settings {

QString LoginKey(LoginField field) {
    switch (field) {
    case LoginField::Server: return QStringLiteral("MyServer");
    case LoginField::User: return QStringLiteral("MyUser");
    case LoginField::Password: return QStringLiteral("MyPassword");
    case LoginField::Database: return QStringLiteral("MyDatabase");
    case LoginField::Port: return QStringLiteral("MyPort");
    }
    return QString();
}

QString LoginDefault(LoginField field) {
    switch (field) {
    case LoginField::Server: return QStringLiteral("localhost");
    case LoginField::Port: return QStringLiteral("3306");
    default: return QString();
    }
}

QString ReadLoginValue(const SettingsStore& store, LoginField field) {
    return store.Read(LoginKey(field), LoginDefault(field));
}

db::LoginValues ReadStoredLogin(const SettingsStore& store) {
    return db::LoginValues{ReadLoginValue(store, LoginField::Server), ReadLoginValue(store, LoginField::User),
                           ReadLoginValue(store, LoginField::Password), ReadLoginValue(store, LoginField::Database),
                           ReadLoginValue(store, LoginField::Port)};
}

}  // namespace settings
