#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The help texts and string tables built into the program (the files under resources/), so
// nothing depends on the working directory at run time.
namespace velmora::Resources {

// The bytes of the built-in file at `path` below resources/ ("help/en/help.md"); nothing when
// there is no such file.
[[nodiscard]] std::optional<std::string_view> text(std::string_view path);

// The paths of every built-in file, in ascending order.
[[nodiscard]] std::vector<std::string_view> paths();

// The help text for a language code ("de", "pt-BR"): the language's own, else the English one,
// else the empty text.
[[nodiscard]] std::string_view helpText(std::string_view languageCode);

// The codes of the languages that have a string table ("en", …), in ascending order.
[[nodiscard]] std::vector<std::string> stringTableLanguages();

} // namespace velmora::Resources
