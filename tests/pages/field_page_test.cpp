#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include "pages/fields/field_lists.h"
#include "pages/fields/form3.h"
#include "pages/output/form4.h"
#include "support/named_control.h"
#include "support/test_wizard.h"
#include "wizard/wizard.h"

using testing_support::Named;

using testing_support::TestWizard;

using testing_support::Texts;

namespace {

struct FieldPage {
    TestWizard t;
    pages::Form3& page = t.wizard().EnsurePage<pages::Form3>();

    FieldPage(const QStringList& available, const QStringList& chosen) {
        page.show();
        Named<QListWidget>(page, "List1")->addItems(available);
        Named<QListWidget>(page, "List2")->addItems(chosen);
        page.ApplyButtonStateRule();
    }
    QStringList available() const { return pages::EntryTexts(Named<QListWidget>(page, "List1")); }
    QStringList chosen() const { return pages::EntryTexts(Named<QListWidget>(page, "List2")); }
    // ">", ">>", "<", "<<", "Next >"
    std::vector<bool> buttons() const {
        return {
            Named<QPushButton>(page, "PushButton5")->isEnabled(), Named<QPushButton>(page, "PushButton6")->isEnabled(),
            Named<QPushButton>(page, "PushButton7")->isEnabled(), Named<QPushButton>(page, "PushButton8")->isEnabled(),
            Named<QPushButton>(page, "PushButton3")->isEnabled()};
    }
};

}  // namespace

TEST(FieldPage, MoveRightTakesTheSelectedFieldAndThenAsksForASelection) {
    FieldPage f(Texts({"id", "name", "price"}), {});
    Named<QListWidget>(f.page, "List1")->setCurrentRow(1);
    f.page.PushButton5_Click();
    EXPECT_EQ(f.available(), Texts({"id", "price"}));
    EXPECT_EQ(f.chosen(), Texts({"name"}));
    EXPECT_EQ(pages::SelectedRow(Named<QListWidget>(f.page, "List1")), -1);
    EXPECT_EQ(f.buttons(), (std::vector<bool>{true, true, true, true, true}));
    EXPECT_TRUE(f.t.messages().messages.empty());

    f.page.PushButton5_Click();
    ASSERT_EQ(f.t.messages().messages.size(), 1u);
    EXPECT_EQ(f.t.messages().messages[0].text, QStringLiteral("Please select a field first."));
    EXPECT_EQ(f.t.messages().messages[0].title, QStringLiteral("Tablewright"));
    EXPECT_EQ(f.t.messages().messages[0].icon, app::MessageIcon::None);
    EXPECT_EQ(f.available(), Texts({"id", "price"}));
}

TEST(FieldPage, MoveLeftAppendsAtTheEndOfTheAvailableList) {
    FieldPage f(Texts({"price"}), Texts({"name", "id"}));
    Named<QListWidget>(f.page, "List2")->setCurrentRow(0);
    f.page.PushButton7_Click();
    EXPECT_EQ(f.available(), Texts({"price", "name"}));
    EXPECT_EQ(f.chosen(), Texts({"id"}));
    f.page.PushButton7_Click();
    EXPECT_EQ(f.t.messages().messages.size(), 1u);
}

TEST(FieldPage, MoveAllBothWaysAndTheButtonsFollow) {
    FieldPage f(Texts({"id", "price"}), Texts({"name"}));
    f.page.PushButton6_Click();
    EXPECT_EQ(f.chosen(), Texts({"name", "id", "price"}));
    EXPECT_TRUE(f.available().isEmpty());
    EXPECT_EQ(f.buttons(), (std::vector<bool>{false, false, true, true, true}));
    f.page.PushButton8_Click();
    EXPECT_EQ(f.available(), Texts({"name", "id", "price"}));
    EXPECT_TRUE(f.chosen().isEmpty());
    EXPECT_EQ(f.buttons(), (std::vector<bool>{true, true, false, false, false}));
    f.page.PushButton8_Click();  // nothing to move: no message, nothing changes
    EXPECT_EQ(f.available(), Texts({"name", "id", "price"}));
    EXPECT_TRUE(f.t.messages().messages.empty());
}

TEST(FieldPage, DoubleClickMovesTheSelectedFieldSilently) {
    FieldPage f(Texts({"id", "name"}), {});
    f.page.List1_DblClick();  // nothing selected: nothing happens
    EXPECT_EQ(f.available(), Texts({"id", "name"}));
    const QRect second =
        Named<QListWidget>(f.page, "List1")->visualItemRect(Named<QListWidget>(f.page, "List1")->item(1));
    QTest::mouseClick(Named<QListWidget>(f.page, "List1")->viewport(), Qt::LeftButton, {}, second.center());
    QTest::mouseDClick(Named<QListWidget>(f.page, "List1")->viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_EQ(f.available(), Texts({"id"}));
    EXPECT_EQ(f.chosen(), Texts({"name"}));
    Named<QListWidget>(f.page, "List2")->setCurrentRow(0);
    f.page.List2_DblClick();
    EXPECT_EQ(f.available(), Texts({"id", "name"}));
    EXPECT_TRUE(f.t.messages().messages.empty());
}

TEST(FieldPage, NextBuildsTheFieldListAfreshEachTime) {
    FieldPage f(Texts({}), Texts({"id", "na me"}));
    f.page.PushButton3_Click();
    EXPECT_EQ(f.t.wizard().state().fieldListText, QStringLiteral("`id`, `na me`"));
    EXPECT_TRUE(f.t.wizard().EnsurePage<pages::Form4>().isVisible());
    EXPECT_FALSE(f.page.isVisible());

    f.t.wizard().EnsurePage<pages::Form4>().PushButton2_Click();  // "< Back"
    EXPECT_TRUE(f.page.isVisible());
    Named<QListWidget>(f.page, "List2")->setCurrentRow(0);
    f.page.PushButton7_Click();
    f.page.PushButton3_Click();
    EXPECT_EQ(f.t.wizard().state().fieldListText, QStringLiteral("`na me`"));
}

TEST(FieldPage, BackFromTheOutputPageResetsButtonsAndCleansTheAvailableList) {
    FieldPage f(Texts({"a", "b", "c"}), Texts({"b"}));
    f.page.hide();
    Named<QPushButton>(f.page, "PushButton3")->setEnabled(true);
    f.t.wizard().EnsurePage<pages::Form4>().show();
    f.t.wizard().EnsurePage<pages::Form4>().PushButton2_Click();
    EXPECT_EQ(f.available(), Texts({"a", "c"}));
    EXPECT_EQ(f.buttons(), (std::vector<bool>{true, true, true, true, true}));
    EXPECT_FALSE(f.t.wizard().EnsurePage<pages::Form4>().isVisible());

    f.page.PushButton8_Click();  // chosen list empty now
    f.t.wizard().EnsurePage<pages::Form4>().show();
    f.t.wizard().EnsurePage<pages::Form4>().PushButton2_Click();
    EXPECT_FALSE(Named<QPushButton>(f.page, "PushButton3")->isEnabled());
    EXPECT_EQ(Named<QListWidget>(f.page, "List1")->currentRow(), 0);
}

TEST(FieldPage, TabLeavesThePreviewGridAndEnterPressesTheFocusedButton) {
    FieldPage f(Texts({"id", "name"}), {});
    f.page.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f.page));
    Named<QTableView>(f.page, "DataGrid1")->setFocus();
    QTest::keyClick(Named<QTableView>(f.page, "DataGrid1"), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), Named<QListWidget>(f.page, "List1"));
    QTest::keyClick(Named<QListWidget>(f.page, "List1"), Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), Named<QTableView>(f.page, "DataGrid1"));

    Named<QPushButton>(f.page, "PushButton6")->setFocus();  // ">>"
    QTest::keyClick(Named<QPushButton>(f.page, "PushButton6"), Qt::Key_Return);
    EXPECT_EQ(f.chosen(), Texts({"id", "name"}));
    Named<QPushButton>(f.page, "PushButton8")->setFocus();  // "<<"
    QTest::keyClick(Named<QPushButton>(f.page, "PushButton8"), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(f.available(), Texts({"id", "name"}));
}
