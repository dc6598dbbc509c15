#include <QListWidget>

#include <gtest/gtest.h>

#include "pages/fields/field_lists.h"
#include "pages/fields/list_routines.h"

using pages::RemoveDuplicates;
using pages::RemoveMatchingItems;
using pages::StringTextList;

namespace {
QStringList Cleaned(QStringList target, QStringList reference) {
    StringTextList t(target);
    const StringTextList r(reference);
    RemoveMatchingItems(t, r);
    return target;
}
QStringList L(std::initializer_list<const char*> items) {
    QStringList list;
    for (const char* item : items) list << QString::fromUtf8(item);
    return list;
}
}  // namespace

TEST(RemoveDuplicates, KeepsEachValueAtItsLastOccurrence) {
    EXPECT_EQ(RemoveDuplicates(std::vector<int>{4, 7, 4, 9}), (std::vector<int>{7, 4, 9}));
    EXPECT_EQ(RemoveDuplicates(std::vector<int>{}), (std::vector<int>{}));
    EXPECT_EQ(RemoveDuplicates(std::vector<int>{1, 1, 1}), (std::vector<int>{1}));
    EXPECT_EQ(RemoveDuplicates(std::vector<int>{3, 1, 2}), (std::vector<int>{3, 1, 2}));
    EXPECT_EQ(RemoveDuplicates(std::vector<QString>{QStringLiteral("a"), QStringLiteral("A"), QStringLiteral("a")}),
              (std::vector<QString>{QStringLiteral("A"), QStringLiteral("a")}));
}

TEST(RemoveMatchingItems, RemovesExactlyTheEntriesTheReferenceHolds) {
    EXPECT_EQ(Cleaned(L({"id", "name", "price"}), L({"name"})), L({"id", "price"}));
    EXPECT_EQ(Cleaned(L({"id", "name"}), L({})), L({"id", "name"}));
    EXPECT_EQ(Cleaned(L({}), L({"id"})), L({}));
    // A name twice in the reference removes its one entry and nothing else.
    EXPECT_EQ(Cleaned(L({"id", "name", "price"}), L({"name", "name"})), L({"id", "price"}));
    // A name twice in the target goes both times.
    EXPECT_EQ(Cleaned(L({"name", "id", "name"}), L({"name"})), L({"id"}));
    // Case counts, and the empty text is a name like any other.
    EXPECT_EQ(Cleaned(L({"ID", "", "x"}), L({"id", ""})), L({"ID", "x"}));
    EXPECT_EQ(Cleaned(L({"a", "b", "c", "d"}), L({"d", "b", "a"})), L({"c"}));
}

TEST(RemoveMatchingItems, WorksOnListBoxesAndLeavesTheReferenceAlone) {
    QListWidget target;
    target.addItems(L({"id", "name", "price"}));
    QListWidget reference;
    reference.addItems(L({"price", "id"}));
    pages::ListWidgetTextList t(&target);
    const pages::ListWidgetTextList r(&reference);
    RemoveMatchingItems(t, r);
    EXPECT_EQ(pages::EntryTexts(&target), L({"name"}));
    EXPECT_EQ(pages::EntryTexts(&reference), L({"price", "id"}));
}

TEST(FieldListText, QuotesEachNameAndJoinsWithCommaAndBlank) {
    EXPECT_EQ(pages::BuildFieldListText(L({"id", "name"})), QStringLiteral("`id`, `name`"));
    EXPECT_EQ(pages::BuildFieldListText(L({"id"})), QStringLiteral("`id`"));
    EXPECT_EQ(pages::BuildFieldListText(L({"", "a`b"})), QStringLiteral("``, `a``b`"));
    EXPECT_EQ(pages::BuildFieldListText(L({})), QString());
}
