#include "settings/background_saves.h"

#include "app/background_work.h"

namespace settings {

BackgroundSaves::BackgroundSaves(SettingsStore& store) : store_(store) {}

BackgroundSaves::~BackgroundSaves() { Finish(kFinishBound); }

void BackgroundSaves::Write(const QString& key, const QString& value) {
    store_.Change(key, value);
    SettingsStore::Changes changes = store_.TakeChanges();
    if (changes.empty()) return;
    {
        const std::lock_guard lock(queue_->mutex);
        queue_->pending.Absorb(std::move(changes));
        if (queue_->saving) return;  // the running save takes it next
        queue_->saving = true;
    }
    app::BackgroundWork::Run(
        &receiver_, [queue = queue_](app::BackgroundWork::Cancel&) { SaveUntilEmpty(*queue); }, [] {});
}

void BackgroundSaves::SaveUntilEmpty(Queue& queue) {
    for (;;) {
        SettingsStore::Changes changes;
        {
            const std::lock_guard lock(queue.mutex);
            if (queue.pending.empty()) {
                queue.saving = false;
                queue.idle.notify_all();
                return;
            }
            changes = std::exchange(queue.pending, {});
        }
        changes.Save();
    }
}

bool BackgroundSaves::Finish(std::chrono::milliseconds bound) {
    std::unique_lock lock(queue_->mutex);
    return queue_->idle.wait_for(lock, bound, [this] { return !queue_->saving; });
}

}  // namespace settings
