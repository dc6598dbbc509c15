#pragma once

#include <optional>

#include <QDeadlineTimer>
#include <QRect>
#include <QWidget>

#include "app/error_report.h"
#include "pages/database_action.h"

namespace look {
struct PageLook;
}

namespace wizard {
class Wizard;
}

namespace pages {

// What the pages have in common: they belong to one wizard, each has its
// look, closing any of them ends the whole process at once, and their
// database actions wait off the window's thread.
class WizardPage : public QWidget {
    Q_OBJECT

public:
    // The look is the page's own (a static `Look()` of its class), and lives
    // as long as the program.
    WizardPage(wizard::Wizard& wizard, const QString& pageName, const look::PageLook& look);
    ~WizardPage() override;

    // Dresses the page and fills it: runs once, when the wizard first makes
    // the page.
    virtual void Form_Load() = 0;

    // Comes on screen as the wizard's first page: at once, unless the page
    // has a reason to wait.
    virtual void ShowAtStart() { show(); }

    // The error trap of one of this page's handlers.
    app::ErrorTrap Trap(const QString& handler);

protected:
    // Form_Unload: no question is asked and nothing is saved at this moment.
    void closeEvent(QCloseEvent* event) override;
    // A page that replaces another appears centred on it, so that the wizard
    // stays where the user put it, and wholly on that page's screen, title bar
    // included; the first one goes where the desktop puts it.
    void showEvent(QShowEvent* event) override;
    // A window manager may put a page that it maps again somewhere else (openbox
    // does, now and then); the page goes back to where it was placed.
    void moveEvent(QMoveEvent* event) override;

    // Gives the page its look as its form laid it out (look::DressPage): the
    // page's constructor calls it right after setting up its form.
    void DressAsLaidOut();

    // The dressing steps of the table, field and output pages' loads: the
    // face colour (100), the icon (102), the hand cursor (106, 108) and the
    // caption (110).
    void DressLoadingPage(app::ErrorTrap& trap);

    // Makes the hand cursor file beside the program the page's custom
    // pointer, when it is there: its test and its load run as two steps.
    void LoadHandCursor(app::ErrorTrap& trap, int testLabel, int loadLabel);

    // The bound of each read or write of this page's database actions.
    db::ConnectOptions ReadingOptions() const;

    wizard::Wizard& wizard_;
    QString pageName_;
    DatabaseActions databaseActions_;

private:
    const look::PageLook& look_;
    // Where showEvent put the page, until the window manager has had its say.
    struct Placement {
        QRect client;
        QDeadlineTimer settled;
    };
    std::optional<Placement> placement_;
};

}  // namespace pages
