#pragma once

#include "core/model/item.hpp"
#include "tests/app/support/scripted_dialogs.hpp"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>

#include <map>
#include <memory>
#include <optional>
#include <string>

class QUndoStack;

namespace velmora {
class AppDelegate;
class DocumentTab;
class VelmoraDocument;
class VelmoraDocumentController;
} // namespace velmora

namespace velmora::soak {

// The running application a soak run drives: a delegate over a data folder and a folder for
// the documents' files, both fresh for every run, with the preferences cleared, and a guard
// that dismisses any modal dialog a step leaves open so the run never waits for a person.
class World : public QObject {
    Q_OBJECT
public:
    // Starts the application and opens the document made from the seed.
    explicit World(unsigned documentSeed);
    ~World() override;

    [[nodiscard]] AppDelegate& delegate() const { return *m_delegate; }
    [[nodiscard]] VelmoraDocumentController& controller() const;
    [[nodiscard]] test::ScriptedDialogs& dialogs() const { return *m_dialogs; }

    // The document of the front window's current tab; a new one when none is open.
    VelmoraDocument* current();
    // The window content of the document.
    [[nodiscard]] DocumentTab* content(const VelmoraDocument* document) const;
    // Brings the window of the document to the front and gives it the keyboard.
    void activate(VelmoraDocument* document);
    // A file name in the run's folder that no file has yet.
    QString freshPath(const QString& stem);
    [[nodiscard]] QString folder() const { return m_files.path(); }

    // Lets queued events, timers due now and deferred deletions run.
    static void settle();
    // Waits for the windows' short single-shot timers (text typed in Properties reaches the
    // outline 80 ms after the last key), so that the checks see what a user would a moment
    // after typing.
    void waitForShortTimers();

    // The application quits as the menu's Quit does and starts again from the restore list; a
    // description of what the restart lost or changed, or nothing.
    std::optional<std::string> quitAndRestart();

    // The document each undo stack held when it was last empty (its first state), when known.
    [[nodiscard]] std::optional<TreeDocument> firstState(const QUndoStack* stack) const;
    // Notes the state of stacks seen for the first time, and follows their clearing.
    void watchUndoStacks();

    // The modal dialogs the guard dismissed, by class name.
    [[nodiscard]] const std::map<std::string, int>& dismissed() const { return m_dismissed; }

private:
    void start();
    void dismissModal();

    unsigned m_documentSeed = 1;
    QTemporaryDir m_data;
    QTemporaryDir m_files;
    std::unique_ptr<test::ScriptedDialogs> m_dialogs;
    std::unique_ptr<AppDelegate> m_delegate;
    QTimer m_guard;
    std::map<std::string, int> m_dismissed;
    std::map<const QUndoStack*, std::optional<TreeDocument>> m_firstStates;
    int m_pathCounter = 0;
};

// The small document a run starts from: tens of items, a few levels deep, with notes, checks,
// labels and collapsed branches, the same for the same seed.
[[nodiscard]] TreeDocument seededDocument(unsigned seed);

} // namespace velmora::soak
