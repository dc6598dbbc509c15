#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "db/tls_settings.h"
#include "support/test_files.h"

using testing_support::WriteFile;

TEST(TlsSettings, OnlyTheFourKeysOfTheClientGroupsCountAndLaterOnesWin) {
    QTemporaryDir dir;
    const QString first = dir.filePath(QStringLiteral("first.cnf"));
    const QString second = dir.filePath(QStringLiteral("second.cnf"));
    WriteFile(first,
              "# ssl-ca=/commented/out.pem\n"
              "[mysqld]\n"
              "ssl-ca=/server/ca.pem\n"
              "ssl-cert=/server/cert.pem\n"
              "[client]\n"
              "user=someone\n"
              "ssl_ca = \"/a folder/ca#1.pem\"   # the authority\n"
              "ssl-verify-server-cert\n"
              "[mysql]\n"
              "ssl-key=/mysql/only.pem\n"
              "[Client-MariaDB]\n"
              "loose-ssl-key='/keys/k\\s1.pem'\n");
    WriteFile(second,
              "[client-server]\n"
              "ssl-cert = /certs/c.pem\n"
              "ssl-verify-server-cert=OFF\n");

    db::TlsSettings settings = db::TlsSettingsFromOptionFiles({first});
    EXPECT_EQ(settings.ca.toStdString(), "/a folder/ca#1.pem");
    EXPECT_EQ(settings.cert.toStdString(), "");
    EXPECT_EQ(settings.key.toStdString(), "/keys/k 1.pem");
    EXPECT_TRUE(settings.verifyServerCert);

    settings = db::TlsSettingsFromOptionFiles({first, second});
    EXPECT_EQ(settings.ca.toStdString(), "/a folder/ca#1.pem");
    EXPECT_EQ(settings.cert.toStdString(), "/certs/c.pem");
    EXPECT_FALSE(settings.verifyServerCert);

    WriteFile(second, "[client]\nskip-ssl-verify-server-cert\n");
    EXPECT_FALSE(db::TlsSettingsFromOptionFiles({first, second}).verifyServerCert);
    WriteFile(second, "[client]\nssl_verify_server_cert=on\n");
    EXPECT_TRUE(db::TlsSettingsFromOptionFiles({second}).verifyServerCert);
}

TEST(TlsSettings, IncludesAreFollowedAndFilesTheStandardClientSkipsAreSkipped) {
    QTemporaryDir dir;
    const QString main = dir.filePath(QStringLiteral("my.cnf"));
    const QString folder = dir.filePath(QStringLiteral("conf.d"));
    WriteFile(main, QStringLiteral("[client-server]\n"
                                   "!includedir %1\n"
                                   "!include %2\n"
                                   "!include %3\n")
                        .arg(folder, dir.filePath(QStringLiteral("extra.cnf")), main)  // and itself: no endless loop
                        .toUtf8());
    WriteFile(folder + QStringLiteral("/50-client.cnf"), "[client]\nssl-ca=/from/50.pem\nssl-key=/from/50-key.pem\n");
    WriteFile(folder + QStringLiteral("/10-client.cnf"), "[client]\nssl-ca=/from/10.pem\nssl-cert=/from/10-cert.pem\n");
    WriteFile(folder + QStringLiteral("/90-notes.txt"), "[client]\nssl-ca=/not/a/cnf/file.pem\n");
    WriteFile(dir.filePath(QStringLiteral("extra.cnf")), "[client]\nssl-verify-server-cert=1\n");
    const QString open = dir.filePath(QStringLiteral("open.cnf"));
    WriteFile(open, "[client]\nssl-cert=/anyone/could/write/this.pem\n");
    QFile::setPermissions(open, QFile::permissions(open) | QFile::WriteOther);

    const db::TlsSettings settings = db::TlsSettingsFromOptionFiles(
        {dir.filePath(QStringLiteral("missing.cnf")), main, open, dir.filePath(QStringLiteral("conf.d"))});
    EXPECT_EQ(settings.ca.toStdString(), "/from/50.pem");  // read in name order, the later one wins
    EXPECT_EQ(settings.cert.toStdString(), "/from/10-cert.pem");
    EXPECT_EQ(settings.key.toStdString(), "/from/50-key.pem");
    EXPECT_TRUE(settings.verifyServerCert);
}

TEST(TlsSettings, KeysAreReadInAnyCaseWithTheRevocationLists) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("my.cnf"));
    struct Case {
        const char* text;
        db::TlsSettings expected;
    };
    const Case cases[] = {
        {"[CLIENT]\nSSL-CA=/up/ca.pem\nSSL-VERIFY-SERVER-CERT\n", {QStringLiteral("/up/ca.pem"), {}, {}, true, {}, {}}},
        {"[client]\nSsl_Crl = /r/list.pem\nssl-CRLPATH=/r/folder\n",
         {{}, {}, {}, false, QStringLiteral("/r/list.pem"), QStringLiteral("/r/folder")}},
        {"[client]\nssl-verify-server-cert\nSKIP-SSL-VERIFY-SERVER-CERT\n", {}},
    };
    for (const Case& c : cases) {
        WriteFile(file, c.text);
        EXPECT_EQ(db::TlsSettingsFromOptionFiles({file}), c.expected) << c.text;
    }
}

TEST(TlsSettings, FilesNotReadAreWarnedAboutAndAFileIncludingItselfEndsAtOnce) {
    QTemporaryDir dir;
    const QString open = dir.filePath(QStringLiteral("open.cnf"));
    const QString closed = dir.filePath(QStringLiteral("closed.cnf"));
    const QString loop = dir.filePath(QStringLiteral("loop.cnf"));
    WriteFile(open, "[client]\nssl-ca=/anyone/could/write/this.pem\n");
    QFile::setPermissions(open, QFile::permissions(open) | QFile::WriteOther);
    WriteFile(closed, "[client]\nssl-verify-server-cert\n");
    QFile::setPermissions(closed, QFile::WriteOwner);
    QByteArray includes = "[client]\nssl-key=/k.pem\n";
    for (int i = 0; i < 10; ++i) includes += "!include " + loop.toUtf8() + "\n";
    WriteFile(loop, includes);

    const bool rootReadsAll = QFileInfo(closed).isReadable();

    QStringList warnings;
    QElapsedTimer timer;
    timer.start();
    const db::TlsSettings settings = db::TlsSettingsFromOptionFiles({open, closed, loop}, &warnings);
    EXPECT_LT(timer.elapsed(), 1000);
    EXPECT_EQ(settings, (db::TlsSettings{{}, {}, QStringLiteral("/k.pem"), rootReadsAll, {}, {}}));
    ASSERT_EQ(warnings.size(), rootReadsAll ? 1 : 2);
    EXPECT_EQ(warnings.at(0), QStringLiteral("Warning: World-writable config file '%1' is ignored").arg(open));
    if (!rootReadsAll) {
        EXPECT_TRUE(warnings.at(1).contains(closed)) << warnings.at(1).toStdString();
    }
}
