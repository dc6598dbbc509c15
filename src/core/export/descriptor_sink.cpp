#include "export/descriptor_sink.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

#include <QFile>

namespace exporter {

std::unique_ptr<DescriptorSink> DescriptorSink::ForPath(const QString& path) {
    return std::unique_ptr<DescriptorSink>(new DescriptorSink(path, -1));
}

std::unique_ptr<DescriptorSink> DescriptorSink::ForStandardOutput() {
    return std::unique_ptr<DescriptorSink>(new DescriptorSink(QString(), STDOUT_FILENO));
}

DescriptorSink::~DescriptorSink() {
    if (!path_.isEmpty() && descriptor_ >= 0) ::close(descriptor_);
}

bool DescriptorSink::Fail(int error) {
    error_ = QString::fromLocal8Bit(std::strerror(error));
    return false;
}

bool DescriptorSink::Open() {
    if (path_.isEmpty()) return true;
    // Opened without blocking, so that a named pipe nobody reads from fails
    // at once ("No such device or address") instead of waiting for a reader;
    // the writes that follow block as usual.
    descriptor_ = ::open(QFile::encodeName(path_).constData(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor_ < 0) return Fail(errno);
    const int flags = ::fcntl(descriptor_, F_GETFL);
    if (flags < 0 || ::fcntl(descriptor_, F_SETFL, flags & ~O_NONBLOCK) < 0) return Fail(errno);
    return true;
}

bool DescriptorSink::Write(const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(descriptor_, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return Fail(errno);
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool DescriptorSink::Commit() {
    if (path_.isEmpty()) return true;
    const int descriptor = descriptor_;
    descriptor_ = -1;
    return ::close(descriptor) == 0 || Fail(errno);
}

}  // namespace exporter
