#include "pages/wizard_page.h"

#include <QCloseEvent>

#include "app/app_info.h"
#include "app/shared_routines.h"
#include "look/look.h"
#include "wizard/wizard.h"

namespace pages {

WizardPage::WizardPage(wizard::Wizard& wizard, const QString& pageName) : wizard_(wizard), pageName_(pageName) {}

app::ErrorTrap WizardPage::Trap(const QString& handler) {
    return app::ErrorTrap(wizard_.messenger(), app::LocationText(pageName_, handler));
}

void WizardPage::closeEvent(QCloseEvent* event) {
    event->accept();
    wizard_.EndProcess();
}

void WizardPage::DressLoadingPage(app::ErrorTrap& trap) {
    trap.Step(100, [&] { look::ApplyFaceColour(this); });
    trap.Step(102, [&] { setWindowIcon(look::ProgramIcon()); });
    LoadHandCursor(trap, 106, 108);
    trap.Step(110, [&] { setWindowTitle(app::ProductName()); });
}

void WizardPage::LoadHandCursor(app::ErrorTrap& trap, int testLabel, int loadLabel) {
    const QString cursorPath = look::HandCursorPath(wizard_.programFolder());
    bool cursorThere = false;
    trap.Step(testLabel, [&] { cursorThere = app::FileExists(cursorPath); });
    if (cursorThere) trap.Step(loadLabel, [&] { look::LoadHandCursor(this, cursorPath); });
}

}  // namespace pages
