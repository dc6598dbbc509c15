#pragma once

#include <QString>

#include "db/db_value.h"

namespace app {

// The path of a special folder: for folder 0, the desktop; the empty text
// for any other number. A desktop folder that does not exist gives the home
// folder instead, so that a default output path is always writable.
QString GetSpecialFolderPath(int folder);

// The desktop folder followed by exactly one "/". Throws when no folder can
// be found at all.
QString GetDesktopFolder();

// The file a path typed in the wizard names: "~/" at its start is the home
// folder, and a relative path names a file in the desktop folder, where the
// default file goes. Absolute paths and the empty path stay as they are.
QString WizardOutputPath(const QString& typed);

// True when the path's modification time can be read: false for anything
// else, the empty path included. Never reports.
bool FileExists(const QString& path);

// The substitute when the value is NULL, otherwise the value unchanged.
db::DbValue NullSubstitute(const db::DbValue& value, const db::DbValue& substitute);

}  // namespace app
