#include <functional>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "db/connection.h"
#include "db/db_error.h"
#include "db/open_connection.h"
#include "db/table_queries.h"
#include "support/private_server.h"
#include "support/test_server.h"

using testing_support::ScratchDatabase;
using testing_support::ServerLogin;

namespace {

db::ConnectOptions WithTls(const db::TlsSettings& tls) {
    db::ConnectOptions options;
    options.tls = tls;
    return options;
}

// The cipher the server sees on this connection; empty without TLS.
QString ServerSideCipher(db::Connection& connection) {
    return connection.Query(QStringLiteral("SHOW SESSION STATUS LIKE 'Ssl_cipher'")).value(0, 1).text();
}

// The failure of opening, or an empty DbError when it opened.
db::DbError FailureOf(const db::LoginValues& login, const db::TlsSettings& tls) {
    try {
        db::Connection::Open(login, WithTls(tls));
    } catch (const db::DbError& e) {
        return e;
    }
    return db::DbError(QString());
}

bool Contains(const db::DbError& e, const QString& text) { return QString::fromUtf8(e.what()).contains(text); }

// A revocation list signed by the test server's authority (its key lies
// beside its certificate) that names the certificates given; empty when
// none could be made.
QString RevocationList(const QTemporaryDir& dir, const QString& name, const QStringList& revoked) {
    const QString tls = QFileInfo(qEnvironmentVariable("TABLEWRIGHT_TEST_CA")).absolutePath();
    const QString index = dir.filePath(name + QStringLiteral(".index"));
    const QString config = dir.filePath(name + QStringLiteral(".cnf"));
    QFile(index).open(QIODevice::WriteOnly);
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly)) return QString();
    file.write(QStringLiteral("[ca]\ndefault_ca = test\n[test]\ndatabase = %1\ndefault_md = sha256\n"
                              "default_crl_days = 30\n")
                   .arg(index)
                   .toUtf8());
    file.close();
    const QStringList authority{QStringLiteral("-config"),  config,
                                QStringLiteral("-keyfile"), tls + QStringLiteral("/ca-key.pem"),
                                QStringLiteral("-cert"),    tls + QStringLiteral("/ca.pem")};
    for (const QString& certificate : revoked)
        if (QProcess::execute(QStringLiteral("openssl"), QStringList{QStringLiteral("ca")} + authority +
                                                             QStringList{QStringLiteral("-revoke"), certificate}) != 0)
            return QString();
    QString list = dir.filePath(name + QStringLiteral(".pem"));
    if (QProcess::execute(QStringLiteral("openssl"),
                          QStringList{QStringLiteral("ca")} + authority +
                              QStringList{QStringLiteral("-gencrl"), QStringLiteral("-out"), list}) != 0)
        return QString();
    return list;
}

}  // namespace

TEST(Tls, ConnectionsAreEncryptedWheneverTheServerOffersTls) {
    TW_REQUIRE_SERVER();
    db::Connection plain = db::Connection::Open(ServerLogin());
    EXPECT_FALSE(plain.tlsCipher().isEmpty());
    EXPECT_EQ(ServerSideCipher(plain), plain.tlsCipher());
    EXPECT_TRUE(plain.tlsVersion().startsWith(QStringLiteral("TLSv1."))) << plain.tlsVersion().toStdString();

    // The export's connection: non-blocking, rows waited for with naps.
    db::ConnectOptions exportLike;
    exportLike.napForRows = true;
    db::Connection streaming = db::Connection::Open(ServerLogin(), exportLike);
    EXPECT_FALSE(ServerSideCipher(streaming).isEmpty());
    db::StreamingResult rows = streaming.Stream(QStringLiteral("SELECT seq FROM seq_1_to_20000"));
    int count = 0;
    while (rows.Next()) ++count;
    EXPECT_EQ(count, 20000);
}

TEST(Tls, TheServersCertificateIsCheckedAsTheStandardClientChecksIt) {
    TW_REQUIRE_SERVER();
    const QString ca = qEnvironmentVariable("TABLEWRIGHT_TEST_CA");
    const QString otherCa = qEnvironmentVariable("TABLEWRIGHT_TEST_OTHER_CA");
    ASSERT_FALSE(ca.isEmpty()) << "the test server offers no TLS";
    const db::LoginValues login = ServerLogin();

    // Without checks the test server's certificate, from an authority nobody
    // trusts, is taken; with the right authority it passes every check.
    EXPECT_NO_THROW(db::Connection::Open(login, WithTls({})));
    db::TlsSettings right{ca, QString(), QString(), true, {}, {}};
    EXPECT_NO_THROW(db::Connection::Open(login, WithTls(right)));

    const db::DbError untrusted = FailureOf(login, db::TlsSettings{QString(), QString(), QString(), true, {}, {}});
    EXPECT_EQ(untrusted.number(), 2026u) << untrusted.what();
    EXPECT_TRUE(Contains(untrusted, QStringLiteral("TLS could not be used"))) << untrusted.what();
    EXPECT_TRUE(Contains(untrusted, QStringLiteral("an authority this system trusts"))) << untrusted.what();
    EXPECT_FALSE(untrusted.reason().isEmpty());

    // The wrong authority fails also when nothing else is verified.
    for (const bool verify : {false, true}) {
        const db::DbError wrong = FailureOf(login, db::TlsSettings{otherCa, QString(), QString(), verify, {}, {}});
        EXPECT_EQ(wrong.number(), 2026u) << wrong.what();
        EXPECT_TRUE(Contains(wrong, QStringLiteral("certificate"))) << wrong.what();
        EXPECT_TRUE(Contains(wrong, otherCa)) << wrong.what();
    }
    const QString missing = ca + QStringLiteral(".missing");
    const db::DbError unreadable = FailureOf(login, db::TlsSettings{missing, QString(), QString(), false, {}, {}});
    EXPECT_TRUE(Contains(unreadable, QStringLiteral("ssl-ca cannot be read: ") + missing)) << unreadable.what();
}

// A server certificate on the revocation list given as ssl-crl is refused
// in words that say so, also when no authority is given (a list alone must
// not let the certificate through unchecked); one the list does not name
// passes.
TEST(Tls, AServerCertificateOnTheRevocationListIsRefused) {
    TW_REQUIRE_SERVER();
    const QString ca = qEnvironmentVariable("TABLEWRIGHT_TEST_CA");
    ASSERT_FALSE(ca.isEmpty()) << "the test server offers no TLS";
    QTemporaryDir dir;
    const QString revoked =
        RevocationList(dir, QStringLiteral("revoked"), {QFileInfo(ca).absolutePath() + QStringLiteral("/server.pem")});
    const QString empty = RevocationList(dir, QStringLiteral("empty"), {});
    if (revoked.isEmpty() || empty.isEmpty()) GTEST_SKIP() << "openssl could not sign a list with the test authority";
    struct Case {
        QString ca, crl;
        const char* words;  // empty: the connection opens
    };
    const Case cases[] = {
        {ca, revoked, "The server's certificate was revoked: the list "},
        {QString(), revoked, "TLS could not be used"},
        {ca, empty, ""},
    };
    for (const Case& c : cases) {
        const db::DbError failure = FailureOf(ServerLogin(), db::TlsSettings{c.ca, {}, {}, false, c.crl, {}});
        if (*c.words == 0) {
            EXPECT_STREQ(failure.what(), "") << c.crl.toStdString();
            continue;
        }
        EXPECT_EQ(failure.number(), 2026u) << failure.what();
        EXPECT_TRUE(Contains(failure, QString::fromUtf8(c.words))) << failure.what();
    }
}

// A refused login keeps the server's words, which are the same for a wrong
// password and a missing client certificate: certificates are named only
// where TLS was used and certificates were given.
TEST(Tls, ARefusedLoginNamesCertificatesOnlyWhereTheyAreInPlay) {
    TW_REQUIRE_SERVER();
    const QString ca = qEnvironmentVariable("TABLEWRIGHT_TEST_CA");
    const QString cert = qEnvironmentVariable("TABLEWRIGHT_TEST_CLIENT_CERT");
    ASSERT_FALSE(ca.isEmpty()) << "the test server offers no TLS";
    ScratchDatabase scratch;
    const QString user = scratch.name() + QStringLiteral("c");
    scratch.Run(QStringLiteral("CREATE USER '%1'@'127.0.0.1' IDENTIFIED BY 'pw' REQUIRE X509").arg(user));
    const db::TlsSettings withCert{ca, cert, qEnvironmentVariable("TABLEWRIGHT_TEST_CLIENT_KEY"), false, {}, {}};
    const QString check = QStringLiteral(" Check the user name and the password");
    struct Case {
        const char* name;
        QString user, password;
        db::TlsSettings tls;
        QString words;  // after the server's
    };
    const Case cases[] = {
        {"wrong password", ServerLogin().user, QStringLiteral("wrong"), {}, check + QLatin1Char('.')},
        {"certificate wanted, none in play", user, QStringLiteral("pw"), {}, check + QLatin1Char('.')},
        {"certificate wanted, an authority given", user, QStringLiteral("pw"),
         db::TlsSettings{ca, QString(), QString(), false, {}, {}},
         check + QStringLiteral(", and whether the account requires a client certificate")},
        {"wrong password with a certificate", user, QStringLiteral("wrong"), withCert,
         check + QStringLiteral(", and whether the account takes the client certificate ") + cert},
    };
    for (const Case& c : cases) {
        db::LoginValues login = scratch.login();
        login.user = c.user;
        login.password = c.password;
        const db::DbError refused = FailureOf(login, c.tls);
        EXPECT_EQ(refused.number(), 1045u) << c.name << ": " << refused.what();
        EXPECT_TRUE(Contains(refused, QStringLiteral("Access denied for user '%1'@").arg(c.user) +
                                          QStringLiteral("'127.0.0.1' (using password: YES).") + c.words))
            << c.name << ": " << refused.what();
        EXPECT_TRUE(refused.reason().isEmpty()) << c.name;
    }
    scratch.Run(QStringLiteral("DROP USER '%1'@'127.0.0.1'").arg(user));
}

// REQUIRE SSL and REQUIRE X509 users: see the export's TLS tests.
TEST(Tls, AnEd25519UserSignsIn) {
    TW_REQUIRE_SERVER();
    ScratchDatabase scratch;
    const QString user = scratch.name() + QStringLiteral("e");
    scratch.Run(
        QStringLiteral("CREATE USER '%1'@'127.0.0.1' IDENTIFIED VIA ed25519 USING PASSWORD('ed pw')").arg(user));
    db::LoginValues login = ServerLogin(QString());
    login.user = user;
    login.password = QStringLiteral("ed pw");
    EXPECT_TRUE(db::OpenConnection(login));
    login.password = QStringLiteral("ed pw2");
    EXPECT_FALSE(db::OpenConnection(login));
    scratch.Run(QStringLiteral("DROP USER '%1'@'127.0.0.1'").arg(user));
}

// A server of its own: the shared one offers TLS.
TEST(Tls, AServerWithoutTlsStillWorksAndARefusalForWantOfTlsSaysSo) {
    const testing_support::PrivateServer server({QStringLiteral("--no-tls")});
    ASSERT_TRUE(server.started()) << server.problem().toStdString();
    db::LoginValues login = server.login();

    db::Connection plain = db::Connection::Open(login);
    EXPECT_TRUE(plain.tlsCipher().isEmpty());
    EXPECT_TRUE(plain.tlsVersion().isEmpty());
    EXPECT_EQ(ServerSideCipher(plain), QString());
    plain.Execute(QStringLiteral("CREATE USER 'needs_tls'@'127.0.0.1' IDENTIFIED BY 'pw' REQUIRE SSL"));

    login.user = QStringLiteral("needs_tls");
    login.password = QStringLiteral("pw");
    const db::DbError refused = FailureOf(login, {});
    EXPECT_EQ(refused.number(), 1045u) << refused.what();
    EXPECT_TRUE(Contains(refused, QStringLiteral("Access denied"))) << refused.what();
    EXPECT_TRUE(Contains(refused, QStringLiteral("The server offers no TLS, so an account that requires it")))
        << refused.what();
    QString problem;
    EXPECT_FALSE(db::OpenConnection(login, &problem));
    EXPECT_EQ(problem, refused.reason());

    // Checking the certificate requires TLS.
    const db::DbError noCertificate =
        FailureOf(server.login(), db::TlsSettings{QString(), QString(), QString(), true, {}, {}});
    EXPECT_EQ(noCertificate.number(), 2026u) << noCertificate.what();
    EXPECT_TRUE(Contains(noCertificate, QStringLiteral("the server offers no TLS"))) << noCertificate.what();
}

// Every wait for the server keeps its bound over TLS (the default) and ends in
// words that say it is a time-out, not a TLS failure.
TEST(Tls, WaitsForTheServerKeepTheirBoundAndSayWhatTheyWaitedFor) {
    TW_REQUIRE_SERVER();
    ScratchDatabase scratch;
    scratch.Run({QStringLiteral("CREATE TABLE locked (a INT)"), QStringLiteral("CREATE TABLE free (a INT)")});
    db::Connection holder = scratch.Connect();
    holder.Execute(QStringLiteral("LOCK TABLES locked WRITE"));
    // Rows enough to leave the server's buffer before the stall.
    const QString stallMidway =
        QStringLiteral("SELECT seq, REPEAT('x', 200), IF(seq = 2000, SLEEP(6), 0) FROM seq_1_to_2100");
    struct Case {
        bool napForRows;
        std::function<void(db::Connection&)> read;
        const char* words;
        int toldWhileWaiting;  // the statement's answer is waited for where the wait can tell
    };
    const Case cases[] = {
        {false, [](db::Connection& c) { db::PreviewTable(c, QStringLiteral("locked")); },
         "did not answer within 2 seconds. The table `locked` may be locked by another session.", 0},
        {true, [](db::Connection& c) { db::StreamSelection(c, QStringLiteral("*"), QStringLiteral("locked")); },
         "did not answer within 2 seconds. The table `locked` may be locked by another session.", 1},
        {true,
         [&](db::Connection& c) {
             db::StreamingResult rows = c.Stream(stallMidway);
             while (rows.Next()) {
             }
         },
         "No row came from the server", 0},
    };
    for (const Case& c : cases) {
        db::ConnectOptions options;
        options.readTimeoutSeconds = 2;
        options.napForRows = c.napForRows;
        options.stillWaitingSeconds = 1;
        int told = 0;
        options.stillWaiting = [&told](unsigned bound) { told += bound == 2 ? 1 : 100; };
        db::Connection connection = db::Connection::Open(scratch.login(), options);
        ASSERT_FALSE(connection.tlsCipher().isEmpty());
        QElapsedTimer timer;
        timer.start();
        try {
            c.read(connection);
            ADD_FAILURE() << "no time-out: " << c.words;
        } catch (const db::DbError& e) {
            EXPECT_EQ(e.number(), db::kNoAnswerInTime) << e.what();
            EXPECT_TRUE(Contains(e, QString::fromUtf8(c.words))) << e.what();
            EXPECT_FALSE(Contains(e, QStringLiteral("TLS"))) << e.what();
        }
        EXPECT_LT(timer.elapsed(), 4000) << c.words;
        EXPECT_EQ(told, c.toldWhileWaiting) << c.words;
    }
}
