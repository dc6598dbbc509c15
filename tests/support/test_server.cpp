#include "support/test_server.h"

#include <atomic>

#include <QCoreApplication>

#include "db/identifier.h"

namespace testing_support {

bool ServerConfigured() {
    return !qEnvironmentVariableIsEmpty("TABLEWRIGHT_TEST_PORT") &&
           !qEnvironmentVariableIsEmpty("TABLEWRIGHT_TEST_USER");
}

db::LoginValues ServerLogin() { return ServerLogin(qEnvironmentVariable("TABLEWRIGHT_TEST_DATABASE")); }

db::LoginValues ServerLogin(const QString& database) {
    return db::LoginValues{qEnvironmentVariable("TABLEWRIGHT_TEST_HOST", QStringLiteral("127.0.0.1")),
                           qEnvironmentVariable("TABLEWRIGHT_TEST_USER"),
                           qEnvironmentVariable("TABLEWRIGHT_TEST_PASSWORD"), database,
                           qEnvironmentVariable("TABLEWRIGHT_TEST_PORT")};
}

ScratchDatabase::ScratchDatabase() {
    static std::atomic<int> counter{0};
    name_ = QStringLiteral("tw_%1_%2").arg(QCoreApplication::applicationPid()).arg(counter++);
    db::Connection admin = db::Connection::Open(ServerLogin(QString()));
    admin.Execute(QStringLiteral("DROP DATABASE IF EXISTS ") + db::QuoteIdentifier(name_));
    admin.Execute(QStringLiteral("CREATE DATABASE ") + db::QuoteIdentifier(name_) +
                  QStringLiteral(" CHARACTER SET utf8mb4"));
}

ScratchDatabase::~ScratchDatabase() {
    try {
        db::Connection admin = db::Connection::Open(ServerLogin(QString()));
        admin.Execute(QStringLiteral("DROP DATABASE IF EXISTS ") + db::QuoteIdentifier(name_));
    } catch (const std::exception&) {
        // A server that went away leaves nothing to tidy.
    }
}

db::Connection ScratchDatabase::Connect() const { return db::Connection::Open(login()); }

void ScratchDatabase::Run(const QStringList& statements) {
    db::Connection connection = Connect();
    for (const QString& statement : statements) connection.Execute(statement);
}

}  // namespace testing_support
