#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "pages/output/form4.h"
#include "support/named_control.h"
#include "support/test_wizard.h"
#include "wizard/wizard.h"

using testing_support::Named;

using testing_support::TestWizard;

TEST(OutputPage, StartsWithTheDesktopFileACommaAndTheHeaderTicked) {
    TestWizard t;
    pages::Form4& page = t.wizard().EnsurePage<pages::Form4>();
    EXPECT_EQ(Named<QLineEdit>(page, "Text1")->text(),
              qEnvironmentVariable("HOME") + QStringLiteral("/Desktop/output.txt"));
    EXPECT_EQ(Named<QLineEdit>(page, "Text2")->text(), QStringLiteral(","));
    EXPECT_TRUE(Named<QCheckBox>(page, "Check6")->isChecked());
    EXPECT_EQ(Named<QPushButton>(page, "PushButton4")->text(), QStringLiteral("Finish"));
    EXPECT_EQ(page.windowTitle(), QStringLiteral("Tablewright"));
    EXPECT_TRUE(t.messages().messages.empty());
}

TEST(OutputPage, BrowseTakesTheChosenNameExactlyAndACancelChangesNothing) {
    TestWizard t;
    pages::Form4& page = t.wizard().EnsurePage<pages::Form4>();
    Named<QLineEdit>(page, "Text1")->setText(QStringLiteral("/typed/by/hand.txt"));
    page.PushButton3_Click();  // cancelled
    EXPECT_EQ(Named<QLineEdit>(page, "Text1")->text(), QStringLiteral("/typed/by/hand.txt"));
    ASSERT_EQ(t.dialog().titles.size(), 1);
    EXPECT_EQ(t.dialog().titles[0], QStringLiteral("Choose output file"));
    EXPECT_EQ(t.dialog().lastFilters,
              (QStringList{QStringLiteral("Text Files (*.txt)"), QStringLiteral("CSV Files (*.csv)"),
                           QStringLiteral("All Files (*)")}));

    t.dialog().answers << QStringLiteral("/data/export no extension");
    page.PushButton3_Click();
    EXPECT_EQ(Named<QLineEdit>(page, "Text1")->text(), QStringLiteral("/data/export no extension"));
    EXPECT_TRUE(t.messages().messages.empty());
}

TEST(OutputPage, OpensOnBackAndATabInTheSeparatorCanBeTypedAndSeen) {
    TestWizard t;
    pages::Form4& page = t.wizard().EnsurePage<pages::Form4>();
    page.show();
    page.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&page));
    EXPECT_EQ(QApplication::focusWidget(), Named<QPushButton>(page, "PushButton2"));

    Named<QLineEdit>(page, "Text2")->setFocus();
    Named<QLineEdit>(page, "Text2")->clear();
    QTest::keyClick(Named<QLineEdit>(page, "Text2"), Qt::Key_Semicolon);
    QTest::keyClick(Named<QLineEdit>(page, "Text2"), Qt::Key_I, Qt::ControlModifier);
    EXPECT_EQ(Named<QLineEdit>(page, "Text2")->text(), QStringLiteral(";\u2192"));
    Named<QLineEdit>(page, "Text2")->insert(QStringLiteral("\t|"));  // a pasted tab shows too
    EXPECT_EQ(Named<QLineEdit>(page, "Text2")->text(), QStringLiteral(";\u2192\u2192|"));
    EXPECT_EQ(pages::Form4::SeparatorInBox(Named<QLineEdit>(page, "Text2")->text()), QStringLiteral(";\t\t|"));
    EXPECT_EQ(pages::Form4::SeparatorInBox(QStringLiteral(" ; ")), QStringLiteral(" ; "));
}
