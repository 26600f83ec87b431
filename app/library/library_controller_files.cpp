// The sidebar's row actions: opening, pinning, renaming, trashing, moving and creating library
// files through LibraryActions, and the context and add menus that offer them.
#include "app/library/library_controller.hpp"

#include "app/document/velmora_document.hpp"
#include "app/library/file_manager.hpp"
#include "app/library/library_actions.hpp"
#include "app/library/library_host.hpp"
#include "app/library/library_outline.hpp"
#include "app/library/library_store.hpp"
#include "app/platform/localization.hpp"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QKeySequence>
#include <QMenu>
#include <QTimer>

namespace velmora {

using RowKind = LibraryOutline::RowKind;

void LibraryController::open(const QString& path, bool ownWindow) {
    if (!m_host) {
        return;
    }
    // The window may rearrange its tabs; let this click finish first.
    LibraryHost* host = m_host;
    QTimer::singleShot(0, this, [host, path, ownWindow] {
        host->openLibraryDocument(path, ownWindow);
    });
}

void LibraryController::togglePin(const QString& path) {
    m_store.togglePin(path);
}

void LibraryController::beginRename(const QString& path) {
    const QList<VelmoraDocument*> open = m_host ? m_host->openDocuments() : QList<VelmoraDocument*>();
    if (QFileInfo(path).isDir() && !LibraryActions::documentsAt(path, open).isEmpty()) {
        inform(window(), localized(QStringLiteral("library.closeFirst")), QString());
        return;
    }
    QTreeWidgetItem* row = m_outline->currentItem();
    if (LibraryOutline::pathOf(row) != path) {
        row = rowOf(path);
    }
    if (!row) {
        return;
    }
    m_outline->setCurrentItem(row);
    m_outline->scrollToItem(row);
    m_outline->editItem(row, 0);
}

void LibraryController::rename(const QString& path, const QString& name) {
    const QList<VelmoraDocument*> open = m_host ? m_host->openDocuments() : QList<VelmoraDocument*>();
    const auto outcome = LibraryActions::rename(m_store, path, name, open);
    using Kind = LibraryActions::Outcome::Kind;
    switch (outcome.kind) {
    case Kind::done:
        m_pendingReveal = outcome.path;
        break;
    case Kind::unchanged:
        break;
    case Kind::exists:
    case Kind::closeFirst:
    case Kind::failed:
        inform(window(), outcome.message, QString());
        break;
    }
    if (m_reloadOwed) {
        reload();
    }
}

void LibraryController::trash(const QString& path) {
    const QFileInfo info(path);
    if (!confirm(window(),
                 localizedFormat(QStringLiteral("library.trash.confirm %@"),
                                 {info.isDir() ? info.fileName() : info.completeBaseName()}),
                 localized(QStringLiteral("library.trash.informative")))) {
        return;
    }
    const QList<VelmoraDocument*> open = m_host ? m_host->openDocuments() : QList<VelmoraDocument*>();
    const auto outcome = LibraryActions::trash(m_store, path, open);
    if (outcome.kind != LibraryActions::Outcome::Kind::done) {
        inform(window(), outcome.message, QString());
    }
}

void LibraryController::showConflictCopy(const QString& copy) {
    open(copy, false);
}

void LibraryController::mergeConflictCopy(const QString& copy, const QString& document) {
    const QList<VelmoraDocument*> open = m_host ? m_host->openDocuments() : QList<VelmoraDocument*>();
    int conflicts = 0;
    const auto outcome = LibraryActions::mergeConflictCopy(m_store, copy, document, open, conflicts);
    if (outcome.kind != LibraryActions::Outcome::Kind::done) {
        inform(window(), outcome.message, QString());
        return;
    }
    m_pendingReveal = document;
    if (conflicts > 0) {
        inform(window(),
               localizedFormat(QStringLiteral("document.merge.conflicts %lld"),
                               {QVariant::fromValue<qlonglong>(conflicts)}),
               localized(QStringLiteral("document.merge.conflicts.info")));
    }
}

void LibraryController::moveInto(const QStringList& paths, const QString& folder) {
    const QList<VelmoraDocument*> open = m_host ? m_host->openDocuments() : QList<VelmoraDocument*>();
    using Kind = LibraryActions::Outcome::Kind;
    for (const QString& path : paths) {
        const auto outcome = LibraryActions::moveInto(m_store, path, folder, open);
        if (outcome.kind == Kind::done) {
            m_pendingReveal = outcome.path;
        } else if (outcome.kind != Kind::unchanged) {
            inform(window(), outcome.message, QDir::toNativeSeparators(path));
            return;
        }
    }
}

void LibraryController::newDocument(const QString& folder) {
    const auto outcome = LibraryActions::newDocument(m_store, folder);
    if (outcome.kind != LibraryActions::Outcome::Kind::done) {
        inform(window(), localized(QStringLiteral("library.newDocument.failed")), outcome.message);
        return;
    }
    m_pendingReveal = outcome.path;
    open(outcome.path, false);
}

void LibraryController::newFolder(const QString& folder) {
    const auto outcome = LibraryActions::newFolder(m_store, folder);
    if (outcome.kind != LibraryActions::Outcome::Kind::done) {
        inform(window(), outcome.message, QString());
        return;
    }
    m_pendingReveal = outcome.path;
}

void LibraryController::showInFileManager(const QString& path) {
    FileManager::showItem(path);
}

QString LibraryController::targetFolder() const {
    const QString root = m_store.root();
    QTreeWidgetItem* item = m_outline->currentItem();
    if (LibraryOutline::kindOf(item) != RowKind::entry) {
        return root;
    }
    const QString path = LibraryOutline::pathOf(item);
    const QString folder = LibraryOutline::isFolder(item) ? path : QFileInfo(path).absolutePath();
    // A recent or pinned document may lie anywhere; what the sidebar makes goes into the library.
    const QString cleanRoot = QDir::cleanPath(root);
    const QString cleanFolder = QDir::cleanPath(folder);
    if (cleanFolder == cleanRoot || cleanFolder.startsWith(cleanRoot + QLatin1Char('/'))) {
        return folder;
    }
    return root;
}

void LibraryController::fillAddMenu(QMenu* menu, const QString& folder) {
    QAction* document = menu->addAction(localized(QStringLiteral("library.newDocument")));
    document->setData(folder);
    connect(document, &QAction::triggered, this, [this, folder] { newDocument(folder); });
    QAction* subfolder = menu->addAction(localized(QStringLiteral("library.newFolder")));
    subfolder->setData(folder);
    connect(subfolder, &QAction::triggered, this, [this, folder] { newFolder(folder); });
}

void LibraryController::contextMenu(const QPoint& at) {
    QTreeWidgetItem* item = m_outline->itemAt(at);
    QMenu menu(this);
    if (LibraryOutline::kindOf(item) != RowKind::entry) {
        const QString folder = m_outline->dropFolder(item).isEmpty() ? m_store.root()
                                                                     : m_outline->dropFolder(item);
        fillAddMenu(&menu, folder);
        menu.addSeparator();
        menu.addAction(localized(QStringLiteral("library.showInFinder")), this,
                       [this, folder] { showInFileManager(folder); });
        menu.exec(m_outline->viewport()->mapToGlobal(at));
        return;
    }
    m_outline->setCurrentItem(item);
    const QString path = LibraryOutline::pathOf(item);
    if (const QString document = LibraryOutline::conflictOf(item); !document.isEmpty()) {
        menu.addAction(localized(QStringLiteral("library.conflictCopy.show")), this,
                       [this, path] { showConflictCopy(path); });
        menu.addAction(localized(QStringLiteral("library.conflictCopy.merge")), this,
                       [this, path, document] { mergeConflictCopy(path, document); });
        menu.addSeparator();
        menu.addAction(localized(QStringLiteral("library.trash")), this,
                       [this, path] { trash(path); });
        menu.addAction(localized(QStringLiteral("library.showInFinder")), this,
                       [this, path] { showInFileManager(path); });
        menu.exec(m_outline->viewport()->mapToGlobal(at));
        return;
    }
    const bool folder = LibraryOutline::isFolder(item);
    if (folder) {
        fillAddMenu(&menu, path);
    } else {
        menu.addAction(localized(QStringLiteral("library.open")), this,
                       [this, path] { open(path, false); });
        menu.addAction(localized(QStringLiteral("library.openInNewWindow")), this,
                       [this, path] { open(path, true); });
    }
    menu.addSeparator();
    menu.addAction(localized(m_store.isPinned(path) ? QStringLiteral("library.unpin")
                                                    : QStringLiteral("library.pin")),
                   this, [this, path] { togglePin(path); });
    QAction* renameAction = menu.addAction(localized(QStringLiteral("library.rename")), this,
                                           [this, path] { beginRename(path); });
    renameAction->setShortcut(QKeySequence(Qt::Key_F2));
    renameAction->setShortcutVisibleInContextMenu(true);
    QAction* trashAction = menu.addAction(localized(QStringLiteral("library.trash")), this,
                                          [this, path] { trash(path); });
    trashAction->setShortcut(QKeySequence(Qt::Key_Delete));
    trashAction->setShortcutVisibleInContextMenu(true);
    menu.addSeparator();
    menu.addAction(localized(QStringLiteral("library.showInFinder")), this,
                   [this, path] { showInFileManager(path); });
    menu.exec(m_outline->viewport()->mapToGlobal(at));
}

} // namespace velmora
