#include <functional>

#include <QElapsedTimer>

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
    EXPECT_TRUE(Contains(refused, QStringLiteral("TLS could not be used: the server offers none"))) << refused.what();
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
