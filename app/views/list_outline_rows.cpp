#include "app/views/list_outline_rows.hpp"

#include "core/model/tree_ops.hpp"

#include <algorithm>

namespace velmora {

void ListOutlineRows::walk(const ItemList& items, const Options& options,
                           const std::vector<Row>& previous, std::vector<Row>& rows) {
    rows.clear();
    // Spans of a walk under other options describe other rows.
    if (m_options != options) {
        m_spans.clear();
    }
    Walk walk{options, previous, rows, {}, {}};
    if (!options.hoistRoot) {
        rows.reserve(static_cast<std::size_t>(items.totalCount()));
        walkList(items, 0, walk);
    } else {
        const auto path = TreeOps::pathOf(items, *options.hoistRoot);
        if (const Item* root = path ? TreeOps::itemAt(items, *path) : nullptr) {
            rows.reserve(static_cast<std::size_t>(root->count()));
            walkItem(*root, 0, walk);
        }
    }
    carrySpans(walk);
    m_copiedRows = 0;
    for (const Copied& copied : walk.copied) {
        m_copiedRows += copied.length;
    }
    m_copied = std::move(walk.copied);
    std::sort(m_copied.begin(), m_copied.end(),
              [](const Copied& a, const Copied& b) { return a.to < b.to; });
    m_options = options;
}

void ListOutlineRows::walkList(const ItemList& items, int depth, Walk& walk) const {
    // The items lie scattered over the heap and the walk reads little of each, so it waits
    // for memory more than it works: the parts it reads are asked for ahead, the first few
    // items of a list all at once (most lists are short), then each list of children once
    // its item has arrived.
    constexpr std::size_t kAhead = 8;
    const std::size_t count = items.size();
    const auto fetch = [&items](std::size_t i) {
        const Item* item = items.node(i).get();
        __builtin_prefetch(&item->collapsed);
        __builtin_prefetch(&item->children);
    };
    for (std::size_t i = 0; i < std::min(kAhead, count); ++i) {
        fetch(i);
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (i + kAhead < count) {
            fetch(i + kAhead);
        }
        if (i + 2 < count) {
            __builtin_prefetch(items[i + 2].children.storageIdentity());
        }
        const Item& item = items[i];
        if (walk.options.hidingCompleted && item.checked) {
            continue;
        }
        walkItem(item, depth, walk);
    }
}

void ListOutlineRows::walkItem(const Item& item, int depth, Walk& walk) const {
    auto& rows = walk.rows;
    const auto start = static_cast<std::uint32_t>(rows.size());
    if (const auto found = m_spans.find(&item); found != m_spans.end()) {
        // An unchanged subtree: its rows are the old ones, moved to this depth.
        const Span span = found->second;
        const auto& previous = walk.previous;
        if (span.start + span.length <= previous.size() && previous[span.start].node == &item) {
            const int shift = depth - previous[span.start].depth;
            const auto from = previous.begin() + span.start;
            if (shift == 0) {
                rows.insert(rows.end(), from, from + span.length);
            } else {
                for (auto row = from; row != from + span.length; ++row) {
                    rows.push_back({row->node, row->depth + shift});
                }
            }
            walk.copied.push_back({span.start, span.length, start});
            return;
        }
    }
    rows.push_back({&item, depth});
    if (!item.collapsed && !item.children.empty()) {
        walkList(item.children, depth + 1, walk);
    }
    const auto length = static_cast<std::uint32_t>(rows.size()) - start;
    if (length >= kRememberedRows) {
        walk.spans.emplace(&item, Span{start, length});
    }
}

void ListOutlineRows::carrySpans(Walk& walk) {
    auto& copied = walk.copied;
    std::sort(copied.begin(), copied.end(),
              [](const Copied& a, const Copied& b) { return a.from < b.from; });
    for (auto entry = m_spans.begin(); entry != m_spans.end();) {
        Span& span = entry->second;
        // The copied subtree that starts at or before this one, if it holds it.
        const auto after =
            std::upper_bound(copied.begin(), copied.end(), span.start,
                             [](std::uint32_t start, const Copied& c) { return start < c.from; });
        if (after != copied.begin()) {
            const Copied& holder = *std::prev(after);
            if (span.start + span.length <= holder.from + holder.length) {
                span.start = holder.to + (span.start - holder.from);
                ++entry;
                continue;
            }
        }
        entry = m_spans.erase(entry);
    }
    for (const auto& [node, span] : walk.spans) {
        m_spans.insert_or_assign(node, span);
    }
}

} // namespace velmora
