#include <QApplication>
#include <QFile>
#include <QFocusFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "look/page_pointer.h"
#include "page_probe.h"
#include "support/named_control.h"
#include "support/test_wizard.h"

using testing_support::Named;
using testing_support::TestWizard;

namespace {

// The pointer Qt shows over a control: the one of the control or of the
// nearest control around it that has one set, and the plain arrow when that
// one is disabled.
Qt::CursorShape ShownPointer(const QWidget* control) {
    const QWidget* owner = control;
    while (!owner->isWindow() && !owner->testAttribute(Qt::WA_SetCursor)) owner = owner->parentWidget();
    return owner->isEnabled() ? owner->cursor().shape() : Qt::ArrowCursor;
}

}  // namespace

TEST(WaitPointer, TheHourglassShowsOverDisabledControlsTooAndTheirOwnPointersComeBack) {
    TestWizard t;
    for (QWidget* page : look_probe::AllPages(t.wizard())) {
        QList<QWidget*> controls;
        for (QPushButton* button : page->findChildren<QPushButton*>()) controls << button;
        for (QLineEdit* box : page->findChildren<QLineEdit*>()) controls << box;
        QList<Qt::CursorShape> own;
        for (QWidget* control : controls) own << ShownPointer(control);
        // Half are disabled before the wait, the others as it starts (the
        // pressed button); then the first half come back during it.
        for (qsizetype i = 0; i < controls.size(); i += 2) controls[i]->setEnabled(false);
        look::SetPagePointer(page, look::kHourglass);
        for (qsizetype i = 1; i < controls.size(); i += 2) controls[i]->setEnabled(false);
        for (QWidget* control : controls)
            EXPECT_EQ(ShownPointer(control), Qt::WaitCursor) << control->objectName().toStdString();
        for (qsizetype i = 0; i < controls.size(); i += 2) controls[i]->setEnabled(true);
        for (QWidget* control : controls)
            EXPECT_EQ(ShownPointer(control), Qt::WaitCursor) << control->objectName().toStdString();
        look::SetPagePointer(page, look::kDefaultPointer);
        for (QWidget* control : controls) control->setEnabled(true);
        for (qsizetype i = 0; i < controls.size(); ++i)
            EXPECT_EQ(ShownPointer(controls[i]), own[i]) << controls[i]->objectName().toStdString();
    }
}

TEST(ListFocus, AFocusedListOrGridHasARingAroundItAlsoUnderTheSampleSkin) {
    QFile sample(QStringLiteral(TABLEWRIGHT_SAMPLE_SKIN));
    ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
    const QString sampleSkin = QString::fromUtf8(sample.readAll());
    const std::vector<std::pair<const char*, const char*>> views{
        {"Form2", "List1"}, {"Form3", "List1"}, {"Form3", "List2"}, {"Form3", "DataGrid1"}};
    for (const QString& skin : {QString(), sampleSkin}) {
        qApp->setStyleSheet(skin);
        TestWizard t;
        for (const auto& [pageName, viewName] : views) {
            QWidget* page = look_probe::PageNamed(t.wizard(), pageName);
            page->show();
            page->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(page));
            QWidget* view = Named(page, viewName);
            view->setFocus();
            auto* ring = Named<QFocusFrame>(page, "ListFocusRing");
            EXPECT_TRUE(ring->isVisible()) << pageName << "." << viewName;
            EXPECT_EQ(ring->widget(), view) << pageName << "." << viewName;
            const QRect around(ring->parentWidget()->mapTo(page, ring->pos()), ring->size());
            const QRect inside(view->parentWidget()->mapTo(page, view->pos()), view->size());
            EXPECT_TRUE(around.contains(inside) && around != inside) << pageName << "." << viewName;
            Named(page, "PushButton2")->setFocus();
            EXPECT_FALSE(ring->isVisible()) << pageName << "." << viewName;
        }
    }
    qApp->setStyleSheet(QString());
}
