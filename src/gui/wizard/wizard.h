#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include <QString>

#include "app/background_work.h"
#include "app/messenger.h"
#include "app/shared_state.h"
#include "db/login_values.h"
#include "pages/page_kind.h"
#include "settings/background_saves.h"
#include "settings/settings_store.h"
#include "wizard/file_dialog.h"
#include "wizard/lost_window_watch.h"

class QWidget;

namespace pages {
class WizardPage;
}

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
    // How long start-up keeps the login page off the screen while the
    // automatic sign-in may still hand over to the table page. The sign-in
    // opens three connections and lists the tables: on a busy machine that
    // takes 300 to 600 ms, and a login page that comes up for that long only
    // to go again is a flash, not a page.
    int signInQuietMs = 700;
};

// The pages and what they share. The page table in wizard.cpp lists the
// pages in the wizard's order and how each is made. A page is made
// the first time it is asked for, runs its Form_Load once and lives as long
// as the wizard; moving between pages only shows and hides them.
class Wizard {
public:
    explicit Wizard(Services services);
    ~Wizard();
    Wizard(const Wizard&) = delete;
    Wizard& operator=(const Wizard&) = delete;

    // Makes the table's first page, the login page, and shows it; its load
    // is the start-up sequence, whose sign-in, when it succeeds, hands over
    // to the table page (the login page is then never shown, when it does
    // so quickly).
    void Start();

    // The kinds of the wizard's pages, in the order of its page table.
    static const std::vector<pages::PageKind>& pageOrder();

    // The page of this kind; the first time, it is made and its Form_Load runs.
    pages::WizardPage& EnsurePage(pages::PageKind kind);
    template <typename Page>
    Page& EnsurePage() {
        return static_cast<Page&>(EnsurePage(Page::kKind));
    }
    // The page before or after `page` in the page table, made like
    // EnsurePage's. The first page has none before it, the last none after.
    pages::WizardPage& EnsurePrevious(const pages::WizardPage& page);
    pages::WizardPage& EnsureNext(const pages::WizardPage& page);
    // Whether the page of this kind has been made.
    bool pageMade(pages::PageKind kind) const;
    // The page on screen other than this one: the one a page that is being
    // shown replaces.
    QWidget* VisiblePageOtherThan(const QWidget* page) const;

    app::Messenger& messenger() { return *services_.messenger; }
    FileDialog& fileDialog() { return *services_.fileDialog; }
    settings::SettingsStore& settings() { return *services_.settings; }
    // Where the pages write to the store: saved off the window's thread, and
    // what is left saved (for a bounded time) when the wizard goes.
    settings::BackgroundSaves& settingsSaves() { return settingsSaves_; }
    app::SharedState& state() { return state_; }
    const QString& programFolder() const { return services_.programFolder; }
    unsigned readingWaitSeconds() const { return services_.readingWaitSeconds; }
    int signInQuietMs() const { return services_.signInQuietMs; }
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
    // Where a page made by this wizard stands in its page table.
    std::size_t PlaceOfPage(const pages::WizardPage& page) const;

    Services services_;
    settings::BackgroundSaves settingsSaves_;  // goes after the pages, before the store
    app::SharedState state_;
    std::shared_ptr<app::BackgroundWork::Cancel> databaseAction_;
    // One place for each entry of the page table, in its order; empty until
    // that page is made.
    std::vector<std::unique_ptr<pages::WizardPage>> pages_;
    // Closes a page whose window another program destroyed.
    LostWindowWatch lostWindowWatch_;
};

}  // namespace wizard
