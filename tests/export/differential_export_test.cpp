// Exported values against the server's own text, over tables, views and
// queries drawn at random: each is exported in the server's binary form and
// as text, under the C locale and a German one. The file read in binary must
// be the server's text rows joined as the file joins them, and the file that
// text rows give, byte for byte.
//
// TABLEWRIGHT_DIFFERENTIAL_SEED replays a run; TABLEWRIGHT_DIFFERENTIAL_CASES
// says how many queries to draw (and a tenth as many tables, each with a view).

#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <iostream>
#include <map>
#include <optional>
#include <random>

#include <QLocale>

#include <gtest/gtest.h>

#include "db/db_error.h"
#include "db/identifier.h"
#include "db/tls_settings.h"
#include "export_fixture.h"
#include "lines/transcoder.h"

namespace {

using Random = std::mt19937_64;

int Below(Random& random, qsizetype count) { return static_cast<int>(random() % static_cast<std::uint64_t>(count)); }
bool Chance(Random& random, int percent) { return Below(random, 100) < percent; }
template <typename List>
const auto& OneOf(Random& random, const List& list) {
    return list[Below(random, static_cast<qsizetype>(std::size(list)))];
}

// What a value stands for in an expression: I integer, R FLOAT or DOUBLE, D
// decimal, T date (with a time or not), H time, S text, B bytes, G geometry;
// as the operand wanted, also N any number, C a date or a time, A anything
// but a geometry.
bool Fits(char family, char wanted) {
    return family == wanted || (wanted == 'A' && family != 'G') || (wanted == 'N' && std::strchr("IRD", family)) ||
           (wanted == 'C' && std::strchr("TH", family));
}

// A pattern made SQL: <a|b> is either, #N a number up to N with as many
// digits as N, $N the sizes (M,D) of a number with M up to N, @ a DOUBLE
// (random bits or a short decimal).
QString Expand(Random& random, QStringView pattern) {
    QString sql;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c == u'<') {
            const qsizetype end = pattern.indexOf(u'>', i);
            sql += Expand(random, OneOf(random, pattern.sliced(i + 1, end - i - 1).split(u'|')));
            i = end;
        } else if (c == u'#' || c == u'$') {
            qsizetype end = i + 1;
            while (end < pattern.size() && pattern[end].isDigit()) ++end;
            const int m = Below(random, pattern.sliced(i + 1, end - i - 1).toInt() + 1);
            sql += c == u'#' ? QStringLiteral("%1").arg(m, static_cast<int>(end - i - 1), 10, QLatin1Char('0'))
                             : QStringLiteral("(%1,%2)").arg(m).arg(Below(random, std::min(m, 30) + 1));
            i = end - 1;
        } else if (c == u'@') {
            const double bits = std::bit_cast<double>(random());
            sql += QString::number(std::isfinite(bits) && Chance(random, 50)
                                       ? bits
                                       : static_cast<double>(Below(random, 2000000)) / std::pow(10.0, Below(random, 9)),
                                   'g', 17);
        } else {
            sql += c;
        }
    }
    return sql;
}

// A class of columns: its family, type, random value and values at its
// edges ("|" between them), where those beyond the type's range are cut to
// its extremes (the rows are inserted with sql_mode '').
const struct ColumnClass {
    const char* name;
    char family;
    const char* type;
    const char* value;
    const char* edges;
} kColumnClasses[] = {
    {"int", 'I', "<TINYINT|TINYINT|SMALLINT|MEDIUMINT|INT|BIGINT><|||(#25)><| UNSIGNED| ZEROFILL>",
     "<|-><#9|#999|#99999|#99999999|#999999999#999999999>",
     "-99999999999999999999|99999999999999999999|0|-1|1|2147483647|999999|1234567|123"},
    {"year", 'I', "YEAR", "<19|20>#99", "0|1901|2155|69|70"},
    {"date", 'T', "DATE", "'#9999-#12-#31'", "'0000-00-00'|'1000-01-01'|'9999-12-31'|'2020-00-00'|'2024-02-29'"},
    {"datetime", 'T', "DATETIME(#6)", "'#9999-#12-#31 #23:#59:#59.#999999'",
     "'0000-00-00 00:00:00'|'1000-01-01 00:00:00'|'9999-12-31 23:59:59.999999'|'2024-02-29 12:00:00.999'|"
     "'1999-12-25 00:00:00.5'|'2000-01-01 00:00:00.000001'"},
    {"timestamp", 'T', "TIMESTAMP(#6) NULL", "'<19#99|20#37>-#12-#28 #23:#59:#59.#999999'",
     "'1970-01-01 00:00:01.01'|'2038-01-19 03:14:07.999999'|'0000-00-00 00:00:00'|'2006-02-15 05:03:42.05'"},
    {"time", 'H', "TIME(#6)", "'<|->#838:#59:#59.#999999'",
     "'-838:59:59'|'838:59:59'|'-00:00:00.5'|'-100:00:00.000001'|'00:00:00'|'-00:00:00.000001'|'24:00:00'|"
     "'-01:02:03.4'|'23:59:59.9'|'100:00:00.000001'"},
    {"decimal", 'D', "DECIMAL$65<||| UNSIGNED| ZEROFILL>",
     "<|-><#9|#99999|#999999999#999999999#99>.<|#9|#99999|#999999999#999999999#999999999>",
     "1e100|-1e100|0|0.05|-0.005|1e-30|1.5|0.1|12345678901234567890.123456789012345678901234567890"},
    {"float", 'R', "<FLOAT|DOUBLE><|||$20|$255><||| UNSIGNED| ZEROFILL| UNSIGNED ZEROFILL>", "<|->@",
     "1.7976931348623157e308|1e308|-1.7976931348623157e308|4.9e-324|2.2250738585072014e-308|1e-45|3.4028234e38|"
     "-0e0|1e-7|1e-14|1e-15|1.5e-15|1e-16|0.000012345678901234567|123456789012345|1234567890123456|"
     "12345678901234567|1e15|1e16|-1e21|0.1|1/3|-2/3|999999.5|1234567.25|-0.00000000005|-1.25|1e300|1.5|0.0005"},
    {"bit", 'I', "BIT(#64)", "<#9|#999|#999999999|#999999999#999999999#9>", "b'0'|18446744073709551615|1|256"},
    {"text", 'S', "<CHAR(#255)|VARCHAR(#255)|TEXT|TINYTEXT> CHARACTER SET <latin1|utf8mb4>",
     "'<|a|a,b|\\r\\n|ä€😀|\"|''|\\t| y |x\\\\y><|,|Z|\\n|😀|0.5|-00:00:01>'",
     "''|'a,b\\r\\nc\"d'|'żółw,'|'''single'''|'tab\\there'|' y '|'😀'|CONCAT('a', REPEAT('żółw€😀', 3000))|"
     "'1e5'|'-00:00:00'|'2024-02-29'"},
    {"bytes", 'B', "<BINARY(#255)|VARBINARY(#255)|BLOB|TINYBLOB>", "X'<|00|FF|0D0A|2C><|7F|80|00FF2C>'",
     "X''|X'00FF0D0A2C'|REPEAT(X'00FF2C0A', 9000)|'text'|X'0A'"},
    {"json", 'S', "JSON", "'{\"k\": [@, \"<a|ż|,|\\\\r\\\\n>\"]}'",
     "'{}'|'{\"k\": [1, \"ż\"]}'|'null'|'[1.5e300, -0.0, \"a,b\\\\r\\\\n\"]'|'12345678901234567890'"},
    {"enum", 'S', "ENUM('a','b,c','ä')", "<'a'|'b,c'|'ä'>", "'a'|'b,c'|'ä'|''|2"},
    {"set", 'S', "SET('x','y','ß')", "<'x,y'|'ß'|#7>", "'x,y'|''|'ß'|7"},
    {"geometry", 'G', "GEOMETRY", "POINT(<|->@, @)",
     "POINT(0, 0)|POINT(-1.5, 1e300)|ST_GeomFromText('LINESTRING(0 0, 1 1)')"},
};

// Literals of their own beside the columns' values, ";" between them, each
// after its family.
const QStringList kLiterals =
    QString::fromUtf8(
        "I:TRUE;I:b'101';I:2147483647;I:4294967296;I:999999;I:-9223372036854775808;I:18446744073709551615;"
        "D:99999999999999999999999.5;D:-0.000;R:1.7976931348623157e308;R:-1e-8;T:DATE'2024-02-29';"
        "T:TIMESTAMP'1999-12-31 23:59:59.5';H:TIME'-00:00:00';H:TIME'-838:59:59.999999';H:TIME'100:00:00.5';S:'😀';"
        "S:_latin1'ä,';S:N'x';B:X'00FF';B:_binary'a\\r\\n';A:NULL")
        .split(u';');

// Expressions over rows, ";" between them; {X} stands for an operand of
// family X.
const QStringList kRowTemplates =
    QString::fromUtf8(
        // literals and arithmetic
        "{A};NULL;{N} + {N};{N} - {N};{N} * {N};{N} / {N};{N} DIV {N};{N} % {N};-{A};{A} + 0;{A} * 1e0;{A} + 0.000;"
        "ABS({N});FLOOR({N});SQRT({N});{N} / 3;{N} / 32;"
        // integer functions, some with results wider than 32 bits
        "ORD({A});PERIOD_ADD({I}, {I});PERIOD_DIFF({I}, {I});CRC32({A});LENGTH({A});BIT_COUNT({I});TO_DAYS({T});"
        "TO_SECONDS({T});TIME_TO_SEC({C});UNIX_TIMESTAMP({T});TIMESTAMPDIFF(SECOND, {T}, {T});DATEDIFF({T}, {T});"
        "EXTRACT(DAY_MICROSECOND FROM {C});YEARWEEK({T});INET_ATON({S});{A} <=> {A};LOCATE(',', {S});"
        // casts
        "CAST({A} AS SIGNED);CAST({A} AS UNSIGNED);CAST({A} AS DECIMAL(30,10));CAST({A} AS DECIMAL(65,30));"
        "CAST({A} AS DOUBLE);CAST({A} AS FLOAT);CAST({A} AS CHAR);CAST({A} AS BINARY);CAST({A} AS DATE);"
        "CAST({A} AS DATETIME(3));CAST({A} AS TIME(6));CAST({A} AS TIME);CONVERT({A}, CHAR CHARACTER SET latin1);"
        "CONVERT({A} USING utf8mb4);"
        // choices
        "IFNULL({A}, {A});COALESCE({A}, {A});CASE WHEN {A} IS NULL THEN {A} ELSE {A} END;IF({A} IS NULL, {A}, {A});"
        "NULLIF({A}, {A});GREATEST({A}, {A});IFNULL({I}, {I});GREATEST({I}, {I});"
        // dates and times
        "SEC_TO_TIME({N});SEC_TO_TIME(-{N});ADDTIME({C}, {H});TIMEDIFF({H}, {H});{T} + INTERVAL 1 DAY;"
        "DATE_ADD({C}, INTERVAL -1 SECOND);MAKETIME({I}, 59, 59.5);FROM_UNIXTIME({N});"
        "DATE_FORMAT({C}, '%Y,%m %H:%i:%s.%f');LAST_DAY({T});TIMESTAMP({A});TIME({C});MAKEDATE({I}, 60);"
        "STR_TO_DATE({A}, '%Y-%m-%d %H:%i:%s.%f');"
        // strings
        "CONCAT({A}, {A});UPPER({S});SUBSTRING({A}, 2, 3);HEX({A});QUOTE({A});REPLACE({S}, 'a', ',');LPAD({A}, 8, '0');"
        "CONCAT_WS(',', {A}, {A});FORMAT({N}, 2);FORMAT({N}, 3, 'de_DE');"
        // bits
        "{I} | {I};{N} & {N};~{A};{I} << 63;{N} >> 1;{I} ^ -1;"
        // rounding
        "ROUND({N}, 2);ROUND({N});TRUNCATE({N}, 3);ROUND({N}, -2);ROUND({N}, 30);"
        // windows, JSON, geometry
        "SUM({N}) OVER ();LAG({A}) OVER ();JSON_EXTRACT({S}, '$.k[0]');JSON_OBJECT('k', {A});JSON_ARRAY({A}, {A});"
        "JSON_VALUE({S}, '$.k[0]');JSON_QUOTE({S});ST_X({G});ST_AsText({G})")
        .split(u';');

// Aggregates, some of huge DOUBLE values beyond the largest.
const QStringList kAggregateTemplates =
    QString::fromUtf8(
        "SUM({A});AVG({A});VARIANCE({N});STD({N});VAR_SAMP({N});MIN({A});MAX({A});COUNT({A});SUM(DISTINCT {N});"
        "GROUP_CONCAT({A});BIT_XOR({I});ROUND(SUM({N}), 2);AVG({N}) * 1e0")
        .split(u';');

struct Column {
    QString name;
    const ColumnClass* of;
    QString type;
};

QString Literal(Random& random, char wanted) {
    std::vector<QString> fitting;
    for (const QString& literal : kLiterals)
        if (Fits(literal[0].toLatin1(), wanted) || literal[0] == u'A') fitting.push_back(literal.sliced(2));
    if (Chance(random, 40)) return OneOf(random, fitting);
    std::vector<const ColumnClass*> classes;
    for (const ColumnClass& c : kColumnClasses)
        if (Fits(c.family, wanted)) classes.push_back(&c);
    const ColumnClass& c = *OneOf(random, classes);
    return Chance(random, 50) ? OneOf(random, QString::fromUtf8(c.edges).split(u'|'))
                              : Expand(random, QString::fromUtf8(c.value));
}

// An expression from a template, its operands the table's columns, literals
// or other expressions.
QString Draw(Random& random, const QString& pattern, const std::vector<Column>& columns, int depth = 0) {
    QString sql;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != u'{') {
            sql += pattern[i];
            continue;
        }
        const char wanted = pattern[i + 1].toLatin1();
        i += 2;
        std::vector<const Column*> fitting;
        for (const Column& column : columns)
            if (Fits(column.of->family, wanted)) fitting.push_back(&column);
        if (wanted == 'A' && depth < 2 && Chance(random, 20))
            sql += QLatin1Char('(') + Draw(random, OneOf(random, kRowTemplates), columns, depth + 1) + QLatin1Char(')');
        else if (!fitting.empty() && Chance(random, 70))
            sql += db::QuoteIdentifier(OneOf(random, fitting)->name);
        else
            sql += Literal(random, wanted);
    }
    return sql;
}

// A table, a view or a query to export.
struct Case {
    QString table;  // a table's or a view's; empty for a query
    QStringList fields;
    QString query;
    QStringList notes;  // each column's type or expression
    QStringList keys;   // each column's class or template: differences are told apart by it

    QString Sql() const {
        return table.isEmpty() ? query
                               : QStringLiteral("SELECT %1 FROM %2")
                                     .arg(db::QuoteIdentifierList(fields), db::QuoteIdentifier(table));
    }
    void Add(const QString& field, const QString& note, const QString& key) {
        fields += field;
        notes += note;
        keys += key;
    }
};

// A table (the first with two columns of each class) whose first rows hold
// the edges of its columns, one each, the others random values, edges and
// NULLs, the last only NULLs; and a view over it with some of its columns and
// expressions, which the server may refuse.
struct Table {
    std::vector<Column> columns;
    Case table, view;
    QStringList statements;
};
Table DrawTable(Random& random, int number) {
    Table t;
    const int count = number == 0 ? 2 * static_cast<int>(std::size(kColumnClasses)) : 3 + Below(random, 12);
    t.table.table = QStringLiteral("t%1").arg(number);
    QStringList definitions, rows;
    for (int i = 0; i < count; ++i) {
        const ColumnClass& of =
            number == 0 ? kColumnClasses[i % std::size(kColumnClasses)] : OneOf(random, kColumnClasses);
        t.columns.push_back({QStringLiteral("%1_%2").arg(QLatin1String(of.name)).arg(i), &of,
                             Expand(random, QString::fromUtf8(of.type))});
        definitions += t.columns.back().name + QLatin1Char(' ') + t.columns.back().type;
        t.table.Add(t.columns.back().name, t.columns.back().type, QLatin1String(of.name));
    }
    for (int row = 30 + Below(random, 10); row >= 0; --row) {
        QStringList values;
        for (const Column& column : t.columns) {
            const QStringList edges = QString::fromUtf8(column.of->edges).split(u'|');
            const int edge = static_cast<int>(rows.size());
            if (row == 0 || (edge >= edges.size() && Chance(random, 10)))
                values += QStringLiteral("NULL");
            else if (edge < edges.size() || Chance(random, 20))
                values += edge < edges.size() ? edges[edge] : OneOf(random, edges);
            else
                values += Expand(random, QString::fromUtf8(column.of->value));
        }
        rows += QLatin1Char('(') + values.join(QStringLiteral(", ")) + QLatin1Char(')');
    }
    t.view.table = QLatin1Char('v') + t.table.table;
    QStringList selected;
    for (int i = Below(random, 3); i >= 0; --i) {
        const Column& column = OneOf(random, t.columns);
        if (t.view.fields.contains(column.name)) continue;
        selected += db::QuoteIdentifier(column.name);
        t.view.Add(column.name, column.type, QLatin1String(column.of->name));
    }
    for (int i = 0; i <= Below(random, 3); ++i) {
        // A window's rows come in no order that the two protocols share.
        QString pattern, sql;
        do sql = Draw(random, pattern = OneOf(random, kRowTemplates), t.columns);
        while (sql.contains(QLatin1String(" OVER (")));
        selected += sql + QStringLiteral(" AS x%1").arg(i);
        t.view.Add(QStringLiteral("x%1").arg(i), sql, QStringLiteral("view: ") + pattern);
    }
    t.statements = {QStringLiteral("CREATE TABLE %1 (%2)").arg(t.table.table, definitions.join(QStringLiteral(", "))),
                    QStringLiteral("INSERT INTO %1 VALUES %2").arg(t.table.table, rows.join(QStringLiteral(", "))),
                    QStringLiteral("CREATE VIEW %1 AS SELECT %2 FROM %3")
                        .arg(t.view.table, selected.join(QStringLiteral(", ")), t.table.table)};
    return t;
}

// Expressions over a table's rows, without a table, aggregates over a table,
// or a UNION of two tables' rows; some read through a derived table or WITH.
Case DrawQuery(Random& random, const std::vector<Table>& tables) {
    const int shape = Below(random, 10);
    const Table& table = OneOf(random, tables);
    const Table& other = OneOf(random, tables);
    const std::vector<Column> none;
    Case c;
    QStringList selected, second;
    const int count = 1 + Below(random, 4);
    for (int i = 0; i < count; ++i) {
        const QString& pattern = OneOf(random, shape == 1 ? kAggregateTemplates : kRowTemplates);
        selected += Draw(random, pattern, shape == 0 ? none : table.columns);
        c.Add(QStringLiteral("c%1").arg(i), selected.back(), pattern);
        selected.back() += QStringLiteral(" AS c%1").arg(i);
        if (shape != 2) continue;
        const QString& more = OneOf(random, kRowTemplates);
        second += Draw(random, more, other.columns);
        c.notes.back() += QStringLiteral(" | ") + second.back();
        c.keys.back() += QStringLiteral(" | ") + more;
    }
    c.query = QStringLiteral("SELECT ") + selected.join(QStringLiteral(", "));
    if (shape != 0) c.query += QStringLiteral(" FROM ") + table.table.table;
    if (shape == 2)
        c.query +=
            QStringLiteral(" UNION ALL SELECT %1 FROM %2").arg(second.join(QStringLiteral(", ")), other.table.table);
    if (Chance(random, 15))
        c.query = (Chance(random, 50) ? QStringLiteral("SELECT * FROM (%1) AS d")
                                      : QStringLiteral("WITH w AS (%1) SELECT * FROM w"))
                      .arg(c.query);
    // A window's rows come in no order that the two protocols share.
    if (c.query.contains(QLatin1String(" OVER ("))) {
        c.query += QStringLiteral(" ORDER BY 1");
        for (int i = 2; i <= count; ++i) c.query += QStringLiteral(", %1").arg(i);
    }
    return c;
}

// The server's text rows as the file writes them under the C locale: binary
// values in hex, BIT values as numbers, NULL empty; and where each value
// starts, with its column.
struct ServerFile {
    QByteArray file;
    std::vector<std::pair<qsizetype, int>> starts;
    std::vector<db::ColumnInfo> columns;
};
ServerFile FileOf(const db::StoredResult& rows) {
    ServerFile text{{}, {}, rows.columns()};
    for (int i = 0; i < rows.fieldCount(); ++i) text.file += (i == 0 ? "" : ",") + rows.column(i).name.toUtf8();
    for (std::size_t row = 0; row < rows.rowCount(); ++row) {
        text.file += "\r\n";
        for (int i = 0; i < rows.fieldCount(); ++i) {
            if (i != 0) text.file += ',';
            text.starts.emplace_back(text.file.size(), i);
            const db::DbValue& value = rows.value(row, i);
            std::uint64_t bits = 0;  // a BIT value's bytes, most significant first
            for (const char byte : value.bytes()) bits = (bits << 8) | static_cast<unsigned char>(byte);
            if (value.isNull()) continue;
            if (value.kind() == db::ColumnKind::Bytes)
                text.file += "0x" + value.bytes().toHex().toUpper();
            else
                text.file += value.kind() == db::ColumnKind::Bit ? QByteArray::number(bits) : value.bytes();
        }
    }
    text.file += "\r\n\r\n";
    return text;
}

struct Exported {
    QByteArray file;
    QString how, failure;
    lines::SplitProblems split;
};

// The line around `at`, control bytes escaped.
QString LineAt(const QByteArray& file, qsizetype at) {
    const qsizetype start = std::max(file.lastIndexOf('\n', at - 1) + 1, at - 60);
    const qsizetype end = file.indexOf("\r\n", at);
    QByteArray line;
    for (const char byte : file.mid(start, std::min(end < 0 ? file.size() : end, at + 60) - start)) {
        const auto u = static_cast<unsigned char>(byte);
        line += u >= 0x20 && u != 0x7F ? QByteArray(1, byte) : QByteArray("\\x") + QByteArray::number(u, 16);
    }
    return QString::fromUtf8(line);
}

// The column of the value at `at` in a file whose values hold no ";", which
// ends each separator: after the last ";" of a line, the line's last value or
// the next one's first.
int ColumnAt(const QByteArray& file, qsizetype at, int columns) {
    if (columns == 1) return 0;
    const qsizetype before = file.first(at).count(';');
    if (before % (columns - 1) != 0 || before == 0) return static_cast<int>(before % (columns - 1));
    const qsizetype lineEnd = file.indexOf("\r\n", file.lastIndexOf(';', at - 1));
    return lineEnd >= 0 && lineEnd < at ? 0 : columns - 1;
}

// While it lives, connections check the test server's certificate against
// the authority that issued it: the connector then spares itself reading the
// system's authorities, most of an export's time otherwise.
struct ServersOwnAuthority {
    ServersOwnAuthority() {
        db::TlsSettings own = before;
        own.ca = qEnvironmentVariable("TABLEWRIGHT_TEST_CA");
        if (!own.ca.isEmpty()) db::SetProcessTlsSettings(own);
    }
    ~ServersOwnAuthority() { db::SetProcessTlsSettings(before); }
    const db::TlsSettings before = db::ProcessTlsSettings();
};

const char* KindName(db::ColumnKind kind) {
    static const char* const names[] = {"Integer", "Year", "Decimal", "Float", "Date", "DateTime",
                                        "Time",    "Bit",  "Text",    "Bytes", "Other"};
    return names[static_cast<int>(kind)];
}

}  // namespace

TEST(DifferentialExport, RowsReadInBinaryWriteTheServersText) {
    TW_REQUIRE_SERVER();
    const QByteArray seedText = qgetenv("TABLEWRIGHT_DIFFERENTIAL_SEED");
    const std::uint64_t seed = seedText.isEmpty() ? std::random_device()() : seedText.toULongLong();
    const int asked = qEnvironmentVariableIntValue("TABLEWRIGHT_DIFFERENTIAL_CASES");
    const int queries = asked > 0 ? asked : 300;
    const QString replay =
        QStringLiteral("TABLEWRIGHT_DIFFERENTIAL_SEED=%1 TABLEWRIGHT_DIFFERENTIAL_CASES=%2").arg(seed).arg(queries);
    SCOPED_TRACE(replay.toStdString());
    Random random(seed);
    const ServersOwnAuthority authority;
    testing_support::ScratchDatabase db;
    std::vector<Table> tables;
    std::vector<Case> cases;
    db::Connection filling = db.Connect();
    filling.Execute(QStringLiteral("SET SESSION sql_mode = ''"));
    for (int i = 0; i < std::max(2, queries / 10); ++i) {
        tables.push_back(DrawTable(random, i));
        filling.Execute(tables.back().statements[0]);
        filling.Execute(tables.back().statements[1]);
        cases.push_back(tables.back().table);
        try {
            filling.Execute(tables.back().statements[2]);
            cases.push_back(tables.back().view);
        } catch (const db::DbError&) {  // an expression the server refuses
        }
    }
    for (int i = 0; i < queries; ++i) cases.push_back(DrawQuery(random, tables));

    // What the server writes as text; a statement it refuses is left out.
    std::vector<ServerFile> server;
    std::vector<Case> kept;
    db::Connection connection = db.Connect();
    for (Case& c : cases) {
        try {
            server.push_back(FileOf(connection.Query(c.Sql())));
            kept.push_back(std::move(c));
        } catch (const db::DbError&) {
        }
    }
    EXPECT_LT(cases.size() - kept.size(), cases.size() / 4) << "the server refuses too many statements";
    const std::size_t refused = cases.size() - kept.size();
    cases = std::move(kept);

    // Every export in binary first, then every one as text. The German
    // separator starts with a digit, so that the numbers are looked at for
    // it, and ends with ";", which no value holds, to find a value's column.
    const QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/out.txt");
    const lines::ValueStyle german = lines::ValueStyle::FromLocale(QLocale(QLocale::German, QLocale::Germany));
    const lines::ValueStyle styles[] = {lines::ValueStyle::Plain(), german,
                                        german.InCharacterSet(lines::Transcoder::ForCharacterSet("ISO-8859-1"))};
    std::vector<std::array<Exported, 4>> exported(cases.size());  // binary, text; each plain, German
    {
        const export_testing::PreparedStatementsTurn turn(db);
        std::optional<export_testing::NoPreparedStatements> refusal;
        for (int text = 0; text < 2; ++text) {
            if (text == 1) refusal.emplace(db);
            for (std::size_t i = 0; i < cases.size(); ++i) {
                for (int regional = 0; regional < 2; ++regional) {
                    exporter::ExportRequest request =
                        export_testing::RequestFor(db, cases[i].table, cases[i].fields, path);
                    request.query = cases[i].query;
                    request.separator = regional ? QStringLiteral("0;") : QStringLiteral(",");
                    export_testing::PathMonitor monitor;
                    const exporter::ExportOutcome outcome =
                        exporter::ExportToFile(request, styles[regional ? 1 + i % 2 : 0], monitor);
                    exported[i][2 * text + regional] = {
                        outcome.written() ? export_testing::ReadFile(path) : QByteArray(), monitor.how_,
                        outcome.written() ? QString() : outcome.description, outcome.splitProblems};
                }
            }
        }
    }

    // One failure for each kind of difference, with the first case of it.
    std::map<QString, std::pair<QString, int>> differences;
    std::size_t binary = 0;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        const std::array<Exported, 4>& e = exported[i];
        binary += e[0].how == QStringLiteral("in the server's binary form");
        if (c.table.startsWith(QLatin1Char('t'))) {
            EXPECT_EQ(e[0].how, QStringLiteral("in the server's binary form")) << c.Sql().toStdString();
        }
        EXPECT_TRUE(e[2].how.startsWith(QStringLiteral("as text (the statement could not be prepared: ")))
            << e[2].how.toStdString();
        const struct {
            const char* what;
            const Exported& binary;
            const QByteArray& other;
            const Exported* text;
        } comparisons[] = {
            {"binary rows against the server's text", e[0], server[i].file, nullptr},
            {"binary rows against text rows", e[0], e[2].file, &e[2]},
            {"binary rows against text rows, German", e[1], e[3].file, &e[3]},
        };
        for (const auto& [what, binaryRows, other, textRows] : comparisons) {
            const QString failure = binaryRows.failure + (textRows ? textRows->failure : QString());
            qsizetype at = 0;
            while (at < binaryRows.file.size() && at < other.size() && binaryRows.file[at] == other[at]) ++at;
            const bool same = at == other.size() && at == binaryRows.file.size();
            const bool countsDiffer =
                textRows && (binaryRows.split.valuesWithSeparator != textRows->split.valuesWithSeparator ||
                             binaryRows.split.valuesWithLineBreak != textRows->split.valuesWithLineBreak);
            if (same && failure.isEmpty() && !countsDiffer) continue;
            int column = -1;
            if (textRows == &e[3])
                column = ColumnAt(other, at, static_cast<int>(server[i].columns.size()));
            else
                for (const auto& [start, of] : server[i].starts) column = start <= at ? of : column;
            QString key = QLatin1String(what);
            QString message =
                QStringLiteral("%1 (%2)\n SQL: %3\n read as: %4").arg(key, replay, c.Sql(), binaryRows.how);
            if (!failure.isEmpty()) {
                key += QStringLiteral(" failed");
                message += QStringLiteral("\n failed: ") + failure;
            } else if (same) {
                key += QStringLiteral(" split counts");
                message += QStringLiteral("\n the values that break lines are counted differently");
            } else if (column >= 0) {
                const db::ColumnInfo& info = server[i].columns[static_cast<std::size_t>(column)];
                const QString kind = QLatin1String(KindName(info.kind)) +
                                     QLatin1String(info.isUnsigned ? " unsigned" : "") +
                                     QLatin1String(info.zeroFill ? " zerofill" : "");
                key += QStringLiteral(" %1 %2").arg(c.keys[column], kind);
                message += QStringLiteral("\n column %1 (%2): %3, width %4, decimals %5")
                               .arg(info.name, c.notes[column], kind)
                               .arg(info.displayWidth)
                               .arg(info.decimals);
            }
            if (!same)
                message += QStringLiteral("\n binary: %1\n %2%3")
                               .arg(LineAt(binaryRows.file, at), QLatin1String(textRows ? "text:   " : "server: "),
                                    LineAt(other, at));
            auto& [first, count] = differences[key];
            if (count++ == 0) first = message;
            break;
        }
    }
    for (const auto& [key, difference] : differences)
        ADD_FAILURE() << difference.first.toStdString() << "\n (" << difference.second << " cases like it)";
    std::cout << cases.size() << " cases (" << refused << " refused by the server), " << binary << " read in binary; "
              << replay.toStdString() << "\n";
}
