// The pages' waits for the server: off the window's thread, one at a time,
// bounded, and given up when the window closes.
#include <QListWidget>
#include <QTimer>

#include <gtest/gtest.h>

#include "app/background_work.h"
#include "look/page_pointer.h"
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
        scratch.Run(QStringLiteral("CREATE TABLE t (a INT)"));
        holder.Execute(QStringLiteral("LOCK TABLES t WRITE"));
        t.Start();
        testing_support::FillLogin(t.wizard().EnsurePage<pages::Form1>(), scratch.login());
        t.wizard().EnsurePage<pages::Form1>().PushButton3_Click();
        t.Settle();
        Named<QListWidget>(t.wizard().EnsurePage<pages::Form2>(), "List1")->setCurrentRow(0);
    }
};

// Waits until the work that a closed window gave up has ended by itself.
bool WorkEnded(int timeoutMs) {
    return WaitUntil([] { return !app::BackgroundWorkRunning(); }, timeoutMs);
}

}  // namespace

TEST(DatabaseWait, ASilentServerKeepsTheWindowAliveAndAgainPressesStartNoSecondConnection) {
    StallingServer silent;
    TestWizard t;
    t.Start();
    pages::Form1& login = t.wizard().EnsurePage<pages::Form1>();
    testing_support::FillLogin(login, LoginAt(silent));

    login.PushButton5_Click();  // "Test Connection"
    ASSERT_TRUE(WaitUntil([&] { return silent.connections() == 1; }));
    EXPECT_TRUE(WindowKeepsRunningWhile([&] { return t.wizard().databaseBusy(); }));
    EXPECT_EQ(look::GetPagePointer(&login), look::kHourglass);
    login.PushButton5_Click();
    login.PushButton3_Click();  // "Next >" waits its turn: it is not queued either

    ASSERT_TRUE(t.Settle());
    EXPECT_EQ(silent.connections(), 1);
    ASSERT_EQ(t.messages().messages.size(), 1u);
    // The answer names the server that did not answer.
    EXPECT_EQ(t.messages().messages[0].text,
              pages::Form1::CouldNotConnectText() +
                  QStringLiteral("\r\rCannot connect to the server at 127.0.0.1, port %1: no answer within 10 seconds")
                      .arg(silent.port()));
    EXPECT_EQ(look::GetPagePointer(&login), look::kDefaultPointer);
    EXPECT_FALSE(t.wizard().pageMade(pages::PageKind::Table));
}

TEST(DatabaseWait, StartUpShowsTheLoginPageAtOnceAndClosingGivesTheSignInUp) {
    StallingServer stalling(StallingServer::Mode::GreetThenStall);
    TestWizard t(LoginAt(stalling));
    t.wizard().Start();
    // The sign-in waits for the server while the login page is already up.
    EXPECT_TRUE(t.wizard().EnsurePage<pages::Form1>().isVisible());
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

TEST(DatabaseWait, ALockedTableEndsItsWaitAtTheBoundWithThePreviewReport) {
    TW_REQUIRE_SERVER();
    LockedTable locked(2);
    TestWizard& t = locked.t;
    pages::Form2& tables = t.wizard().EnsurePage<pages::Form2>();
    tables.PushButton3_Click();
    EXPECT_TRUE(WindowKeepsRunningWhile([&] { return t.wizard().databaseBusy(); }));
    EXPECT_EQ(look::GetPagePointer(&tables), look::kHourglass);

    ASSERT_TRUE(t.Settle());
    ASSERT_EQ(t.messages().messages.size(), 1u);
    EXPECT_TRUE(t.messages().messages[0].text.contains(
        testing_support::AtLine("Form2.PushButton3_Click", pages::table_steps::kNextReadPreview)));
    EXPECT_TRUE(t.wizard().EnsurePage<pages::Form3>().isVisible());
    EXPECT_EQ(Named<QListWidget>(t.wizard().EnsurePage<pages::Form3>(), "List1")->count(), 0);
    EXPECT_EQ(look::GetPagePointer(&tables), look::kDefaultPointer);
}

TEST(DatabaseWait, ClosingWhileALockedTableHoldsThePreviewCutsTheWaitShort) {
    TW_REQUIRE_SERVER();
    LockedTable locked(30);  // the full bound: only the cut can end the wait early
    TestWizard& t = locked.t;
    t.wizard().EnsurePage<pages::Form2>().PushButton3_Click();
    const QString waiting =
        QStringLiteral("SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE DB = '%1' AND INFO LIKE 'SELECT %'")
            .arg(locked.scratch.name());
    ASSERT_TRUE(WaitUntil([&] { return locked.holder.Query(waiting).value(0, 0).text() == QLatin1String("1"); }));

    t.wizard().EnsurePage<pages::Form2>().close();
    EXPECT_EQ(t.endProcessCalls(), 1);
    EXPECT_TRUE(WorkEnded(2000));
    QCoreApplication::processEvents();
    EXPECT_TRUE(t.messages().messages.empty());
    EXPECT_FALSE(t.wizard().pageMade(pages::PageKind::Fields));
}
