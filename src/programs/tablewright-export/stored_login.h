#pragma once

#include <QString>

#include "db/login_values.h"

namespace exporter::cli {

// The login values the wizard stored (its defaults where nothing is stored),
// with the password from TABLEWRIGHT_PASSWORD when that is set. Reading
// creates no settings file. `warning` tells when the settings file exists
// but cannot be read or parsed; it stays empty otherwise.
db::LoginValues StoredLoginValues(QString& warning);

}  // namespace exporter::cli
