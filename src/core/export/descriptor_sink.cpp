#include "export/descriptor_sink.h"

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

#include "export/output_target.h"

namespace exporter {

std::unique_ptr<DescriptorSink> DescriptorSink::ForStandardOutput() {
    return std::unique_ptr<DescriptorSink>(new DescriptorSink(QString(), process::UniqueDescriptor(), STDOUT_FILENO));
}

std::unique_ptr<DescriptorSink> DescriptorSink::ForOpenedPath(process::UniqueDescriptor descriptor, QString path) {
    const int number = descriptor.get();
    return std::unique_ptr<DescriptorSink>(new DescriptorSink(std::move(path), std::move(descriptor), number));
}

bool DescriptorSink::Fail(int error) {
    const QString place = path_.isEmpty() ? QStringLiteral("to standard output") : path_;
    error_ = QStringLiteral("Cannot write %1: %2").arg(place, ErrorText(error));
    return false;
}

bool DescriptorSink::Open() {
    if (!owned_.valid()) return true;
    // Opened without blocking so that a pipe without reader fails at once;
    // the writes that follow block as usual.
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
    if (!owned_.valid()) return true;
    descriptor_ = -1;
    return ::close(owned_.Release()) == 0 || Fail(errno);
}

}  // namespace exporter
