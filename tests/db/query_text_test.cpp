#include <gtest/gtest.h>

#include "db/query_text.h"

namespace {

const char* const kRunsAsCode = "a comment that the server runs as code";
const char* const kInto = "its INTO clause";

}  // namespace

// The query's text read as the server's lexer reads it: what it begins
// with, whether INTO stands in it, and what the text protocol refuses.
TEST(QueryText, ReadsTheTextAsTheServerDoes) {
    struct Case {
        const char* sql;
        const char* firstWord;  // a part of the refusal, or nullptr
        bool into;
        const char* asText;  // a part of the refusal, or nullptr
    };
    const Case cases[] = {
        {"SELECT 'INTO', \"into\", `into`, 'it''s into' FROM t", nullptr, false, nullptr},
        {"SELECT 1 AS intoo, 1into, 0x1F -- INTO", nullptr, false, nullptr},
        {"/* c */ -- line\n# hash INTO\n (SELECT 1 /* into */)", nullptr, false, nullptr},
        {"WITH x AS (SELECT 1) SELECT * FROM x", nullptr, false, nullptr},
        {"values (1), (2)", nullptr, false, nullptr},
        {"TABLE t", nullptr, false, nullptr},  // the server says whether it has it
        {"SELECT 'Grüße', \"naïve\", `straße` -- \tINTO\n", nullptr, false, nullptr},
        {"SELECT 1 --\x7fINTO", nullptr, false, nullptr},
        {"select 1 into @x", nullptr, true, kInto},
        // A backslash escapes, or not, or only in '...' (ANSI_QUOTES).
        {"SELECT 'a\\' INTO @x -- '", nullptr, true, kInto},
        {"SELECT \"a\\\" INTO @x -- \"", nullptr, true, kInto},
        {"SELECT '\\'' \"\\\" INTO OUTFILE '/f'", nullptr, true, kInto},
        // A number ends before a word; "\N" is NULL.
        {"SELECT 1.5INTO OUTFILE '/f'", nullptr, true, kInto},
        {"SELECT .5INTO OUTFILE '/f'", nullptr, true, kInto},
        {"SELECT 1.INTO OUTFILE '/f'", nullptr, true, kInto},
        {"SELECT 1e1INTO OUTFILE '/f'", nullptr, true, kInto},
        {"SELECT 1E+1INTO OUTFILE '/f'", nullptr, true, kInto},
        {"SELECT \\NINTO OUTFILE '/f'", nullptr, true, kInto},
        // Code in comments; the version digits are no part of the word.
        {"SELECT 1 /*!50000INTO OUTFILE '/f'*/", nullptr, true, kInto},
        {"SELECT 1 /*M!100000INTO OUTFILE '/f'*/", nullptr, true, kInto},
        {"SELECT 1 /*!INTO @x*/", nullptr, true, kInto},
        {"SELECT 1 /*!99999 /* x */ INTO OUTFILE '/f' */", nullptr, true, kInto},
        {"SELECT 1 /*!50000 AS a */", nullptr, false, "(\"/*!50000\")"},
        {"/*!DELETE FROM t*/ SELECT 1", kRunsAsCode, false, "(\"/*!\")"},
        {"/*M!100000 DELETE FROM t */ SELECT 1", kRunsAsCode, false, "(\"/*M!100000\")"},
        // "--" before a blank beyond ASCII is two minus signs, and code.
        {"SELECT 1 --\u0085 FROM (SELECT 2 AS `\u0085`) t INTO OUTFILE '/f'", nullptr, true, kInto},
        {"SELECT 1 --\u00a0 FROM (SELECT 2 AS `\u00a0`) t INTO OUTFILE '/f'", nullptr, true, kInto},
        {"SELECT 1 --\u2028 FROM (SELECT 2 AS `\u2028`) t INTO OUTFILE '/f'", nullptr, true, kInto},
        {"SELECT 1 --\u00a0 x", nullptr, false, "(U+00A0, character 12)"},
        {"SELECT 2 AS 😀, 1 AS größe", nullptr, false, "(U+1F600, character 13)"},
        {"--\u00a0\nSELECT 1", "it begins with \"--\u00a0\"", false, "(U+00A0, character 3)"},
        {"ANALYZE TABLE t", "it begins with \"ANALYZE\"", false, nullptr},
        {"/* nothing */ -- at all\n", "holds no statement", false, nullptr},
    };
    for (const Case& c : cases) {
        const QString sql = QString::fromUtf8(c.sql);
        const QString firstWord = db::QueryTextProblem(sql);
        const QString asText = db::QueryAsTextProblem(sql);
        EXPECT_EQ(firstWord.isEmpty(), c.firstWord == nullptr) << c.sql << '\n' << firstWord.toStdString();
        if (c.firstWord != nullptr) {
            EXPECT_TRUE(firstWord.contains(QString::fromUtf8(c.firstWord))) << c.sql;
        }
        EXPECT_EQ(db::HasIntoClause(sql), c.into) << c.sql;
        EXPECT_EQ(asText.isEmpty(), c.asText == nullptr) << c.sql << '\n' << asText.toStdString();
        if (c.asText != nullptr) {
            EXPECT_TRUE(asText.contains(QString::fromUtf8(c.asText))) << asText.toStdString();
        }
    }
}
