#include "db/bounded_opening.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include <netdb.h>
#include <sys/socket.h>

#include "db/openings_left_behind.h"

namespace db {
namespace {

constexpr auto kStopCheck = std::chrono::milliseconds(50);

// What the opening thread and the caller share.
struct Attempt {
    std::mutex mutex;
    std::condition_variable changed;
    bool lookingUp = true;
    bool done = false;
    bool opened = false;
    bool abandoned = false;
    int lookupError = 0;
    // Set by an abandoned opening's thread as the last thing it does.
    std::atomic<bool> closed{false};
};

// The threads of abandoned openings. Each is joined once it has closed its
// handle, not let go of: a thread's end still runs the TLS library's
// per-thread clean-up, which must not meet that library's clean-up at the
// program's exit. Never destroyed, so that no joinable thread is at exit.
struct LeftBehind {
    std::mutex mutex;
    std::vector<std::pair<std::thread, std::shared_ptr<Attempt>>> threads;
};
LeftBehind& LeftBehindThreads() {
    static auto* const threads = new LeftBehind;
    return *threads;
}

// The opening thread: joined when the opening ends, kept among the
// LeftBehindThreads() when it is abandoned, and let go of only if the
// caller's wait throws.
struct OpeningThread {
    std::thread thread;
    ~OpeningThread() {
        if (thread.joinable()) thread.detach();
    }
};

// 0 when the name has an address, the EAI_ code otherwise.
int LookUp(const QByteArray& host) {
    addrinfo hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int result = ::getaddrinfo(host.constData(), nullptr, &hints, &found);
    if (found != nullptr) ::freeaddrinfo(found);
    return result;
}

void Open(const std::shared_ptr<Attempt>& attempt, MYSQL* handle, const QByteArray& host,
          const std::function<bool(MYSQL*)>& connect) {
    const int lookupError = host.isEmpty() ? 0 : LookUp(host);
    bool go = false;
    {
        const std::lock_guard lock(attempt->mutex);
        attempt->lookingUp = false;
        attempt->lookupError = lookupError;
        go = lookupError == 0 && !attempt->abandoned;
    }
    attempt->changed.notify_all();
    // The connector looks the name up again; a resolver that just answered
    // usually answers again from its cache, and the caller's bound holds in
    // any case. Connecting by the name keeps the certificate's host check on
    // the name.
    const bool opened = go && connect(handle);
    bool abandoned = false;
    {
        const std::lock_guard lock(attempt->mutex);
        attempt->done = true;
        attempt->opened = opened;
        abandoned = attempt->abandoned;
    }
    if (abandoned) {
        mysql_close(handle);
        attempt->closed.store(true);
        return;
    }
    attempt->changed.notify_all();
}

}  // namespace

OpeningEnd OpenWithin(MYSQL* handle, const QString& host, const std::function<bool(MYSQL*)>& connect,
                      std::chrono::milliseconds bound, const std::function<bool()>& stopRequested) {
    const auto started = std::chrono::steady_clock::now();
    auto attempt = std::make_shared<Attempt>();
    OpeningThread opening{std::thread(Open, attempt, handle, host.toUtf8(), connect)};

    OpeningEnd end;
    std::unique_lock lock(attempt->mutex);
    for (;;) {
        const auto now = std::chrono::steady_clock::now();
        end.waitedSeconds = std::chrono::duration<double>(now - started).count();
        if (attempt->done) break;
        const bool stop = stopRequested && stopRequested();
        const bool late = bound.count() > 0 && now - started >= bound;
        if (stop || late) {
            attempt->abandoned = true;
            {
                LeftBehind& left = LeftBehindThreads();
                const std::lock_guard list(left.mutex);
                left.threads.emplace_back(std::move(opening.thread), attempt);
            }
            if (stop)
                end.kind = OpeningEnd::Kind::Stopped;
            else
                end.kind = attempt->lookingUp ? OpeningEnd::Kind::LookupTimedOut : OpeningEnd::Kind::TimedOut;
            return end;
        }
        auto wait = kStopCheck;
        if (bound.count() > 0)
            wait = std::min(wait, std::chrono::duration_cast<std::chrono::milliseconds>(bound - (now - started)) +
                                      std::chrono::milliseconds(1));
        attempt->changed.wait_for(lock, wait);
    }
    // Its last steps are quick; after them the thread's end runs the TLS
    // library's per-thread clean-up, which must be over before the program
    // may end.
    lock.unlock();
    opening.thread.join();
    if (attempt->lookupError == EAI_NONAME || attempt->lookupError == EAI_NODATA)
        end.kind = OpeningEnd::Kind::NameNotFound;
    else if (attempt->lookupError != 0)
        end.kind = OpeningEnd::Kind::NameLookupFailed;
    else
        end.kind = attempt->opened ? OpeningEnd::Kind::Opened : OpeningEnd::Kind::Failed;
    end.lookupError = attempt->lookupError;
    return end;
}

bool OpeningsLeftBehind() {
    LeftBehind& left = LeftBehindThreads();
    const std::lock_guard list(left.mutex);
    auto& threads = left.threads;
    for (auto it = threads.begin(); it != threads.end();) {
        if (!it->second->closed.load()) {
            ++it;
            continue;
        }
        // Closed: what is left of it ends at once.
        it->first.join();
        it = threads.erase(it);
    }
    return !threads.empty();
}

}  // namespace db
