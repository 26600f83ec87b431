#include "core/formats/safe_file_name.hpp"

#include "core/model/text.hpp"

#include <utf8proc.h>

#include <algorithm>
#include <vector>

namespace velmora {
namespace {

constexpr std::size_t kMaxCharacters = 80;
constexpr std::size_t kMaxBytes = 200;

bool isForbidden(utf8proc_int32_t cp) {
    switch (cp) {
    case '/':
    case '\\':
    case ':':
    case '?':
    case '%':
    case '*':
    case '|':
    case '"':
    case '<':
    case '>':
        return true;
    default:
        break;
    }
    auto category = utf8proc_category(cp);
    return category == UTF8PROC_CATEGORY_CC || category == UTF8PROC_CATEGORY_CF;
}

// The text's user-perceived characters (extended grapheme clusters), in order.
std::vector<std::string_view> graphemes(std::string_view text) {
    std::vector<std::string_view> clusters;
    std::size_t start = 0;
    std::size_t pos = 0;
    utf8proc_int32_t previous = -1;
    utf8proc_int32_t state = 0;
    while (pos < text.size()) {
        utf8proc_int32_t cp = 0;
        auto n = utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(text.data() + pos),
                                  static_cast<utf8proc_ssize_t>(text.size() - pos), &cp);
        std::size_t length = n > 0 ? static_cast<std::size_t>(n) : 1;
        if (previous >= 0 && utf8proc_grapheme_break_stateful(previous, cp, &state)) {
            clusters.push_back(text.substr(start, pos - start));
            start = pos;
        }
        previous = cp;
        pos += length;
    }
    if (pos > start)
        clusters.push_back(text.substr(start));
    return clusters;
}

bool containsForbidden(std::string_view cluster) {
    for (std::size_t pos = 0; pos < cluster.size();) {
        utf8proc_int32_t cp = 0;
        auto n = utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(cluster.data() + pos),
                                  static_cast<utf8proc_ssize_t>(cluster.size() - pos), &cp);
        if (n < 1 || isForbidden(cp))
            return true;
        pos += static_cast<std::size_t>(n);
    }
    return false;
}

// Runs of blanks shortened to one (the same as halving pairs until none is left).
std::string collapseBlanks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (!(c == ' ' && !out.empty() && out.back() == ' '))
            out += c;
    return out;
}

std::string cut(const std::string& text) {
    auto clusters = graphemes(text);
    if (clusters.size() <= kMaxCharacters && text.size() <= kMaxBytes)
        return text;
    std::string kept;
    for (std::size_t i = 0; i < clusters.size() && i < kMaxCharacters; ++i) {
        if (kept.size() + clusters[i].size() > kMaxBytes)
            break;
        kept += clusters[i];
    }
    return Text::trimmed(kept);
}

} // namespace

std::string safeFileName(std::string_view title) {
    std::string valid = Text::validUTF8(title);
    std::string replaced;
    replaced.reserve(valid.size());
    for (auto cluster : graphemes(valid))
        replaced += containsForbidden(cluster) ? std::string_view("-") : cluster;
    // A leading dot would hide the file: the library and file managers would not show it.
    std::string visible = Text::trimmed(replaced);
    visible.erase(0, std::min(visible.find_first_not_of('.'), visible.size()));
    std::string name = cut(collapseBlanks(Text::trimmed(visible)));
    if (name.empty())
        return "Untitled";
    return name;
}

std::string lowercasedFileName(std::string_view name) {
    std::string valid = Text::validUTF8(name);
    std::string out;
    out.reserve(valid.size());
    for (std::size_t pos = 0; pos < valid.size();) {
        utf8proc_int32_t cp = 0;
        auto n = utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(valid.data() + pos),
                                  static_cast<utf8proc_ssize_t>(valid.size() - pos), &cp);
        pos += n > 0 ? static_cast<std::size_t>(n) : 1;
        Text::appendUTF8(out, static_cast<char32_t>(utf8proc_tolower(cp)));
    }
    return out;
}

} // namespace velmora
