#pragma once

#include <string>
#include <string_view>

namespace velmora {

// A file-system-safe base name (no extension) for a title: forbidden characters become "-",
// white space is trimmed and runs of blanks shortened, long titles are cut to 80 characters
// (and to at most 200 bytes, well inside Linux's 255-byte limit with a number and an
// extension appended), leading dots are dropped (a name starting with one is hidden), and an
// empty result becomes "Untitled".
[[nodiscard]] std::string safeFileName(std::string_view title);

// The name lower-cased letter by letter, for comparing file names without regard to case.
[[nodiscard]] std::string lowercasedFileName(std::string_view name);

} // namespace velmora
