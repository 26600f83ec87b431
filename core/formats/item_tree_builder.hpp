#pragma once

#include "core/model/item.hpp"

#include <cstddef>
#include <vector>

namespace velmora {

// Builds a tree of items from a pre-order stream of open and close events, as readers meet
// them. Open items are plain mutable values; closing one freezes it, with its finished
// children, into a shared node of its parent. Nothing recurses, so any depth is safe here;
// readers bound the depth themselves.
class ItemTreeBuilder {
public:
    // Starts `item` (its children are ignored) as the next child of the innermost open item,
    // or at the top when none is open. It stays open until close().
    void open(Item item);

    // Finishes the innermost open item.
    void close();

    // The innermost open item; only valid while depth() > 0.
    [[nodiscard]] Item& current() { return m_open.back().item; }

    // The number of open items; the next open() makes an item at this depth.
    [[nodiscard]] std::size_t depth() const { return m_open.size(); }

    // Closes every open item and returns the top-level items.
    [[nodiscard]] ItemList finish();

private:
    struct Open {
        Item item;
        std::vector<ItemList::Node> children;
    };
    std::vector<Open> m_open;
    std::vector<ItemList::Node> m_top;
};

} // namespace velmora
