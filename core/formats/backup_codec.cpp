#include "core/formats/backup_codec.hpp"

#include "core/formats/backup_stream.hpp"

namespace velmora::BackupCodec {

Result<Backup, BackupError> decode(std::string_view data) {
    auto read = BackupStream::read(data, false);
    if (!read.ok())
        return read.error();
    return std::move(read.value().backup);
}

} // namespace velmora::BackupCodec
