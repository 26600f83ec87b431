#include "core/commands/plural.hpp"

namespace velmora::Plural {

namespace {

constexpr std::array<std::string_view, 6> kRawValues = {"zero", "one",  "two",
                                                        "few",  "many", "other"};

// The language part of a code: "pt" for "pt-BR".
std::string_view baseLanguage(std::string_view code) {
    return code.substr(0, code.find_first_of("-_"));
}

// The category marker at the start of `text` ("{few}"), with its length.
std::optional<std::pair<Category, std::size_t>> markerAt(std::string_view text) {
    if (!text.starts_with('{'))
        return std::nullopt;
    const std::size_t close = text.find('}');
    if (close == std::string_view::npos)
        return std::nullopt;
    auto category = categoryFromRawValue(text.substr(1, close - 1));
    if (!category)
        return std::nullopt;
    return std::pair{*category, close + 1};
}

// The Slavic rule of Polish and Ukrainian for whole numbers; `oneOnlyForOne` is Polish, where
// 21 is "many" while Ukrainian counts it as "one".
Category slavic(std::uint64_t n, bool oneOnlyForOne) {
    const std::uint64_t units = n % 10;
    const std::uint64_t tens = n % 100;
    if (oneOnlyForOne ? n == 1 : (units == 1 && tens != 11))
        return Category::one;
    if (units >= 2 && units <= 4 && (tens < 12 || tens > 14))
        return Category::few;
    return Category::many;
}

} // namespace

std::string_view rawValue(Category category) {
    return kRawValues[static_cast<std::size_t>(category)];
}

std::optional<Category> categoryFromRawValue(std::string_view raw) {
    for (std::size_t i = 0; i < kRawValues.size(); ++i)
        if (kRawValues[i] == raw)
            return kAllCategories[i];
    return std::nullopt;
}

Category category(std::string_view languageCode, std::int64_t count) {
    const std::uint64_t n = count < 0 ? 0 - static_cast<std::uint64_t>(count)
                                      : static_cast<std::uint64_t>(count);
    const std::string_view language = baseLanguage(languageCode);
    if (language == "ja")
        return Category::other;
    if (language == "pl")
        return slavic(n, true);
    if (language == "uk")
        return slavic(n, false);
    if (language == "fr" || language == "pt")
        return n <= 1 ? Category::one : Category::other;
    return n == 1 ? Category::one : Category::other;
}

std::vector<Category> categories(std::string_view languageCode) {
    const std::string_view language = baseLanguage(languageCode);
    if (language == "ja")
        return {Category::other};
    if (language == "pl" || language == "uk")
        return {Category::one, Category::few, Category::many};
    return {Category::one, Category::other};
}

std::optional<std::vector<Form>> forms(std::string_view text) {
    auto marker = markerAt(text);
    if (!marker)
        return std::nullopt;
    std::vector<Form> out;
    std::size_t start = 0;
    while (marker) {
        const std::size_t begin = start + marker->second;
        // The form runs to the next marker or the end.
        std::size_t end = begin;
        std::optional<std::pair<Category, std::size_t>> next;
        for (end = text.find('{', begin); end != std::string_view::npos;
             end = text.find('{', end + 1))
            if ((next = markerAt(text.substr(end))))
                break;
        if (end == std::string_view::npos)
            end = text.size();
        out.push_back({marker->first, text.substr(begin, end - begin)});
        marker = next;
        start = end;
    }
    return out;
}

std::string_view choose(std::string_view languageCode, std::string_view text,
                        std::optional<std::int64_t> count) {
    auto all = forms(text);
    if (!all)
        return text;
    const Category wanted = count ? category(languageCode, *count) : Category::other;
    for (Category c : {wanted, Category::other})
        for (const Form& form : *all)
            if (form.category == c)
                return form.text;
    return all->back().text;
}

} // namespace velmora::Plural
