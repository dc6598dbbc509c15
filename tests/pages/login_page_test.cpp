#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include <gtest/gtest.h>

#include "db/login_refusal.h"
#include "look/page_pointer.h"
#include "pages/fields/field_lists.h"
#include "pages/fields/form3.h"
#include "pages/login/form1.h"
#include "pages/table/form2.h"
#include "support/named_control.h"
#include "support/test_server.h"
#include "support/test_wizard.h"
#include "support/wait_until.h"
#include "wizard/wizard.h"

using testing_support::Named;

using testing_support::FillLogin;
using testing_support::ScratchDatabase;
using testing_support::ServerLogin;
using testing_support::TestWizard;

namespace {

// Counts the login page coming on screen while it lives.
struct ShowCounter : QObject {
    int count = 0;
    ShowCounter() { qApp->installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && qobject_cast<pages::Form1*>(watched) != nullptr) ++count;
        return false;
    }
};

}  // namespace

TEST(LoginPage, NextListsTheTablesInServerOrderOnceEachTime) {
    TW_REQUIRE_SERVER();
    ScratchDatabase scratch;
    scratch.Run({QStringLiteral("CREATE TABLE zeta (a INT)"), QStringLiteral("CREATE TABLE alpha (a INT)"),
                 QStringLiteral("CREATE TABLE `Mid dle` (a INT)"), QStringLiteral("CREATE TABLE `ünï` (a INT)")});
    QStringList serverOrder;
    {
        db::Connection c = scratch.Connect();
        db::StoredResult r = c.Query(QStringLiteral("SHOW TABLES;"));
        for (std::size_t i = 0; i < r.rowCount(); ++i) serverOrder << r.value(i, 0).text();
    }
    TestWizard t;
    t.Start();
    pages::Form1& login = t.wizard().EnsurePage<pages::Form1>();
    FillLogin(login, scratch.login());

    login.PushButton3_Click();
    t.Settle();
    pages::Form2& tables = t.wizard().EnsurePage<pages::Form2>();
    EXPECT_TRUE(tables.isVisible());
    EXPECT_FALSE(login.isVisible());
    EXPECT_EQ(pages::EntryTexts(Named<QListWidget>(tables, "List1")), serverOrder);
    EXPECT_EQ(Named<QListWidget>(tables, "List1")->currentRow(), 0);

    tables.PushButton2_Click();  // "< Back"
    EXPECT_TRUE(login.isVisible());
    EXPECT_EQ(Named<QLineEdit>(login, "Text4")->text(), scratch.name());
    Named<QListWidget>(tables, "List1")->setCurrentRow(2);
    login.PushButton3_Click();
    t.Settle();
    EXPECT_EQ(pages::EntryTexts(Named<QListWidget>(tables, "List1")), serverOrder);
    EXPECT_EQ(Named<QListWidget>(tables, "List1")->currentRow(), 0);
    EXPECT_TRUE(t.messages().messages.empty());
}

TEST(LoginPage, NextOnADatabaseWithoutTablesShowsAnEmptyUnselectedList) {
    TW_REQUIRE_SERVER();
    ScratchDatabase scratch;
    TestWizard t;
    t.Start();
    FillLogin(t.wizard().EnsurePage<pages::Form1>(), scratch.login());
    t.wizard().EnsurePage<pages::Form1>().PushButton3_Click();
    t.Settle();
    EXPECT_TRUE(t.wizard().EnsurePage<pages::Form2>().isVisible());
    EXPECT_EQ(Named<QListWidget>(t.wizard().EnsurePage<pages::Form2>(), "List1")->count(), 0);
    EXPECT_EQ(Named<QListWidget>(t.wizard().EnsurePage<pages::Form2>(), "List1")->currentRow(), -1);
}

TEST(LoginPage, NextWithARefusedLoginSaysWhyOnTheLoginPage) {
    TW_REQUIRE_SERVER();
    TestWizard t;
    t.Start();
    db::LoginValues wrong = ServerLogin();
    wrong.password += QStringLiteral("-wrong");
    FillLogin(t.wizard().EnsurePage<pages::Form1>(), wrong);
    t.wizard().EnsurePage<pages::Form1>().PushButton3_Click();
    t.Settle();
    EXPECT_TRUE(t.wizard().EnsurePage<pages::Form1>().isVisible());
    EXPECT_FALSE(t.wizard().pageMade(pages::PageKind::Table));
    ASSERT_EQ(t.messages().messages.size(), 1u);
    EXPECT_TRUE(t.messages().messages[0].text.startsWith(pages::Form1::CouldNotConnectText() +
                                                         QStringLiteral("\r\rThe server said: Access denied")));
}

TEST(LoginPage, TestConnectionAnswersInWordsAndRestoresThePointer) {
    TW_REQUIRE_SERVER();
    TestWizard t;
    t.Start();
    pages::Form1& login = t.wizard().EnsurePage<pages::Form1>();
    FillLogin(login, ServerLogin());
    login.PushButton5_Click();
    t.Settle();
    db::LoginValues wrong = ServerLogin();
    wrong.password = QStringLiteral("nope");
    FillLogin(login, wrong);
    login.PushButton5_Click();
    t.Settle();
    wrong = ServerLogin();
    wrong.port = QStringLiteral("not a port");
    FillLogin(login, wrong);
    login.PushButton5_Click();
    t.Settle();

    const auto& m = t.messages().messages;
    ASSERT_EQ(m.size(), 3u);
    EXPECT_EQ(m[0].text, QStringLiteral("Connection successful."));
    for (const auto& message : m) {
        EXPECT_EQ(message.title, QStringLiteral("Tablewright"));
        EXPECT_EQ(message.icon, app::MessageIcon::None);
    }
    const QString couldNotConnect = QStringLiteral(
        "Could not connect. Please check with your administrator. Make sure you are allowed to connect to your "
        "database remotely and not just through web-based control panels.");
    // The server's own reason follows for the wrong password, never the password.
    EXPECT_TRUE(m[1].text.startsWith(couldNotConnect + QStringLiteral("\r\rThe server said: Access denied for user '") +
                                     wrong.user + QStringLiteral("'@")))
        << m[1].text.toStdString();
    EXPECT_TRUE(m[1].text.endsWith(QStringLiteral("(using password: YES)"))) << m[1].text.toStdString();
    EXPECT_EQ(m[2].text, couldNotConnect);
    EXPECT_EQ(look::GetPagePointer(&login), look::kDefaultPointer);
}

// Only the server's own words are passed on, and never one that holds the
// password; the connector's and our own are not the server's.
TEST(LoginPage, OnlyTheServersOwnMessageIsGivenAsTheReason) {
    const QString denied = QStringLiteral("Access denied for user 'ann'@'localhost' (using password: YES)");
    const struct {
        const char* what;
        db::DbError error;
        QString password;
        QString shown;
    } cases[] = {
        {"a wrong password", db::DbError(denied, 1045), QStringLiteral("s3cret"), denied},
        {"with the opening's hint",
         db::DbError(denied + QStringLiteral(". Check the user name and the password."), 1045).SaidByServer(denied),
         {},
         denied},
        {"a newer server's number",
         db::DbError(QStringLiteral("Account is locked"), 3118),
         {},
         QStringLiteral("Account is locked")},
        {"the connector's own text", db::DbError(QStringLiteral("Lost connection (system error: 11)"), 2013), {}, {}},
        {"the connector's newer numbers", db::DbError(QStringLiteral("Unknown option"), 5013), {}, {}},
        {"our own failure", db::DbError(QStringLiteral("Port must be a number"), 0), {}, {}},
        {"a message that holds the password",
         db::DbError(QStringLiteral("Bad password 'pw'"), 1045),
         QStringLiteral("pw"),
         {}},
    };
    for (const auto& c : cases) EXPECT_EQ(db::ServerMessage(c.error, c.password), c.shown) << c.what;
}

TEST(LoginPage, HelpShowsFourParagraphsSeparatedByTwoCarriageReturns) {
    TestWizard t;
    t.Start();
    t.wizard().EnsurePage<pages::Form1>().PushButton2_Click();
    ASSERT_EQ(t.messages().messages.size(), 1u);
    const auto& message = t.messages().messages[0];
    EXPECT_EQ(message.title, QStringLiteral("Tablewright"));
    EXPECT_EQ(message.icon, app::MessageIcon::None);
    EXPECT_EQ(message.text,
              QStringLiteral("If you cannot establish connection to your database with this program, please go to: \r\r"
                             "https://dev.mysql.com/downloads/workbench/\r\r"
                             "Download and install the MySQL Workbench. Try to connect to the same database (with the "
                             "same login information you are using here). This will determine if the login you are "
                             "using is correct.\r\r"
                             "Finally, make sure your host allows a direct connection to your MySQL database -- not a "
                             "web based connection, for example."));
}

TEST(LoginPage, FocusSelectsTheWholeText) {
    TestWizard t;
    t.Start();
    pages::Form1& login = t.wizard().EnsurePage<pages::Form1>();
    login.show();
    login.activateWindow();
    Named<QLineEdit>(login, "Text5")->setFocus(Qt::MouseFocusReason);
    EXPECT_TRUE(testing_support::WaitUntil(
        [&] { return Named<QLineEdit>(login, "Text5")->selectedText() == QStringLiteral("3306"); }));
}

TEST(AutomaticSignIn, IsNotTriedWithoutAStoredPassword) {
    TW_REQUIRE_SERVER();
    db::LoginValues stored = ServerLogin();
    stored.password.clear();
    TestWizard t(stored);
    t.Start();
    EXPECT_TRUE(t.wizard().EnsurePage<pages::Form1>().isVisible());
    EXPECT_FALSE(t.wizard().pageMade(pages::PageKind::Table));
    EXPECT_EQ(Named<QLineEdit>(t.wizard().EnsurePage<pages::Form1>(), "Text1")->text(), stored.server);
    EXPECT_EQ(Named<QLineEdit>(t.wizard().EnsurePage<pages::Form1>(), "Text3")->text(), QString());
}

TEST(AutomaticSignIn, AnUnreachableServerLeavesTheFilledLoginPageWithoutAMessage) {
    db::LoginValues stored{QStringLiteral("127.0.0.1"), QStringLiteral("u"), QStringLiteral("p"), QStringLiteral("d"),
                           QStringLiteral("1")};
    TestWizard t(stored);
    t.Start();
    EXPECT_TRUE(t.wizard().EnsurePage<pages::Form1>().isVisible());
    EXPECT_EQ(t.wizard().EnsurePage<pages::Form1>().CurrentLoginValues(), stored);
    EXPECT_FALSE(t.wizard().pageMade(pages::PageKind::Table));
    EXPECT_TRUE(t.messages().messages.empty());
}

TEST(AutomaticSignIn, AReachableServerShowsTheFilledTablePage) {
    TW_REQUIRE_SERVER();
    ScratchDatabase scratch;
    scratch.Run({QStringLiteral("CREATE TABLE first_table (a INT)"), QStringLiteral("CREATE TABLE second (a INT)")});
    TestWizard t(scratch.login());
    // A sign-in that hands over at once never shows the login page.
    ShowCounter shown;
    t.Start();
    EXPECT_EQ(shown.count, 0);
    EXPECT_FALSE(t.wizard().EnsurePage<pages::Form1>().isVisible());
    ASSERT_TRUE(t.wizard().pageMade(pages::PageKind::Table));
    EXPECT_TRUE(t.wizard().EnsurePage<pages::Form2>().isVisible());
    EXPECT_EQ(Named<QListWidget>(t.wizard().EnsurePage<pages::Form2>(), "List1")->count(), 2);
    EXPECT_EQ(Named<QListWidget>(t.wizard().EnsurePage<pages::Form2>(), "List1")->currentItem()->text(),
              QStringLiteral("first_table"));
    EXPECT_EQ(t.wizard().EnsurePage<pages::Form1>().CurrentLoginValues(), scratch.login());
    EXPECT_TRUE(t.messages().messages.empty());
}

TEST(LoginPage, ActionsLeaveNoConnectionOpen) {
    TW_REQUIRE_SERVER();
    ScratchDatabase scratch;
    scratch.Run(QStringLiteral("CREATE TABLE t (a INT)"));
    TestWizard t;
    t.Start();
    FillLogin(t.wizard().EnsurePage<pages::Form1>(), scratch.login());
    t.wizard().EnsurePage<pages::Form1>().PushButton5_Click();
    t.Settle();
    t.wizard().EnsurePage<pages::Form1>().PushButton3_Click();
    t.Settle();
    t.wizard().EnsurePage<pages::Form2>().PushButton3_Click();
    t.Settle();
    ASSERT_TRUE(t.wizard().EnsurePage<pages::Form3>().isVisible());

    // Only the connection that asks is left in this database.
    db::Connection probe = scratch.Connect();
    const QString count =
        QStringLiteral("SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE DB = '%1'").arg(scratch.name());
    QString open;
    EXPECT_TRUE(testing_support::WaitUntil([&] {
        open = probe.Query(count).value(0, 0).text();
        return open == QStringLiteral("1");
    })) << open.toStdString();
}

TEST(AutomaticSignIn, AStoredEmptyServerStaysEmptyAndNoSignInIsTried) {
    TW_REQUIRE_SERVER();
    db::LoginValues stored = ServerLogin();
    stored.server.clear();
    TestWizard t(stored);
    t.Start();
    EXPECT_EQ(Named<QLineEdit>(t.wizard().EnsurePage<pages::Form1>(), "Text1")->text(), QString());
    EXPECT_EQ(Named<QLineEdit>(t.wizard().EnsurePage<pages::Form1>(), "Text2")->text(), stored.user);
    EXPECT_FALSE(t.wizard().pageMade(pages::PageKind::Table));
}
