#pragma once

#include <QString>

#include "login_layer.h"

namespace exporter::cli {

// The login values the wizard stored, each only where the store holds a
// value that is not empty, with the password from TABLEWRIGHT_PASSWORD when
// that is set. Reading creates no settings file. `warning` tells when the
// settings file exists but cannot be read or parsed; it stays empty
// otherwise.
LoginLayer StoredLogin(QString& warning);

}  // namespace exporter::cli
