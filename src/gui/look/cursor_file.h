#pragma once

#include <QCursor>
#include <QString>

namespace look {

// Reads a Windows cursor file (.cur; an icon file .ico is taken too) as a
// pointer: its first image, with the hotspot the file names (an icon's
// hotspot is its centre). Throws when the file cannot be read or holds no
// image.
QCursor ReadCursorFile(const QString& path);

}  // namespace look
