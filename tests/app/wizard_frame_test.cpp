#include <array>
#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include <QAbstractEventDispatcher>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include "look/page_placement.h"
#include "pages/fields/form3.h"
#include "pages/login/form1.h"
#include "pages/output/form4.h"
#include "pages/table/form2.h"
#include "settings/settings_store.h"
#include "support/named_control.h"
#include "support/test_wizard.h"
#include "support/wait_until.h"
#include "wizard/wizard.h"

using testing_support::Named;

using testing_support::TestWizard;

TEST(WizardFrame, FirstStartFillsTheBoxesWithDefaultsAndWritesThemBack) {
    TestWizard t;
    t.Start();
    pages::Form1& login = t.wizard().EnsurePage<pages::Form1>();
    EXPECT_TRUE(login.isVisible());
    EXPECT_EQ(login.windowTitle(), QStringLiteral("Tablewright"));
    EXPECT_EQ(Named<QLineEdit>(login, "Text1")->text(), QStringLiteral("localhost"));
    EXPECT_EQ(Named<QLineEdit>(login, "Text2")->text(), QString());
    EXPECT_EQ(Named<QLineEdit>(login, "Text3")->text(), QString());
    EXPECT_EQ(Named<QLineEdit>(login, "Text4")->text(), QString());
    EXPECT_EQ(Named<QLineEdit>(login, "Text5")->text(), QStringLiteral("3306"));
    EXPECT_TRUE(t.messages().messages.empty());
    EXPECT_FALSE(t.wizard().pageMade(pages::PageKind::Table));  // no sign-in was tried

    ASSERT_TRUE(t.wizard().settingsSaves().Finish(std::chrono::seconds(5)));
    settings::SettingsStore store(t.settingsPath());
    EXPECT_EQ(store.Read(QStringLiteral("MyServer"), QString()), QStringLiteral("localhost"));
    EXPECT_EQ(store.Read(QStringLiteral("MyPort"), QString()), QStringLiteral("3306"));
}

// Saved off the window's thread: each keystroke's value is in the file once
// the saves under way have ended.
TEST(WizardFrame, EveryKeystrokeIsStored) {
    TestWizard t;
    t.Start();
    pages::Form1& login = t.wizard().EnsurePage<pages::Form1>();
    Named<QLineEdit>(login, "Text3")->setFocus();
    QTest::keyClicks(Named<QLineEdit>(login, "Text3"), QStringLiteral("s;e"));
    ASSERT_TRUE(t.wizard().settingsSaves().Finish(std::chrono::seconds(5)));
    EXPECT_EQ(settings::SettingsStore(t.settingsPath()).Read(QStringLiteral("MyPassword"), QString()),
              QStringLiteral("s;e"));
    EXPECT_EQ(Named<QLineEdit>(login, "Text3")->displayText(), QStringLiteral("***"));
    Named<QLineEdit>(login, "Text1")->clear();
    ASSERT_TRUE(t.wizard().settingsSaves().Finish(std::chrono::seconds(5)));
    EXPECT_EQ(settings::SettingsStore(t.settingsPath()).Read(QStringLiteral("MyServer"), QStringLiteral("x")),
              QString());
}

TEST(WizardFrame, PagesAreCreatedOnceAndKeepTheirContentsWhileHidden) {
    TestWizard t;
    t.Start();
    pages::Form2* first = &t.wizard().EnsurePage<pages::Form2>();
    Named<QListWidget>(first, "List1")->addItem(QStringLiteral("kept"));
    first->show();
    first->PushButton2_Click();  // "< Back"
    EXPECT_FALSE(first->isVisible());
    EXPECT_TRUE(t.wizard().EnsurePage<pages::Form1>().isVisible());
    EXPECT_EQ(&t.wizard().EnsurePage<pages::Form2>(), first);
    EXPECT_EQ(Named<QListWidget>(first, "List1")->count(), 1);

    pages::Form4& output = t.wizard().EnsurePage<pages::Form4>();
    Named<QLineEdit>(output, "Text2")->setText(QStringLiteral("|"));
    Named<QCheckBox>(output, "Check6")->setChecked(false);
    output.hide();
    EXPECT_EQ(&t.wizard().EnsurePage<pages::Form4>(), &output);
    EXPECT_EQ(Named<QLineEdit>(output, "Text2")->text(), QStringLiteral("|"));
    EXPECT_FALSE(Named<QCheckBox>(output, "Check6")->isChecked());
}

TEST(WizardFrame, ClosingAnyPageEndsTheProcess) {
    TestWizard t;
    t.Start();
    for (QWidget* page : std::initializer_list<QWidget*>{
             &t.wizard().EnsurePage<pages::Form1>(), &t.wizard().EnsurePage<pages::Form2>(),
             &t.wizard().EnsurePage<pages::Form3>(), &t.wizard().EnsurePage<pages::Form4>()}) {
        const int before = t.endProcessCalls();
        page->show();
        page->close();
        EXPECT_EQ(t.endProcessCalls(), before + 1) << page->objectName().toStdString();
    }
}

// A page's window destroyed by another X client (xdotool windowclose) ends
// the program as closing it does; the same event for a window that is none
// of the pages' is no reason to.
TEST(WizardFrame, APageWindowDestroyedByAnotherProgramEndsTheProcess) {
    TestWizard t;
    t.Start();
    pages::Form1& login = t.wizard().EnsurePage<pages::Form1>();
    ASSERT_NE(login.internalWinId(), WId{0});
    const auto destroyed = [](WId window) {
        // xcb_destroy_notify_event_t: type, pad, sequence, event window, window.
        std::array<std::uint32_t, 8> event{17, static_cast<std::uint32_t>(window), static_cast<std::uint32_t>(window)};
        qintptr result = 0;
        QAbstractEventDispatcher::instance()->filterNativeEvent("xcb_generic_event_t", event.data(), &result);
        QCoreApplication::processEvents();
    };
    destroyed(login.internalWinId() + 1000);
    EXPECT_EQ(t.endProcessCalls(), 0);
    destroyed(login.internalWinId());
    EXPECT_EQ(t.endProcessCalls(), 1);
    EXPECT_FALSE(login.isVisible());
}

TEST(WizardFrame, BackAndNextHandOverBetweenTheLaterPages) {
    TestWizard t;
    t.Start();
    pages::Form3& fields = t.wizard().EnsurePage<pages::Form3>();
    fields.show();
    Named<QListWidget>(fields, "List2")->addItem(QStringLiteral("id"));
    fields.PushButton3_Click();  // "Next >"
    pages::Form4& output = t.wizard().EnsurePage<pages::Form4>();
    EXPECT_TRUE(output.isVisible());
    EXPECT_FALSE(fields.isVisible());
    output.PushButton2_Click();  // "< Back"
    EXPECT_TRUE(fields.isVisible());
    EXPECT_FALSE(output.isVisible());
    fields.PushButton2_Click();
    EXPECT_TRUE(t.wizard().EnsurePage<pages::Form2>().isVisible());
    EXPECT_FALSE(fields.isVisible());
    EXPECT_EQ(Named<QListWidget>(fields, "List2")->count(), 1);  // going back clears nothing
}

// The page table's order is the only record of which page is beside which.
TEST(WizardFrame, BackAndNextFollowThePageTablesOrder) {
    using pages::PageKind;
    const std::vector<PageKind> order = wizard::Wizard::pageOrder();
    ASSERT_EQ(order, (std::vector<PageKind>{PageKind::Login, PageKind::Table, PageKind::Fields, PageKind::Output}));
    TestWizard t;
    wizard::Wizard& w = t.wizard();
    for (std::size_t i = 0; i + 1 < order.size(); ++i) {
        EXPECT_EQ(&w.EnsureNext(w.EnsurePage(order[i])), &w.EnsurePage(order[i + 1])) << i;
        EXPECT_EQ(&w.EnsurePrevious(w.EnsurePage(order[i + 1])), &w.EnsurePage(order[i])) << i;
    }
    EXPECT_THROW(w.EnsurePrevious(w.EnsurePage(order.front())), std::logic_error);
    EXPECT_THROW(w.EnsureNext(w.EnsurePage(order.back())), std::logic_error);
}

TEST(WizardFrame, AShownPageAppearsCentredOnThePageItReplaces) {
    TestWizard t;
    pages::Form3& fields = t.wizard().EnsurePage<pages::Form3>();
    fields.move(317, 211);
    fields.show();
    // Once the window manager has placed it.
    ASSERT_TRUE(testing_support::WaitUntil([&] { return look::IsPlaced(&fields); }));
    fields.PushButton2_Click();  // "< Back" shows the table page in its place
    const pages::Form2& tables = t.wizard().EnsurePage<pages::Form2>();
    ASSERT_TRUE(tables.isVisible());
    EXPECT_LE((tables.frameGeometry().center() - QRect(QPoint(317, 211), fields.frameGeometry().size()).center())
                  .manhattanLength(),
              1);
}

// The tests pass their own bound in; the program itself waits 30 seconds.
TEST(WizardFrame, TheProgramsOwnReadingBoundIsThirtySeconds) { EXPECT_EQ(wizard::Services().readingWaitSeconds, 30u); }

TEST(WizardFrame, APageThatWouldOpenAboveTheScreenOpensWhollyOnIt) {
    TestWizard t;
    pages::Form4& output = t.wizard().EnsurePage<pages::Form4>();
    const QRect available = output.screen()->availableGeometry();
    output.move(available.topLeft() + QPoint(100, 0));
    output.show();
    output.PushButton2_Click();  // "< Back" to the taller field page
    const pages::Form3& fields = t.wizard().EnsurePage<pages::Form3>();
    ASSERT_TRUE(fields.isVisible());
    EXPECT_TRUE(available.contains(fields.frameGeometry())) << fields.frameGeometry().y();
}
