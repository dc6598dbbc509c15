#pragma once

#include <QAbstractTableModel>

#include "db/result.h"

namespace pages {

// The preview grid's rows: a read-only table over one result held on the
// client. Headings are the column names; NULL shows as a greyed "NULL" so it
// cannot be taken for an empty text; binary values show as hexadecimal.
class PreviewModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit PreviewModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    // Replaces the rows shown; an empty result unbinds the grid.
    void SetResult(db::StoredResult result);
    const db::StoredResult& result() const { return result_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // How one value reads in the grid.
    static QString DisplayText(const db::DbValue& value);

private:
    db::StoredResult result_;
};

}  // namespace pages
