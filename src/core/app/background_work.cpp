#include "app/background_work.h"

#include <atomic>
#include <thread>

#include <QMetaObject>
#include <QObject>

namespace app {
namespace {

std::atomic<int> running{0};

// The receiver as the work's thread may see it: cleared, under the mutex, by
// the receiver's own destruction, so that the work never posts to an object
// that is being destroyed.
struct ReceiverLink {
    std::mutex mutex;
    QObject* receiver = nullptr;
};

}  // namespace

void BackgroundWork::Cancel::SetCutter(std::function<void()> cut) {
    const std::lock_guard lock(mutex_);
    cut_ = std::move(cut);
    if (requested_ && cut_) cut_();
}

void BackgroundWork::Cancel::ClearCutter() {
    const std::lock_guard lock(mutex_);
    cut_ = nullptr;
}

void BackgroundWork::Cancel::Now() {
    const std::lock_guard lock(mutex_);
    requested_ = true;
    if (cut_) cut_();
}

bool BackgroundWork::Cancel::requested() const {
    const std::lock_guard lock(mutex_);
    return requested_;
}

std::shared_ptr<BackgroundWork::Cancel> BackgroundWork::Run(QObject* receiver, std::function<void(Cancel&)> work,
                                                            std::function<void()> done) {
    auto cancel = std::make_shared<Cancel>();
    auto link = std::make_shared<ReceiverLink>();
    link->receiver = receiver;
    QObject::connect(receiver, &QObject::destroyed, receiver, [link] {
        const std::lock_guard lock(link->mutex);
        link->receiver = nullptr;
    });
    ++running;
    std::thread([cancel, link, work = std::move(work), done = std::move(done)]() mutable {
        try {
            work(*cancel);
        } catch (...) {
            // The work reports its own failures through what it hands back;
            // nothing may leave the thread.
        }
        {
            const std::lock_guard lock(link->mutex);
            if (link->receiver != nullptr && !cancel->requested())
                QMetaObject::invokeMethod(link->receiver, std::move(done), Qt::QueuedConnection);
        }
        --running;
    }).detach();
    return cancel;
}

bool BackgroundWorkRunning() { return running.load() > 0; }

}  // namespace app
