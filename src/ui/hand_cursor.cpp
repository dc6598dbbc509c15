#include "ui/cursor_file.h"
#include "ui/look.h"
#include "ui/page_pointer.h"

namespace ui {

QString HandCursorPath(const QString& programFolder) { return programFolder + QStringLiteral("/HAND-M.CUR"); }

void LoadHandCursor(QWidget* page, const QString& path) { SetCustomPointerImage(page, ReadCursorFile(path)); }

}  // namespace ui
