// Plain-text paste: never crashes, never nests deeper than the limit, and gives one item per
// non-blank line.

#include "core/formats/item_clipboard.hpp"
#include "fuzz_check.hpp"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmora;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    ItemList items = ItemClipboard::itemsFromPlainText(text, fuzz::counter());
    fuzz::check(fuzz::deepest(items) <= kMaxItemDepth, "depth within the limit");
    fuzz::check(items.totalCount() == static_cast<std::int64_t>(ItemClipboard::lines(text).size()),
                "one item per line");
    std::string written = ItemClipboard::plainText(items);
    fuzz::check(ItemClipboard::itemsFromPlainText(written, fuzz::counter()).totalCount() <=
                    items.totalCount(),
                "writing adds no items");
    return 0;
}
