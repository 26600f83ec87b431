// Preferences, interface languages, the library folder rule, the single-instance messages and
// the list of documents to restore.
#include "app/platform/app_language.hpp"
#include "app/platform/library_folder.hpp"
#include "app/platform/localization.hpp"
#include "app/platform/notifications.hpp"
#include "app/platform/preferences.hpp"
#include "app/shell/application.hpp"
#include "app/shell/restore_list.hpp"
#include "app/shell/single_instance.hpp"
#include "tests/app/support/isolated_home.hpp"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <sys/stat.h>
#include <unistd.h>
#include <thread>

using namespace velmora;

class PreferencesTest : public QObject {
    Q_OBJECT
public:
    explicit PreferencesTest(QString home) : m_home(std::move(home)) {}

private slots:
    void init() { QSettings().clear(); }

    void registeredDefaultsWhenMissing() {
        const Preferences preferences;
        QVERIFY(preferences.tabIndents());
        QVERIFY(preferences.documentsInTabs());
        QVERIFY(preferences.returnEdits());
        QVERIFY(preferences.checkSpelling());
        QVERIFY(preferences.quitAlwaysKeepsWindows());
        QVERIFY(preferences.libraryVisible());
        QCOMPARE(preferences.returnWhileTyping(), QStringLiteral("finish"));
        QCOMPARE(preferences.newDocumentView(), QStringLiteral("tree"));
        // Unregistered keys read as false, zero, empty or no value.
        QVERIFY(!preferences.libraryFirstLaunchDone());
        QVERIFY(!preferences.autosaveClearsEdited());
        QCOMPARE(preferences.outlineZoom(), 0.0);
        QVERIFY(preferences.libraryPinned().isEmpty());
        QVERIFY(preferences.libraryLocation().isEmpty());
    }

    void unrecognisedValuesMeanTheDefault() {
        Preferences preferences;
        preferences.setString(PreferenceKeys::documentsInTabs, QStringLiteral("sometimes"));
        preferences.setString(PreferenceKeys::newDocumentView, QStringLiteral("Map"));
        preferences.setString(PreferenceKeys::returnWhileTyping, QStringLiteral("addNext"));
        preferences.setString(PreferenceKeys::paperStyle, QStringLiteral("Dots"));
        preferences.setString(PreferenceKeys::checkStyle, QStringLiteral("tick"));
        preferences.setString(PreferenceKeys::outlineZoom, QStringLiteral("big"));
        QVERIFY(preferences.documentsInTabs());
        QCOMPARE(preferences.newDocumentView(), QStringLiteral("tree"));
        QCOMPARE(preferences.returnWhileTyping(), QStringLiteral("finish"));
        QCOMPARE(preferences.paperStyle(), PaperStyle::plain);
        QCOMPARE(preferences.checkStyle(), CheckStyle::box);
        QCOMPARE(preferences.outlineZoom(), 0.0);
    }

    void valuesSurviveTheStoreOnDisk() {
        {
            Preferences preferences;
            preferences.setBool(PreferenceKeys::documentsInTabs, false);
            preferences.setString(PreferenceKeys::newDocumentView, QStringLiteral("map"));
            preferences.setDouble(PreferenceKeys::sidebarWidth, 245.5);
            preferences.setStringList(PreferenceKeys::libraryPinned, {QStringLiteral("/a")});
            preferences.setHideCompleted(QStringLiteral("doc-1"), true);
            preferences.sync();
        }
        // A separate store over the same file reads what was written, as at the next start.
        QSettings reread(QSettings().fileName(), QSettings::IniFormat);
        const Preferences preferences(reread);
        QVERIFY(!preferences.documentsInTabs());
        QCOMPARE(preferences.newDocumentView(), QStringLiteral("map"));
        QCOMPARE(preferences.sidebarWidth(), 245.5);
        QCOMPARE(preferences.libraryPinned(), QStringList{QStringLiteral("/a")});
        QVERIFY(preferences.hideCompleted(QStringLiteral("doc-1")));
        QVERIFY(!preferences.hideCompleted(QStringLiteral("doc-2")));
    }

    void paperMarginIsClamped() {
        Preferences preferences;
        QCOMPARE(preferences.paperMargin(), 220.0);
        preferences.setDouble(PreferenceKeys::paperMargin, 50);
        QCOMPARE(preferences.paperMargin(), 120.0);
        preferences.setDouble(PreferenceKeys::paperMargin, 1000);
        QCOMPARE(preferences.paperMargin(), 480.0);
        preferences.setString(PreferenceKeys::paperMargin, QStringLiteral("wide"));
        QCOMPARE(preferences.paperMargin(), 220.0);
    }

    void strikeCheckedFollowsTheCheckStyleUntilSet() {
        Preferences preferences;
        QVERIFY(!preferences.strikeChecked());
        preferences.setString(PreferenceKeys::checkStyle, QStringLiteral("web"));
        QVERIFY(preferences.strikeChecked());
        preferences.setBool(PreferenceKeys::strikeChecked, false);
        QVERIFY(!preferences.strikeChecked());
    }

    void languageCodeRules_data() {
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<QStringList>("system");
        QTest::addColumn<QString>("expected");
        QTest::newRow("swedish, portuguese (portugal), english")
            << QStringList{}
            << QStringList{QStringLiteral("sv-SE"), QStringLiteral("pt-PT"),
                           QStringLiteral("en-US")}
            << QStringLiteral("pt-BR");
        QTest::newRow("only unsupported")
            << QStringList{} << QStringList{QStringLiteral("sv"), QStringLiteral("fi-FI")}
            << QStringLiteral("en");
        QTest::newRow("no system languages")
            << QStringList{} << QStringList{} << QStringLiteral("en");
        QTest::newRow("french with region")
            << QStringList{} << QStringList{QStringLiteral("fr-CA")} << QStringLiteral("fr");
        QTest::newRow("locale name with underscore")
            << QStringList{} << QStringList{QStringLiteral("de_AT")} << QStringLiteral("de");
        QTest::newRow("stored choice wins")
            << QStringList{QStringLiteral("ja")} << QStringList{QStringLiteral("de-DE")}
            << QStringLiteral("ja");
        QTest::newRow("stored pt-BR")
            << QStringList{QStringLiteral("pt-BR")} << QStringList{QStringLiteral("en")}
            << QStringLiteral("pt-BR");
    }

    void languageCodeRules() {
        QFETCH(QStringList, stored);
        QFETCH(QStringList, system);
        QFETCH(QString, expected);
        Preferences preferences;
        if (!stored.isEmpty()) {
            preferences.setStringList(PreferenceKeys::appleLanguages, stored);
        }
        QCOMPARE(currentLanguageCode(preferences, system), expected);
    }

    void languageOverrideIsCleanedAtStart() {
        Preferences preferences;
        preferences.setStringList(PreferenceKeys::appleLanguages, {QStringLiteral("sv")});
        QVERIFY(AppLanguages::cleanOverride(preferences));
        QVERIFY(!preferences.contains(PreferenceKeys::appleLanguages));

        preferences.setStringList(PreferenceKeys::appleLanguages,
                                  {QStringLiteral("pt-BR"), QStringLiteral("sv")});
        QVERIFY(!AppLanguages::cleanOverride(preferences));
        QCOMPARE(preferences.appleLanguages().first(), QStringLiteral("pt-BR"));

        // "system" is not a language: it never stays stored.
        preferences.setStringList(PreferenceKeys::appleLanguages, {QStringLiteral("system")});
        QVERIFY(AppLanguages::cleanOverride(preferences));
    }

    void applyingAChoiceStoresOrRemovesIt() {
        Preferences preferences;
        AppLanguages::apply(preferences, AppLanguage::ptBR);
        QCOMPARE(preferences.appleLanguages(), QStringList{QStringLiteral("pt-BR")});
        QCOMPARE(AppLanguages::current(preferences), AppLanguage::ptBR);
        AppLanguages::apply(preferences, AppLanguage::system);
        QVERIFY(!preferences.contains(PreferenceKeys::appleLanguages));
        QCOMPARE(AppLanguages::current(preferences), AppLanguage::system);
    }

    void libraryFolderRule() {
        QTemporaryDir home;
        const QString documents = QDir(home.path()).filePath(QStringLiteral("Documents"));
        Preferences preferences;
        QCOMPARE(LibraryFolder::root(preferences, home.path(), documents),
                 QDir(documents).filePath(QStringLiteral("Ostrevo")));

        // There is no cloud drive on Linux: even a folder where it would be is not used, and a
        // stored "iCloud" reads as local.
        QDir(home.path()).mkpath(LibraryFolder::cloudDrivePath);
        QCOMPARE(LibraryFolder::location(preferences, home.path()), LibraryFolder::Location::local);
        preferences.setString(PreferenceKeys::libraryLocation, QStringLiteral("iCloud"));
        QCOMPARE(LibraryFolder::root(preferences, home.path(), documents),
                 QDir(documents).filePath(QStringLiteral("Ostrevo")));
        preferences.setString(PreferenceKeys::libraryLocation, QStringLiteral("local"));
        QCOMPARE(LibraryFolder::location(preferences, home.path()), LibraryFolder::Location::local);

        // "custom" without a stored path behaves as local.
        preferences.setString(PreferenceKeys::libraryLocation, QStringLiteral("custom"));
        QCOMPARE(LibraryFolder::location(preferences, home.path()), LibraryFolder::Location::local);
        preferences.setString(PreferenceKeys::libraryCustomPath, QStringLiteral("/srv/outlines"));
        QCOMPARE(LibraryFolder::root(preferences, home.path(), documents),
                 QStringLiteral("/srv/outlines"));
    }

    void singleInstanceMessages() {
        const QStringList paths{QStringLiteral("/tmp/a b.quenlith"), QStringLiteral("/tmp/ü.opml")};
        QCOMPARE(SingleInstance::decode(SingleInstance::encode(paths)), paths);
        QCOMPARE(SingleInstance::decode(SingleInstance::encode({})), QStringList{});
        QVERIFY(!SingleInstance::decode("not json\n"));
        QVERIFY(!SingleInstance::decode(R"({"open": [1, 2]})"));
        QVERIFY(!SingleInstance::decode(R"({"open": "x"})"));
    }

    void secondStartHandsItsFilesOver() {
        const QString name = QDir(m_home).filePath(QStringLiteral("runtime/test.socket"));
        SingleInstance first(name);
        QVERIFY(first.listen());
        QSignalSpy activated(&first, &SingleInstance::activated);
        QStringList received;
        // The second start blocks while it waits for the answer, so it runs on its own thread.
        std::atomic<bool> handed = false;
        std::thread second([&] {
            SingleInstance other(name);
            handed = other.handOver({QStringLiteral("/tmp/x.quenlith")});
        });
        QTRY_COMPARE(activated.count(), 1);
        second.join();
        QVERIFY(handed);
        QCOMPARE(activated.first().first().toStringList(),
                 QStringList{QStringLiteral("/tmp/x.quenlith")});
        // Nobody listening: the start goes on as the first one.
        QVERIFY(!SingleInstance(name + QStringLiteral(".none")).handOver({}, 200));
    }

    // Starts of one user and home share the lock in the data folder: a start whose display
    // string or runtime folder names another socket (":89.0" beside ":89", no
    // XDG_RUNTIME_DIR) still finds the running instance there and hands its files over.
    // Before, it ran beside it, and both wrote the same untitled autosaves.
    void startsOfOneHomeMeetWhateverSocketTheyName() {
        const QString lock =
            SingleInstance::lockPathIn(QDir(m_home).filePath(QStringLiteral("data")));
        SingleInstance first(QDir(m_home).filePath(QStringLiteral("runtime/display-a.socket")));
        first.setLockPath(lock);
        QCOMPARE(first.claim({}), SingleInstance::Claim::primary);
        QSignalSpy activated(&first, &SingleInstance::activated);
        std::atomic<int> claimed = -1;
        std::thread second([&] {
            SingleInstance other(QDir(m_home).filePath(QStringLiteral("tmp/display-b.socket")));
            other.setLockPath(lock);
            claimed = static_cast<int>(other.claim({QStringLiteral("/tmp/y.quenlith")}, 3000));
        });
        QTRY_COMPARE(activated.count(), 1);
        second.join();
        QCOMPARE(claimed.load(), static_cast<int>(SingleInstance::Claim::handedOver));
        QCOMPARE(activated.first().first().toStringList(),
                 QStringList{QStringLiteral("/tmp/y.quenlith")});
    }

    // Sockets are named by user, display and configuration folder; which start runs is
    // settled by the lock of the home above.
    void instancesAreKeyedByUserDisplayAndConfiguration() {
        const SingleInstance::Identity me{QStringLiteral("1000"), QStringLiteral("x11::0"),
                                          QStringLiteral("/home/a/.config")};
        const QString folder = QStringLiteral("/run/user/1000/ostrevo-1000");
        auto name = [&folder](const SingleInstance::Identity& identity) {
            return SingleInstance::serverName(folder, identity);
        };
        QCOMPARE(name(me), name(me));
        QVERIFY(name(me).startsWith(folder + QLatin1Char('/')));
        auto other = me;
        other.user = QStringLiteral("0");
        QVERIFY(name(other) != name(me));
        other = me;
        other.display = QStringLiteral("x11::91");
        QVERIFY(name(other) != name(me));
        other = me;
        other.configFolder = QStringLiteral("/tmp/home/.config");
        QVERIFY(name(other) != name(me));

        const QByteArray display = qgetenv("DISPLAY");
        const QByteArray wayland = qgetenv("WAYLAND_DISPLAY");
        const QByteArray config = qgetenv("XDG_CONFIG_HOME");
        qputenv("DISPLAY", ":91");
        qunsetenv("WAYLAND_DISPLAY");
        const auto onX = SingleInstance::currentIdentity();
        QCOMPARE(onX.display, QStringLiteral("x11::91"));
        QCOMPARE(onX.user, QString::number(::getuid()));
        qputenv("WAYLAND_DISPLAY", "wayland-1");
        QCOMPARE(SingleInstance::currentIdentity().display, QStringLiteral("wayland:wayland-1"));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home + QStringLiteral("/elsewhere")));
        QCOMPARE(SingleInstance::currentIdentity().configFolder,
                 m_home + QStringLiteral("/elsewhere"));
        qputenv("DISPLAY", display);
        qputenv("WAYLAND_DISPLAY", wayland);
        qputenv("XDG_CONFIG_HOME", config);
    }

    void theSocketLivesInAPrivateFolder() {
        auto mode = [](const QString& path) {
            struct stat info {};
            return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 0777
                                                                             : 0u;
        };
        QTemporaryDir base;
        const QString folder = SingleInstance::privateFolder(base.path());
        QCOMPARE(folder, base.path() + QStringLiteral("/ostrevo-") + QString::number(::getuid()));
        QCOMPARE(mode(folder), 0700u);
        // Left open to others, it is closed again.
        QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0777) == 0);
        QCOMPARE(SingleInstance::privateFolder(base.path()), folder);
        QCOMPARE(mode(folder), 0700u);
        // A link planted in its place is not followed.
        QTemporaryDir planted;
        QTemporaryDir target;
        QVERIFY(QFile::link(target.path(), planted.path() + QStringLiteral("/ostrevo-") +
                                               QString::number(::getuid())));
        QVERIFY(SingleInstance::privateFolder(planted.path()).isEmpty());

        // Without a runtime folder the socket goes below the temporary folder, not beside it.
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        qunsetenv("XDG_RUNTIME_DIR");
        const QString name = SingleInstance::defaultServerName();
        qputenv("XDG_RUNTIME_DIR", runtime);
        QCOMPARE(QFileInfo(name).absolutePath(),
                 QDir::tempPath() + QStringLiteral("/ostrevo-") + QString::number(::getuid()));
        QCOMPARE(mode(QFileInfo(name).absolutePath()), 0700u);
    }

    void aLiveInstanceKeepsItsNameAndAStaleOneIsReplaced() {
        const QString name = QDir(m_home).filePath(QStringLiteral("runtime/live.socket"));
        SingleInstance first(name);
        QVERIFY(first.listen());
        SingleInstance second(name);
        QVERIFY(!second.listen());
        QVERIFY(SingleInstance::isAnswered(name));

        // A socket file nobody answers on is what a crashed run leaves behind.
        const QString stale = QDir(m_home).filePath(QStringLiteral("runtime/stale.socket"));
        QFile left(stale);
        QVERIFY(left.open(QIODevice::WriteOnly));
        left.close();
        QVERIFY(!SingleInstance::isAnswered(stale));
        SingleInstance next(stale);
        QVERIFY(next.listen());
        QVERIFY(SingleInstance::isAnswered(stale));
    }

    void restoreListRoundTrip() {
        QTemporaryDir folder;
        const QString file = QDir(folder.path()).filePath(QStringLiteral("list.json"));
        const QList<RestoreEntry> entries{{QStringLiteral("/a/Plan.quenlith"), {}},
                                          {{}, QStringLiteral("/data/Autosave/x.quenlith")}};
        QVERIFY(RestoreList::write(file, entries));
        QCOMPARE(RestoreList::read(file), entries);
        QFile broken(file);
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("[1, 2");
        broken.close();
        QVERIFY(RestoreList::read(file).isEmpty());
        QVERIFY(RestoreList::read(file + QStringLiteral(".missing")).isEmpty());
    }

    void formatsFillPlaceholdersInOrder() {
        QCOMPARE(Localization::format(QStringLiteral("Item %@ of %lld"),
                                      {QStringLiteral("Trip/0"), qint64(3)}),
                 QStringLiteral("Item Trip/0 of 3"));
        QCOMPARE(Localization::format(QStringLiteral("%2$@ – %1$@ (100%%)"),
                                      {QStringLiteral("a"), QStringLiteral("b")}),
                 QStringLiteral("b – a (100%)"));
        // A missing argument keeps its placeholder, as the core's formatter does (one reading of
        // placeholders for both); a lone percent sign stays.
        QCOMPARE(Localization::format(QStringLiteral("%@ and %@ %"), {QStringLiteral("x")}),
                 QStringLiteral("x and %@ %"));
        // Only "%@", "%lld", "%ld" and "%d" are placeholders, positions have at most three
        // digits, and numbers for "%@" are written plainly, for "%lld" the interface's way.
        QCOMPARE(Localization::format(QStringLiteral("%s %i %1234$@ %@/%lld"),
                                      {qint64(12345), qint64(12345)}),
                 QStringLiteral("%s %i %1234$@ 12345/12,345"));
    }

    void notificationHubCarriesTheFourNames() {
        QSignalSpy posted(&Notifications::shared(), &Notifications::posted);
        QSignalSpy language(&Notifications::shared(), &Notifications::languageChanged);
        QSignalSpy zoom(&Notifications::shared(), &Notifications::zoomChanged);
        Notifications::shared().post(Notifications::language);
        Notifications::shared().post(QStringLiteral("velmoraZoom"));
        QCOMPARE(posted.count(), 2);
        QCOMPARE(language.count(), 1);
        QCOMPARE(zoom.count(), 1);
    }

private:
    QString m_home;
};

OSTREVO_APP_TEST_MAIN(PreferencesTest)

#include "preferences_test.moc"
