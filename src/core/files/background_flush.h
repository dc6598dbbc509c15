#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <sys/types.h>

namespace files {

// Flushes a file that is being written to the disk on a thread of its own,
// each time another few megabytes are written, so that the flush before the
// file replaces its target has only the last of them left to wait for. A
// small file never starts the thread.
class BackgroundFlush {
public:
    BackgroundFlush() = default;
    ~BackgroundFlush() { Finish(); }
    BackgroundFlush(const BackgroundFlush&) = delete;
    BackgroundFlush& operator=(const BackgroundFlush&) = delete;

    // The file's descriptor has written this many bytes in all. It must stay
    // open until Finish().
    void Written(int descriptor, off_t total);
    // Waits for a flush under way and ends the thread. The error number of
    // the first flush that failed, or 0: a failed flush may not fail again
    // for the same pages, so it is the caller's to report.
    int Finish();
    // The error number of the first flush that failed so far, or 0, without
    // waiting: the writer need not write on into a file that cannot be kept.
    int error() const { return error_.load(); }

private:
    void Run(const std::stop_token& stop);

    std::mutex mutex_;
    std::condition_variable_any wake_;
    int descriptor_ = -1;
    off_t flushedUpTo_ = 0;  // where the last flush was asked for
    bool wanted_ = false;
    std::atomic<int> error_{0};
    std::jthread thread_;
};

}  // namespace files
