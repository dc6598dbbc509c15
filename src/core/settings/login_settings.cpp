#include "settings/login_settings.h"

namespace settings {

const std::array<LoginSetting, 5>& LoginSettings() {
    static const std::array<LoginSetting, 5> settings{{
        {LoginField::Server, "MyServer", "localhost", &db::LoginValues::server},
        {LoginField::User, "MyUser", "", &db::LoginValues::user},
        {LoginField::Password, "MyPassword", "", &db::LoginValues::password},
        {LoginField::Database, "MyDatabase", "", &db::LoginValues::database},
        {LoginField::Port, "MyPort", "3306", &db::LoginValues::port},
    }};
    return settings;
}

namespace {
const LoginSetting& SettingOf(LoginField field) { return LoginSettings().at(static_cast<std::size_t>(field)); }
}  // namespace

QString LoginKey(LoginField field) { return QString::fromLatin1(SettingOf(field).key); }

QString LoginDefault(LoginField field) { return QString::fromLatin1(SettingOf(field).defaultValue); }

QString ReadLoginValue(const SettingsStore& store, LoginField field) {
    return store.Read(LoginKey(field), LoginDefault(field));
}

db::LoginValues ReadStoredLogin(const SettingsStore& store) {
    db::LoginValues values;
    for (const LoginSetting& setting : LoginSettings()) values.*setting.member = ReadLoginValue(store, setting.field);
    return values;
}

db::LoginValues DefaultLogin() {
    db::LoginValues values;
    for (const LoginSetting& setting : LoginSettings()) values.*setting.member = LoginDefault(setting.field);
    return values;
}

void WriteStoredLogin(SettingsStore& store, const db::LoginValues& values) {
    for (const LoginSetting& setting : LoginSettings()) store.Write(LoginKey(setting.field), values.*setting.member);
}

}  // namespace settings
