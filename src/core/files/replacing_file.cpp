#include "files/replacing_file.h"

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

#include <QRandomGenerator>

namespace files {
namespace {

// Tries at a free temporary name before giving up.
constexpr int kNameTries = 100;
// What a temporary file's name puts around the target's: ".", then
// ".tablewright-", six random letters and ".partial".
constexpr int kRandomLetters = 6;
constexpr char kPrefix[] = ".";
constexpr char kMiddle[] = ".tablewright-";
constexpr char kEnd[] = ".partial";
constexpr int kAddedLength = sizeof kPrefix - 1 + sizeof kMiddle - 1 + kRandomLetters + sizeof kEnd - 1;

QByteArray RandomLetters() {
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray letters;
    for (int i = 0; i < kRandomLetters; ++i) letters += kLetters[QRandomGenerator::global()->bounded(62)];
    return letters;
}

// The path by which the kernel finds an open file, for linking a file that
// has no name yet.
QByteArray OpenFilePath(int descriptor) { return "/proc/self/fd/" + QByteArray::number(descriptor); }

}  // namespace

ReplacingFile::~ReplacingFile() {
    if (!committed_ && !temporaryName_.isEmpty()) ::unlinkat(folder_, temporaryName_.constData(), 0);
}

bool ReplacingFile::Create(int folder, const QByteArray& target, mode_t mode) {
    folder_ = folder;
    target_ = target;
    file_.Reset(::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode));
    // Linking the file in at the end needs /proc; without it, a name now.
    if (file_.valid() && ::access(OpenFilePath(file_.get()).constData(), F_OK) == 0) return true;
    file_.Reset();
    for (int attempt = 0; attempt < kNameTries; ++attempt) {
        const QByteArray name = TemporaryName();
        file_.Reset(::openat(folder, name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
        if (file_.valid()) {
            temporaryName_ = name;
            return true;
        }
        if (errno != EEXIST) return false;
    }
    return false;
}

// ".TARGET.tablewright-XXXXXX.partial", the target's name cut short (never
// inside a character) where the whole would be longer than the file system
// allows.
QByteArray ReplacingFile::TemporaryName() const {
    const long limit = ::fpathconf(folder_, _PC_NAME_MAX);
    qsizetype room = (limit > kAddedLength ? limit : 255) - kAddedLength;
    QByteArray name = target_;
    if (name.size() > room) {
        while (room > 0 && (static_cast<unsigned char>(name[room]) & 0xC0) == 0x80) --room;
        name.truncate(room);
    }
    return kPrefix + name + kMiddle + RandomLetters() + kEnd;
}

// Gives the file that has no name yet a temporary one beside the target.
bool ReplacingFile::Name() {
    const QByteArray source = OpenFilePath(file_.get());
    for (int attempt = 0; attempt < kNameTries; ++attempt) {
        const QByteArray name = TemporaryName();
        if (::linkat(AT_FDCWD, source.constData(), folder_, name.constData(), AT_SYMLINK_FOLLOW) == 0) {
            temporaryName_ = name;
            return true;
        }
        if (errno != EEXIST) return false;
    }
    return false;
}

bool ReplacingFile::Commit() {
    // (EINVAL: a file system that cannot flush.)
    if (::fdatasync(file_.get()) != 0 && errno != EINVAL) return false;
    if (temporaryName_.isEmpty() && !Name()) return false;
    if (::close(file_.Release()) != 0) return false;
    if (::renameat(folder_, temporaryName_.constData(), folder_, target_.constData()) != 0) return false;
    committed_ = true;
    return true;
}

}  // namespace files
