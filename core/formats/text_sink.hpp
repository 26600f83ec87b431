#pragma once

#include <functional>
#include <string_view>

namespace velmora {

// Takes a text in pieces, in order; false when it cannot take a piece, which stops the writer.
// A piece is valid only during the call: a sink that keeps it copies it.
using TextSink = std::function<bool(std::string_view)>;

} // namespace velmora
