#include <QApplication>
#include <QRect>
#include <QScreen>

#include <gtest/gtest.h>

#include "look/page_placement.h"
#include "pages/login/form1.h"
#include "pages/table/form2.h"
#include "support/test_wizard.h"
#include "support/wait_until.h"

namespace {

struct Placement {
    const char* what;
    QRect replaced;
    QSize frame;
    QRect available;
    QPoint topLeft;
};

}  // namespace

TEST(PagePlacement, CentresOnThePageItReplacesAndKeepsTheWholeFrameOnItsScreen) {
    const QRect screen(0, 0, 1280, 1024);
    const QRect belowPanel(0, 30, 1280, 994);
    const QRect rightScreen(1280, 0, 1920, 1080);
    const std::vector<Placement> placements{
        {"fits: centred", {400, 400, 394, 198}, {394, 361}, screen, {400, 318}},
        {"replaced at the top: the taller page moves down", {300, 0, 394, 198}, {394, 361}, screen, {300, 0}},
        {"below a panel at the top", {300, 30, 394, 198}, {394, 361}, belowPanel, {300, 30}},
        {"at the bottom", {300, 826, 394, 198}, {394, 361}, screen, {300, 663}},
        {"past the left edge", {-100, 400, 200, 198}, {394, 361}, screen, {0, 318}},
        {"past the right edge", {1180, 400, 200, 198}, {394, 361}, screen, {886, 318}},
        {"on the right-hand screen, at its top left", {1280, 0, 200, 100}, {394, 361}, rightScreen, {1280, 0}},
        {"larger than the area: its top left corner stays in", {0, 0, 100, 100}, {1400, 1100}, screen, {0, 0}},
    };
    for (const Placement& p : placements)
        EXPECT_EQ(look::PlacedFrameTopLeft(p.replaced, p.frame, p.available), p.topLeft) << p.what;
    EXPECT_EQ(look::FrameMargins(QRect(10, 20, 400, 300), QRect(14, 45, 392, 271)), QMargins(4, 25, 4, 4));
}

// A page that replaces another is centred on it once the window manager has
// placed it; a page shown a moment before, not placed yet, says nothing of
// where it will be, and the new page goes to the middle of the screen.
TEST(PagePlacement, CentresOnTheReplacedPageOnlyOnceThatIsPlaced) {
    for (const bool placed : {true, false}) {
        SCOPED_TRACE(placed ? "placed" : "not placed yet");
        testing_support::TestWizard t;
        t.Start();
        pages::Form1& login = t.wizard().EnsurePage<pages::Form1>();
        login.hide();
        login.move(40, 30);
        login.show();
        if (placed) {
            ASSERT_TRUE(testing_support::WaitUntil([&] { return look::IsPlaced(&login); }));
        }
        pages::Form2& tables = t.wizard().EnsurePage<pages::Form2>();
        tables.show();
        const QPoint centre = placed ? login.geometry().center() : login.screen()->availableGeometry().center();
        EXPECT_LE((tables.geometry().center() - centre).manhattanLength(), 2)
            << tables.geometry().center().x() << "," << tables.geometry().center().y();
        tables.hide();
    }
}
