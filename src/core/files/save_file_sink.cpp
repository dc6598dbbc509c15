#include "files/save_file_sink.h"

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <QRandomGenerator>

#include "files/descriptor_sink.h"
#include "files/error_text.h"

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

SaveFileSink::SaveFileSink(const QString& path) : path_(QFile::encodeName(path)), shownPath_(path) {}

SaveFileSink::SaveFileSink(QByteArray path) : path_(std::move(path)), shownPath_(QFile::decodeName(path_)) {}

SaveFileSink::~SaveFileSink() {
    if (!committed_ && !temporaryName_.isEmpty()) ::unlinkat(target_.folder.get(), temporaryName_.constData(), 0);
}

bool SaveFileSink::Fail(const char* doing, const QString& reason) {
    error_ = QStringLiteral("Cannot %1 %2: %3").arg(QLatin1String(doing), shownPath_, reason);
    return false;
}

bool SaveFileSink::Open() {
    QString problem;
    if (!ResolvePath(path_, target_, problem)) return Fail("create", problem);
    const int folder = target_.folder.get();
    const QByteArray& name = target_.name;

    if (target_.kind == ResolvedPath::Kind::Other) {
        // Opened without blocking, so that a named pipe nobody reads from
        // fails at once ("No such device or address") instead of waiting for
        // a reader.
        const int noFollow = target_.throughLink ? 0 : O_NOFOLLOW;
        process::UniqueDescriptor device(
            ::openat(folder, name.constData(), O_WRONLY | O_CLOEXEC | O_NONBLOCK | noFollow));
        if (!device.valid()) return Fail("open", ErrorText(errno));
        // Still what was looked at, not something put in its place since.
        struct stat opened = {};
        if (::fstat(device.get(), &opened) != 0) return Fail("open", ErrorText(errno));
        if (opened.st_dev != target_.status.st_dev || opened.st_ino != target_.status.st_ino)
            return Fail("open", QStringLiteral("it was replaced while it was being opened"));
        auto direct = DescriptorSink::ForOpenedPath(std::move(device), shownPath_);
        if (!direct->Open()) {
            error_ = direct->errorString();
            return false;
        }
        const std::lock_guard lock(directMutex_);
        direct_ = std::move(direct);
        if (interrupted_) direct_->Interrupt();
        return true;
    }

    const bool replacing = target_.kind == ResolvedPath::Kind::RegularFile;
    if (replacing && ::faccessat(folder, name.constData(), W_OK, AT_EACCESS) != 0)
        return Fail("replace", ErrorText(errno));
    if (!CreateTemporaryFile()) return Fail(replacing ? "replace" : "create", ErrorText(errno));
    // The new file keeps the permissions of the user's own file that it
    // replaces; a file system that has no permissions keeps its own.
    if (KeepsPermissions()) ::fchmod(file_.get(), target_.status.st_mode & 0777);
    return true;
}

bool SaveFileSink::CreateTemporaryFile() {
    const int folder = target_.folder.get();
    // Private until it gets the old file's permissions; any other gets what
    // the umask leaves of read and write for everyone.
    const mode_t mode = KeepsPermissions() ? 0600 : 0666;
    file_.Reset(::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode));
    // Linking the file in at the end needs /proc; without it, a name now.
    if (file_.valid() && ::access(OpenFilePath(file_.get()).constData(), F_OK) == 0) return true;
    file_.Reset();
    for (int attempt = 0; attempt < kNameTries; ++attempt) {
        const QByteArray name = TemporaryName();
        file_.Reset(::openat(folder, name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
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
QByteArray SaveFileSink::TemporaryName() const {
    const long limit = ::fpathconf(target_.folder.get(), _PC_NAME_MAX);
    qsizetype room = (limit > kAddedLength ? limit : 255) - kAddedLength;
    QByteArray name = target_.name;
    if (name.size() > room) {
        while (room > 0 && (static_cast<unsigned char>(name[room]) & 0xC0) == 0x80) --room;
        name.truncate(room);
    }
    return kPrefix + name + kMiddle + RandomLetters() + kEnd;
}

bool SaveFileSink::KeepsPermissions() const {
    return target_.kind == ResolvedPath::Kind::RegularFile && target_.status.st_uid == ::geteuid();
}

void SaveFileSink::Interrupt() {
    const std::lock_guard lock(directMutex_);
    interrupted_ = true;
    if (direct_) direct_->Interrupt();
}

bool SaveFileSink::Write(const char* data, std::size_t size) {
    if (direct_) {
        if (direct_->Write(data, size)) return true;
        error_ = direct_->errorString();
        return false;
    }
    const off_t start = written_;
    const std::size_t total = size;
    while (size > 0) {
        const ssize_t written = ::write(file_.get(), data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return Fail("write", ErrorText(errno));
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    written_ += static_cast<off_t>(total);
    // Start writing this chunk to the disk now, while the next one is being
    // read, so that the flush before the rename has little left to wait for.
    ::sync_file_range(file_.get(), start, static_cast<off_t>(total), SYNC_FILE_RANGE_WRITE);
    flush_.Written(file_.get(), written_);
    return true;
}

// Gives the file that has no name yet a temporary one beside the target.
bool SaveFileSink::NameTemporaryFile() {
    const QByteArray source = OpenFilePath(file_.get());
    for (int attempt = 0; attempt < kNameTries; ++attempt) {
        const QByteArray name = TemporaryName();
        if (::linkat(AT_FDCWD, source.constData(), target_.folder.get(), name.constData(), AT_SYMLINK_FOLLOW) == 0) {
            temporaryName_ = name;
            return true;
        }
        if (errno != EEXIST) return false;
    }
    return false;
}

bool SaveFileSink::Commit() {
    if (direct_) {
        if (direct_->Commit()) return true;
        error_ = direct_->errorString();
        return false;
    }
    // On the disk before it replaces the old file, so that a crash leaves
    // the old file or the new one, never an empty one. (EINVAL: a file
    // system that cannot flush.)
    if (const int error = flush_.Finish(); error != 0) return Fail("save", ErrorText(error));
    if (::fdatasync(file_.get()) != 0 && errno != EINVAL) return Fail("save", ErrorText(errno));
    if (temporaryName_.isEmpty() && !NameTemporaryFile()) return Fail("save", ErrorText(errno));
    if (::close(file_.Release()) != 0) return Fail("save", ErrorText(errno));
    if (::renameat(target_.folder.get(), temporaryName_.constData(), target_.folder.get(), target_.name.constData()) !=
        0)
        return Fail("save", ErrorText(errno));
    committed_ = true;
    return true;
}

}  // namespace files
