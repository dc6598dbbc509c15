#include <QFile>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include "look/cursor_file.h"
#include "look/page_pointer.h"
#include "page_probe.h"
#include "pages/fields/form3.h"
#include "pages/login/form1.h"
#include "pages/page_steps.h"
#include "support/named_control.h"
#include "support/test_wizard.h"

using testing_support::Named;

using look_probe::WriteFile;
using testing_support::TestWizard;

namespace {

QByteArray ShippedCursor() {
    QFile file(QStringLiteral(TABLEWRIGHT_HAND_CURSOR));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

QString CursorPath(const TestWizard& t) { return t.folder() + QStringLiteral("/program/HAND-M.CUR"); }

TEST(HandCursor, TheShippedCursorIsAHandWithItsHotspotAtTheFingertip) {
    const QCursor hand = look::ReadCursorFile(QStringLiteral(TABLEWRIGHT_HAND_CURSOR));
    EXPECT_EQ(hand.shape(), Qt::BitmapCursor);
    const QImage image = hand.pixmap().toImage();
    ASSERT_EQ(image.size(), QSize(32, 32));
    EXPECT_EQ(hand.hotSpot(), QPoint(7, 1));
    // The fingertip is drawn; the corner beside it is clear.
    EXPECT_EQ(qAlpha(image.pixel(hand.hotSpot())), 255);
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
}

TEST(HandCursor, TheBuildPutsTheCursorBesideTheProgram) {
    QFile built(QStringLiteral(TABLEWRIGHT_BUILT_HAND_CURSOR));
    ASSERT_TRUE(built.open(QIODevice::ReadOnly)) << "no HAND-M.CUR beside the built program";
    EXPECT_EQ(built.readAll(), ShippedCursor());
}

TEST(HandCursor, EveryPageLoadsTheCursorFileBesideTheProgram) {
    TestWizard t;
    WriteFile(CursorPath(t), ShippedCursor());
    t.Start();
    for (QWidget* page : look_probe::AllPages(t.wizard())) {
        EXPECT_TRUE(look::HasCustomPointerImage(page)) << page->objectName().toStdString();
        look::SetPagePointer(page, look::kCustomPointer);
        EXPECT_EQ(page->findChild<QPushButton*>()->cursor().hotSpot(), QPoint(7, 1));
    }
    EXPECT_TRUE(t.messages().messages.empty());
}

TEST(HandCursor, WithoutTheFileTheCustomPointerIsTheArrow) {
    TestWizard t;
    t.Start();
    for (QWidget* page : look_probe::AllPages(t.wizard())) {
        EXPECT_FALSE(look::HasCustomPointerImage(page));
        look::SetPagePointer(page, look::kCustomPointer);
        EXPECT_EQ(page->cursor().shape(), Qt::ArrowCursor);
    }
    EXPECT_TRUE(t.messages().messages.empty());
}

TEST(HandCursor, ACorruptFileIsReportedWithThePagesLineAndLeavesNoImage) {
    const QByteArray cursor = ShippedCursor();
    const std::vector<QByteArray> corrupt{
        QByteArray("not a cursor at all, just words"),
        cursor.left(40),                      // cut off inside the image
        QByteArray(6, '\0') + cursor.mid(6),  // a header of zeros
    };
    for (const QByteArray& bytes : corrupt) {
        TestWizard t;
        WriteFile(CursorPath(t), bytes);
        t.Start();
        t.wizard().EnsurePage<pages::Form3>();
        const auto& messages = t.messages().messages;
        ASSERT_EQ(messages.size(), 2u);
        EXPECT_TRUE(
            messages[0].text.contains(testing_support::AtLine("Form1.Form_Load", pages::login_steps::kLoadHandCursor)))
            << messages[0].text.toStdString();
        EXPECT_TRUE(messages[0].text.contains(QStringLiteral("HAND-M.CUR"))) << messages[0].text.toStdString();
        EXPECT_TRUE(
            messages[1].text.contains(testing_support::AtLine("Form3.Form_Load", pages::dress_steps::kLoadHandCursor)))
            << messages[1].text.toStdString();
        EXPECT_FALSE(look::HasCustomPointerImage(&t.wizard().EnsurePage<pages::Form1>()));
        EXPECT_FALSE(look::HasCustomPointerImage(&t.wizard().EnsurePage<pages::Form3>()));
        // The load went on after the report.
        EXPECT_EQ(Named<QLineEdit>(t.wizard().EnsurePage<pages::Form1>(), "Text5")->text(), QStringLiteral("3306"));
        EXPECT_EQ(t.wizard().EnsurePage<pages::Form3>().windowTitle(), QStringLiteral("Tablewright"));
    }
}

}  // namespace
