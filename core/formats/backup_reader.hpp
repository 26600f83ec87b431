#pragma once

// The backup reader over parsed JSON, shared by the backup and document file codecs. Internal
// to the formats layer.

#include "core/formats/backup_codec.hpp"
#include "core/formats/json_dom.hpp"

namespace velmora::BackupReader {

// The backup held by the parsed JSON `root`, or its first fault in reading order.
[[nodiscard]] Result<Backup, BackupError> read(JSONDom::Element root);

} // namespace velmora::BackupReader
