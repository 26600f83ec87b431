#pragma once

#include "core/model/item.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace velmora {

// The rows of the list view: the shown items in display order, as plain pointers into the
// tree (whoever holds the rows keeps the tree alive), so that a hundred thousand rows cost no
// reference counting. Each walk remembers where the large subtrees lay; the next walk copies
// the rows of every such subtree whose node is unchanged instead of descending into it, so
// after an edit only the path to the change is walked again.
class ListOutlineRows {
public:
    struct Row {
        const Item* node = nullptr;
        int depth = 0;

        [[nodiscard]] const Item& item() const { return *node; }
    };

    // What decides which items are shown besides the tree.
    struct Options {
        std::optional<std::string> hoistRoot;
        bool hidingCompleted = false;

        bool operator==(const Options&) const = default;
    };

    // Subtrees with at least this many rows are remembered for the next walk.
    static constexpr std::size_t kRememberedRows = 48;

    // The rows of the items: the hoisted root alone (at depth 0, with what is shown below it)
    // or every top-level item, without the children of collapsed items and, while hiding,
    // without checked items other than the hoisted root. `previous` must be the rows of the
    // last walk (the tree they point into still alive); `rows` receives the result.
    void walk(const ItemList& items, const Options& options, const std::vector<Row>& previous,
              std::vector<Row>& rows);

    // A subtree whose old rows were copied: where they were and where they went.
    struct Copied {
        std::uint32_t from = 0;
        std::uint32_t length = 0;
        std::uint32_t to = 0;
    };

    // How many rows the last walk copied from the walk before instead of walking the tree.
    [[nodiscard]] std::size_t copiedRows() const { return m_copiedRows; }
    // The subtrees the last walk copied, in the order of their new places. Their rows are the
    // old ones, each moved by the same number of levels.
    [[nodiscard]] const std::vector<Copied>& copied() const { return m_copied; }

private:
    struct Span {
        std::uint32_t start = 0;
        std::uint32_t length = 0;
    };
    using Spans = std::unordered_map<const Item*, Span>;
    struct Walk {
        const Options& options;
        const std::vector<Row>& previous;
        std::vector<Row>& rows;
        Spans spans;
        std::vector<Copied> copied;
    };

    void walkList(const ItemList& items, int depth, Walk& walk) const;
    void walkItem(const Item& item, int depth, Walk& walk) const;
    // Keeps the remembered subtrees inside copied ones at their new places, forgets the others
    // and adds those of this walk (in place: a change touches few of them).
    void carrySpans(Walk& walk);

    Spans m_spans;
    std::optional<Options> m_options;
    std::vector<Copied> m_copied;
    std::size_t m_copiedRows = 0;
};

} // namespace velmora
