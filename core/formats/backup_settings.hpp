#pragma once

#include <optional>
#include <string_view>

namespace velmora {

// How a backup or document file asks to be opened; kept per document and written back on
// every save.
struct BackupSettings {
    enum class OpenMode { tab, window, newtab };
    // A document shown as a map keeps tree or list here; "map" lives only in the view state.
    enum class View { list, tree };

    OpenMode openMode = OpenMode::tab;
    View view = View::list;
    bool showAllNotes = false;

    bool operator==(const BackupSettings&) const = default;
};

// "tab", "window" or "newtab".
[[nodiscard]] std::string_view rawValue(BackupSettings::OpenMode mode);
[[nodiscard]] std::optional<BackupSettings::OpenMode> openModeFromRawValue(std::string_view raw);
// "list" or "tree".
[[nodiscard]] std::string_view rawValue(BackupSettings::View view);
[[nodiscard]] std::optional<BackupSettings::View> backupViewFromRawValue(std::string_view raw);

} // namespace velmora
