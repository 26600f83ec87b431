// Org reader: never crashes, never nests deeper than the limit, and what it reads survives a
// write and a second read with every item, id and text.

#include "core/formats/org_codec.hpp"
#include "core/formats/web_page.hpp"
#include "fuzz_check.hpp"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmora;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    auto document = OrgCodec::decode(text, "Fallback", fuzz::counter());
    if (!document.ok()) {
        fuzz::check(document.error().line >= 1, "line counts from 1");
        return 0;
    }
    const ItemList& items = document.value().items;
    fuzz::check(fuzz::deepest(items) <= kMaxItemDepth, "depth within the limit");
    const std::string& title = document.value().title;
    std::string written = OrgCodec::encode(title, items);
    auto again = OrgCodec::decode(written, "Fallback", fuzz::counter());
    fuzz::check(again.ok(), "written Org reads back");
    fuzz::check(again.value().items == items, "a round trip keeps every item, id and text");
    fuzz::check(OrgCodec::encode(again.value().title, again.value().items) == written,
                "writing what was read back gives the same text");
    auto bare = OrgCodec::decode(OrgCodec::encode(title, items, {.ids = false}), "Fallback",
                                 fuzz::counter());
    fuzz::check(bare.ok() && bare.value().items.totalCount() == items.totalCount(),
                "without ids every item comes back");
    std::string page = WebPage::encode(title, items);
    fuzz::check(page.find("<script") == std::string::npos, "the web page runs nothing");
    return 0;
}
