#include "db/connector_columns.h"

namespace db {
namespace {

constexpr unsigned kBinaryCharset = 63;

ColumnKind KindOf(const MYSQL_FIELD& field) {
    switch (field.type) {
    case MYSQL_TYPE_TINY:
    case MYSQL_TYPE_SHORT:
    case MYSQL_TYPE_INT24:
    case MYSQL_TYPE_LONG:
    case MYSQL_TYPE_LONGLONG: return ColumnKind::Integer;
    case MYSQL_TYPE_YEAR: return ColumnKind::Year;
    case MYSQL_TYPE_DECIMAL:
    case MYSQL_TYPE_NEWDECIMAL: return ColumnKind::Decimal;
    case MYSQL_TYPE_FLOAT:
    case MYSQL_TYPE_DOUBLE: return ColumnKind::Float;
    case MYSQL_TYPE_DATE:
    case MYSQL_TYPE_NEWDATE: return ColumnKind::Date;
    case MYSQL_TYPE_DATETIME:
    case MYSQL_TYPE_DATETIME2:
    case MYSQL_TYPE_TIMESTAMP:
    case MYSQL_TYPE_TIMESTAMP2: return ColumnKind::DateTime;
    case MYSQL_TYPE_TIME:
    case MYSQL_TYPE_TIME2: return ColumnKind::Time;
    case MYSQL_TYPE_BIT: return ColumnKind::Bit;
    case MYSQL_TYPE_STRING:
    case MYSQL_TYPE_VAR_STRING:
    case MYSQL_TYPE_VARCHAR:
    case MYSQL_TYPE_BLOB:
    case MYSQL_TYPE_TINY_BLOB:
    case MYSQL_TYPE_MEDIUM_BLOB:
    case MYSQL_TYPE_LONG_BLOB:
    case MYSQL_TYPE_ENUM:
    case MYSQL_TYPE_SET:
    case MYSQL_TYPE_JSON:
    case MYSQL_TYPE_GEOMETRY: return field.charsetnr == kBinaryCharset ? ColumnKind::Bytes : ColumnKind::Text;
    default: return ColumnKind::Other;
    }
}

unsigned char IntegerBits(enum_field_types type) {
    switch (type) {
    case MYSQL_TYPE_TINY: return 8;
    case MYSQL_TYPE_SHORT: return 16;
    case MYSQL_TYPE_INT24:
    case MYSQL_TYPE_LONG: return 32;
    case MYSQL_TYPE_LONGLONG: return 64;
    default: return 0;
    }
}

}  // namespace

ColumnInfo DescribeColumn(const MYSQL_FIELD& field) {
    ColumnInfo column;
    column.name = QString::fromUtf8(field.name, static_cast<qsizetype>(field.name_length));
    column.kind = KindOf(field);
    column.isUnsigned = (field.flags & UNSIGNED_FLAG) != 0;
    column.zeroFill = (field.flags & ZEROFILL_FLAG) != 0;
    column.displayWidth = static_cast<unsigned>(field.length);
    column.decimals = field.decimals;
    column.singlePrecision = field.type == MYSQL_TYPE_FLOAT;
    column.integerBits = IntegerBits(field.type);
    // The server names the database only of a column that a table stores,
    // also when a view or a derived table passes it on unchanged.
    column.computed = field.db == nullptr || field.db_length == 0;
    return column;
}

std::vector<ColumnInfo> ReadColumns(MYSQL_RES* res) {
    std::vector<ColumnInfo> columns;
    const unsigned count = mysql_num_fields(res);
    const MYSQL_FIELD* fields = mysql_fetch_fields(res);
    columns.reserve(count);
    for (unsigned i = 0; i < count; ++i) columns.push_back(DescribeColumn(fields[i]));
    return columns;
}

}  // namespace db
