#include "db/query_text.h"

#include <optional>

namespace db {
namespace {

// How the server's sql_mode has quoted text read.
struct Quoting {
    bool backslashEscapes;   // unless NO_BACKSLASH_ESCAPES
    bool doubleQuotedNames;  // ANSI_QUOTES: "..." is a name, in which a backslash is itself
};
// Every reading a sql_mode can give. The text is read in each: a text that
// is harmless in one may hide an INTO in another, whatever the server's
// sql_mode is.
constexpr Quoting kQuotings[] = {{true, false}, {false, false}, {true, true}};

enum class Piece {
    Blank,
    Comment,
    CodeComment,  // "/*!" or "/*M!" and the version digits: what follows is code
    CodeEnd,      // the "*/" that ends it
    Quoted,
    Word,  // a name or a keyword
    Number,
    Other,  // one character, or the NULL of "\N"
};

struct Token {
    Piece piece;
    qsizetype start;
    qsizetype end;
};

// Blanks and controls as the server's lexer tells them: ASCII only.
bool IsBlank(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
// What a name is made of. Every character beyond ASCII belongs to a name:
// the server reads its bytes so.
bool IsNameChar(char16_t c) {
    return c >= 0x80 || IsDigit(c) || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_' || c == u'$';
}

// Whether `word` is `keyword` (upper case ASCII), in any case: the server
// reads no keyword in a name with characters beyond ASCII.
bool IsKeyword(QStringView word, const char* keyword) {
    qsizetype i = 0;
    for (; keyword[i] != '\0'; ++i) {
        if (i == word.size()) return false;
        char16_t c = word.at(i).unicode();
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
        if (c != static_cast<char16_t>(keyword[i])) return false;
    }
    return i == word.size();
}

// Reads the text a piece at a time as the server's lexer does, where it
// matters for what runs.
class Lexer {
public:
    Lexer(const QString& sql, Quoting quoting) : sql_(sql), quoting_(quoting) {}

    std::optional<Token> Next() {
        if (at_ >= sql_.size()) return std::nullopt;
        const qsizetype start = at_;
        const Piece piece = Read();
        return Token{piece, start, at_};
    }

private:
    // The character at `i`; past the end a NUL, as the server's text ends.
    char16_t At(qsizetype i) const { return i < sql_.size() ? sql_.at(i).unicode() : u'\0'; }

    Piece Read() {
        const char16_t c = At(at_);
        if (IsBlank(c)) {
            ++at_;
            return Piece::Blank;
        }
        // "--" starts a comment only before an ASCII blank or control
        // character (or the end): "--" before anything else is two minus
        // signs, and what follows them is code.
        const char16_t afterDashes = At(at_ + 2);
        if (c == u'#' || (c == u'-' && At(at_ + 1) == u'-' && (afterDashes <= u' ' || afterDashes == 0x7f))) {
            // To the end of the line; the server also ends it at a NUL.
            while (at_ < sql_.size() && At(at_) != u'\n' && At(at_) != u'\0') ++at_;
            if (At(at_) == u'\n') ++at_;
            return Piece::Comment;
        }
        if (c == u'/' && At(at_ + 1) == u'*') return ReadSlashStar();
        if (inCode_ && c == u'*' && At(at_ + 1) == u'/') {
            inCode_ = false;
            at_ += 2;
            return Piece::CodeEnd;
        }
        if (c == u'\'' || c == u'"' || c == u'`') {
            ReadQuoted();
            return Piece::Quoted;
        }
        if (c == u'\\' && At(at_ + 1) == u'N') {  // NULL, whatever follows
            at_ += 2;
            return Piece::Other;
        }
        if (IsDigit(c) || (c == u'.' && IsDigit(At(at_ + 1)))) return ReadNumber();
        if (IsNameChar(c)) {
            SkipName();
            return Piece::Word;
        }
        ++at_;
        return Piece::Other;
    }

    // "/*" and its comment, or the marker of code in a comment.
    Piece ReadSlashStar() {
        const char16_t third = At(at_ + 2);
        const int marker = third == u'!' ? 3 : (third == u'M' && At(at_ + 3) == u'!') ? 4 : 0;
        if (marker == 0) {
            const qsizetype end = sql_.indexOf(QLatin1String("*/"), at_ + 2);
            at_ = end < 0 ? sql_.size() : end + 2;
            return Piece::Comment;
        }
        at_ += marker;
        // A server version is five digits, or six: they are skipped, and
        // what follows them is a word of its own. Fewer digits are code.
        if (IsDigit(At(at_)) && IsDigit(At(at_ + 1)) && IsDigit(At(at_ + 2)) && IsDigit(At(at_ + 3)) &&
            IsDigit(At(at_ + 4)))
            at_ += IsDigit(At(at_ + 5)) ? 6 : 5;
        // A version above the server's makes the rest a comment; read as
        // code, its words are looked at all the same.
        inCode_ = true;
        return Piece::CodeComment;
    }

    // A string ('...' or "...", a backslash escaping the next character
    // unless the sql_mode says otherwise) or a name (`...`, or "..." with
    // ANSI_QUOTES), a doubled quote standing for itself.
    void ReadQuoted() {
        const char16_t quote = At(at_);
        bool escapes = false;  // never in `...`
        if (quote == u'\'') escapes = quoting_.backslashEscapes;
        if (quote == u'"') escapes = quoting_.backslashEscapes && !quoting_.doubleQuotedNames;
        for (qsizetype i = at_ + 1; i < sql_.size(); ++i) {
            if (escapes && At(i) == u'\\') {
                ++i;
            } else if (At(i) == quote) {
                if (At(i + 1) != quote) {
                    at_ = i + 1;
                    return;
                }
                ++i;
            }
        }
        at_ = sql_.size();
    }

    // A number ends where the server ends it, and a word may follow it at
    // once: "1.5INTO", ".5INTO" and "1e1INTO" are a number and INTO. Digits
    // followed by other name characters ("1INTO", "0x1F") are one name.
    Piece ReadNumber() {
        SkipDigits();
        if (At(at_) == u'.') {
            ++at_;
            SkipDigits();
            SkipExponent();
            return Piece::Number;
        }
        if (SkipExponent()) return Piece::Number;
        if (!IsNameChar(At(at_))) return Piece::Number;
        SkipName();
        return Piece::Word;
    }
    void SkipDigits() {
        while (IsDigit(At(at_))) ++at_;
    }
    void SkipName() {
        while (IsNameChar(At(at_))) ++at_;
    }
    // "e5", "E+5", "e-5": false, and nothing skipped, when no digit follows.
    bool SkipExponent() {
        if (At(at_) != u'e' && At(at_) != u'E') return false;
        qsizetype i = at_ + 1;
        if (At(i) == u'+' || At(i) == u'-') ++i;
        if (!IsDigit(At(i))) return false;
        at_ = i;
        SkipDigits();
        return true;
    }

    const QString& sql_;
    const Quoting quoting_;
    qsizetype at_ = 0;
    bool inCode_ = false;
};

// What stands from `at` up to the next blank, cut short for a message.
QString UpToBlank(const QString& sql, qsizetype at) {
    qsizetype end = at;
    while (end < sql.size() && !IsBlank(sql.at(end).unicode())) ++end;
    return sql.mid(at, end - at).left(40);
}

// The character that starts at `at`, as U+XXXX, and its place in the text,
// counted from 1.
QString CharacterAt(const QString& sql, qsizetype at) {
    char32_t code = sql.at(at).unicode();
    if (sql.at(at).isHighSurrogate() && at + 1 < sql.size() && sql.at(at + 1).isLowSurrogate())
        code = QChar::surrogateToUcs4(sql.at(at), sql.at(at + 1));
    qsizetype place = 1;
    for (qsizetype i = 0; i < at; ++i)
        if (!sql.at(i).isLowSurrogate()) ++place;
    return QStringLiteral("U+%1, character %2")
        .arg(QString::number(static_cast<uint>(code), 16).toUpper().rightJustified(4, QLatin1Char('0')))
        .arg(place);
}

}  // namespace

QString QueryTextProblem(const QString& sql) {
    Lexer lexer(sql, kQuotings[0]);
    while (const std::optional<Token> token = lexer.Next()) {
        switch (token->piece) {
        case Piece::Blank:
        case Piece::Comment: continue;
        case Piece::Other:
            if (sql.at(token->start) == QLatin1Char('(')) continue;
            break;
        case Piece::Word:
            for (const char* query : {"SELECT", "WITH", "VALUES", "TABLE"})
                if (IsKeyword(QStringView(sql).mid(token->start, token->end - token->start), query)) return {};
            break;
        default: break;
        }
        QString problem =
            QStringLiteral(
                "The query must be a SELECT, WITH or VALUES statement (or TABLE, where the server has it); it "
                "begins with \"%1\"")
                .arg(token->piece == Piece::Word ? sql.mid(token->start, token->end - token->start).left(40)
                                                 : UpToBlank(sql, token->start));
        if (token->piece == Piece::CodeComment) problem += QStringLiteral(", a comment that the server runs as code");
        return problem + QLatin1Char('.');
    }
    return QStringLiteral("The query holds no statement.");
}

bool HasIntoClause(const QString& sql) {
    for (const Quoting quoting : kQuotings) {
        Lexer lexer(sql, quoting);
        while (const std::optional<Token> token = lexer.Next())
            if (token->piece == Piece::Word &&
                IsKeyword(QStringView(sql).mid(token->start, token->end - token->start), "INTO"))
                return true;
    }
    return false;
}

QString QueryAsTextProblem(const QString& sql) {
    // INTO is a reserved word: in a query it can only send the rows to a
    // file or to variables on the server.
    if (HasIntoClause(sql))
        return QStringLiteral(
            "The query must return its rows: its INTO clause would send them to a file or variables on the "
            "server. Leave INTO out.");
    for (const Quoting quoting : kQuotings) {
        Lexer lexer(sql, quoting);
        while (const std::optional<Token> token = lexer.Next()) {
            if (token->piece == Piece::CodeComment)
                return QStringLiteral(
                           "Sent as text, the query may not hold a comment that the server runs as code (\"%1\"): "
                           "the check made before it is sent cannot tell what that comment would run. Write its "
                           "text outside the comment, or leave the comment out.")
                    .arg(sql.mid(token->start, token->end - token->start));
            if (token->piece == Piece::Quoted) continue;
            for (qsizetype i = token->start; i < token->end; ++i) {
                if (sql.at(i).unicode() < 0x80) continue;
                return QStringLiteral(
                           "Sent as text, the query may not hold a character beyond ASCII outside quotes (%1): the "
                           "server might read the text around it otherwise than the check made before it is sent. "
                           "Put it inside quotes ('...' for a string, `...` for a name), or leave it out.")
                    .arg(CharacterAt(sql, i));
            }
        }
    }
    return {};
}

}  // namespace db
