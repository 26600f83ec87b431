#pragma once

#include "app/platform/dialogs.hpp"

#include <QList>
#include <QQueue>
#include <QStringList>

namespace velmora::test {

// Dialogs that answer from a script and remember what they were asked, so flows run without
// a person. An unscripted question is answered as if the user cancelled.
class ScriptedDialogs final : public Dialogs {
public:
    struct Alert {
        QString message;
        QString informative;
        // Shown as a success (`inform`) rather than a warning.
        bool information = false;
    };
    struct SaveRequest {
        QString directory;
        QString proposedName;
    };

    QQueue<QString> savePaths;
    QQueue<QStringList> openPaths;
    QQueue<QString> folders;
    QQueue<SaveChoice> saveChoices;
    QQueue<LibraryMoveChoice> libraryMoveChoices;
    QQueue<ConflictChoice> conflictChoices;
    // Answers to the deleted-file question: true saves again, false cancels; `removedChoices`
    // come first when there are any.
    QQueue<bool> saveAgainChoices;
    QQueue<RemovedChoice> removedChoices;

    QList<Alert> alerts;
    QList<SaveRequest> saveRequests;
    QStringList askedToSave;
    // The new folders of the library moves asked about.
    QStringList askedToMoveLibrary;
    QStringList askedAboutConflicts;
    QStringList askedToSaveAgain;

    QString saveFileName(QWidget* parent, const QString& directory, const QString& proposedName,
                         const QStringList& filters) override;
    QStringList openFileNames(QWidget* parent, const QString& directory, const QStringList& filters,
                              bool multiple) override;
    QString folder(QWidget* parent, const QString& prompt, const QString& message) override;
    void alert(QWidget* parent, const QString& message, const QString& informative) override;
    void inform(QWidget* parent, const QString& message, const QString& informative) override;
    SaveChoice askToSave(QWidget* parent, const QString& documentName) override;
    LibraryMoveChoice askToMoveLibrary(QWidget* parent, const QString& newFolder) override;
    ConflictChoice askAboutChangeOnDisk(QWidget* parent, const QString& documentName) override;
    RemovedChoice askToSaveAgain(QWidget* parent, const QString& documentName) override;
};

} // namespace velmora::test
