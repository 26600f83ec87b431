// The soak: random user actions against real windows, offscreen, with the invariants checked
// after every step.
//
//   ostrevo_soak --seeds 1,2,3 --steps 150      fixed seeds in this process (make test)
//   ostrevo_soak --replay DIR_OR_FILE...         steps files, each from a fresh start
//   ostrevo_soak --seconds 600 [--steps 300]     random seeds until the time is up, each in a
//                                                child process so that a crash is caught, and
//                                                a failing run shortened and written out
//
// A failure prints the seed, the shortened steps and the invariant that broke, and the exit
// status is 1.
#include "app/shell/application.hpp"
#include "tests/app/soak/soak_runner.hpp"
#include "tests/app/support/isolated_home.hpp"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <map>

using namespace velmora;
using namespace velmora::soak;

namespace {

struct Options {
    std::vector<unsigned> seeds;
    std::vector<QString> replay;
    int seconds = 0;
    int steps = 300;
    unsigned childSeed = 0;
    QString childSequence;
    QString log;
    QString failures = QStringLiteral("soak-failures");
};

std::optional<Options> parseOptions(const QStringList& arguments) {
    Options options;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const auto next = [&]() -> QString {
            return i + 1 < arguments.size() ? arguments[++i] : QString();
        };
        if (argument == QStringLiteral("--seeds")) {
            for (const QString& seed : next().split(QLatin1Char(','), Qt::SkipEmptyParts)) {
                options.seeds.push_back(seed.toUInt());
            }
        } else if (argument == QStringLiteral("--steps")) {
            options.steps = next().toInt();
        } else if (argument == QStringLiteral("--seconds")) {
            options.seconds = next().toInt();
        } else if (argument == QStringLiteral("--replay")) {
            while (i + 1 < arguments.size() && !arguments[i + 1].startsWith(QStringLiteral("--"))) {
                options.replay.push_back(arguments[++i]);
            }
        } else if (argument == QStringLiteral("--child-seed")) {
            options.childSeed = next().toUInt();
        } else if (argument == QStringLiteral("--child-sequence")) {
            options.childSequence = next();
        } else if (argument == QStringLiteral("--log")) {
            options.log = next();
        } else if (argument == QStringLiteral("--failures")) {
            options.failures = next();
        } else {
            std::cerr << "unknown argument " << argument.toStdString() << '\n';
            return std::nullopt;
        }
    }
    return options;
}

std::optional<Sequence> readSequence(const QString& path, std::string* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = "cannot read " + path.toStdString();
        return std::nullopt;
    }
    return parse(file.readAll().toStdString(), error);
}

void printBroken(const Broken& broken, int step) {
    std::cout << "invariant: " << broken.invariant << " (after step " << step << ")\n"
              << "seen: " << broken.detail << '\n';
}

// Shortens an in-process failure to the steps that still break the same invariant.
Sequence shrinkHere(const Sequence& failing, const std::string& invariant) {
    return shrink(failing, [&invariant](const Sequence& candidate) {
        const Outcome outcome = run(candidate);
        return outcome.broken && outcome.broken->invariant == invariant;
    });
}

int runSeeds(const Options& options) {
    long long actions = 0;
    double slowest = 0;
    std::string slowestStep;
    std::map<std::string, int> kinds;
    for (const unsigned seed : options.seeds) {
        const Sequence sequence = randomSequence(seed, options.steps);
        const Outcome outcome = run(sequence);
        actions += outcome.stepsRun;
        for (const auto& [kind, count] : outcome.kinds) {
            kinds[kind] += count;
        }
        if (outcome.slowestMs > slowest) {
            slowest = outcome.slowestMs;
            slowestStep = outcome.slowestStep;
        }
        if (outcome.broken) {
            std::cout << "FAILED: seed " << seed << ", " << options.steps << " steps\n";
            printBroken(*outcome.broken, outcome.failedStep);
            Sequence cut = sequence;
            cut.steps.resize(
                std::min(sequence.steps.size(), static_cast<std::size_t>(outcome.failedStep + 1)));
            const Sequence shortest = shrinkHere(cut, outcome.broken->invariant);
            std::cout << "shortened to " << shortest.steps.size() << " steps:\n"
                      << format(shortest);
            return 1;
        }
    }
    std::cout << actions << " actions, " << options.seeds.size() << " seeds; slowest step "
              << static_cast<int>(slowest) << " ms (" << slowestStep << ")\n";
    for (const auto& [kind, count] : kinds) {
        std::cout << "  " << kind << ' ' << count << '\n';
    }
    return 0;
}

int runReplay(const Options& options) {
    QStringList files;
    for (const QString& path : options.replay) {
        if (QFileInfo(path).isDir()) {
            for (const QString& name :
                 QDir(path).entryList({QStringLiteral("*.steps")}, QDir::Files, QDir::Name)) {
                files.append(QDir(path).filePath(name));
            }
        } else {
            files.append(path);
        }
    }
    int failed = 0;
    for (const QString& file : files) {
        std::string error;
        const auto sequence = readSequence(file, &error);
        if (!sequence) {
            std::cout << file.toStdString() << ": " << error << '\n';
            ++failed;
            continue;
        }
        const Outcome outcome = run(*sequence);
        std::cout << (outcome.broken ? "FAILED " : "ok ") << file.toStdString() << " ("
                  << outcome.stepsRun << " steps)\n";
        if (outcome.broken) {
            printBroken(*outcome.broken, outcome.failedStep);
            ++failed;
        }
    }
    return failed == 0 ? 0 : 1;
}

// A child of the timed soak: one sequence, each step written to the log before it is carried
// out, so that the parent knows the steps even when the child crashes.
int runChild(const Options& options) {
    Sequence sequence;
    if (!options.childSequence.isEmpty()) {
        std::string error;
        auto read = readSequence(options.childSequence, &error);
        if (!read) {
            std::cout << "SOAK-ERROR " << error << '\n';
            return 2;
        }
        sequence = *read;
    } else {
        sequence = randomSequence(options.childSeed, options.steps);
    }
    std::FILE* log =
        options.log.isEmpty() ? nullptr : std::fopen(options.log.toLocal8Bit().constData(), "w");
    if (log) {
        std::fprintf(log, "document %u\n", sequence.documentSeed);
        std::fflush(log);
    }
    const Outcome outcome = run(sequence, [log](int, const Step& step) {
        if (log) {
            std::fprintf(log, "%s\n", format(step).c_str());
            std::fflush(log);
        }
    });
    if (log) {
        std::fclose(log);
    }
    std::cout << "SOAK-ACTIONS " << outcome.stepsRun << '\n'
              << "SOAK-SLOWEST " << outcome.slowestMs << ' ' << outcome.slowestStep << '\n';
    for (const auto& [kind, count] : outcome.kinds) {
        std::cout << "SOAK-KIND " << kind << ' ' << count << '\n';
    }
    if (outcome.broken) {
        std::cout << "SOAK-BROKEN " << outcome.broken->invariant << '\n'
                  << "SOAK-DETAIL " << outcome.broken->detail << '\n'
                  << "SOAK-STEP " << outcome.failedStep << '\n';
        return 1;
    }
    return 0;
}

struct ChildResult {
    bool ok = false;
    bool crashed = false;
    std::string invariant;
    std::string detail;
    long long actions = 0;
    double slowestMs = 0;
    std::string slowestStep;
    std::map<std::string, int> kinds;
    QByteArray output;
};

ChildResult runChildProcess(const QStringList& arguments, int timeoutSeconds) {
    QProcess child;
    child.setProcessChannelMode(QProcess::SeparateChannels);
    child.start(QCoreApplication::applicationFilePath(), arguments);
    ChildResult result;
    if (!child.waitForFinished(timeoutSeconds * 1000)) {
        child.kill();
        child.waitForFinished();
        result.crashed = true;
        result.invariant = "steps end";
        result.detail = "the run did not end within " + std::to_string(timeoutSeconds) + " s";
        return result;
    }
    result.output = child.readAllStandardOutput();
    const QByteArray errors = child.readAllStandardError();
    for (const QByteArray& line : result.output.split('\n')) {
        const std::string text = line.toStdString();
        const auto value = [&text](const char* prefix) -> std::optional<std::string> {
            const std::string p = prefix;
            return text.rfind(p, 0) == 0 ? std::optional(text.substr(p.size())) : std::nullopt;
        };
        if (auto actions = value("SOAK-ACTIONS ")) {
            result.actions = std::stoll(*actions);
        } else if (auto slowest = value("SOAK-SLOWEST ")) {
            const auto space = slowest->find(' ');
            result.slowestMs = std::stod(slowest->substr(0, space));
            result.slowestStep = space == std::string::npos ? "" : slowest->substr(space + 1);
        } else if (auto kind = value("SOAK-KIND ")) {
            const auto space = kind->rfind(' ');
            result.kinds[kind->substr(0, space)] += std::stoi(kind->substr(space + 1));
        } else if (auto broken = value("SOAK-BROKEN ")) {
            result.invariant = *broken;
        } else if (auto detail = value("SOAK-DETAIL ")) {
            result.detail = *detail;
        }
    }
    result.ok = child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0;
    if (!result.ok && result.invariant.empty()) {
        result.crashed = true;
        result.invariant = "no crash";
        // The sanitizer's first line names the fault.
        for (const QByteArray& line : errors.split('\n')) {
            if (line.contains("ERROR: AddressSanitizer") || line.contains("runtime error") ||
                line.contains("Fatal") || line.contains("ASSERT")) {
                result.detail = line.trimmed().toStdString();
                break;
            }
        }
        if (result.detail.empty()) {
            result.detail = "exit status " + std::to_string(child.exitCode());
        }
        // Crashes are told apart by where and how, not by the addresses involved.
        static const QRegularExpression address(QStringLiteral("0x[0-9a-fA-F]+"));
        result.invariant = "no crash: " + QString::fromStdString(result.detail)
                                              .replace(address, QStringLiteral("0x…"))
                                              .left(160)
                                              .toStdString();
    }
    return result;
}

int runTimed(const Options& options) {
    QDir().mkpath(options.failures);
    const QString work = QDir(options.failures).filePath(QStringLiteral("work"));
    QDir().mkpath(work);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(options.seconds);
    long long actions = 0;
    int seeds = 0;
    double slowest = 0;
    std::string slowestStep;
    std::map<std::string, int> kinds;
    // The invariants that broke, with the seeds that broke them; each is shortened once.
    std::map<std::string, std::vector<unsigned>> failures;
    const auto summary = [&] {
        std::cout << actions << " actions, " << seeds << " seeds; slowest step "
                  << static_cast<int>(slowest) << " ms (" << slowestStep << ")\n";
        for (const auto& [invariant, failed] : failures) {
            std::cout << "FAILED " << invariant << ": " << failed.size() << " seeds, first "
                      << failed.front() << '\n';
        }
        for (const auto& [kind, count] : kinds) {
            std::cout << "  " << kind << ' ' << count << '\n';
        }
        std::cout.flush();
    };
    while (std::chrono::steady_clock::now() < deadline) {
        const unsigned seed = QRandomGenerator::global()->bounded(1u, 2'000'000'000u);
        const QString log = QDir(work).filePath(QStringLiteral("seed-%1.log").arg(seed));
        const ChildResult result = runChildProcess(
            {QStringLiteral("--child-seed"), QString::number(seed), QStringLiteral("--steps"),
             QString::number(options.steps), QStringLiteral("--log"), log},
            600);
        ++seeds;
        actions += result.actions;
        for (const auto& [kind, count] : result.kinds) {
            kinds[kind] += count;
        }
        if (result.slowestMs > slowest) {
            slowest = result.slowestMs;
            slowestStep = result.slowestStep;
        }
        std::cout << "seed " << seed << ": " << result.actions << " actions (" << actions << " in "
                  << seeds << " seeds so far)\n";
        std::cout.flush();
        if (result.ok) {
            QFile::remove(log);
            continue;
        }
        std::cout << "FAILED: seed " << seed << "\n";
        std::cout << "invariant: " << result.invariant << "\nseen: " << result.detail << '\n';
        std::cout.flush();
        auto& seen = failures[result.invariant];
        seen.push_back(seed);
        if (seen.size() > 1) {
            continue;
        }
        std::string error;
        auto logged = readSequence(log, &error);
        if (!logged) {
            std::cout << "the steps could not be read back: " << error << '\n';
            continue;
        }
        const QString candidateFile = QDir(work).filePath(QStringLiteral("candidate.steps"));
        const std::string invariant = result.invariant;
        const auto failsAgain = [&](const Sequence& candidate) {
            QFile file(candidateFile);
            if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
                return false;
            }
            file.write(QByteArray::fromStdString(format(candidate)));
            file.close();
            const ChildResult again =
                runChildProcess({QStringLiteral("--child-sequence"), candidateFile}, 300);
            return !again.ok && again.invariant == invariant;
        };
        // A failure that hangs on timing may not come back; shortening it would only re-run
        // passing candidates.
        if (!failsAgain(*logged) && !failsAgain(*logged)) {
            const QString kept =
                QDir(options.failures).filePath(QStringLiteral("seed-%1.steps").arg(seed));
            QFile::copy(log, kept);
            std::cout << "the run did not fail again when replayed twice; its steps are in "
                      << kept.toStdString() << '\n';
            std::cout.flush();
            continue;
        }
        const Sequence shortest = shrink(*logged, failsAgain);
        const QString kept =
            QDir(options.failures).filePath(QStringLiteral("seed-%1.steps").arg(seed));
        QFile out(kept);
        if (out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            out.write(QByteArray::fromStdString("# " + invariant + ": " + result.detail + '\n' +
                                                format(shortest)));
        }
        std::cout << "shortened to " << shortest.steps.size() << " steps (kept in "
                  << kept.toStdString() << "):\n"
                  << format(shortest);
        std::cout.flush();
    }
    summary();
    return failures.empty() ? 0 : 1;
}

} // namespace

// Qt's warnings about what the offscreen platform cannot do would bury the report; they show
// with SOAK_VERBOSE set.
void quietMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg || qEnvironmentVariableIsSet("SOAK_VERBOSE")) {
        std::cerr << message.toStdString() << '\n';
    }
    if (type == QtFatalMsg) {
        std::abort();
    }
}

int main(int argc, char** argv) {
    qInstallMessageHandler(quietMessages);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    velmora::test::IsolatedHome home;
    QApplication application(argc, argv);
    velmora::Application::configure(application);
    QApplication::setQuitOnLastWindowClosed(false);
    const auto options = parseOptions(QCoreApplication::arguments());
    if (!options) {
        return 2;
    }
    if (!options->childSequence.isEmpty() || options->childSeed != 0) {
        return runChild(*options);
    }
    if (!options->replay.empty()) {
        return runReplay(*options);
    }
    if (options->seconds > 0) {
        return runTimed(*options);
    }
    if (!options->seeds.empty()) {
        return runSeeds(*options);
    }
    std::cerr << "nothing to do: give --seeds, --replay or --seconds\n";
    return 2;
}
