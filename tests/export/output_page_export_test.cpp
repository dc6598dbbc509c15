#include <QCheckBox>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyleHints>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "export/export_outcome.h"
#include "export_fixture.h"
#include "look/page_pointer.h"
#include "pages/login/form1.h"
#include "pages/output/form4.h"
#include "support/named_control.h"
#include "support/test_wizard.h"
#include "support/wait_until.h"
#include "wizard/wizard.h"

using testing_support::Named;

using export_testing::FolderEntries;
using export_testing::ReadFile;
using export_testing::WriteFile;
using testing_support::ScratchDatabase;
using testing_support::TestWizard;

namespace {

// A wizard signed in to the scratch database with a table and fields chosen,
// standing on the output page.
pages::Form4& OutputPageFor(TestWizard& t, const db::LoginValues& login, const QString& table,
                            const QString& fieldListText, const QString& outputPath) {
    testing_support::FillLogin(t.wizard().EnsurePage<pages::Form1>(), login);
    t.wizard().state().tableName = table;
    t.wizard().state().fieldListText = fieldListText;
    pages::Form4& page = t.wizard().EnsurePage<pages::Form4>();
    Named<QLineEdit>(page, "Text1")->setText(outputPath);
    page.show();
    return page;
}

// After a window closed during an export: the program was asked to end, the
// earlier file "kept.txt" is as it was, nothing else is left in its folder,
// and no message was shown.
void ExpectEndedWithTheOldFileKept(TestWizard& t, const QString& folder, const QString& path) {
    EXPECT_EQ(t.endProcessCalls(), 1);
    EXPECT_EQ(ReadFile(path), "kept\r\n");
    EXPECT_EQ(FolderEntries(folder), QStringList{QStringLiteral("kept.txt")});
    EXPECT_TRUE(t.messages().messages.empty());
}

// "Exit" takes no press until a double-click's second press would have come.
void PressExitAfterADoubleClick(pages::Form4& page) {
    const int interval = QGuiApplication::styleHints()->mouseDoubleClickInterval();
    QElapsedTimer waited;
    waited.start();
    ASSERT_TRUE(testing_support::WaitUntil([&] { return waited.hasExpired(interval); }, interval + 1000));
    Named<QPushButton>(page, "PushButton4")->click();
}

void PressFinishAndWait(pages::Form4& page) {
    QSignalSpy finished(&page, &pages::Form4::exportFinished);
    Named<QPushButton>(page, "PushButton4")->click();
    ASSERT_TRUE(finished.wait(120000));
}

// Whether the export's SELECT of `big` has reached the server and waits
// there, as the session that holds the table locked sees it.
bool QueryWaitsBehindTheLock(db::Connection& holder, const ScratchDatabase& db) {
    const QString waiting = QStringLiteral(
                                "SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE DB = '%1' "
                                "AND INFO LIKE 'SELECT % FROM `big`'")
                                .arg(db.name());
    return testing_support::WaitUntil([&] { return holder.Query(waiting).value(0, 0).text() == QLatin1String("1"); });
}

}  // namespace

TEST(OutputPageExport, FinishWritesTheSameBytesAsTheCommandAndTurnsIntoExit) {
    TW_REQUIRE_SERVER();
    ScratchDatabase db;
    export_testing::CreateBigTable(db, 30000);
    db.Run(
        {QStringLiteral("ALTER TABLE big ADD COLUMN price DECIMAL(8,2), ADD COLUMN day DATE, ADD COLUMN note TEXT"),
         QStringLiteral("UPDATE big SET price = id / 7, day = '2024-02-29', note = IF(id % 3 = 0, NULL, 'ö,\"q\"')")});
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/wizard.txt");
    TestWizard t;
    pages::Form4& page =
        OutputPageFor(t, db.login(), QStringLiteral("big"), QStringLiteral("`note`, `id`, `price`, `day`"), path);
    Named<QLineEdit>(page, "Text2")->setText(QStringLiteral(" | "));

    QSignalSpy finished(&page, &pages::Form4::exportFinished);
    Named<QPushButton>(page, "PushButton4")->click();
    // While it runs the page waits: no second start, no way back.
    EXPECT_TRUE(page.exportRunning());
    EXPECT_FALSE(Named<QPushButton>(page, "PushButton4")->isEnabled());
    EXPECT_FALSE(Named<QPushButton>(page, "PushButton2")->isEnabled());
    EXPECT_EQ(look::GetPagePointer(&page), look::kHourglass);
    Named<QLineEdit>(page, "Text2")->setText(QStringLiteral("typed meanwhile"));  // read once at "Finish": no effect
    ASSERT_TRUE(finished.wait(120000));
    // The second press of a double-click on "Finish" lands on "Exit": ignored.
    Named<QPushButton>(page, "PushButton4")->click();
    EXPECT_EQ(t.endProcessCalls(), 0);

    EXPECT_TRUE(t.messages().messages.empty());
    EXPECT_EQ(Named<QPushButton>(page, "PushButton4")->text(), QStringLiteral("Exit"));
    EXPECT_TRUE(Named<QPushButton>(page, "PushButton4")->isEnabled());
    EXPECT_TRUE(Named<QPushButton>(page, "PushButton2")->isEnabled());
    EXPECT_EQ(look::GetPagePointer(&page), look::kDefaultPointer);
    EXPECT_EQ(Named<QProgressBar>(page, "ProgressBar1")->value(), Named<QProgressBar>(page, "ProgressBar1")->maximum());

    const export_testing::CommandResult command = export_testing::RunExportCommand(
        db.login(),
        {QStringLiteral("--table"), QStringLiteral("big"), QStringLiteral("--field"), QStringLiteral("note"),
         QStringLiteral("--field"), QStringLiteral("id"), QStringLiteral("--field"), QStringLiteral("price"),
         QStringLiteral("--field"), QStringLiteral("day"), QStringLiteral("--separator"), QStringLiteral(" | ")});
    ASSERT_EQ(command.exitCode, 0) << command.err.toStdString();
    const QByteArray written = ReadFile(path);
    EXPECT_TRUE(written.startsWith(QStringLiteral("note | id | price | day\r\nö,\"q\" | 1 | 0.14 | ").toUtf8()));
    EXPECT_EQ(written.count("\r\n"), 30000 + 2);
    EXPECT_TRUE(written == command.out);

    EXPECT_EQ(t.endProcessCalls(), 0);
    PressExitAfterADoubleClick(page);
    EXPECT_EQ(t.endProcessCalls(), 1);
    EXPECT_EQ(ReadFile(path), written);
}

TEST(OutputPageExport, AFailureShowsOneReportAndLeavesFinish) {
    TW_REQUIRE_SERVER();
    ScratchDatabase db;
    db.Run(QStringLiteral("CREATE TABLE t (a INT)"));
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/kept.txt");
    WriteFile(path, "kept\r\n");
    TestWizard t;
    pages::Form4& page = OutputPageFor(t, db.login(), QStringLiteral("gone"), QStringLiteral("`a`"), path);
    PressFinishAndWait(page);

    ASSERT_EQ(t.messages().messages.size(), 1u);
    const testing_support::RecordedMessage& report = t.messages().messages[0];
    EXPECT_EQ(report.title, QStringLiteral("Application Error"));
    EXPECT_EQ(report.icon, app::MessageIcon::Warning);
    EXPECT_TRUE(report.text.contains(QStringLiteral("doesn't exist\r\nin Rowspill2021/08/31.") +
                                     testing_support::AtLine("Form4.PushButton4_Click", exporter::kQueryStep)))
        << report.text.toStdString();
    EXPECT_EQ(Named<QPushButton>(page, "PushButton4")->text(), QStringLiteral("Finish"));
    EXPECT_TRUE(Named<QPushButton>(page, "PushButton4")->isEnabled());
    EXPECT_TRUE(Named<QPushButton>(page, "PushButton2")->isEnabled());
    EXPECT_EQ(look::GetPagePointer(&page), look::kDefaultPointer);
    EXPECT_EQ(ReadFile(path), "kept\r\n");

    // The user mends the choice and presses "Finish" again.
    t.wizard().state().tableName = QStringLiteral("t");
    Named<QLineEdit>(page, "Text1")->setText(dir.path() + QStringLiteral("/missing/out.txt"));
    PressFinishAndWait(page);
    ASSERT_EQ(t.messages().messages.size(), 2u);
    EXPECT_TRUE(t.messages().messages[1].text.contains(
        testing_support::AtLine("Form4.PushButton4_Click", exporter::kCreateFileStep)));
    Named<QLineEdit>(page, "Text1")->setText(QStringLiteral("/dev/full"));
    PressFinishAndWait(page);
    ASSERT_EQ(t.messages().messages.size(), 3u);
    EXPECT_TRUE(t.messages().messages[2].text.contains(QStringLiteral("No space left on device\r\n")));
    EXPECT_TRUE(t.messages().messages[2].text.contains(
        testing_support::AtLine("Form4.PushButton4_Click", exporter::kWriteStep)));
    EXPECT_EQ(Named<QPushButton>(page, "PushButton4")->text(), QStringLiteral("Finish"));
    EXPECT_EQ(t.endProcessCalls(), 0);

    Named<QLineEdit>(page, "Text1")->setText(path);
    PressFinishAndWait(page);
    EXPECT_EQ(t.messages().messages.size(), 3u);
    EXPECT_EQ(ReadFile(path), "a\r\n\r\n");
    EXPECT_EQ(Named<QPushButton>(page, "PushButton4")->text(), QStringLiteral("Exit"));
}

TEST(OutputPageExport, ClosingTheWindowDuringAnExportStopsItAndEndsTheProgram) {
    TW_REQUIRE_SERVER();
    ScratchDatabase db;
    export_testing::CreateBigTable(db, 100000);
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/kept.txt");
    WriteFile(path, "kept\r\n");
    TestWizard t;
    pages::Form4& page = OutputPageFor(t, db.login(), QStringLiteral("big"), QStringLiteral("`id`, `filler`"), path);
    Named<QPushButton>(page, "PushButton4")->click();
    page.close();
    ExpectEndedWithTheOldFileKept(t, dir.path(), path);
}

TEST(OutputPageExport, ClosingTheWindowWhileTheServerHoldsTheExportBackStopsItAtOnce) {
    TW_REQUIRE_SERVER();
    ScratchDatabase db;
    export_testing::CreateBigTable(db, 10);
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/kept.txt");
    WriteFile(path, "kept\r\n");
    // Another session holds the table, so the export's query waits for it.
    db::Connection holder = db.Connect();
    holder.Execute(QStringLiteral("LOCK TABLES big WRITE"));

    TestWizard t;
    pages::Form4& page = OutputPageFor(t, db.login(), QStringLiteral("big"), QStringLiteral("`id`"), path);
    Named<QPushButton>(page, "PushButton4")->click();
    // The export's query waits behind the lock.
    ASSERT_TRUE(QueryWaitsBehindTheLock(holder, db));
    ASSERT_TRUE(page.exportRunning());
    page.close();  // returns only once the export has stopped
    EXPECT_FALSE(page.isVisible());
    ExpectEndedWithTheOldFileKept(t, dir.path(), path);
    holder.Execute(QStringLiteral("UNLOCK TABLES"));
}

// A table another session holds locked: the bar is busy and a note says
// what the export waits for until the rows come; a double-click's second
// press on the "Exit" that then appears is no press of "Exit".
TEST(OutputPageExport, WhileALockedTableHoldsTheRowsBackTheBarSaysItWaits) {
    TW_REQUIRE_SERVER();
    ScratchDatabase db;
    export_testing::CreateBigTable(db, 10);
    db::Connection holder = db.Connect();
    holder.Execute(QStringLiteral("LOCK TABLES big WRITE"));
    QTemporaryDir dir;
    TestWizard t;
    pages::Form4& page = OutputPageFor(t, db.login(), QStringLiteral("big"), QStringLiteral("`id`"),
                                       dir.path() + QStringLiteral("/out.txt"));
    auto* bar = Named<QProgressBar>(page, "ProgressBar1");
    auto* note = Named<QLabel>(page, "Label1");
    QSignalSpy finished(&page, &pages::Form4::exportFinished);
    Named<QPushButton>(page, "PushButton4")->click();
    ASSERT_TRUE(QueryWaitsBehindTheLock(holder, db));
    QCoreApplication::processEvents();
    EXPECT_EQ(bar->maximum(), 0);
    EXPECT_TRUE(note->isVisible());

    holder.Execute(QStringLiteral("UNLOCK TABLES"));
    ASSERT_TRUE(finished.wait(60000));
    QElapsedTimer sinceExit;
    sinceExit.start();
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_FALSE(note->isVisible());
    Named<QPushButton>(page, "PushButton4")->click();
    ASSERT_LT(sinceExit.elapsed(), QGuiApplication::styleHints()->mouseDoubleClickInterval());
    EXPECT_EQ(t.endProcessCalls(), 0);
    PressExitAfterADoubleClick(page);
    EXPECT_EQ(t.endProcessCalls(), 1);
}

TEST(OutputPageExport, AnEmptyPathIsRefusedBeforeConnectingAndShortPathsStartAtHomeOrTheDesktop) {
    TW_REQUIRE_SERVER();
    ScratchDatabase db;
    db.Run(QStringLiteral("CREATE TABLE t (a INT)"));
    db::LoginValues unreachable = db.login();
    unreachable.port = QStringLiteral("1");  // connecting would fail first, at another step
    TestWizard t;
    pages::Form4& page = OutputPageFor(t, unreachable, QStringLiteral("t"), QStringLiteral("`a`"), QString());
    PressFinishAndWait(page);
    ASSERT_EQ(t.messages().messages.size(), 1u);
    EXPECT_TRUE(t.messages().messages[0].text.startsWith(exporter::NoOutputFileText() + QStringLiteral("\r\n")));
    EXPECT_TRUE(t.messages().messages[0].text.contains(
        testing_support::AtLine("Form4.PushButton4_Click", exporter::kCreateFileStep)));

    testing_support::FillLogin(t.wizard().EnsurePage<pages::Form1>(), db.login());
    const QString home = qEnvironmentVariable("HOME");
    Named<QLineEdit>(page, "Text1")->setText(QStringLiteral("relative.txt"));
    PressFinishAndWait(page);
    EXPECT_EQ(ReadFile(home + QStringLiteral("/Desktop/relative.txt")), "a\r\n\r\n");
    Named<QPushButton>(page, "PushButton4")->setText(QStringLiteral("Finish"));
    Named<QLineEdit>(page, "Text1")->setText(QStringLiteral("~/at-home.txt"));
    PressFinishAndWait(page);
    EXPECT_EQ(ReadFile(home + QStringLiteral("/at-home.txt")), "a\r\n\r\n");
    EXPECT_EQ(t.messages().messages.size(), 1u);
}

TEST(OutputPageExport, AFileWithValuesThatCannotBeSplitBackIsToldInOneBoxAndACleanOneInNone) {
    TW_REQUIRE_SERVER();
    ScratchDatabase db;
    db.Run({QStringLiteral("CREATE TABLE t (s VARCHAR(20))"), QStringLiteral("INSERT INTO t VALUES ('a,b'), ('c')")});
    QTemporaryDir dir;
    TestWizard t;
    pages::Form4& page =
        OutputPageFor(t, db.login(), QStringLiteral("t"), QStringLiteral("`s`"), dir.path() + QStringLiteral("/a.txt"));
    PressFinishAndWait(page);
    ASSERT_EQ(t.messages().messages.size(), 1u);
    EXPECT_EQ(t.messages().messages[0].text,
              QStringLiteral("1 value contains the separator \",\"; that line cannot be split back into fields."));
    EXPECT_EQ(t.messages().messages[0].icon, app::MessageIcon::None);
    EXPECT_EQ(Named<QPushButton>(page, "PushButton4")->text(), QStringLiteral("Exit"));

    TestWizard clean;
    pages::Form4& cleanPage = OutputPageFor(clean, db.login(), QStringLiteral("t"), QStringLiteral("`s`"),
                                            dir.path() + QStringLiteral("/b.txt"));
    Named<QLineEdit>(cleanPage, "Text2")->setText(QStringLiteral(";"));
    PressFinishAndWait(cleanPage);
    EXPECT_TRUE(clean.messages().messages.empty());

    // A tab is named in the box's own sign.
    db.Run({QStringLiteral("INSERT INTO t VALUES ('d\te')")});
    TestWizard tab;
    pages::Form4& tabPage = OutputPageFor(tab, db.login(), QStringLiteral("t"), QStringLiteral("`s`"),
                                          dir.path() + QStringLiteral("/c.txt"));
    Named<QLineEdit>(tabPage, "Text2")->setText(QStringLiteral("\t"));
    PressFinishAndWait(tabPage);
    ASSERT_EQ(tab.messages().messages.size(), 1u);
    EXPECT_EQ(tab.messages().messages[0].text,
              QStringLiteral("1 value contains the separator \"\u2192\"; that line cannot be split back into fields."));
}
