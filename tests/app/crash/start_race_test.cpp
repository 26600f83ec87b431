// Starts that happen at the same moment: exactly one becomes the running instance and every
// other hands its files to it. Each start is a forked process released at once by a pipe.
#include "app/shell/single_instance.hpp"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace velmora;

namespace {

constexpr int kPrimary = 10;
constexpr int kHandedOver = 20;
constexpr int kUnanswered = 30;

// One start: waits for the pipe to close, claims, and as the running instance answers the
// `others` starts.
[[noreturn]] void start(const QString& name, int release, int others) {
    char byte = 0;
    (void)::read(release, &byte, 1);
    SingleInstance instance(name);
    switch (instance.claim({QStringLiteral("/tmp/%1.quenlith").arg(::getpid())}, 8000)) {
    case SingleInstance::Claim::primary: {
        int answered = 0;
        QObject::connect(&instance, &SingleInstance::activated, [&answered, others] {
            if (++answered == others) {
                _exit(kPrimary);
            }
        });
        QTimer::singleShot(8000, [] { _exit(kPrimary); });
        QCoreApplication::exec();
        _exit(kPrimary);
    }
    case SingleInstance::Claim::handedOver:
        _exit(kHandedOver);
    case SingleInstance::Claim::unanswered:
        _exit(kUnanswered);
    }
    _exit(1);
}

} // namespace

class StartRaceTest : public QObject {
    Q_OBJECT
private slots:
    void startsAtTheSameMomentGiveOneRunningInstance() {
        for (int round = 0; round < 10; ++round) {
            QTemporaryDir folder;
            const QString name = QDir(folder.path()).filePath(QStringLiteral("ostrevo.socket"));
            if (round % 2 == 1) {
                // A socket file left by a crashed run changes nothing.
                QFile stale(name);
                QVERIFY(stale.open(QIODevice::WriteOnly));
            }
            int release[2];
            QCOMPARE(::pipe(release), 0);
            std::vector<pid_t> starts;
            for (int index = 0; index < 4; ++index) {
                const pid_t child = ::fork();
                QVERIFY(child >= 0);
                if (child == 0) {
                    ::close(release[1]);
                    start(name, release[0], 3);
                }
                starts.push_back(child);
            }
            ::close(release[0]);
            ::close(release[1]);
            std::map<int, int> outcomes;
            for (const pid_t child : starts) {
                int status = 0;
                QCOMPARE(::waitpid(child, &status, 0), child);
                QVERIFY(WIFEXITED(status));
                ++outcomes[WEXITSTATUS(status)];
            }
            QCOMPARE(outcomes[kPrimary], 1);
            QCOMPARE(outcomes[kHandedOver], 3);
        }
    }
};

QTEST_GUILESS_MAIN(StartRaceTest)
#include "start_race_test.moc"
