#include "core/model/document_merge.hpp"
#include "tree_fixtures.hpp"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

using namespace velmora;
using namespace velmora::testing;

namespace {

struct Entry {
    const Item* item;
    std::optional<std::string> parent;
};

using Index = std::map<std::string, Entry>;

void indexInto(const ItemList& items, const std::optional<std::string>& parent, Index& into,
               int& count) {
    for (const auto& item : items) {
        ++count;
        into.emplace(item.id, Entry{&item, parent});
        indexInto(item.children, item.id, into, count);
    }
}

Index indexOf(const TreeDocument& d, int* count = nullptr) {
    Index out;
    int n = 0;
    indexInto(d.items, std::nullopt, out, n);
    if (count)
        *count = n;
    return out;
}

std::vector<std::string> allIds(const TreeDocument& d) {
    std::vector<std::string> out;
    for (const auto& [id, entry] : indexOf(d))
        out.push_back(id);
    return out;
}

TreeDocument randomBase(std::mt19937& rng) {
    TreeDocument d{"doc", "Document", {}};
    const int size = std::uniform_int_distribution<int>(1, 40)(rng);
    for (int i = 0; i < size; ++i) {
        const std::string id = "b" + std::to_string(i);
        auto ids = allIds(d);
        if (ids.empty() || rng() % 4 == 0) {
            d = TreeOps::insert(d, {leaf(id)}, std::nullopt, std::nullopt);
            continue;
        }
        const std::string& at = ids[rng() % ids.size()];
        d = rng() % 2 ? TreeOps::addChild(d, at, id, id).doc
                      : TreeOps::insertSiblingBelow(d, at, id, id).doc;
    }
    return d;
}

// One random edit made on a side; new ids and texts carry the side's name, so that each text
// typed on a side is unique.
TreeDocument randomEdit(TreeDocument d, std::mt19937& rng, const std::string& side, int& counter) {
    auto ids = allIds(d);
    const std::string fresh = side + std::to_string(++counter);
    if (ids.empty())
        return TreeOps::insert(d, {Item::blank(fresh, fresh)}, std::nullopt, std::nullopt);
    const std::string at = ids[rng() % ids.size()];
    switch (rng() % 10) {
    case 0:
        return TreeOps::insertSiblingBelow(d, at, "typed " + fresh, fresh).doc;
    case 1:
        return TreeOps::addChild(d, at, "typed " + fresh, fresh).doc;
    case 2:
        return TreeOps::removeItem(d, at).doc;
    case 3:
        return TreeOps::updateItem(d, at, [&](Item& item) { item.text = "title " + fresh; });
    case 4:
        return TreeOps::updateItem(d, at, [&](Item& item) { item.note = "note " + fresh; });
    case 5:
        return TreeOps::updateItem(d, at, [](Item& item) { item.checked = !item.checked; });
    case 6:
        return TreeOps::move(d, at,
                             rng() % 2 ? TreeOps::MoveDirection::up : TreeOps::MoveDirection::down);
    case 7:
        return rng() % 2 ? TreeOps::indent(d, at) : TreeOps::outdent(d, at);
    case 8: {
        const std::string to = ids[rng() % ids.size()];
        return TreeOps::move(d, at, rng() % 3 == 0 ? std::nullopt : std::optional(to),
                             static_cast<int>(rng() % 4));
    }
    default:
        return TreeOps::updateItem(d, at, [&](Item& item) {
            item.color = ColorLabels::allCases[rng() % ColorLabels::allCases.size()];
        });
    }
}

TreeDocument randomSide(const TreeDocument& base, std::mt19937& rng, const std::string& side) {
    TreeDocument d = base;
    int counter = 0;
    const int edits = std::uniform_int_distribution<int>(0, 12)(rng);
    for (int i = 0; i < edits; ++i)
        d = randomEdit(std::move(d), rng, side, counter);
    return d;
}

std::multiset<std::string> textsOf(const Index& index, bool notes) {
    std::multiset<std::string> out;
    for (const auto& [id, e] : index)
        out.insert(notes ? e.item->note : e.item->text);
    return out;
}

// The invariants that a merge of two sides edited from one base keeps.
void checkMerge(const TreeDocument& base, const TreeDocument& ours, const TreeDocument& theirs) {
    const auto result = DocumentMerge::merge(base, ours, theirs);
    int count = 0;
    const Index merged = indexOf(result.document, &count);
    ASSERT_EQ(static_cast<std::size_t>(count), merged.size()) << "an id is repeated";
    const Index b = indexOf(base), o = indexOf(ours), t = indexOf(theirs);
    const auto mergedTexts = textsOf(merged, false);
    const auto mergedNotes = textsOf(merged, true);

    auto checkSide = [&](const Index& side, const Index& other) {
        for (const auto& [id, e] : side) {
            const Item& item = *e.item;
            auto inBase = b.find(id);
            auto inOther = other.find(id);
            auto inResult = merged.find(id);
            if (inBase == b.end()) {
                ASSERT_NE(inResult, merged.end()) << "an added item is lost: " << id;
                EXPECT_EQ(inResult->second.item->text, item.text);
                continue;
            }
            const Item& was = *inBase->second.item;
            const bool otherKept = inOther != other.end();
            const Item* theirsItem = otherKept ? inOther->second.item : nullptr;
            if (item.text != was.text) {
                EXPECT_GE(mergedTexts.count(item.text), 1u) << "typed text lost: " << item.text;
                if (!theirsItem || theirsItem->text == was.text) {
                    ASSERT_NE(inResult, merged.end()) << "an edited item is lost: " << id;
                    EXPECT_EQ(inResult->second.item->text, item.text);
                }
            }
            if (item.note != was.note) {
                EXPECT_GE(mergedNotes.count(item.note), 1u) << "typed note lost: " << item.note;
                if (!theirsItem || theirsItem->note == was.note) {
                    ASSERT_NE(inResult, merged.end());
                    EXPECT_EQ(inResult->second.item->note, item.note);
                }
            }
            if (item.checked != was.checked &&
                (!theirsItem || theirsItem->checked == was.checked)) {
                ASSERT_NE(inResult, merged.end());
                EXPECT_EQ(inResult->second.item->checked, item.checked) << id;
            }
            if (!otherKept || !theirsItem)
                continue;
            // Moved on this side only, and not into a branch the other side moved: it moves.
            if (e.parent != inBase->second.parent &&
                inOther->second.parent == inBase->second.parent && inResult != merged.end() &&
                inResult->second.parent != e.parent) {
                // Only a cycle with the other side's moves may have undone it.
                EXPECT_NE(&side, &o) << "our move dropped: " << id;
            }
        }
        // Deleted on the other side, untouched on this one (itself and its whole subtree):
        // gone.
        for (const auto& [id, e] : side) {
            auto inBase = b.find(id);
            if (inBase == b.end() || other.contains(id))
                continue;
            if (*e.item == *inBase->second.item && e.parent == inBase->second.parent) {
                EXPECT_FALSE(merged.contains(id)) << "deleted item came back: " << id;
            }
        }
    };
    checkSide(o, t);
    checkSide(t, o);

    EXPECT_EQ(DocumentMerge::merge(base, ours, ours).document, ours);
    EXPECT_EQ(DocumentMerge::merge(base, base, theirs).document, theirs);
    EXPECT_EQ(DocumentMerge::merge(base, ours, base).document, ours);
    EXPECT_EQ(DocumentMerge::merge(ours, ours, ours).document, ours);
    EXPECT_EQ(DocumentMerge::merge(base, ours, theirs).document, result.document);
}

} // namespace

TEST(DocumentMergeProperties, RandomEditsOnBothSidesKeepEveryoneWork) {
    for (unsigned seed = 1; seed <= 300; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        const TreeDocument base = randomBase(rng);
        const TreeDocument ours = randomSide(base, rng, "o");
        const TreeDocument theirs = randomSide(base, rng, "t");
        checkMerge(base, ours, theirs);
        if (HasFailure())
            return;
    }
}

TEST(DocumentMergeProperties, TwoWayMergeKeepsEveryItemOfBothSides) {
    for (unsigned seed = 1; seed <= 150; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        const TreeDocument base = randomBase(rng);
        const TreeDocument ours = randomSide(base, rng, "o");
        const TreeDocument theirs = randomSide(base, rng, "t");
        const auto r = DocumentMerge::mergeTwoWay(ours, theirs);
        int count = 0;
        const Index merged = indexOf(r.document, &count);
        ASSERT_EQ(static_cast<std::size_t>(count), merged.size());
        const auto texts = textsOf(merged, false);
        for (const Index& side : {indexOf(ours), indexOf(theirs)})
            for (const auto& [id, e] : side) {
                EXPECT_TRUE(merged.contains(id)) << id;
                EXPECT_GE(texts.count(e.item->text), 1u) << e.item->text;
            }
        EXPECT_EQ(DocumentMerge::mergeTwoWay(ours, ours).document, ours);
        if (HasFailure())
            return;
    }
}
