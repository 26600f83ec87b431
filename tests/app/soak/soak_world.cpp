#include "tests/app/soak/soak_world.hpp"

#include "app/document/document_codec.hpp"
#include "app/document/velmora_document.hpp"
#include "app/platform/preferences.hpp"
#include "app/shell/app_delegate.hpp"
#include "app/shell/velmora_document_controller.hpp"
#include "app/window/document_tab.hpp"
#include "app/window/document_window.hpp"
#include "app/window/main_menu.hpp"
#include "tests/app/soak/soak_invariants.hpp"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QUndoStack>
#include <QtTest>

#include <random>

namespace velmora::soak {
namespace {

Item seededItem(std::mt19937& random, int depth, int& counter) {
    static const char* const words[] = {"Plan",   "Buy milk", "Call Ana", "Übersicht", "Café",
                                        "Draft",  "日本",     "שלום",     "Ideas 💡",   "Trip",
                                        "Budget", "Notes",    "Review",   "Ship it",   ""};
    const auto pick = [&random](int n) {
        return std::uniform_int_distribution<int>(0, n - 1)(random);
    };
    Item item = Item::blank("s" + std::to_string(++counter), words[pick(15)]);
    if (pick(4) == 0) {
        item.note =
            pick(2) == 0 ? "A *note* with [a link](https://example.org)" : "line one\nline two";
    }
    item.checked = pick(5) == 0;
    item.bold = pick(8) == 0;
    item.underline = pick(9) == 0;
    if (pick(6) == 0) {
        item.color = static_cast<ColorLabel>(pick(7));
    }
    std::vector<Item> children;
    const int count = depth >= 3 ? 0 : pick(depth == 0 ? 5 : 4);
    for (int i = 0; i < count; ++i) {
        children.push_back(seededItem(random, depth + 1, counter));
    }
    item.collapsed = !children.empty() && pick(4) == 0;
    item.children = ItemList(std::move(children));
    return item;
}

} // namespace

TreeDocument seededDocument(unsigned seed) {
    std::mt19937 random(seed * 7919u + 17u);
    int counter = 0;
    std::vector<Item> items;
    const int top = 4 + static_cast<int>(random() % 6);
    for (int i = 0; i < top; ++i) {
        items.push_back(seededItem(random, 0, counter));
    }
    return TreeDocument{"soak-" + std::to_string(seed), "Soak", ItemList(std::move(items))};
}

World::World(unsigned documentSeed) : m_documentSeed(documentSeed) {
    QSettings().clear();
    Preferences preferences;
    preferences.setBool(PreferenceKeys::libraryFirstLaunchDone, true);
    preferences.setBool(PreferenceKeys::quitAlwaysKeepsWindows, true);
    preferences.setString(PreferenceKeys::newDocumentView,
                          documentSeed % 2 ? QStringLiteral("list") : QStringLiteral("tree"));
    m_dialogs = std::make_unique<test::ScriptedDialogs>();
    connect(&m_guard, &QTimer::timeout, this, &World::dismissModal);
    m_guard.start(50);
    start();

    EditorSnapshot snapshot;
    snapshot.document = seededDocument(documentSeed);
    snapshot.view = documentSeed % 3 == 0 ? ViewMode::map : ViewMode::list;
    snapshot.selectedId = snapshot.document.items.front().id;
    const QString path = QDir(m_files.path()).filePath(QStringLiteral("Soak.quenlith"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(DocumentCodec::encodeNative(snapshot, BackupSettings{}));
    }
    file.close();
    activate(controller().openDocument(path));
    settle();
}

World::~World() {
    m_guard.stop();
    m_delegate.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    settle();
}

void World::start() {
    m_delegate = std::make_unique<AppDelegate>(*m_dialogs, m_data.path());
    // Long enough that writes happen when a step asks for them, so runs repeat.
    m_delegate->controller().setAutosaveDelay(60'000);
    m_delegate->launch({});
    settle();
}

VelmoraDocumentController& World::controller() const {
    return m_delegate->controller();
}

VelmoraDocument* World::current() {
    VelmoraDocument* document = controller().currentDocument();
    if (!document || !content(document)) {
        const auto documents = controller().documents();
        document = documents.isEmpty() ? controller().newDocument() : documents.last();
        activate(document);
        settle();
    }
    return document;
}

DocumentTab* World::content(const VelmoraDocument* document) const {
    if (!document) {
        return nullptr;
    }
    DocumentView* view = controller().viewOf(document);
    return view ? qobject_cast<DocumentTab*>(view->widget()) : nullptr;
}

void World::activate(VelmoraDocument* document) {
    DocumentWindow* window = document ? controller().windowOf(document) : nullptr;
    if (!window) {
        return;
    }
    window->setCurrentDocument(document);
    window->show();
    window->raise();
    window->activateWindow();
    QApplication::setActiveWindow(window);
}

QString World::freshPath(const QString& stem) {
    QString path;
    do {
        path = QDir(m_files.path())
                   .filePath(stem + QString::number(++m_pathCounter) + QStringLiteral(".quenlith"));
    } while (QFile::exists(path));
    return path;
}

void World::settle() {
    for (int round = 0; round < 3; ++round) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

void World::waitForShortTimers() {
    for (VelmoraDocument* document : controller().documents()) {
        DocumentTab* window = content(document);
        if (!window) {
            continue;
        }
        for (QTimer* timer : window->findChildren<QTimer*>(Qt::FindDirectChildrenOnly)) {
            if (timer->isSingleShot() && timer->interval() <= 200) {
                (void)QTest::qWaitFor([timer] { return !timer->isActive(); }, 1000);
            }
        }
    }
    settle();
}

void World::dismissModal() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) {
        return;
    }
    ++m_dismissed[modal->metaObject()->className()];
    if (auto* dialog = qobject_cast<QDialog*>(modal)) {
        dialog->reject();
    } else {
        modal->close();
    }
}

std::optional<std::string> World::quitAndRestart() {
    // What every open document holds, typed text included, keyed by its id.
    std::map<std::string, TreeDocument> before;
    for (VelmoraDocument* document : controller().documents()) {
        const TreeDocument held = document->documentWithDraft();
        if (held.itemCount() > 0 && (document->isEdited() || !document->filePath().isEmpty())) {
            before[held.id] = held;
        }
    }
    // Quit runs inside the application's event loop, as the menu runs it; exec() returning
    // also leaves no quit pending for the loops of later steps.
    bool quitting = false;
    QTimer::singleShot(0, this, [this, &quitting] {
        QAction* quit = nullptr;
        if (DocumentWindow* window = controller().frontWindow()) {
            quit = MainMenu::standardItem(window->menuBar(), StandardItem::quit);
        }
        if (quit) {
            quit->trigger();
        } else {
            quitting = m_delegate->requestQuit();
        }
        QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    });
    QApplication::exec();
    (void)quitting;
    m_firstStates.clear();
    m_delegate.reset();
    settle();
    start();

    std::string lost;
    std::map<std::string, const VelmoraDocument*> after;
    for (VelmoraDocument* document : controller().documents()) {
        after[document->session().snapshot.document.id] = document;
    }
    for (const auto& [id, document] : before) {
        const auto found = after.find(id);
        if (found == after.end()) {
            lost += "document " + id + " did not come back; ";
            continue;
        }
        if (auto difference =
                contentDifference(document, found->second->session().snapshot.document)) {
            lost += "document " + id + " came back changed: " + *difference + "; ";
        }
    }
    if (DocumentWindow* window = controller().frontWindow()) {
        activate(window->currentDocument());
    }
    settle();
    return lost.empty() ? std::nullopt : std::optional(lost);
}

std::optional<TreeDocument> World::firstState(const QUndoStack* stack) const {
    const auto found = m_firstStates.find(stack);
    return found == m_firstStates.end() ? std::nullopt : found->second;
}

void World::watchUndoStacks() {
    for (VelmoraDocument* document : controller().documents()) {
        QUndoStack* stack = document->undoStack();
        if (m_firstStates.count(stack)) {
            continue;
        }
        m_firstStates[stack] = stack->count() == 0
                                   ? std::optional(document->session().snapshot.document)
                                   : std::nullopt;
        connect(stack, &QUndoStack::indexChanged, this,
                [this, stack, document = QPointer<VelmoraDocument>(document)] {
                    if (document && stack->count() == 0) {
                        m_firstStates[stack] = document->session().snapshot.document;
                    }
                });
        connect(stack, &QObject::destroyed, this, [this, stack] { m_firstStates.erase(stack); });
    }
}

} // namespace velmora::soak
