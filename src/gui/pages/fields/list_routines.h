#pragma once

#include <cstddef>
#include <vector>

#include <QString>
#include <QStringList>

class QListWidget;

namespace pages {

// An ordered list of texts with positions from 0: what the list routines
// need of a list box.
class TextList {
public:
    virtual ~TextList() = default;
    virtual int count() const = 0;
    virtual QString text(int position) const = 0;
    virtual void removeAt(int position) = 0;
};

// A list box seen as a TextList.
class ListWidgetTextList : public TextList {
public:
    explicit ListWidgetTextList(QListWidget* list) : list_(list) {}
    int count() const override;
    QString text(int position) const override;
    void removeAt(int position) override;

private:
    QListWidget* list_;
};

// A plain list of texts seen as a TextList.
class StringTextList : public TextList {
public:
    explicit StringTextList(QStringList& texts) : texts_(texts) {}
    int count() const override { return static_cast<int>(texts_.size()); }
    QString text(int position) const override { return texts_.at(position); }
    void removeAt(int position) override { texts_.removeAt(position); }

private:
    QStringList& texts_;
};

// Each distinct value once, at the place of its last occurrence, in input
// order: 4, 7, 4, 9 gives 7, 4, 9.
template <typename T>
std::vector<T> RemoveDuplicates(const std::vector<T>& values) {
    std::vector<T> result;
    for (std::size_t i = 0; i < values.size(); ++i) {
        bool laterEqual = false;
        for (std::size_t j = i + 1; j < values.size() && !laterEqual; ++j) laterEqual = values[j] == values[i];
        if (!laterEqual) result.push_back(values[i]);
    }
    return result;
}

// Removes from target every entry whose text equals (exactly, case-sensitive)
// an entry of reference; the rest keep their order. The reference is only read.
// Neither routine yields to the event loop, so the lists cannot change under it.
void RemoveMatchingItems(TextList& target, const TextList& reference);

}  // namespace pages
