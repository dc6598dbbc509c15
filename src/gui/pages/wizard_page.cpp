#include "pages/wizard_page.h"

#include <memory>
#include <stdexcept>

#include <QCloseEvent>
#include <QShowEvent>

#include "app/app_info.h"
#include "app/logging.h"
#include "app/shared_routines.h"
#include "db/connection_text.h"
#include "look/look.h"
#include "look/page_pointer.h"
#include "pages/page_steps.h"
#include "wizard/wizard.h"

namespace pages {

void ServerReading::Read(const db::LoginValues& values, const db::ConnectOptions& options,
                         app::BackgroundWork::Cancel& cancel,
                         const std::function<db::StoredResult(db::Connection&)>& read) {
    std::optional<db::Connection> connection;
    try {
        connection.emplace(db::Connection::Open(db::BuildConnectionText(values), options));
    } catch (const std::exception& e) {
        connectFailure = QString::fromUtf8(e.what());
        return;
    }
    connected = true;
    const CutOnCancel cut(cancel, *connection);
    try {
        rows = read(*connection);
    } catch (const std::exception& e) {
        readFailure = QString::fromUtf8(e.what());
    }
}

void ServerReading::ThrowIfNotConnected() const {
    if (connectFailure) throw std::runtime_error(connectFailure->toStdString());
}

void ServerReading::ThrowIfNotRead() const {
    if (!connected) throw std::runtime_error("No connection is open.");
    if (readFailure) throw std::runtime_error(readFailure->toStdString());
}

WizardPage::WizardPage(wizard::Wizard& wizard, const QString& pageName) : wizard_(wizard), pageName_(pageName) {}

WizardPage::~WizardPage() = default;

db::ConnectOptions WizardPage::SignInOptions() {
    db::ConnectOptions options;
    options.connectTimeoutSeconds = 10;
    options.readTimeoutSeconds = 10;
    options.writeTimeoutSeconds = 10;
    return options;
}

db::ConnectOptions WizardPage::ReadingOptions() const {
    db::ConnectOptions options;
    options.connectTimeoutSeconds = 10;
    options.readTimeoutSeconds = wizard_.readingWaitSeconds();
    options.writeTimeoutSeconds = wizard_.readingWaitSeconds();
    return options;
}

app::ErrorTrap WizardPage::Trap(const QString& handler) {
    qCDebug(lcUi).noquote() << pageName_ + QLatin1Char('.') + handler;
    return app::ErrorTrap(wizard_.messenger(), app::LocationText(pageName_, handler));
}

void WizardPage::closeEvent(QCloseEvent* event) {
    event->accept();
    // A wait for the server is given up; the program does not wait for it.
    wizard_.CancelDatabaseAction();
    wizard_.EndProcess();
}

void WizardPage::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        if (const QWidget* replaced = wizard_.VisiblePageOtherThan(this)) {
            const QRect frame = frameGeometry();
            QRect placed = frame;
            placed.moveCenter(replaced->frameGeometry().center());
            // move() places the frame's top-left corner, as frameGeometry() reads it.
            move(placed.topLeft());
        }
    }
    QWidget::showEvent(event);
}

bool WizardPage::RunDatabaseAction(std::function<void(app::BackgroundWork::Cancel&)> work, std::function<void()> done) {
    if (wizard_.databaseBusy()) return false;
    const int action = ++actions_;
    actionPointer_ = std::make_unique<look::HourglassPointer>(this);
    // What `done` captures may be destroyed on the work's thread when it is
    // never run: nothing in it may own a widget.
    auto cancel = std::make_shared<std::shared_ptr<app::BackgroundWork::Cancel>>();
    *cancel = app::BackgroundWork::Run(this, std::move(work), [this, action, cancel, done = std::move(done)] {
        done();
        // `done` may have started the next action already.
        wizard_.EndDatabaseAction(cancel->get());
        cancel->reset();
        if (actions_ == action) actionPointer_.reset();
    });
    wizard_.BeginDatabaseAction(*cancel);
    return true;
}

void WizardPage::DressLoadingPage(app::ErrorTrap& trap) {
    trap.Step(dress_steps::kFaceColour, [&] { look::ApplyFaceColour(this); });
    trap.Step(dress_steps::kIcon, [&] { setWindowIcon(look::ProgramIcon()); });
    LoadHandCursor(trap, dress_steps::kTestHandCursor, dress_steps::kLoadHandCursor);
    trap.Step(dress_steps::kCaption, [&] { setWindowTitle(app::ProductName()); });
}

void WizardPage::LoadHandCursor(app::ErrorTrap& trap, int testLabel, int loadLabel) {
    const QString cursorPath = look::HandCursorPath(wizard_.programFolder());
    bool cursorThere = false;
    trap.Step(testLabel, [&] { cursorThere = app::FileExists(cursorPath); });
    if (cursorThere) trap.Step(loadLabel, [&] { look::LoadHandCursor(this, cursorPath); });
}

}  // namespace pages
