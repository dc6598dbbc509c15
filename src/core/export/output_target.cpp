#include "export/output_target.h"

#include <cerrno>
#include <climits>
#include <cstring>

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <QFile>

namespace exporter {
namespace {

// As many links as the kernel follows in one path.
constexpr int kMaxLinks = 40;

bool Fail(int error, QString& problem) {
    problem = ErrorText(error);
    return false;
}

// The kernel's rule for a link in a sticky folder that everyone may write
// to: only its owner's links and the folder owner's are trusted there.
bool LinkMayBeFollowed(const struct stat& folder, const struct stat& link) {
    const bool everyonesStickyFolder = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
    return !everyonesStickyFolder || link.st_uid == ::geteuid() || link.st_uid == folder.st_uid;
}

bool InProc(int folder) {
    struct statfs system = {};
    return ::fstatfs(folder, &system) == 0 && system.f_type == PROC_SUPER_MAGIC;
}

// The link's text; false with errno set when it cannot be read.
bool ReadLink(int folder, const QByteArray& name, QByteArray& text) {
    text.resize(PATH_MAX);
    const ssize_t length = ::readlinkat(folder, name.constData(), text.data(), static_cast<size_t>(text.size()));
    if (length < 0) return false;
    if (length >= text.size()) {
        errno = ENAMETOOLONG;
        return false;
    }
    text.truncate(length);
    return true;
}

}  // namespace

QString ErrorText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

bool ResolveOutputTarget(const QString& path, OutputTarget& target, QString& problem) {
    QByteArray current = QFile::encodeName(path);
    if (current.isEmpty()) return Fail(ENOENT, problem);
    for (int links = 0;; ++links) {
        const qsizetype slash = current.lastIndexOf('/');
        const QByteArray folderPath = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : current.left(slash);
        target.name = slash < 0 ? current : current.mid(slash + 1);
        if (target.name.isEmpty()) return Fail(EISDIR, problem);  // "folder/"
        target.folder.Reset(::open(folderPath.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (!target.folder.valid()) return Fail(errno, problem);

        if (::fstatat(target.folder.get(), target.name.constData(), &target.status, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT) return Fail(errno, problem);
            target.kind = OutputTarget::Kind::Missing;
            target.status = {};
            return true;
        }
        if (S_ISLNK(target.status.st_mode)) {
            if (links == kMaxLinks) return Fail(ELOOP, problem);
            struct stat folder = {};
            if (::fstat(target.folder.get(), &folder) != 0) return Fail(errno, problem);
            if (!LinkMayBeFollowed(folder, target.status)) {
                problem = QStringLiteral(
                    "it is a symbolic link in a folder that everyone may write to, and the link belongs neither to "
                    "you nor to the folder's owner");
                return false;
            }
            struct stat followed = {};
            if (InProc(target.folder.get()) &&
                ::fstatat(target.folder.get(), target.name.constData(), &followed, 0) == 0 &&
                !S_ISREG(followed.st_mode) && !S_ISDIR(followed.st_mode)) {
                target.kind = OutputTarget::Kind::Other;
                target.status = followed;
                target.throughLink = true;
                return true;
            }
            QByteArray destination;
            if (!ReadLink(target.folder.get(), target.name, destination)) return Fail(errno, problem);
            current = destination.startsWith('/') ? destination : folderPath + '/' + destination;
            continue;
        }
        if (S_ISDIR(target.status.st_mode)) return Fail(EISDIR, problem);
        target.kind = S_ISREG(target.status.st_mode) ? OutputTarget::Kind::RegularFile : OutputTarget::Kind::Other;
        return true;
    }
}

}  // namespace exporter
