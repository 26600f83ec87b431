#include "core/model/id_index.hpp"
#include "tree_fixtures.hpp"

#include <gtest/gtest.h>

#include <map>
#include <random>

using namespace velmora;
using namespace velmora::testing;

namespace {

// Every id's first path in pre-order, found the slow way.
void referencePaths(const ItemList& items, std::vector<int>& path,
                    std::map<std::string, std::vector<int>>& into) {
    for (std::size_t i = 0; i < items.size(); ++i) {
        path.push_back(static_cast<int>(i));
        into.emplace(items[i].id, path);
        referencePaths(items[i].children, path, into);
        path.pop_back();
    }
}

std::map<std::string, std::vector<int>> referencePaths(const ItemList& items) {
    std::map<std::string, std::vector<int>> paths;
    std::vector<int> path;
    referencePaths(items, path, paths);
    return paths;
}

// Whether the index carried over by edits holds what a fresh build of the tree holds: every
// id of the tree (and of the tree before the edit) under the same parent, and nothing else.
::testing::AssertionResult sameAsFreshBuild(const ItemList& items,
                                            const std::vector<std::string>& idsBefore,
                                            const std::map<std::string, std::vector<int>>& paths) {
    const auto derived = items.idIndex();
    const IdIndex fresh = IdIndex::build(items);
    if (derived->ambiguous != fresh.ambiguous || derived->parents.size() != fresh.parents.size())
        return ::testing::AssertionFailure()
               << derived->parents.size() << " entries, a fresh build has " << fresh.parents.size();
    auto differs = [&](const std::string& id) {
        return derived->parents.find(idKey(id)) != fresh.parents.find(idKey(id));
    };
    for (const auto& id : idsBefore)
        if (differs(id))
            return ::testing::AssertionFailure() << "the parent of " << id << " differs";
    for (const auto& [id, path] : paths)
        if (differs(id))
            return ::testing::AssertionFailure() << "the parent of " << id << " differs";
    return ::testing::AssertionSuccess();
}

Item randomTree(std::mt19937& rng, int& serial, int depth, int budget) {
    Item item = leaf("i" + std::to_string(serial++));
    std::vector<Item> children;
    std::uniform_int_distribution<int> width(0, depth < 2 ? 12 : 4);
    for (int n = width(rng); n > 0 && budget > 0 && depth < 6; --n) {
        children.push_back(randomTree(rng, serial, depth + 1, budget / 3));
        budget -= static_cast<int>(children.back().count());
    }
    item.children = ItemList(std::move(children));
    return item;
}

} // namespace

TEST(IdIndex, KeyMapSetsFindsAndErases) {
    KeyMap60 map;
    for (std::uint64_t k = 1; k < 3000; k += 7)
        map = map.set(idKey(std::to_string(k)), k);
    auto before = map;
    map = map.erase(idKey("8"));
    EXPECT_FALSE(map.find(idKey("8")));
    EXPECT_EQ(before.find(idKey("8")), 8u);
    for (std::uint64_t k = 1; k < 3000; k += 7) {
        if (k == 8)
            continue;
        EXPECT_EQ(map.find(idKey(std::to_string(k))), k);
    }
    EXPECT_FALSE(map.find(idKey("2")));
}

// The map grows past many node splits, shrinks through merges and back to nothing, and every
// copy taken on the way keeps exactly what it held, whether changed by value or in place.
TEST(IdIndex, KeyMapAgreesWithAnOrdinaryMapThroughGrowthAndShrinking) {
    std::mt19937_64 rng(7);
    std::uniform_int_distribution<std::uint64_t> anyKey(1, 8'000);
    KeyMap60 map;
    std::map<std::uint64_t, std::uint64_t> reference;
    std::vector<std::pair<KeyMap60, std::map<std::uint64_t, std::uint64_t>>> copies;
    auto agrees = [](const KeyMap60& m, const std::map<std::uint64_t, std::uint64_t>& r) {
        if (m.size() != r.size())
            return false;
        for (std::uint64_t k = 0; k <= 8'001; ++k) {
            auto found = m.find(k);
            auto it = r.find(k);
            if (found.has_value() != (it != r.end()) || (found && *found != it->second))
                return false;
        }
        return true;
    };
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 6'000; ++i) {
            auto key = anyKey(rng);
            if (i % 3 == 0)
                map = map.set(key, key + 1);
            else
                map.assign(key, key * 2);
            reference[key] = i % 3 == 0 ? key + 1 : key * 2;
            if (i % 2'000 == 0)
                copies.emplace_back(map, reference);
        }
        EXPECT_TRUE(agrees(map, reference));
        // Erase most keys, keys the map lacks among them, leaving sparse leaves to merge.
        for (int i = 0; i < 15'000; ++i) {
            auto key = anyKey(rng);
            if (i % 5 == 0)
                map = map.erase(key);
            else
                map.remove(key);
            reference.erase(key);
            if (i % 5'000 == 0)
                copies.emplace_back(map, reference);
        }
        EXPECT_TRUE(agrees(map, reference));
    }
    for (auto key : std::vector<std::uint64_t>(
             [&] {
                 std::vector<std::uint64_t> keys;
                 for (const auto& [k, v] : reference)
                     keys.push_back(k);
                 return keys;
             }()))
        map.remove(key);
    EXPECT_TRUE(agrees(map, {}));
    for (const auto& [copy, held] : copies)
        EXPECT_TRUE(agrees(copy, held));

    std::vector<KeyMap60::Entry> sorted;
    for (std::uint64_t k = 1; k <= 5'000; ++k)
        sorted.emplace_back(k * 3, k);
    auto built = KeyMap60::fromSorted(sorted);
    auto grown = built;
    for (std::uint64_t k = 1; k <= 5'000; ++k)
        grown.assign(k * 3 + 1, k);
    EXPECT_EQ(built.size(), 5'000u);
    EXPECT_EQ(grown.size(), 10'000u);
    EXPECT_EQ(built.find(3 * 77), 77u);
    EXPECT_FALSE(built.find(3 * 77 + 1));
    EXPECT_EQ(grown.find(3 * 77 + 1), 77u);
}

// Locating by the index must give the same path as the pre-order scan after any sequence of
// edits, since every edit carries the index over by its own differences.
TEST(IdIndex, LocateAgreesWithAScanAfterRandomEdits) {
    std::mt19937 rng(7);
    int serial = 0;
    std::vector<Item> top;
    while (serial < 2600)
        top.push_back(randomTree(rng, serial, 0, 600));
    auto d = doc(std::move(top));
    ASSERT_TRUE(d.items.idIndex());
    Counter fresh;

    for (int step = 0; step < 160; ++step) {
        auto paths = referencePaths(d.items);
        std::vector<std::string> all;
        for (const auto& [id, path] : paths)
            all.push_back(id);
        std::uniform_int_distribution<std::size_t> pick(0, all.size() - 1);
        const auto a = all[pick(rng)], b = all[pick(rng)];
        switch (step % 11) {
        case 0:
            d = TreeOps::insertSiblingBelow(d, a, "", fresh()).doc;
            break;
        case 1:
            d = TreeOps::addChild(d, a, "", fresh()).doc;
            break;
        case 2:
            d = TreeOps::removeItem(d, a).doc;
            break;
        case 3:
            d = TreeOps::indent(d, a);
            break;
        case 4:
            d = TreeOps::outdent(d, a);
            break;
        case 5:
            d = TreeOps::move(d, a, TreeOps::MoveDirection::up);
            break;
        case 6:
            d = TreeOps::move(d, a, std::string(b), 1);
            break;
        case 7:
            d = TreeOps::duplicate(d, a, fresh).doc;
            break;
        case 8:
            d = TreeOps::splitItem(d, a, 1, fresh()).doc;
            break;
        case 9:
            d = TreeOps::addAunt(d, a, "", fresh()).doc;
            break;
        case 10:
            d = TreeOps::move(d, a, std::nullopt, 3);
            break;
        }
        auto now = referencePaths(d.items);
        ASSERT_TRUE(sameAsFreshBuild(d.items, all, now)) << "step " << step;
        for (int probe = 0; probe < 20; ++probe) {
            const auto& id = all[pick(rng)];
            auto expected = now.count(id) ? std::optional(now[id]) : std::nullopt;
            ASSERT_EQ(TreeOps::pathOf(d.items, id), expected) << "step " << step << " id " << id;
        }
        for (const auto& id : {a, b})
            ASSERT_EQ(TreeOps::pathOf(d.items, id),
                      now.count(id) ? std::optional(now[id]) : std::nullopt)
                << "step " << step;
    }
    for (const auto& [id, path] : referencePaths(d.items))
        ASSERT_EQ(TreeOps::pathOf(d.items, id), path) << id;
}

TEST(IdIndex, RepeatedIdsStillResolveToTheFirstInPreOrder) {
    std::vector<Item> top;
    for (int i = 0; i < 3000; ++i)
        top.push_back(leaf("x" + std::to_string(i)));
    top.push_back(node("p", {leaf("x5")}));
    auto d = doc(std::move(top));
    EXPECT_EQ(TreeOps::pathOf(d.items, "x5"), (std::vector<int>{5}));
    auto removed = TreeOps::removeItem(d, "x5").doc;
    EXPECT_EQ(TreeOps::pathOf(removed.items, "x5"), (std::vector<int>{2999, 0}));
    // Pasting an item whose id already exists keeps lookups exact.
    auto pasted = TreeOps::insert(removed, {leaf("x7")}, std::nullopt, 0);
    EXPECT_EQ(TreeOps::pathOf(pasted.items, "x7"), (std::vector<int>{0}));
}
