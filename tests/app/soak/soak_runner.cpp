#include "tests/app/soak/soak_runner.hpp"

#include "app/shell/velmora_document_controller.hpp"
#include "tests/app/soak/soak_actions.hpp"
#include "tests/app/soak/soak_world.hpp"

#include "app/document/velmora_document.hpp"
#include "core/session/editor_session.hpp"

#include <QApplication>
#include <QUndoStack>
#include <QWidget>

#include <chrono>
#include <iostream>
#include <random>

namespace velmora::soak {
namespace {

// With SOAK_TRACE set, each step and what it left: the focus, the view, the selection and the
// editing target of the current document.
void trace(World& world, int index, const Step& step) {
    QWidget* focus = QApplication::focusWidget();
    VelmoraDocument* document = world.controller().currentDocument();
    std::cerr << index << ": " << format(step) << "  -> focus "
              << (focus ? focus->metaObject()->className() : "none") << ' '
              << (focus ? focus->objectName().toStdString() : "");
    if (document) {
        const EditorSnapshot& s = document->session().snapshot;
        std::cerr << ", view " << rawValue(s.view) << ", selected " << s.selectedId.value_or("-")
                  << ", editing "
                  << (s.editing ? (s.editing->isNote() ? "note " : "title ") + s.editing->id : "-")
                  << ", hoist tabs " << s.hoistTabs.size() << " active "
                  << s.activeHoist.value_or("-") << ", undo " << document->undoStack()->index()
                  << '/' << document->undoStack()->count();
    }
    std::cerr << '\n';
}

} // namespace

Sequence randomSequence(unsigned seed, int steps) {
    std::mt19937 random(seed);
    Sequence sequence;
    sequence.documentSeed = seed;
    for (int i = 0; i < steps; ++i) {
        sequence.steps.push_back(drawStep(random));
    }
    return sequence;
}

Outcome run(const Sequence& sequence,
            const std::function<void(int index, const Step& step)>& beforeStep) {
    Outcome outcome;
    World world(sequence.documentSeed);
    world.watchUndoStacks();
    const auto fail = [&outcome](Broken broken, int index) {
        outcome.broken = std::move(broken);
        outcome.failedStep = index;
        return outcome;
    };
    if (auto broken = checkWindows(world)) {
        return fail(*broken, -1);
    }
    for (int index = 0; index < static_cast<int>(sequence.steps.size()); ++index) {
        const Step& step = sequence.steps[static_cast<std::size_t>(index)];
        const ActionKind* kind = actionKind(step.kind);
        if (!kind) {
            return fail(Broken{"known step", "no step is named " + step.kind}, index);
        }
        if (beforeStep) {
            beforeStep(index, step);
        }
        const auto started = std::chrono::steady_clock::now();
        auto broken = kind->perform(world, step);
        World::settle();
        world.waitForShortTimers();
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started)
                .count();
        ++outcome.stepsRun;
        ++outcome.kinds[step.kind];
        if (ms > outcome.slowestMs) {
            outcome.slowestMs = ms;
            outcome.slowestStep = format(step);
        }
        world.watchUndoStacks();
        if (qEnvironmentVariableIsSet("SOAK_TRACE")) {
            trace(world, index, step);
        }
        if (!broken) {
            broken = checkWindows(world);
        }
        if (broken) {
            return fail(*broken, index);
        }
    }
    // Undoing everything and redoing it again, in every open document.
    for (VelmoraDocument* document : world.controller().documents()) {
        world.activate(document);
        World::settle();
        const Step last{"undoall", 0, 0, {}};
        if (auto broken = actionKind("undoall")->perform(world, last)) {
            return fail(*broken, static_cast<int>(sequence.steps.size()));
        }
    }
    return outcome;
}

Sequence shrink(const Sequence& failing, const std::function<bool(const Sequence&)>& fails) {
    Sequence best = failing;
    std::size_t chunk = std::max<std::size_t>(1, best.steps.size() / 2);
    while (true) {
        bool removed = false;
        for (std::size_t start = 0; start < best.steps.size();) {
            Sequence candidate = best;
            const auto from = candidate.steps.begin() + static_cast<std::ptrdiff_t>(start);
            const auto to = candidate.steps.begin() +
                            static_cast<std::ptrdiff_t>(std::min(start + chunk, best.steps.size()));
            candidate.steps.erase(from, to);
            if (fails(candidate)) {
                best = std::move(candidate);
                removed = true;
            } else {
                start += chunk;
            }
        }
        if (chunk == 1 && !removed) {
            return best;
        }
        chunk = std::max<std::size_t>(1, chunk / 2);
    }
}

} // namespace velmora::soak
