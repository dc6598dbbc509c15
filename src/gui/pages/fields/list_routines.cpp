#include "pages/fields/list_routines.h"

#include <QListWidget>

namespace pages {

int ListWidgetTextList::count() const { return list_->count(); }

QString ListWidgetTextList::text(int position) const { return list_->item(position)->text(); }

void ListWidgetTextList::removeAt(int position) {
    const bool wasSelected = list_->item(position)->isSelected();
    delete list_->takeItem(position);
    // The list box would select the next entry in its place; a removed
    // selection leaves nothing selected.
    if (wasSelected) {
        list_->setCurrentRow(-1);
        list_->clearSelection();
    }
}

void RemoveMatchingItems(TextList& target, const TextList& reference) {
    std::vector<int> positions;
    const int targetCount = target.count();
    for (int i = 0; i < targetCount; ++i) {
        const QString candidate = target.text(i);
        const int referenceCount = reference.count();
        for (int j = 0; j < referenceCount; ++j) {
            if (candidate == reference.text(j)) positions.push_back(i);
        }
    }
    positions = RemoveDuplicates(positions);
    for (auto it = positions.rbegin(); it != positions.rend(); ++it) target.removeAt(*it);
}

}  // namespace pages
