#pragma once

#include "tests/app/soak/soak_invariants.hpp"
#include "tests/app/soak/soak_steps.hpp"

#include <optional>
#include <random>
#include <string>
#include <vector>

namespace velmora::soak {

class World;

// One kind of user action: its name in steps files, how often a random run does it, how a new
// step of it is drawn, and how it is carried out. Carrying out may already find a broken
// invariant (a flush that does not read back, a restart that loses a document).
struct ActionKind {
    const char* name;
    int weight;
    void (*draw)(std::mt19937& random, Step& step);
    std::optional<Broken> (*perform)(World& world, const Step& step);
};

// Every kind, common ones weighted most.
[[nodiscard]] const std::vector<ActionKind>& actionKinds();
// The kind named so; null for an unknown name.
[[nodiscard]] const ActionKind* actionKind(const std::string& name);
// A new step drawn by weight.
[[nodiscard]] Step drawStep(std::mt19937& random);

} // namespace velmora::soak
