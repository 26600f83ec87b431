#pragma once

#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace velmora {

class Dialogs;
class VelmoraDocument;

// Brings one document and its file back into agreement after another program touched the file,
// and keeps the user's answers: a move is followed, a deletion marked (the file is written again
// only when the user agrees), another program's version taken as one undoable step when nothing
// unwritten would be lost, and otherwise merged item by item and written at once, a notice only
// when titles or notes conflicted. Only a version that cannot be merged is asked about, once per
// version on disk unless the user is waiting (saving, closing, quitting).
class DiskConflicts {
public:
    // What the shell does for the answers that write: the window to ask over, Save As (with the
    // name proposed), and writing the user's version over the file (a failure is shown).
    struct Answers {
        std::function<QWidget*()> parent;
        std::function<bool(const QString& proposedName)> saveAs;
        std::function<bool()> writeMine;
    };

    DiskConflicts(VelmoraDocument& document, Dialogs& dialogs, Answers answers);

    // Settles what became of the file; `userWaiting` asks even about a version asked about
    // before. True when the document may be written in place now (or has nothing left to write).
    bool settle(bool userWaiting);
    // Whether a question about the file is open: changes seen meanwhile wait for its answer.
    [[nodiscard]] bool isAsking() const { return m_asking; }

private:
    bool settleRemoved(bool userWaiting);
    bool askAboutConflict();
    // Merges the other program's version with the user's unwritten changes and writes the
    // result at once; conflicting titles or notes are announced. Nothing when the file cannot
    // be merged (unreadable, or another document), else whether the result was written.
    std::optional<bool> mergeWithDisk();
    // Takes the other program's version; a failure is shown when the user chose it.
    bool takeTheirs(bool chosen);

    VelmoraDocument& m_document;
    Dialogs& m_dialogs;
    Answers m_answers;
    // The version of the file on disk that was already reloaded or asked about.
    QString m_settledVersion;
    bool m_asking = false;
};

} // namespace velmora
