#include "pages/database_action.h"

#include <QWidget>

#include "look/page_pointer.h"
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

DatabaseActions::DatabaseActions(QWidget& page, wizard::Wizard& wizard) : page_(page), wizard_(wizard) {}

DatabaseActions::~DatabaseActions() = default;

bool DatabaseActions::Run(std::function<void(app::BackgroundWork::Cancel&)> work, std::function<void()> done) {
    if (wizard_.databaseBusy()) return false;
    const int action = ++actions_;
    pointer_ = std::make_unique<look::HourglassPointer>(&page_);
    // What `done` captures may be destroyed on the work's thread when it is
    // never run: nothing in it may own a widget.
    auto cancel = std::make_shared<std::shared_ptr<app::BackgroundWork::Cancel>>();
    *cancel = app::BackgroundWork::Run(&page_, std::move(work), [this, action, cancel, done = std::move(done)] {
        done();
        // `done` may have started the next action already.
        wizard_.EndDatabaseAction(cancel->get());
        cancel->reset();
        if (actions_ == action) pointer_.reset();
    });
    wizard_.BeginDatabaseAction(*cancel);
    return true;
}

}  // namespace pages
