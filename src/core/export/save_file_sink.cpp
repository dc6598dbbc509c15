#include "export/save_file_sink.h"

#include <fcntl.h>

namespace exporter {

bool SaveFileSink::Open() {
    if (file_.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return true;
    error_ = file_.errorString();
    return false;
}

bool SaveFileSink::Write(const char* data, std::size_t size) {
    const qint64 start = file_.pos();
    const std::size_t total = size;
    while (size > 0) {
        const qint64 written = file_.write(data, static_cast<qint64>(size));
        if (written <= 0) {
            error_ = file_.errorString();
            file_.cancelWriting();
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    // Start writing this chunk to the disk now, while the next one is being
    // read, so that the flush before the rename has little left to wait for.
    sync_file_range(file_.handle(), start, static_cast<off_t>(total), SYNC_FILE_RANGE_WRITE);
    return true;
}

bool SaveFileSink::Commit() {
    if (file_.commit()) return true;
    error_ = file_.errorString();
    return false;
}

}  // namespace exporter
