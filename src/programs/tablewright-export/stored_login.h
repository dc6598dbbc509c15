#pragma once

#include "db/login_values.h"

namespace exporter::cli {

// The login values the wizard stored (its defaults where nothing is stored),
// with the password from TABLEWRIGHT_PASSWORD when that is set. Reading
// creates no settings file.
db::LoginValues StoredLoginValues();

}  // namespace exporter::cli
