#include "look/cursor_file.h"
#include "look/look.h"
#include "look/page_pointer.h"

namespace look {

QString HandCursorPath(const QString& programFolder) { return programFolder + QStringLiteral("/HAND-M.CUR"); }

void LoadHandCursor(QWidget* page, const QString& path) { SetCustomPointerImage(page, ReadCursorFile(path)); }

}  // namespace look
