// The pages' waits for the server: off the window's thread, one at a time,
// bounded, and given up when the window closes.
#include <string_view>

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include "app/background_work.h"
#include "look/page_pointer.h"
#include "pages/fields/field_lists.h"
#include "pages/fields/form3.h"
#include "pages/login/form1.h"
#include "pages/page_steps.h"
#include "pages/table/form2.h"
#include "support/named_control.h"
#include "support/stalling_server.h"
#include "support/test_server.h"
#include "support/test_wizard.h"
#include "support/wait_until.h"
#include "wizard/wizard.h"

using testing_support::Named;

using testing_support::StallingServer;
using testing_support::TestWizard;
using testing_support::WaitUntil;

namespace {

db::LoginValues LoginAt(const StallingServer& server) {
    return db::LoginValues{QStringLiteral("127.0.0.1"), QStringLiteral("ann"), QStringLiteral("secret"),
                           QStringLiteral("shop"), QString::number(server.port())};
}

// True when a timer of the window's thread fires while `busy` still holds.
bool WindowKeepsRunningWhile(const std::function<bool()>& busy) {
    bool fired = false;
    QTimer::singleShot(50, [&fired] { fired = true; });
    return WaitUntil([&] { return fired; }, 2000) && busy();
}

// A wizard on the table page of a database whose one table another session
// holds locked, so that reading its preview waits.
struct LockedTable {
    testing_support::ScratchDatabase scratch;
    db::Connection holder = scratch.Connect();
    TestWizard t;

    explicit LockedTable(unsigned readingWaitSeconds) : t(readingWaitSeconds) {
        scratch.Run({QStringLiteral("CREATE TABLE t (a INT)"), QStringLiteral("CREATE TABLE other (a INT, b INT)"),
                     QStringLiteral("CREATE TABLE third (c INT)")});
        holder.Execute(QStringLiteral("LOCK TABLES t WRITE"));
        t.Start();
        testing_support::FillLogin(t.wizard().EnsurePage<pages::Form1>(), scratch.login());
        t.wizard().EnsurePage<pages::Form1>().PushButton3_Click();
        t.Settle();
        Select(QStringLiteral("t"));
    }
    void Select(const QString& table) {
        auto* list = Named<QListWidget>(t.wizard().EnsurePage<pages::Form2>(), "List1");
        list->setCurrentItem(list->findItems(table, Qt::MatchExactly).value(0));
    }
};

bool Enabled(QWidget& page, const char* name) { return Named<QWidget>(page, name)->isEnabled(); }

using Press = void (pages::Form1::*)();
const std::pair<const char*, Press> kLoginPresses[] = {
    {"Test Connection", &pages::Form1::PushButton5_Click},
    {"Next >", &pages::Form1::PushButton3_Click},
};

// Waits until the work that a closed window gave up has ended by itself.
bool WorkEnded(int timeoutMs) {
    return WaitUntil([] { return !app::BackgroundWorkRunning(); }, timeoutMs);
}

}  // namespace

// A press on the login page waits with both its buttons off, so that a
// second press is seen to do nothing, and a refused login is said in words.
TEST(DatabaseWait, ASilentServerKeepsTheWindowAliveAndAgainPressesStartNoSecondConnection) {
    for (const auto& [name, press] : kLoginPresses) {
        SCOPED_TRACE(name);
        StallingServer silent;
        TestWizard t;
        t.Start();
        pages::Form1& login = t.wizard().EnsurePage<pages::Form1>();
        testing_support::FillLogin(login, LoginAt(silent));

        (login.*press)();
        ASSERT_TRUE(WaitUntil([&] { return silent.connections() == 1; }));
        EXPECT_TRUE(WindowKeepsRunningWhile([&] { return t.wizard().databaseBusy(); }));
        EXPECT_EQ(look::GetPagePointer(&login), look::kHourglass);
        EXPECT_FALSE(Enabled(login, "PushButton3"));
        EXPECT_FALSE(Enabled(login, "PushButton5"));
        login.PushButton5_Click();
        login.PushButton3_Click();

        ASSERT_TRUE(t.Settle());
        EXPECT_EQ(silent.connections(), 1);
        ASSERT_EQ(t.messages().messages.size(), 1u);
        // The answer names the server that did not answer.
        EXPECT_EQ(
            t.messages().messages[0].text,
            pages::Form1::CouldNotConnectText() +
                QStringLiteral("\r\rCannot connect to the server at 127.0.0.1, port %1: no answer within 10 seconds")
                    .arg(silent.port()));
        EXPECT_EQ(look::GetPagePointer(&login), look::kDefaultPointer);
        EXPECT_TRUE(Enabled(login, "PushButton3"));
        EXPECT_TRUE(Enabled(login, "PushButton5"));
        EXPECT_FALSE(t.wizard().pageMade(pages::PageKind::Table));
    }
}

// The sign-in at start-up keeps the login page back for a moment, then
// leaves its buttons on: the user's press replaces the sign-in.
TEST(DatabaseWait, APressDuringTheSignInReplacesIt) {
    for (const auto& [name, press] : kLoginPresses) {
        SCOPED_TRACE(name);
        StallingServer stalling(StallingServer::Mode::GreetThenStall);
        TestWizard t(LoginAt(stalling));
        t.wizard().Start();
        pages::Form1& login = t.wizard().EnsurePage<pages::Form1>();
        EXPECT_FALSE(login.isVisible());
        ASSERT_TRUE(WaitUntil([&] { return login.isVisible(); }));
        ASSERT_TRUE(t.wizard().databaseBusy());
        EXPECT_TRUE(Enabled(login, "PushButton3"));
        EXPECT_TRUE(Enabled(login, "PushButton5"));

        Named<QLineEdit>(login, "Text5")->setText(QStringLiteral("1"));  // nothing listens there
        (login.*press)();
        ASSERT_TRUE(t.Settle());
        ASSERT_EQ(t.messages().messages.size(), 1u);
        EXPECT_TRUE(t.messages().messages[0].text.startsWith(pages::Form1::CouldNotConnectText()));
        EXPECT_EQ(stalling.connections(), 1);
        EXPECT_EQ(look::GetPagePointer(&login), look::kDefaultPointer);
    }
}

TEST(DatabaseWait, StartUpShowsTheLoginPageAtOnceAndClosingGivesTheSignInUp) {
    StallingServer stalling(StallingServer::Mode::GreetThenStall);
    TestWizard t(LoginAt(stalling));
    t.wizard().Start();
    // The sign-in waits for the server while the login page comes up.
    ASSERT_TRUE(WaitUntil([&] { return t.wizard().EnsurePage<pages::Form1>().isVisible(); }));
    EXPECT_TRUE(t.wizard().databaseBusy());
    ASSERT_TRUE(WaitUntil([&] { return stalling.connections() == 1; }));

    t.wizard().EnsurePage<pages::Form1>().close();
    EXPECT_EQ(t.endProcessCalls(), 1);
    EXPECT_FALSE(t.wizard().databaseBusy());
    // What the given-up wait finds later is never shown.
    ASSERT_TRUE(WorkEnded(15000));
    QCoreApplication::processEvents();
    EXPECT_TRUE(t.messages().messages.empty());
    EXPECT_FALSE(t.wizard().pageMade(pages::PageKind::Table));
}

// While the preview waits, the table list and "Next >" are off: the table
// shown selected is the one read. The time-out names the table and the
// likely lock; no field of another table stays chosen; that table's choice
// comes back with it.
TEST(DatabaseWait, ALockedTableEndsItsWaitAtTheBoundWithThePreviewReport) {
    TW_REQUIRE_SERVER();
    LockedTable locked(2);
    TestWizard& t = locked.t;
    pages::Form2& tables = t.wizard().EnsurePage<pages::Form2>();
    locked.Select(QStringLiteral("other"));
    tables.PushButton3_Click();
    ASSERT_TRUE(t.Settle());
    pages::Form3& fields = t.wizard().EnsurePage<pages::Form3>();
    fields.PushButton5_Click();  // a
    fields.PushButton2_Click();
    locked.Select(QStringLiteral("t"));

    tables.PushButton3_Click();
    EXPECT_TRUE(WindowKeepsRunningWhile([&] { return t.wizard().databaseBusy(); }));
    EXPECT_EQ(look::GetPagePointer(&tables), look::kHourglass);
    EXPECT_FALSE(Enabled(tables, "List1"));
    EXPECT_FALSE(Enabled(tables, "PushButton3"));
    EXPECT_TRUE(Enabled(tables, "PushButton2"));

    ASSERT_TRUE(t.Settle());
    ASSERT_EQ(t.messages().messages.size(), 1u);
    const QString& report = t.messages().messages[0].text;
    EXPECT_TRUE(
        report.contains(testing_support::AtLine("Form2.PushButton3_Click", pages::table_steps::kNextReadPreview)));
    // The server, the table and the likely cause, each said once.
    EXPECT_TRUE(report.startsWith(QStringLiteral("The server ") + testing_support::ServerLogin().server +
                                  QStringLiteral(" did not answer within 2 seconds. The table `t` may be locked by "
                                                 "another session.")))
        << report.toStdString();
    EXPECT_EQ(report.count(QStringLiteral("lock")), 1) << report.toStdString();
    // The report stands over the field page alone.
    EXPECT_EQ(t.messages().messages[0].windowsOnScreen, QStringList{QStringLiteral("pages::Form3")});
    EXPECT_TRUE(fields.isVisible());
    EXPECT_EQ(Named<QListWidget>(fields, "List1")->count(), 0);
    EXPECT_EQ(Named<QListWidget>(fields, "List2")->count(), 0);
    EXPECT_FALSE(Enabled(fields, "PushButton3"));
    EXPECT_EQ(look::GetPagePointer(&tables), look::kDefaultPointer);
    EXPECT_TRUE(Enabled(tables, "List1"));

    // A table without those fields keeps none; back on "other", its own
    // choice comes back.
    for (const char* table : {"other", "third", "other"}) {
        fields.PushButton2_Click();
        locked.Select(QString::fromLatin1(table));
        tables.PushButton3_Click();
        ASSERT_TRUE(t.Settle());
        const QStringList expected =
            table == std::string_view("third") ? QStringList() : QStringList{QStringLiteral("a")};
        EXPECT_EQ(pages::EntryTexts(Named<QListWidget>(fields, "List2")), expected) << table;
    }
}

// Closing the window or "< Back" while a locked table holds the preview
// cuts the wait short, and its result never shows.
TEST(DatabaseWait, LeavingWhileALockedTableHoldsThePreviewCutsTheWaitShort) {
    TW_REQUIRE_SERVER();
    const std::pair<const char*, void (*)(pages::Form2&)> leavings[] = {
        {"closing the window", [](pages::Form2& tables) { tables.close(); }},
        {"< Back", [](pages::Form2& tables) { tables.PushButton2_Click(); }},
    };
    for (const auto& [name, leave] : leavings) {
        SCOPED_TRACE(name);
        LockedTable locked(30);  // the full bound: only the cut can end the wait early
        TestWizard& t = locked.t;
        pages::Form2& tables = t.wizard().EnsurePage<pages::Form2>();
        tables.PushButton3_Click();
        const QString waiting =
            QStringLiteral(
                "SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE DB = '%1' AND INFO LIKE 'SELECT %'")
                .arg(locked.scratch.name());
        ASSERT_TRUE(WaitUntil([&] { return locked.holder.Query(waiting).value(0, 0).text() == QLatin1String("1"); }));

        leave(tables);
        EXPECT_TRUE(WorkEnded(2000));
        QCoreApplication::processEvents();
        EXPECT_TRUE(t.messages().messages.empty());
        EXPECT_FALSE(t.wizard().pageMade(pages::PageKind::Fields));
        EXPECT_FALSE(t.wizard().databaseBusy());
        EXPECT_EQ(look::GetPagePointer(&tables), look::kDefaultPointer);
        EXPECT_TRUE(Enabled(tables, "List1"));
        EXPECT_EQ(t.endProcessCalls() == 1, name == std::string("closing the window"));
        EXPECT_EQ(t.wizard().EnsurePage<pages::Form1>().isVisible(), name == std::string("< Back"));
    }
}
