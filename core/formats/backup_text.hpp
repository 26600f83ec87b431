#pragma once

// The backup writer shared by the backup and document file codecs. Internal to the formats
// layer.

#include "core/formats/backup_codec.hpp"

#include <string>
#include <string_view>

namespace velmora::BackupText {

// Appends the backup text of the documents to `buffer`, with `lastMember` (a whole
// `"key": value`, or nothing when empty) as the top level's last member. Without a sink the
// whole text stays in `buffer`; with one, the buffer is handed to the sink and emptied whenever
// it holds about 64 KB, and once more at the end. False when the sink refused a piece: the
// writing stopped there.
[[nodiscard]] bool write(const std::vector<TreeDocument>& documents, const BackupSettings& settings,
                         std::string_view lastMember, std::string& buffer, const TextSink* sink);

} // namespace velmora::BackupText
