#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "app/background_work.h"
#include "db/connection.h"
#include "db/connection_cut.h"

class QWidget;

namespace wizard {
class Wizard;
}

namespace pages {

// How long the pages' database actions may wait: signing in 10 s for each
// step of the handshake, and each read or write of the table list, the
// columns and the preview as long as the wizard allows (30 s unless told).
db::ConnectOptions SignInOptions();
db::ConnectOptions ReadingOptions(unsigned readingWaitSeconds);

// Lets a close of the window cut a connection that a page's database action
// waits on, for as long as it lives on the action's thread.
class CutOnCancel {
public:
    CutOnCancel(app::BackgroundWork::Cancel& cancel, const db::Connection& connection)
        : cancel_(cancel), cut_(connection) {
        cancel_.SetCutter([this] { cut_.Cut(); });
    }
    ~CutOnCancel() { cancel_.ClearCutter(); }
    CutOnCancel(const CutOnCancel&) = delete;
    CutOnCancel& operator=(const CutOnCancel&) = delete;

private:
    app::BackgroundWork::Cancel& cancel_;
    db::ConnectionCut cut_;
};

// The database actions of one page. The wizard lets one action of all its
// pages run at a time; closing the window gives up its wait.
class DatabaseActions {
public:
    DatabaseActions(QWidget& page, wizard::Wizard& wizard);
    ~DatabaseActions();
    DatabaseActions(const DatabaseActions&) = delete;
    DatabaseActions& operator=(const DatabaseActions&) = delete;

    // Runs `work`, which waits on the server, off the window's thread, then
    // `done` on it. From now until `done` has ended the page shows the busy
    // pointer and the `idle` controls, which can do nothing meanwhile, are
    // disabled. Does nothing, and returns false, while another database
    // action of the wizard runs.
    bool Run(std::function<void(app::BackgroundWork::Cancel&)> work, std::function<void()> done,
             const std::vector<QWidget*>& idle = {});

    // True from Run until `done` has ended, unless the action was given up.
    bool running() const;
    // Gives up this page's running action: its connection is cut, its
    // result is never shown, also when it is already on its way, and the
    // pointer and the controls are back at once.
    void Cancel();

private:
    struct Wait;

    QWidget& page_;
    wizard::Wizard& wizard_;
    // The busy pointer and idle controls of this page's running action.
    std::unique_ptr<Wait> wait_;
    std::shared_ptr<app::BackgroundWork::Cancel> running_;
};

}  // namespace pages
