#include <QFontInfo>
#include <QHeaderView>
#include <QTableView>

#include <gtest/gtest.h>

#include "look/look.h"
#include "page_probe.h"
#include "pages/fields/form3.h"
#include "pages/table/form2.h"
#include "support/named_control.h"
#include "support/test_wizard.h"

using testing_support::Named;

using look_probe::Control;
using testing_support::TestWizard;

namespace {

void ExpectFont(QWidget* widget, qreal points, bool bold, const std::string& what) {
    const QFont& font = widget->font();
    EXPECT_EQ(font.family(), QStringLiteral("Arial")) << what;
    EXPECT_DOUBLE_EQ(font.pointSizeF(), points) << what;
    EXPECT_EQ(font.bold(), bold) << what;
    EXPECT_FALSE(font.italic() || font.underline() || font.strikeOut()) << what;
}

TEST(Dressing, ButtonsAreLargerBoldAndAllOtherTextNinePointBold) {
    TestWizard t;
    t.Start();
    const std::vector<std::pair<const char*, std::vector<const char*>>> buttons{
        {"Form1", {"PushButton2", "PushButton3", "PushButton5"}},
        {"Form2", {"PushButton2", "PushButton3"}},
        {"Form3", {"PushButton5", "PushButton8", "PushButton3"}},
        {"Form4", {"PushButton3", "PushButton4"}},
    };
    const std::vector<std::pair<const char*, std::vector<const char*>>> texts{
        {"Form1", {"Frame1", "Label9", "Text1", "Text3"}},
        {"Form2", {"Frame1", "List1"}},
        {"Form3", {"Label1", "List2", "DataGrid1"}},
        {"Form4", {"Frame2", "Text1", "Check6"}},
    };
    std::vector<QWidget*> pages = look_probe::AllPages(t.wizard());
    ASSERT_EQ(pages.size(), buttons.size()) << "every page of the page table has its fonts checked here";
    for (std::size_t i = 0; i < pages.size(); ++i) {
        QWidget* page = pages[i];
        const std::string name = page->objectName().toStdString();
        // The login page's own default font is regular; the others' bold.
        ExpectFont(page, 9, name != "Form1", name);
        for (const char* button : buttons[i].second)
            ExpectFont(Control(page, button), 11.25, true, name + "." + button);
        for (const char* text : texts[i].second) ExpectFont(Control(page, text), 9, true, name + "." + text);
    }
    QTableView* grid = Named<QTableView>(t.wizard().EnsurePage<pages::Form3>(), "DataGrid1");
    ExpectFont(grid->horizontalHeader(), 9, true, "the grid's headings");
}

TEST(Dressing, ArialIsFoundThroughFontconfig) {
    QWidget page;
    page.setObjectName(QStringLiteral("Form2"));
    look::DressPage(&page, pages::Form2::Look());
    const QString family = QFontInfo(page.font()).family();
    EXPECT_TRUE(family == QStringLiteral("Arial") || family == QStringLiteral("Liberation Sans"))
        << family.toStdString() << " stands in for Arial; install fonts-liberation";
}

TEST(Dressing, EveryPageHasItsFixedClientSizeTitleAndIcon) {
    TestWizard t;
    t.Start();
    const std::vector<QSize> sizes{{536, 246}, {392, 176}, {392, 339}, {392, 254}};
    std::vector<QWidget*> pages = look_probe::AllPages(t.wizard());
    ASSERT_EQ(pages.size(), sizes.size()) << "every page of the page table has its size checked here";
    for (std::size_t i = 0; i < pages.size(); ++i) {
        QWidget* page = pages[i];
        const std::string name = page->objectName().toStdString();
        EXPECT_EQ(page->size(), sizes[i]) << name;
        EXPECT_EQ(page->minimumSize(), sizes[i]) << name;
        EXPECT_EQ(page->maximumSize(), sizes[i]) << name;
        EXPECT_EQ(page->windowTitle(), QStringLiteral("Tablewright")) << name;
        const QList<QSize> iconSizes = page->windowIcon().availableSizes();
        for (const int side : {32, 48, 128, 256})
            EXPECT_TRUE(iconSizes.contains(QSize(side, side))) << name << " lacks the " << side << " px icon";
    }
    EXPECT_TRUE(t.messages().messages.empty());
}

}  // namespace
