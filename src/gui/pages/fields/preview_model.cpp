#include "pages/fields/preview_model.h"

#include <QBrush>
#include <QPalette>

namespace pages {

void PreviewModel::SetResult(db::StoredResult result, const exporter::ValueStyle& style) {
    beginResetModel();
    result_ = std::move(result);
    formatters_.clear();
    for (const db::ColumnInfo& column : result_.columns()) formatters_.emplace_back(column, style);
    endResetModel();
}

int PreviewModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(result_.rowCount());
}

int PreviewModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : result_.fieldCount(); }

QString PreviewModel::DisplayText(std::size_t row, int column) const {
    const db::DbValue& value = result_.value(row, column);
    if (value.isNull()) return QStringLiteral("NULL");
    exporter::OutputBuffer text(static_cast<std::size_t>(value.bytes().size()) + 16);
    formatters_[static_cast<std::size_t>(column)].Append(text, value.bytes().constData(),
                                                         static_cast<std::size_t>(value.bytes().size()));
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
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
