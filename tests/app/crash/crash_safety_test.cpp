// A saving process killed at random moments leaves the previous file or the new one, byte for
// byte: never a torn, cut-off or missing file. Forks a child that saves in a loop and sends it
// SIGKILL hundreds of times.
#include "app/document/velmora_document.hpp"
#include "app/shell/restore_list.hpp"
#include "tests/app/crash/save_versions.hpp"

#include <QFile>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace velmora;

namespace {

QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The version the restore list holds when it is exactly one of the versions.
std::optional<int> restoreListVersionOf(const QString& path) {
    const QList<RestoreEntry> entries = RestoreList::read(path);
    if (entries.isEmpty()) {
        return std::nullopt;
    }
    const int version = entries.front().path.section(QLatin1Char('/'), 2, 2).toInt();
    if (entries != test::restoreListVersion(version)) {
        return std::nullopt;
    }
    return version;
}

// Saves version after version until killed; signals the pipe once the first one is written.
[[noreturn]] void saveForever(const QString& mode, const QString& path, int ready) {
    for (int version = 1;; ++version) {
        const bool written =
            mode == QLatin1String("restore-list")
                ? RestoreList::write(path, test::restoreListVersion(version))
                : !DocumentWriter::writeAtomically(path, test::documentVersion(version));
        if (!written) {
            _exit(1);
        }
        if (version == 1 && ::write(ready, "r", 1) != 1) {
            _exit(1);
        }
    }
}

// Starts a process that saves in a loop and kills it a few milliseconds into its writes.
void killSavingChild(const QString& mode, const QString& path) {
    int ready[2];
    QCOMPARE(::pipe(ready), 0);
    const pid_t child = ::fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        ::close(ready[0]);
        saveForever(mode, path, ready[1]);
    }
    ::close(ready[1]);
    char byte = 0;
    const bool started = ::read(ready[0], &byte, 1) == 1;
    ::close(ready[0]);
    if (started) {
        QThread::usleep(QRandomGenerator::global()->bounded(30'000));
    }
    ::kill(child, SIGKILL);
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY(started);
    QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
}

} // namespace

class CrashSafetyTest : public QObject {
    Q_OBJECT
private slots:
    void aKilledDocumentSaveLeavesTheOldOrTheNewFile() {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("large.quenlith"));
        QVERIFY(!DocumentWriter::writeAtomically(path, test::documentVersion(0)));
        QSet<int> seen;
        for (int kill = 0; kill < 200; ++kill) {
            killSavingChild(QStringLiteral("document"), path);
            const auto version = test::documentVersionOf(contentOf(path));
            QVERIFY2(version, qPrintable(QStringLiteral("torn file after kill %1").arg(kill)));
            seen.insert(*version);
        }
        // The kills landed at different moments of the loop, not all before the first write.
        QVERIFY(seen.size() > 1);
    }

    void aKilledRestoreListWriteLeavesTheOldOrTheNewList() {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("open-documents.json"));
        QVERIFY(RestoreList::write(path, test::restoreListVersion(0)));
        QSet<int> seen;
        for (int kill = 0; kill < 100; ++kill) {
            killSavingChild(QStringLiteral("restore-list"), path);
            const auto version = restoreListVersionOf(path);
            QVERIFY2(version, qPrintable(QStringLiteral("torn list after kill %1").arg(kill)));
            seen.insert(*version);
        }
        QVERIFY(seen.size() > 1);
    }
};

QTEST_GUILESS_MAIN(CrashSafetyTest)
#include "crash_safety_test.moc"
