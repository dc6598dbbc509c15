#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <mysql.h>

namespace db {

// One value as the server sent it: NULL, or bytes (binary-safe) with the
// column type that tells how to read them. NULL and the empty text differ.
class DbValue {
public:
    DbValue() = default;  // NULL
    DbValue(QByteArray bytes, enum_field_types type = MYSQL_TYPE_VAR_STRING, bool binary = false)
        : null_(false), bytes_(std::move(bytes)), type_(type), binary_(binary) {}
    static DbValue Null(enum_field_types type = MYSQL_TYPE_NULL) {
        DbValue v;
        v.type_ = type;
        return v;
    }
    static DbValue Text(const QString& text) { return DbValue(text.toUtf8()); }

    bool isNull() const { return null_; }
    const QByteArray& bytes() const { return bytes_; }
    enum_field_types type() const { return type_; }
    // True for binary strings and BLOBs (the binary character set).
    bool isBinary() const { return binary_; }
    // The value as text (UTF-8 decoded); the empty text for NULL.
    QString text() const { return null_ ? QString() : QString::fromUtf8(bytes_); }

    bool operator==(const DbValue& other) const { return null_ == other.null_ && bytes_ == other.bytes_; }

private:
    bool null_ = true;
    QByteArray bytes_;
    enum_field_types type_ = MYSQL_TYPE_NULL;
    bool binary_ = false;
};

// What a result says about one of its columns.
struct ColumnInfo {
    QString name;
    enum_field_types type = MYSQL_TYPE_NULL;
    unsigned flags = 0;
    unsigned charsetNumber = 0;
    unsigned decimals = 0;

    // Character and byte strings: CHAR, VARCHAR, TEXT, BLOB, ENUM, SET,
    // JSON and GEOMETRY values.
    bool isString() const;
    // Binary strings and BLOBs: strings in the binary character set (63).
    bool isBinary() const { return isString() && charsetNumber == 63; }
};

}  // namespace db
