#include <memory>
#include <vector>

#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyleOption>
#include <QTest>

#include <gtest/gtest.h>

#include "pages/wizard_page.h"
#include "support/named_control.h"
#include "support/test_wizard.h"

using pages::PageKind;
using testing_support::Named;
using testing_support::TestWizard;

namespace {

// A page whose buttons only count their presses: what the presses would do
// is not looked at here.
struct CountedPresses {
    explicit CountedPresses(QWidget& page) {
        for (QPushButton* button : page.findChildren<QPushButton*>()) {
            QObject::disconnect(button, &QPushButton::clicked, nullptr, nullptr);
            spies.push_back({button->objectName(), std::make_unique<QSignalSpy>(button, &QPushButton::clicked)});
        }
    }
    // The names of the pressed buttons, one per press.
    QStringList pressed() const {
        QStringList names;
        for (const auto& [name, spy] : spies)
            for (qsizetype i = 0; i < spy->count(); ++i) names << name;
        return names;
    }
    std::vector<std::pair<QString, std::unique_ptr<QSignalSpy>>> spies;
};

struct EnterCase {
    PageKind page;
    const char* control;
    const char* pressed;  // nullptr: nothing
};

}  // namespace

TEST(PageKeys, EnterInATextBoxOrOnTheTableListPressesNextAndOnAButtonThatButton) {
    const std::vector<EnterCase> cases{
        {PageKind::Login, "Text1", "PushButton3"},
        {PageKind::Login, "Text2", "PushButton3"},
        {PageKind::Login, "Text3", "PushButton3"},
        {PageKind::Login, "Text4", "PushButton3"},
        {PageKind::Login, "Text5", "PushButton3"},
        {PageKind::Login, "PushButton5", "PushButton5"},
        {PageKind::Table, "List1", "PushButton3"},
        {PageKind::Table, "PushButton2", "PushButton2"},
        {PageKind::Output, "Text1", nullptr},
        {PageKind::Output, "Text2", nullptr},
        {PageKind::Output, "PushButton4", "PushButton4"},
    };
    TestWizard t;
    for (const EnterCase& c : cases) {
        QWidget& page = t.wizard().EnsurePage(c.page);
        CountedPresses presses(page);
        QTest::keyClick(Named(page, c.control), Qt::Key_Return);
        QTest::keyClick(Named(page, c.control), Qt::Key_Enter, Qt::KeypadModifier);
        const QString name = QLatin1String(c.pressed);
        const QStringList expected = c.pressed ? QStringList{name, name} : QStringList();
        EXPECT_EQ(presses.pressed(), expected) << page.objectName().toStdString() << " " << c.control;
    }
}

TEST(PageKeys, ADoubleClickOnATablePressesNextWithThatTableSelected) {
    TestWizard t;
    QWidget& page = t.wizard().EnsurePage(PageKind::Table);
    auto* list = Named<QListWidget>(page, "List1");
    list->addItems({QStringLiteral("actor"), QStringLiteral("city")});
    list->setCurrentRow(0);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    CountedPresses presses(page);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
    EXPECT_EQ(presses.pressed(), QStringList{QStringLiteral("PushButton3")});
    EXPECT_EQ(list->currentRow(), 1);
}

TEST(PageKeys, TheFocusIsDrawnFromTheMomentAPageOpens) {
    TestWizard t;
    for (const PageKind kind : wizard::Wizard::pageOrder()) {
        QWidget& page = t.wizard().EnsurePage(kind);
        page.show();
        page.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&page));
        ASSERT_NE(page.focusWidget(), nullptr) << page.objectName().toStdString();
        QStyleOption drawn;
        drawn.initFrom(page.focusWidget());
        EXPECT_TRUE(drawn.state & QStyle::State_KeyboardFocusChange) << page.objectName().toStdString();
        page.hide();
    }
}
