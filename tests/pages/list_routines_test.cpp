#include <QListWidget>

#include <gtest/gtest.h>

#include "pages/fields/field_lists.h"
#include "pages/fields/list_routines.h"
#include "support/test_wizard.h"

using pages::RemoveDuplicates;
using pages::RemoveMatchingItems;
using pages::StringTextList;

using testing_support::Texts;

namespace {
QStringList Cleaned(QStringList target, QStringList reference) {
    StringTextList t(target);
    const StringTextList r(reference);
    RemoveMatchingItems(t, r);
    return target;
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
    EXPECT_EQ(Cleaned(Texts({"id", "name", "price"}), Texts({"name"})), Texts({"id", "price"}));
    EXPECT_EQ(Cleaned(Texts({"id", "name"}), Texts({})), Texts({"id", "name"}));
    EXPECT_EQ(Cleaned(Texts({}), Texts({"id"})), Texts({}));
    // A name twice in the reference removes its one entry and nothing else.
    EXPECT_EQ(Cleaned(Texts({"id", "name", "price"}), Texts({"name", "name"})), Texts({"id", "price"}));
    // A name twice in the target goes both times.
    EXPECT_EQ(Cleaned(Texts({"name", "id", "name"}), Texts({"name"})), Texts({"id"}));
    // Case counts, and the empty text is a name like any other.
    EXPECT_EQ(Cleaned(Texts({"ID", "", "x"}), Texts({"id", ""})), Texts({"ID", "x"}));
    EXPECT_EQ(Cleaned(Texts({"a", "b", "c", "d"}), Texts({"d", "b", "a"})), Texts({"c"}));
}

TEST(RemoveMatchingItems, WorksOnListBoxesAndLeavesTheReferenceAlone) {
    QListWidget target;
    target.addItems(Texts({"id", "name", "price"}));
    QListWidget reference;
    reference.addItems(Texts({"price", "id"}));
    pages::ListWidgetTextList t(&target);
    const pages::ListWidgetTextList r(&reference);
    RemoveMatchingItems(t, r);
    EXPECT_EQ(pages::EntryTexts(&target), Texts({"name"}));
    EXPECT_EQ(pages::EntryTexts(&reference), Texts({"price", "id"}));
}

TEST(FieldListText, QuotesEachNameAndJoinsWithCommaAndBlank) {
    EXPECT_EQ(pages::BuildFieldListText(Texts({"id", "name"})), QStringLiteral("`id`, `name`"));
    EXPECT_EQ(pages::BuildFieldListText(Texts({"id"})), QStringLiteral("`id`"));
    EXPECT_EQ(pages::BuildFieldListText(Texts({"", "a`b"})), QStringLiteral("``, `a``b`"));
    EXPECT_EQ(pages::BuildFieldListText(Texts({})), QString());
}
