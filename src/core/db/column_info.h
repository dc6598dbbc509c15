#pragma once

#include <QString>

namespace db {

// What a column holds, as far as writing its values as text goes. The
// connector's many type codes are reduced to these once, in the database
// layer, so that nothing above it depends on the connector.
enum class ColumnKind : unsigned char {
    Integer,   // TINYINT to BIGINT, signed or UNSIGNED
    Year,      // YEAR
    Decimal,   // DECIMAL: the server's digits
    Float,     // FLOAT and DOUBLE
    Date,      // DATE
    DateTime,  // DATETIME and TIMESTAMP
    Time,      // TIME, also negative or beyond 24 hours
    Bit,       // BIT: the value's bytes, most significant first
    Text,      // character strings, ENUM, SET, JSON
    Bytes,     // binary strings, BLOBs and geometry (the binary character set)
    Other,     // the NULL literal and types the program does not know
};

// What a result says about one of its columns.
struct ColumnInfo {
    QString name;
    ColumnKind kind = ColumnKind::Other;
    bool isUnsigned = false;
    // ZEROFILL: numbers are padded with zeros to the display width.
    bool zeroFill = false;
    unsigned displayWidth = 0;
    // Fractional digits of a time, DATETIME or TIMESTAMP, or of a number;
    // kFloatingDecimals for a FLOAT or DOUBLE without a fixed count.
    unsigned decimals = 0;
    // FLOAT rather than DOUBLE.
    bool singlePrecision = false;
    // How many bits an integer's binary form carries: 8 to 64 (a MEDIUMINT
    // travels in 32). The server declares a computed column's width from
    // its expression, and some expressions (ORD() of a four-byte character,
    // PERIOD_ADD) give values wider than they declare.
    unsigned char integerBits = 0;
    // Not a column stored in a table: an expression, a computed column of a
    // view or derived table, a column of a UNION. Only stored values are
    // known to fit the type the server declares.
    bool computed = false;

    static constexpr unsigned kFloatingDecimals = 31;

    bool isString() const { return kind == ColumnKind::Text || kind == ColumnKind::Bytes; }
    bool isBinary() const { return kind == ColumnKind::Bytes; }
};

}  // namespace db
