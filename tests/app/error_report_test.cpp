#include <stdexcept>

#include <gtest/gtest.h>

#include "app/error_report.h"
#include "support/test_wizard.h"

using testing_support::RecordingMessenger;

TEST(ErrorReport, TextIsLaidOutByteForByte) {
    const QString text =
        app::ErrorReportText(QStringLiteral("Can't connect to server"),
                             app::LocationText(QStringLiteral("Form4"), QStringLiteral("PushButton4_Click")), 118);
    EXPECT_EQ(text, QStringLiteral("Can't connect to server\r\n"
                                   "in Rowspill2021/08/31.Form4.PushButton4_Click at line 118\r\r"
                                   "Please email screenshot of this message to support@kestrafel.com"));
}

TEST(ErrorReport, FailingStepsAreReportedOneByOneAndTheHandlerReachesItsEnd) {
    RecordingMessenger messenger;
    app::ErrorTrap trap(messenger, app::LocationText(QStringLiteral("Form4"), QStringLiteral("Form_Load")));
    std::vector<int> ran;
    EXPECT_TRUE(trap.Step(100, [&] { ran.push_back(100); }));
    EXPECT_FALSE(trap.Step(110, [&] { throw std::runtime_error("first"); }));
    EXPECT_TRUE(trap.Step(112, [&] { ran.push_back(112); }));
    EXPECT_FALSE(trap.Step(114, [&] { throw std::runtime_error("second"); }));
    EXPECT_TRUE(trap.Step(116, [&] { ran.push_back(116); }));

    EXPECT_EQ(ran, (std::vector<int>{100, 112, 116}));
    ASSERT_EQ(messenger.messages.size(), 2u);
    EXPECT_EQ(messenger.messages[0].title, QStringLiteral("Application Error"));
    EXPECT_EQ(messenger.messages[0].icon, app::MessageIcon::Warning);
    EXPECT_TRUE(messenger.messages[0].text.startsWith(
        QStringLiteral("first\r\nin Rowspill2021/08/31.Form4.Form_Load at line 110\r\r")));
    EXPECT_TRUE(messenger.messages[1].text.startsWith(QStringLiteral("second\r\n")));
    EXPECT_TRUE(messenger.messages[1].text.contains(QStringLiteral("at line 114\r\r")));
    EXPECT_EQ(trap.failures(), 2);
}
