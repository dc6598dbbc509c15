#include "files/descriptor_sink.h"

#include <algorithm>
#include <cerrno>
#include <climits>

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "files/error_text.h"

namespace files {

std::unique_ptr<DescriptorSink> DescriptorSink::ForStandardOutput() {
    return std::unique_ptr<DescriptorSink>(new DescriptorSink(QString(), process::UniqueDescriptor(), STDOUT_FILENO));
}

std::unique_ptr<DescriptorSink> DescriptorSink::ForOpenedPath(process::UniqueDescriptor descriptor, QString path) {
    const int number = descriptor.get();
    return std::unique_ptr<DescriptorSink>(new DescriptorSink(std::move(path), std::move(descriptor), number));
}

DescriptorSink::DescriptorSink(QString path, process::UniqueDescriptor owned, int descriptor)
    : path_(std::move(path)),
      owned_(std::move(owned)),
      descriptor_(descriptor),
      wake_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

bool DescriptorSink::Fail(int error) {
    const QString place = path_.isEmpty() ? QStringLiteral("to standard output") : path_;
    error_ = QStringLiteral("Cannot write %1: %2").arg(place, ErrorText(error));
    return false;
}

bool DescriptorSink::Open() {
    struct stat status = {};
    if (::fstat(descriptor_, &status) != 0) return Fail(errno);
    waits_ = !S_ISREG(status.st_mode) && !S_ISBLK(status.st_mode);
    if (!owned_.valid()) return true;
    // Opened without blocking so that a pipe without reader fails at once;
    // it stays so, and a full pipe is waited for in poll().
    const int flags = ::fcntl(descriptor_, F_GETFL);
    if (flags < 0 || ::fcntl(descriptor_, F_SETFL, flags | O_NONBLOCK) < 0) return Fail(errno);
    blocking_ = false;
    return true;
}

void DescriptorSink::Interrupt() {
    if (wake_.valid()) ::eventfd_write(wake_.get(), 1);
}

bool DescriptorSink::WaitUntilWritable() {
    pollfd watched[2] = {{descriptor_, POLLOUT, 0}, {wake_.get(), POLLIN, 0}};
    for (;;) {
        const int ready = ::poll(watched, wake_.valid() ? 2 : 1, -1);
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) return Fail(errno);
        if (watched[1].revents != 0) {
            error_ = QStringLiteral("The export was stopped while it waited to write %1")
                         .arg(path_.isEmpty() ? QStringLiteral("to standard output") : path_);
            return false;
        }
        // Writable, or an error that the write will report.
        if (watched[0].revents != 0) return true;
    }
}

bool DescriptorSink::Write(const char* data, std::size_t size) {
    while (size > 0) {
        if (waits_ && !WaitUntilWritable()) return false;
        // Room for PIPE_BUF bytes is what poll() promises of a pipe.
        const std::size_t portion = waits_ && blocking_ ? std::min<std::size_t>(size, PIPE_BUF) : size;
        const ssize_t written = ::write(descriptor_, data, portion);
        if (written < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            return Fail(errno);
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool DescriptorSink::Commit() {
    if (!owned_.valid()) return true;
    descriptor_ = -1;
    return ::close(owned_.Release()) == 0 || Fail(errno);
}

}  // namespace files
