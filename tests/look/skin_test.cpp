#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include "page_probe.h"
#include "pages/login/form1.h"
#include "pages/page_steps.h"
#include "pages/table/form2.h"
#include "support/named_control.h"
#include "support/test_wizard.h"

using testing_support::Named;

using look_probe::Control;
using look_probe::WriteFile;
using testing_support::TestWizard;

namespace {

const char* const kLoginFaces[] = {"Frame1", "Label1", "Label2", "Label3", "Label4", "Label9"};

QColor Face() { return QApplication::palette().color(QPalette::Button); }

// The background colour given to a widget of its own (not inherited).
QColor Background(QWidget* widget) {
    EXPECT_TRUE(widget->testAttribute(Qt::WA_SetPalette)) << widget->objectName().toStdString();
    return widget->palette().color(QPalette::Window);
}

// Each test starts and ends without an application style sheet.
class Skin : public ::testing::Test {
protected:
    void TearDown() override { qApp->setStyleSheet(QString()); }

    QString SkinPath() const { return t_.folder() + QStringLiteral("/program/x/o.cjs"); }

    void ExpectLoginPageWhite() {
        QWidget& login = t_.wizard().EnsurePage<pages::Form1>();
        EXPECT_EQ(Background(&login), QColor(Qt::white));
        for (const char* name : kLoginFaces) EXPECT_EQ(Background(Control(&login, name)), QColor(Qt::white)) << name;
    }

    TestWizard t_;
};

TEST_F(Skin, WithoutTheFileNothingIsSkinnedAndTheLoginPageStaysWhite) {
    t_.Start();
    EXPECT_TRUE(qApp->styleSheet().isEmpty());
    ExpectLoginPageWhite();
    EXPECT_TRUE(t_.messages().messages.empty());
}

TEST_F(Skin, AFolderOrABrokenLinkOfThatNameDoesNotCount) {
    QDir().mkpath(SkinPath());
    t_.Start();
    EXPECT_TRUE(qApp->styleSheet().isEmpty());
    ExpectLoginPageWhite();

    TestWizard linked;
    QDir().mkpath(linked.folder() + QStringLiteral("/program/x"));
    ASSERT_TRUE(QFile::link(linked.folder() + QStringLiteral("/nowhere.cjs"),
                            linked.folder() + QStringLiteral("/program/x/o.cjs")));
    linked.Start();
    EXPECT_TRUE(qApp->styleSheet().isEmpty());
    EXPECT_TRUE(linked.messages().messages.empty());
}

TEST_F(Skin, ThePresentFileSkinsTheApplicationAndGivesTheLoginPageTheFaceColour) {
    const QByteArray sheet("QListWidget { color: navy; }");
    WriteFile(SkinPath(), sheet);
    t_.Start();

    EXPECT_EQ(qApp->styleSheet(), QString::fromUtf8(sheet));
    EXPECT_TRUE(t_.messages().messages.empty());
    QWidget& login = t_.wizard().EnsurePage<pages::Form1>();
    EXPECT_EQ(Background(&login), Face());
    for (const char* name : kLoginFaces) EXPECT_EQ(Background(Control(&login, name)), Face()) << name;
    for (const char* name : {"Text1", "Text3", "Text5", "PushButton3", "PushButton5"})
        EXPECT_FALSE(Control(&login, name)->testAttribute(Qt::WA_SetPalette)) << name;
    // The sheet reaches the later pages too.
    QWidget* tables = Control(&t_.wizard().EnsurePage<pages::Form2>(), "List1");
    tables->ensurePolished();
    EXPECT_EQ(tables->palette().color(QPalette::Text), QColor(0, 0, 128));
}

TEST_F(Skin, TheSampleSkinIsAStyleSheetQtReads) {
    QFile sample(QStringLiteral(TABLEWRIGHT_SAMPLE_SKIN));
    ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
    const QByteArray sheet = sample.readAll();
    WriteFile(SkinPath(), sheet);
    t_.Start();
    EXPECT_EQ(qApp->styleSheet(), QString::fromUtf8(sheet));
    EXPECT_TRUE(t_.messages().messages.empty());
}

TEST_F(Skin, AFileThatIsNoStyleSheetIsReportedAtLine100AndStartUpGoesOn) {
    for (const QByteArray& bad :
         {QByteArray("QPushButton { color: red; } }}} {{{ ]["), QByteArray("\xff\xfe\x00\x01 not text", 14)}) {
        TestWizard broken;
        WriteFile(broken.folder() + QStringLiteral("/program/x/o.cjs"), bad);
        broken.Start();

        ASSERT_EQ(broken.messages().messages.size(), 1u) << bad.toStdString();
        const QString& text = broken.messages().messages.front().text;
        EXPECT_TRUE(text.contains(QStringLiteral("o.cjs"))) << text.toStdString();
        EXPECT_TRUE(text.contains(testing_support::AtLine("Form1.Form_Load", pages::login_steps::kLoadSkin)))
            << text.toStdString();
        EXPECT_TRUE(qApp->styleSheet().isEmpty());
        // The colour set before the failing step stays; the later steps ran.
        EXPECT_EQ(Background(&broken.wizard().EnsurePage<pages::Form1>()), Face());
        EXPECT_EQ(broken.wizard().EnsurePage<pages::Form1>().windowTitle(), QStringLiteral("Tablewright"));
        EXPECT_EQ(Named<QLineEdit>(broken.wizard().EnsurePage<pages::Form1>(), "Text1")->text(),
                  QStringLiteral("localhost"));
    }
}

}  // namespace
