#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "export_fixture.h"

using export_testing::ReadFile;
using export_testing::RunExportCommand;
using testing_support::ScratchDatabase;

namespace {

QByteArray RunTool(const QString& program, const QStringList& arguments, const QString& password = {}) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("MYSQL_PWD"), password);
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    process.waitForFinished(60000);
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return process.readAllStandardOutput();
}

}  // namespace

// Hostile values, quoted, come back equal through Python's csv module and
// the server's LOAD DATA (NULL as the empty text), with every separator.
TEST(QuotedExport, HostileValuesComeBackThroughCsvReadersAndLoadData) {
    TW_REQUIRE_SERVER();
    ScratchDatabase db;
    // The third column's name holds a separator and quotes, as a header must
    // carry it through.
    db.Run({QStringLiteral("CREATE TABLE t (id INT, v LONGTEXT, `w, \"q\" | x` VARCHAR(100))"),
            QStringLiteral("INSERT INTO t (id, v) VALUES (1, 'plain'), (2, 'a,b'), (3, 'tab\\there'), (4, 'x;y'), "
                           "(5, 'say \"hi\"'), (6, '\"'), (7, 'cr\\ronly'), (8, 'lf\\nonly'), (9, 'crlf\\r\\n'), "
                           "(10, ''), (11, NULL), (12, 'Łódź, 東京 😀'), (13, ' | '), (14, 'ends |'), "
                           "(15, REPEAT('ab\"c, |\\r\\n', 10000))"),  // in pieces
            QStringLiteral("UPDATE t SET `w, \"q\" | x` = LEFT(v, 100)"),
            QStringLiteral("CREATE TABLE loaded (id TEXT, v LONGTEXT, w TEXT)")});
    const db::StoredResult expected = db.Connect().Query(
        QStringLiteral("SELECT id, COALESCE(v, ''), COALESCE(`w, \"q\" | x`, '') FROM t ORDER BY id"));
    const db::LoginValues login = db.login();
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/out.csv");
    for (const QString& quote : {QStringLiteral("--quote"), QStringLiteral("--quote=always")}) {
        for (const QString& separator : {QStringLiteral(","), QStringLiteral("\t"), QStringLiteral(" | ")}) {
            const QString what = quote + QStringLiteral(" \"") + separator + QLatin1Char('"');
            const export_testing::CommandResult result =
                RunExportCommand(login,
                                 {QStringLiteral("--table"), QStringLiteral("t"), quote, QStringLiteral("--separator"),
                                  separator, QStringLiteral("--output"), path},
                                 {QStringLiteral("LC_ALL=C.UTF-8")});
            ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
            EXPECT_TRUE(result.err.isEmpty()) << what.toStdString() << result.err.toStdString();
            if (separator.size() == 1) {  // csv takes no longer one
                const QJsonArray rows =
                    QJsonDocument::fromJson(
                        RunTool(
                            QStringLiteral("python3"),
                            {QStringLiteral("-c"),
                             QStringLiteral("import csv, json, sys\n"
                                            "with open(sys.argv[1], newline='', encoding='utf-8') as f:\n"
                                            "    json.dump(list(csv.reader(f, delimiter=sys.argv[2], strict=True)), "
                                            "sys.stdout)"),
                             path, separator}))
                        .array();
                ASSERT_EQ(rows.size(), 1 + static_cast<qsizetype>(expected.rowCount()) + 1) << what.toStdString();
                EXPECT_EQ(rows.first().toArray(),
                          (QJsonArray{QStringLiteral("id"), QStringLiteral("v"), QStringLiteral("w, \"q\" | x")}))
                    << what.toStdString();
                EXPECT_EQ(rows.last().toArray(), QJsonArray());  // the file's last, empty line
                for (std::size_t row = 0; row < expected.rowCount(); ++row)
                    for (int column = 0; column < 3; ++column)
                        EXPECT_EQ(rows[static_cast<qsizetype>(row) + 1][column].toString(),
                                  expected.value(row, column).text())
                            << what.toStdString() << " row " << row;
            }
            QString sqlSeparator = separator;
            sqlSeparator.replace(QLatin1Char('\t'), QStringLiteral("\\t"));
            RunTool(
                QStringLiteral("mariadb"),
                {QStringLiteral("--no-defaults"), QStringLiteral("--local-infile=1"),
                 QStringLiteral("--default-character-set=utf8mb4"), QStringLiteral("-h"), login.server,
                 QStringLiteral("-P"), login.port, QStringLiteral("-u"), login.user, login.database,
                 QStringLiteral("-e"),
                 QStringLiteral("TRUNCATE loaded; LOAD DATA LOCAL INFILE '%1' INTO TABLE loaded CHARACTER SET utf8mb4 "
                                "FIELDS TERMINATED BY '%2' OPTIONALLY ENCLOSED BY '\"' ESCAPED BY '' "
                                "LINES TERMINATED BY '\\r\\n' IGNORE 1 LINES")
                     .arg(path, sqlSeparator)},
                login.password);
            const db::StoredResult wrong = db.Connect().Query(
                QStringLiteral("SELECT CONCAT(COUNT(*), ' rows; wrong: ', COALESCE(GROUP_CONCAT(t.id), 'none')) FROM t "
                               "LEFT JOIN loaded l ON l.id = t.id WHERE NOT (BINARY l.v <=> BINARY COALESCE(t.v, '') "
                               "AND BINARY l.w <=> BINARY COALESCE(t.`w, \"q\" | x`, ''))"));
            EXPECT_EQ(wrong.value(0, 0).text(), QStringLiteral("0 rows; wrong: none")) << what.toStdString();
        }
    }
    // Only --quote=always tells the empty text (row 10) from NULL (row 11).
    EXPECT_TRUE(ReadFile(path).contains("\r\n\"10\" | \"\" | \"\"\r\n\"11\" |  | \r\n"));
}

TEST(QuotedExport, WhereKeepsTheRowsItNamesAndItsErrorKeepsTheOldFile) {
    TW_REQUIRE_SERVER();
    ScratchDatabase db;
    db.Run({QStringLiteral("CREATE TABLE t (a INT, s VARCHAR(5))"),
            QStringLiteral("INSERT INTO t VALUES (1, 'x'), (2, 'y'), (3, 'x'), (4, NULL)")});
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/out.txt");
    const QStringList toFile{QStringLiteral("--table"), QStringLiteral("t"), QStringLiteral("--output"), path,
                             QStringLiteral("--where")};
    export_testing::CommandResult result =
        RunExportCommand(db.login(), toFile + QStringList{QStringLiteral("s = 'x' OR a > 3 -- a comment")});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(ReadFile(path), "a,s\r\n1,x\r\n3,x\r\n4,\r\n\r\n");
    // The condition stays inside its brackets: a LIMIT, an ORDER BY or a
    // UNION cannot change which rows are written.
    for (const QString& wrong : {QStringLiteral("a = = 1"), QStringLiteral("a = ?"), QStringLiteral("1=1 LIMIT 2"),
                                 QStringLiteral("a > 0 ORDER BY a DESC"), QStringLiteral("1 UNION SELECT 9, 'z'")}) {
        result = RunExportCommand(db.login(), toFile + QStringList{wrong});
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_TRUE(result.err.contains("You have an error in your SQL syntax")) << result.err.toStdString();
        EXPECT_EQ(ReadFile(path), "a,s\r\n1,x\r\n3,x\r\n4,\r\n\r\n");
    }
}
