#include "app/library/file_manager.hpp"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace velmora::FileManager {
namespace {

const QString kService = QStringLiteral("org.freedesktop.FileManager1");
const QString kObject = QStringLiteral("/org/freedesktop/FileManager1");
const QString kInterface = QStringLiteral("org.freedesktop.FileManager1");
// A file manager started on demand may take a moment; a bus that knows none answers at once.
constexpr int kTimeoutMs = 10000;

// A folder opens itself; a file opens the folder that holds it.
Shown openFolder(const QString& path) {
    const QFileInfo info(path);
    const QString folder = info.isDir() ? info.absoluteFilePath() : info.absolutePath();
    return QDesktopServices::openUrl(QUrl::fromLocalFile(folder)) ? Shown::folderOpened
                                                                  : Shown::failed;
}

void ask(QDBusConnection bus, const QString& path, Done done) {
    const auto finish = [done](Shown shown) {
        if (done) {
            done(shown);
        }
    };
    if (!bus.isConnected()) {
        finish(openFolder(path));
        return;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kObject, kInterface, QStringLiteral("ShowItems"));
    const QString uri =
        QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded);
    // The second argument is the startup notification id; there is none to hand on.
    call << QStringList{uri} << QString();
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kTimeoutMs));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [path, finish](QDBusPendingCallWatcher* answered) {
                         const bool shown = !answered->isError();
                         answered->deleteLater();
                         finish(shown ? Shown::selected : openFolder(path));
                     });
}

} // namespace

void showItem(const QString& path, Done done) {
    ask(QDBusConnection::sessionBus(), path, std::move(done));
}

void showItem(const QString& path, const QString& busAddress, Done done) {
    const QString name = QStringLiteral("ostrevo-file-manager-") + busAddress;
    QDBusConnection bus = QDBusConnection(name);
    if (!bus.isConnected()) {
        bus = QDBusConnection::connectToBus(busAddress, name);
    }
    ask(bus, path, std::move(done));
}

} // namespace velmora::FileManager
