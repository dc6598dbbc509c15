#pragma once

#include <functional>
#include <memory>

#include <QString>

#include "app/background_work.h"
#include "app/messenger.h"
#include "app/shared_state.h"
#include "db/login_values.h"
#include "settings/settings_store.h"
#include "wizard/file_dialog.h"

class QWidget;

namespace pages {
class Form1;
class Form2;
class Form3;
class Form4;
}  // namespace pages

namespace wizard {

// What the wizard talks to outside itself. main() gives the real ones;
// tests give recording ones and a settings store in a temporary folder.
struct Services {
    std::unique_ptr<app::Messenger> messenger;
    std::unique_ptr<FileDialog> fileDialog;
    std::unique_ptr<settings::SettingsStore> settings;
    // The folder of the program, where the skin and cursor files are looked for.
    QString programFolder;
    // Ends the whole process (closing any page, "Exit").
    std::function<void()> endProcess;
    // How long reading the table list, the columns and the preview may wait
    // for the server, each read or write.
    unsigned readingWaitSeconds = 30;
};

// The four pages and what they share. Each page is created the first time
// any code touches it, runs its Form_Load once and lives as long as the
// wizard; moving between pages only shows and hides them.
class Wizard {
public:
    explicit Wizard(Services services);
    ~Wizard();
    Wizard(const Wizard&) = delete;
    Wizard& operator=(const Wizard&) = delete;

    // Creates the login page and shows it; its load is the start-up
    // sequence, whose sign-in, when it succeeds, hands over to the table page.
    void Start();

    pages::Form1& form1();
    pages::Form2& form2();
    pages::Form3& form3();
    pages::Form4& form4();
    bool hasPage(int number) const;
    // The page on screen other than this one: the one a page that is being
    // shown replaces.
    QWidget* VisiblePageOtherThan(const QWidget* page) const;

    app::Messenger& messenger() { return *services_.messenger; }
    FileDialog& fileDialog() { return *services_.fileDialog; }
    settings::SettingsStore& settings() { return *services_.settings; }
    app::SharedState& state() { return state_; }
    const QString& programFolder() const { return services_.programFolder; }
    unsigned readingWaitSeconds() const { return services_.readingWaitSeconds; }
    void EndProcess();

    // The five login boxes of the login page as they read at this moment.
    db::LoginValues CurrentLoginValues();

    // Shows a message with the application title, OK only, no icon.
    void Tell(const QString& text);

    // The one database action of the pages that may run at a time ("Test
    // Connection", a "Next >" that reads from the server, the sign-in at
    // start-up). While it runs, a press that would start another does
    // nothing.
    bool databaseBusy() const { return databaseAction_ != nullptr; }
    void BeginDatabaseAction(std::shared_ptr<app::BackgroundWork::Cancel> action);
    // Ends the action, unless another has taken its place meanwhile.
    void EndDatabaseAction(const app::BackgroundWork::Cancel* action);
    // Ends whichever action runs, so that its result may start the next.
    void ReleaseDatabaseAction() { databaseAction_.reset(); }
    // Gives up the running action's wait: its connection is cut and its
    // result is never shown.
    void CancelDatabaseAction();

private:
    template <typename Page>
    Page& Touch(std::unique_ptr<Page>& slot);

    Services services_;
    app::SharedState state_;
    std::shared_ptr<app::BackgroundWork::Cancel> databaseAction_;
    std::unique_ptr<pages::Form1> form1_;
    std::unique_ptr<pages::Form2> form2_;
    std::unique_ptr<pages::Form3> form3_;
    std::unique_ptr<pages::Form4> form4_;
};

}  // namespace wizard
