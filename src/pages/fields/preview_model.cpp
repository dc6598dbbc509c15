#include "pages/fields/preview_model.h"

#include <QBrush>
#include <QPalette>

namespace pages {

void PreviewModel::SetResult(db::StoredResult result) {
    beginResetModel();
    result_ = std::move(result);
    endResetModel();
}

int PreviewModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(result_.rowCount());
}

int PreviewModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : result_.fieldCount();
}

QString PreviewModel::DisplayText(const db::DbValue& value) {
    if (value.isNull()) return QStringLiteral("NULL");
    if (value.isBinary()) return QStringLiteral("0x") + QString::fromLatin1(value.bytes().toHex().toUpper());
    return value.text();
}

QVariant PreviewModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return QVariant();
    const db::DbValue& value = result_.value(static_cast<std::size_t>(index.row()), index.column());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return DisplayText(value);
    case Qt::ForegroundRole:
        if (value.isNull()) return QBrush(QPalette().color(QPalette::Disabled, QPalette::Text));
        return QVariant();
    default:
        return QVariant();
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
