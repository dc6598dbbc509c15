#include <bit>
#include <cmath>
#include <future>
#include <random>

#include <QLocale>

#include <gtest/gtest.h>

#include "export_fixture.h"
#include "lines/transcoder.h"
#include "support/wait_until.h"

using export_testing::NoPreparedStatements;
using export_testing::PathMonitor;
using testing_support::ScratchDatabase;

namespace {

// One export read in binary and the same read as text.
struct BothWays {
    QByteArray files[2];
    QString paths[2];
    std::uint64_t rows = 0;
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
        result.rows = outcome.rowsWritten;
        result.paths[text] = monitor.how_;
        result.files[text] = export_testing::ReadFile(request.outputPath);
    }
    return result;
}

// Every column type at its edges: the extremes of each integer width, signed,
// UNSIGNED and ZEROFILL (and a ZEROFILL value one digit short of its width);
// zero dates and the last instant of a year with every count of fractional
// digits; negative times beyond 24 hours; FLOAT and DOUBLE values whose text
// is hard to get right, also with fixed decimals (to 30 of them, with 225
// digits before the point) and ZEROFILL; strings, bytes and a text longer than the part a long
// value is read in, its characters cut by the parts.
const QString kColumns = QStringLiteral(
    "ti TINYINT, tu TINYINT UNSIGNED, si SMALLINT, sz SMALLINT UNSIGNED ZEROFILL, mi MEDIUMINT, "
    "mu MEDIUMINT UNSIGNED, i INT, iz INT(8) ZEROFILL, bi BIGINT, bu BIGINT UNSIGNED, bz BIGINT ZEROFILL, "
    "y YEAR, d DATE, dt DATETIME, dt3 DATETIME(3), dt6 DATETIME(6), ts TIMESTAMP NULL, ts2 TIMESTAMP(2) NULL, "
    "t TIME, t1 TIME(1), t6 TIME(6), de DECIMAL(12,2), dz DECIMAL(10,3) ZEROFILL, dl DECIMAL(65,30), "
    "f FLOAT, db DOUBLE, fm FLOAT(7,2), dm DOUBLE(12,3) ZEROFILL, du DOUBLE UNSIGNED, dd DOUBLE(20,10), "
    "fz FLOAT ZEROFILL, dzu DOUBLE(8,3) UNSIGNED ZEROFILL, dw DOUBLE(255,30), "
    "b1 BIT(1), b64 BIT(64), c CHAR(5), v VARCHAR(20), tx TEXT, bn BINARY(4), vb VARBINARY(8), bl BLOB, "
    "j JSON, e ENUM('a','b'), st SET('x','y'), g POINT");

const QStringList kRows = {
    QStringLiteral("(-128, 0, -32768, 0, -8388608, 0, -2147483648, 0, -9223372036854775808, 0, 0, "
                   "1901, '0000-00-00', '0000-00-00 00:00:00', '0000-00-00 00:00:00', '1000-01-01 00:00:00', "
                   "'0000-00-00 00:00:00', '1970-01-01 00:00:01.01', '-838:59:59', '-00:00:00.5', "
                   "'-100:00:00.000001', -9999999999.99, 0, -1e-30, 1e-7, 4.9e-324, -99999.99, 0, 0, "
                   "-9999999999.9999999999, 0, 0, -1e300, "
                   "0, 0, '', '', '', X'00', X'', X'', '{}', 'a', '', POINT(0, 0))"),
    QStringLiteral("(127, 255, 32767, 65535, 8388607, 16777215, 2147483647, 4294967295, 9223372036854775807, "
                   "18446744073709551615, 18446744073709551615, 2155, '9999-12-31', '9999-12-31 23:59:59', "
                   "'2024-02-29 12:00:00.999', '9999-12-31 23:59:59.999999', '2038-01-19 03:14:07', "
                   "'2038-01-19 03:14:07.99', '838:59:59', '23:59:59.9', '100:00:00.000001', 9999999999.99, "
                   "1.5, 12345678901234567890.123456789012345678901234567890, 3.4028234e38, "
                   "1.7976931348623157e308, 99999.99, 1.5, 1e300, 9999999999.9999999999, 3.4028234e38, "
                   "99999.999, 1e300, 1, 18446744073709551615, "
                   "'żółw,', 'a,b\r\nc\"d', CONCAT('a', REPEAT('żółw€😀', 3000)), X'FF0D0A2C', X'00FF', "
                   "REPEAT(X'00FF2C0A', 9000), '{\"k\": [1, \"ż\"]}', 'b', 'x,y', POINT(-1.5, 1e300))"),
    QStringLiteral("(-1, 1, 0, 1234, -1, 1, 0, 123, -1, 1, 42, 0, '2020-00-00', '2024-01-05 07:08:09', "
                   "'1999-12-25 00:00:00.5', '2000-01-01 00:00:00.000001', '2006-02-15 05:03:42', "
                   "'2006-02-15 05:03:42.05', '00:00:00', '-01:02:03.4', '24:00:00', 0.05, 0.001, 0.1, "
                   "1e15, 1e16, -1.25, 0.1, 0.1, -0.00000000005, 1e-7, 0.0005, 1/3, 0, 256, 'x', ' y ', '', X'', "
                   "X'0A', X'', 'null', 'a', 'y', "
                   "POINT(1, 2))"),
    QStringLiteral("(NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, "
                   "NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, "
                   "NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL)"),
};

// The first line in which two files differ, for a readable failure.
std::string FirstDifference(const QByteArray& binary, const QByteArray& text) {
    const QList<QByteArray> a = binary.split('\n');
    const QList<QByteArray> b = text.split('\n');
    for (qsizetype i = 0; i < std::min(a.size(), b.size()); ++i) {
        if (a[i] == b[i]) continue;
        qsizetype at = 0;
        while (at < a[i].size() && at < b[i].size() && a[i][at] == b[i][at]) ++at;
        const qsizetype from = std::max<qsizetype>(0, at - 40);
        return "line " + std::to_string(i + 1) + ", byte " + std::to_string(at) +
               "\n binary: " + a[i].mid(from, 120).toHex(' ').toStdString() +
               "\n text:   " + b[i].mid(from, 120).toHex(' ').toStdString();
    }
    return "line counts " + std::to_string(a.size()) + " and " + std::to_string(b.size());
}

}  // namespace

// The rows read in the server's binary form give the file that text rows
// give, byte for byte, for every column type and under every value style.
TEST(BinaryRows, GiveTheSameFileAsTextRowsForEveryColumnType) {
    TW_REQUIRE_SERVER();
    ScratchDatabase db;
    db.Run({QStringLiteral("SET SESSION sql_mode = ''"), QStringLiteral("SET SESSION time_zone = '+00:00'"),
            QStringLiteral("CREATE TABLE edges (") + kColumns + QStringLiteral(")"),
            QStringLiteral("INSERT INTO edges VALUES ") + kRows.join(QStringLiteral(", "))});
    const QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/edges.txt");
    exporter::ExportRequest request = export_testing::RequestFor(db, QStringLiteral("edges"), {}, path);
    request.fieldListText = QStringLiteral("*");

    const lines::ValueStyle german = lines::ValueStyle::FromLocale(QLocale(QLocale::German, QLocale::Germany));
    const struct {
        const char* name;
        lines::ValueStyle style;
        QString separator;
    } cases[] = {
        {"C locale", lines::ValueStyle::Plain(), QStringLiteral(",")},
        {"comma decimal, latin1", german.InCharacterSet(lines::Transcoder::ForCharacterSet("ISO-8859-1")),
         QStringLiteral(";")},
        {"comma decimal, UTF-8, digits as separator", german, QStringLiteral("0")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        request.separator = c.separator;
        const auto [files, paths, rows] = ExportBothWays(db, request, c.style);
        EXPECT_EQ(rows, 4u);
        EXPECT_EQ(paths[0], QStringLiteral("in the server's binary form"));
        EXPECT_TRUE(paths[1].startsWith(QStringLiteral("as text (the statement could not be prepared: ")))
            << paths[1].toStdString();
        EXPECT_TRUE(files[0] == files[1]) << FirstDifference(files[0], files[1]);
        EXPECT_GT(files[0].size(), 80000);
    }
}

// FLOAT and DOUBLE values read in binary get the server's own digits: the
// values where its text turns to an exponent or to a FLOAT's six digits,
// denormals, the extremes and a few thousand random bit patterns; also with
// fixed decimals (a column's, and sums and quotients that have them with
// halves to round, negatives that round to zero and more decimals than the
// value has digits) and ZEROFILL.
TEST(BinaryRows, FloatsAndDoublesGetTheServersDigits) {
    TW_REQUIRE_SERVER();
    ScratchDatabase db;
    QStringList values = {QStringLiteral("1e-7"),
                          QStringLiteral("1e-14"),
                          QStringLiteral("1e-15"),
                          QStringLiteral("1.5e-15"),
                          QStringLiteral("1e-16"),
                          QStringLiteral("0.000012345678901234567"),
                          QStringLiteral("123456789012345"),
                          QStringLiteral("1234567890123456"),
                          QStringLiteral("12345678901234567"),
                          QStringLiteral("1e15"),
                          QStringLiteral("1e16"),
                          QStringLiteral("-1e21"),
                          QStringLiteral("4.9e-324"),
                          QStringLiteral("2.2250738585072014e-308"),
                          QStringLiteral("1.7976931348623157e308"),
                          QStringLiteral("-1.7976931348623157e308"),
                          QStringLiteral("-0e0"),
                          QStringLiteral("1e-45"),
                          QStringLiteral("3.4028234e38"),
                          QStringLiteral("0.1"),
                          QStringLiteral("1/3"),
                          QStringLiteral("-2/3"),
                          QStringLiteral("999999.5"),
                          QStringLiteral("1234567.25")};
    std::mt19937_64 bits(20261207);
    while (values.size() < 3000) {
        const double value = std::bit_cast<double>(bits());
        const double small = static_cast<double>(bits() % 2000000) / 1000 - 1000;
        if (std::isfinite(value)) values += QString::number(value, 'g', 17);
        values += QString::number(small, 'g', 17);
    }
    QStringList rows;
    // A FLOAT cannot hold every double: the server stores the nearest float
    // or, beyond its range, the largest.
    for (const QString& value : values) rows += QStringLiteral("(%1, %1, %1, %1, %1, %1, %1, %1, %1)").arg(value);
    db.Run({QStringLiteral("SET SESSION sql_mode = ''"),
            QStringLiteral("CREATE TABLE floats (d DOUBLE, f FLOAT, du DOUBLE UNSIGNED, f72 FLOAT(7,2), "
                           "d2010 DOUBLE(20,10), fz FLOAT ZEROFILL, dz DOUBLE(8,3) UNSIGNED ZEROFILL, "
                           "d0 DOUBLE(10,0), d4025 DOUBLE(40,25))"),
            QStringLiteral("INSERT INTO floats VALUES ") + rows.join(QStringLiteral(", "))});
    const QTemporaryDir dir;
    exporter::ExportRequest request =
        export_testing::RequestFor(db, QStringLiteral("floats"), {}, dir.path() + QStringLiteral("/floats.txt"));
    request.fieldListText =
        QStringLiteral("*, d2010 / 3 AS third, d0 / 32 AS half, -f72 AS negative, f72 * f72 AS square");
    const BothWays both = ExportBothWays(db, request, lines::ValueStyle::Plain());
    EXPECT_EQ(both.paths[0], QStringLiteral("in the server's binary form"));
    EXPECT_TRUE(both.files[0] == both.files[1]) << FirstDifference(both.files[0], both.files[1]);
}

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
