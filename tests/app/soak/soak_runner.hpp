#pragma once

#include "tests/app/soak/soak_invariants.hpp"
#include "tests/app/soak/soak_steps.hpp"

#include <functional>
#include <map>
#include <optional>
#include <string>

namespace velmora::soak {

// What one run of a sequence saw.
struct Outcome {
    int stepsRun = 0;
    // The broken invariant and the index of the step after which it broke.
    std::optional<Broken> broken;
    int failedStep = -1;
    // The slowest step (carrying out and settling, checks aside).
    double slowestMs = 0;
    std::string slowestStep;
    std::map<std::string, int> kinds;
};

// The steps of a random run: the seed decides the document and every step.
[[nodiscard]] Sequence randomSequence(unsigned seed, int steps);

// Runs the sequence against a fresh application, checking the invariants after every step and
// the undo history at the end; `beforeStep` sees each step before it is carried out.
Outcome run(const Sequence& sequence,
            const std::function<void(int index, const Step& step)>& beforeStep = {});

// A shorter sequence that still fails: steps are left out in halves, then quarters, down to one
// at a time, keeping every removal after which `fails` still holds.
[[nodiscard]] Sequence shrink(const Sequence& failing,
                              const std::function<bool(const Sequence&)>& fails);

} // namespace velmora::soak
