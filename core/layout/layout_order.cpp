#include "core/layout/layout_order.hpp"

#include "core/layout/layout_query.hpp"

namespace velmora::LayoutOrder {
namespace {

using EntryPtr = TreeLayoutCache::EntryPtr;

// A place in the outline: the sibling lists from the top down to the item, and the item's
// index in each.
struct Cursor {
    struct Level {
        const std::vector<EntryPtr>* list;
        std::size_t index;
    };
    std::vector<Level> levels;

    [[nodiscard]] const Entry& entry() const {
        return *(*levels.back().list)[levels.back().index];
    }

    // The next item in outline order; false (staying put) at the last.
    bool next() {
        if (entry().expanded()) {
            levels.push_back({&entry().children, 0});
            return true;
        }
        for (std::size_t at = levels.size(); at-- > 0;) {
            if (levels[at].index + 1 < levels[at].list->size()) {
                levels.resize(at + 1);
                ++levels[at].index;
                return true;
            }
        }
        return false;
    }

    // The item before in outline order; false (staying put) at the first.
    bool previous() {
        Level& level = levels.back();
        if (level.index == 0) {
            if (levels.size() == 1)
                return false;
            levels.pop_back();
            return true;
        }
        --level.index;
        while (entry().expanded())
            levels.push_back({&entry().children, entry().children.size() - 1});
        return true;
    }
};

} // namespace

const Entry* first(const Tree& tree) {
    return tree.top.empty() ? nullptr : tree.top.front().get();
}

const Entry* last(const Tree& tree) {
    if (tree.top.empty())
        return nullptr;
    const Entry* entry = tree.top.back().get();
    while (entry->expanded())
        entry = entry->children.back().get();
    return entry;
}

const Entry* step(const Tree& tree, const std::vector<int>& path, std::int64_t steps) {
    const auto located = LayoutQuery::locate(tree, path);
    if (!located)
        return nullptr;
    Cursor cursor;
    const std::vector<EntryPtr>* list = &tree.top;
    for (std::size_t level = 0; level < located->positions.size(); ++level) {
        cursor.levels.push_back({list, located->positions[level]});
        if (level < located->ancestors.size())
            list = &located->ancestors[level]->children;
    }
    for (; steps > 0 && cursor.next(); --steps) {
    }
    for (; steps < 0 && cursor.previous(); ++steps) {
    }
    return &cursor.entry();
}

} // namespace velmora::LayoutOrder
