#include "app/shared_routines.h"

#include <stdexcept>

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace app {

QString GetSpecialFolderPath(int folder) {
    if (folder != 0) return QString();
    QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (!desktop.isEmpty() && QFileInfo(desktop).isDir()) return desktop;
    return QDir::homePath();
}

QString GetDesktopFolder() {
    QString path = GetSpecialFolderPath(0);
    if (path.isEmpty()) throw std::runtime_error("The desktop folder could not be found.");
    while (path.size() > 1 && path.endsWith(QLatin1Char('/'))) path.chop(1);
    if (path == QLatin1String("/")) return path;
    return path + QLatin1Char('/');
}

QString WizardOutputPath(const QString& typed) {
    if (typed.isEmpty() || QDir::isAbsolutePath(typed)) return typed;
    if (typed.startsWith(QLatin1String("~/"))) return QDir::homePath() + typed.mid(1);
    return GetDesktopFolder() + typed;
}

bool FileExists(const QString& path) {
    if (path.isEmpty()) return false;
    const QFileInfo info(path);
    return info.exists() && info.lastModified().isValid();
}

db::DbValue NullSubstitute(const db::DbValue& value, const db::DbValue& substitute) {
    return value.isNull() ? substitute : value;
}

}  // namespace app
