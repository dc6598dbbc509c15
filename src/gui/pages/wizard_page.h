#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QWidget>

#include "app/background_work.h"
#include "app/error_report.h"
#include "db/connection.h"
#include "db/connection_cut.h"

namespace wizard {
class Wizard;
}

namespace look {
class HourglassPointer;
}

namespace pages {

// What the four pages have in common: they belong to one wizard, and closing
// any of them ends the whole process at once.
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

// What a page's database action read from the server on its own thread: a
// connection that failed, a read that failed, or the rows.
struct ServerReading {
    bool connected = false;
    std::optional<QString> connectFailure;
    std::optional<QString> readFailure;
    db::StoredResult rows;

    // Opens a connection, lets a close of the window cut it, and reads.
    void Read(const db::LoginValues& values, const db::ConnectOptions& options, app::BackgroundWork::Cancel& cancel,
              const std::function<db::StoredResult(db::Connection&)>& read);
    // For the error trap's steps: throw the failure, if there was one.
    void ThrowIfNotConnected() const;
    void ThrowIfNotRead() const;
};

class WizardPage : public QWidget {
    Q_OBJECT

public:
    WizardPage(wizard::Wizard& wizard, const QString& pageName);
    ~WizardPage() override;

    // How long the pages' database actions may wait: signing in 10 s for
    // each step of the handshake, and each read or write of the table list,
    // the columns and the preview 30 s.
    static db::ConnectOptions SignInOptions();
    db::ConnectOptions ReadingOptions() const;

    // The error trap of one of this page's handlers.
    app::ErrorTrap Trap(const QString& handler);

protected:
    // Form_Unload: no question is asked and nothing is saved at this moment.
    void closeEvent(QCloseEvent* event) override;
    // A page that replaces another appears centred on it, so that the wizard
    // stays where the user put it; the first one goes where the desktop puts it.
    void showEvent(QShowEvent* event) override;

    // The dressing steps of the table, field and output pages' loads: the
    // face colour (100), the icon (102), the hand cursor (106, 108) and the
    // caption (110).
    void DressLoadingPage(app::ErrorTrap& trap);

    // Runs `work`, which waits on the server, off the window's thread, then
    // `done` on it. The page shows the busy pointer from now until `done` has
    // ended. Does nothing, and returns false, while another database action
    // of the wizard runs.
    bool RunDatabaseAction(std::function<void(app::BackgroundWork::Cancel&)> work, std::function<void()> done);

    // Makes the hand cursor file beside the program the page's custom
    // pointer, when it is there: its test and its load run as two steps.
    void LoadHandCursor(app::ErrorTrap& trap, int testLabel, int loadLabel);

    wizard::Wizard& wizard_;
    QString pageName_;

private:
    // The busy pointer of this page's latest database action.
    std::unique_ptr<look::HourglassPointer> actionPointer_;
    int actions_ = 0;
};

}  // namespace pages
