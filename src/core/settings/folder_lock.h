#pragma once

#include <chrono>

#include "process/unique_descriptor.h"

namespace settings {

// An advisory lock on the store's folder, held while a save reads the file,
// sets its keys and puts the new file in its place, so that two wizards
// saving at once do not each write the file as it was before the other's
// save. Only saves of this program take it.
//
// The wait is bounded: a process that holds the lock and hangs must not stop
// every later save, so after `wait` the save goes on without it.
class FolderLock {
public:
    FolderLock(int folder, std::chrono::milliseconds wait);

    bool held() const { return descriptor_.valid(); }

private:
    process::UniqueDescriptor descriptor_;
};

}  // namespace settings
