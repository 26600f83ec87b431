#include "core/session/tree_command.hpp"

#include <optional>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace velmora {

std::string_view rawValue(SideEffect side) {
    switch (side) {
    case SideEffect::exportBackup:
        return "exportBackup";
    case SideEffect::importBackup:
        return "importBackup";
    case SideEffect::exportOPML:
        return "exportOPML";
    case SideEffect::importOPML:
        return "importOPML";
    case SideEffect::toggleHelp:
        return "toggleHelp";
    case SideEffect::focusHelpSearch:
        return "focusHelpSearch";
    case SideEffect::settings:
        return "settings";
    case SideEffect::undo:
        return "undo";
    case SideEffect::redo:
        return "redo";
    case SideEffect::jump:
        return "jump";
    case SideEffect::newDocumentTab:
        return "newDocumentTab";
    case SideEffect::insertNewline:
        return "insertNewline";
    case SideEffect::commandPalette:
        return "commandPalette";
    case SideEffect::showProperties:
        return "showProperties";
    case SideEffect::showHelp:
        return "showHelp";
    case SideEffect::toggleLibrary:
        return "toggleLibrary";
    case SideEffect::toggleHighlight:
        return "toggleHighlight";
    case SideEffect::tooDeep:
        return "tooDeep";
    }
    return "";
}

namespace UndoRecords {
namespace {

using Node = ItemList::Node;

bool sameContent(const Item& a, const Item& b) {
    return a.text == b.text && a.note == b.note && a.checked == b.checked && a.color == b.color &&
           a.bold == b.bold && a.underline == b.underline;
}

// The part of two sibling lists that differs: shared nodes at both ends are left out, since
// they are the same subtrees in both documents.
struct Middle {
    std::size_t beforeBegin = 0, beforeEnd = 0, afterBegin = 0, afterEnd = 0;
};

Middle middleOf(const ItemList& before, const ItemList& after) {
    Middle m{0, before.size(), 0, after.size()};
    while (m.beforeBegin < m.beforeEnd && m.afterBegin < m.afterEnd &&
           before.node(m.beforeBegin) == after.node(m.afterBegin)) {
        ++m.beforeBegin;
        ++m.afterBegin;
    }
    while (m.beforeEnd > m.beforeBegin && m.afterEnd > m.afterBegin &&
           before.node(m.beforeEnd - 1) == after.node(m.afterEnd - 1)) {
        --m.beforeEnd;
        --m.afterEnd;
    }
    return m;
}

// The items of one sibling list that differ, found by node and by id.
struct LocalIndex {
    std::unordered_set<const Item*> nodes;
    std::unordered_map<std::string_view, const Item*> byId;

    LocalIndex(const ItemList& list, std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i) {
            nodes.insert(list.node(i).get());
            byId.emplace(list[i].id, list.node(i).get());
        }
    }
};

// Stamps the items of `after` against the document before the change. An item is matched with
// the old item at its place when their ids agree (an edit of contents), otherwise among its old
// siblings, then among the subtrees that left their old place (moved or removed); those
// lookups are built only when an item needs them. So the work follows the size of the change,
// not of the document, and stamping changes no item's place, so the tree keeps its id index.
class Stamper {
public:
    Stamper(const ItemList& before, const ItemList& after, Timestamp now) : m_now(now) {
        collectRemoved(before, after);
    }

    ItemList stampList(const ItemList* before, const ItemList& after) {
        if (before && before->sharesStorageWith(after))
            return after;
        Middle m = before ? middleOf(*before, after) : Middle{0, 0, 0, after.size()};
        if (m.afterBegin == m.afterEnd)
            return after;
        std::optional<LocalIndex> local;
        std::vector<Node> nodes; // a copy of the list's nodes, made at its first stamp
        for (std::size_t i = m.afterBegin; i < m.afterEnd; ++i) {
            const Node& node = after.node(i);
            const std::size_t old = m.beforeBegin + (i - m.afterBegin);
            Node stampedNode;
            if (before && old < m.beforeEnd && before->node(old)->id == node->id) {
                const Node& oldNode = before->node(old);
                stampedNode = oldNode == node ? node : stampExisting(*oldNode, node);
            } else {
                if (!local)
                    local.emplace(before ? *before : after, before ? m.beforeBegin : 0,
                                  before ? m.beforeEnd : 0);
                stampedNode = stampNode(*local, node);
            }
            if (stampedNode == node)
                continue;
            if (nodes.empty())
                nodes = after.nodes();
            nodes[i] = std::move(stampedNode);
        }
        return nodes.empty() ? after : after.withSameShape(std::move(nodes));
    }

private:
    Node stampNode(const LocalIndex& local, const Node& node) {
        indexRemoved();
        if (local.nodes.count(node.get()) || m_removedNodes.count(node.get()))
            return node;
        if (auto it = local.byId.find(node->id); it != local.byId.end())
            return stampExisting(*it->second, node);
        if (auto it = m_removedById.find(node->id); it != m_removedById.end())
            return stampExisting(*it->second, node);
        Item item = *node;
        item.created = m_now;
        item.modified = m_now;
        item.children = stampList(nullptr, node->children);
        return std::make_shared<const Item>(std::move(item));
    }

    Node stampExisting(const Item& before, const Node& node) {
        bool contentChanged = !sameContent(before, *node);
        auto children = stampList(&before.children, node->children);
        if (!contentChanged && children.sharesStorageWith(node->children))
            return node;
        Item item = *node;
        if (contentChanged)
            item.modified = m_now;
        item.children = std::move(children);
        return std::make_shared<const Item>(std::move(item));
    }

    // Finds the old subtrees that no longer stand among the same siblings.
    void collectRemoved(const ItemList& before, const ItemList& after) {
        if (before.sharesStorageWith(after))
            return;
        Middle m = middleOf(before, after);
        if (m.beforeBegin == m.beforeEnd)
            return;
        std::optional<LocalIndex> now;
        for (std::size_t i = m.beforeBegin; i < m.beforeEnd; ++i) {
            const auto& node = before.node(i);
            const std::size_t at = m.afterBegin + (i - m.beforeBegin);
            if (at < m.afterEnd && after.node(at)->id == node->id) {
                if (after.node(at) != node)
                    collectRemoved(node->children, after.node(at)->children);
                continue;
            }
            if (!now)
                now.emplace(after, m.afterBegin, m.afterEnd);
            if (now->nodes.count(node.get()))
                continue;
            if (auto it = now->byId.find(node->id); it != now->byId.end())
                collectRemoved(node->children, it->second->children);
            else
                m_removedRoots.push_back(node);
        }
    }

    // Indexes the removed subtrees, the first time an item is looked for among them.
    void indexRemoved() {
        for (const auto& node : m_removedRoots)
            indexRemoved(*node);
        m_removedRoots.clear();
    }

    void indexRemoved(const Item& item) {
        m_removedNodes.insert(&item);
        m_removedById[item.id] = &item;
        for (std::size_t i = 0; i < item.children.size(); ++i)
            indexRemoved(*item.children.node(i));
    }

    Timestamp m_now;
    std::vector<Node> m_removedRoots;
    std::unordered_set<const Item*> m_removedNodes;
    std::unordered_map<std::string_view, const Item*> m_removedById;
};

} // namespace

ItemList stamped(const ItemList& before, const ItemList& after, Timestamp now) {
    Stamper stamper(before, after, now);
    return stamper.stampList(&before, after);
}

std::optional<TreeCommand> form(const EditorSnapshot& before, std::string catalogKey,
                                const EditorSnapshot& current, Timestamp now) {
    if (before.document == current.document)
        return std::nullopt;
    EditorSnapshot after = current;
    after.document.items = stamped(before.document.items, current.document.items, now);
    return TreeCommand{std::move(catalogKey), before, std::move(after)};
}

} // namespace UndoRecords
} // namespace velmora
