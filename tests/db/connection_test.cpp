#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "db/connection.h"
#include "db/connection_text.h"
#include "db/db_error.h"
#include "db/open_connection.h"
#include "support/stalling_server.h"
#include "support/test_server.h"

using testing_support::ScratchDatabase;
using testing_support::ServerLogin;

namespace {
// A port on 127.0.0.1 that nothing listens on.
QString ClosedPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    return QString::number(ntohs(address.sin_port));
}
}  // namespace

TEST(Connection, TestServerAnswersAQuery) {
    TW_REQUIRE_SERVER();
    db::Connection c = db::Connection::Open(db::BuildConnectionText(ServerLogin()));
    db::StoredResult r = c.Query(QStringLiteral("SELECT 1 + 1, @@character_set_client"));
    ASSERT_EQ(r.rowCount(), 1u);
    EXPECT_EQ(r.value(0, 0).text(), QStringLiteral("2"));
    EXPECT_EQ(r.value(0, 1).text(), QStringLiteral("utf8mb4"));
}

TEST(Connection, PasswordWithSemicolonAndBracesLogsIn) {
    TW_REQUIRE_SERVER();
    db::LoginValues login = ServerLogin();
    ASSERT_TRUE(login.password.contains(QLatin1Char(';')));  // the test script's password
    ScratchDatabase scratch;
    const QString password = QStringLiteral(" p;a{s}s=w ");
    const QString user = scratch.name() + QStringLiteral("u");
    scratch.Run({QStringLiteral("CREATE USER '%1'@'127.0.0.1' IDENTIFIED BY '%2'").arg(user, password),
                 QStringLiteral("GRANT SELECT ON `%1`.* TO '%2'@'127.0.0.1'").arg(scratch.name(), user)});
    login.user = user;
    login.password = password;
    login.database = scratch.name();
    EXPECT_TRUE(db::OpenConnection(login));
    login.password = password.trimmed();
    EXPECT_FALSE(db::OpenConnection(login));
    scratch.Run(QStringLiteral("DROP USER '%1'@'127.0.0.1'").arg(user));
}

TEST(Connection, RefusedLoginsGiveTheConnectorsMessage) {
    TW_REQUIRE_SERVER();
    db::LoginValues wrongPassword = ServerLogin();
    wrongPassword.password += QLatin1Char('x');
    db::LoginValues unknownDatabase = ServerLogin(QStringLiteral("no_such_database_here"));
    db::LoginValues closedPort = ServerLogin();
    closedPort.port = ClosedPort();
    db::LoginValues badPort = ServerLogin();
    badPort.port = QStringLiteral("port");

    for (const db::LoginValues& v : {wrongPassword, unknownDatabase, closedPort, badPort}) {
        EXPECT_FALSE(db::OpenConnection(v)) << v.port.toStdString();
        EXPECT_THROW(db::Connection::Open(db::BuildConnectionText(v)), db::DbError);
    }
    try {
        db::Connection::Open(wrongPassword);
        ADD_FAILURE() << "a wrong password was accepted";
    } catch (const db::DbError& e) {
        EXPECT_EQ(e.number(), 1045u) << e.what();  // access denied
    }
    try {
        db::Connection::Open(unknownDatabase);
        ADD_FAILURE() << "an unknown database was accepted";
    } catch (const db::DbError& e) {
        EXPECT_EQ(e.number(), 1049u) << e.what();  // unknown database
        EXPECT_NE(std::string(e.what()).find("no_such_database_here"), std::string::npos) << e.what();
    }
    try {
        db::Connection::Open(closedPort);
        ADD_FAILURE() << "a closed port was connected to";
    } catch (const db::DbError& e) {
        EXPECT_EQ(QString::fromUtf8(e.what()), QStringLiteral("Cannot connect to the server at %1, port %2: connection "
                                                              "refused")
                                                   .arg(closedPort.server, closedPort.port));
    }
    EXPECT_TRUE(db::OpenConnection(ServerLogin()));
}

TEST(Connection, ValuesKeepNullApartFromEmptyAndBinaryBytesWhole) {
    TW_REQUIRE_SERVER();
    ScratchDatabase scratch;
    scratch.Run({QStringLiteral("CREATE TABLE v (a VARCHAR(10), b BLOB, c INT)"),
                 QStringLiteral("INSERT INTO v VALUES ('', X'00FF0A0D', NULL), (NULL, '', 7), ('żółw', NULL, 0)")});
    db::Connection c = scratch.Connect();
    db::StoredResult stored = c.Query(QStringLiteral("SELECT * FROM v"));
    ASSERT_EQ(stored.rowCount(), 3u);
    EXPECT_FALSE(stored.value(0, 0).isNull());
    EXPECT_TRUE(stored.value(0, 0).bytes().isEmpty());
    EXPECT_EQ(stored.value(0, 1).bytes(), QByteArray("\x00\xff\n\r", 4));
    EXPECT_TRUE(stored.value(0, 1).isBinary());
    EXPECT_TRUE(stored.value(0, 2).isNull());
    EXPECT_EQ(stored.value(2, 0).text(), QStringLiteral("żółw"));
    EXPECT_EQ(stored.column(2).name, QStringLiteral("c"));

    db::StreamingResult rows = c.Stream(QStringLiteral("SELECT a, b, c FROM v"));
    int count = 0;
    while (rows.Next()) {
        if (count == 1) {
            EXPECT_TRUE(rows.isNull(0));
            EXPECT_FALSE(rows.isNull(1));
            EXPECT_EQ(rows.length(1), 0u);
            EXPECT_EQ(QByteArray(rows.data(2), static_cast<qsizetype>(rows.length(2))), QByteArray("7"));
        }
        ++count;
    }
    EXPECT_EQ(count, 3);
}

TEST(Connection, AFailingQueryRaisesTheServersMessage) {
    TW_REQUIRE_SERVER();
    ScratchDatabase scratch;
    db::Connection c = scratch.Connect();
    try {
        c.Query(QStringLiteral("SELECT * FROM `missing`"));
        ADD_FAILURE() << "no error";
    } catch (const db::DbError& e) {
        EXPECT_EQ(e.number(), 1146u) << e.what();  // no such table
        EXPECT_NE(std::string(e.what()).find("missing"), std::string::npos) << e.what();
    }
}

TEST(Connection, AStreamedReadThatOutwaitsTheReadTimeOutFailsInsteadOfWaitingOn) {
    TW_REQUIRE_SERVER();
    for (const bool napForRows : {false, true}) {
        db::ConnectOptions options;
        options.readTimeoutSeconds = 1;
        options.napForRows = napForRows;
        db::Connection c = db::Connection::Open(ServerLogin(), options);
        bool failed = false;
        try {
            db::StreamingResult rows = c.Stream(QStringLiteral("SELECT 1 UNION ALL SELECT SLEEP(4)"));
            while (rows.Next()) {
            }
        } catch (const db::DbError&) {
            failed = true;
        }
        EXPECT_TRUE(failed) << "napForRows " << napForRows;
    }
}

TEST(Connection, RowsStreamAlikeWithAndWithoutNaps) {
    TW_REQUIRE_SERVER();
    ScratchDatabase scratch;
    scratch.Run(
        {QStringLiteral("CREATE TABLE n (id INT, t VARCHAR(60))"),
         QStringLiteral("INSERT INTO n SELECT seq, REPEAT(CHAR(65 + seq % 26), seq % 60) FROM seq_1_to_50000")});
    QByteArray seen[2];
    for (const bool napForRows : {false, true}) {
        db::ConnectOptions options;
        options.napForRows = napForRows;
        db::Connection c = db::Connection::Open(scratch.login(), options);
        db::StreamingResult rows = c.Stream(QStringLiteral("SELECT id, t FROM n"));
        QByteArray& all = seen[napForRows ? 1 : 0];
        while (rows.Next())
            for (int i = 0; i < 2; ++i) all.append(rows.data(i), static_cast<qsizetype>(rows.length(i))).append('|');
    }
    EXPECT_EQ(seen[0].size(), seen[1].size());
    EXPECT_TRUE(seen[0] == seen[1]);
    EXPECT_TRUE(seen[0].startsWith("1|B|2|CC|"));
}

// A listener that takes the connection and closes it without a word is named
// with what it did, not with the connector's "system error: 11".
TEST(ConnectionFailure, AListenerThatClosesAtOnceIsToldWithoutASystemErrorNumber) {
    testing_support::StallingServer closing(testing_support::StallingServer::Mode::CloseAtOnce);
    const db::LoginValues login{QStringLiteral("127.0.0.1"), QStringLiteral("ann"), QStringLiteral("pw"),
                                QStringLiteral("shop"), QString::number(closing.port())};
    try {
        db::Connection::Open(login);
        ADD_FAILURE() << "a closed connection signed in";
    } catch (const db::DbError& e) {
        EXPECT_EQ(QString::fromUtf8(e.what()),
                  QStringLiteral("Cannot connect to the server at 127.0.0.1, port %1: the connection was closed before "
                                 "the server greeted; is a MariaDB or MySQL server listening there, and does it "
                                 "accept connections from this address?")
                      .arg(closing.port()));
    }
}
