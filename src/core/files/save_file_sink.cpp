#include "files/save_file_sink.h"

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

#include <QFile>

#include "files/descriptor_sink.h"
#include "files/error_text.h"

namespace files {
SaveFileSink::SaveFileSink(const QString& path) : path_(QFile::encodeName(path)), shownPath_(path) {}

SaveFileSink::SaveFileSink(QByteArray path) : path_(std::move(path)), shownPath_(QFile::decodeName(path_)) {}

SaveFileSink::~SaveFileSink() = default;

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
    // Private until it gets the old file's permissions; any other gets what
    // the umask leaves of read and write for everyone.
    if (!file_.Create(folder, name, KeepsPermissions() ? 0600 : 0666))
        return Fail(replacing ? "replace" : "create", ErrorText(errno));
    // The new file keeps the permissions of the user's own file that it
    // replaces; a file system that has no permissions keeps its own.
    if (KeepsPermissions()) ::fchmod(file_.descriptor(), target_.status.st_mode & 0777);
    return true;
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
    // After a flush that failed the file can never be kept (the pages it
    // lost are not reported again): the export ends now, not after every row.
    if (const int error = flush_.error(); error != 0) return Fail("save", ErrorText(error));
    const off_t start = written_;
    const std::size_t total = size;
    while (size > 0) {
        const ssize_t written = ::write(file_.descriptor(), data, size);
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
    ::sync_file_range(file_.descriptor(), start, static_cast<off_t>(total), SYNC_FILE_RANGE_WRITE);
    flush_.Written(file_.descriptor(), written_);
    return true;
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
    if (!file_.Commit()) return Fail("save", ErrorText(errno));
    return true;
}

}  // namespace files
