// Markdown reader: never crashes, never nests deeper than the limit, and what it reads
// survives a write and a second read.

#include "core/formats/markdown_codec.hpp"
#include "fuzz_check.hpp"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmora;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    auto document = MarkdownCodec::decode(text, "Fallback", fuzz::counter());
    if (!document.ok()) {
        fuzz::check(document.error().line >= 1, "line counts from 1");
        return 0;
    }
    const ItemList& items = document.value().items;
    fuzz::check(fuzz::deepest(items) <= kMaxItemDepth, "depth within the limit");
    for (bool markers : {true, false}) {
        std::string written = MarkdownCodec::encode(items, {.taskMarkers = markers});
        auto again = MarkdownCodec::decode(written, "Fallback", fuzz::counter());
        fuzz::check(again.ok(), "written Markdown reads back");
        fuzz::check(again.value().items.totalCount() == items.totalCount(),
                    "a round trip keeps every item");
        fuzz::check(MarkdownCodec::encode(again.value().items, {.taskMarkers = markers}) == written,
                    "writing what was read back gives the same text");
    }
    return 0;
}
