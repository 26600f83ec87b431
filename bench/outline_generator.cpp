#include "bench/outline_generator.hpp"

#include "core/model/tree_paths.hpp"

#include <array>
#include <map>
#include <random>
#include <vector>

namespace velmora::bench {
namespace {

constexpr std::array<const char*, 24> kWords = {
    "plan",   "review", "Café",   "budget", "garden",  "draft",  "meeting", "naïve",
    "ideas",  "travel", "Köln",   "notes",  "release", "später", "design",  "écrire",
    "收件箱", "report", "Zürich", "todo",   "archive", "summer", "données", "call"};

struct Generator {
    std::mt19937_64 rng;
    std::int64_t remaining;
    std::int64_t serial = 0;

    std::string title() {
        std::uniform_int_distribution<int> words(1, 5), pick(0, kWords.size() - 1);
        std::string out;
        for (int n = words(rng); n > 0; --n) {
            if (!out.empty())
                out += ' ';
            out += kWords[static_cast<std::size_t>(pick(rng))];
        }
        return out;
    }

    char hex(int v) { return "0123456789abcdef"[v & 15]; }

    std::string id() {
        // Deterministic ids shaped like the real ones.
        std::uint64_t a = rng(), b = rng();
        std::string s;
        for (int i = 0; i < 32; ++i) {
            if (i == 8 || i == 12 || i == 16 || i == 20)
                s += '-';
            s += hex(static_cast<int>((i < 16 ? a >> (i * 4) : b >> ((i - 16) * 4)) & 15));
        }
        ++serial;
        return s;
    }

    Item item(int depth) {
        Item it = Item::blank(id(), title());
        --remaining;
        std::uniform_int_distribution<int> percent(0, 99);
        if (percent(rng) < 10)
            it.note = "A note about " + title() + ".\nSecond line with *markup*.";
        it.checked = percent(rng) < 15;
        if (percent(rng) < 8)
            it.color = ColorLabels::allCases[static_cast<std::size_t>(percent(rng) % 7)];
        it.bold = percent(rng) < 3;
        it.created = Timestamp{1700000000 + static_cast<std::int64_t>(serial)};
        it.modified = it.created;
        if (depth < 12 && remaining > 0 && percent(rng) < (depth < 3 ? 90 : 45)) {
            std::uniform_int_distribution<int> branching(1, depth < 2 ? 40 : 12);
            int n = branching(rng);
            std::vector<Item> children;
            for (int i = 0; i < n && remaining > 0; ++i)
                children.push_back(item(depth + 1));
            it.children = ItemList(std::move(children));
        }
        return it;
    }
};

} // namespace

TreeDocument generateOutline(std::int64_t itemCount, std::uint64_t seed) {
    Generator g{std::mt19937_64(seed), itemCount};
    std::vector<Item> top;
    while (g.remaining > 0)
        top.push_back(g.item(0));
    return TreeDocument{"bench-document", "Benchmark outline", ItemList(std::move(top))};
}

std::string deepItemId(const TreeDocument& doc) {
    const ItemList* list = &doc.items;
    std::string id;
    int bestDepth = -1;
    // Descend along the last child at each level, remembering the deepest point reached.
    std::vector<std::pair<const ItemList*, int>> stack{{&doc.items, 0}};
    while (!stack.empty()) {
        auto [l, depth] = stack.back();
        stack.pop_back();
        for (const auto& item : *l) {
            if (depth > bestDepth) {
                bestDepth = depth;
                id = item.id;
            }
            if (!item.children.empty() && depth < 64)
                stack.push_back({&item.children, depth + 1});
        }
        (void)list;
    }
    return id;
}

std::string writeOrg(const TreeDocument& doc) {
    std::string out = "#+TITLE: " + doc.title + "\n";
    out.reserve(static_cast<std::size_t>(48 * doc.itemCount()));
    std::int64_t n = 0;
    TreePaths::forEachPreOrder(doc.items, [&](const Item& item, const std::vector<int>& path) {
        ++n;
        out.append(path.size(), '*');
        out += item.checked ? " DONE " : (n % 5 == 0 ? " TODO " : " ");
        if (n % 7 == 0)
            out += "[#B] ";
        // Titles of the generator are one line without Org syntax of their own.
        for (char c : item.text)
            out += c == '\n' ? ' ' : c;
        if (n % 11 == 0)
            out += "   :work:home:";
        out += '\n';
        if (!item.note.empty()) {
            out += item.note;
            out += '\n';
        }
        return true;
    });
    return out;
}

const TreeDocument& cachedOutline(std::int64_t itemCount) {
    static std::map<std::int64_t, TreeDocument> cache;
    auto it = cache.find(itemCount);
    if (it == cache.end())
        it = cache.emplace(itemCount, generateOutline(itemCount)).first;
    return it->second;
}

} // namespace velmora::bench
