#include "files/resolved_path.h"

#include <cerrno>
#include <climits>
#include <deque>

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <QFile>
#include <QList>

#include "files/error_text.h"

namespace files {
namespace {

// As many links as the kernel follows in one path.
constexpr int kMaxLinks = 40;

bool Fail(int error, QString& problem) {
    problem = ErrorText(error);
    return false;
}

bool InProc(int folder) {
    struct statfs system = {};
    return ::fstatfs(folder, &system) == 0 && system.f_type == PROC_SUPER_MAGIC;
}

// The names of a path, in order; "" and the slashes between them dropped.
void PushNames(const QByteArray& path, std::deque<QByteArray>& names) {
    const QList<QByteArray> parts = path.split('/');
    for (auto part = parts.crbegin(); part != parts.crend(); ++part)
        if (!part->isEmpty()) names.push_front(*part);
}

// The text of the link that `link` (opened without following it) is.
bool ReadLink(int link, QByteArray& text) {
    text.resize(PATH_MAX);
    const ssize_t length = ::readlinkat(link, "", text.data(), static_cast<size_t>(text.size()));
    if (length < 0) return false;
    if (length >= text.size()) {
        errno = ENAMETOOLONG;
        return false;
    }
    text.truncate(length);
    return true;
}

const char kRefusedLink[] =
    "it is a symbolic link in a folder that everyone may write to, and the link belongs neither to you nor to the "
    "folder's owner";
const char kForeignLink[] = "it is a symbolic link that belongs to another user";
const char kRefusedFile[] =
    "it is in a folder that everyone may write to and belongs neither to you nor to the folder's owner";

}  // namespace

bool TrustedIn(const struct stat& folder, uid_t owner) {
    const bool everyonesStickyFolder = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
    return !everyonesStickyFolder || owner == ::geteuid() || owner == folder.st_uid;
}

bool ResolvePath(const QByteArray& path, ResolvedPath& target, QString& problem, LinkRule rule) {
    if (path.isEmpty()) return Fail(ENOENT, problem);
    if (path.endsWith('/')) return Fail(EISDIR, problem);  // "folder/"
    process::UniqueDescriptor folder(::open(path.startsWith('/') ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!folder.valid()) return Fail(errno, problem);
    std::deque<QByteArray> names;
    PushNames(path, names);
    int links = 0;
    while (!names.empty()) {
        const QByteArray name = names.front();
        names.pop_front();
        const bool last = names.empty();
        if (name == "." || name == "..") {
            if (last) return Fail(EISDIR, problem);
            folder =
                process::UniqueDescriptor(::openat(folder.get(), name.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
            if (!folder.valid()) return Fail(errno, problem);
            continue;
        }
        struct stat folderStatus = {};
        if (::fstat(folder.get(), &folderStatus) != 0) return Fail(errno, problem);
        // The name itself, never what it leads to: what the link is is read
        // from it once it is open, so that it cannot change in between.
        process::UniqueDescriptor entry(::openat(folder.get(), name.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        if (!entry.valid()) {
            if (errno == ENOENT && last) {
                target.folder = std::move(folder);
                target.name = name;
                target.kind = ResolvedPath::Kind::Missing;
                target.status = {};
                return true;
            }
            return Fail(errno, problem);
        }
        struct stat status = {};
        if (::fstat(entry.get(), &status) != 0) return Fail(errno, problem);

        if (S_ISLNK(status.st_mode)) {
            if (++links > kMaxLinks) return Fail(ELOOP, problem);
            if (!TrustedIn(folderStatus, status.st_uid)) {
                problem = last ? QString::fromLatin1(kRefusedLink)
                               : QStringLiteral("the path goes through %1, which is %2")
                                     .arg(QFile::decodeName(name), QString::fromLatin1(kRefusedLink + 6));
                return false;
            }
            if (rule == LinkRule::OwnLinksOnly && status.st_uid != ::geteuid() && status.st_uid != 0) {
                problem = QString::fromLatin1(kForeignLink);
                return false;
            }
            struct stat followed = {};
            if (last && InProc(folder.get()) && ::fstatat(folder.get(), name.constData(), &followed, 0) == 0 &&
                !S_ISREG(followed.st_mode) && !S_ISDIR(followed.st_mode)) {
                target.folder = std::move(folder);
                target.name = name;
                target.kind = ResolvedPath::Kind::Other;
                target.status = followed;
                target.throughLink = true;
                return true;
            }
            QByteArray text;
            if (!ReadLink(entry.get(), text)) return Fail(errno, problem);
            if (text.isEmpty()) return Fail(ENOENT, problem);
            if (text.startsWith('/')) {
                folder = process::UniqueDescriptor(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
                if (!folder.valid()) return Fail(errno, problem);
            }
            // A link that ends in "/" names a folder, which no file can be.
            if (last && text.endsWith('/')) return Fail(EISDIR, problem);
            PushNames(text, names);
            continue;
        }
        if (!last) {
            // The folder opened is the one just looked at, whatever its name
            // leads to by now.
            if (!S_ISDIR(status.st_mode)) return Fail(ENOTDIR, problem);
            folder = std::move(entry);
            continue;
        }
        if (S_ISDIR(status.st_mode)) return Fail(EISDIR, problem);
        if (!TrustedIn(folderStatus, status.st_uid)) {
            problem = QString::fromLatin1(kRefusedFile);
            return false;
        }
        target.folder = std::move(folder);
        target.name = name;
        target.status = status;
        target.kind = S_ISREG(status.st_mode) ? ResolvedPath::Kind::RegularFile : ResolvedPath::Kind::Other;
        return true;
    }
    return Fail(EISDIR, problem);  // only "." and ".." names: a folder
}

}  // namespace files
