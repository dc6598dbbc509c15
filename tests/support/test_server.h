#pragma once

#include <QString>
#include <QStringList>

#include "db/connection.h"
#include "db/login_values.h"

namespace testing_support {

// The throwaway server the test script started: its address comes through
// TABLEWRIGHT_TEST_* variables. A test that needs it and finds none fails
// with a message that says so; it never passes silently.
bool ServerConfigured();
// The test user's login, in the test database or in the one named.
db::LoginValues ServerLogin();
db::LoginValues ServerLogin(const QString& database);

// A database of its own for one test, dropped again at the end. Tests run in
// parallel, so each works in its own database.
class ScratchDatabase {
public:
    ScratchDatabase();
    ~ScratchDatabase();
    ScratchDatabase(const ScratchDatabase&) = delete;
    ScratchDatabase& operator=(const ScratchDatabase&) = delete;

    const QString& name() const { return name_; }
    db::LoginValues login() const { return ServerLogin(name_); }
    // Runs statements in this database, one after the other.
    void Run(const QStringList& statements);
    void Run(const QString& statement) { Run(QStringList{statement}); }
    db::Connection Connect() const;

private:
    QString name_;
};

// Skips the current test with a visible reason when the Sakila sample
// database was not loaded (it lives beside the project, not in it).
#define TW_REQUIRE_SAKILA()                                                                \
    do {                                                                                   \
        if (qEnvironmentVariableIsEmpty("TABLEWRIGHT_TEST_SAKILA"))                        \
            GTEST_SKIP() << "the Sakila sample database is not loaded on the test server"; \
    } while (0)

// Fails the current test when no test server is configured.
#define TW_REQUIRE_SERVER()                                                           \
    do {                                                                              \
        if (!::testing_support::ServerConfigured())                                   \
            FAIL() << "no test server: run the tests through scripts/test, or start " \
                      "one with scripts/test-server and source its env file";         \
    } while (0)

}  // namespace testing_support
