#include "files/background_flush.h"

#include <cerrno>

#include <unistd.h>

namespace files {
namespace {

// Flushing more often costs the disk more flushes; more seldom leaves more
// for the last flush.
constexpr off_t kFlushEvery = off_t{16} << 20;

}  // namespace

void BackgroundFlush::Written(int descriptor, off_t total) {
    {
        const std::lock_guard lock(mutex_);
        if (total - flushedUpTo_ < kFlushEvery) return;
        flushedUpTo_ = total;
        descriptor_ = descriptor;
        wanted_ = true;
    }
    if (thread_.joinable())
        wake_.notify_one();
    else
        thread_ = std::jthread([this](const std::stop_token& stop) { Run(stop); });
}

int BackgroundFlush::Finish() {
    if (thread_.joinable()) {
        thread_.request_stop();
        thread_.join();
    }
    return error_.load();
}

void BackgroundFlush::Run(const std::stop_token& stop) {
    std::unique_lock lock(mutex_);
    while (wake_.wait(lock, stop, [this] { return wanted_; })) {
        wanted_ = false;
        const int descriptor = descriptor_;
        lock.unlock();
        // EINVAL: a file system that cannot flush.
        const int error = ::fdatasync(descriptor) != 0 && errno != EINVAL ? errno : 0;
        lock.lock();
        if (error_.load() == 0) error_.store(error);
    }
}

}  // namespace files
