#include "db/query_text.h"

namespace db {
namespace {

// Whether a comment that runs code ("/*!" or "/*M!") starts at `at`.
bool CodeCommentAt(const QString& sql, qsizetype at) {
    return sql.mid(at, 3) == QLatin1String("/*!") || sql.mid(at, 4) == QLatin1String("/*M!");
}

// Whether a comment to the end of the line starts at `at`: "#", or "--"
// followed by a blank or a control character.
bool LineCommentAt(const QString& sql, qsizetype at) {
    if (sql.at(at) == QLatin1Char('#')) return true;
    if (sql.mid(at, 2) != QLatin1String("--")) return false;
    return at + 2 == sql.size() || sql.at(at + 2).isSpace() || sql.at(at + 2).category() == QChar::Other_Control;
}

// Where the comment that starts at `at` ("/*" or a line comment) ends.
qsizetype AfterComment(const QString& sql, qsizetype at) {
    if (sql.mid(at, 2) == QLatin1String("/*")) {
        const qsizetype end = sql.indexOf(QLatin1String("*/"), at + 2);
        return end < 0 ? sql.size() : end + 2;
    }
    const qsizetype end = sql.indexOf(QLatin1Char('\n'), at);
    return end < 0 ? sql.size() : end + 1;
}

// Where the comments, blanks and opening brackets before the first word end;
// the text's size when nothing else follows. A comment that runs code
// ("/*!" and "/*M!") is a word.
qsizetype FirstWordAt(const QString& sql) {
    qsizetype at = 0;
    const qsizetype size = sql.size();
    while (at < size) {
        const QChar c = sql.at(at);
        if (c.isSpace() || c == QLatin1Char('(')) {
            ++at;
        } else if ((sql.mid(at, 2) == QLatin1String("/*") && !CodeCommentAt(sql, at)) || LineCommentAt(sql, at)) {
            at = AfterComment(sql, at);
        } else {
            break;
        }
    }
    return at;
}

// Where the quoted text that opens at `at` ends: a string ('...' or "...",
// a backslash escaping the next character unless the server's sql_mode
// says otherwise) or a name (`...`), a doubled quote standing for itself.
qsizetype AfterQuoted(const QString& sql, qsizetype at, bool backslashEscapes) {
    const QChar quote = sql.at(at);
    for (qsizetype i = at + 1; i < sql.size(); ++i) {
        if (backslashEscapes && sql.at(i) == QLatin1Char('\\') && quote != QLatin1Char('`')) {
            ++i;
        } else if (sql.at(i) == quote) {
            if (i + 1 < sql.size() && sql.at(i + 1) == quote) {
                ++i;
            } else {
                return i + 1;
            }
        }
    }
    return sql.size();
}

// Whether the word INTO stands in the text outside strings, quoted names and
// comments (a comment that runs code, "/*!" or "/*M!", counts as text). It is
// a reserved word: in a query it can only send the rows to a file or to
// variables on the server.
bool HasIntoClauseReadWith(const QString& sql, bool backslashEscapes) {
    const qsizetype size = sql.size();
    qsizetype at = 0;
    while (at < size) {
        const QChar c = sql.at(at);
        if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`')) {
            at = AfterQuoted(sql, at, backslashEscapes);
        } else if (CodeCommentAt(sql, at)) {
            at += 2;  // its words are read as the rest
        } else if (sql.mid(at, 2) == QLatin1String("/*") || LineCommentAt(sql, at)) {
            at = AfterComment(sql, at);
        } else if (c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$')) {
            qsizetype end = at;
            while (end < size && (sql.at(end).isLetterOrNumber() || sql.at(end) == QLatin1Char('_') ||
                                  sql.at(end) == QLatin1Char('$')))
                ++end;
            if (sql.mid(at, end - at).compare(QLatin1String("INTO"), Qt::CaseInsensitive) == 0) return true;
            at = end;
        } else {
            ++at;
        }
    }
    return false;
}

}  // namespace

QString QueryTextProblem(const QString& sql) {
    const qsizetype at = FirstWordAt(sql);
    if (at == sql.size()) return QStringLiteral("The query holds no statement.");
    qsizetype end = at;
    while (end < sql.size() && (sql.at(end).isLetterOrNumber() || sql.at(end) == QLatin1Char('_'))) ++end;
    if (end == at)  // no word: what stands up to the next blank
        while (end < sql.size() && !sql.at(end).isSpace()) ++end;
    const QString word = sql.mid(at, end - at);
    for (const char* query : {"SELECT", "WITH", "VALUES", "TABLE"})
        if (word.compare(QLatin1String(query), Qt::CaseInsensitive) == 0) return {};
    return QStringLiteral("The query must be a SELECT, WITH, VALUES or TABLE statement; it begins with \"%1\".")
        .arg(word.left(40));
}

bool HasIntoClause(const QString& sql) {
    // Whether a backslash escapes is the server's sql_mode: read both ways.
    return HasIntoClauseReadWith(sql, true) || HasIntoClauseReadWith(sql, false);
}

QString QueryAsTextProblem(const QString& sql) {
    if (HasIntoClause(sql))
        return QStringLiteral(
            "The query must return its rows: its INTO clause would send them to a file or variables on the "
            "server. Leave INTO out.");
    return {};
}

}  // namespace db
