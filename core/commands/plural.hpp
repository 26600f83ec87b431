#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// Plural forms of the texts in the string tables. A text that depends on a count holds one form
// per plural category of its language, each introduced by the category in braces:
// "{one}%lld document{other}%lld documents" in English, "{one}…{few}…{many}…" in Polish and
// Ukrainian. A text without such markers is the same for every count.
namespace velmora::Plural {

// The plural categories of the Unicode locale data, in their customary order.
enum class Category { zero, one, two, few, many, other };

inline constexpr std::array<Category, 6> kAllCategories = {
    Category::zero, Category::one, Category::two, Category::few, Category::many, Category::other};

// "zero", "one", "two", "few", "many", "other".
[[nodiscard]] std::string_view rawValue(Category category);
[[nodiscard]] std::optional<Category> categoryFromRawValue(std::string_view raw);

// The category a whole number takes in the language ("pl": 1 one, 3 few, 5 many, 22 few,
// 112 many; "fr" and "pt-BR": 0 and 1 one; "ja": always other). Unknown languages count like
// English. Negative numbers count like their magnitude.
[[nodiscard]] Category category(std::string_view languageCode, std::int64_t count);

// The categories whole numbers can take in the language, in customary order: the forms a
// plural text of that language must give ({other} for Japanese; one, few and many for Polish
// and Ukrainian, whose "other" only serves fractions).
[[nodiscard]] std::vector<Category> categories(std::string_view languageCode);

// One form of a plural text.
struct Form {
    Category category = Category::other;
    std::string_view text;

    bool operator==(const Form&) const = default;
};

// The forms of a plural text in written order, or nothing when the text does not start with a
// category marker. Braces naming no category ("{name}") are ordinary text.
[[nodiscard]] std::optional<std::vector<Form>> forms(std::string_view text);

// The text for the count: the form of its category, else the {other} form, else the last form
// (without a count: the {other} form, else the last); a text without forms is returned as it is.
[[nodiscard]] std::string_view choose(std::string_view languageCode, std::string_view text,
                                      std::optional<std::int64_t> count);

} // namespace velmora::Plural
