#include "core/formats/backup_error.hpp"

#include <array>

namespace velmora {
namespace {

struct KindInfo {
    std::string_view name;
    std::string_view catalogKey;
};

// In the order of BackupError::Kind.
constexpr std::array<KindInfo, 21> kKinds = {{
    {"unsupportedVersion", "backup.error.unsupportedVersion %@"},
    {"documentCorrupt", "backup.error.documentCorrupt %lld"},
    {"documentNoID", "backup.error.documentNoID %lld"},
    {"documentNoTitle", "backup.error.documentNoTitle %lld"},
    {"documentNoItems", "backup.error.documentNoItems %@"},
    {"itemCorrupt", "backup.error.itemCorrupt %@"},
    {"itemNoID", "backup.error.itemNoID %@"},
    {"itemTextNotString", "backup.error.itemText %@"},
    {"itemNoteNotString", "backup.error.itemNote %@"},
    {"itemCheckedNotBool", "backup.error.itemChecked %@"},
    {"itemUnknownColor", "backup.error.itemColor %@"},
    {"itemCollapsedMissing", "backup.error.itemCollapsed %@"},
    {"itemNoChildren", "backup.error.itemChildren %@"},
    {"notJSON", "backup.error.notJSON"},
    {"notVelmora", "backup.error.notVelmora"},
    {"noDocuments", "backup.error.noDocuments"},
    {"settingsMissing", "backup.error.settingsMissing"},
    {"settingsOpenMode", "backup.error.settingsOpenMode"},
    {"settingsView", "backup.error.settingsView"},
    {"settingsShowAllNotes", "backup.error.settingsShowAllNotes"},
    {"tooDeep", "backup.error.tooDeep"},
}};

const KindInfo& info(BackupError::Kind kind) {
    return kKinds[static_cast<std::size_t>(kind)];
}

} // namespace

BackupError BackupError::unsupportedVersion(std::string display) {
    return {Kind::unsupportedVersion, std::move(display)};
}

BackupError BackupError::documentCorrupt(std::int64_t index) {
    return {Kind::documentCorrupt, index};
}

BackupError BackupError::documentNoID(std::int64_t index) {
    return {Kind::documentNoID, index};
}

BackupError BackupError::documentNoTitle(std::int64_t index) {
    return {Kind::documentNoTitle, index};
}

BackupError BackupError::documentNoItems(std::string title) {
    return {Kind::documentNoItems, std::move(title)};
}

BackupError BackupError::itemCorrupt(std::string path) {
    return {Kind::itemCorrupt, std::move(path)};
}

BackupError BackupError::item(Kind kind, std::string label) {
    return {kind, std::move(label)};
}

std::string_view BackupError::catalogKey() const {
    return info(kind).catalogKey;
}

std::string_view rawValue(BackupError::Kind kind) {
    return info(kind).name;
}

} // namespace velmora
