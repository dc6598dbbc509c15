#include "pages/fields/preview_model.h"

#include <algorithm>

#include <QBrush>
#include <QPalette>

#include "db/table_queries.h"

namespace pages {

namespace {

// How many of a value's bytes hold its first `characters` characters (UTF-8
// as the connection sends text; a byte each in a binary string). Looks at no
// more than those, so a long value costs no more than a short one.
std::size_t PrefixBytes(const QByteArray& value, std::size_t characters, bool binary) {
    const auto length = static_cast<std::size_t>(value.size());
    if (binary) return std::min(length, characters);
    std::size_t seen = 0;
    for (std::size_t i = 0; i < length; ++i) {
        const bool starts = (static_cast<unsigned char>(value[static_cast<qsizetype>(i)]) & 0xC0) != 0x80;
        if (starts && seen++ == characters) return i;
    }
    return length;
}

}  // namespace

void PreviewModel::SetResult(db::StoredResult result, const lines::ValueStyle& style) {
    beginResetModel();
    result_ = std::move(result);
    formatters_.clear();
    for (const db::ColumnInfo& column : result_.columns()) formatters_.emplace_back(column, style);
    shownCharacters_ = db::PreviewCharacters(result_.columns());
    endResetModel();
}

int PreviewModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(result_.rowCount());
}

int PreviewModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : result_.fieldCount(); }

QString PreviewModel::DisplayText(std::size_t row, int column) const {
    const db::DbValue& value = result_.value(row, column);
    if (value.isNull()) return QStringLiteral("NULL");
    const db::ColumnInfo& info = result_.column(column);
    const std::size_t length = static_cast<std::size_t>(value.bytes().size());
    const std::size_t shown = info.isString() ? PrefixBytes(value.bytes(), shownCharacters_, info.isBinary()) : length;
    lines::OutputBuffer text(shown * 2 + 16);
    formatters_[static_cast<std::size_t>(column)].Append(text, value.bytes().constData(), shown);
    QString display = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    if (shown < length) display += QChar(0x2026);  // "…"
    return display;
}

QVariant PreviewModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return QVariant();
    const auto row = static_cast<std::size_t>(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole: return DisplayText(row, index.column());
    case Qt::ForegroundRole:
        if (result_.value(row, index.column()).isNull())
            return QBrush(QPalette().color(QPalette::Disabled, QPalette::Text));
        return QVariant();
    default: return QVariant();
    }
}

QVariant PreviewModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return QVariant();
    if (orientation == Qt::Horizontal) {
        if (section < 0 || section >= result_.fieldCount()) return QVariant();
        return result_.column(section).name;
    }
    return section + 1;
}

Qt::ItemFlags PreviewModel::flags(const QModelIndex& index) const {
    return index.isValid() ? (Qt::ItemIsEnabled | Qt::ItemIsSelectable) : Qt::NoItemFlags;
}

}  // namespace pages
