#pragma once

#include <QString>
#include <QStringList>

class QListWidget;

namespace pages {

// The entry a person has selected in a single-selection list, or -1.
int SelectedRow(const QListWidget* list);

// Removes an entry. When it was the selected one, nothing stays selected.
void RemoveEntry(QListWidget* list, int row);

// Moves the selected entry of `from` to the end of `to`; nothing stays
// selected in `from`. False, and nothing moved, when no entry is selected.
bool MoveSelectedEntry(QListWidget* from, QListWidget* to);

// Appends every entry of `from`, in order, to the end of `to` and empties `from`.
void MoveAllEntries(QListWidget* from, QListWidget* to);

QStringList EntryTexts(const QListWidget* list);

// The column list of the export query: each name quoted, joined by ", ".
// "id", "name" give "`id`, `name`".
QString BuildFieldListText(const QStringList& names);

}  // namespace pages
