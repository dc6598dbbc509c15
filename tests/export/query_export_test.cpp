#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "export_fixture.h"

using export_testing::CommandResult;
using export_testing::FolderEntries;
using export_testing::ReadFile;
using export_testing::RunExportCommand;
using export_testing::WriteFile;
using testing_support::ScratchDatabase;

namespace {

const QByteArray kOldContent = "the file from last week\r\n\r\n";

// Runs the command with `input` on its standard input.
CommandResult RunWithInput(const ScratchDatabase& db, const QStringList& arguments, const QByteArray& input) {
    QProcess process;
    export_testing::StartExportCommand(process, db.login(), arguments);
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(300000);
    return CommandResult{process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                         process.readAllStandardOutput(), process.readAllStandardError()};
}

QStringList Query(const QString& sql) { return {QStringLiteral("--query"), sql}; }

// `sql` after a comment that makes it `size` bytes long.
QByteArray PaddedTo(qsizetype size, const QByteArray& sql) {
    return "/*" + QByteArray(size - sql.size() - 5, 'x') + "*/\n" + sql;
}

// The most a query file may hold.
constexpr qsizetype kMostQueryBytes = qsizetype{16} << 20;

}  // namespace

// A query over a table gives the table export's bytes: every column type
// read in binary (a FLOAT with fixed decimals or ZEROFILL too), and every
// line option.
TEST(QueryExport, GivesTheBytesOfTheTableExport) {
    TW_REQUIRE_SERVER();
    ScratchDatabase db;
    db.Run({QStringLiteral("CREATE TABLE m (i INT, bu BIGINT UNSIGNED, iz INT(6) ZEROFILL, y YEAR, d DATE, "
                           "dt DATETIME(3), t TIME, de DECIMAL(8,2), f FLOAT, db DOUBLE, fm FLOAT(7,2), "
                           "fz FLOAT(7,2) ZEROFILL, v VARCHAR(20), bl BLOB, b BIT(8), j JSON, e ENUM('a','b'))"),
            QStringLiteral("INSERT INTO m VALUES (-1, 18446744073709551615, 42, 2024, '2024-02-29', "
                           "'2024-01-05 07:08:09.5', '-838:59:59', -12.5, 0.1, 1e300, 1.5, 1.5, 'a,b\"c', "
                           "X'0A2C00', 5, '{\"k\": 1}', 'b'), "
                           "(NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, "
                           "NULL, NULL, NULL, NULL), "
                           "(0, 0, 0, 1901, '0000-00-00', '2000-01-01 00:00:00', '100:00:00', 0, 3.4e38, "
                           "-4.9e-324, -99999.99, 99999.99, 'two\\r\\nlines', '', 0, '[]', 'a')")});
    const QStringList binaryFields = {QStringLiteral("i"), QStringLiteral("f"), QStringLiteral("db"),
                                      QStringLiteral("dt"), QStringLiteral("v")};
    QStringList tableFields;
    for (const QString& field : binaryFields) tableFields << QStringLiteral("--field") << field;

    struct Case {
        QStringList table, query;
        const char* rowsRead;
    };
    const Case cases[] = {
        {{QStringLiteral("--table"), QStringLiteral("m")},
         Query(QStringLiteral("SELECT * FROM m")),
         "rows read in the server's binary form"},
        {QStringList{QStringLiteral("--table"), QStringLiteral("m")} + tableFields,
         Query(QStringLiteral("/* the same columns */ SELECT i, f, db, dt, v FROM m;")),
         "rows read in the server's binary form"},
    };
    const QList<QStringList> options = {
        {},
        {QStringLiteral("--quote")},
        {QStringLiteral("--quote=always"), QStringLiteral("--separator"), QStringLiteral(" | ")},
        {QStringLiteral("--no-header"), QStringLiteral("--separator"), QString()},
    };
    const export_testing::PreparedStatementsTurn turn(db);
    for (const Case& c : cases) {
        for (const QStringList& option : options) {
            const QStringList verbose{QStringLiteral("--verbose")};
            const CommandResult table = RunExportCommand(db.login(), c.table + option);
            const CommandResult query = RunExportCommand(db.login(), c.query + option + verbose);
            const std::string what = (c.query + option).join(QLatin1Char(' ')).toStdString();
            EXPECT_EQ(table.exitCode, 0) << what << table.err.toStdString();
            EXPECT_EQ(query.exitCode, 0) << what << query.err.toStdString();
            EXPECT_EQ(query.out.toStdString(), table.out.toStdString()) << what;
            EXPECT_TRUE(query.err.contains(c.rowsRead)) << what << query.err.toStdString();
        }
    }
}

// A join with an aggregate gives its rows and the result's column names,
// whether the statement is an argument, a file (also one of the 16 MiB a
// file may hold, which the test server's max_allowed_packet takes) or
// standard input.
TEST(QueryExport, AJoinWithAnAggregateGivesItsRowsFromEverySource) {
    TW_REQUIRE_SERVER();
    ScratchDatabase db;
    db.Run({QStringLiteral("CREATE TABLE a (id INT, x VARCHAR(10))"), QStringLiteral("CREATE TABLE b (a_id INT)"),
            QStringLiteral("INSERT INTO a VALUES (1, 'foo'), (2, 'bar'), (3, 'idle')"),
            QStringLiteral("INSERT INTO b VALUES (1), (1), (2)")});
    const QByteArray sql =
        "SELECT a.x, COUNT(*) AS n, SUM(a.id) FROM a\n"
        "JOIN b ON b.a_id = a.id -- only those with a b\n"
        "GROUP BY a.x ORDER BY a.x;\n";
    const QByteArray expected = "x;n;SUM(a.id)\r\nbar;1;2\r\nfoo;2;2\r\n\r\n";
    QTemporaryDir dir;
    const QString file = dir.path() + QStringLiteral("/q.sql");
    WriteFile(file, sql);
    const QString longest = dir.path() + QStringLiteral("/longest.sql");
    WriteFile(longest, PaddedTo(kMostQueryBytes, sql));
    const QStringList separator{QStringLiteral("--separator"), QStringLiteral(";")};

    struct Source {
        QStringList arguments;
        QByteArray input;
    };
    const Source sources[] = {
        {Query(QString::fromUtf8(sql)), {}},
        {{QStringLiteral("--query-file"), file}, {}},
        {{QStringLiteral("--query-file"), longest}, {}},
        {{QStringLiteral("--query-file"), QStringLiteral("-")}, sql},
    };
    for (const Source& source : sources) {
        const CommandResult result = RunWithInput(db, source.arguments + separator, source.input);
        EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
        EXPECT_EQ(result.out, expected) << source.arguments.join(QLatin1Char(' ')).toStdString();
    }
}

// What is not exactly one statement returning rows is refused before
// anything runs: no row goes, no server file is written, the old file
// stays and no temporary file is left.
TEST(QueryExport, WhatIsNoSingleQueryIsRefusedUnrunAndKeepsTheOldFile) {
    TW_REQUIRE_SERVER();
    ScratchDatabase db;
    db.Run({QStringLiteral("CREATE TABLE t (a INT)"), QStringLiteral("INSERT INTO t VALUES (1), (2)")});
    const QString serverFile =
        qEnvironmentVariable("TABLEWRIGHT_TEST_OUTFILES") + QStringLiteral("/%1.txt").arg(db.name());
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/out.txt");
    WriteFile(path, kOldContent);
    QTemporaryDir queries;
    const QString tooLong = queries.path() + QStringLiteral("/too-long.sql");
    WriteFile(tooLong, PaddedTo(kMostQueryBytes + 1, "SELECT 1"));

    struct Case {
        QStringList arguments;
        QByteArray input;
        int exitCode;
        const char* says;
    };
    const QStringList fromInput{QStringLiteral("--query-file"), QStringLiteral("-")};
    const Case cases[] = {
        {Query(QStringLiteral("SELECT 1; DROP TABLE t")), {}, 1, "one statement that the server accepts"},
        {fromInput, "SELECT a FROM t;\nDELETE FROM t;\n", 1, "near 'DELETE FROM t"},
        {Query(QStringLiteral("SELECT a FROM t INTO OUTFILE '%1'").arg(serverFile)), {}, 1, "returns no rows"},
        // Returns rows, and writes the table's statistics.
        {Query(QStringLiteral("ANALYZE TABLE t PERSISTENT FOR ALL")), {}, 2, "it begins with \"ANALYZE\""},
        {fromInput, "/* nothing */ -- at all\n", 2, "--query-file: The query holds no statement"},
        {Query(QStringLiteral("  ")), {}, 2, "--query: The query holds no statement"},
        {Query(QStringLiteral("SELECT 1")) + QStringList{QStringLiteral("--table"), QStringLiteral("t")},
         {},
         2,
         "--table cannot be used with --query"},
        {fromInput + QStringList{QStringLiteral("--where"), QStringLiteral("a > 1")},
         {},
         2,
         "--where cannot be used with --query-file"},
        {{QStringLiteral("--query-file"), dir.path() + QStringLiteral("/missing.sql")},
         {},
         1,
         "Cannot read the query from"},
        {{QStringLiteral("--query-file"), tooLong}, {}, 1, "is longer than 16 MiB"},
    };
    for (const Case& c : cases) {
        const CommandResult result =
            RunWithInput(db, c.arguments + QStringList{QStringLiteral("--output"), path}, c.input);
        const std::string what = c.arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(result.exitCode, c.exitCode) << what << result.err.toStdString();
        EXPECT_TRUE(result.err.contains(c.says)) << what << result.err.toStdString();
        EXPECT_EQ(ReadFile(path), kOldContent) << what;
        EXPECT_EQ(FolderEntries(dir.path()), QStringList{QStringLiteral("out.txt")}) << what;
    }
    db::Connection check = db.Connect();
    EXPECT_EQ(check.Query(QStringLiteral("SELECT COUNT(*) FROM t")).value(0, 0).text(), QStringLiteral("2"));
    EXPECT_EQ(check.Query(QStringLiteral("SELECT COUNT(*) FROM mysql.column_stats WHERE db_name = DATABASE()"))
                  .value(0, 0)
                  .text(),
              QStringLiteral("0"));
    EXPECT_FALSE(QFile::exists(serverFile));
}

// A query that fails after many of its rows were written keeps the old file.
TEST(QueryExport, AFailureWhileRowsAreReadKeepsTheOldFile) {
    TW_REQUIRE_SERVER();
    ScratchDatabase db;
    export_testing::CreateBigTable(db, 200000);
    db.Run(
        QStringLiteral("CREATE FUNCTION fails_at(i INT) RETURNS INT DETERMINISTIC BEGIN "
                       "IF i = 150000 THEN SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'row 150000 fails'; END IF; "
                       "RETURN i; END"));
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/out.txt");
    WriteFile(path, kOldContent);
    const CommandResult result =
        RunExportCommand(db.login(), Query(QStringLiteral("SELECT id, filler, fails_at(id) FROM big")) +
                                         QStringList{QStringLiteral("--output"), path});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains("row 150000 fails")) << result.err.toStdString();
    EXPECT_EQ(ReadFile(path), kOldContent);
    EXPECT_EQ(FolderEntries(dir.path()), QStringList{QStringLiteral("out.txt")});
}

// With prepared statements refused (as by a proxy without them) the query
// is read as text, and runs before its lack of rows shows: a text that might
// write a file on the server is refused before it is sent, the old file kept.
// What only looks like it (INTO quoted or in a comment, a character beyond
// ASCII in quotes) is read.
TEST(QueryExport, AsTextWhatMightWriteOnTheServerIsRefusedUnsent) {
    TW_REQUIRE_SERVER();
    ScratchDatabase db;
    const QString outfiles = qEnvironmentVariable("TABLEWRIGHT_TEST_OUTFILES");
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/out.txt");
    struct Case {
        const char* sql;     // %1: a server file of its own
        QByteArray written;  // empty: refused
    };
    const Case cases[] = {
        {"SELECT 1 INTO OUTFILE '%1'", {}},
        {"(SELECT 1) into\nDUMPFILE '%1'", {}},
        {"SELECT 'a\\' INTO OUTFILE '%1' -- '", {}},
        {"SELECT 1.5INTO OUTFILE '%1'", {}},
        {"SELECT .5INTO OUTFILE '%1'", {}},
        {"SELECT 1e1INTO OUTFILE '%1'", {}},
        {"SELECT \\NINTO OUTFILE '%1'", {}},
        {"SELECT 1 /*!50000INTO OUTFILE '%1'*/", {}},
        {"SELECT 1 /*M!100000INTO OUTFILE '%1'*/", {}},
        {"SELECT 1 --\u0085 FROM (SELECT 2 AS `\u0085`) t INTO OUTFILE '%1'", {}},
        {"SELECT 1 --\u00a0 FROM (SELECT 2 AS `\u00a0`) t INTO OUTFILE '%1'", {}},
        {"SELECT 1 --\u2028 FROM (SELECT 2 AS `\u2028`) t INTO OUTFILE '%1'", {}},
        {"SELECT 'INTO' AS `into`, 'Grüße' AS \"x into\" /* into */ -- '%1' INTO", "into;x into\r\nINTO;Grüße\r\n\r\n"},
    };
    const export_testing::PreparedStatementsTurn turn(db);
    db.Run(QStringLiteral("SET GLOBAL max_prepared_stmt_count = 0"));
    const auto restore = qScopeGuard([&db] { db.Run(QStringLiteral("SET GLOBAL max_prepared_stmt_count = DEFAULT")); });
    int n = 0;
    for (const Case& c : cases) {
        WriteFile(path, kOldContent);
        const QString serverFile = outfiles + QStringLiteral("/%1-%2.txt").arg(db.name()).arg(++n);
        const QString sql = QString::fromUtf8(c.sql).arg(serverFile);
        const CommandResult result =
            RunExportCommand(db.login(),
                             Query(sql) + QStringList{QStringLiteral("--separator"), QStringLiteral(";"),
                                                      QStringLiteral("--verbose"), QStringLiteral("--output"), path},
                             {QStringLiteral("LC_ALL=C.UTF-8")});
        const std::string what = sql.toStdString() + '\n' + result.err.toStdString();
        EXPECT_TRUE(result.err.contains("rows read as text")) << what;
        EXPECT_EQ(result.exitCode, c.written.isEmpty() ? 1 : 0) << what;
        EXPECT_EQ(ReadFile(path), c.written.isEmpty() ? kOldContent : c.written) << what;
        EXPECT_EQ(FolderEntries(dir.path()), QStringList{QStringLiteral("out.txt")}) << what;
        EXPECT_FALSE(QFile::exists(serverFile)) << what;
    }
}

// A query the server prepared and found to return rows is read as text when
// a column is not read in binary (a computed INT may be wider than it says,
// a NULL literal has no type): the server has judged the text already, so
// names beyond ASCII stay as they are, and the wide value is exact.
TEST(QueryExport, APreparedQueryReadAsTextKeepsItsNamesAndWideValues) {
    TW_REQUIRE_SERVER();
    ScratchDatabase db;
    const export_testing::PreparedStatementsTurn turn(db);
    const CommandResult result =
        RunExportCommand(db.login(), Query(QStringLiteral("SELECT ORD('😀') AS größe, NULL AS nüll")) +
                                         QStringList{QStringLiteral("--verbose")});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains("rows read as text")) << result.err.toStdString();
    EXPECT_EQ(result.out, QByteArray("größe,nüll\r\n4036991104,\r\n\r\n"));
}
