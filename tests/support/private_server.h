#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "db/login_values.h"

namespace testing_support {

// A throwaway server of one test's own, started with scripts/test-server and
// the options given ("--no-tls", "--require-secure-transport"), for what the
// shared server must not be changed to while other tests run beside it.
// Stopped and removed when destroyed; starting takes a few seconds.
class PrivateServer {
public:
    explicit PrivateServer(const QStringList& options);
    ~PrivateServer();
    PrivateServer(const PrivateServer&) = delete;
    PrivateServer& operator=(const PrivateServer&) = delete;

    // False, with the script's output in problem(), when it did not start.
    bool started() const { return !variables_.isEmpty(); }
    const QString& problem() const { return problem_; }
    // The test user's login in the test database.
    db::LoginValues login() const;
    // A TABLEWRIGHT_TEST_* value of this server ("CA", "SOCKET", ...).
    QString variable(const QString& name) const { return variables_.value(QStringLiteral("TABLEWRIGHT_TEST_") + name); }

private:
    QTemporaryDir dir_;
    QHash<QString, QString> variables_;
    QString problem_;
};

}  // namespace testing_support
