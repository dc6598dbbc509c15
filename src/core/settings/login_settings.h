#pragma once

#include <array>

#include <QString>

#include "db/login_values.h"
#include "settings/settings_store.h"

namespace settings {

// The five login values, in the order of the login page's boxes.
enum class LoginField { Server, User, Password, Database, Port };

// Everything about one stored login value in one place: its settings key,
// the default its reader supplies, and where it lives in db::LoginValues.
struct LoginSetting {
    LoginField field;
    const char* key;
    const char* defaultValue;
    QString db::LoginValues::*member;
};

// "MyServer" (default "localhost"), "MyUser", "MyPassword", "MyDatabase"
// and "MyPort" (default "3306"), in LoginField order.
const std::array<LoginSetting, 5>& LoginSettings();

QString LoginKey(LoginField field);
QString LoginDefault(LoginField field);

QString ReadLoginValue(const SettingsStore& store, LoginField field);

// All five stored login values, with the defaults where nothing is stored.
db::LoginValues ReadStoredLogin(const SettingsStore& store);
// The defaults alone, as a store without entries gives them.
db::LoginValues DefaultLogin();
// Stores all five values, each under its key.
void WriteStoredLogin(SettingsStore& store, const db::LoginValues& values);

}  // namespace settings
