#include "export/save_file_sink.h"

namespace exporter {

bool SaveFileSink::open() {
    if (file_.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return true;
    error_ = file_.errorString();
    return false;
}

bool SaveFileSink::write(const char* data, std::size_t size) {
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
    return true;
}

bool SaveFileSink::commit() {
    if (file_.commit()) return true;
    error_ = file_.errorString();
    return false;
}

}  // namespace exporter
