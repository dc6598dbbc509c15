#include "settings/folder_lock.h"

#include <cerrno>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>

namespace settings {

FolderLock::FolderLock(int folder, std::chrono::milliseconds wait) {
    // A descriptor of its own that can be locked (the folder's may be O_PATH).
    process::UniqueDescriptor own(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!own.valid()) return;
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        if (::flock(own.get(), LOCK_EX | LOCK_NB) == 0) {
            descriptor_ = std::move(own);
            return;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) return;
        if (std::chrono::steady_clock::now() >= deadline) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

}  // namespace settings
