#include "pages/wizard_page.h"

#include <QCloseEvent>
#include <QMoveEvent>
#include <QScreen>
#include <QShowEvent>

#include "app/app_info.h"
#include "app/logging.h"
#include "app/shared_routines.h"
#include "look/look.h"
#include "look/page_placement.h"
#include "pages/page_steps.h"
#include "wizard/wizard.h"

namespace pages {
namespace {

// How long after a page is shown a move is the window manager's placing
// rather than the user's.
constexpr int kPlacementSettles = 500;

}  // namespace

WizardPage::WizardPage(wizard::Wizard& wizard, const QString& pageName, const look::PageLook& look)
    : wizard_(wizard), pageName_(pageName), databaseActions_(*this, wizard), look_(look) {}

WizardPage::~WizardPage() = default;

void WizardPage::DressAsLaidOut() { look::DressPage(this, look_); }

db::ConnectOptions WizardPage::ReadingOptions() const { return pages::ReadingOptions(wizard_.readingWaitSeconds()); }

app::ErrorTrap WizardPage::Trap(const QString& handler) {
    qCDebug(lcUi).noquote() << pageName_ + QLatin1Char('.') + handler;
    return app::ErrorTrap(wizard_.messenger(), app::LocationText(pageName_, handler));
}

void WizardPage::closeEvent(QCloseEvent* event) {
    event->accept();
    // A wait for the server is given up; the program does not wait for it.
    databaseActions_.Cancel();
    wizard_.CancelDatabaseAction();
    wizard_.EndProcess();
}

void WizardPage::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        if (const QWidget* replaced = wizard_.VisiblePageOtherThan(this)) {
            // A page that has not been on screen yet has no frame to read:
            // it gets the one around the page it replaces.
            QMargins frame = look::FrameMargins(frameGeometry(), geometry());
            if (frame.isNull()) frame = look::FrameMargins(replaced->frameGeometry(), replaced->geometry());
            const QRect available = replaced->screen()->availableGeometry();
            // A page shown a moment ago (the login page, when the sign-in at
            // start-up takes long) may not be placed by the window manager
            // yet: its place is not known, and the page goes to the middle of
            // the screen instead.
            const QRect centreOn = look::IsPlaced(replaced) ? replaced->frameGeometry() : available;
            const QPoint frameTopLeft = look::PlacedFrameTopLeft(centreOn, size().grownBy(frame), available);
            // Placed by its client area: where move() puts a window whose
            // frame is not known yet depends on the platform.
            const QRect client(frameTopLeft + QPoint(frame.left(), frame.top()), size());
            setGeometry(client);
            placement_ = Placement{client, QDeadlineTimer(kPlacementSettles)};
        }
    }
    QWidget::showEvent(event);
}

void WizardPage::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (!placement_ || !event->spontaneous()) return;
    if (placement_->settled.hasExpired()) {
        placement_.reset();
        return;
    }
    // Once only: a window manager that insists keeps its place.
    if (geometry().topLeft() != placement_->client.topLeft()) {
        const QRect client = placement_->client;
        placement_.reset();
        setGeometry(client);
    }
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
