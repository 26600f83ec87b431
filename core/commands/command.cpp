#include "core/commands/command.hpp"

#include "core/commands/key_map.hpp"

namespace velmora {

std::string Command::glyph() const {
    return chord ? KeyMap::glyph(*chord) : std::string();
}

} // namespace velmora
