#pragma once

#include <QWidget>

#include "app/error_report.h"

namespace wizard {
class Wizard;
}

namespace pages {

// What the four pages have in common: they belong to one wizard, and closing
// any of them ends the whole process at once.
class WizardPage : public QWidget {
    Q_OBJECT

public:
    WizardPage(wizard::Wizard& wizard, const QString& pageName);

    // The error trap of one of this page's handlers.
    app::ErrorTrap Trap(const QString& handler);

protected:
    // Form_Unload: no question is asked and nothing is saved at this moment.
    void closeEvent(QCloseEvent* event) override;

    // The dressing steps of the table, field and output pages' loads: the
    // face colour (100), the icon (102), the hand cursor (106, 108) and the
    // caption (110).
    void DressLoadingPage(app::ErrorTrap& trap);

    // Makes the hand cursor file beside the program the page's custom
    // pointer, when it is there: its test and its load run as two steps.
    void LoadHandCursor(app::ErrorTrap& trap, int testLabel, int loadLabel);

    wizard::Wizard& wizard_;
    QString pageName_;
};

}  // namespace pages
