#pragma once

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

#include <QObject>
#include <QString>

#include "settings/settings_store.h"

namespace settings {

// Saves a store's changes off the window's thread. A change is taken at
// once (what the store reads is the new value) and saved by a thread of
// its own; changes that come while a save is under way are saved together
// by the next one, so that a burst of keystrokes costs a save or two, the
// saves run one at a time in the order of the changes, and the last value
// is always the one saved last.
class BackgroundSaves {
public:
    // How long the end waits for the disk before it gives up on a save.
    static constexpr std::chrono::milliseconds kFinishBound{3000};

    explicit BackgroundSaves(SettingsStore& store);
    // Finish(kFinishBound).
    ~BackgroundSaves();
    BackgroundSaves(const BackgroundSaves&) = delete;
    BackgroundSaves& operator=(const BackgroundSaves&) = delete;

    // The store takes the value (SettingsStore::Change) and it is saved soon.
    void Write(const QString& key, const QString& value);
    // Waits until every change is saved, at most `bound`; false when the
    // disk has not answered by then (the save goes on without anyone
    // waiting for it, and a program that ends meanwhile does not wait:
    // see app::BackgroundWorkRunning()).
    bool Finish(std::chrono::milliseconds bound);

private:
    // What the window's thread and the saving thread share.
    struct Queue {
        std::mutex mutex;
        std::condition_variable idle;
        SettingsStore::Changes pending;  // not taken by a save yet
        bool saving = false;
    };
    static void SaveUntilEmpty(Queue& queue);

    SettingsStore& store_;
    std::shared_ptr<Queue> queue_ = std::make_shared<Queue>();
    QObject receiver_;  // for app::BackgroundWork, which reports to nobody here
};

}  // namespace settings
