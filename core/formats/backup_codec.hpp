#pragma once

#include "core/formats/backup_error.hpp"
#include "core/formats/backup_settings.hpp"
#include "core/formats/text_sink.hpp"
#include "core/model/item.hpp"
#include "core/model/result.hpp"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// The content of a backup file: its documents in order and one set of settings.
struct Backup {
    std::vector<TreeDocument> documents;
    BackupSettings settings;

    bool operator==(const Backup&) const = default;
};

// The system's one JSON form of outline documents.
namespace BackupCodec {

// The backup text of the documents: fixed key order, two blanks per level, ending in "}" and
// a line feed. Never fails, at any depth.
[[nodiscard]] std::string encode(const std::vector<TreeDocument>& documents,
                                 const BackupSettings& settings);

// The text encode() returns, handed to `sink` in pieces of about 64 KB as it is made, so that
// a large backup is never held whole (a save streams it into its temporary file). False when
// the sink refused a piece: nothing more was written after it.
[[nodiscard]] bool write(const std::vector<TreeDocument>& documents, const BackupSettings& settings,
                         const TextSink& sink);

// The backup in `data`, or the first fault in reading order. Items nested deeper than
// kMaxItemDepth are refused as tooDeep.
[[nodiscard]] Result<Backup, BackupError> decode(std::string_view data);

// "velmora-backup-YYYY-MM-DD.json" for the Gregorian day of `date` at the given offset from
// UTC (the caller passes the local offset, so an export just after midnight names the new day).
[[nodiscard]] std::string fileName(Timestamp date, std::int64_t utcOffsetSeconds = 0);

} // namespace BackupCodec
} // namespace velmora
