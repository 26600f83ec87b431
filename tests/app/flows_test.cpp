// Exporting and importing backups, OPML, Markdown and Org, and exporting web pages: the files
// written, the proposed names, the
// summary alert, and one alert for every failure with the files left as they were.
#include "app/document/document_codec.hpp"
#include "app/document/velmora_document.hpp"
#include "app/platform/dialogs.hpp"
#include "app/platform/localization.hpp"
#include "app/platform/preferences.hpp"
#include "app/shell/app_delegate.hpp"
#include "app/shell/application.hpp"
#include "app/shell/import_export_flows.hpp"
#include "app/shell/velmora_document_controller.hpp"
#include "core/formats/backup_codec.hpp"
#include "tests/app/support/isolated_home.hpp"
#include "tests/app/support/scripted_dialogs.hpp"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace velmora;

namespace {

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class FlowsTest : public QObject {
    Q_OBJECT
public:
    explicit FlowsTest(QString home) : m_home(std::move(home)) {}

private slots:
    void init() {
        QSettings().clear();
        m_folder = std::make_unique<QTemporaryDir>();
        m_dialogs = std::make_unique<test::ScriptedDialogs>();
        m_delegate = std::make_unique<AppDelegate>(*m_dialogs, path(QStringLiteral("data")));
    }

    void cleanup() {
        m_delegate.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void exportBackupWritesEveryOpenDocument() {
        VelmoraDocument* first = controller().newDocument();
        first->perform(Action::commit, std::string("One"));
        VelmoraDocument* second = controller().newDocument();
        second->perform(Action::viewList);
        const QString file = path(QStringLiteral("backup.json"));
        m_dialogs->savePaths.enqueue(file);
        QVERIFY(flows().exportBackup(nullptr));
        QCOMPARE(m_dialogs->saveRequests.first().proposedName,
                 QStringLiteral("velmora-backup-%1.json")
                     .arg(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"))));

        const QByteArray text = readFile(file);
        auto decoded = BackupCodec::decode(std::string_view(text.constData(), text.size()));
        QVERIFY(decoded.ok());
        QCOMPARE(decoded.value().documents.size(), 2u);
        QCOMPARE(decoded.value().documents.front().items.front().text, std::string("One"));
        // The current document shows the list, so the backup's view is list.
        QCOMPARE(decoded.value().settings.view, BackupSettings::View::list);
        QVERIFY(m_dialogs->alerts.isEmpty());
    }

    void exportWithoutDocumentsWritesAnEmptyBackupThatImportRefuses() {
        const QString file = path(QStringLiteral("empty.json"));
        m_dialogs->savePaths.enqueue(file);
        QVERIFY(flows().exportBackup(nullptr));
        QVERIFY(readFile(file).contains("\"documents\": []"));

        m_dialogs->openPaths.enqueue({file});
        QVERIFY(!flows().importBackup(nullptr));
        QCOMPARE(m_dialogs->alerts.size(), 1);
        QCOMPARE(m_dialogs->alerts.first().message,
                 localized(QStringLiteral("backup.error.noDocuments")));
    }

    // A name typed without the extension still gets it, so Import's filter finds the file; a
    // name that has it in another case keeps its own.
    void exportsEnforceTheirExtension() {
        VelmoraDocument* document = controller().newDocument();
        m_dialogs->savePaths.enqueue(path(QStringLiteral("all")));
        QVERIFY(flows().exportBackup(nullptr));
        QVERIFY(QFile::exists(path(QStringLiteral("all.json"))));
        m_dialogs->savePaths.enqueue(path(QStringLiteral("plan.txt")));
        QVERIFY(flows().exportOPML(*document, nullptr));
        QVERIFY(QFile::exists(path(QStringLiteral("plan.txt.opml"))));
        QVERIFY(!QFile::exists(path(QStringLiteral("plan.txt"))));
        m_dialogs->savePaths.enqueue(path(QStringLiteral("LIST.MD")));
        QVERIFY(flows().exportMarkdown(*document, nullptr));
        QVERIFY(QFile::exists(path(QStringLiteral("LIST.MD"))));
        QVERIFY(!QFile::exists(path(QStringLiteral("LIST.MD.md"))));
        QCOMPARE(ImportExportFlows::withExtension({}, QStringLiteral(".json")), QString());

        m_dialogs->openPaths.enqueue({path(QStringLiteral("plan.txt.opml"))});
        QVERIFY(flows().importOPML(nullptr));
    }

    void importBackupWritesDocumentFilesAndSummarises() {
        const QString backup = path(QStringLiteral("in.json"));
        const TreeDocument plan{"d1", "Plan", ItemList{Item::blank("i1", "Step")}};
        const TreeDocument trip{"d2", "Trip", ItemList{}};
        const TreeDocument other{"d3", "Plan", ItemList{}};
        writeFile(backup, QByteArray::fromStdString(BackupCodec::encode({plan, trip, other}, {})));
        const QString target = path(QStringLiteral("target"));
        QDir().mkpath(target);
        writeFile(target + QStringLiteral("/trip.quenlith"), "kept");

        m_dialogs->openPaths.enqueue({backup});
        m_dialogs->folders.enqueue(target);
        QVERIFY(flows().importBackup(nullptr));
        QCOMPARE(m_dialogs->alerts.size(), 1);
        QCOMPARE(m_dialogs->alerts.first().message, localized(QStringLiteral("import.title")));
        QVERIFY(m_dialogs->alerts.first().information);
        QCOMPARE(m_dialogs->alerts.first().informative,
                 localizedFormat(QStringLiteral("import.summary %lld"), {qint64(3)}));
        QStringList names = QDir(target).entryList(QDir::Files, QDir::Name);
        const QStringList expected{
            QStringLiteral("Plan 2.quenlith"), QStringLiteral("Plan.quenlith"),
            QStringLiteral("Trip 2.quenlith"), QStringLiteral("trip.quenlith")};
        QCOMPARE(names, expected);
        QCOMPARE(readFile(target + QStringLiteral("/trip.quenlith")), QByteArray("kept"));
    }

    void importOfABrokenBackupShowsItsFaultAndWritesNothing() {
        const QString backup = path(QStringLiteral("broken.json"));
        writeFile(backup,
                  "{\"format\": \"velmora\", \"version\": 1, \"documents\": [{\"title\": \"x\"}]}");
        const QString target = path(QStringLiteral("untouched"));
        QDir().mkpath(target);
        m_dialogs->openPaths.enqueue({backup});
        m_dialogs->folders.enqueue(target);
        QVERIFY(!flows().importBackup(nullptr));
        QCOMPARE(m_dialogs->alerts.size(), 1);
        QCOMPARE(m_dialogs->alerts.first().message,
                 localizedFormat(QStringLiteral("backup.error.documentNoID %lld"), {qint64(1)}));
        QVERIFY(!m_dialogs->alerts.first().information);
        // The folder was never asked for.
        QCOMPARE(m_dialogs->folders.size(), 1);
        QVERIFY(QDir(target).isEmpty());
    }

    // Successes carry the information sign, failures the warning sign.
    void successMessagesUseTheInformationIcon() {
        QList<QMessageBox::Icon> shown;
        auto answer = [&shown] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            shown.append(box->icon());
            box->accept();
        };
        QtDialogs dialogs;
        QTimer::singleShot(0, answer);
        dialogs.inform(nullptr, QStringLiteral("Imported"), QStringLiteral("3 documents"));
        QTimer::singleShot(0, answer);
        dialogs.alert(nullptr, QStringLiteral("Failed"), {});
        QCOMPARE(shown, (QList<QMessageBox::Icon>{QMessageBox::Information, QMessageBox::Warning}));
    }

    void opmlExportAndImportMakeAnUntitledDocument() {
        VelmoraDocument* document = controller().newDocument();
        document->perform(Action::commit, std::string("Line one\nline two"));
        const QString file = path(QStringLiteral("out.opml"));
        m_dialogs->savePaths.enqueue(file);
        QVERIFY(flows().exportOPML(*document, nullptr));
        QCOMPARE(m_dialogs->saveRequests.first().proposedName,
                 localized(QStringLiteral("document.untitled")) + QStringLiteral(".opml"));
        QVERIFY(readFile(file).contains("Line one&#10;line two"));

        m_dialogs->openPaths.enqueue({file});
        VelmoraDocument* imported = flows().importOPML(nullptr);
        QVERIFY(imported);
        QVERIFY(imported->filePath().isEmpty());
        QVERIFY(imported->isEdited());
        QCOMPARE(imported->session().snapshot.view, ViewMode::tree);
        QCOMPARE(imported->session().snapshot.document.items.front().text,
                 std::string("Line one\nline two"));
        QCOMPARE(controller().documents().size(), 2);
    }

    void malformedOpmlNamesTheLine() {
        const QString file = path(QStringLiteral("bad.opml"));
        writeFile(file, "<?xml version=\"1.0\"?>\n<opml>\n<body>\n<outline text=\"a\">\n</body>\n");
        m_dialogs->openPaths.enqueue({file});
        QVERIFY(!flows().importOPML(nullptr));
        QCOMPARE(m_dialogs->alerts.size(), 1);
        QCOMPARE(m_dialogs->alerts.first().message,
                 localizedFormat(QStringLiteral("opml.error.malformed %lld"), {qint64(5)}));
        QVERIFY(controller().documents().isEmpty());
    }

    void markdownExportAndImportKeepTheTreeAndAreNamedAfterTheFile() {
        VelmoraDocument* document = controller().newDocument();
        document->perform(Action::commit, std::string("Pack"));
        document->perform(Action::toggleCheck);
        const QString file = path(QStringLiteral("Trip.md"));
        m_dialogs->savePaths.enqueue(file);
        QVERIFY(flows().exportMarkdown(*document, nullptr));
        QCOMPARE(m_dialogs->saveRequests.first().proposedName,
                 localized(QStringLiteral("document.untitled")) + QStringLiteral(".md"));
        QCOMPARE(readFile(file), QByteArray("- [x] Pack\n"));

        m_dialogs->openPaths.enqueue({file});
        VelmoraDocument* imported = flows().importMarkdown(nullptr);
        QVERIFY(imported);
        QVERIFY(imported->filePath().isEmpty());
        QCOMPARE(imported->session().snapshot.document.title, std::string("Trip"));
        const Item& item = imported->session().snapshot.document.items.front();
        QCOMPARE(item.text, std::string("Pack"));
        QVERIFY(item.checked);

        // Opening a .md file reads it the same way.
        auto opened = std::make_unique<VelmoraDocument>(Preferences());
        QVERIFY(!opened->readFile(file, Preferences()));
        QCOMPARE(opened->session().snapshot.document.items.front().text, std::string("Pack"));
    }

    void orgExportAndImportKeepTheTreeAndIds() {
        VelmoraDocument* document = controller().newDocument();
        document->perform(Action::commit, std::string("Pack"));
        document->perform(Action::toggleCheck);
        const std::string id = document->session().snapshot.document.items.front().id;
        const QString file = path(QStringLiteral("Trip.org"));
        m_dialogs->savePaths.enqueue(file);
        QVERIFY(flows().exportOrg(*document, nullptr));
        QCOMPARE(m_dialogs->saveRequests.first().proposedName,
                 localized(QStringLiteral("document.untitled")) + QStringLiteral(".org"));
        QVERIFY(readFile(file).contains("\n* DONE Pack\n:PROPERTIES:\n:ID: " +
                                        QByteArray::fromStdString(id) + "\n:END:\n"));

        m_dialogs->openPaths.enqueue({file});
        VelmoraDocument* imported = flows().importOrg(nullptr);
        QVERIFY(imported);
        QVERIFY(imported->filePath().isEmpty());
        const Item& item = imported->session().snapshot.document.items.front();
        QCOMPARE(item.text, std::string("Pack"));
        QCOMPARE(item.id, id);
        QVERIFY(item.checked);

        // Opening a .org file reads it the same way, titled by the file without "#+TITLE".
        writeFile(path(QStringLiteral("todo.org")), "* TODO Call\n** DONE Write\n");
        auto opened = std::make_unique<VelmoraDocument>(Preferences());
        QVERIFY(!opened->readFile(path(QStringLiteral("todo.org")), Preferences()));
        QCOMPARE(opened->session().snapshot.document.title, std::string("todo"));
        QCOMPARE(opened->session().snapshot.document.items.front().text, std::string("Call"));
        QVERIFY(opened->session().snapshot.document.items.front().children.front().checked);

        writeFile(path(QStringLiteral("bad.org")), QByteArray("* a\n* \xFF\n"));
        m_dialogs->openPaths.enqueue({path(QStringLiteral("bad.org"))});
        QVERIFY(!flows().importOrg(nullptr));
        QCOMPARE(m_dialogs->alerts.size(), 1);
        QCOMPARE(m_dialogs->alerts.first().message,
                 localizedFormat(QStringLiteral("org.error.encoding %lld"), {qint64(2)}));
    }

    void webPageExportWritesOneEscapedPage() {
        VelmoraDocument* document = controller().newDocument();
        document->perform(Action::commit, std::string("<b>not bold</b>"));
        const QString file = path(QStringLiteral("Page.html"));
        m_dialogs->savePaths.enqueue(file);
        QVERIFY(flows().exportWebPage(*document, nullptr));
        QCOMPARE(m_dialogs->saveRequests.first().proposedName,
                 localized(QStringLiteral("document.untitled")) + QStringLiteral(".html"));
        const QByteArray page = readFile(file);
        QVERIFY(page.startsWith("<!DOCTYPE html>"));
        QVERIFY(page.contains("<span class=\"title\">&lt;b&gt;not bold&lt;/b&gt;</span>"));
    }

    void markdownThatIsNoTextNamesTheLine() {
        const QString file = path(QStringLiteral("bad.md"));
        writeFile(file, QByteArray("- a\n- b\n- \xFF\n"));
        m_dialogs->openPaths.enqueue({file});
        QVERIFY(!flows().importMarkdown(nullptr));
        QCOMPARE(m_dialogs->alerts.size(), 1);
        QCOMPARE(m_dialogs->alerts.first().message,
                 localizedFormat(QStringLiteral("markdown.error.encoding %lld"), {qint64(3)}));
        QVERIFY(controller().documents().isEmpty());
    }

    void aFailedExportWriteIsReported() {
        controller().newDocument();
        m_dialogs->savePaths.enqueue(path(QStringLiteral("no/such/folder/out.json")));
        QVERIFY(!flows().exportBackup(nullptr));
        QCOMPARE(m_dialogs->alerts.size(), 1);
        QVERIFY(!QFile::exists(path(QStringLiteral("no/such/folder/out.json"))));
    }

private:
    VelmoraDocumentController& controller() { return m_delegate->controller(); }
    ImportExportFlows& flows() { return m_delegate->flows(); }
    QString path(const QString& name) const { return QDir(m_folder->path()).filePath(name); }

    QString m_home;
    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<test::ScriptedDialogs> m_dialogs;
    std::unique_ptr<AppDelegate> m_delegate;
};

OSTREVO_APP_TEST_MAIN(FlowsTest)

#include "flows_test.moc"
