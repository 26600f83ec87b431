#pragma once

#include <array>
#include <string_view>

// The titles that mark an item as the archive, in the interface languages.
namespace velmora::ArchiveTitles {

inline constexpr std::array<std::string_view, 9> all = {"Archive",  "Архів",    "Archiv",
                                                        "Archivo",  "Archivio", "Arquivo",
                                                        "Archiwum", "Archief",  "アーカイブ"};

// Whether a title, trimmed of white space at both ends, equals one of the archive titles
// ignoring letter case.
[[nodiscard]] bool matches(std::string_view title);

} // namespace velmora::ArchiveTitles
