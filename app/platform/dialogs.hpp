#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace velmora {

// The file panels and alerts the shell shows. The application uses QtDialogs; tests answer
// with a script instead, so every flow can run without a person at the screen.
class Dialogs {
public:
    enum class SaveChoice { save, discard, cancel };
    enum class LibraryMoveChoice { move, leave, cancel };
    // What to do with unsaved changes when another program changed the file: write them over
    // the other version, drop them for it, or keep both by saving them as a copy.
    enum class ConflictChoice { keepMine, takeTheirs, saveCopy, later };
    // What to do with a document whose file was deleted: write it to its place again, save it
    // somewhere else (its folder may be gone), or not now.
    enum class RemovedChoice { saveAgain, saveAs, cancel };

    virtual ~Dialogs() = default;

    // The path the user chose to save to, or an empty text when cancelled.
    [[nodiscard]] virtual QString saveFileName(QWidget* parent, const QString& directory,
                                               const QString& proposedName,
                                               const QStringList& filters) = 0;
    // The files the user chose to open (at most one unless `multiple`); empty when cancelled.
    [[nodiscard]] virtual QStringList openFileNames(QWidget* parent, const QString& directory,
                                                    const QStringList& filters, bool multiple) = 0;
    // The folder the user chose (new folders may be made), or an empty text when cancelled.
    [[nodiscard]] virtual QString folder(QWidget* parent, const QString& prompt,
                                         const QString& message) = 0;
    // A modal alert with a message and an optional informative text.
    virtual void alert(QWidget* parent, const QString& message, const QString& informative) = 0;
    // A modal message that reports a success (no warning sign), with an informative text.
    // Dialogs that have no such message show it as an alert.
    virtual void inform(QWidget* parent, const QString& message, const QString& informative) {
        alert(parent, message, informative);
    }
    // Asks whether to save the changes of a document before it closes.
    [[nodiscard]] virtual SaveChoice askToSave(QWidget* parent, const QString& documentName) = 0;
    // Asks whether the documents go along to the new library folder, stay, or nothing changes.
    [[nodiscard]] virtual LibraryMoveChoice askToMoveLibrary(QWidget* parent,
                                                             const QString& newFolder) = 0;
    // Asks which version to keep after another program changed the document's file.
    [[nodiscard]] virtual ConflictChoice askAboutChangeOnDisk(QWidget* parent,
                                                              const QString& documentName) = 0;
    // Asks whether to write a document whose file was deleted to its place again, or elsewhere.
    [[nodiscard]] virtual RemovedChoice askToSaveAgain(QWidget* parent,
                                                       const QString& documentName) = 0;
};

// The dialogs of the desktop: file dialogs and message boxes.
class QtDialogs final : public Dialogs {
public:
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

} // namespace velmora
