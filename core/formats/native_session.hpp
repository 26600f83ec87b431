#pragma once

#include "core/formats/native_document_codec.hpp"
#include "core/session/editor_session.hpp"

namespace velmora {

// An editor session opened from a document file, with the file's settings, which the document
// keeps and writes back on every save.
struct NativeSession {
    EditorSession session;
    BackupSettings settings;
};

namespace NativeDocumentCodec {

// The session a loaded file opens with: its document and stored view state (or the settings'
// view and note display), nothing being edited, completed items shown, checks visible.
[[nodiscard]] EditorSession session(const LoadedNative& loaded, EditorPreferences preferences);

// Reads a document file into a session; the read error otherwise.
[[nodiscard]] Result<NativeSession, NativeReadError> loadNative(std::string_view data,
                                                                EditorPreferences preferences);

// The file text of the session's current snapshot with the file's settings.
[[nodiscard]] std::string encodeNative(const EditorSession& session,
                                       const BackupSettings& settings);

} // namespace NativeDocumentCodec
} // namespace velmora
