#pragma once

#include "tests/app/soak/soak_invariants.hpp"
#include "tests/app/soak/soak_steps.hpp"

#include <optional>

namespace velmora::soak {

class World;

// The actions on files and the application around the windows (soak_file_actions.cpp): autosave
// ticks, saves, windows and tabs, another program's change, close, quit and restart, and undoing
// everything. Each may find a broken invariant on the way.
std::optional<Broken> autosave(World& world, const Step& step);
std::optional<Broken> save(World& world, const Step& step);
std::optional<Broken> windows(World& world, const Step& step);
std::optional<Broken> changeOnDisk(World& world, const Step& step);
std::optional<Broken> closeTab(World& world, const Step& step);
std::optional<Broken> quit(World& world, const Step& step);
std::optional<Broken> undoAll(World& world, const Step& step);

} // namespace velmora::soak
