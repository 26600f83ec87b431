#include "app/library/library_outline.hpp"

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>

namespace velmora {
namespace {

// Marks drags that come from a library outline, so that files dropped from elsewhere are not
// moved into the library by accident.
const QString kLibraryDragType = QStringLiteral("application/x-ostrevo-library-items");

bool isOwnKey(const QKeyEvent* event) {
    if (event->modifiers() & ~Qt::KeypadModifier) {
        return false;
    }
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_F2:
    case Qt::Key_Delete:
    case Qt::Key_Escape:
        return true;
    default:
        return false;
    }
}

QStringList draggedPaths(const QMimeData* mime) {
    QStringList paths;
    if (!mime || !mime->hasFormat(kLibraryDragType)) {
        return paths;
    }
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile()) {
            paths.append(url.toLocalFile());
        }
    }
    return paths;
}

} // namespace

LibraryOutline::LibraryOutline(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(false);
    setIndentation(14);
    setUniformRowHeights(true);
    // One click opens a folder or a document; a second click must not undo the first.
    setExpandsOnDoubleClick(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
    setFrameShape(QFrame::NoFrame);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    header()->setStretchLastSection(true);
}

LibraryOutline::RowKind LibraryOutline::kindOf(const QTreeWidgetItem* item) {
    return item ? static_cast<RowKind>(item->data(0, kindRole).toInt()) : RowKind::placeholder;
}

QString LibraryOutline::pathOf(const QTreeWidgetItem* item) {
    return item ? item->data(0, pathRole).toString() : QString();
}

QString LibraryOutline::conflictOf(const QTreeWidgetItem* item) {
    return item ? item->data(0, conflictOfRole).toString() : QString();
}

bool LibraryOutline::isFolder(const QTreeWidgetItem* item) {
    return item && item->data(0, folderRole).toBool();
}

QString LibraryOutline::dropFolder(const QTreeWidgetItem* item) const {
    if (!item) {
        return {};
    }
    if (kindOf(item) == RowKind::section) {
        return item->data(0, sectionRole).toString() == QLatin1String("library.folders") ? m_root
                                                                                        : QString();
    }
    return kindOf(item) == RowKind::entry && isFolder(item) ? pathOf(item) : QString();
}

bool LibraryOutline::event(QEvent* event) {
    // The sidebar's own keys come to it even where a menu item carries the same key.
    if (event->type() == QEvent::ShortcutOverride && isOwnKey(static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QTreeWidget::event(event);
}

void LibraryOutline::keyPressEvent(QKeyEvent* event) {
    if (!isOwnKey(event) || state() == QAbstractItemView::EditingState) {
        QTreeWidget::keyPressEvent(event);
        return;
    }
    QTreeWidgetItem* item = currentItem();
    const bool entry = kindOf(item) == RowKind::entry;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (entry && onActivate) {
            onActivate(item);
        }
        break;
    case Qt::Key_F2:
        if (entry && onRename) {
            onRename(item);
        }
        break;
    case Qt::Key_Delete:
        if (entry && onTrash) {
            onTrash(item);
        }
        break;
    case Qt::Key_Escape:
        if (onEscape) {
            onEscape();
        }
        break;
    default:
        break;
    }
    event->accept();
}

QStringList LibraryOutline::mimeTypes() const {
    return {kLibraryDragType, QStringLiteral("text/uri-list")};
}

QMimeData* LibraryOutline::mimeData(const QList<QTreeWidgetItem*>& items) const {
    QList<QUrl> urls;
    for (const QTreeWidgetItem* item : items) {
        if (kindOf(item) == RowKind::entry) {
            urls.append(QUrl::fromLocalFile(pathOf(item)));
        }
    }
    if (urls.isEmpty()) {
        return nullptr;
    }
    auto* mime = new QMimeData;
    // The file manager and other programs see the files; this outline sees the marker too.
    mime->setUrls(urls);
    mime->setData(kLibraryDragType, QByteArray("1"));
    return mime;
}

Qt::DropActions LibraryOutline::supportedDropActions() const {
    return Qt::MoveAction;
}

QString LibraryOutline::dropTarget(const QDropEvent* event) const {
    const QStringList paths = draggedPaths(event->mimeData());
    if (paths.isEmpty()) {
        return {};
    }
    const QString folder = dropFolder(itemAt(event->position().toPoint()));
    if (folder.isEmpty()) {
        return {};
    }
    for (const QString& path : paths) {
        // Into its own folder, into itself or below itself: nowhere to go.
        if (QFileInfo(path).absolutePath() == folder || folder == path ||
            folder.startsWith(path + QLatin1Char('/'))) {
            return {};
        }
    }
    return folder;
}

void LibraryOutline::dragEnterEvent(QDragEnterEvent* event) {
    if (draggedPaths(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void LibraryOutline::dragMoveEvent(QDragMoveEvent* event) {
    // The base class keeps the auto-scroll and the drop indicator going.
    QTreeWidget::dragMoveEvent(event);
    if (dropTarget(event).isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

void LibraryOutline::dropEvent(QDropEvent* event) {
    const QString folder = dropTarget(event);
    const QStringList paths = draggedPaths(event->mimeData());
    setState(QAbstractItemView::NoState);
    viewport()->update();
    if (folder.isEmpty()) {
        event->ignore();
        return;
    }
    // The rows follow the rescan; the view must not move or remove them itself.
    event->setDropAction(Qt::IgnoreAction);
    event->accept();
    if (onMove) {
        onMove(paths, folder);
    }
}

} // namespace velmora
