#pragma once

// Shared by the fuzz targets: a failed invariant aborts, so libFuzzer (or the corpus replay
// in the test suite) reports it like a crash.

#include "core/model/item.hpp"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace velmora::fuzz {

inline void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "invariant failed: %s\n", what);
        std::abort();
    }
}

// Ids "f1", "f2", … so that every run of an input is the same.
inline IDFactory counter() {
    auto next = std::make_shared<long long>(0);
    return [next] { return "f" + std::to_string(++*next); };
}

// The depth of the deepest item (-1 for no items), walked without recursion.
inline int deepest(const ItemList& items) {
    int result = -1;
    std::vector<std::pair<const ItemList*, int>> pending{{&items, 0}};
    while (!pending.empty()) {
        auto [list, depth] = pending.back();
        pending.pop_back();
        for (const auto& item : *list) {
            result = std::max(result, depth);
            pending.push_back({&item.children, depth + 1});
        }
    }
    return result;
}

} // namespace velmora::fuzz
