#pragma once

// The readers over a parsed tree of the whole file, as they were before reading streamed. They
// hold the file's parsed copy beside the model, so nothing uses them but the tests, which check
// the streaming readers against them: the same value or the same error for any bytes.

#include "core/formats/backup_codec.hpp"
#include "core/formats/native_document_codec.hpp"

#include <string_view>

namespace velmora::BackupReference {

// BackupCodec::decode over a parsed tree.
[[nodiscard]] Result<Backup, BackupError> decode(std::string_view data);

// NativeDocumentCodec::decode over a parsed tree.
[[nodiscard]] Result<LoadedNative, NativeReadError> decodeNative(std::string_view data);

} // namespace velmora::BackupReference
