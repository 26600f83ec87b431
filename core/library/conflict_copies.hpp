#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// The copies that file-syncing tools leave beside a document when two computers changed it at
// once, and the desktop's trash that a merged copy goes to.
namespace velmora::Library {

// The file name of the document that a conflict copy stands for, from the copy's file name:
// "Plan.sync-conflict-20261207-101010-ABCDEFG.quenlith", "Plan (conflicted copy 2026-12-07
// 101010).quenlith" and "Plan (Someone's conflicted copy 2026-12-07).quenlith" all give
// "Plan.quenlith"; a copy of a copy gives the first document. Nothing for any other name.
[[nodiscard]] std::optional<std::string> conflictCopyOriginal(std::string_view fileName);

// The user's trash folder: $XDG_DATA_HOME/Trash, else ~/.local/share/Trash.
[[nodiscard]] std::filesystem::path trashFolder();

// Moves the file into the trash folder the way desktops share it: the file under "files", a
// ".trashinfo" under "info" naming where it came from and when, so that the file manager can
// put it back. Never replaces anything in the trash. The path in the trash, or nothing when the
// file could not be moved (it then stays where it was).
[[nodiscard]] std::optional<std::filesystem::path> moveToTrash(const std::filesystem::path& file,
                                                               const std::filesystem::path& trash);

} // namespace velmora::Library
