// Another program's change to an open document's file. Its version is never written over
// without the user's word, and nothing the user typed is dropped without it either.
#include "app/document/disk_conflicts.hpp"

#include "app/document/velmora_document.hpp"
#include "app/platform/app_log.hpp"
#include "app/platform/dialogs.hpp"
#include "app/platform/localization.hpp"
#include "app/platform/preferences.hpp"

#include <QVariant>

namespace velmora {
namespace {

// Holds the flag for as long as a question is open.
class Asking {
public:
    explicit Asking(bool& flag) : m_flag(flag) { m_flag = true; }
    ~Asking() { m_flag = false; }
    Asking(const Asking&) = delete;
    Asking& operator=(const Asking&) = delete;

private:
    bool& m_flag;
};

} // namespace

DiskConflicts::DiskConflicts(VelmoraDocument& document, Dialogs& dialogs, Answers answers)
    : m_document(document), m_dialogs(dialogs), m_answers(std::move(answers)) {}

bool DiskConflicts::settle(bool userWaiting) {
    if (m_document.filePath().isEmpty()) {
        return true;
    }
    if (m_asking) {
        return false;
    }
    DiskFile::Status status = m_document.diskStatus();
    if (status.change == DiskFile::Change::moved) {
        // Renamed or moved within its file system: the tab, the title and the next save follow.
        m_document.followMove(status.movedTo);
        status = m_document.diskStatus();
    }
    switch (status.change) {
    case DiskFile::Change::none:
    case DiskFile::Change::moved:
        // Back as it was (a checkout restored it, say).
        if (m_document.fileProblem() == FileProblem::changedOnDisk ||
            m_document.fileProblem() == FileProblem::removed) {
            m_document.setFileProblem(FileProblem::none);
        }
        return true;
    case DiskFile::Change::removed:
        return settleRemoved(userWaiting);
    case DiskFile::Change::modified:
        break;
    }
    const QString version = m_document.versionOnDisk();
    const bool seen = version == m_settledVersion;
    // Autosaved typing is the user's too: a version made before that write is merged with it.
    if (!m_document.hasUnautosavedChanges() && !userWaiting &&
        !m_document.diskVersionMissesOurs()) {
        // Nothing of the user's would be lost: the other program's version simply shows. One
        // that cannot be read (still being written, say) is tried again when it changes.
        if (seen || !takeTheirs(false)) {
            return false;
        }
        m_settledVersion = version;
        return true;
    }
    m_document.setFileProblem(FileProblem::changedOnDisk);
    // Never asked twice about the same version, unless the user is saving, closing or quitting.
    if (seen && !userWaiting) {
        return false;
    }
    m_settledVersion = version;
    // Both sides changed the document: merged item by item; asked only when that cannot be.
    if (const auto merged = mergeWithDisk()) {
        return *merged;
    }
    return askAboutConflict();
}

bool DiskConflicts::settleRemoved(bool userWaiting) {
    if (m_document.fileProblem() != FileProblem::removed) {
        qCInfo(documentLog).noquote() << "file removed" << m_document.filePath();
        m_document.setFileProblem(FileProblem::removed);
        // What the window shows is now nowhere on disk.
        m_document.markChanged();
    }
    if (!userWaiting) {
        return false;
    }
    Dialogs::RemovedChoice choice = Dialogs::RemovedChoice::cancel;
    {
        const Asking asking(m_asking);
        choice = m_dialogs.askToSaveAgain(m_answers.parent(), m_document.displayName());
    }
    switch (choice) {
    case Dialogs::RemovedChoice::saveAgain:
        return m_answers.writeMine();
    case Dialogs::RemovedChoice::saveAs:
        return m_answers.saveAs({});
    case Dialogs::RemovedChoice::cancel:
        break;
    }
    return false;
}

bool DiskConflicts::askAboutConflict() {
    Dialogs::ConflictChoice choice = Dialogs::ConflictChoice::later;
    {
        const Asking asking(m_asking);
        choice = m_dialogs.askAboutChangeOnDisk(m_answers.parent(), m_document.displayName());
    }
    switch (choice) {
    case Dialogs::ConflictChoice::keepMine:
        return m_answers.writeMine();
    case Dialogs::ConflictChoice::takeTheirs:
        return takeTheirs(true);
    case Dialogs::ConflictChoice::saveCopy:
        // Theirs stays in the file; the window goes on with the user's version in the copy.
        return m_answers.saveAs(localizedFormat(QStringLiteral("document.conflict.copyName %@"),
                                                {m_document.displayName()}));
    case Dialogs::ConflictChoice::later:
        break;
    }
    return false;
}

std::optional<bool> DiskConflicts::mergeWithDisk() {
    const auto summary = m_document.mergeFromDisk(Preferences());
    if (!summary) {
        return std::nullopt;
    }
    // The merged result goes to the file at once, so that the other program (a sync tool)
    // carries it on.
    const bool written = m_answers.writeMine();
    if (written) {
        m_document.setStatusNote(localized(QStringLiteral("document.status.merged")));
    }
    if (summary->conflicts > 0) {
        const Asking asking(m_asking);
        m_dialogs.inform(m_answers.parent(),
                         localizedFormat(QStringLiteral("document.merge.conflicts %lld"),
                                         {QVariant::fromValue<qlonglong>(summary->conflicts)}),
                         localized(QStringLiteral("document.merge.conflicts.info")));
    }
    return written;
}

bool DiskConflicts::takeTheirs(bool chosen) {
    emit m_document.commitEditingRequested();
    const auto error = m_document.reloadFromDisk(Preferences());
    if (!error) {
        return true;
    }
    qCCritical(documentLog).noquote() << "reload error" << m_document.filePath() << error->message;
    // Perhaps still being written: the next change of the file tries again.
    m_document.setFileProblem(FileProblem::changedOnDisk);
    if (chosen) {
        m_dialogs.alert(
            m_answers.parent(),
            // The document stays open as it was; only the other version could not be read.
            localizedFormat(QStringLiteral("document.reloadFailed %@"), {m_document.displayName()}),
            error->message);
    }
    return false;
}

} // namespace velmora
