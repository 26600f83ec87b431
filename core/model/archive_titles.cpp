#include "core/model/archive_titles.hpp"

#include "core/model/text.hpp"

namespace velmora::ArchiveTitles {

bool matches(std::string_view title) {
    auto trimmedTitle = Text::trimmed(title);
    for (auto candidate : all)
        if (Text::equalsIgnoringCase(trimmedTitle, candidate))
            return true;
    return false;
}

} // namespace velmora::ArchiveTitles
