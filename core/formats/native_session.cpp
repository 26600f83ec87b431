#include "core/formats/native_session.hpp"

namespace velmora::NativeDocumentCodec {

EditorSession session(const LoadedNative& loaded, EditorPreferences preferences) {
    return EditorSession::init(snapshot(loaded), preferences);
}

Result<NativeSession, NativeReadError> loadNative(std::string_view data,
                                                  EditorPreferences preferences) {
    auto loaded = decode(data);
    if (!loaded.ok())
        return loaded.error();
    return NativeSession{session(loaded.value(), preferences), loaded.value().settings};
}

std::string encodeNative(const EditorSession& session, const BackupSettings& settings) {
    return encode(session.snapshot, settings);
}

} // namespace velmora::NativeDocumentCodec
