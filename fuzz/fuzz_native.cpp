// Document file reader: never crashes; an accepted file restores a snapshot whose file text
// reads back to the same document and settings.

#include "core/formats/native_document_codec.hpp"
#include "fuzz_check.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmora;
    auto loaded = NativeDocumentCodec::decode({reinterpret_cast<const char*>(data), size});
    if (!loaded.ok())
        return 0;
    EditorSnapshot snapshot = NativeDocumentCodec::snapshot(loaded.value());
    const std::string text = NativeDocumentCodec::encode(snapshot, loaded.value().settings);
    std::string streamed;
    fuzz::check(NativeDocumentCodec::write(snapshot, loaded.value().settings,
                                           [&](std::string_view piece) {
                                               streamed += piece;
                                               return true;
                                           }) &&
                    streamed == text,
                "streamed text is the encoded text");
    auto again = NativeDocumentCodec::decode(text);
    fuzz::check(again.ok(), "written document file reads back");
    fuzz::check(again.value().document == loaded.value().document, "document survives");
    fuzz::check(again.value().settings == loaded.value().settings, "settings survive");
    fuzz::check(again.value().mac.has_value() ==
                    (!snapshot.columnWidths ||
                     std::all_of(snapshot.columnWidths->begin(), snapshot.columnWidths->end(),
                                 [](double w) { return std::isfinite(w); })),
                "view state survives unless a width has no JSON form");
    return 0;
}
