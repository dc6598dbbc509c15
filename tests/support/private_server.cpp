#include "support/private_server.h"

#include <QFile>
#include <QProcess>
#include <QTextStream>

namespace testing_support {
namespace {

QString Script() { return QStringLiteral(TABLEWRIGHT_TEST_SERVER_SCRIPT); }

// The lines "export NAME=value" of the env file the script writes, the value
// maybe in single quotes.
QHash<QString, QString> ReadVariables(const QString& path) {
    QHash<QString, QString> variables;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return variables;
    QTextStream in(&file);
    QString line;
    while (in.readLineInto(&line)) {
        if (!line.startsWith(QLatin1String("export "))) continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        QString value = line.mid(equals + 1);
        if (value.size() >= 2 && value.startsWith(QLatin1Char('\'')) && value.endsWith(QLatin1Char('\'')))
            value = value.mid(1, value.size() - 2);
        variables.insert(line.mid(7, equals - 7), value);
    }
    return variables;
}

}  // namespace

PrivateServer::PrivateServer(const QStringList& options) {
    QProcess script;
    script.setProcessChannelMode(QProcess::MergedChannels);
    script.start(Script(), QStringList{QStringLiteral("start"), dir_.path()} + options);
    const bool finished = script.waitForFinished(180000);
    if (!finished || script.exitStatus() != QProcess::NormalExit || script.exitCode() != 0) {
        problem_ =
            QStringLiteral("scripts/test-server did not start a server: ") + QString::fromLocal8Bit(script.readAll());
        return;
    }
    variables_ = ReadVariables(dir_.filePath(QStringLiteral("env")));
    if (variables_.isEmpty()) problem_ = QStringLiteral("scripts/test-server wrote no variables");
}

PrivateServer::~PrivateServer() { QProcess::execute(Script(), {QStringLiteral("stop"), dir_.path()}); }

db::LoginValues PrivateServer::login() const {
    return db::LoginValues{variable(QStringLiteral("HOST")), variable(QStringLiteral("USER")),
                           variable(QStringLiteral("PASSWORD")), variable(QStringLiteral("DATABASE")),
                           variable(QStringLiteral("PORT"))};
}

}  // namespace testing_support
