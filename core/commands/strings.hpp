#pragma once

#include "core/commands/string_table.hpp"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// The user-visible texts of the system, looked up by catalog key in the built-in string table
// of an interface language ("en", "de", "pt-BR").
namespace velmora::Strings {

// One argument of a formatted text: a text for "%@", an integer for "%lld".
using Argument = std::variant<std::string, std::int64_t>;

// The built-in table of a language code, read once; an empty table when there is none.
[[nodiscard]] const StringTable& table(std::string_view languageCode);

// The text of the key in the language, else in English, else the key itself.
[[nodiscard]] std::string localized(std::string_view languageCode, std::string_view key);

// One placeholder of a pattern: the argument it takes (from 0) and whether it asks for a whole
// number ("%lld", "%ld", "%d") rather than a text ("%@").
struct Placeholder {
    std::size_t index = 0;
    bool number = false;
};

// The pattern with each placeholder replaced by what `fill` answers for it, under the rules of
// `format` below; a placeholder `fill` answers nothing for stays as written. Every formatter of
// the system goes through this one reading of placeholders.
[[nodiscard]] std::string
substitute(std::string_view pattern,
           const std::function<std::optional<std::string>(Placeholder)>& fill);

// The pattern with its placeholders filled in from the arguments: "%@" (a text) and "%lld" (an
// integer; "%d" and "%ld" too) take the next argument, "%2$@" and "%1$lld" name one by number
// so translations may reorder them, "%%" is a percent sign. A placeholder without an argument
// stays as written; an integer given for "%@" is written in decimal.
[[nodiscard]] std::string format(std::string_view pattern, const std::vector<Argument>& arguments);

// The first integer among the arguments: the count that picks a plural form.
[[nodiscard]] std::optional<std::int64_t> firstCount(const std::vector<Argument>& arguments);

// The localised text of the key formatted with the arguments; a text with plural forms uses the
// form of the first integer argument's plural category in that language.
[[nodiscard]] std::string localizedFormat(std::string_view languageCode, std::string_view key,
                                          const std::vector<Argument>& arguments);

} // namespace velmora::Strings
