#include "export_fixture.h"

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>

#include "db/identifier.h"

namespace export_testing {

exporter::ExportRequest RequestFor(const testing_support::ScratchDatabase& db, const QString& table,
                                   const QStringList& fields, const QString& outputPath) {
    exporter::ExportRequest request;
    request.login = db.login();
    request.tableName = table;
    request.fieldListText = db::QuoteIdentifierList(fields);
    request.header = true;
    request.separator = QStringLiteral(",");
    request.outputPath = outputPath;
    return request;
}

exporter::ExportOutcome Export(const exporter::ExportRequest& request, const lines::ValueStyle& style) {
    exporter::ExportMonitor quiet;
    return exporter::ExportToFile(request, style, quiet);
}

QString ExportProgram() { return QStringLiteral(TABLEWRIGHT_EXPORT_PROGRAM); }

CommandResult RunExportCommand(const db::LoginValues& login, const QStringList& arguments, const QStringList& variables,
                               const std::function<void()>& childSetup, const QString& program) {
    QProcess process;
    StartExportCommand(process, login, arguments, variables, childSetup, program);
    process.waitForFinished(300000);
    return CommandResult{process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                         process.readAllStandardOutput(), process.readAllStandardError()};
}

void StartExportCommand(QProcess& process, const db::LoginValues& login, const QStringList& arguments,
                        const QStringList& variables, const std::function<void()>& childSetup, const QString& program) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TABLEWRIGHT_PASSWORD"), login.password);
    for (const QString& variable : variables) {
        const QString name = variable.section(QLatin1Char('='), 0, 0);
        const QString value = variable.section(QLatin1Char('='), 1);
        if (value.isEmpty())
            environment.remove(name);
        else
            environment.insert(name, value);
    }
    process.setProcessEnvironment(environment);
    if (childSetup) process.setChildProcessModifier(childSetup);
    process.start(program.isEmpty() ? ExportProgram() : program,
                  QStringList{QStringLiteral("--server"), login.server, QStringLiteral("--port"), login.port,
                              QStringLiteral("--user"), login.user, QStringLiteral("--database"), login.database} +
                      arguments);
}

PreparedStatementsTurn::PreparedStatementsTurn(const testing_support::ScratchDatabase& db) : connection_(db.Connect()) {
    connection_.Query(QStringLiteral("SELECT GET_LOCK('tablewright_tests.prepared_statements', 300)"));
}

void CreateBigTable(testing_support::ScratchDatabase& db, int rows) {
    db.Run({QStringLiteral("CREATE TABLE big (id INT, filler VARCHAR(120))"),
            QStringLiteral("INSERT INTO big SELECT seq, REPEAT('x', 100) FROM seq_1_to_%1").arg(rows)});
}

}  // namespace export_testing
