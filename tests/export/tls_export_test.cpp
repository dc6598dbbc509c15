#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "db/tls_settings.h"
#include "export_fixture.h"
#include "pages/fields/form3.h"
#include "pages/login/form1.h"
#include "pages/output/form4.h"
#include "pages/table/form2.h"
#include "support/named_control.h"
#include "support/private_server.h"
#include "support/test_wizard.h"
#include "wizard/wizard.h"

using testing_support::Named;

using export_testing::ReadFile;
using export_testing::RunExportCommand;
using export_testing::WriteFile;
using testing_support::ScratchDatabase;
using testing_support::TestWizard;

namespace {

// Signs in, picks the only table, takes every field (the preview shows its
// rows) and presses "Finish": every connection the wizard opens. Returns the
// file written.
QByteArray ExportThroughTheWizard(const db::LoginValues& login, const QString& path) {
    TestWizard t;
    t.Start();
    testing_support::FillLogin(t.wizard().EnsurePage<pages::Form1>(), login);
    t.wizard().EnsurePage<pages::Form1>().PushButton3_Click();
    t.Settle();
    EXPECT_TRUE(t.wizard().EnsurePage<pages::Form2>().isVisible());
    t.wizard().EnsurePage<pages::Form2>().PushButton3_Click();
    t.Settle();
    pages::Form3& fields = t.wizard().EnsurePage<pages::Form3>();
    EXPECT_TRUE(fields.isVisible());
    EXPECT_GT(fields.preview()->rowCount(), 0);
    fields.PushButton6_Click();
    fields.PushButton3_Click();
    pages::Form4& output = t.wizard().EnsurePage<pages::Form4>();
    Named<QLineEdit>(output, "Text1")->setText(path);
    QSignalSpy finished(&output, &pages::Form4::exportFinished);
    Named<QPushButton>(output, "PushButton4")->click();
    EXPECT_TRUE(finished.wait(120000));
    EXPECT_TRUE(t.messages().messages.empty()) << t.messages().messages.front().text.toStdString();
    return ReadFile(path);
}

const QByteArray kRows = "a,b\r\n1,x\r\n2,y\r\n\r\n";

// The private home's ~/.my.cnf, which the commands this test program runs
// read (see the test main), and this program's own TLS settings: both as
// they were once the test ends, also when it fails early.
class OptionsForThisTest {
public:
    OptionsForThisTest() = default;
    ~OptionsForThisTest() {
        QFile::remove(path());
        db::SetProcessTlsSettings({});
    }
    OptionsForThisTest(const OptionsForThisTest&) = delete;
    OptionsForThisTest& operator=(const OptionsForThisTest&) = delete;
    static QString path() { return QDir::homePath() + QStringLiteral("/.my.cnf"); }
};

}  // namespace

TEST(TlsExport, ARequireSslUserExportsThroughTheWizardAndTheCommand) {
    TW_REQUIRE_SERVER();
    ScratchDatabase db;
    const QString user = db.name() + QStringLiteral("s");
    db.Run({QStringLiteral("CREATE TABLE t (a INT, b VARCHAR(5))"),
            QStringLiteral("INSERT INTO t VALUES (1, 'x'), (2, 'y')"),
            QStringLiteral("CREATE USER '%1'@'127.0.0.1' IDENTIFIED BY 'pw' REQUIRE SSL").arg(user),
            QStringLiteral("GRANT SELECT ON `%1`.* TO '%2'@'127.0.0.1'").arg(db.name(), user)});
    db::LoginValues login = db.login();
    login.user = user;
    login.password = QStringLiteral("pw");
    QTemporaryDir dir;

    EXPECT_EQ(ExportThroughTheWizard(login, dir.filePath(QStringLiteral("wizard.txt"))), kRows);

    const export_testing::CommandResult command =
        RunExportCommand(login, {QStringLiteral("--table"), QStringLiteral("t"), QStringLiteral("--verbose")});
    EXPECT_EQ(command.exitCode, 0) << command.err.toStdString();
    EXPECT_EQ(command.out, kRows);
    EXPECT_TRUE(command.err.startsWith("tablewright-export: connected, encrypted with TLSv1."))
        << command.err.toStdString();
    EXPECT_TRUE(command.err.contains(", cipher ")) << command.err.toStdString();
    db.Run(QStringLiteral("DROP USER '%1'@'127.0.0.1'").arg(user));
}

TEST(TlsExport, CertificateOptionsComeFromTheOptionFilesAndTheCommandLineTakesTheirPlace) {
    TW_REQUIRE_SERVER();
    const QString ca = qEnvironmentVariable("TABLEWRIGHT_TEST_CA");
    const QString otherCa = qEnvironmentVariable("TABLEWRIGHT_TEST_OTHER_CA");
    ASSERT_FALSE(ca.isEmpty()) << "the test server offers no TLS";
    ScratchDatabase db;
    const QString user = db.name() + QStringLiteral("x");
    db.Run({QStringLiteral("CREATE TABLE t (a INT, b VARCHAR(5))"),
            QStringLiteral("INSERT INTO t VALUES (1, 'x'), (2, 'y')"),
            QStringLiteral("CREATE USER '%1'@'127.0.0.1' IDENTIFIED BY 'pw' REQUIRE X509").arg(user),
            QStringLiteral("GRANT SELECT ON `%1`.* TO '%2'@'127.0.0.1'").arg(db.name(), user)});
    db::LoginValues login = db.login();
    login.user = user;
    login.password = QStringLiteral("pw");
    const OptionsForThisTest options;
    WriteFile(OptionsForThisTest::path(),
              QStringLiteral("[client]\nssl-ca=%1\nssl-verify-server-cert\nssl-cert=%2\nssl-key=%3\n")
                  .arg(otherCa, qEnvironmentVariable("TABLEWRIGHT_TEST_CLIENT_CERT"),
                       qEnvironmentVariable("TABLEWRIGHT_TEST_CLIENT_KEY"))
                  .toUtf8());
    const QStringList table{QStringLiteral("--table"), QStringLiteral("t")};

    export_testing::CommandResult result = RunExportCommand(login, table);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.out.isEmpty());
    EXPECT_TRUE(result.err.startsWith("tablewright-export: TLS could not be used: ")) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains(otherCa.toUtf8())) << result.err.toStdString();

    result = RunExportCommand(login, table + QStringList{QStringLiteral("--ssl-ca"), ca});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, kRows);

    // Without the client certificate the user is refused.
    result = RunExportCommand(login, table + QStringList{QStringLiteral("--ssl-ca"), ca, QStringLiteral("--ssl-cert"),
                                                         QString(), QStringLiteral("--ssl-key"), QString()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains("Access denied")) << result.err.toStdString();
    db.Run(QStringLiteral("DROP USER '%1'@'127.0.0.1'").arg(user));

    // The wizard's test of the login names the reason beside its own words.
    // From here on this program's own connections fail the check too.
    db::SetProcessTlsSettings(db::TlsSettings{otherCa, QString(), QString(), true, {}, {}});
    {
        TestWizard t;
        t.Start();
        testing_support::FillLogin(t.wizard().EnsurePage<pages::Form1>(), db.login());
        t.wizard().EnsurePage<pages::Form1>().PushButton5_Click();
        t.Settle();
        ASSERT_EQ(t.messages().messages.size(), 1u);
        const QString text = t.messages().messages[0].text;
        EXPECT_TRUE(
            text.startsWith(pages::Form1::CouldNotConnectText() + QStringLiteral("\r\rTLS could not be used: ")))
            << text.toStdString();
        EXPECT_TRUE(text.contains(otherCa)) << text.toStdString();
    }
}

// A server of its own, as the shared one must keep taking connections without TLS.
TEST(TlsExport, AServerThatRequiresSecureTransportServesTheWizardAndTheCommand) {
    const testing_support::PrivateServer server({QStringLiteral("--require-secure-transport")});
    ASSERT_TRUE(server.started()) << server.problem().toStdString();
    const db::LoginValues login = server.login();
    {
        db::Connection c = db::Connection::Open(login);
        EXPECT_EQ(c.Query(QStringLiteral("SELECT @@require_secure_transport")).value(0, 0).text(), QStringLiteral("1"));
        c.Execute(QStringLiteral("CREATE TABLE t (a INT, b VARCHAR(5))"));
        c.Execute(QStringLiteral("INSERT INTO t VALUES (1, 'x'), (2, 'y')"));
    }
    QTemporaryDir dir;
    EXPECT_EQ(ExportThroughTheWizard(login, dir.filePath(QStringLiteral("wizard.txt"))), kRows);
    const export_testing::CommandResult command =
        RunExportCommand(login, {QStringLiteral("--table"), QStringLiteral("t")});
    EXPECT_EQ(command.exitCode, 0) << command.err.toStdString();
    EXPECT_EQ(command.out, kRows);
}
