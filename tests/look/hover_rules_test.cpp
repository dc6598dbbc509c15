#include <QAbstractScrollArea>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include "look/page_pointer.h"
#include "page_probe.h"
#include "pages/fields/form3.h"
#include "pages/login/form1.h"
#include "support/named_control.h"
#include "support/test_wizard.h"

using testing_support::Named;

using look_probe::Control;
using look_probe::MoveOver;
using testing_support::TestWizard;

namespace {

struct PageRules {
    const char* page;
    std::vector<const char*> hand;
    std::vector<const char*> reset;
    std::vector<const char*> none;
};

const std::vector<PageRules>& AllRules() {
    static const std::vector<PageRules> rules{
        {"Form1",
         {"PushButton5", "PushButton2", "PushButton3"},
         {"Text1", "Text2", "Text3", "Text4", "Frame1"},
         {"Text5", "Label1", "Label2", "Label3", "Label4", "Label9"}},
        {"Form2", {"PushButton2", "PushButton3"}, {"List1", "Frame1"}, {}},
        {"Form3",
         {"PushButton2", "PushButton3", "PushButton5", "PushButton6", "PushButton7", "PushButton8"},
         {"Label1", "Label2", "List1", "List2", "DataGrid1"},
         {}},
        {"Form4",
         {"PushButton2", "PushButton3", "PushButton4"},
         {"Text1", "Frame1", "Frame2", "Frame3"},
         {"Text2", "Check6", "ProgressBar1"}},
    };
    return rules;
}

// The widgets a mouse move over a control can arrive at: the control, and
// for lists and the grid their viewports and headings.
std::vector<QWidget*> Receivers(QWidget* control) {
    std::vector<QWidget*> receivers{control};
    if (auto* area = qobject_cast<QAbstractScrollArea*>(control)) receivers.push_back(area->viewport());
    if (auto* grid = qobject_cast<QTableView*>(control)) {
        receivers.push_back(grid->horizontalHeader()->viewport());
        receivers.push_back(grid->verticalHeader());
    }
    return receivers;
}

class HoverRules : public ::testing::Test {
protected:
    void SetUp() override {
        t_.Start();
        // Every button of the field page enabled, as with both lists filled.
        pages::Form3& fields = t_.wizard().EnsurePage<pages::Form3>();
        Named<QListWidget>(fields, "List1")->addItem(QStringLiteral("id"));
        Named<QListWidget>(fields, "List2")->addItem(QStringLiteral("name"));
        fields.ApplyButtonStateRule();
    }

    QWidget* Page(const char* name) { return look_probe::PageNamed(t_.wizard(), name); }

    // Sets the pointer, moves over the widget and tells the pointer after.
    static int After(QWidget* page, int before, QWidget* over) {
        look::SetPagePointer(page, before);
        MoveOver(over);
        return look::GetPagePointer(page);
    }

    TestWizard t_;
};

TEST_F(HoverRules, PushButtonsShowTheHandAndTheResetControlsTheDefault) {
    ASSERT_EQ(AllRules().size(), look_probe::AllPages(t_.wizard()).size())
        << "every page of the page table has its hover rules checked here";
    for (const PageRules& rules : AllRules()) {
        QWidget* page = Page(rules.page);
        ASSERT_NE(page, nullptr);
        for (const char* name : rules.hand) {
            EXPECT_EQ(After(page, look::kDefaultPointer, Control(page, name)), look::kCustomPointer)
                << rules.page << "." << name;
        }
        EXPECT_EQ(After(page, look::kCustomPointer, page), look::kDefaultPointer) << rules.page << " background";
        for (const char* name : rules.reset) {
            for (QWidget* receiver : Receivers(Control(page, name)))
                EXPECT_EQ(After(page, look::kCustomPointer, receiver), look::kDefaultPointer)
                    << rules.page << "." << name << " (" << receiver->metaObject()->className() << ")";
        }
    }
}

TEST_F(HoverRules, ControlsWithoutARuleLeaveThePointerAsItIs) {
    for (const PageRules& rules : AllRules()) {
        QWidget* page = Page(rules.page);
        for (const char* name : rules.none) {
            EXPECT_EQ(After(page, look::kCustomPointer, Control(page, name)), look::kCustomPointer)
                << rules.page << "." << name;
            EXPECT_EQ(After(page, look::kDefaultPointer, Control(page, name)), look::kDefaultPointer)
                << rules.page << "." << name;
        }
    }
}

TEST_F(HoverRules, TheHourglassStaysWhereverTheMouseGoes) {
    for (const PageRules& rules : AllRules()) {
        QWidget* page = Page(rules.page);
        EXPECT_EQ(After(page, look::kHourglass, page), look::kHourglass);
        for (const auto* group : {&rules.hand, &rules.reset, &rules.none}) {
            for (const char* name : *group)
                EXPECT_EQ(After(page, look::kHourglass, Control(page, name)), look::kHourglass)
                    << rules.page << "." << name;
        }
        EXPECT_EQ(page->cursor().shape(), Qt::WaitCursor);
        look::SetPagePointer(page, look::kDefaultPointer);
    }
}

TEST_F(HoverRules, ControlsGetTheirOwnPointerBackWithTheDefault) {
    pages::Form1& login = t_.wizard().EnsurePage<pages::Form1>();
    ASSERT_EQ(Named<QLineEdit>(login, "Text1")->cursor().shape(), Qt::IBeamCursor);
    for (const int busy : {look::kCustomPointer, look::kHourglass}) {
        look::SetPagePointer(&login, busy);
        EXPECT_NE(Named<QLineEdit>(login, "Text1")->cursor().shape(), Qt::IBeamCursor);
        MoveOver(&login);  // the page background: reset, unless the hourglass shows
        look::SetPagePointer(&login, look::kDefaultPointer);
        EXPECT_EQ(Named<QLineEdit>(login, "Text1")->cursor().shape(), Qt::IBeamCursor) << busy;
        EXPECT_EQ(Control(&login, "PushButton3")->cursor().shape(), Qt::ArrowCursor) << busy;
    }
}

// Moves the real mouse: Qt finds the widget under it and lets the move rise
// to the parents while nobody takes it.
TEST_F(HoverRules, TheHandStaysFromAButtonOntoAControlWithoutARule) {
    QWidget& login = t_.wizard().EnsurePage<pages::Form1>();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&login));
    auto moveTo = [&](const char* name) {
        QWidget* control = Control(&login, name);
        QTest::mouseMove(control, control->rect().center());
        return look::GetPagePointer(&login);
    };
    EXPECT_EQ(moveTo("PushButton5"), look::kCustomPointer);
    EXPECT_EQ(moveTo("Label4"), look::kCustomPointer);  // inside the frame, which resets
    EXPECT_EQ(moveTo("Text5"), look::kCustomPointer);
    EXPECT_EQ(moveTo("Text3"), look::kDefaultPointer);
    EXPECT_EQ(moveTo("PushButton3"), look::kCustomPointer);
    QTest::mouseMove(&login, QPoint(2, 2));  // the page background
    EXPECT_EQ(look::GetPagePointer(&login), look::kDefaultPointer);
}

}  // namespace
