#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include <gtest/gtest.h>

#include "look/look.h"
#include "page_probe.h"
#include "pages/table/form2.h"
#include "support/test_wizard.h"

using look_probe::Control;
using testing_support::TestWizard;

namespace {

struct PageFaces {
    const char* page;
    std::vector<const char*> faced;  // take the face colour with the page
    std::vector<const char*> own;    // keep their own colours
};

TEST(FaceColour, TheLaterPagesShowItOnBackgroundFramesLabelsAndCheckBoxOnly) {
    const QColor face = QApplication::palette().color(QPalette::Button);
    ASSERT_NE(face, QColor(Qt::white));
    const std::vector<PageFaces> pages{
        {"Form2", {"Frame1"}, {"List1", "PushButton2", "PushButton3"}},
        {"Form3", {"Label1", "Label2"}, {"List1", "List2", "DataGrid1", "PushButton5", "PushButton3"}},
        {"Form4",
         {"Frame1", "Frame2", "Frame3", "Check6"},
         {"Text1", "Text2", "PushButton3", "PushButton4", "ProgressBar1"}},
    };
    TestWizard t;
    t.Start();
    for (const PageFaces& expected : pages) {
        QWidget* page = look_probe::PageNamed(t.wizard(), expected.page);
        ASSERT_NE(page, nullptr);
        EXPECT_TRUE(page->autoFillBackground());
        EXPECT_EQ(page->palette().color(QPalette::Window), face) << expected.page;
        for (const char* name : expected.faced) {
            QWidget* control = Control(page, name);
            EXPECT_TRUE(control->testAttribute(Qt::WA_SetPalette)) << expected.page << "." << name;
            // Frames fill their panel; labels and the check box show it.
            EXPECT_EQ(control->autoFillBackground(), qobject_cast<QGroupBox*>(control) != nullptr)
                << expected.page << "." << name;
            EXPECT_EQ(control->palette().color(QPalette::Window), face) << expected.page << "." << name;
        }
        for (const char* name : expected.own) {
            QWidget* control = Control(page, name);
            EXPECT_FALSE(control->autoFillBackground()) << expected.page << "." << name;
            EXPECT_FALSE(control->testAttribute(Qt::WA_SetPalette)) << expected.page << "." << name;
        }
    }
    EXPECT_TRUE(t.messages().messages.empty());
}

TEST(FaceColour, PagesAreWhiteAsLaidOutAndTakeTheColourOnlyWhenAsked) {
    QWidget page;
    page.setObjectName(QStringLiteral("Form2"));
    auto* frame = new QGroupBox(&page);
    auto* label = new QLabel(frame);
    auto* box = new QLineEdit(frame);
    look::DressPage(&page, pages::Form2::Look());
    for (QWidget* white : {&page, static_cast<QWidget*>(frame), static_cast<QWidget*>(label)})
        EXPECT_EQ(white->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_FALSE(box->autoFillBackground());

    look::ApplyFaceColour(&page);
    const QColor face = QApplication::palette().color(QPalette::Button);
    EXPECT_EQ(frame->palette().color(QPalette::Window), face);
    EXPECT_EQ(label->palette().color(QPalette::Window), face);
    EXPECT_FALSE(box->testAttribute(Qt::WA_SetPalette));
}

}  // namespace
