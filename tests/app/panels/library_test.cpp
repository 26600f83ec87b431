// The library store and the library sidebar: scans applied by generation, pins, stored paths
// after moves and renames, the rename rules, the trash, the search flow, the file watcher, the
// sections and the keyboard, and the sidebar in a document window.
#include "app/library/file_manager.hpp"
#include "app/library/library_actions.hpp"
#include "app/library/library_controller.hpp"
#include "app/library/library_host.hpp"
#include "app/library/library_outline.hpp"
#include "app/library/library_store.hpp"
#include "app/platform/notifications.hpp"
#include "app/platform/preferences.hpp"
#include "app/settings/library_relocation.hpp"
#include "app/shell/application.hpp"
#include "app/views/tree_canvas_view.hpp"
#include "core/formats/native_document_codec.hpp"
#include "tests/app/support/isolated_home.hpp"
#include "tests/app/support/scripted_dialogs.hpp"
#include "tests/app/views/window_fixture.hpp"

#include <QDBusConnection>
#include <QDesktopServices>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QStandardPaths>
#include <QToolButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

#include <fstream>

using namespace velmora;
using Kind = LibraryActions::Outcome::Kind;

namespace {

class FakeHost final : public LibraryHost {
public:
    void openLibraryDocument(const QString& path, bool ownWindow) override {
        opened.append(ownWindow ? path + QStringLiteral(" (own window)") : path);
    }
    QList<VelmoraDocument*> openDocuments() const override { return open; }
    void createLibrarySamples(QWidget*) override {}
    void showLibrarySettings() override {}

    QStringList opened;
    QList<VelmoraDocument*> open;
};

// A document file with one item per text.
void writeDocument(const QString& path, const QStringList& texts = {QStringLiteral("item")}) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    std::vector<Item> items;
    for (const QString& text : texts) {
        items.push_back(Item::blank("id-" + text.toStdString(), text.toStdString()));
    }
    EditorSnapshot snapshot;
    snapshot.document = TreeDocument{"doc", QFileInfo(path).completeBaseName().toStdString(),
                                     ItemList(std::move(items))};
    std::ofstream(LibraryStore::toPath(path), std::ios::binary)
        << NativeDocumentCodec::encode(snapshot, BackupSettings{});
}

// The desktop's file manager as it answers on the bus: it notes the items it was asked to show.
class FakeFileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    QList<QStringList> shown;

public slots:
    void ShowItems(const QStringList& uris, const QString& startupId) {
        (void)startupId;
        shown.append(uris);
    }
};

// Takes the place of the desktop's file browser for file addresses.
class OpenedUrls : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened.append(url); }
};

// A message bus of the test's own, without any service that could start a real file manager.
class PrivateBus {
public:
    PrivateBus() {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty() || !m_dir.isValid()) {
            return;
        }
        const QString config = m_dir.filePath(QStringLiteral("bus.conf"));
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly)) {
            return;
        }
        file.write("<!DOCTYPE busconfig PUBLIC"
                   " \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                   " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                   "<busconfig><type>session</type>"
                   "<listen>unix:dir=" + QFile::encodeName(m_dir.path()) + "</listen>"
                   "<auth>EXTERNAL</auth><policy context=\"default\">"
                   "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                   "<allow own=\"*\"/></policy></busconfig>\n");
        file.close();
        m_process.start(daemon, {QStringLiteral("--config-file=") + config,
                                 QStringLiteral("--print-address"), QStringLiteral("--nofork")});
        if (!m_process.waitForStarted(5000)) {
            return;
        }
        for (int i = 0; i < 50 && !m_process.canReadLine(); ++i) {
            m_process.waitForReadyRead(100);
        }
        address = QString::fromUtf8(m_process.readLine()).trimmed();
    }
    ~PrivateBus() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            m_process.waitForFinished(5000);
        }
    }

    QString address;

private:
    QTemporaryDir m_dir;
    QProcess m_process;
};

QStringList names(const std::vector<LibraryEntry>& entries) {
    QStringList out;
    for (const auto& entry : entries) {
        out.append(QString::fromStdString(entry.name));
    }
    return out;
}

} // namespace

class LibraryTest : public QObject {
    Q_OBJECT
public:
    explicit LibraryTest(const QString& home) : m_home(home) {}

private:
    QString m_home;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<LibraryStore> m_store;

    QString documents() const { return QDir(m_dir->path()).filePath(QStringLiteral("Docs")); }
    QString root() const { return m_store->root(); }
    QString at(const QString& relative) const { return QDir(root()).filePath(relative); }
    LibraryStore& store() { return *m_store; }

    // Rescans and waits for the result.
    void scan() {
        QSignalSpy scanned(m_store.get(), &LibraryStore::scanned);
        m_store->rescan();
        QVERIFY(scanned.wait(5000));
    }

private slots:
    void init() {
        QSettings().clear();
        m_dir = std::make_unique<QTemporaryDir>();
        QSignalSpy first(&Notifications::shared(), &Notifications::libraryChanged);
        m_store = std::make_unique<LibraryStore>(m_dir->path(), documents());
        QVERIFY(first.wait(5000));
    }

    void cleanup() {
        m_store.reset();
        m_dir.reset();
    }

    // --- Store ----------------------------------------------------------------------------

    void locationSettlesOnTheLocalFolder() {
        // No preference: the documents folder, written back as "local" by the first scan.
        QCOMPARE(root(), QDir(documents()).filePath(QStringLiteral("Ostrevo")));
        QVERIFY(QFileInfo(root()).isDir());
        QCOMPARE(Preferences().libraryLocation(), QStringLiteral("local"));
        // No cloud drive here: a stored "iCloud" reads as local.
        Preferences().setString(PreferenceKeys::libraryLocation, QStringLiteral("iCloud"));
        QCOMPARE(store().location(), LibraryLocation::local);
        Preferences().setString(PreferenceKeys::libraryLocation, QStringLiteral("custom"));
        QCOMPARE(store().location(), LibraryLocation::local);
        const QString custom = QDir(m_dir->path()).filePath(QStringLiteral("Mine"));
        QSignalSpy scanned(&store(), &LibraryStore::scanned);
        store().setLocation(LibraryLocation::custom, custom);
        QVERIFY(scanned.wait(5000));
        QCOMPARE(store().location(), LibraryLocation::custom);
        QCOMPARE(root(), custom);
        QVERIFY(QFileInfo(custom).isDir());
    }

    void twoRescansApplyOnlyTheSecond() {
        writeDocument(at(QStringLiteral("One.quenlith")));
        // Let the watcher's own rescan for that file come and go first.
        QTRY_COMPARE(names(store().entries()), QStringList{QStringLiteral("One")});
        QTest::qWait(400);
        QSignalSpy scanned(&store(), &LibraryStore::scanned);
        QSignalSpy posted(&Notifications::shared(), &Notifications::libraryChanged);
        const quint64 before = store().scanGeneration();
        store().rescan();
        store().rescan();
        QVERIFY(scanned.wait(5000));
        QTest::qWait(300);
        QCOMPARE(scanned.count(), 1);
        QCOMPARE(posted.count(), 1);
        QCOMPARE(store().scanGeneration(), before + 2);
        QCOMPARE(names(store().entries()), QStringList{QStringLiteral("One")});
    }

    void pinningTogglesAndAnnounces() {
        const QString doc = at(QStringLiteral("Plans/Trip.quenlith"));
        const QString outside = QDir(m_dir->path()).filePath(QStringLiteral("Elsewhere.quenlith"));
        writeDocument(doc);
        writeDocument(outside);
        scan();
        QSignalSpy posted(&Notifications::shared(), &Notifications::libraryChanged);
        store().togglePin(doc);
        store().togglePin(outside);
        QCOMPARE(posted.count(), 2);
        QCOMPARE(names(store().pinned()), (QStringList{QStringLiteral("Trip"), QStringLiteral("Elsewhere")}));
        // Pinning a pinned item unpins it; a pinned path that is gone is not listed.
        store().togglePin(doc);
        QCOMPARE(names(store().pinned()), QStringList{QStringLiteral("Elsewhere")});
        QFile::remove(outside);
        QVERIFY(store().pinned().empty());
        QVERIFY(store().isPinned(outside));
    }

    void storedPathsFollowRenamesAndMoves() {
        const QString doc = at(QStringLiteral("Plans/Trip.quenlith"));
        const QString outside = QDir(m_dir->path()).filePath(QStringLiteral("Elsewhere.quenlith"));
        writeDocument(doc);
        writeDocument(outside);
        scan();
        store().togglePin(doc);
        store().togglePin(outside);
        store().setExpanded(at(QStringLiteral("Plans")), true);

        const auto renamed =
            LibraryActions::rename(store(), at(QStringLiteral("Plans")), QStringLiteral("Journeys"), {});
        QCOMPARE(renamed.kind, Kind::done);
        QCOMPARE(Preferences().libraryPinned(),
                 (QStringList{at(QStringLiteral("Journeys/Trip.quenlith")), outside}));
        QCOMPARE(Preferences().libraryExpanded(), QStringList{at(QStringLiteral("Journeys"))});

        // The whole library moves to a new root: what was inside follows, the rest stays.
        const QString oldRoot = root();
        const QString newRoot = QDir(m_dir->path()).filePath(QStringLiteral("New/Ostrevo"));
        const auto moved = Library::moveContents(LibraryStore::toPath(oldRoot),
                                                 LibraryStore::toPath(newRoot));
        QCOMPARE(moved.moved, 1);
        QSignalSpy scanned(&store(), &LibraryStore::scanned);
        store().setLocation(LibraryLocation::custom, newRoot);
        store().moveRoot(oldRoot, newRoot);
        QVERIFY(scanned.wait(5000));
        QCOMPARE(Preferences().libraryPinned(),
                 (QStringList{newRoot + QStringLiteral("/Journeys/Trip.quenlith"), outside}));
        QCOMPARE(names(store().pinned()), (QStringList{QStringLiteral("Trip"), QStringLiteral("Elsewhere")}));
    }

    void renameRules() {
        const QString plan = at(QStringLiteral("Plan.quenlith"));
        const QString notes = at(QStringLiteral("Notes.quenlith"));
        writeDocument(plan);
        writeDocument(notes);
        writeDocument(at(QStringLiteral("Folder/Open.quenlith")));
        scan();
        // The same name after making it safe changes nothing.
        QCOMPARE(LibraryActions::rename(store(), plan, QStringLiteral("  Plan "), {}).kind,
                 Kind::unchanged);
        // Another item's name is refused and nothing moves.
        QCOMPARE(LibraryActions::rename(store(), plan, QStringLiteral("Notes"), {}).kind,
                 Kind::exists);
        QVERIFY(QFile::exists(plan));
        QVERIFY(QFile::exists(notes));
        // A name that would hide the file loses its dots; the extension stays.
        const auto dotted = LibraryActions::rename(store(), plan, QStringLiteral(".plan"), {});
        QCOMPARE(dotted.kind, Kind::done);
        QCOMPARE(dotted.path, at(QStringLiteral("plan.quenlith")));
        QVERIFY(QFile::exists(dotted.path));

        // A folder that holds an open document stays; the open document itself may be renamed,
        // and its window follows the file.
        VelmoraDocument open{Preferences()};
        QVERIFY(!open.readFile(at(QStringLiteral("Folder/Open.quenlith")), Preferences()));
        QCOMPARE(LibraryActions::rename(store(), at(QStringLiteral("Folder")),
                                        QStringLiteral("Moved"), {&open})
                     .kind,
                 Kind::closeFirst);
        QVERIFY(QFileInfo(at(QStringLiteral("Folder"))).isDir());
        QSignalSpy fileChanged(&open, &VelmoraDocument::fileChanged);
        const auto renamed = LibraryActions::rename(store(), open.filePath(),
                                                    QStringLiteral("Renamed"), {&open});
        QCOMPARE(renamed.kind, Kind::done);
        QCOMPARE(open.filePath(), at(QStringLiteral("Folder/Renamed.quenlith")));
        QCOMPARE(fileChanged.count(), 1);
        QVERIFY(!QFile::exists(at(QStringLiteral("Folder/Open.quenlith"))));
        QVERIFY(!open.save());
        QVERIFY(!QFile::exists(at(QStringLiteral("Folder/Open.quenlith"))));
    }

    void trashAsksAndRefusesOpenDocuments() {
        FakeHost host;
        LibraryController sidebar(store(), &host);
        const QString doc = at(QStringLiteral("Old.quenlith"));
        const QString open = at(QStringLiteral("Open.quenlith"));
        writeDocument(doc);
        writeDocument(open);
        scan();
        QStringList asked, told;
        bool answer = false;
        sidebar.confirm = [&](QWidget*, const QString& message, const QString&) {
            asked.append(message);
            return answer;
        };
        sidebar.inform = [&](QWidget*, const QString& message, const QString&) {
            told.append(message);
        };
        sidebar.trash(doc);
        QCOMPARE(asked, QStringList{QStringLiteral("Move “Old” to the trash?")});
        QVERIFY(QFile::exists(doc));
        answer = true;
        sidebar.trash(doc);
        QVERIFY(!QFile::exists(doc));
        const QString trashed = QDir(qEnvironmentVariable("XDG_DATA_HOME"))
                                    .filePath(QStringLiteral("Trash/files/Old.quenlith"));
        QVERIFY(QFile::exists(trashed));

        VelmoraDocument document{Preferences()};
        QVERIFY(!document.readFile(open, Preferences()));
        host.open = {&document};
        sidebar.trash(open);
        QVERIFY(QFile::exists(open));
        QCOMPARE(told, QStringList{QStringLiteral("Close this document first.")});
    }

    // The sidebar's messages all say why something did not happen; they once came with the
    // information sign.
    void refusalsCarryTheWarningSign() {
        FakeHost host;
        LibraryController sidebar(store(), &host);
        const QString doc = at(QStringLiteral("Trip.quenlith"));
        writeDocument(doc);
        writeDocument(at(QStringLiteral("Archive/Trip.quenlith")));
        scan();
        std::optional<QMessageBox::Icon> shown;
        QTimer::singleShot(0, this, [&shown] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                shown = box->icon();
                box->close();
            }
        });
        sidebar.moveInto({doc}, at(QStringLiteral("Archive")));
        QCOMPARE(shown, std::optional(QMessageBox::Warning));
    }

    void movesBetweenFoldersNeverReplace() {
        FakeHost host;
        LibraryController sidebar(store(), &host);
        QStringList told;
        sidebar.inform = [&](QWidget*, const QString& message, const QString&) {
            told.append(message);
        };
        const QString doc = at(QStringLiteral("Trip.quenlith"));
        writeDocument(doc, {QStringLiteral("mine")});
        writeDocument(at(QStringLiteral("Archive/Trip.quenlith")), {QStringLiteral("theirs")});
        QDir().mkpath(at(QStringLiteral("Travel/Sub")));
        scan();
        store().togglePin(doc);
        sidebar.moveInto({doc}, at(QStringLiteral("Archive")));
        QCOMPARE(told, QStringList{QStringLiteral("An item with this name already exists.")});
        QVERIFY(QFile::exists(doc));
        sidebar.moveInto({doc}, at(QStringLiteral("Travel")));
        QVERIFY(QFile::exists(at(QStringLiteral("Travel/Trip.quenlith"))));
        QCOMPARE(Preferences().libraryPinned(),
                 QStringList{at(QStringLiteral("Travel/Trip.quenlith"))});
        // A folder never goes into itself or below itself.
        sidebar.moveInto({at(QStringLiteral("Travel"))}, at(QStringLiteral("Travel/Sub")));
        QVERIFY(QFileInfo(at(QStringLiteral("Travel/Sub"))).isDir());
        QCOMPARE(told.size(), 1);
    }

    void watcherNoticesAFileWrittenElsewhere() {
        QDir().mkpath(at(QStringLiteral("Inbox")));
        scan();
        QVERIFY(store().watchedFolders().contains(at(QStringLiteral("Inbox"))));
        // Another program writes a document; no one asks for a rescan.
        writeDocument(at(QStringLiteral("Inbox/From Mail.quenlith")));
        QTRY_VERIFY_WITH_TIMEOUT(!store().entries().empty() &&
                                     names(store().entries().front().children) ==
                                         QStringList{QStringLiteral("From Mail")},
                                 5000);
        // Folders that are gone are no longer watched; new ones are.
        QDir(at(QStringLiteral("Inbox"))).removeRecursively();
        QDir().mkpath(at(QStringLiteral("Later")));
        QTRY_VERIFY_WITH_TIMEOUT(store().watchedFolders().contains(at(QStringLiteral("Later"))),
                                 5000);
        QVERIFY(!store().watchedFolders().contains(at(QStringLiteral("Inbox"))));
    }

    // --- Sidebar --------------------------------------------------------------------------

    void sectionsShowPinnedRecentAndFolders() {
        const QString trip = at(QStringLiteral("Plans/Trip.quenlith"));
        const QString list = at(QStringLiteral("List.quenlith"));
        writeDocument(trip);
        writeDocument(list);
        scan();
        FakeHost host;
        LibraryController sidebar(store(), &host);
        sidebar.reload();
        QCOMPARE(sidebar.sections(), QStringList{QStringLiteral("library.folders")});
        QCOMPARE(sidebar.sectionPaths(QStringLiteral("library.folders")),
                 (QStringList{at(QStringLiteral("Plans")), list}));

        Preferences().setStringList(PreferenceKeys::recentDocuments,
                                    {list, at(QStringLiteral("Gone.quenlith"))});
        store().togglePin(trip);
        QCOMPARE(sidebar.sections(), (QStringList{QStringLiteral("library.pinned"), QStringLiteral("library.recents"), QStringLiteral("library.folders")}));
        QCOMPARE(sidebar.sectionPaths(QStringLiteral("library.pinned")), QStringList{trip});
        QCOMPARE(sidebar.sectionPaths(QStringLiteral("library.recents")), QStringList{list});
        // The pinned document is also in its folder, there without the pin.
        sidebar.reveal(trip);
        QTreeWidgetItem* inFolder = sidebar.outline().currentItem();
        QCOMPARE(LibraryOutline::pathOf(inFolder), trip);
        QVERIFY(!inFolder->data(0, LibraryOutline::pinnedRole).toBool());
        QVERIFY(Preferences().libraryExpanded().contains(at(QStringLiteral("Plans"))));
        QTreeWidgetItem* pinnedRow = sidebar.outline().topLevelItem(0)->child(0);
        QVERIFY(pinnedRow->data(0, LibraryOutline::pinnedRole).toBool());

        // The window's document is emphasised wherever it is shown.
        sidebar.setCurrentPath(list);
        int emphasised = 0;
        for (QTreeWidgetItemIterator it(&sidebar.outline()); *it; ++it) {
            emphasised += (*it)->data(0, LibraryOutline::currentRole).toBool() ? 1 : 0;
        }
        QCOMPARE(emphasised, 2);
    }

    // A sync tool's conflict copy shows under its document with a mark, is neither a recent
    // document nor a search result of its own, and merges into its document, then goes to the
    // trash; an open copy must be closed first.
    void conflictCopiesShowUnderTheirDocumentAndMergeIntoIt() {
        const QString plan = at(QStringLiteral("Plan.quenlith"));
        const QString copy = at(QStringLiteral("Plan.sync-conflict-20261207-101010-ABCDEFG.quenlith"));
        writeDocument(plan, {QStringLiteral("walk")});
        writeDocument(copy, {QStringLiteral("walk"), QStringLiteral("swim")});
        Preferences().setStringList(PreferenceKeys::recentDocuments, {copy, plan});
        scan();
        FakeHost host;
        LibraryController sidebar(store(), &host);
        sidebar.reload();
        QCOMPARE(sidebar.sectionPaths(QStringLiteral("library.folders")), QStringList{plan});
        QCOMPARE(sidebar.sectionPaths(QStringLiteral("library.recents")), QStringList{plan});
        QTreeWidgetItem* planRow = sidebar.rowOf(plan);
        QVERIFY(planRow);
        QCOMPARE(planRow->childCount(), 1);
        QTreeWidgetItem* copyRow = planRow->child(0);
        QVERIFY(planRow->isExpanded());
        QCOMPARE(LibraryOutline::pathOf(copyRow), copy);
        QCOMPARE(LibraryOutline::conflictOf(copyRow), plan);
        QVERIFY(!copyRow->icon(0).isNull());
        QVERIFY(!(copyRow->flags() & Qt::ItemIsDragEnabled));
        QVERIFY(LibraryOutline::conflictOf(planRow).isEmpty());

        sidebar.searchField().setText(QStringLiteral("swim"));
        QTRY_COMPARE(sidebar.sections(), QStringList{QStringLiteral("library.results")});
        QVERIFY(sidebar.sectionPaths(QStringLiteral("library.results")).isEmpty());
        sidebar.searchField().clear();

        sidebar.showConflictCopy(copy);
        QTRY_COMPARE(host.opened, QStringList{copy});

        QStringList told;
        sidebar.inform = [&](QWidget*, const QString& message, const QString&) {
            told.append(message);
        };
        VelmoraDocument openCopy{Preferences()};
        QVERIFY(!openCopy.readFile(copy, Preferences()));
        host.open = {&openCopy};
        sidebar.mergeConflictCopy(copy, plan);
        QCOMPARE(told, QStringList{QStringLiteral("Close this document first.")});
        QVERIFY(QFile::exists(copy));
        host.open.clear();

        sidebar.mergeConflictCopy(copy, plan);
        QCOMPARE(told.size(), 1);
        QVERIFY(!QFile::exists(copy));
        QVERIFY(QFile::exists(QDir(qEnvironmentVariable("XDG_DATA_HOME"))
                                  .filePath(QStringLiteral(
                                      "Trash/files/Plan.sync-conflict-20261207-101010-ABCDEFG.quenlith"))));
        VelmoraDocument merged{Preferences()};
        QVERIFY(!merged.readFile(plan, Preferences()));
        QStringList titles;
        for (const Item& item : merged.session().snapshot.document.items) {
            titles.append(QString::fromStdString(item.text));
        }
        QCOMPARE(titles, (QStringList{QStringLiteral("walk"), QStringLiteral("swim")}));
        scan();
        QTRY_COMPARE(sidebar.rowOf(plan)->childCount(), 0);
    }

    void searchShowsOnlyTheLastQuery() {
        writeDocument(at(QStringLiteral("Alpha.quenlith")), {QStringLiteral("river")});
        writeDocument(at(QStringLiteral("Sub/Beta.quenlith")), {QStringLiteral("Mountain hut")});
        scan();
        FakeHost host;
        LibraryController sidebar(store(), &host);
        QSignalSpy reloaded(&sidebar, &LibraryController::reloaded);
        sidebar.searchField().setText(QStringLiteral("alpha"));
        sidebar.searchField().setText(QStringLiteral("mountain"));
        QTRY_COMPARE(sidebar.sections(), QStringList{QStringLiteral("library.results")});
        QCOMPARE(sidebar.sectionPaths(QStringLiteral("library.results")),
                 QStringList{at(QStringLiteral("Sub/Beta.quenlith"))});
        QTest::qWait(200);
        QCOMPARE(sidebar.sectionPaths(QStringLiteral("library.results")),
                 QStringList{at(QStringLiteral("Sub/Beta.quenlith"))});
        // A new scan while searching searches again.
        writeDocument(at(QStringLiteral("Mountains.quenlith")));
        scan();
        QTRY_COMPARE(sidebar.sectionPaths(QStringLiteral("library.results")).size(), 2);
        // Blanks only: the sections again.
        sidebar.searchField().setText(QStringLiteral("   "));
        QCOMPARE(sidebar.sections(), QStringList{QStringLiteral("library.folders")});
        // No match: one placeholder row under the results.
        sidebar.searchField().setText(QStringLiteral("zzz"));
        QTRY_COMPARE(sidebar.sections(), QStringList{QStringLiteral("library.results")});
        QVERIFY(sidebar.sectionPaths(QStringLiteral("library.results")).isEmpty());
    }

    void keyboardOpensRenamesAndTrashes() {
        const QString doc = at(QStringLiteral("Draft.quenlith"));
        writeDocument(doc);
        scan();
        FakeHost host;
        LibraryController sidebar(store(), &host);
        sidebar.resize(260, 400);
        sidebar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sidebar));
        sidebar.reload();
        QStringList asked;
        sidebar.confirm = [&](QWidget*, const QString& message, const QString&) {
            asked.append(message);
            return false;
        };
        // Down from the search field goes to the rows.
        sidebar.searchField().setFocus();
        QTest::keyClick(&sidebar.searchField(), Qt::Key_Down);
        QCOMPARE(QApplication::focusWidget(), &sidebar.outline());
        sidebar.outline().setCurrentItem(sidebar.rowOf(doc));
        QTest::keyClick(&sidebar.outline(), Qt::Key_Return);
        QTRY_COMPARE(host.opened, QStringList{doc});
        QTest::keyClick(&sidebar.outline(), Qt::Key_Delete);
        QCOMPARE(asked.size(), 1);
        QVERIFY(QFile::exists(doc));

        // F2 renames in place; a scan meanwhile waits until the name is in.
        QTest::keyClick(&sidebar.outline(), Qt::Key_F2);
        QVERIFY(sidebar.outline().isRenaming());
        auto* field = sidebar.outline().findChild<QLineEdit*>(QStringLiteral("libraryRenameField"));
        QVERIFY(field);
        QCOMPARE(field->text(), QStringLiteral("Draft"));
        store().rescan();
        QTest::qWait(100);
        QVERIFY(sidebar.outline().isRenaming());
        field->setText(QStringLiteral("Final"));
        QTest::keyClick(field, Qt::Key_Return);
        QTRY_VERIFY(QFile::exists(at(QStringLiteral("Final.quenlith"))));
        QTRY_COMPARE(LibraryOutline::pathOf(sidebar.outline().currentItem()),
                     at(QStringLiteral("Final.quenlith")));
    }

    // --- Faults found in use -------------------------------------------------------------

    // F2 then a click elsewhere once renamed "Plan: A" to "Plan- A": the shown name, made safe
    // for a file name, differs from the file's own.
    void renameWithoutAnEditChangesNothing() {
        const QString plan = at(QStringLiteral("Plan: A.quenlith"));
        writeDocument(plan);
        scan();
        FakeHost host;
        LibraryController sidebar(store(), &host);
        QStringList told;
        sidebar.inform = [&](QWidget*, const QString& message, const QString&) {
            told.append(message);
        };
        sidebar.resize(260, 400);
        sidebar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sidebar));
        sidebar.reload();
        const auto field = [&sidebar] {
            return sidebar.outline().findChild<QLineEdit*>(QStringLiteral("libraryRenameField"));
        };

        // The keyboard goes elsewhere without an edit: nothing is renamed.
        sidebar.beginRename(plan);
        QVERIFY(sidebar.outline().isRenaming());
        QVERIFY(field());
        sidebar.searchField().setFocus();
        QTRY_VERIFY(!sidebar.outline().isRenaming());
        QTest::qWait(100);
        QVERIFY(QFile::exists(plan));
        QVERIFY(!QFile::exists(at(QStringLiteral("Plan- A.quenlith"))));

        // Typed, then Escape: cancelled.
        sidebar.beginRename(plan);
        QVERIFY(field());
        QTest::keyClicks(field(), QStringLiteral(" revised"));
        QTest::keyClick(field(), Qt::Key_Escape);
        QTRY_VERIFY(!sidebar.outline().isRenaming());
        QTest::qWait(100);
        QVERIFY(QFile::exists(plan));
        QCOMPARE(QDir(root()).entryList({QStringLiteral("*.quenlith")}),
                 QStringList{QStringLiteral("Plan: A.quenlith")});

        // A real edit renames, when the field is left as when Return is pressed.
        sidebar.beginRename(plan);
        QVERIFY(field());
        QTest::keyClick(field(), Qt::Key_End);
        QTest::keyClicks(field(), QStringLiteral(" B"));
        sidebar.searchField().setFocus();
        QTRY_VERIFY(QFile::exists(at(QStringLiteral("Plan- A B.quenlith"))));
        QVERIFY(!QFile::exists(plan));
        QVERIFY(told.isEmpty());
    }

    // After a rescan only the sidebar that searched last got fresh results; the others kept rows
    // that could point at renamed or trashed files.
    void everySidebarGetsItsOwnFreshResults() {
        writeDocument(at(QStringLiteral("Alpha.quenlith")));
        writeDocument(at(QStringLiteral("Beta.quenlith")));
        scan();
        FakeHost host;
        LibraryController first(store(), &host);
        LibraryController second(store(), &host);
        first.searchField().setText(QStringLiteral("alpha"));
        second.searchField().setText(QStringLiteral("beta"));
        QTRY_COMPARE(first.sectionPaths(QStringLiteral("library.results")),
                     QStringList{at(QStringLiteral("Alpha.quenlith"))});
        QTRY_COMPARE(second.sectionPaths(QStringLiteral("library.results")),
                     QStringList{at(QStringLiteral("Beta.quenlith"))});

        // Renamed elsewhere: both sidebars search again after the scan and follow.
        QVERIFY(QFile::rename(at(QStringLiteral("Alpha.quenlith")),
                              at(QStringLiteral("Alpha Two.quenlith"))));
        QVERIFY(QFile::rename(at(QStringLiteral("Beta.quenlith")),
                              at(QStringLiteral("Beta Two.quenlith"))));
        scan();
        QTRY_COMPARE(first.sectionPaths(QStringLiteral("library.results")),
                     QStringList{at(QStringLiteral("Alpha Two.quenlith"))});
        QTRY_COMPARE(second.sectionPaths(QStringLiteral("library.results")),
                     QStringList{at(QStringLiteral("Beta Two.quenlith"))});
    }

    // Under a library reached through a symbolic link, pinned and expanded paths were written
    // with the link resolved: a renamed folder showed collapsed, a pinned document twice.
    void pathsStayAsSeenThroughALinkedLibrary() {
        const QString real = QDir(m_dir->path()).filePath(QStringLiteral("Real"));
        const QString link = QDir(m_dir->path()).filePath(QStringLiteral("Linked"));
        QVERIFY(QDir().mkpath(real));
        QVERIFY(QFile::link(real, link));
        QSignalSpy scanned(&store(), &LibraryStore::scanned);
        store().setLocation(LibraryLocation::custom, link);
        QVERIFY(scanned.wait(5000));
        QCOMPARE(root(), link);
        const QString trip = at(QStringLiteral("Plans/Trip.quenlith"));
        writeDocument(trip);
        scan();
        store().togglePin(trip);
        store().setExpanded(at(QStringLiteral("Plans")), true);

        FakeHost host;
        LibraryController sidebar(store(), &host);
        sidebar.rename(at(QStringLiteral("Plans")), QStringLiteral("Journeys"));
        const QString moved = at(QStringLiteral("Journeys/Trip.quenlith"));
        QCOMPARE(Preferences().libraryPinned(), QStringList{moved});
        QCOMPARE(Preferences().libraryExpanded(), QStringList{at(QStringLiteral("Journeys"))});
        QTRY_COMPARE(sidebar.sectionPaths(QStringLiteral("library.pinned")), QStringList{moved});
        QTRY_VERIFY(sidebar.rowOf(at(QStringLiteral("Journeys"))) &&
                    sidebar.rowOf(at(QStringLiteral("Journeys")))->isExpanded());
        QVERIFY(store().isPinned(moved));
        const QString renamed = at(QStringLiteral("Journeys/Voyage.quenlith"));
        sidebar.rename(moved, QStringLiteral("Voyage"));
        QCOMPARE(Preferences().libraryPinned(), QStringList{renamed});

        // What earlier versions stored, with the link resolved, still reads as seen, once.
        const QString resolved = QDir(real).filePath(QStringLiteral("Journeys/Voyage.quenlith"));
        Preferences().setStringList(PreferenceKeys::libraryPinned, {resolved, renamed});
        Preferences().setStringList(PreferenceKeys::libraryExpanded,
                                    {QDir(real).filePath(QStringLiteral("Journeys"))});
        QCOMPARE(names(store().pinned()), QStringList{QStringLiteral("Voyage")});
        QVERIFY(store().isPinned(renamed));
        QCOMPARE(store().expanded(), QStringList{at(QStringLiteral("Journeys"))});
        store().togglePin(renamed);
        QVERIFY(store().pinned().empty());
        QVERIFY(Preferences().libraryPinned().isEmpty());
        store().setExpanded(at(QStringLiteral("Journeys")), false);
        QVERIFY(Preferences().libraryExpanded().isEmpty());
    }

    // With a recent document from outside the library selected, "+" made the new document
    // beside it, outside the library.
    void newDocumentsGoIntoTheLibrary() {
        const QString outside =
            QDir(m_dir->path()).filePath(QStringLiteral("Elsewhere/Out.quenlith"));
        writeDocument(outside);
        writeDocument(at(QStringLiteral("Sub/In.quenlith")));
        scan();
        Preferences().setStringList(PreferenceKeys::recentDocuments, {outside});
        FakeHost host;
        LibraryController sidebar(store(), &host);
        sidebar.reload();
        QCOMPARE(sidebar.sectionPaths(QStringLiteral("library.recents")), QStringList{outside});
        auto* add = sidebar.findChild<QToolButton*>(QStringLiteral("library.add"));
        QVERIFY(add && add->menu());
        const auto addDocument = [add] {
            emit add->menu()->aboutToShow();
            add->menu()->actions().first()->trigger();
        };

        sidebar.outline().setCurrentItem(sidebar.rowOf(outside));
        addDocument();
        QCOMPARE(QDir(QFileInfo(outside).absolutePath()).entryList(QDir::Files),
                 QStringList{QStringLiteral("Out.quenlith")});
        QVERIFY(QFile::exists(at(QStringLiteral("Untitled.quenlith"))));

        // A folder of the library: inside it, as before.
        sidebar.reload();
        sidebar.outline().setCurrentItem(sidebar.rowOf(at(QStringLiteral("Sub"))));
        addDocument();
        QVERIFY(QFile::exists(at(QStringLiteral("Sub/Untitled.quenlith"))));
        QTRY_COMPARE(host.opened.size(), 2);
    }

    // Moving the library called every skipped file a name clash, and left Open Recent and the
    // sidebar's Recent pointing at the old folder.
    void movingTheLibraryNamesEachReasonAndKeepsRecents() {
        const QString oldRoot = root();
        const QString newRoot = QDir(m_dir->path()).filePath(QStringLiteral("Moved"));
        const QString outside = QDir(m_dir->path()).filePath(QStringLiteral("Out.quenlith"));
        writeDocument(at(QStringLiteral("Plans.quenlith")));
        writeDocument(at(QStringLiteral("Trips/Rome.quenlith")));
        writeDocument(QDir(newRoot).filePath(QStringLiteral("Plans.quenlith")));
        writeDocument(outside);
        scan();
        Preferences().setStringList(PreferenceKeys::recentDocuments,
                                    {at(QStringLiteral("Trips/Rome.quenlith")), outside});
        test::ScriptedDialogs dialogs;
        dialogs.folders.enqueue(newRoot);
        dialogs.libraryMoveChoices.enqueue(Dialogs::LibraryMoveChoice::move);
        const auto outcome =
            LibraryRelocation::change(store(), dialogs, nullptr, LibraryLocation::custom, {});
        QCOMPARE(outcome.kind, LibraryRelocation::Outcome::Kind::moved);
        QCOMPARE(outcome.skipped, QStringList{QStringLiteral("Plans.quenlith")});
        QCOMPARE(dialogs.alerts.size(), 1);
        QCOMPARE(dialogs.alerts[0].informative,
                 QStringLiteral("“Plans.quenlith” is already in the new folder; it stays where "
                                "it was."));
        const QString rome = QDir(newRoot).filePath(QStringLiteral("Trips/Rome.quenlith"));
        QCOMPARE(Preferences().recentDocuments(), (QStringList{rome, outside}));
        QTRY_COMPARE(store().root(), newRoot);
        QCOMPARE(names(store().recentDocuments()),
                 (QStringList{QStringLiteral("Rome"), QStringLiteral("Out")}));
        QVERIFY(QFile::exists(QDir(oldRoot).filePath(QStringLiteral("Plans.quenlith"))));

        // Every reason is named as it is.
        Library::MoveSummary summary;
        summary.skipped = {"Locked.quenlith", "Big", "Gone.quenlith", "Clash"};
        summary.reasons = {Library::MoveFailure::permission, Library::MoveFailure::copyFailed,
                           Library::MoveFailure::missing, Library::MoveFailure::exists};
        QCOMPARE(LibraryRelocation::skippedLines(summary),
                 (QStringList{
                     QStringLiteral("You are not allowed to move “Locked.quenlith” there."),
                     QStringLiteral("“Big” could not be copied to the other disk; it stays where "
                                    "it was."),
                     QStringLiteral("“Gone.quenlith” could not be moved."),
                     QStringLiteral("“Clash” is already in the new folder; it stays where it "
                                    "was.")}));
    }

    // Show in File Manager opened the folder without selecting the file. Tried against a file
    // manager of the test's own on a private session bus.
    void showInFileManagerSelectsTheItemOrOpensItsFolder() {
        PrivateBus bus;
        if (bus.address.isEmpty()) {
            QSKIP("dbus-daemon (Debian package dbus-daemon, see scripts/install-deps) could not "
                  "start a private bus: the file manager's interface is not tried");
        }
        const QString connection = QStringLiteral("fake-file-manager");
        QDBusConnection service = QDBusConnection::connectToBus(bus.address, connection);
        QVERIFY(service.isConnected());
        FakeFileManager fileManager;
        QVERIFY(service.registerObject(QStringLiteral("/org/freedesktop/FileManager1"),
                                       &fileManager, QDBusConnection::ExportAllSlots));
        QVERIFY(service.registerService(QStringLiteral("org.freedesktop.FileManager1")));
        OpenedUrls browser;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &browser, "open");
        const QString doc = at(QStringLiteral("Plans/Trip & Tour.quenlith"));
        writeDocument(doc);

        std::optional<FileManager::Shown> shown;
        FileManager::showItem(doc, bus.address, [&shown](FileManager::Shown how) { shown = how; });
        QTRY_VERIFY_WITH_TIMEOUT(shown.has_value(), 10000);
        QCOMPARE(*shown, FileManager::Shown::selected);
        QCOMPARE(fileManager.shown.size(), 1);
        QCOMPARE(fileManager.shown[0],
                 QStringList{QUrl::fromLocalFile(doc).toString(QUrl::FullyEncoded)});
        QVERIFY(fileManager.shown[0][0].startsWith(QLatin1String("file:///")));
        QVERIFY(fileManager.shown[0][0].contains(QLatin1String("Trip%20&%20Tour.quenlith")));
        QVERIFY(browser.opened.isEmpty());

        // No file manager answers: the folder that holds the file opens instead.
        QVERIFY(service.unregisterService(QStringLiteral("org.freedesktop.FileManager1")));
        shown.reset();
        FileManager::showItem(doc, bus.address, [&shown](FileManager::Shown how) { shown = how; });
        QTRY_VERIFY_WITH_TIMEOUT(shown.has_value(), 10000);
        QCOMPARE(*shown, FileManager::Shown::folderOpened);
        QCOMPARE(browser.opened, QList<QUrl>{QUrl::fromLocalFile(at(QStringLiteral("Plans")))});
        QCOMPARE(fileManager.shown.size(), 1);

        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QDBusConnection::disconnectFromBus(connection);
    }

    // --- In the window --------------------------------------------------------------------

    void windowShowsHidesAndKeepsItsKeys() {
        test::WindowFixture fixture;
        fixture.newDocument();
        DocumentTab& window = fixture.window();
        QVERIFY(window.isLibraryVisible());
        window.perform(Action::toggleLibrary);
        QVERIFY(!window.isLibraryVisible());
        QCOMPARE(Preferences().libraryVisible(), false);
        window.perform(Action::toggleLibrary);
        QVERIFY(window.isLibraryVisible());
        QCOMPARE(Preferences().libraryVisible(), true);
        // Keys typed in the sidebar are its own, never the outline's commands.
        window.library().focusOutline();
        const QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        QVERIFY(!window.routeKey(&window.library().outline(), down));
        QVERIFY(window.routeKey(&fixture.list(), down));
        // F6 goes to the sidebar and back, showing it when hidden; Escape goes back too.
        window.setLibraryVisible(false);
        QWidget* content = &window.canvas(); // a new document opens in the tree view
        content->setFocus();
        QTest::keyClick(content, Qt::Key_F6);
        QVERIFY(window.isLibraryVisible());
        QCOMPARE(QApplication::focusWidget(), &window.library().outline());
        QTest::keyClick(&window.library().outline(), Qt::Key_F6);
        QCOMPARE(QApplication::focusWidget(), content);
        window.library().focusOutline();
        QTest::keyClick(&window.library().outline(), Qt::Key_Escape);
        QCOMPARE(QApplication::focusWidget(), content);
        // Making the samples shows the sidebar with the new folder selected, every time.
        window.setLibraryVisible(false);
        const QString root = LibraryStore::shared().root();
        QVERIFY(fixture.delegate().createSamples(nullptr));
        QVERIFY(window.isLibraryVisible());
        QTRY_COMPARE(LibraryOutline::pathOf(window.library().outline().currentItem()),
                     QDir(root).filePath(QStringLiteral("Samples")));
        QVERIFY(fixture.delegate().createSamples(nullptr));
        QTRY_COMPARE(LibraryOutline::pathOf(window.library().outline().currentItem()),
                     QDir(root).filePath(QStringLiteral("Samples 2")));
        QVERIFY(window.library().sectionPaths(QStringLiteral("library.folders")).size() == 2);
    }
};

OSTREVO_APP_TEST_MAIN(LibraryTest)
#include "library_test.moc"
