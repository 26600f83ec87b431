#include "core/formats/backup_settings.hpp"

namespace velmora {

std::string_view rawValue(BackupSettings::OpenMode mode) {
    switch (mode) {
    case BackupSettings::OpenMode::tab:
        return "tab";
    case BackupSettings::OpenMode::window:
        return "window";
    case BackupSettings::OpenMode::newtab:
        return "newtab";
    }
    return "tab";
}

std::optional<BackupSettings::OpenMode> openModeFromRawValue(std::string_view raw) {
    for (auto mode : {BackupSettings::OpenMode::tab, BackupSettings::OpenMode::window,
                      BackupSettings::OpenMode::newtab})
        if (rawValue(mode) == raw)
            return mode;
    return std::nullopt;
}

std::string_view rawValue(BackupSettings::View view) {
    return view == BackupSettings::View::tree ? "tree" : "list";
}

std::optional<BackupSettings::View> backupViewFromRawValue(std::string_view raw) {
    if (raw == "list")
        return BackupSettings::View::list;
    if (raw == "tree")
        return BackupSettings::View::tree;
    return std::nullopt;
}

} // namespace velmora
