#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace velmora {

// The first fault found in a backup or document file, with what its message needs: a
// 1-based document number, a document title, an item path (Trip/0/2) or an item label.
struct BackupError {
    enum class Kind {
        unsupportedVersion,
        documentCorrupt,
        documentNoID,
        documentNoTitle,
        documentNoItems,
        itemCorrupt,
        itemNoID,
        itemTextNotString,
        itemNoteNotString,
        itemCheckedNotBool,
        itemUnknownColor,
        itemCollapsedMissing,
        itemNoChildren,
        notJSON,
        notVelmora,
        noDocuments,
        settingsMissing,
        settingsOpenMode,
        settingsView,
        settingsShowAllNotes,
        // Items nested deeper than kMaxItemDepth.
        tooDeep,
    };
    // No argument, a document number ("%lld") or a text ("%@").
    using Payload = std::variant<std::monostate, std::int64_t, std::string>;

    Kind kind = Kind::notJSON;
    Payload payload;

    [[nodiscard]] static BackupError unsupportedVersion(std::string display);
    [[nodiscard]] static BackupError documentCorrupt(std::int64_t index);
    [[nodiscard]] static BackupError documentNoID(std::int64_t index);
    [[nodiscard]] static BackupError documentNoTitle(std::int64_t index);
    [[nodiscard]] static BackupError documentNoItems(std::string title);
    [[nodiscard]] static BackupError itemCorrupt(std::string path);
    // The item cases other than itemCorrupt, which all name the item's label.
    [[nodiscard]] static BackupError item(Kind kind, std::string label);
    // A case without payload.
    [[nodiscard]] static BackupError plain(Kind kind) { return {kind, {}}; }

    // The catalog key of the message, such as "backup.error.itemNoID %@".
    [[nodiscard]] std::string_view catalogKey() const;
    // The document number, or nothing for the other cases.
    [[nodiscard]] const std::int64_t* number() const { return std::get_if<std::int64_t>(&payload); }
    // The version text, title, path or label, or nothing for the other cases.
    [[nodiscard]] const std::string* text() const { return std::get_if<std::string>(&payload); }

    bool operator==(const BackupError&) const = default;
};

// The case's name ("itemNoID"), for logs and test output.
[[nodiscard]] std::string_view rawValue(BackupError::Kind kind);

} // namespace velmora
