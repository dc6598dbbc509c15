#include "db/socket_trust.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>

#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>

namespace db {
namespace {

// Whether another user than root and this one owns a file.
bool OthersOwn(const struct stat& status) { return status.st_uid != 0 && status.st_uid != ::geteuid(); }

// The folder of a path, as the kernel walks it; nothing when it cannot be
// looked at.
bool FolderStatus(const QByteArray& path, struct stat& status) {
    const QByteArray folder = QFile::encodeName(QFileInfo(QFile::decodeName(path)).path());
    return ::stat(folder.constData(), &status) == 0;
}

bool WritableByAnyone(const struct stat& folder) { return (folder.st_mode & S_IWOTH) != 0; }

}  // namespace

QString SocketTrustProblem(const QString& path) {
    const QByteArray given = QFile::encodeName(path);
    constexpr std::size_t kLongest = sizeof(sockaddr_un::sun_path) - 1;
    if (static_cast<std::size_t>(given.size()) > kLongest)
        return QStringLiteral("The socket path %1 is %2 bytes long; a socket's path may be at most %3 bytes long.")
            .arg(path)
            .arg(given.size())
            .arg(kLongest);

    struct stat folder {};
    struct stat entry {};
    // A link planted in a shared folder leads wherever its maker wants.
    if (::lstat(given.constData(), &entry) == 0 && S_ISLNK(entry.st_mode) && FolderStatus(given, folder) &&
        WritableByAnyone(folder) && OthersOwn(entry))
        return QStringLiteral(
                   "The socket %1 is a link that another user made in a folder anyone may write to; it is not "
                   "used for a login. Name the server's own socket.")
            .arg(path);

    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(given.constData(), nullptr), &std::free);
    const QByteArray target = real ? QByteArray(real.get()) : given;
    if (!FolderStatus(target, folder) || !WritableByAnyone(folder)) return {};
    const QString where = QFile::decodeName(target);
    if ((folder.st_mode & S_ISVTX) == 0)
        return QStringLiteral(
                   "The socket %1 is in a folder that anyone may write to and that is not sticky, so anyone may "
                   "have put it there; it is not used for a login.")
            .arg(where);
    if (::stat(target.constData(), &entry) != 0)
        return QStringLiteral(
                   "There is no socket %1, and it is not waited for in a folder that anyone may write to. Is the "
                   "server running?")
            .arg(where);
    if (OthersOwn(entry))
        return QStringLiteral(
                   "The socket %1 belongs to another user (uid %2) in a folder that anyone may write to, so it may "
                   "be no server of yours; it is not used for a login.")
            .arg(where)
            .arg(entry.st_uid);
    return {};
}

}  // namespace db
