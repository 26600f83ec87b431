#include "core/model/bulk_edit.hpp"
#include "core/model/id_index.hpp"
#include "tree_fixtures.hpp"

#include <gtest/gtest.h>

#include <random>
#include <set>

using namespace velmora;
using namespace velmora::testing;

namespace {

using Ids = std::vector<std::string>;

// The reference: the first item of each wanted id in pre-order, found item by item.
struct Reference {
    std::set<std::string> wanted;
    std::set<std::string> met;

    ItemList updated(const ItemList& items) {
        std::vector<Item> out;
        for (const auto& item : items) {
            Item copy = item;
            const bool self = wanted.count(item.id) && met.insert(item.id).second;
            copy.children = updated(item.children);
            if (self)
                copy.checked = !copy.checked;
            out.push_back(std::move(copy));
        }
        return ItemList(std::move(out));
    }

    ItemList removed(const ItemList& items) {
        std::vector<Item> out;
        for (const auto& item : items) {
            if (wanted.count(item.id) && met.insert(item.id).second) {
                meetAll(item.children);
                continue;
            }
            Item copy = item;
            copy.children = removed(item.children);
            out.push_back(std::move(copy));
        }
        return ItemList(std::move(out));
    }

    void meetAll(const ItemList& items) {
        for (const auto& item : items) {
            if (wanted.count(item.id))
                met.insert(item.id);
            meetAll(item.children);
        }
    }
};

Item randomTree(std::mt19937& rng, int& serial, int depth, int budget, bool repeats) {
    std::uniform_int_distribution<int> percent(0, 99);
    // With repeats, some items take an id used before.
    const bool repeat = repeats && serial > 10 && percent(rng) < 5;
    Item item = leaf("i" + std::to_string(repeat ? serial / 2 : serial));
    ++serial;
    std::vector<Item> children;
    std::uniform_int_distribution<int> width(0, depth < 2 ? 14 : 5);
    for (int n = width(rng); n > 0 && budget > 0 && depth < 7; --n) {
        children.push_back(randomTree(rng, serial, depth + 1, budget / 3, repeats));
        budget -= static_cast<int>(children.back().count());
    }
    item.children = ItemList(std::move(children));
    return item;
}

ItemList randomTop(std::mt19937& rng, bool repeats) {
    int serial = 0;
    std::vector<Item> top;
    while (serial < 3000)
        top.push_back(randomTree(rng, serial, 0, 900, repeats));
    return ItemList(std::move(top));
}

Ids randomIds(std::mt19937& rng, std::size_t count) {
    std::uniform_int_distribution<int> pick(0, 3100); // a few are in no item
    Ids ids;
    for (std::size_t i = 0; i < count; ++i)
        ids.push_back("i" + std::to_string(pick(rng)));
    return ids;
}

} // namespace

// The walk guided by the id index (few ids, index built) and the walk over the whole tree
// (many ids, or no index) must change exactly the items the item-by-item reference changes.
TEST(BulkEdit, EveryWalkChangesWhatTheReferenceChanges) {
    std::mt19937 rng(21);
    for (bool repeats : {false, true}) {
        const ItemList indexed = randomTop(rng, repeats);
        ASSERT_TRUE(indexed.idIndex());
        const ItemList plain = ItemList::fromNodes(indexed.nodes());
        ASSERT_FALSE(plain.builtIdIndex());
        for (std::size_t count : {3u, 60u, 2500u}) {
            const Ids ids = randomIds(rng, count);
            const IdLookup wanted(ids);
            const auto toggle = [](Item& item) { item.checked = !item.checked; };
            for (const ItemList* items : {&indexed, &plain}) {
                SCOPED_TRACE(::testing::Message() << "repeats " << repeats << ", " << count
                                                << " ids, index " << (items == &indexed));
                Reference reference{{ids.begin(), ids.end()}, {}};
                EXPECT_EQ(BulkEdit::updated(*items, wanted, toggle), reference.updated(*items));
                reference.met.clear();
                EXPECT_EQ(BulkEdit::removed(*items, wanted), reference.removed(*items));

                std::set<std::string> found;
                BulkEdit::forEachFound(*items, wanted, [&](std::size_t slot, const Item& item) {
                    EXPECT_EQ(item.id, wanted.idAt(slot));
                    EXPECT_TRUE(found.insert(item.id).second);
                    return true;
                });
                reference.met.clear();
                (void)reference.updated(*items);
                EXPECT_EQ(found, reference.met);
            }
        }
    }
}

TEST(BulkEdit, RepeatedIdsStandForTheirFirstItem) {
    // a holds the first x; the top-level x comes later.
    const ItemList items = doc({node("a", {leaf("x")}), leaf("x"), leaf("b")}).items;
    const auto check = [](Item& item) { item.checked = true; };
    const Ids justX{"x"};
    const auto changed = BulkEdit::updated(items, IdLookup(justX), check);
    EXPECT_TRUE(changed[0].children[0].checked);
    EXPECT_FALSE(changed[1].checked);

    // x's first item is inside a: removing a takes it, and the later x stays.
    const Ids both{"x", "a"};
    const IdLookup wanted(both);
    EXPECT_EQ(ids(BulkEdit::removed(items, wanted)), (Ids{"x", "b"}));
    EXPECT_EQ(BulkEdit::outermost(items, wanted), (std::vector<bool>{false, true}));
}

TEST(BulkEdit, ContentChangesKeepTheIndexAndUntouchedBranches) {
    std::mt19937 rng(7);
    const ItemList items = randomTop(rng, false);
    const auto index = items.idIndex();
    const Ids wanted{items[0].children[0].id};
    const auto changed =
        BulkEdit::updated(items, IdLookup(wanted), [](Item& item) { item.bold = true; });
    EXPECT_EQ(changed.builtIdIndex(), index);
    EXPECT_EQ(changed.node(1), items.node(1));
    EXPECT_TRUE(changed[0].children[0].bold);
    EXPECT_EQ(TreeOps::pathOf(changed, wanted[0]), (std::vector<int>{0, 0}));
    // Nothing wanted is there: the very same list comes back.
    const Ids missing{"nowhere"};
    EXPECT_TRUE(BulkEdit::removed(items, IdLookup(missing)).sharesStorageWith(items));
}
