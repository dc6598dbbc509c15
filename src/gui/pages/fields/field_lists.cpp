#include "pages/fields/field_lists.h"

#include <memory>

#include <QListWidget>

#include "db/identifier.h"

namespace pages {

int SelectedRow(const QListWidget* list) {
    const QListWidgetItem* current = list->currentItem();
    return current != nullptr && current->isSelected() ? list->row(current) : -1;
}

void RemoveEntry(QListWidget* list, int row) {
    const bool wasSelected = list->item(row)->isSelected();
    const std::unique_ptr<QListWidgetItem> item(list->takeItem(row));
    // The list box would select the next entry in its place; a removed
    // selection leaves nothing selected.
    if (wasSelected) {
        list->setCurrentRow(-1);
        list->clearSelection();
    }
}

bool MoveSelectedEntry(QListWidget* from, QListWidget* to) {
    const int row = SelectedRow(from);
    if (row < 0) return false;
    to->addItem(from->item(row)->text());
    RemoveEntry(from, row);
    return true;
}

void MoveAllEntries(QListWidget* from, QListWidget* to) {
    to->addItems(EntryTexts(from));
    from->clear();
}

QStringList EntryTexts(const QListWidget* list) {
    QStringList texts;
    texts.reserve(list->count());
    for (int i = 0; i < list->count(); ++i) texts.append(list->item(i)->text());
    return texts;
}

QString BuildFieldListText(const QStringList& names) { return db::QuoteIdentifierList(names); }

}  // namespace pages
