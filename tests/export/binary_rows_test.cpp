#include <future>
#include <optional>

#include <gtest/gtest.h>

#include "export_fixture.h"
#include "support/wait_until.h"

using export_testing::NoPreparedStatements;
using export_testing::PathMonitor;
using testing_support::ScratchDatabase;

namespace {

// One export read in binary and the same read as text.
struct BothWays {
    QByteArray files[2];
    QString paths[2];
};

// Exports the request in binary, then with prepared statements refused, a
// server-wide switch.
BothWays ExportBothWays(ScratchDatabase& db, const exporter::ExportRequest& request, const lines::ValueStyle& style) {
    const export_testing::PreparedStatementsTurn turn(db);
    BothWays result;
    for (int text = 0; text < 2; ++text) {
        std::optional<NoPreparedStatements> refused;
        if (text == 1) refused.emplace(db);
        PathMonitor monitor;
        const exporter::ExportOutcome outcome = exporter::ExportToFile(request, style, monitor);
        EXPECT_TRUE(outcome.written()) << outcome.description.toStdString();
        result.paths[text] = monitor.how_;
        result.files[text] = export_testing::ReadFile(request.outputPath);
    }
    return result;
}

}  // namespace

// A condition that is wrong in itself fails at once with the server's words,
// as it would as text, and is not sent a second time as text: only a refusal
// of the prepared statements themselves is.
TEST(BinaryRows, AWrongConditionFailsOnceWithTheServersWords) {
    TW_REQUIRE_SERVER();
    ScratchDatabase db;
    db.Run({QStringLiteral("CREATE TABLE t (a INT)"), QStringLiteral("INSERT INTO t VALUES (1)")});
    // Not while another test refuses prepared statements: that would read as text.
    const export_testing::PreparedStatementsTurn turn(db);
    const QTemporaryDir dir;
    exporter::ExportRequest request =
        export_testing::RequestFor(db, QStringLiteral("t"), {}, dir.path() + QStringLiteral("/t.txt"));
    request.fieldListText = QStringLiteral("*");
    const struct {
        QString where;
        const char* words;
    } cases[] = {
        {QStringLiteral("a >"), "You have an error in your SQL syntax"},
        {QStringLiteral("nope = 1"), "Unknown column 'nope'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.where.toStdString());
        request.where = c.where;
        PathMonitor monitor;
        const exporter::ExportOutcome outcome = exporter::ExportToFile(request, lines::ValueStyle::Plain(), monitor);
        EXPECT_EQ(outcome.label, exporter::kQueryStep);
        EXPECT_TRUE(outcome.description.contains(QLatin1String(c.words), Qt::CaseInsensitive))
            << outcome.description.toStdString();
        EXPECT_TRUE(monitor.how_.isEmpty()) << monitor.how_.toStdString();
    }
}

// A condition sees a FLOAT or DOUBLE with fixed decimals or ZEROFILL as the
// number it is, in binary as in text: it sorts and compares as a number.
TEST(BinaryRows, AConditionSeesFixedDecimalsAsNumbers) {
    TW_REQUIRE_SERVER();
    ScratchDatabase db;
    db.Run({QStringLiteral("CREATE TABLE t (d DOUBLE(5,2), z FLOAT ZEROFILL)"),
            QStringLiteral("INSERT INTO t VALUES (10, 10), (9, 9), (9.5, 9.5)")});
    const QTemporaryDir dir;
    exporter::ExportRequest request =
        export_testing::RequestFor(db, QStringLiteral("t"), {}, dir.path() + QStringLiteral("/t.txt"));
    request.fieldListText = QStringLiteral("*");
    const QByteArray sorted = "d,z\r\n9.00,000000000009\r\n9.50,0000000009.5\r\n10.00,000000000010\r\n\r\n";
    const struct {
        QString where;
        QByteArray file;
    } cases[] = {
        {QStringLiteral("1) ORDER BY (d"), sorted},
        {QStringLiteral("1) ORDER BY (z"), sorted},
        {QStringLiteral("1) HAVING (d > '9.5'"), "d,z\r\n10.00,000000000010\r\n\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.where.toStdString());
        request.where = c.where;
        const BothWays both = ExportBothWays(db, request, lines::ValueStyle::Plain());
        EXPECT_EQ(both.paths[0], QStringLiteral("in the server's binary form"));
        EXPECT_EQ(both.files[0], c.file) << both.files[0].toStdString();
        EXPECT_EQ(both.files[1], c.file);
    }
}

// A table altered between the statement's preparing and its run (the run
// waits for a LOCK TABLES ... WRITE, which the preparing does not, and the
// lock's holder alters the table meanwhile): the values are read as the
// types the run's answer gives say; when the columns are no longer as many,
// the export stops with words that say so and the old file stays. The
// statement that waits is the one prepared, exactly as sent: one for the
// export.
TEST(BinaryRows, ATableAlteredBeforeTheRunIsReadAsItIsThen) {
    TW_REQUIRE_SERVER();
    ScratchDatabase db;
    const QTemporaryDir dir;
    exporter::ExportRequest request =
        export_testing::RequestFor(db, QStringLiteral("r"), {}, dir.path() + QStringLiteral("/r.txt"));
    request.fieldListText = QStringLiteral("*");
    const QByteArray old = "the old file";
    const struct {
        const char* alteration;
        QByteArray file;
    } cases[] = {
        {"MODIFY d VARCHAR(10)", "k,d\r\n1,1.50\r\n\r\n"},
        {"MODIFY d DECIMAL(5,1)", "k,d\r\n1,1.5\r\n\r\n"},
        {"MODIFY d FLOAT", "k,d\r\n1,1.5\r\n\r\n"},
        {"RENAME COLUMN d TO e", "k,e\r\n1,1.50\r\n\r\n"},
        {"ADD COLUMN e INT", old},
        {"DROP COLUMN k", old},
    };
    const export_testing::PreparedStatementsTurn turn(db);
    db::Connection watch = db.Connect();
    const QString waiting = QStringLiteral(
                                "SELECT INFO FROM information_schema.PROCESSLIST WHERE DB = '%1' AND "
                                "COMMAND = 'Execute' AND STATE = 'Waiting for table metadata lock'")
                                .arg(db.name());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.alteration);
        db.Run({QStringLiteral("DROP TABLE IF EXISTS r"), QStringLiteral("CREATE TABLE r (k INT, d DOUBLE(6,2))"),
                QStringLiteral("INSERT INTO r VALUES (1, 1.5)")});
        export_testing::WriteFile(request.outputPath, old);
        db::Connection holder = db.Connect();
        holder.Execute(QStringLiteral("LOCK TABLES r WRITE"));
        auto exported = std::async(std::launch::async, [&request] { return export_testing::Export(request); });
        db::StoredResult run;
        EXPECT_TRUE(testing_support::WaitUntil([&] { return (run = watch.Query(waiting)).rowCount() == 1; }));
        if (run.rowCount() == 1) {
            EXPECT_EQ(run.value(0, 0).bytes(), QByteArray("SELECT * FROM `r`"));
        }
        holder.Execute(QStringLiteral("ALTER TABLE r ") + QLatin1String(c.alteration));
        holder.Execute(QStringLiteral("UNLOCK TABLES"));
        const exporter::ExportOutcome outcome = exported.get();
        if (c.file == old) {
            EXPECT_EQ(outcome.label, exporter::kQueryStep);
            EXPECT_EQ(outcome.description,
                      QStringLiteral("The table's columns changed while the export started; run it again."));
        } else {
            EXPECT_TRUE(outcome.written()) << outcome.description.toStdString();
        }
        EXPECT_EQ(export_testing::ReadFile(request.outputPath), c.file);
    }
}
