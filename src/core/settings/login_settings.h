#pragma once

#include <QString>

#include "db/login_values.h"
#include "settings/settings_store.h"

namespace settings {

enum class LoginField { Server, User, Password, Database, Port };

// The settings key of a login value ("MyServer", "MyUser", "MyPassword",
// "MyDatabase", "MyPort") and the default its reader supplies ("localhost"
// for the server, "3306" for the port, empty for the rest).
QString LoginKey(LoginField field);
QString LoginDefault(LoginField field);

QString ReadLoginValue(const SettingsStore& store, LoginField field);

// All five stored login values, with the defaults where nothing is stored.
db::LoginValues ReadStoredLogin(const SettingsStore& store);

}  // namespace settings
