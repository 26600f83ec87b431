#include "core/formats/item_tree_builder.hpp"

namespace velmora {

void ItemTreeBuilder::open(Item item) {
    item.children = ItemList();
    m_open.push_back({std::move(item), {}});
}

void ItemTreeBuilder::close() {
    if (m_open.empty())
        return;
    Open last = std::move(m_open.back());
    m_open.pop_back();
    last.item.children = ItemList::fromNodes(std::move(last.children));
    auto node = std::make_shared<const Item>(std::move(last.item));
    (m_open.empty() ? m_top : m_open.back().children).push_back(std::move(node));
}

ItemList ItemTreeBuilder::finish() {
    while (!m_open.empty())
        close();
    return ItemList::fromNodes(std::move(m_top));
}

} // namespace velmora
