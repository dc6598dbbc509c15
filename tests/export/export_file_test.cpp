#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "export_fixture.h"

using export_testing::Export;
using export_testing::FolderEntries;
using export_testing::ReadFile;
using export_testing::RequestFor;
using export_testing::WriteFile;
using testing_support::ScratchDatabase;

namespace {

class ExportFile : public ::testing::Test {
protected:
    void SetUp() override {
        TW_REQUIRE_SERVER();
        db_ = std::make_unique<ScratchDatabase>();
        path_ = dir_.path() + QStringLiteral("/out.txt");
    }
    // The file for the given columns of a table, with the given header flag
    // and separator.
    QByteArray Written(const QString& table, const QStringList& fields, bool header, const QString& separator,
                       const lines::ValueStyle& style = lines::ValueStyle::Plain()) {
        exporter::ExportRequest request = RequestFor(*db_, table, fields, path_);
        request.header = header;
        request.separator = separator;
        const exporter::ExportOutcome outcome = Export(request, style);
        EXPECT_TRUE(outcome.written()) << outcome.label << " " << outcome.description.toStdString();
        EXPECT_EQ(FolderEntries(dir_.path()), QStringList{QStringLiteral("out.txt")});
        return ReadFile(path_);
    }

    QTemporaryDir dir_;
    QString path_;
    std::unique_ptr<ScratchDatabase> db_;
};

const QStringList kAbc = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};

}  // namespace

TEST_F(ExportFile, NullsHeaderAndSeparatorsOfAnyLength) {
    db_->Run({QStringLiteral("CREATE TABLE t (id INT PRIMARY KEY, a VARCHAR(10), b VARCHAR(10), c VARCHAR(10))"),
              QStringLiteral("INSERT INTO t VALUES (1, NULL, 'm', 'z'), (2, 'a', NULL, 'z'), (3, 'a', 'm', NULL), "
                             "(4, '', '', '')")});
    EXPECT_EQ(Written(QStringLiteral("t"), kAbc, true, QStringLiteral(",")),
              "a,b,c\r\n,m,z\r\na,,z\r\na,m,\r\n,,\r\n\r\n");
    EXPECT_EQ(Written(QStringLiteral("t"), kAbc, false, QStringLiteral(",")), ",m,z\r\na,,z\r\na,m,\r\n,,\r\n\r\n");
    EXPECT_EQ(Written(QStringLiteral("t"), kAbc, true, QStringLiteral(" | ")),
              "a | b | c\r\n | m | z\r\na |  | z\r\na | m | \r\n |  | \r\n\r\n");
    EXPECT_EQ(Written(QStringLiteral("t"), kAbc, true, QString()), "abc\r\nmz\r\naz\r\nam\r\n\r\n\r\n");
    // The fields in the order chosen, and one field alone has no separator.
    EXPECT_EQ(Written(QStringLiteral("t"), {QStringLiteral("c"), QStringLiteral("id")}, true, QStringLiteral(";")),
              "c;id\r\nz;1\r\nz;2\r\n;3\r\n;4\r\n\r\n");
    EXPECT_EQ(Written(QStringLiteral("t"), {QStringLiteral("id")}, true, QStringLiteral(";")),
              "id\r\n1\r\n2\r\n3\r\n4\r\n\r\n");
}

TEST_F(ExportFile, EmptyTableWritesOnlyTheHeaderAndTheLineEnds) {
    db_->Run(QStringLiteral("CREATE TABLE t (a INT, b INT, c INT)"));
    EXPECT_EQ(Written(QStringLiteral("t"), kAbc, true, QStringLiteral(",")), "a,b,c\r\n\r\n");
    EXPECT_EQ(Written(QStringLiteral("t"), kAbc, false, QStringLiteral(",")), "\r\n");
}

TEST_F(ExportFile, ValuesAreWrittenUnquotedAndUnchanged) {
    db_->Run({QStringLiteral("CREATE TABLE t (id INT PRIMARY KEY, a TEXT, b VARCHAR(40))"),
              QStringLiteral("INSERT INTO t VALUES (1, 'x,y', 'say \"hi\"'), (2, 'two\\r\\nlines', 'bare\\nLF'), "
                             "(3, 'Grüße, Ζεύς', '日本語 🙂'), (4, 'tab\\there', '''single''')")});
    EXPECT_EQ(Written(QStringLiteral("t"), {QStringLiteral("a"), QStringLiteral("b")}, true, QStringLiteral(",")),
              QByteArray("a,b\r\nx,y,say \"hi\"\r\ntwo\r\nlines,bare\nLF\r\n") +
                  QStringLiteral("Grüße, Ζεύς,日本語 🙂\r\n").toUtf8() + "tab\there,'single'\r\n\r\n");
}

TEST_F(ExportFile, NamesWithBackticksAreQuotedInTheQueryAndPlainInTheHeader) {
    db_->Run({QStringLiteral("CREATE TABLE `we``ird` (`a``b` INT, `ä ö` VARCHAR(5))"),
              QStringLiteral("INSERT INTO `we``ird` VALUES (7, 'ü')")});
    EXPECT_EQ(
        Written(QStringLiteral("we`ird"), {QStringLiteral("a`b"), QStringLiteral("ä ö")}, true, QStringLiteral(",")),
        QStringLiteral("a`b,ä ö\r\n7,ü\r\n\r\n").toUtf8());
}

TEST_F(ExportFile, NumbersAndDatesFollowTheLocaleAndStayAsSentUnderC) {
    db_->Run({QStringLiteral("CREATE TABLE t (id INT PRIMARY KEY, d DECIMAL(12,2), f DOUBLE, dt DATE, "
                             "ts DATETIME(3), tm TIME(2), y YEAR, bits BIT(10), bin VARBINARY(4))"),
              QStringLiteral("INSERT INTO t VALUES (1, -1234567.50, 0.125, '2024-01-31', '2024-01-31 13:45:00.250', "
                             "'13:45:00.5', 2024, b'1000000001', 0x00FF0D0A), "
                             "(2, 0.05, 1e20, '1999-12-05', '1999-12-05 00:00:00', '-01:00:00', 1999, b'0', '')")});
    const QStringList all = {QStringLiteral("d"),  QStringLiteral("f"), QStringLiteral("dt"),   QStringLiteral("ts"),
                             QStringLiteral("tm"), QStringLiteral("y"), QStringLiteral("bits"), QStringLiteral("bin")};
    EXPECT_EQ(Written(QStringLiteral("t"), all, false, QStringLiteral(";"),
                      lines::ValueStyle::FromLocale(QLocale(QLocale::German, QLocale::Germany))),
              "-1234567,50;0,125;31.01.2024;31.01.2024 13:45:00.250;13:45:00.50;2024;513;0x00FF0D0A\r\n"
              "0,05;1e20;05.12.1999;05.12.1999 00:00:00.000;-01:00:00.00;1999;0;0x\r\n\r\n");
    EXPECT_EQ(
        Written(QStringLiteral("t"), all, false, QStringLiteral(";"), lines::ValueStyle::FromLocale(QLocale::c())),
        "-1234567.50;0.125;2024-01-31;2024-01-31 13:45:00.250;13:45:00.50;2024;513;0x00FF0D0A\r\n"
        "0.05;1e20;1999-12-05;1999-12-05 00:00:00.000;-01:00:00.00;1999;0;0x\r\n\r\n");
}

TEST_F(ExportFile, RowsLargerThanOneChunkAndManyChunksArriveWhole) {
    // Values of 3 MiB outgrow the chunk; 40,000 short rows span several.
    db_->Run({QStringLiteral("CREATE TABLE t (id INT PRIMARY KEY, v LONGTEXT)"),
              QStringLiteral("INSERT INTO t VALUES (1, REPEAT('a', 3145728)), (2, 'b')"),
              QStringLiteral("CREATE TABLE many (id INT PRIMARY KEY, v VARCHAR(80))"),
              QStringLiteral("INSERT INTO many SELECT seq, REPEAT('v', 70) FROM seq_1_to_40000")});
    EXPECT_EQ(Written(QStringLiteral("t"), {QStringLiteral("v"), QStringLiteral("id")}, false, QStringLiteral(",")),
              QByteArray(3145728, 'a') + ",1\r\nb,2\r\n\r\n");

    // Longer than a chunk too after hex or a legacy character set, whose
    // steps may be cut anywhere by the chunk's end.
    db_->Run({QStringLiteral("CREATE TABLE wide (b LONGBLOB, t LONGTEXT)"),
              QStringLiteral("INSERT INTO wide VALUES (REPEAT(X'00FF0D0A2C', 629146), REPEAT('abé€', 600000))")});
    const lines::ValueStyle latin1 =
        lines::ValueStyle::Plain().InCharacterSet(lines::Transcoder::ForCharacterSet("ISO-8859-1"));
    EXPECT_TRUE(Written(QStringLiteral("wide"), {QStringLiteral("b"), QStringLiteral("t")}, false, QStringLiteral(","),
                        latin1) == "0x" + QByteArray("00FF0D0A2C").repeated(629146) + "," +
                                       QByteArray("ab\xE9?").repeated(600000) + "\r\n\r\n");

    QByteArray expected = "id|v\r\n";
    for (int i = 1; i <= 40000; ++i) expected += QByteArray::number(i) + '|' + QByteArray(70, 'v') + "\r\n";
    expected += "\r\n";
    EXPECT_EQ(Written(QStringLiteral("many"), {QStringLiteral("id"), QStringLiteral("v")}, true, QStringLiteral("|")),
              expected);
}

// The user's own file keeps its permissions; a new file, and one of another
// user's that is replaced, get what the umask leaves of 0666.
TEST_F(ExportFile, PermissionsAreTheOwnFilesOrWhatTheUmaskLeaves) {
    db_->Run({QStringLiteral("CREATE TABLE t (a INT)"), QStringLiteral("INSERT INTO t VALUES (1)")});
    struct Case {
        mode_t umask;
        mode_t before;  // 0: no file yet
        bool othersFile;
        mode_t after;
    };
    const Case cases[] = {{022, 0, false, 0644},    {027, 0, false, 0640},    {077, 0, false, 0600},
                          {022, 0600, false, 0600}, {077, 0664, false, 0664}, {077, 0666, true, 0600},
                          {022, 0600, true, 0644}};
    for (const Case& c : cases) {
        if (c.othersFile && geteuid() != 0) continue;  // only root can hand a file to another user
        QFile::remove(path_);
        if (c.before != 0) {
            WriteFile(path_, "older and longer content\r\n");
            ASSERT_EQ(chmod(QFile::encodeName(path_).constData(), c.before), 0);
            if (c.othersFile) {
                ASSERT_EQ(chown(QFile::encodeName(path_).constData(), 65534, 65534), 0);
            }
        }
        const mode_t before = umask(c.umask);
        EXPECT_EQ(Written(QStringLiteral("t"), {QStringLiteral("a")}, true, QStringLiteral(",")), "a\r\n1\r\n\r\n");
        umask(before);
        struct stat status = {};
        ASSERT_EQ(stat(QFile::encodeName(path_).constData(), &status), 0);
        EXPECT_EQ(status.st_mode & 07777, c.after) << std::oct << c.umask << " " << c.before << " " << c.othersFile;
    }
}

TEST_F(ExportFile, AFileWithANameOfTheLongestLengthIsReplaced) {
    db_->Run({QStringLiteral("CREATE TABLE t (a INT)"), QStringLiteral("INSERT INTO t VALUES (1)")});
    // 255 bytes, the most a name may have; a temporary name beside it must
    // be cut short, here inside the two-byte "ü".
    const QString name = QString(247, QLatin1Char('n')) + QStringLiteral("üü.txt");
    ASSERT_EQ(QFile::encodeName(name).size(), 255);
    const QString path = dir_.path() + QLatin1Char('/') + name;
    WriteFile(path, "old\r\n");
    const exporter::ExportOutcome outcome = Export(RequestFor(*db_, QStringLiteral("t"), {QStringLiteral("a")}, path));
    EXPECT_TRUE(outcome.written()) << outcome.description.toStdString();
    EXPECT_EQ(ReadFile(path), "a\r\n1\r\n\r\n");
    EXPECT_EQ(FolderEntries(dir_.path()), QStringList{name});
}

TEST_F(ExportFile, ALegacyLocaleGetsItsOwnCharacterSetWithQuestionMarksForTheRest) {
    db_->Run({QStringLiteral("CREATE TABLE t (`größe` VARCHAR(20), n INT, b VARBINARY(4))"),
              QStringLiteral("INSERT INTO t VALUES ('Käse, 寿司 €', 5, X'E4')")});
    const lines::ValueStyle latin1 =
        lines::ValueStyle::Plain().InCharacterSet(lines::Transcoder::ForCharacterSet("ISO-8859-1"));
    ASSERT_TRUE(latin1.transcoder);
    EXPECT_EQ(Written(QStringLiteral("t"), {QStringLiteral("größe"), QStringLiteral("n"), QStringLiteral("b")}, true,
                      QStringLiteral("§"), latin1),
              QByteArray("gr\xF6\xDF"
                         "e\xA7n\xA7"
                         "b\r\nK\xE4se, ?? ?\xA7"
                         "5\xA7"
                         "0xE4\r\n\r\n"));
    EXPECT_EQ(lines::Transcoder::ForCharacterSet("UTF-8"), nullptr);
    EXPECT_EQ(lines::Transcoder::ForCharacterSet("ANSI_X3.4-1968"), nullptr);
}
