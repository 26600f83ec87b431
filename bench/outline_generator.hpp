#pragma once

#include "core/model/item.hpp"

#include <cstdint>
#include <string>

namespace velmora::bench {

// A realistic outline of about `itemCount` items: depths to about 12, 1 to 40 children,
// titles of a few words with some non-ASCII, some notes, checks and labels. The same seed
// always gives the same outline.
[[nodiscard]] TreeDocument generateOutline(std::int64_t itemCount, std::uint64_t seed = 42);

// The id of an item at the deepest level of the outline (the last one in pre-order).
[[nodiscard]] std::string deepItemId(const TreeDocument& doc);

// The outline as an Org file written the way people write them: one headline per item, TODO
// and DONE keywords, some priorities and tags, notes as section text, no property drawers.
// It reads back to the same tree (ids aside).
[[nodiscard]] std::string writeOrg(const TreeDocument& doc);

// The outline cached per size, so benchmarks at a million items build it only once.
[[nodiscard]] const TreeDocument& cachedOutline(std::int64_t itemCount);

} // namespace velmora::bench
