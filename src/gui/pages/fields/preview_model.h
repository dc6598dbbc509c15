#pragma once

#include <QAbstractTableModel>

#include <vector>

#include "db/result.h"
#include "lines/column_formatter.h"
#include "lines/value_style.h"

namespace pages {

// The preview grid's rows: a read-only table over one result held on the
// client. Headings are the column names; every value reads as the export
// will write it (the user's decimal point and dates, BIT as a number,
// binary as hexadecimal), and NULL shows as a greyed "NULL" so that it
// cannot be taken for an empty text. A text or binary value longer than
// the preview shows (db::PreviewCharacters) shows its start and "…".
class PreviewModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit PreviewModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    // Replaces the rows shown; an empty result unbinds the grid. Values are
    // written in the given style (the user's own in the wizard).
    void SetResult(db::StoredResult result, const lines::ValueStyle& style = lines::ValueStyle::FromSystem());
    const db::StoredResult& result() const { return result_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // How the value in a row and column reads in the grid.
    QString DisplayText(std::size_t row, int column) const;

private:
    db::StoredResult result_;
    std::vector<lines::ColumnFormatter> formatters_;
    std::size_t shownCharacters_ = 0;
};

}  // namespace pages
