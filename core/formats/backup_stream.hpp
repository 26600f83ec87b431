#pragma once

// The backup reader shared by the backup and document file codecs: one pass over the bytes,
// building the items as it meets them, with no parsed copy of the file held beside the model.
// Internal to the formats layer.

#include "core/formats/backup_codec.hpp"
#include "core/formats/json_value.hpp"

#include <optional>
#include <string_view>

namespace velmora::BackupStream {

struct Read {
    Backup backup;
    // The top level's "mac" member as it stands, when asked for and present.
    std::optional<JSONValue> mac;
};

// The backup in `data`, or the error the parsed-tree reader reports for it: notJSON whenever
// the text is not JSON anywhere, else the first fault in reading order (format, version, each
// document and its items depth first, settings), whatever order the members come in.
[[nodiscard]] Result<Read, BackupError> read(std::string_view data, bool keepMac);

// The settings held by a top-level "settings" value; the first fault otherwise.
[[nodiscard]] Result<BackupSettings, BackupError> settings(const JSONValue* value);

} // namespace velmora::BackupStream
