// Any arguments may reach the command-line parser of tablewright-export. It
// must not crash, and what it answers must hang together: an export always
// has a table or a query and a usable port, a usage error always says what
// is wrong.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include <QByteArray>
#include <QList>

#include "command_line.h"
#include "db/connection.h"
#include "db/db_error.h"
#include "db/query_rows.h"

namespace {

void Expect(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The arguments lie between NUL bytes, as a program gets them.
    QList<QByteArray> arguments;
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (!input.isEmpty()) arguments = input.split('\0');

    using exporter::cli::CommandLine;
    const CommandLine line = exporter::cli::ParseCommandLine(arguments);
    switch (line.action) {
    case CommandLine::Action::Export:
        // A table or a query that may be sent, never both.
        Expect(line.table.isEmpty() == line.isQuery() && line.problem.isEmpty());
        Expect(line.query.isEmpty() || db::QueryTextProblem(line.query).isEmpty());
        Expect(!line.queryFile || (line.query.isEmpty() && line.fields.isEmpty() && line.where.isEmpty()));
        if (line.port) {
            try {
                db::ParsePort(*line.port);
            } catch (const db::DbError&) {
                std::abort();
            }
        }
        break;
    case CommandLine::Action::UsageError: Expect(!line.problem.isEmpty()); break;
    case CommandLine::Action::Help:
    case CommandLine::Action::Version:
    case CommandLine::Action::ListTables:
    case CommandLine::Action::PrintDefaults: break;
    }
    return 0;
}
