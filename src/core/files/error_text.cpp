#include "files/error_text.h"

#include <cstring>

namespace files {

QString ErrorText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

}  // namespace files
