// OPML reader: never crashes; ids of what it reads are unique and non-empty, depth is within
// the limit, and the items survive a write and a second read.

#include "core/formats/opml_codec.hpp"
#include "fuzz_check.hpp"

#include <cstddef>
#include <cstdint>
#include <unordered_set>

namespace {

bool idsUniqueAndNonEmpty(const velmora::ItemList& items) {
    std::unordered_set<std::string> seen;
    std::vector<const velmora::ItemList*> pending{&items};
    while (!pending.empty()) {
        const auto* list = pending.back();
        pending.pop_back();
        for (const auto& item : *list) {
            if (item.id.empty() || !seen.insert(item.id).second)
                return false;
            pending.push_back(&item.children);
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmora;
    auto document =
        OPMLCodec::decode({reinterpret_cast<const char*>(data), size}, "Fallback", fuzz::counter());
    if (!document.ok()) {
        fuzz::check(document.error().line >= 0, "line is not negative");
        return 0;
    }
    const ItemList& items = document.value().items;
    fuzz::check(fuzz::deepest(items) <= kMaxItemDepth, "depth within the limit");
    fuzz::check(idsUniqueAndNonEmpty(items), "ids unique and non-empty");
    auto again = OPMLCodec::decode(OPMLCodec::encode(document.value().title, items), "Fallback",
                                   fuzz::counter());
    fuzz::check(again.ok(), "written OPML reads back");
    fuzz::check(again.value().items == items, "items survive an OPML round trip");
    return 0;
}
