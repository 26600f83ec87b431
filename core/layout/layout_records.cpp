#include "core/layout/layout_records.hpp"

namespace velmora {

std::string_view rawValue(LayoutSegment::Kind kind) {
    switch (kind) {
    case LayoutSegment::Kind::stub:
        return "stub";
    case LayoutSegment::Kind::bracket:
        return "bracket";
    case LayoutSegment::Kind::tick:
        return "tick";
    }
    return "stub";
}

std::optional<LayoutSegment::Kind> segmentKindFromRawValue(std::string_view raw) {
    for (auto kind :
         {LayoutSegment::Kind::stub, LayoutSegment::Kind::bracket, LayoutSegment::Kind::tick})
        if (rawValue(kind) == raw)
            return kind;
    return std::nullopt;
}

std::vector<LayoutLink>
TreeLayoutResult::linksWithin(const std::unordered_set<std::string>& ids) const {
    std::vector<LayoutLink> out;
    for (const auto& link : links)
        if (ids.contains(link.id) && ids.contains(link.parent))
            out.push_back(link);
    return out;
}

} // namespace velmora
