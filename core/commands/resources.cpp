#include "core/commands/resources.hpp"

#include <cstddef>

namespace velmora::EmbeddedResources {
struct Entry {
    const char* path;
    const unsigned char* bytes;
    std::size_t size;
};
// Written at build time by resources/embed_resources.cmake.
extern const Entry entries[];
extern const std::size_t entryCount;
} // namespace velmora::EmbeddedResources

namespace velmora::Resources {

std::optional<std::string_view> text(std::string_view path) {
    using namespace EmbeddedResources;
    for (std::size_t i = 0; i < entryCount; ++i)
        if (path == entries[i].path)
            return std::string_view(reinterpret_cast<const char*>(entries[i].bytes),
                                    entries[i].size);
    return std::nullopt;
}

std::vector<std::string_view> paths() {
    std::vector<std::string_view> out;
    for (std::size_t i = 0; i < EmbeddedResources::entryCount; ++i)
        out.emplace_back(EmbeddedResources::entries[i].path);
    return out;
}

std::string_view helpText(std::string_view languageCode) {
    const std::string code(languageCode);
    if (auto own = text("help/" + code + "/help.md"))
        return *own;
    return text("help/en/help.md").value_or(std::string_view());
}

std::vector<std::string> stringTableLanguages() {
    constexpr std::string_view prefix = "strings/";
    constexpr std::string_view suffix = ".json";
    std::vector<std::string> codes;
    for (std::string_view path : paths())
        if (path.starts_with(prefix) && path.ends_with(suffix) &&
            path.size() > prefix.size() + suffix.size())
            codes.emplace_back(
                path.substr(prefix.size(), path.size() - prefix.size() - suffix.size()));
    return codes;
}

} // namespace velmora::Resources
