#pragma once

#include "core/formats/backup_codec.hpp"
#include "core/session/editor_snapshot.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

class JSONValue;

// How a document was last shown, stored under "mac" in its file. `view` is kept as written so
// that an unknown view name loses only the view, not the rest of the state.
struct MacDocumentState {
    std::string view;
    std::vector<HoistTab> hoistTabs;
    std::optional<std::string> activeHoist;
    std::optional<std::string> selectedId;
    bool showAllNotes = false;
    std::optional<std::vector<double>> columnWidths;

    bool operator==(const MacDocumentState&) const = default;
};

// A document file as read: its one document, its settings and its view state if readable.
struct LoadedNative {
    TreeDocument document;
    BackupSettings settings;
    std::optional<MacDocumentState> mac;

    bool operator==(const LoadedNative&) const = default;
};

// Why a document file could not be opened.
struct NativeReadError {
    enum class Kind { backup, multipleDocuments };

    Kind kind = Kind::backup;
    BackupError backup;             // for `backup`
    std::int64_t documentCount = 0; // for `multipleDocuments`

    [[nodiscard]] static NativeReadError fromBackup(BackupError error) {
        return {Kind::backup, std::move(error), 0};
    }
    [[nodiscard]] static NativeReadError multipleDocuments(std::int64_t count) {
        return {Kind::multipleDocuments, {}, count};
    }

    // The catalog key of the message: the backup error's own, or
    // "backup.error.multipleDocuments %lld" (formatted with the count).
    [[nodiscard]] std::string_view catalogKey() const;
    // The key of the text that follows the message after one blank, if any
    // ("backup.error.multipleDocuments.suggestion").
    [[nodiscard]] std::optional<std::string_view> suggestionKey() const;

    bool operator==(const NativeReadError&) const = default;
};

// The document file: a one-document backup followed by the "mac" view state.
namespace NativeDocumentCodec {

// The file text of the snapshot with the file's settings. Never fails.
[[nodiscard]] std::string encode(const EditorSnapshot& snapshot, const BackupSettings& settings);

// The text encode() returns, handed to `sink` in pieces of about 64 KB as it is made; false
// when the sink refused a piece.
[[nodiscard]] bool write(const EditorSnapshot& snapshot, const BackupSettings& settings,
                         const TextSink& sink);

// The file in `data`; a "mac" member that is absent or of the wrong shape gives no state.
[[nodiscard]] Result<LoadedNative, NativeReadError> decode(std::string_view data);

// The editor's state held by a parsed "mac" member; none when it is absent or of the wrong
// shape.
[[nodiscard]] std::optional<MacDocumentState> readState(const JSONValue* mac);

// The view state a snapshot writes.
[[nodiscard]] MacDocumentState state(const EditorSnapshot& snapshot);

// The state as the pretty, sorted-keys JSON of the file ("{}" when a width is not finite).
[[nodiscard]] std::string encodeState(const MacDocumentState& state);

// The editor state that a loaded file opens with: the stored view state where there is one,
// else the settings' view (tree or list) and note display, with nothing selected.
[[nodiscard]] EditorSnapshot snapshot(const LoadedNative& loaded);

} // namespace NativeDocumentCodec
} // namespace velmora
