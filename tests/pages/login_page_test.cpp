#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include <gtest/gtest.h>

#include "app/wizard.h"
#include "pages/login/form1.h"
#include "pages/table/form2.h"
#include "support/test_server.h"
#include "support/test_wizard.h"
#include "ui/page_pointer.h"

using testing_support::ScratchDatabase;
using testing_support::ServerLogin;
using testing_support::TestWizard;

namespace {

void TypeLogin(pages::Form1& login, const db::LoginValues& v) {
    login.Text1()->setText(v.server);
    login.Text2()->setText(v.user);
    login.Text3()->setText(v.password);
    login.Text4()->setText(v.database);
    login.Text5()->setText(v.port);
}

QStringList Entries(const QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
    return texts;
}

}  // namespace

TEST(LoginPage, NextListsTheTablesInServerOrderOnceEachTime) {
    TW_REQUIRE_SERVER();
    ScratchDatabase scratch;
    scratch.Run({QStringLiteral("CREATE TABLE zeta (a INT)"), QStringLiteral("CREATE TABLE alpha (a INT)"),
                 QStringLiteral("CREATE TABLE `Mid dle` (a INT)"), QStringLiteral("CREATE TABLE `ünï` (a INT)")});
    QStringList serverOrder;
    {
        db::Connection c = scratch.Connect();
        db::StoredResult r = c.query(QStringLiteral("SHOW TABLES;"));
        for (std::size_t i = 0; i < r.rowCount(); ++i) serverOrder << r.value(i, 0).text();
    }
    TestWizard t;
    t.wizard().Start();
    pages::Form1& login = t.wizard().form1();
    TypeLogin(login, scratch.login());

    login.PushButton3_Click();
    pages::Form2& tables = t.wizard().form2();
    EXPECT_TRUE(tables.isVisible());
    EXPECT_FALSE(login.isVisible());
    EXPECT_EQ(Entries(tables.List1()), serverOrder);
    EXPECT_EQ(tables.List1()->currentRow(), 0);

    tables.PushButton2_Click();  // "< Back"
    EXPECT_TRUE(login.isVisible());
    EXPECT_EQ(login.Text4()->text(), scratch.name());
    tables.List1()->setCurrentRow(2);
    login.PushButton3_Click();
    EXPECT_EQ(Entries(tables.List1()), serverOrder);
    EXPECT_EQ(tables.List1()->currentRow(), 0);
    EXPECT_TRUE(t.messages().messages.empty());
}

TEST(LoginPage, NextOnADatabaseWithoutTablesShowsAnEmptyUnselectedList) {
    TW_REQUIRE_SERVER();
    ScratchDatabase scratch;
    TestWizard t;
    t.wizard().Start();
    TypeLogin(t.wizard().form1(), scratch.login());
    t.wizard().form1().PushButton3_Click();
    EXPECT_TRUE(t.wizard().form2().isVisible());
    EXPECT_EQ(t.wizard().form2().List1()->count(), 0);
    EXPECT_EQ(t.wizard().form2().List1()->currentRow(), -1);
}

TEST(LoginPage, NextWithARefusedLoginStaysSilentlyOnTheLoginPage) {
    TW_REQUIRE_SERVER();
    TestWizard t;
    t.wizard().Start();
    db::LoginValues wrong = ServerLogin();
    wrong.password += QStringLiteral("-wrong");
    TypeLogin(t.wizard().form1(), wrong);
    t.wizard().form1().PushButton3_Click();
    EXPECT_TRUE(t.wizard().form1().isVisible());
    EXPECT_FALSE(t.wizard().hasPage(2));
    EXPECT_TRUE(t.messages().messages.empty());
}

TEST(LoginPage, TestConnectionAnswersInWordsAndRestoresThePointer) {
    TW_REQUIRE_SERVER();
    TestWizard t;
    t.wizard().Start();
    pages::Form1& login = t.wizard().form1();
    TypeLogin(login, ServerLogin());
    login.PushButton5_Click();
    db::LoginValues wrong = ServerLogin();
    wrong.password = QStringLiteral("nope");
    TypeLogin(login, wrong);
    login.PushButton5_Click();
    wrong = ServerLogin();
    wrong.port = QStringLiteral("not a port");
    TypeLogin(login, wrong);
    login.PushButton5_Click();

    const auto& m = t.messages().messages;
    ASSERT_EQ(m.size(), 3u);
    EXPECT_EQ(m[0].text, QStringLiteral("Connection successful."));
    for (const auto& message : m) {
        EXPECT_EQ(message.title, QStringLiteral("Tablewright"));
        EXPECT_EQ(message.icon, app::MessageIcon::None);
    }
    EXPECT_EQ(m[1].text, QStringLiteral("Could not connect. Please check with your administrator. Make sure you are "
                                        "allowed to connect to your database remotely and not just through web-based "
                                        "control panels."));
    EXPECT_EQ(m[2].text, m[1].text);
    EXPECT_EQ(ui::GetPagePointer(&login), ui::kDefaultPointer);
}

TEST(LoginPage, HelpShowsFourParagraphsSeparatedByTwoCarriageReturns) {
    TestWizard t;
    t.wizard().Start();
    t.wizard().form1().PushButton2_Click();
    ASSERT_EQ(t.messages().messages.size(), 1u);
    const auto& message = t.messages().messages[0];
    EXPECT_EQ(message.title, QStringLiteral("Tablewright"));
    EXPECT_EQ(message.icon, app::MessageIcon::None);
    const QStringList paragraphs = message.text.split(QStringLiteral("\r\r"));
    ASSERT_EQ(paragraphs.size(), 4);
    EXPECT_EQ(paragraphs[1], QStringLiteral("https://dev.mysql.com/downloads/workbench/"));
    EXPECT_TRUE(paragraphs[0].endsWith(QStringLiteral("please go to: ")));
    EXPECT_FALSE(message.text.contains(QLatin1Char('\n')));
}

TEST(LoginPage, FocusSelectsTheWholeText) {
    TestWizard t;
    t.wizard().Start();
    pages::Form1& login = t.wizard().form1();
    login.show();
    login.activateWindow();
    login.Text5()->setFocus(Qt::MouseFocusReason);
    QTest::qWait(20);
    EXPECT_EQ(login.Text5()->selectedText(), QStringLiteral("3306"));
}

TEST(AutomaticSignIn, IsNotTriedWithoutAStoredPassword) {
    TW_REQUIRE_SERVER();
    db::LoginValues stored = ServerLogin();
    stored.password.clear();
    TestWizard t(stored);
    t.wizard().Start();
    EXPECT_TRUE(t.wizard().form1().isVisible());
    EXPECT_FALSE(t.wizard().hasPage(2));
    EXPECT_EQ(t.wizard().form1().Text1()->text(), stored.server);
    EXPECT_EQ(t.wizard().form1().Text3()->text(), QString());
}

TEST(AutomaticSignIn, AnUnreachableServerLeavesTheFilledLoginPageWithoutAMessage) {
    db::LoginValues stored{QStringLiteral("127.0.0.1"), QStringLiteral("u"), QStringLiteral("p"),
                           QStringLiteral("d"), QStringLiteral("1")};
    TestWizard t(stored);
    t.wizard().Start();
    EXPECT_TRUE(t.wizard().form1().isVisible());
    EXPECT_EQ(t.wizard().form1().CurrentLoginValues(), stored);
    EXPECT_FALSE(t.wizard().hasPage(2));
    EXPECT_TRUE(t.messages().messages.empty());
}

TEST(AutomaticSignIn, AReachableServerShowsTheFilledTablePage) {
    TW_REQUIRE_SERVER();
    ScratchDatabase scratch;
    scratch.Run({QStringLiteral("CREATE TABLE first_table (a INT)"), QStringLiteral("CREATE TABLE second (a INT)")});
    TestWizard t(scratch.login());
    t.wizard().Start();
    EXPECT_FALSE(t.wizard().form1().isVisible());
    ASSERT_TRUE(t.wizard().hasPage(2));
    EXPECT_TRUE(t.wizard().form2().isVisible());
    EXPECT_EQ(t.wizard().form2().List1()->count(), 2);
    EXPECT_EQ(t.wizard().form2().List1()->currentItem()->text(), QStringLiteral("first_table"));
    EXPECT_EQ(t.wizard().form1().CurrentLoginValues(), scratch.login());
    EXPECT_TRUE(t.messages().messages.empty());
}
