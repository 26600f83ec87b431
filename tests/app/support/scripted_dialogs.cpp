#include "tests/app/support/scripted_dialogs.hpp"

namespace velmora::test {

QString ScriptedDialogs::saveFileName(QWidget*, const QString& directory,
                                      const QString& proposedName, const QStringList&) {
    saveRequests.append({directory, proposedName});
    return savePaths.isEmpty() ? QString() : savePaths.dequeue();
}

QStringList ScriptedDialogs::openFileNames(QWidget*, const QString&, const QStringList&, bool) {
    return openPaths.isEmpty() ? QStringList() : openPaths.dequeue();
}

QString ScriptedDialogs::folder(QWidget*, const QString&, const QString&) {
    return folders.isEmpty() ? QString() : folders.dequeue();
}

void ScriptedDialogs::alert(QWidget*, const QString& message, const QString& informative) {
    alerts.append({message, informative, false});
}

void ScriptedDialogs::inform(QWidget*, const QString& message, const QString& informative) {
    alerts.append({message, informative, true});
}

Dialogs::SaveChoice ScriptedDialogs::askToSave(QWidget*, const QString& documentName) {
    askedToSave.append(documentName);
    return saveChoices.isEmpty() ? SaveChoice::cancel : saveChoices.dequeue();
}

Dialogs::LibraryMoveChoice ScriptedDialogs::askToMoveLibrary(QWidget*, const QString& newFolder) {
    askedToMoveLibrary.append(newFolder);
    return libraryMoveChoices.isEmpty() ? LibraryMoveChoice::cancel
                                        : libraryMoveChoices.dequeue();
}

Dialogs::ConflictChoice ScriptedDialogs::askAboutChangeOnDisk(QWidget*,
                                                              const QString& documentName) {
    askedAboutConflicts.append(documentName);
    return conflictChoices.isEmpty() ? ConflictChoice::later : conflictChoices.dequeue();
}

Dialogs::RemovedChoice ScriptedDialogs::askToSaveAgain(QWidget*, const QString& documentName) {
    askedToSaveAgain.append(documentName);
    if (!removedChoices.isEmpty()) {
        return removedChoices.dequeue();
    }
    return !saveAgainChoices.isEmpty() && saveAgainChoices.dequeue() ? RemovedChoice::saveAgain
                                                                     : RemovedChoice::cancel;
}

} // namespace velmora::test
