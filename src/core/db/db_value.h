#pragma once

#include <QByteArray>
#include <QString>

#include "db/column_info.h"

namespace db {

// One value as the server sent it: NULL, or bytes (binary-safe) with the
// column kind that tells how to read them. NULL and the empty text differ.
class DbValue {
public:
    DbValue() = default;  // NULL
    explicit DbValue(QByteArray bytes, ColumnKind kind = ColumnKind::Text)
        : null_(false), bytes_(std::move(bytes)), kind_(kind) {}
    static DbValue Null(ColumnKind kind = ColumnKind::Other) {
        DbValue v;
        v.kind_ = kind;
        return v;
    }
    static DbValue Text(const QString& text) { return DbValue(text.toUtf8()); }

    bool isNull() const { return null_; }
    const QByteArray& bytes() const { return bytes_; }
    ColumnKind kind() const { return kind_; }
    // True for binary strings and BLOBs (the binary character set).
    bool isBinary() const { return kind_ == ColumnKind::Bytes; }
    // The value as text (UTF-8 decoded); the empty text for NULL.
    QString text() const { return null_ ? QString() : QString::fromUtf8(bytes_); }

    bool operator==(const DbValue& other) const { return null_ == other.null_ && bytes_ == other.bytes_; }

private:
    bool null_ = true;
    QByteArray bytes_;
    ColumnKind kind_ = ColumnKind::Other;
};

}  // namespace db
