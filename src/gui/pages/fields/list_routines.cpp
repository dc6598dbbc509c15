#include "pages/fields/list_routines.h"

#include <QListWidget>

#include "pages/fields/field_lists.h"

namespace pages {

int ListWidgetTextList::count() const { return list_->count(); }

QString ListWidgetTextList::text(int position) const { return list_->item(position)->text(); }

void ListWidgetTextList::removeAt(int position) { RemoveEntry(list_, position); }

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
