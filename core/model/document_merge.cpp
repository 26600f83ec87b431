#include "core/model/document_merge.hpp"

#include "core/model/id_index.hpp"
#include "core/model/id_lookup.hpp"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace velmora {
namespace {

constexpr std::uint32_t kNone = 0xFFFFFFFFu;
// The document's top level, as a parent.
constexpr std::uint32_t kTop = 0xFFFFFFFEu;
// A base parent that neither side kept: differs from every parent a side can name.
constexpr std::uint32_t kGone = 0xFFFFFFFDu;

// One item of one side, with where it stands on that side.
struct Flat {
    const ItemList::Node* node = nullptr;
    std::string_view id;
    std::uint64_t key = 0;        // the key of the id (see idKey)
    std::uint32_t parent = kNone; // flat index of the parent; kNone at the top level
    std::uint32_t childBegin = 0;
    std::uint32_t childCount = 0;
};

// One side flattened breadth first, so that the children of each item are neighbours in `flat`
// and the top-level items come first. Ids repeated within the side are renamed (the same way on
// every side), so that each item of the merge has one id.
struct Side {
    std::vector<Flat> flat;
    std::uint32_t topCount = 0;
    IdLookup lookup;
    std::deque<std::string> renamed;
    bool duplicates = false;

    [[nodiscard]] std::uint32_t find(std::string_view id, std::uint64_t key) const {
        auto slot = lookup.find(id, key);
        return slot ? static_cast<std::uint32_t>(*slot) : kNone;
    }
    [[nodiscard]] const Item& item(std::uint32_t at) const { return **flat[at].node; }
};

std::uint64_t mix(std::uint64_t h) {
    h ^= h >> 30;
    h *= 0xbf58476d1ce4e5b9ull;
    h ^= h >> 27;
    h *= 0x94d049bb133111ebull;
    return h ^ (h >> 31);
}

std::uint64_t hashText(std::string_view text, std::uint64_t seed) {
    std::uint64_t h = seed;
    for (unsigned char c : text) {
        h ^= c;
        h *= 0x100000001b3ull;
    }
    return mix(h);
}

// An id in the form of a UUID that depends only on its arguments, so that a merge repeated on
// the same inputs names its new items the same way.
std::string derivedId(std::string_view from, std::string_view salt, unsigned n) {
    std::string seed;
    seed.reserve(from.size() + salt.size() + 12);
    seed.append(salt).append(1, ':').append(from).append(1, ':').append(std::to_string(n));
    const std::uint64_t hi = hashText(seed, 0xcbf29ce484222325ull);
    const std::uint64_t lo = hashText(seed, 0x84222325cbf29ce4ull);
    static const char* digits = "0123456789abcdef";
    std::string id;
    id.reserve(36);
    for (int i = 0; i < 32; ++i) {
        const std::uint64_t word = i < 16 ? hi : lo;
        unsigned nibble = static_cast<unsigned>((word >> (4 * (15 - (i % 16)))) & 0xF);
        if (i == 12)
            nibble = 5; // the version of name-based UUIDs
        if (i == 16)
            nibble = 8 | (nibble & 3);
        if (i == 8 || i == 12 || i == 16 || i == 20)
            id.push_back('-');
        id.push_back(digits[nibble]);
    }
    return id;
}

Side flatten(const TreeDocument& doc) {
    Side side;
    side.flat.reserve(static_cast<std::size_t>(doc.itemCount()));
    const ItemList& top = doc.items;
    for (std::size_t i = 0; i < top.size(); ++i)
        side.flat.push_back({&top.node(i), top[i].id, top.idKeyAt(i), kNone, 0, 0});
    side.topCount = static_cast<std::uint32_t>(top.size());
    for (std::uint32_t at = 0; at < side.flat.size(); ++at) {
        const ItemList& children = (*side.flat[at].node)->children;
        side.flat[at].childBegin = static_cast<std::uint32_t>(side.flat.size());
        side.flat[at].childCount = static_cast<std::uint32_t>(children.size());
        for (std::size_t i = 0; i < children.size(); ++i)
            side.flat.push_back({&children.node(i), children[i].id, children.idKeyAt(i), at, 0, 0});
    }
    std::vector<std::string_view> ids;
    ids.reserve(side.flat.size());
    for (const auto& f : side.flat)
        ids.push_back(f.id);
    side.lookup = IdLookup(ids);
    if (side.lookup.size() == side.flat.size())
        return side;

    // Later occurrences of an id get an id derived from it and from their number.
    side.duplicates = true;
    std::vector<unsigned> seen(side.lookup.size(), 0);
    for (auto& f : side.flat) {
        const unsigned n = ++seen[*side.lookup.find(f.id, f.key)];
        if (n == 1)
            continue;
        std::string id = derivedId(f.id, "repeated", n);
        for (unsigned extra = 1; side.lookup.contains(id); ++extra)
            id = derivedId(f.id, "repeated", n + extra * 0x10000u);
        side.renamed.push_back(std::move(id));
        f.id = side.renamed.back();
        f.key = idKey(f.id);
    }
    for (std::size_t i = 0; i < side.flat.size(); ++i)
        ids[i] = side.flat[i].id;
    side.lookup = IdLookup(ids);
    return side;
}

bool sameFields(const Item& a, const Item& b) {
    return a.text == b.text && a.note == b.note && a.checked == b.checked && a.color == b.color &&
           a.bold == b.bold && a.underline == b.underline && a.collapsed == b.collapsed;
}

template <class T> const T& pickFlag(const T* base, const T& ours, const T& theirs) {
    return base && ours == *base ? theirs : ours;
}

// The merge of one item present on both sides: its fields, and theirs's texts when they
// conflict.
struct FieldMerge {
    const Item* whole = nullptr; // a side whose fields are the result, if one is
    Item merged;                 // the result otherwise (children not set)
    bool conflict = false;
};

FieldMerge mergeFields(const Item* base, const Item& ours, const Item& theirs) {
    FieldMerge out;
    // Most items are alike on both sides, or changed on one only: no texts are copied then.
    if (sameFields(ours, theirs) || (base && sameFields(theirs, *base))) {
        out.whole = &ours;
        return out;
    }
    if (base && sameFields(ours, *base)) {
        out.whole = &theirs;
        return out;
    }
    auto text = [&](const std::string& b, const std::string& o,
                    const std::string& t) -> const std::string& {
        if (base && o == b)
            return t;
        if (t != o && (!base || t != b))
            out.conflict = true;
        return o;
    };
    Item m;
    m.text = text(base ? base->text : ours.text, ours.text, theirs.text);
    m.note = text(base ? base->note : ours.note, ours.note, theirs.note);
    m.checked = pickFlag(base ? &base->checked : nullptr, ours.checked, theirs.checked);
    m.color = pickFlag(base ? &base->color : nullptr, ours.color, theirs.color);
    m.bold = pickFlag(base ? &base->bold : nullptr, ours.bold, theirs.bold);
    m.underline = pickFlag(base ? &base->underline : nullptr, ours.underline, theirs.underline);
    m.collapsed = pickFlag(base ? &base->collapsed : nullptr, ours.collapsed, theirs.collapsed);
    if (sameFields(m, ours)) {
        out.whole = &ours;
        return out;
    }
    if (sameFields(m, theirs)) {
        out.whole = &theirs;
        return out;
    }
    m.id = ours.id;
    m.created = ours.created ? ours.created : theirs.created;
    m.modified = ours.modified;
    if (theirs.modified && (!m.modified || *m.modified < *theirs.modified))
        m.modified = theirs.modified;
    out.merged = std::move(m);
    return out;
}

class Merger {
public:
    Merger(const TreeDocument* base, const TreeDocument& ours, const TreeDocument& theirs)
        : m_hasBase(base != nullptr), m_base(base ? flatten(*base) : Side()), m_ours(flatten(ours)),
          m_theirs(flatten(theirs)) {}

    MergeResult run(const TreeDocument* base, const TreeDocument& ours, const TreeDocument& theirs);

private:
    struct Rec {
        std::uint32_t b = kNone, o = kNone, t = kNone;
        std::uint32_t parent = kTop;
        bool kept = false;
        bool tookTheirsParent = false;
    };

    void matchItems();
    std::uint32_t oursParent(const Rec& r) const;
    std::uint32_t theirsParent(const Rec& r) const;
    std::uint32_t baseParent(const Rec& r) const;
    void placeItems();
    void breakCycles();
    void keepParents();
    void countChanges();
    void mergeItems();
    std::uint32_t listSlot(std::uint32_t parent) const {
        return parent == kTop ? static_cast<std::uint32_t>(m_recs.size()) : parent;
    }
    template <class F> void forChildren(const Side& side, std::uint32_t at, F&& visit) const;
    std::vector<std::uint32_t> childrenOn(int which, std::uint32_t parent) const;
    void orderChildren(std::uint32_t parent);
    bool reordered(const std::vector<std::uint32_t>& side, const std::vector<std::uint32_t>& base);
    void insertAfter(std::uint32_t parent, std::uint32_t after, std::uint32_t x);
    ItemList build();

    bool m_hasBase;
    Side m_base, m_ours, m_theirs;
    std::vector<Rec> m_recs;
    std::vector<std::uint32_t> m_theirsToRec, m_baseToRec;
    // Per rec: a side node whose fields are the result, or an index into m_mergedItems.
    std::vector<const ItemList::Node*> m_source;
    std::vector<std::uint32_t> m_mergedAt;
    std::vector<Item> m_mergedItems;
    // Conflict copies, recs numbered from m_recs.size() on, each after its item.
    std::vector<Item> m_copies;
    std::vector<std::uint32_t> m_copyOf;
    // Children lists: a linked list per parent slot (recs, then the top level).
    std::vector<std::uint32_t> m_head, m_next;
    std::vector<std::uint32_t> m_mark;
    std::uint32_t m_epoch = 0;
    MergeSummary m_summary;
};

// Each id once: every item of ours is looked up on the other two sides, and only the items of
// theirs that ours lacks are looked up in the base.
void Merger::matchItems() {
    const auto oursCount = static_cast<std::uint32_t>(m_ours.flat.size());
    m_recs.resize(oursCount);
    m_theirsToRec.assign(m_theirs.flat.size(), kNone);
    m_baseToRec.assign(m_base.flat.size(), kNone);
    for (std::uint32_t i = 0; i < oursCount; ++i) {
        const Flat& f = m_ours.flat[i];
        Rec& r = m_recs[i];
        r.o = i;
        r.t = m_theirs.find(f.id, f.key);
        r.b = m_base.find(f.id, f.key);
        if (r.t != kNone)
            m_theirsToRec[r.t] = i;
        if (r.b != kNone)
            m_baseToRec[r.b] = i;
    }
    for (std::uint32_t j = 0; j < m_theirs.flat.size(); ++j) {
        if (m_theirsToRec[j] != kNone)
            continue;
        const Flat& f = m_theirs.flat[j];
        Rec rec;
        rec.t = j;
        rec.b = m_base.find(f.id, f.key);
        m_theirsToRec[j] = static_cast<std::uint32_t>(m_recs.size());
        if (rec.b != kNone)
            m_baseToRec[rec.b] = m_theirsToRec[j];
        m_recs.push_back(rec);
    }
}

std::uint32_t Merger::oursParent(const Rec& r) const {
    const std::uint32_t p = m_ours.flat[r.o].parent;
    return p == kNone ? kTop : p;
}

std::uint32_t Merger::theirsParent(const Rec& r) const {
    const std::uint32_t p = m_theirs.flat[r.t].parent;
    return p == kNone ? kTop : m_theirsToRec[p];
}

std::uint32_t Merger::baseParent(const Rec& r) const {
    const std::uint32_t p = m_base.flat[r.b].parent;
    if (p == kNone)
        return kTop;
    return m_baseToRec[p] == kNone ? kGone : m_baseToRec[p];
}

// Each item's parent, and whether it stays: an item deleted on one side stays only when the
// other side changed or moved it (its kept descendants keep it too, see keepParents).
void Merger::placeItems() {
    for (auto& r : m_recs) {
        if (r.o != kNone && r.t != kNone) {
            const std::uint32_t op = oursParent(r);
            const std::uint32_t tp = theirsParent(r);
            r.parent = op;
            if (r.b != kNone && op == baseParent(r) && tp != op) {
                r.parent = tp;
                r.tookTheirsParent = true;
            }
            r.kept = true;
            continue;
        }
        const bool inOurs = r.o != kNone;
        const Side& side = inOurs ? m_ours : m_theirs;
        const std::uint32_t at = inOurs ? r.o : r.t;
        r.parent = inOurs ? oursParent(r) : theirsParent(r);
        r.kept = r.b == kNone || !sameFields(side.item(at), m_base.item(r.b)) ||
                 r.parent != baseParent(r);
    }
}

// A parent taken from their side that would make an item its own ancestor gives way to ours.
void Merger::breakCycles() {
    const auto count = static_cast<std::uint32_t>(m_recs.size());
    std::vector<std::uint8_t> state(count, 0); // 0 unseen, 1 on the current path, 2 done
    std::vector<std::uint32_t> path;
    for (std::uint32_t start = 0; start < count; ++start) {
        for (;;) {
            path.clear();
            std::uint32_t x = start;
            while (x < count && state[x] == 0) {
                state[x] = 1;
                path.push_back(x);
                x = m_recs[x].parent;
            }
            if (x < count && state[x] == 1) {
                bool reverted = false;
                for (auto it = path.rbegin(); it != path.rend(); ++it) {
                    Rec& r = m_recs[*it];
                    if (r.tookTheirsParent) {
                        r.parent = oursParent(r);
                        r.tookTheirsParent = false;
                        reverted = true;
                    }
                    if (*it == x)
                        break;
                }
                if (!reverted) // cannot happen with one valid side; never loop on it
                    m_recs[x].parent = kTop;
                for (auto y : path)
                    state[y] = 0;
                continue;
            }
            for (auto y : path)
                state[y] = 2;
            break;
        }
    }
}

// Every kept item's parent is kept, even where one side deleted it.
void Merger::keepParents() {
    for (auto& r : m_recs) {
        if (!r.kept)
            continue;
        std::uint32_t p = r.parent;
        while (p < m_recs.size() && !m_recs[p].kept) {
            m_recs[p].kept = true;
            p = m_recs[p].parent;
        }
    }
}

void Merger::countChanges() {
    for (const auto& r : m_recs) {
        if (r.b == kNone) {
            if (r.o == kNone)
                ++m_summary.fromTheirs;
            else if (r.t == kNone)
                ++m_summary.fromOurs;
            continue;
        }
        const Item& b = m_base.item(r.b);
        const std::uint32_t bp = baseParent(r);
        const bool oursChanged =
            r.o != kNone && (!sameFields(m_ours.item(r.o), b) || oursParent(r) != bp);
        const bool theirsChanged =
            r.t != kNone && (!sameFields(m_theirs.item(r.t), b) || theirsParent(r) != bp);
        if (r.o != kNone && r.t != kNone) {
            m_summary.fromOurs += oursChanged ? 1 : 0;
            m_summary.fromTheirs += theirsChanged ? 1 : 0;
        } else if (r.kept) {
            ++m_summary.keptDespiteDeletion;
            m_summary.fromOurs += oursChanged ? 1 : 0;
            m_summary.fromTheirs += theirsChanged ? 1 : 0;
        } else if (r.o == kNone) {
            ++m_summary.fromOurs; // ours deleted it
        } else {
            ++m_summary.fromTheirs;
        }
    }
}

void Merger::mergeItems() {
    m_source.assign(m_recs.size(), nullptr);
    m_mergedAt.assign(m_recs.size(), kNone);
    std::unordered_set<std::string> copyIds;
    for (std::uint32_t i = 0; i < m_recs.size(); ++i) {
        const Rec& r = m_recs[i];
        if (!r.kept)
            continue;
        if (r.o == kNone || r.t == kNone) {
            m_source[i] = r.o != kNone ? m_ours.flat[r.o].node : m_theirs.flat[r.t].node;
            continue;
        }
        const Item& ours = m_ours.item(r.o);
        const Item& theirs = m_theirs.item(r.t);
        FieldMerge fm = mergeFields(r.b != kNone ? &m_base.item(r.b) : nullptr, ours, theirs);
        if (fm.whole == &ours)
            m_source[i] = m_ours.flat[r.o].node;
        else if (fm.whole == &theirs)
            m_source[i] = m_theirs.flat[r.t].node;
        else {
            m_mergedAt[i] = static_cast<std::uint32_t>(m_mergedItems.size());
            m_mergedItems.push_back(std::move(fm.merged));
        }
        if (!fm.conflict)
            continue;
        const std::string_view id = m_ours.flat[r.o].id;
        std::string copyId = derivedId(id, "conflict", 1);
        for (unsigned n = 2; m_ours.lookup.contains(copyId) || m_theirs.lookup.contains(copyId) ||
                             m_base.lookup.contains(copyId) || copyIds.contains(copyId);
             ++n)
            copyId = derivedId(id, "conflict", n);
        copyIds.insert(copyId);
        Item copy = Item::blank(std::move(copyId), theirs.text);
        copy.note = theirs.note;
        copy.created = theirs.created;
        copy.modified = theirs.modified;
        m_copies.push_back(std::move(copy));
        m_copyOf.push_back(i);
    }
    m_summary.conflicts = static_cast<int>(m_copies.size());
}

template <class F> void Merger::forChildren(const Side& side, std::uint32_t at, F&& visit) const {
    if (at == kTop) {
        for (std::uint32_t c = 0; c < side.topCount; ++c)
            visit(c);
        return;
    }
    const Flat& f = side.flat[at];
    for (std::uint32_t c = f.childBegin; c < f.childBegin + f.childCount; ++c)
        visit(c);
}

// The kept children of a parent in one side's order (0 base, 1 ours, 2 theirs) that stay under
// that parent.
std::vector<std::uint32_t> Merger::childrenOn(int which, std::uint32_t parent) const {
    std::vector<std::uint32_t> out;
    const Side& side = which == 0 ? m_base : which == 1 ? m_ours : m_theirs;
    const std::vector<std::uint32_t>* toRec = which == 0   ? &m_baseToRec
                                              : which == 2 ? &m_theirsToRec
                                                           : nullptr;
    std::uint32_t at = kTop;
    if (parent != kTop) {
        const Rec& p = m_recs[parent];
        at = which == 0 ? p.b : which == 1 ? p.o : p.t;
        if (at == kNone)
            return out;
    }
    forChildren(side, at, [&](std::uint32_t c) {
        const std::uint32_t r = toRec ? (*toRec)[c] : c;
        if (r != kNone && m_recs[r].kept && m_recs[r].parent == parent)
            out.push_back(r);
    });
    return out;
}

// Whether a side put the children it shares with the base in another order.
bool Merger::reordered(const std::vector<std::uint32_t>& side,
                       const std::vector<std::uint32_t>& base) {
    const std::uint32_t inBase = ++m_epoch;
    for (auto r : base)
        m_mark[r] = inBase;
    std::vector<std::uint32_t> shared;
    for (auto r : side)
        if (m_mark[r] == inBase)
            shared.push_back(r);
    const std::uint32_t inSide = ++m_epoch;
    for (auto r : side)
        m_mark[r] = inSide;
    std::size_t k = 0;
    for (auto r : base) {
        if (m_mark[r] != inSide)
            continue;
        if (k >= shared.size() || shared[k] != r)
            return true;
        ++k;
    }
    return false;
}

void Merger::insertAfter(std::uint32_t parent, std::uint32_t after, std::uint32_t x) {
    std::uint32_t& head = m_head[listSlot(parent)];
    if (after == kNone) {
        m_next[x] = head;
        head = x;
    } else {
        m_next[x] = m_next[after];
        m_next[after] = x;
    }
}

// The order of a parent's children: one side's order, with the other side's items that it
// lacks placed after their left neighbour there. Ours decides unless only theirs reordered.
void Merger::orderChildren(std::uint32_t parent) {
    const auto ours = childrenOn(1, parent);
    const auto theirs = childrenOn(2, parent);
    bool useTheirs = false;
    if (m_hasBase) {
        const auto base = childrenOn(0, parent);
        useTheirs = !reordered(ours, base) && reordered(theirs, base);
    }
    const auto& skeleton = useTheirs ? theirs : ours;
    const auto& other = useTheirs ? ours : theirs;
    const std::uint32_t placed = ++m_epoch;
    std::uint32_t last = kNone;
    for (auto r : skeleton) {
        insertAfter(parent, last, r);
        m_mark[r] = placed;
        last = r;
    }
    last = kNone;
    for (auto r : other) {
        if (m_mark[r] != placed) {
            insertAfter(parent, last, r);
            m_mark[r] = placed;
        }
        last = r;
    }
}

ItemList Merger::build() {
    const auto count = static_cast<std::uint32_t>(m_recs.size());
    const auto total = count + static_cast<std::uint32_t>(m_copies.size());
    m_head.assign(count + 1, kNone);
    m_next.assign(total, kNone);
    m_mark.assign(count, 0);
    orderChildren(kTop);
    // Only an item with children on some side can have children in the result.
    const auto hasChildren = [this](const Rec& r) {
        return (r.o != kNone && m_ours.flat[r.o].childCount > 0) ||
               (r.t != kNone && m_theirs.flat[r.t].childCount > 0) ||
               (r.b != kNone && m_base.flat[r.b].childCount > 0);
    };
    for (std::uint32_t i = 0; i < count; ++i)
        if (m_recs[i].kept && hasChildren(m_recs[i]))
            orderChildren(i);
    for (std::uint32_t k = 0; k < m_copies.size(); ++k) {
        const std::uint32_t item = m_copyOf[k];
        insertAfter(m_recs[item].parent, item, count + k);
    }

    // Pre-order, then nodes from the leaves up.
    std::vector<std::uint32_t> order;
    order.reserve(total);
    std::vector<std::uint32_t> stack;
    auto pushChildren = [&](std::uint32_t slot) {
        const std::size_t from = stack.size();
        for (std::uint32_t c = m_head[slot]; c != kNone; c = m_next[c])
            stack.push_back(c);
        std::reverse(stack.begin() + static_cast<std::ptrdiff_t>(from), stack.end());
    };
    pushChildren(count);
    while (!stack.empty()) {
        const std::uint32_t x = stack.back();
        stack.pop_back();
        order.push_back(x);
        if (x < count)
            pushChildren(x);
        else
            m_summary.conflictCopyIds.push_back(m_copies[x - count].id);
    }

    std::vector<ItemList::Node> built(total);
    std::vector<ItemList::Node> children;
    auto gather = [&](std::uint32_t slot) {
        children.clear();
        for (std::uint32_t c = m_head[slot]; c != kNone; c = m_next[c])
            children.push_back(std::move(built[c]));
    };
    auto sameNodes = [&](const ItemList& list) {
        if (list.size() != children.size())
            return false;
        for (std::size_t i = 0; i < children.size(); ++i)
            if (list.node(i) != children[i])
                return false;
        return true;
    };
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        const std::uint32_t x = *it;
        if (x >= count) {
            built[x] = std::make_shared<const Item>(m_copies[x - count]);
            continue;
        }
        gather(x);
        const Rec& r = m_recs[x];
        const std::string_view id = r.o != kNone ? m_ours.flat[r.o].id : m_theirs.flat[r.t].id;
        if (m_source[x]) {
            const ItemList::Node& source = *m_source[x];
            if (source->id == id && sameNodes(source->children)) {
                built[x] = source;
                continue;
            }
            Item copy = *source;
            copy.id = std::string(id);
            copy.children = ItemList::fromNodes(children);
            built[x] = std::make_shared<const Item>(std::move(copy));
            continue;
        }
        Item merged = std::move(m_mergedItems[m_mergedAt[x]]);
        merged.id = std::string(id);
        merged.children = ItemList::fromNodes(children);
        built[x] = std::make_shared<const Item>(std::move(merged));
    }
    gather(count);
    return ItemList::fromNodes(children);
}

MergeResult Merger::run(const TreeDocument* base, const TreeDocument& ours,
                        const TreeDocument& theirs) {
    matchItems();
    placeItems();
    breakCycles();
    keepParents();
    countChanges();
    mergeItems();
    ItemList items = build();

    MergeResult result;
    result.document.id = ours.id;
    const std::string& o = ours.title;
    const std::string& t = theirs.title;
    if (base && o == base->title)
        result.document.title = t;
    else {
        result.document.title = o;
        m_summary.titleConflict = t != o && (!base || t != base->title);
    }
    // Keep the sides' own lists where the merge rebuilt them node for node.
    if (items == ours.items)
        items = ours.items;
    else if (items == theirs.items)
        items = theirs.items;
    result.document.items = std::move(items);
    if (m_ours.duplicates || m_theirs.duplicates || m_base.duplicates) {
        // Renamed repeats would otherwise change a document that nothing changed.
        if (ours == theirs)
            result.document = ours;
        else if (base && *base == ours)
            result.document = theirs;
        else if (base && *base == theirs)
            result.document = ours;
    }
    result.summary = std::move(m_summary);
    return result;
}

using ItemsById = std::unordered_map<std::string_view, const Item*>;

void indexItems(const ItemList& items, ItemsById& into) {
    std::vector<const ItemList*> stack{&items};
    while (!stack.empty()) {
        const ItemList* list = stack.back();
        stack.pop_back();
        for (const auto& item : *list) {
            into.emplace(item.id, &item);
            stack.push_back(&item.children);
        }
    }
}

// Whether theirs holds an item that the write from `before` to `after` added or changed, with
// the fields it had after that write. Subtrees the write left as they were are skipped.
bool showsTraceOf(const ItemList& before, const ItemList& after, const ItemsById& theirs) {
    ItemsById earlier;
    indexItems(before, earlier);
    std::vector<const ItemList*> stack{&after};
    while (!stack.empty()) {
        const ItemList* list = stack.back();
        stack.pop_back();
        for (std::size_t i = 0; i < list->size(); ++i) {
            const Item& item = (*list)[i];
            auto was = earlier.find(item.id);
            if (was != earlier.end() && was->second == list->node(i).get())
                continue; // the same node: nothing below it changed
            if (was == earlier.end() || !sameFields(*was->second, item)) {
                auto there = theirs.find(item.id);
                if (there != theirs.end() && sameFields(*there->second, item))
                    return true;
            }
            stack.push_back(&item.children);
        }
    }
    return false;
}

} // namespace

namespace DocumentMerge {

const TreeDocument& commonVersion(const std::vector<TreeDocument>& versions,
                                  const TreeDocument& theirs) {
    static const TreeDocument none;
    if (versions.empty())
        return none;
    ItemsById theirItems;
    indexItems(theirs.items, theirItems);
    for (std::size_t i = versions.size() - 1; i > 0; --i)
        if (showsTraceOf(versions[i - 1].items, versions[i].items, theirItems))
            return versions[i];
    return versions.front();
}

MergeResult merge(const TreeDocument& base, const TreeDocument& ours, const TreeDocument& theirs) {
    return Merger(&base, ours, theirs).run(&base, ours, theirs);
}

MergeResult mergeTwoWay(const TreeDocument& ours, const TreeDocument& theirs) {
    return Merger(nullptr, ours, theirs).run(nullptr, ours, theirs);
}

} // namespace DocumentMerge
} // namespace velmora
