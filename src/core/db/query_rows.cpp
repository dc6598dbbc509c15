#include "db/query_rows.h"

#include <mysqld_error.h>

#include "db/db_error.h"
#include "db/wait_rules.h"

namespace db {
namespace {

// Runs the query's first step with the server's refusals in words that say
// what is wrong with the query: one it does not parse (also a second
// statement after it), or one that gets no answer in time, most likely
// waiting for a lock.
template <typename Read>
auto InWordsOfTheQuery(Read read) {
    try {
        return read();
    } catch (const DbError& e) {
        if (e.number() == ER_PARSE_ERROR)
            throw DbError(QStringLiteral("The query must be one statement that the server accepts: ") +
                              QString::fromUtf8(e.what()),
                          e.number());
        if (e.number() != kNoAnswerInTime) throw;
        const QString words =
            QString::fromUtf8(e.what()) + QStringLiteral(" A table the query reads may be locked by another session.");
        throw DbError(words, e.number(), words);
    }
}

void RefuseNonQuery(const QString& sql) {
    const QString problem = QueryTextProblem(sql);
    if (!problem.isEmpty()) throw DbError(problem);
}

}  // namespace

BinaryResult ReadQueryInBinary(Connection& connection, const QString& sql) {
    RefuseNonQuery(sql);
    return InWordsOfTheQuery([&] { return BinaryResult::Run(connection, sql); });
}

StreamingResult StreamQuery(Connection& connection, const QString& sql, bool preparedWithRows) {
    RefuseNonQuery(sql);
    // As text the statement runs before its lack of rows shows, so one that
    // might write a file or variables on the server is refused unsent.
    if (const QString problem = QueryAsTextProblem(sql); !problem.isEmpty() && !preparedWithRows)
        throw DbError(problem);
    return InWordsOfTheQuery([&] { return connection.Stream(sql); });
}

}  // namespace db
