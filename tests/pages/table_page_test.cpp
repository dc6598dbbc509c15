#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

#include <gtest/gtest.h>

#include "db/table_queries.h"
#include "pages/page_steps.h"

#include "look/page_pointer.h"
#include "pages/fields/field_lists.h"
#include "pages/fields/form3.h"
#include "pages/fields/preview_model.h"
#include "pages/login/form1.h"
#include "pages/output/form4.h"
#include "pages/table/form2.h"
#include "support/named_control.h"
#include "support/test_server.h"
#include "support/test_wizard.h"
#include "wizard/wizard.h"

using testing_support::Named;

using testing_support::ScratchDatabase;
using testing_support::TestWizard;

namespace {

// A wizard signed in to a scratch database, on its table page.
struct SignedIn {
    ScratchDatabase scratch;
    TestWizard t;

    explicit SignedIn(const QStringList& setup) {
        scratch.Run(setup);
        t.Start();
        testing_support::FillLogin(t.wizard().EnsurePage<pages::Form1>(), scratch.login());
        t.wizard().EnsurePage<pages::Form1>().PushButton3_Click();
        t.Settle();
    }
    pages::Form2& tables() { return t.wizard().EnsurePage<pages::Form2>(); }
    pages::Form3& fields() { return t.wizard().EnsurePage<pages::Form3>(); }
    void Choose(const QString& table) {
        const auto found = Named<QListWidget>(tables(), "List1")->findItems(table, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << table.toStdString();
        Named<QListWidget>(tables(), "List1")->setCurrentItem(found.first());
        tables().PushButton3_Click();
        t.Settle();
    }
    QStringList available() { return pages::EntryTexts(Named<QListWidget>(fields(), "List1")); }
    QString header(int column) {
        return Named<QTableView>(fields(), "DataGrid1")->model()->headerData(column, Qt::Horizontal).toString();
    }
};

QString TwelveColumns() {
    QStringList columns;
    for (int i = 1; i <= 12; ++i) columns << QStringLiteral("c%1 INT").arg(13 - i);
    return QStringLiteral("CREATE TABLE wide (%1)").arg(columns.join(QStringLiteral(", ")));
}

// The process's resident memory in bytes ("VmRSS:"), or its peak ("VmHWM:")
// since ResetPeakMemory.
qint64 MemoryBytes(const char* key) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(static_cast<qsizetype>(qstrlen(key))).trimmed().split(' ').first().toLongLong() * 1024;
    return -1;
}

bool ResetPeakMemory() {
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    return refs.open(QIODevice::WriteOnly) && refs.write("5") == 1;
}

}  // namespace

TEST(TablePage, NextFillsTheFieldPageWithColumnsInTableOrder) {
    TW_REQUIRE_SERVER();
    SignedIn s({TwelveColumns(), QStringLiteral("INSERT INTO wide VALUES (1,2,3,4,5,6,7,8,9,10,11,NULL)")});
    s.Choose(QStringLiteral("wide"));
    EXPECT_EQ(s.t.wizard().state().tableName, QStringLiteral("wide"));
    EXPECT_TRUE(s.fields().isVisible());
    EXPECT_FALSE(s.tables().isVisible());
    ASSERT_EQ(Named<QListWidget>(s.fields(), "List1")->count(), 12);
    EXPECT_EQ(Named<QListWidget>(s.fields(), "List1")->item(0)->text(), QStringLiteral("c12"));
    EXPECT_EQ(Named<QListWidget>(s.fields(), "List1")->item(11)->text(), QStringLiteral("c1"));
    EXPECT_EQ(Named<QListWidget>(s.fields(), "List1")->currentRow(), 0);
    EXPECT_TRUE(Named<QPushButton>(s.fields(), "PushButton5")->isEnabled());
    EXPECT_TRUE(Named<QPushButton>(s.fields(), "PushButton6")->isEnabled());
    EXPECT_FALSE(Named<QPushButton>(s.fields(), "PushButton7")->isEnabled());
    EXPECT_FALSE(Named<QPushButton>(s.fields(), "PushButton8")->isEnabled());
    EXPECT_FALSE(Named<QPushButton>(s.fields(), "PushButton3")->isEnabled());
    QAbstractItemModel* grid = Named<QTableView>(s.fields(), "DataGrid1")->model();
    EXPECT_EQ(grid->rowCount(), 1);
    EXPECT_EQ(grid->columnCount(), 12);
    EXPECT_EQ(s.header(0), QStringLiteral("c12"));
    EXPECT_EQ(grid->index(0, 0).data().toString(), QStringLiteral("1"));
    EXPECT_EQ(grid->index(0, 11).data().toString(), QStringLiteral("NULL"));
    EXPECT_TRUE(grid->index(0, 11).data(Qt::ForegroundRole).isValid());  // greyed
    EXPECT_FALSE(grid->flags(grid->index(0, 0)) & Qt::ItemIsEditable);
    EXPECT_EQ(look::GetPagePointer(&s.tables()), look::kDefaultPointer);
    EXPECT_TRUE(s.t.messages().messages.empty());
}

TEST(TablePage, AnEmptyTableListsItsColumnsAndALargeOneShowsAtMost100Rows) {
    TW_REQUIRE_SERVER();
    SignedIn s({QStringLiteral("CREATE TABLE empty_one (id INT, label VARCHAR(5), data BLOB)"),
                QStringLiteral("CREATE TABLE thousand (n INT)"),
                QStringLiteral("INSERT INTO thousand SELECT seq FROM seq_1_to_1000"),
                QStringLiteral("INSERT INTO empty_one VALUES (1, '', X'00FF')"),
                QStringLiteral("DELETE FROM empty_one")});
    s.Choose(QStringLiteral("empty_one"));
    EXPECT_EQ(s.available(), (QStringList{QStringLiteral("id"), QStringLiteral("label"), QStringLiteral("data")}));
    EXPECT_EQ(Named<QTableView>(s.fields(), "DataGrid1")->model()->rowCount(), 0);
    EXPECT_EQ(s.header(2), QStringLiteral("data"));

    s.fields().PushButton2_Click();
    s.Choose(QStringLiteral("thousand"));
    EXPECT_EQ(Named<QTableView>(s.fields(), "DataGrid1")->model()->rowCount(), 100);
    EXPECT_EQ(s.available(), QStringList{QStringLiteral("n")});
}

TEST(TablePage, ComingBackLeavesTheChosenFieldsOutOfTheAvailableList) {
    TW_REQUIRE_SERVER();
    SignedIn s({QStringLiteral("CREATE TABLE one (id INT, name TEXT, price INT)"),
                QStringLiteral("CREATE TABLE two (price INT, qty INT, id INT)"),
                QStringLiteral("CREATE TABLE three (x INT)")});
    s.Choose(QStringLiteral("one"));
    Named<QListWidget>(s.fields(), "List1")->setCurrentRow(1);
    s.fields().PushButton5_Click();  // name
    Named<QListWidget>(s.fields(), "List1")->setCurrentRow(0);
    s.fields().PushButton5_Click();  // id
    s.fields().PushButton2_Click();  // "< Back"

    s.Choose(QStringLiteral("one"));
    EXPECT_EQ(s.available(), QStringList{QStringLiteral("price")});
    EXPECT_EQ(pages::EntryTexts(Named<QListWidget>(s.fields(), "List2")),
              (QStringList{QStringLiteral("name"), QStringLiteral("id")}));

    // Another table: the chosen field it lacks goes, the one it has stays.
    s.fields().PushButton2_Click();
    s.Choose(QStringLiteral("two"));
    EXPECT_EQ(s.available(), (QStringList{QStringLiteral("price"), QStringLiteral("qty")}));
    EXPECT_EQ(pages::EntryTexts(Named<QListWidget>(s.fields(), "List2")), QStringList{QStringLiteral("id")});
    EXPECT_EQ(s.header(2), QStringLiteral("id"));
    EXPECT_TRUE(Named<QPushButton>(s.fields(), "PushButton3")->isEnabled());

    // Each table keeps its own choice for the run.
    s.fields().PushButton2_Click();
    s.Choose(QStringLiteral("three"));
    EXPECT_EQ(Named<QListWidget>(s.fields(), "List2")->count(), 0);
    s.fields().PushButton2_Click();
    s.Choose(QStringLiteral("one"));
    EXPECT_EQ(pages::EntryTexts(Named<QListWidget>(s.fields(), "List2")),
              (QStringList{QStringLiteral("name"), QStringLiteral("id")}));
    EXPECT_EQ(s.available(), QStringList{QStringLiteral("price")});
    EXPECT_TRUE(Named<QPushButton>(s.fields(), "PushButton3")->isEnabled());
}

// The field page arrives the same way from the table page's "Next >" and
// back from the output page: its buttons follow the lists, the first
// available field is selected and the grid has the focus.
TEST(TablePage, TheFieldPageArrivesTheSameFromEitherSide) {
    TW_REQUIRE_SERVER();
    SignedIn s({QStringLiteral("CREATE TABLE t (a INT, b INT, c INT)")});
    pages::Form3& fields = s.fields();
    auto* available = Named<QListWidget>(fields, "List1");
    auto* chosen = Named<QListWidget>(fields, "List2");
    auto* forward = Named<QPushButton>(fields, "PushButton3");
    const std::vector<std::pair<const char*, std::function<void()>>> arrivals{
        {"from the table page", [&] { s.Choose(QStringLiteral("t")); }},
        {"back from the output page", [&] { s.t.wizard().EnsurePage<pages::Form4>().PushButton2_Click(); }},
    };
    for (const auto& [side, arrive] : arrivals) {
        SCOPED_TRACE(side);
        // Whatever the lists and the focus were, the arrival sets them.
        fields.hide();
        chosen->setFocus();
        forward->setEnabled(chosen->count() == 0);
        arrive();
        ASSERT_TRUE(fields.isVisible());
        EXPECT_EQ(available->currentRow(), 0);
        EXPECT_EQ(fields.focusWidget(), Named<QTableView>(fields, "DataGrid1"));
        EXPECT_EQ(forward->isEnabled(), chosen->count() > 0);

        // On to the output page with one field chosen.
        fields.PushButton5_Click();
        fields.PushButton3_Click();
        available->setCurrentRow(-1);
    }
}

TEST(TablePage, ATableWithNoneOfTheChosenFieldsEmptiesTheChosenListAndTurnsNextOff) {
    TW_REQUIRE_SERVER();
    SignedIn s({QStringLiteral("CREATE TABLE one (id INT)"), QStringLiteral("CREATE TABLE two (qty INT)")});
    s.Choose(QStringLiteral("one"));
    s.fields().PushButton6_Click();  // ">>"
    s.fields().PushButton2_Click();
    s.Choose(QStringLiteral("two"));
    EXPECT_EQ(s.available(), QStringList{QStringLiteral("qty")});
    EXPECT_EQ(Named<QListWidget>(s.fields(), "List2")->count(), 0);
    EXPECT_FALSE(Named<QPushButton>(s.fields(), "PushButton3")->isEnabled());
}

TEST(TablePage, OddNamesArePreviewedIntact) {
    TW_REQUIRE_SERVER();
    SignedIn s(
        {QStringLiteral(
             "CREATE TABLE `we``ird` (`a``b` INT, `with space` VARCHAR(9), `żółć` VARCHAR(9), b BLOB, f BIT(10))"),
         QStringLiteral("INSERT INTO `we``ird` VALUES (1, 'x y', 'ünï ✓', X'000aFF', b'1000000001')")});
    s.Choose(QStringLiteral("we`ird"));
    EXPECT_EQ(s.available(), (QStringList{QStringLiteral("a`b"), QStringLiteral("with space"), QStringLiteral("żółć"),
                                          QStringLiteral("b"), QStringLiteral("f")}));
    EXPECT_EQ(Named<QTableView>(s.fields(), "DataGrid1")->model()->index(0, 2).data().toString(),
              QStringLiteral("ünï ✓"));
    EXPECT_EQ(Named<QTableView>(s.fields(), "DataGrid1")->model()->index(0, 3).data().toString(),
              QStringLiteral("0x000AFF"));
    EXPECT_EQ(Named<QTableView>(s.fields(), "DataGrid1")->model()->index(0, 4).data().toString(),
              QStringLiteral("513"));
    EXPECT_TRUE(s.t.messages().messages.empty());
    EXPECT_EQ(db::PreviewQueryText(QStringLiteral("t")), QStringLiteral("SELECT * FROM `t` LIMIT 100;"));
}

TEST(TablePage, ADroppedTableIsReportedAndLeavesAnEmptyFieldPage) {
    TW_REQUIRE_SERVER();
    SignedIn s({QStringLiteral("CREATE TABLE doomed (a INT)")});
    s.scratch.Run(QStringLiteral("DROP TABLE doomed"));
    s.Choose(QStringLiteral("doomed"));
    ASSERT_EQ(s.t.messages().messages.size(), 1u);
    const auto& report = s.t.messages().messages[0];
    EXPECT_EQ(report.title, QStringLiteral("Application Error"));
    EXPECT_TRUE(report.text.contains(QStringLiteral("doomed")));
    EXPECT_TRUE(
        report.text.contains(testing_support::AtLine("Form2.PushButton3_Click", pages::table_steps::kNextReadPreview)));
    EXPECT_TRUE(s.fields().isVisible());
    EXPECT_EQ(Named<QListWidget>(s.fields(), "List1")->count(), 0);
    EXPECT_EQ(Named<QTableView>(s.fields(), "DataGrid1")->model()->columnCount(), 0);
    EXPECT_EQ(look::GetPagePointer(&s.tables()), look::kDefaultPointer);
}

TEST(TablePage, NextWithoutASelectionAsksForATable) {
    TW_REQUIRE_SERVER();
    SignedIn s({QStringLiteral("CREATE TABLE t (a INT)")});
    Named<QListWidget>(s.tables(), "List1")->setCurrentRow(-1);
    s.tables().PushButton3_Click();
    s.t.Settle();
    ASSERT_EQ(s.t.messages().messages.size(), 1u);
    EXPECT_EQ(s.t.messages().messages[0].text, QStringLiteral("Please select a table"));
    EXPECT_FALSE(s.t.wizard().pageMade(pages::PageKind::Fields));
    EXPECT_TRUE(s.tables().isVisible());
}

TEST(TablePage, AChosenFirstColumnLeavesNoAvailableEntrySelected) {
    TW_REQUIRE_SERVER();
    SignedIn s({QStringLiteral("CREATE TABLE t (id INT, name TEXT, price INT)")});
    s.Choose(QStringLiteral("t"));
    s.fields().PushButton5_Click();  // the first column, selected by "Next >"
    s.fields().PushButton2_Click();
    s.Choose(QStringLiteral("t"));
    EXPECT_EQ(s.available(), (QStringList{QStringLiteral("name"), QStringLiteral("price")}));
    EXPECT_EQ(pages::SelectedRow(Named<QListWidget>(s.fields(), "List1")), -1);
    s.fields().PushButton5_Click();
    ASSERT_EQ(s.t.messages().messages.size(), 1u);
    EXPECT_EQ(s.t.messages().messages[0].text, QStringLiteral("Please select a field first."));
}

TEST(TablePage, ReadsTheLoginBoxesAtThatMomentAndReportsARefusedConnection) {
    TW_REQUIRE_SERVER();
    SignedIn s({QStringLiteral("CREATE TABLE t (a INT)")});
    Named<QLineEdit>(s.t.wizard().EnsurePage<pages::Form1>(), "Text3")->setText(QStringLiteral("changed meanwhile"));
    s.Choose(QStringLiteral("t"));
    ASSERT_EQ(s.t.messages().messages.size(), 1u);
    EXPECT_TRUE(s.t.messages().messages[0].text.contains(
        testing_support::AtLine("Form2.PushButton3_Click", pages::table_steps::kNextConnect)));
    EXPECT_EQ(s.t.wizard().state().tableName, QStringLiteral("t"));
    EXPECT_TRUE(s.fields().isVisible());
    EXPECT_EQ(Named<QListWidget>(s.fields(), "List1")->count(), 0);
    EXPECT_EQ(look::GetPagePointer(&s.tables()), look::kDefaultPointer);
}

TEST(TablePage, PreviewsSakilaFilmsWithTheirColumnsAndGreyedNulls) {
    TW_REQUIRE_SERVER();
    TW_REQUIRE_SAKILA();
    TestWizard t;
    t.Start();
    testing_support::FillLogin(t.wizard().EnsurePage<pages::Form1>(),
                               testing_support::ServerLogin(QStringLiteral("sakila")));
    t.wizard().EnsurePage<pages::Form1>().PushButton3_Click();
    t.Settle();
    const auto film = Named<QListWidget>(t.wizard().EnsurePage<pages::Form2>(), "List1")
                          ->findItems(QStringLiteral("film"), Qt::MatchExactly);
    ASSERT_EQ(film.size(), 1);
    Named<QListWidget>(t.wizard().EnsurePage<pages::Form2>(), "List1")->setCurrentItem(film.first());
    t.wizard().EnsurePage<pages::Form2>().PushButton3_Click();
    t.Settle();
    QAbstractItemModel* grid = Named<QTableView>(t.wizard().EnsurePage<pages::Form3>(), "DataGrid1")->model();
    EXPECT_EQ(grid->rowCount(), 100);
    const QStringList columns = pages::EntryTexts(Named<QListWidget>(t.wizard().EnsurePage<pages::Form3>(), "List1"));
    ASSERT_EQ(columns.size(), grid->columnCount());
    const int original = static_cast<int>(columns.indexOf(QStringLiteral("original_language_id")));
    const int features = static_cast<int>(columns.indexOf(QStringLiteral("special_features")));
    ASSERT_GE(original, 0);
    ASSERT_GE(features, 0);
    EXPECT_EQ(grid->index(0, original).data().toString(), QStringLiteral("NULL"));
    EXPECT_EQ(grid->index(0, features).data().toString(), QStringLiteral("Deleted Scenes,Behind the Scenes"));
    EXPECT_TRUE(t.messages().messages.empty());
}

TEST(TablePage, PreviewsA64MiBValueByItsStartWithoutStallingTheWindow) {
    TW_REQUIRE_SERVER();
    struct Case {
        const char* type;
        const char* value;
        const char* start;
    };
    for (const Case& c :
         {Case{"LONGBLOB", "REPEAT('ab', 32 << 20)", "0x6162"}, Case{"LONGTEXT", "REPEAT('é', 32 << 20)", "éé"}}) {
        SCOPED_TRACE(c.type);
        SignedIn s({QStringLiteral("CREATE TABLE big (id INT, v %1)").arg(QLatin1String(c.type)),
                    QStringLiteral("INSERT INTO big VALUES (1, %1)").arg(QString::fromUtf8(c.value))});
        ASSERT_TRUE(ResetPeakMemory());
        const qint64 before = MemoryBytes("VmRSS:");
        QElapsedTimer sinceTick;
        qint64 longestStall = 0;
        QTimer ticks;
        QObject::connect(&ticks, &QTimer::timeout, [&] { longestStall = std::max(longestStall, sinceTick.restart()); });
        sinceTick.start();
        ticks.start(5);
        s.Choose(QStringLiteral("big"));
        const auto* grid = static_cast<const pages::PreviewModel*>(Named<QTableView>(s.fields(), "DataGrid1")->model());
        const QString cell = grid->index(0, 1).data().toString();
        longestStall = std::max(longestStall, sinceTick.elapsed());
        EXPECT_LT(longestStall, 100);
        EXPECT_LT(MemoryBytes("VmHWM:") - before, qint64{32} << 20);
        EXPECT_EQ(s.available(), (QStringList{QStringLiteral("id"), QStringLiteral("v")}));
        EXPECT_EQ(s.header(1), QStringLiteral("v"));
        EXPECT_TRUE(cell.startsWith(QString::fromUtf8(c.start)) && cell.endsWith(QChar(0x2026)))
            << cell.left(20).toStdString();
        EXPECT_LE(grid->result().value(0, 1).bytes().size(), 4 * (db::PreviewCharacters(grid->result().columns()) + 1));
    }
}
