#include "pages/database_action.h"

#include <QWidget>

#include "look/page_pointer.h"
#include "pages/idle_controls.h"
#include "wizard/wizard.h"

namespace pages {

db::ConnectOptions SignInOptions() {
    db::ConnectOptions options;
    options.connectTimeoutSeconds = 10;
    options.readTimeoutSeconds = 10;
    options.writeTimeoutSeconds = 10;
    return options;
}

db::ConnectOptions ReadingOptions(unsigned readingWaitSeconds) {
    db::ConnectOptions options;
    options.connectTimeoutSeconds = 10;
    options.readTimeoutSeconds = readingWaitSeconds;
    options.writeTimeoutSeconds = readingWaitSeconds;
    return options;
}

// What the page shows while its action waits.
struct DatabaseActions::Wait {
    Wait(QWidget& page, const std::vector<QWidget*>& idle) : pointer(&page), controls(idle) {}
    look::HourglassPointer pointer;
    IdleControls controls;
};

DatabaseActions::DatabaseActions(QWidget& page, wizard::Wizard& wizard) : page_(page), wizard_(wizard) {}

DatabaseActions::~DatabaseActions() = default;

bool DatabaseActions::Run(std::function<void(app::BackgroundWork::Cancel&)> work, std::function<void()> done,
                          const std::vector<QWidget*>& idle) {
    if (wizard_.databaseBusy()) return false;
    // An action that the result of the last one starts takes over its wait:
    // the last one's controls come back before this one's go.
    wait_.reset();
    wait_ = std::make_unique<Wait>(page_, idle);
    // What `done` captures may be destroyed on the work's thread when it is
    // never run: nothing in it may own a widget.
    auto cancel = std::make_shared<std::shared_ptr<app::BackgroundWork::Cancel>>();
    *cancel = app::BackgroundWork::Run(&page_, std::move(work), [this, cancel, done = std::move(done)] {
        // A wait given up while its answer was on its way shows nothing.
        if ((*cancel)->requested()) return;
        done();
        // `done` may have started the next action already.
        wizard_.EndDatabaseAction(cancel->get());
        if (running_ == *cancel) {
            running_.reset();
            wait_.reset();
        }
        cancel->reset();
    });
    running_ = *cancel;
    wizard_.BeginDatabaseAction(running_);
    return true;
}

bool DatabaseActions::running() const { return running_ != nullptr && !running_->requested(); }

void DatabaseActions::Cancel() {
    if (!running_) return;
    running_->Now();
    wizard_.EndDatabaseAction(running_.get());
    running_.reset();
    wait_.reset();
}

}  // namespace pages
