#include <gtest/gtest.h>

#include "db/connection.h"
#include "db/connection_text.h"
#include "db/db_error.h"
#include "db/identifier.h"

using db::LoginValues;

TEST(ConnectionText, OrdinaryValuesAreInsertedAsTyped) {
    EXPECT_EQ(db::BuildConnectionText(LoginValues{QStringLiteral("localhost"), QStringLiteral("reader"), QString(),
                                                  QStringLiteral("shop"), QStringLiteral("3306")}),
              QStringLiteral(
                  "DRIVER={MySQL ODBC 5.1 Driver};SERVER=localhost;USER=reader;PASSWORD=;DATABASE=shop;PORT=3306;"));
    EXPECT_EQ(db::BuildConnectionText(LoginValues{}),
              QStringLiteral("DRIVER={MySQL ODBC 5.1 Driver};SERVER=;USER=;PASSWORD=;DATABASE=;PORT=;"));
    EXPECT_EQ(db::BuildConnectionText(LoginValues{QStringLiteral(" h "), QStringLiteral("u v"), QStringLiteral(" p="),
                                                  QStringLiteral("d}"), QStringLiteral(" 1 ")}),
              QStringLiteral("DRIVER={MySQL ODBC 5.1 Driver};SERVER= h ;USER=u v;PASSWORD= p=;DATABASE=d};PORT= 1 ;"));
}

TEST(ConnectionText, SemicolonsAndLeadingBracesAreBracedWithDoubledClosingBraces) {
    const LoginValues values{QStringLiteral("h"), QStringLiteral("u"), QStringLiteral("pa;ss}"), QStringLiteral("{db"),
                             QStringLiteral("3306")};
    const QString text = db::BuildConnectionText(values);
    EXPECT_EQ(text, QStringLiteral(
                        "DRIVER={MySQL ODBC 5.1 Driver};SERVER=h;USER=u;PASSWORD={pa;ss}}};DATABASE={{db};PORT=3306;"));
    EXPECT_EQ(db::ParseConnectionText(text), values);
}

TEST(ConnectionText, ParsingGivesBackEveryValueWithItsBlanks) {
    const LoginValues tricky{QStringLiteral(" srv "), QStringLiteral("us er"), QStringLiteral(" ;{}= x "), QString(),
                             QStringLiteral("3307")};
    EXPECT_EQ(db::ParseConnectionText(db::BuildConnectionText(tricky)), tricky);
    EXPECT_THROW(db::ParseConnectionText(QStringLiteral("SERVER={open;")), db::DbError);
}

TEST(ConnectionText, PortMustBeAWholeNumberInRange) {
    LoginValues values{QStringLiteral("db.example"), QStringLiteral("u"), QString(), QString(), QStringLiteral("33o6")};
    for (const char* bad : {"33o6", "", "0", "65536", "-1", "3306.0", "999999"}) {
        values.port = QString::fromLatin1(bad);
        try {
            db::ResolveEndpoint(values);
            ADD_FAILURE() << "port accepted: " << bad;
        } catch (const db::DbError& e) {
            EXPECT_STREQ(e.what(), "Port must be a number from 1 to 65535.");
        }
    }
    values.port = QStringLiteral("65535");
    EXPECT_EQ(db::ResolveEndpoint(values).port, 65535u);
}

TEST(ConnectionText, LocalhostGoesByTcpUnlessTheDefaultSocketServesPort3306) {
    qputenv("MYSQL_UNIX_PORT", "/nonexistent/mysqld.sock");
    LoginValues values{QStringLiteral("localhost"), QStringLiteral("u"), QString(), QString(), QStringLiteral("3307")};
    db::Endpoint e = db::ResolveEndpoint(values);
    EXPECT_EQ(e.host, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(e.port, 3307u);
    values.port = QStringLiteral("3306");
    EXPECT_EQ(db::ResolveEndpoint(values).host, QStringLiteral("127.0.0.1"));  // no socket there

    const QByteArray socket = qgetenv("TABLEWRIGHT_TEST_SOCKET");
    if (!socket.isEmpty()) {
        qputenv("MYSQL_UNIX_PORT", socket);
        e = db::ResolveEndpoint(values);
        EXPECT_EQ(e.socket, QString::fromLocal8Bit(socket));
    }
    qunsetenv("MYSQL_UNIX_PORT");
    values.server = QStringLiteral("db.example");
    EXPECT_EQ(db::ResolveEndpoint(values).host, QStringLiteral("db.example"));
}

TEST(Identifier, BackticksInsideANameAreDoubled) {
    EXPECT_EQ(db::QuoteIdentifier(QStringLiteral("t")), QStringLiteral("`t`"));
    EXPECT_EQ(db::QuoteIdentifier(QStringLiteral("we`ird")), QStringLiteral("`we``ird`"));
    EXPECT_EQ(db::QuoteIdentifier(QString()), QStringLiteral("``"));
}
