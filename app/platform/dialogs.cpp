#include "app/platform/dialogs.hpp"

#include "app/platform/localization.hpp"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

namespace velmora {

QString QtDialogs::saveFileName(QWidget* parent, const QString& directory,
                                const QString& proposedName, const QStringList& filters) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDirectory(directory);
    dialog.setNameFilters(filters);
    // A name typed without the extension gets it before the dialog checks for an existing file.
    dialog.setDefaultSuffix(QFileInfo(proposedName).suffix());
    dialog.selectFile(proposedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().first();
}

QStringList QtDialogs::openFileNames(QWidget* parent, const QString& directory,
                                     const QStringList& filters, bool multiple) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    if (!directory.isEmpty()) {
        dialog.setDirectory(directory);
    }
    dialog.setNameFilters(filters);
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    return dialog.selectedFiles();
}

QString QtDialogs::folder(QWidget* parent, const QString& prompt, const QString& message) {
    QFileDialog dialog(parent, message);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setLabelText(QFileDialog::Accept, prompt);
    dialog.setDirectory(QDir::homePath());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().first();
}

namespace {

void showMessage(QWidget* parent, QMessageBox::Icon icon, const QString& message,
                 const QString& informative) {
    QMessageBox box(parent);
    box.setIcon(icon);
    box.setText(message);
    box.setInformativeText(informative);
    box.addButton(localized(QStringLiteral("common.ok")), QMessageBox::AcceptRole);
    box.exec();
}

enum class Answer { accept, destructive, cancel };

// A question with a default button, a second choice and Cancel (also Esc).
Answer askThreeWays(QWidget* parent, QMessageBox::Icon icon, const QString& message,
                    const QString& informative, const QString& accept,
                    const QString& destructive) {
    QMessageBox box(parent);
    box.setIcon(icon);
    box.setText(message);
    box.setInformativeText(informative);
    QPushButton* yes = box.addButton(accept, QMessageBox::AcceptRole);
    QPushButton* other = box.addButton(destructive, QMessageBox::DestructiveRole);
    QPushButton* cancel =
        box.addButton(localized(QStringLiteral("common.cancel")), QMessageBox::RejectRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == yes) {
        return Answer::accept;
    }
    if (box.clickedButton() == other) {
        return Answer::destructive;
    }
    return Answer::cancel;
}

} // namespace

void QtDialogs::alert(QWidget* parent, const QString& message, const QString& informative) {
    showMessage(parent, QMessageBox::Warning, message, informative);
}

void QtDialogs::inform(QWidget* parent, const QString& message, const QString& informative) {
    showMessage(parent, QMessageBox::Information, message, informative);
}

Dialogs::SaveChoice QtDialogs::askToSave(QWidget* parent, const QString& documentName) {
    switch (askThreeWays(parent, QMessageBox::Warning,
                         localizedFormat(QStringLiteral("document.saveChanges %@"), {documentName}),
                         localized(QStringLiteral("document.saveChanges.info")),
                         localized(QStringLiteral("common.save")),
                         localized(QStringLiteral("document.dontSave")))) {
    case Answer::accept:
        return SaveChoice::save;
    case Answer::destructive:
        return SaveChoice::discard;
    case Answer::cancel:
        break;
    }
    return SaveChoice::cancel;
}

Dialogs::LibraryMoveChoice QtDialogs::askToMoveLibrary(QWidget* parent, const QString& newFolder) {
    switch (askThreeWays(parent, QMessageBox::Question,
                         localized(QStringLiteral("settings.files.move.title")), newFolder,
                         localized(QStringLiteral("settings.files.move.move")),
                         localized(QStringLiteral("settings.files.move.leave")))) {
    case Answer::accept:
        return LibraryMoveChoice::move;
    case Answer::destructive:
        return LibraryMoveChoice::leave;
    case Answer::cancel:
        break;
    }
    return LibraryMoveChoice::cancel;
}

Dialogs::ConflictChoice QtDialogs::askAboutChangeOnDisk(QWidget* parent,
                                                        const QString& documentName) {
    QMessageBox box(parent);
    box.setIcon(QMessageBox::Warning);
    box.setText(localizedFormat(QStringLiteral("document.conflict %@"), {documentName}));
    box.setInformativeText(localized(QStringLiteral("document.conflict.info")));
    QPushButton* mine = box.addButton(localized(QStringLiteral("document.conflict.keepMine")),
                                      QMessageBox::AcceptRole);
    QPushButton* theirs = box.addButton(localized(QStringLiteral("document.conflict.takeTheirs")),
                                        QMessageBox::DestructiveRole);
    QPushButton* copy = box.addButton(localized(QStringLiteral("document.conflict.saveCopy")),
                                      QMessageBox::ActionRole);
    QPushButton* later =
        box.addButton(localized(QStringLiteral("common.cancel")), QMessageBox::RejectRole);
    // Nothing is lost by the default: both versions stay.
    box.setDefaultButton(copy);
    box.setEscapeButton(later);
    box.exec();
    if (box.clickedButton() == mine) {
        return ConflictChoice::keepMine;
    }
    if (box.clickedButton() == theirs) {
        return ConflictChoice::takeTheirs;
    }
    if (box.clickedButton() == copy) {
        return ConflictChoice::saveCopy;
    }
    return ConflictChoice::later;
}

Dialogs::RemovedChoice QtDialogs::askToSaveAgain(QWidget* parent, const QString& documentName) {
    QMessageBox box(parent);
    box.setIcon(QMessageBox::Warning);
    box.setText(localizedFormat(QStringLiteral("document.removed %@"), {documentName}));
    box.setInformativeText(localized(QStringLiteral("document.removed.info")));
    QPushButton* save = box.addButton(localized(QStringLiteral("document.removed.saveAgain")),
                                      QMessageBox::AcceptRole);
    // Its folder may be gone, or the user may want it elsewhere now.
    QPushButton* saveAs =
        box.addButton(localized(QStringLiteral("menu.file.saveAs")), QMessageBox::ActionRole);
    QPushButton* cancel =
        box.addButton(localized(QStringLiteral("common.cancel")), QMessageBox::RejectRole);
    box.setDefaultButton(save);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == save) {
        return RemovedChoice::saveAgain;
    }
    return box.clickedButton() == saveAs ? RemovedChoice::saveAs : RemovedChoice::cancel;
}

} // namespace velmora
