#include "app/library/library_controller.hpp"

#include "app/library/file_manager.hpp"
#include "app/library/library_actions.hpp"
#include "app/library/library_host.hpp"
#include "app/library/library_outline.hpp"
#include "app/library/library_row_delegate.hpp"
#include "app/library/library_store.hpp"
#include "app/platform/localization.hpp"
#include "app/platform/notifications.hpp"

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <utility>

namespace velmora {
namespace {

using RowKind = LibraryOutline::RowKind;

const QString kPinned = QStringLiteral("library.pinned");
const QString kRecents = QStringLiteral("library.recents");
const QString kFolders = QStringLiteral("library.folders");
const QString kResults = QStringLiteral("library.results");

// The system orange of pinned documents.
const QColor kPinColor(255, 149, 0);

// A pin drawn at every size: a round head on a short needle, in orange.
QIcon pinIcon() {
    static const QIcon icon = [] {
        QIcon made;
        for (int size : {16, 32}) {
            QPixmap pixmap(size, size);
            pixmap.fill(Qt::transparent);
            QPainter painter(&pixmap);
            painter.setRenderHint(QPainter::Antialiasing);
            const double s = size / 16.0;
            painter.setPen(QPen(kPinColor.darker(125), 1.6 * s, Qt::SolidLine, Qt::RoundCap));
            painter.drawLine(QPointF(8 * s, 8 * s), QPointF(8 * s, 15 * s));
            painter.setPen(Qt::NoPen);
            painter.setBrush(kPinColor);
            painter.drawEllipse(QPointF(8 * s, 5.5 * s), 4.5 * s, 4.5 * s);
            painter.setBrush(QColor(255, 255, 255, 150));
            painter.drawEllipse(QPointF(6.6 * s, 4.2 * s), 1.3 * s, 1.3 * s);
            painter.end();
            made.addPixmap(pixmap);
        }
        return made;
    }();
    return icon;
}

QIcon folderIcon(const QStyle* style) {
    return QIcon::fromTheme(QStringLiteral("folder"), style->standardIcon(QStyle::SP_DirIcon));
}

QIcon documentIcon(const QStyle* style) {
    return QIcon::fromTheme(QStringLiteral("text-x-generic"),
                            style->standardIcon(QStyle::SP_FileIcon));
}

QDateTime dateOf(const LibraryEntry& entry) {
    if (!entry.modified) {
        return {};
    }
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        entry.modified->time_since_epoch())
                        .count();
    return QDateTime::fromMSecsSinceEpoch(ms);
}

} // namespace

LibraryController::LibraryController(LibraryStore& store, LibraryHost* host, QWidget* parent)
    : QWidget(parent), m_store(store), m_host(host) {
    setObjectName(QStringLiteral("library"));
    m_folderIcon = folderIcon(style());
    m_documentIcon = documentIcon(style());
    m_pinIcon = pinIcon();
    m_conflictIcon = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    confirm = [](QWidget* parentWidget, const QString& message, const QString& informative) {
        QMessageBox box(QMessageBox::Warning, message, message,
                        QMessageBox::Ok | QMessageBox::Cancel, parentWidget);
        box.setInformativeText(informative);
        box.button(QMessageBox::Ok)->setText(localized(QStringLiteral("library.trash")));
        box.button(QMessageBox::Cancel)->setText(localized(QStringLiteral("common.cancel")));
        box.setDefaultButton(QMessageBox::Cancel);
        return box.exec() == QMessageBox::Ok;
    };
    // Every message of the sidebar says why something did not happen: the warning sign.
    inform = [](QWidget* parentWidget, const QString& message, const QString& informative) {
        QMessageBox box(QMessageBox::Warning, message, message, QMessageBox::Ok, parentWidget);
        box.setInformativeText(informative);
        box.exec();
    };
    build();
    connect(&Notifications::shared(), &Notifications::libraryChanged, this,
            &LibraryController::reload);
    connect(&Notifications::shared(), &Notifications::languageChanged, this,
            &LibraryController::relocalize);
    relocalize();
}

LibraryController::~LibraryController() = default;

void LibraryController::build() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("library.search"));
    m_search->setClearButtonEnabled(true);
    auto* searchRow = new QHBoxLayout;
    searchRow->setContentsMargins(8, 8, 8, 6);
    searchRow->addWidget(m_search);
    layout->addLayout(searchRow);
    connect(m_search, &QLineEdit::textChanged, this, &LibraryController::queryChanged);
    // Down from the search field goes on to the rows.
    m_search->installEventFilter(this);

    m_outline = new LibraryOutline(this);
    m_outline->setObjectName(QStringLiteral("library.outline"));
    // A sidebar sits on the window's own colour, apart from the document beside it.
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);
    m_outline->viewport()->setBackgroundRole(QPalette::Window);
    m_delegate = new LibraryRowDelegate(m_outline);
    m_outline->setItemDelegate(m_delegate);
    layout->addWidget(m_outline, 1);
    m_delegate->onRename = [this](const QString& path, const QString& name) {
        // After the editor has closed: a message box must not open inside its commit.
        QTimer::singleShot(0, this, [this, path, name] { rename(path, name); });
    };
    m_outline->onActivate = [this](QTreeWidgetItem* item) {
        if (LibraryOutline::isFolder(item)) {
            item->setExpanded(!item->isExpanded());
        } else {
            open(LibraryOutline::pathOf(item), false);
        }
    };
    m_outline->onRename = [this](QTreeWidgetItem* item) {
        beginRename(LibraryOutline::pathOf(item));
    };
    m_outline->onTrash = [this](QTreeWidgetItem* item) { trash(LibraryOutline::pathOf(item)); };
    m_outline->onEscape = [this] {
        if (onEscape) {
            onEscape();
        }
    };
    m_outline->onMove = [this](const QStringList& paths, const QString& folder) {
        QTimer::singleShot(0, this, [this, paths, folder] { moveInto(paths, folder); });
    };
    connect(m_outline, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { rowClicked(item); });
    connect(m_outline, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
        populate(item);
        if (!m_restoring && LibraryOutline::kindOf(item) == RowKind::entry) {
            m_store.setExpanded(LibraryOutline::pathOf(item), true);
        }
    });
    connect(m_outline, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) {
        if (LibraryOutline::kindOf(item) == RowKind::section) {
            // Sections stay open; only folders fold.
            item->setExpanded(true);
        } else if (!m_restoring) {
            m_store.setExpanded(LibraryOutline::pathOf(item), false);
        }
    });
    connect(m_outline, &QWidget::customContextMenuRequested, this,
            &LibraryController::contextMenu);
    connect(m_outline->itemDelegate(), &QAbstractItemDelegate::closeEditor, this, [this] {
        if (m_reloadOwed) {
            QTimer::singleShot(0, this, &LibraryController::reload);
        }
    });

    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(6, 4, 6, 6);
    bar->setSpacing(2);
    m_addButton = new QToolButton(this);
    m_addButton->setObjectName(QStringLiteral("library.add"));
    m_addButton->setText(QStringLiteral("+"));
    m_addButton->setAutoRaise(true);
    m_addButton->setStyleSheet(QStringLiteral("QToolButton::menu-indicator { image: none; }"));
    m_addButton->setPopupMode(QToolButton::InstantPopup);
    auto* addMenu = new QMenu(m_addButton);
    connect(addMenu, &QMenu::aboutToShow, this, [this, addMenu] {
        addMenu->clear();
        fillAddMenu(addMenu, targetFolder());
    });
    m_addButton->setMenu(addMenu);
    m_settingsButton = new QToolButton(this);
    m_settingsButton->setObjectName(QStringLiteral("library.settings"));
    m_settingsButton->setAutoRaise(true);
    m_settingsButton->setIcon(QIcon::fromTheme(QStringLiteral("preferences-system")));
    if (m_settingsButton->icon().isNull()) {
        m_settingsButton->setText(QStringLiteral("\u2699"));
    }
    connect(m_settingsButton, &QToolButton::clicked, this, [this] {
        if (m_host) {
            m_host->showLibrarySettings();
        }
    });
    bar->addWidget(m_addButton);
    bar->addStretch(1);
    bar->addWidget(m_settingsButton);
    layout->addLayout(bar);
}

bool LibraryController::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_search || event->type() != QEvent::KeyPress) {
        return QWidget::eventFilter(watched, event);
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Down && key->modifiers() == Qt::NoModifier) {
        focusOutline();
        return true;
    }
    if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
        if (!m_search->text().isEmpty()) {
            m_search->clear();
        } else if (onEscape) {
            onEscape();
        }
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void LibraryController::relocalize() {
    m_search->setPlaceholderText(localized(QStringLiteral("library.search")));
    m_search->setAccessibleName(localized(QStringLiteral("library.search")));
    m_outline->setAccessibleName(localized(QStringLiteral("library.outline")));
    m_addButton->setToolTip(localized(QStringLiteral("library.add")));
    m_settingsButton->setToolTip(localized(QStringLiteral("library.settings")));
    reload();
}

void LibraryController::setCurrentPath(const QString& path) {
    if (path == m_currentPath) {
        return;
    }
    m_currentPath = path;
    for (QTreeWidgetItemIterator it(m_outline); *it; ++it) {
        markCurrent(*it);
    }
    m_outline->viewport()->update();
}

void LibraryController::markCurrent(QTreeWidgetItem* item) {
    const bool current = !m_currentPath.isEmpty() && LibraryOutline::pathOf(item) == m_currentPath;
    if (item->data(0, LibraryOutline::currentRole).toBool() != current) {
        item->setData(0, LibraryOutline::currentRole, current);
    }
}

void LibraryController::reload() {
    // A scan must not pull the row out from under a name being typed; it reloads afterwards.
    if (m_outline->isRenaming()) {
        m_reloadOwed = true;
        return;
    }
    m_reloadOwed = false;
    m_outline->setRoot(m_store.root());
    if (m_search->text().trimmed().isEmpty()) {
        showSections();
    } else {
        queryChanged();
    }
}

void LibraryController::queryChanged() {
    const QString query = m_search->text().trimmed();
    if (query.isEmpty()) {
        showSections();
        return;
    }
    const quint64 token = ++m_searchToken;
    QPointer<LibraryController> self(this);
    m_store.search(this, query, [self, token](const std::vector<LibraryEntry>& matches) {
        // Only the answer to the last query typed is shown.
        if (self && token == self->m_searchToken &&
            !self->m_search->text().trimmed().isEmpty()) {
            self->showResults(matches);
        }
    });
}

void LibraryController::showSections() {
    ++m_searchToken;
    const QString selected = LibraryOutline::pathOf(m_outline->currentItem());
    const int scroll = m_outline->verticalScrollBar()->value();
    m_outline->setUpdatesEnabled(false);
    m_outline->clear();
    m_unpopulated.clear();
    m_copyParents.clear();
    m_entries = m_store.sharedEntries();
    m_pinned = m_store.pinned();
    m_recents = m_store.recentDocuments();
    m_results.clear();
    // Rows are made apart from the view and handed over at once: one insertion, not one per row.
    QList<QTreeWidgetItem*> sections;
    if (!m_pinned.empty()) {
        sections.append(addSection(kPinned, m_pinned, true));
    }
    if (!m_recents.empty()) {
        sections.append(addSection(kRecents, m_recents, false));
    }
    if (!m_entries->empty()) {
        sections.append(addSection(kFolders, *m_entries, false));
    }
    if (sections.isEmpty() && m_store.hasScanned()) {
        sections.append(placeholder(QStringLiteral("library.empty")));
    }
    m_outline->addTopLevelItems(sections);
    const QStringList stored = m_store.expanded();
    const QSet<QString> expanded(stored.begin(), stored.end());
    m_restoring = true;
    for (int i = 0; i < m_outline->topLevelItemCount(); ++i) {
        QTreeWidgetItem* section = m_outline->topLevelItem(i);
        section->setExpanded(true);
        restoreExpansion(section, expanded);
    }
    m_restoring = false;
    expandCopyParents();
    finishReload(selected, scroll);
}

void LibraryController::showResults(const std::vector<LibraryEntry>& matches) {
    const QString selected = LibraryOutline::pathOf(m_outline->currentItem());
    m_outline->setUpdatesEnabled(false);
    m_outline->clear();
    m_unpopulated.clear();
    m_copyParents.clear();
    m_results = matches;
    QTreeWidgetItem* section = addSection(kResults, m_results, false);
    if (m_results.empty()) {
        section->addChild(placeholder(QStringLiteral("library.noResults")));
    }
    m_outline->addTopLevelItem(section);
    section->setExpanded(true);
    finishReload(selected, 0);
}

void LibraryController::finishReload(const QString& selected, int scroll) {
    if (QTreeWidgetItem* row = selected.isEmpty() ? nullptr : rowOf(selected)) {
        m_outline->setCurrentItem(row, 0, QItemSelectionModel::ClearAndSelect);
    }
    m_outline->setUpdatesEnabled(true);
    m_outline->verticalScrollBar()->setValue(scroll);
    applyPendingReveal();
    emit reloaded();
}

QTreeWidgetItem* LibraryController::addSection(const QString& key,
                                               const std::vector<LibraryEntry>& entries,
                                               bool pinned) {
    auto* section = new QTreeWidgetItem;
    section->setText(0, localized(key));
    section->setData(0, LibraryOutline::kindRole, int(RowKind::section));
    section->setData(0, LibraryOutline::sectionRole, key);
    section->setFlags(key == kFolders ? Qt::ItemIsEnabled | Qt::ItemIsDropEnabled
                                      : Qt::ItemIsEnabled);
    section->addChildren(makeEntries(entries, pinned));
    return section;
}

QTreeWidgetItem* LibraryController::placeholder(const QString& key) const {
    auto* row = new QTreeWidgetItem;
    row->setText(0, localized(key));
    row->setData(0, LibraryOutline::kindRole, int(RowKind::placeholder));
    row->setFlags(Qt::ItemIsEnabled);
    return row;
}

QList<QTreeWidgetItem*> LibraryController::makeEntries(const std::vector<LibraryEntry>& entries,
                                                       bool pinned) {
    QList<QTreeWidgetItem*> rows;
    rows.reserve(qsizetype(entries.size()));
    for (const auto& entry : entries) {
        rows.append(makeEntry(entry, pinned));
    }
    return rows;
}

QTreeWidgetItem* LibraryController::makeEntry(const LibraryEntry& entry, bool pinned) {
    auto* item = new QTreeWidgetItem;
    const QString path = LibraryStore::fromPath(entry.url);
    item->setText(0, QString::fromStdString(entry.name));
    item->setToolTip(0, QDir::toNativeSeparators(path));
    item->setData(0, LibraryOutline::kindRole, int(RowKind::entry));
    item->setData(0, LibraryOutline::pathRole, path);
    item->setData(0, LibraryOutline::folderRole, entry.isFolder);
    item->setData(0, LibraryOutline::pinnedRole, pinned);
    Qt::ItemFlags flags =
        Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsEditable;
    if (entry.isFolder) {
        item->setIcon(0, m_folderIcon);
        flags |= Qt::ItemIsDropEnabled;
        if (!entry.children.empty()) {
            item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
            m_unpopulated.insert(item, &entry);
        }
    } else {
        item->setIcon(0, pinned ? m_pinIcon : m_documentIcon);
        item->setData(0, LibraryOutline::modifiedRole, dateOf(entry));
        for (const LibraryEntry& copy : entry.conflictCopies) {
            item->addChild(makeConflictCopy(copy, path));
        }
        if (!entry.conflictCopies.empty()) {
            m_copyParents.append(item);
        }
    }
    item->setFlags(flags);
    markCurrent(item);
    return item;
}

QTreeWidgetItem* LibraryController::makeConflictCopy(const LibraryEntry& copy,
                                                     const QString& document) {
    auto* item = new QTreeWidgetItem;
    item->setText(0, QString::fromStdString(copy.name));
    item->setToolTip(0, localized(QStringLiteral("library.conflictCopy.tooltip")));
    item->setIcon(0, m_conflictIcon);
    item->setData(0, LibraryOutline::kindRole, int(RowKind::entry));
    item->setData(0, LibraryOutline::pathRole, LibraryStore::fromPath(copy.url));
    item->setData(0, LibraryOutline::folderRole, false);
    item->setData(0, LibraryOutline::conflictOfRole, document);
    item->setData(0, LibraryOutline::modifiedRole, dateOf(copy));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

void LibraryController::expandCopyParents() {
    const bool restoring = m_restoring;
    m_restoring = true;
    for (QTreeWidgetItem* item : std::exchange(m_copyParents, {})) {
        item->setExpanded(true);
    }
    m_restoring = restoring;
}

void LibraryController::populate(QTreeWidgetItem* folder) {
    const auto found = m_unpopulated.find(folder);
    if (found == m_unpopulated.end()) {
        return;
    }
    const LibraryEntry* entry = found.value();
    m_unpopulated.erase(found);
    folder->addChildren(makeEntries(entry->children, false));
    // Inside the expansion of the folder: the signal of the rows opened now is no user's.
    QTimer::singleShot(0, this, [this] { expandCopyParents(); });
}

void LibraryController::restoreExpansion(QTreeWidgetItem* parent, const QSet<QString>& expanded) {
    for (int i = 0; i < parent->childCount(); ++i) {
        QTreeWidgetItem* child = parent->child(i);
        if (LibraryOutline::isFolder(child) && expanded.contains(LibraryOutline::pathOf(child))) {
            child->setExpanded(true);
            restoreExpansion(child, expanded);
        }
    }
}

QTreeWidgetItem* LibraryController::rowOf(const QString& path) const {
    if (path.isEmpty()) {
        return nullptr;
    }
    QTreeWidgetItem* fallback = nullptr;
    for (QTreeWidgetItemIterator it(m_outline); *it; ++it) {
        if (LibraryOutline::pathOf(*it) == path) {
            // Prefer the row in the folders (or results), where the item really lives.
            if (!(*it)->data(0, LibraryOutline::pinnedRole).toBool() &&
                (*it)->parent() &&
                (*it)->parent()->data(0, LibraryOutline::sectionRole).toString() != kRecents) {
                return *it;
            }
            if (!fallback) {
                fallback = *it;
            }
        }
    }
    return fallback;
}

QStringList LibraryController::sectionPaths(const QString& key) const {
    QStringList paths;
    for (int i = 0; i < m_outline->topLevelItemCount(); ++i) {
        QTreeWidgetItem* section = m_outline->topLevelItem(i);
        if (section->data(0, LibraryOutline::sectionRole).toString() != key) {
            continue;
        }
        for (int j = 0; j < section->childCount(); ++j) {
            if (LibraryOutline::kindOf(section->child(j)) == RowKind::entry) {
                paths.append(LibraryOutline::pathOf(section->child(j)));
            }
        }
    }
    return paths;
}

QStringList LibraryController::sections() const {
    QStringList keys;
    for (int i = 0; i < m_outline->topLevelItemCount(); ++i) {
        const QString key =
            m_outline->topLevelItem(i)->data(0, LibraryOutline::sectionRole).toString();
        if (!key.isEmpty()) {
            keys.append(key);
        }
    }
    return keys;
}

void LibraryController::reveal(const QString& path) {
    m_pendingReveal = path;
    applyPendingReveal();
}

void LibraryController::applyPendingReveal() {
    if (m_pendingReveal.isEmpty()) {
        return;
    }
    // Open the folders above it, from the library's root down.
    const QString root = m_store.root();
    QString folder = QFileInfo(m_pendingReveal).absolutePath();
    QStringList chain;
    while (folder.startsWith(root + QLatin1Char('/'))) {
        chain.prepend(folder);
        folder = QFileInfo(folder).absolutePath();
    }
    for (const QString& step : chain) {
        m_store.setExpanded(step, true);
        if (QTreeWidgetItem* row = rowOf(step)) {
            row->setExpanded(true);
        }
    }
    QTreeWidgetItem* row = rowOf(m_pendingReveal);
    if (!row) {
        return; // Not scanned yet: the next reload tries again.
    }
    m_pendingReveal.clear();
    m_outline->setCurrentItem(row, 0, QItemSelectionModel::ClearAndSelect);
    m_outline->scrollToItem(row);
}

void LibraryController::focusOutline() {
    if (!m_outline->currentItem()) {
        QTreeWidgetItem* row = rowOf(m_currentPath);
        for (QTreeWidgetItemIterator it(m_outline); !row && *it; ++it) {
            if (LibraryOutline::kindOf(*it) == RowKind::entry) {
                row = *it;
            }
        }
        if (row) {
            m_outline->setCurrentItem(row);
        }
    }
    m_outline->setFocus(Qt::ShortcutFocusReason);
}

void LibraryController::rowClicked(QTreeWidgetItem* item) {
    if (LibraryOutline::kindOf(item) != RowKind::entry) {
        return;
    }
    if (LibraryOutline::isFolder(item)) {
        item->setExpanded(!item->isExpanded());
    } else {
        open(LibraryOutline::pathOf(item), false);
    }
}

} // namespace velmora
