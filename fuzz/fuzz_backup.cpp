// Backup reader: never crashes; whatever it accepts is within the depth limit and survives a
// write (whole or streamed, the same bytes) and a second read unchanged.

#include "core/formats/backup_codec.hpp"
#include "fuzz_check.hpp"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmora;
    auto backup = BackupCodec::decode({reinterpret_cast<const char*>(data), size});
    if (!backup.ok()) {
        fuzz::check(!backup.error().catalogKey().empty(), "error has a catalog key");
        return 0;
    }
    for (const auto& document : backup.value().documents)
        fuzz::check(fuzz::deepest(document.items) <= kMaxItemDepth, "depth within the limit");
    const std::string text = BackupCodec::encode(backup.value().documents, backup.value().settings);
    std::string streamed;
    fuzz::check(BackupCodec::write(backup.value().documents, backup.value().settings,
                                   [&](std::string_view piece) {
                                       streamed += piece;
                                       return true;
                                   }) &&
                    streamed == text,
                "streamed text is the encoded text");
    auto again = BackupCodec::decode(text);
    fuzz::check(again.ok(), "written backup reads back");
    fuzz::check(again.value() == backup.value(), "backup round trip is lossless");
    return 0;
}
