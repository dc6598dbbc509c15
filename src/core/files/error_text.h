#pragma once

#include <QString>

namespace files {

// The reason for a failed call with this error number, as the C library
// words it.
QString ErrorText(int error);

}  // namespace files
