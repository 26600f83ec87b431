#include "app/shell/single_instance.hpp"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalServer>
#include <QLocalSocket>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora {

SingleInstance::SingleInstance(QString serverName, QObject* parent)
    : QObject(parent), m_serverName(std::move(serverName)) {}

SingleInstance::~SingleInstance() {
    if (m_lockFile >= 0) {
        ::close(m_lockFile);
    }
}

QString SingleInstance::lockPathIn(const QString& dataFolder) {
    return QDir(dataFolder).filePath(QStringLiteral("instance.lock"));
}

bool SingleInstance::tryLock() {
    if (m_lockFile < 0) {
        const QString lockPath =
            !m_lockPath.isEmpty() ? m_lockPath : m_serverName + QStringLiteral(".lock");
        if (!QDir::isAbsolutePath(lockPath)) {
            return false;
        }
        QDir().mkpath(QFileInfo(lockPath).absolutePath());
        const QByteArray path = QFile::encodeName(lockPath);
        m_lockFile = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_lockFile < 0) {
            return false;
        }
    }
    return ::flock(m_lockFile, LOCK_EX | LOCK_NB) == 0;
}

QString SingleInstance::holderName() const {
    if (m_lockFile < 0) {
        return {};
    }
    char buffer[4096];
    const ssize_t size = ::pread(m_lockFile, buffer, sizeof buffer, 0);
    if (size <= 0) {
        return {};
    }
    const QString name = QFile::decodeName(QByteArray(buffer, static_cast<qsizetype>(size)));
    return QDir::isAbsolutePath(name) ? name : QString();
}

SingleInstance::Claim SingleInstance::claim(const QStringList& paths, int timeoutMs) {
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        if (tryLock()) {
            // The lock holder alone owns the socket name: a socket file left there is stale.
            if (listen() && !m_lockPath.isEmpty()) {
                // Later starts find the socket through the lock, whatever name they would give
                // it themselves.
                const QByteArray name = QFile::encodeName(m_serverName);
                if (::ftruncate(m_lockFile, 0) != 0 ||
                    ::pwrite(m_lockFile, name.constData(), static_cast<size_t>(name.size()), 0) !=
                        name.size()) {
                    std::fputs("ostrevo: could not note the running instance's socket\n", stderr);
                }
            }
            return Claim::primary;
        }
        if (m_lockFile < 0) {
            // No lock file can be made here (no runtime folder): the socket alone decides.
            return handOver(paths, timeoutMs) ? Claim::handedOver
                                              : (listen(), Claim::primary);
        }
        // The holder may be between taking the lock and listening: ask again shortly.
        const QString holder = holderName();
        if (handOverTo(holder.isEmpty() ? m_serverName : holder, paths, 500)) {
            return Claim::handedOver;
        }
        if (waited.elapsed() >= timeoutMs) {
            return Claim::unanswered;
        }
        QThread::msleep(50);
    }
}

QString SingleInstance::defaultServerName() {
    // The runtime folder is the user's own; without one (root, some containers) the shared
    // temporary folder is used, below a folder only we may enter.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    QString folder = privateFolder(!runtime.isEmpty() && QDir::isAbsolutePath(runtime)
                                       ? runtime
                                       : QDir::tempPath());
    if (folder.isEmpty()) {
        folder = privateFolder(QDir::tempPath());
    }
    if (folder.isEmpty()) {
        // Nowhere safe to meet: the data folder is ours alone.
        folder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
        QDir().mkpath(folder);
    }
    return serverName(folder, currentIdentity());
}

SingleInstance::Identity SingleInstance::currentIdentity() {
    const QString wayland = qEnvironmentVariable("WAYLAND_DISPLAY");
    const QString display = !wayland.isEmpty()
                                ? QStringLiteral("wayland:") + wayland
                                : QStringLiteral("x11:") + qEnvironmentVariable("DISPLAY");
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return {QString::number(::getuid()), display, QFileInfo(config).absoluteFilePath()};
}

QString SingleInstance::serverName(const QString& folder, const Identity& identity) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const QString& part : {identity.user, identity.display, identity.configFolder}) {
        hash.addData(part.toUtf8());
        hash.addData(QByteArrayView("\0", 1));
    }
    const QString key = QString::fromLatin1(hash.result().toHex().left(16));
    return QDir(folder).filePath(QStringLiteral("ostrevo-") + key + QStringLiteral(".socket"));
}

QString SingleInstance::privateFolder(const QString& base) {
    const QString folder =
        QDir(base).filePath(QStringLiteral("ostrevo-") + QString::number(::getuid()));
    const QByteArray path = QFile::encodeName(folder);
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST) {
        return {};
    }
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != ::getuid()) {
        return {};
    }
    if ((info.st_mode & 0777) != 0700 && ::chmod(path.constData(), 0700) != 0) {
        return {};
    }
    return folder;
}

bool SingleInstance::isAnswered(const QString& serverName, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(serverName);
    const bool answered = socket.waitForConnected(timeoutMs);
    socket.abort();
    return answered;
}

QByteArray SingleInstance::encode(const QStringList& paths) {
    QJsonObject message;
    message.insert(QStringLiteral("open"), QJsonArray::fromStringList(paths));
    return QJsonDocument(message).toJson(QJsonDocument::Compact) + '\n';
}

std::optional<QStringList> SingleInstance::decode(const QByteArray& message) {
    QJsonParseError error{};
    const QJsonDocument json = QJsonDocument::fromJson(message.trimmed(), &error);
    if (error.error != QJsonParseError::NoError || !json.isObject()) {
        return std::nullopt;
    }
    const QJsonValue open = json.object().value(QStringLiteral("open"));
    if (!open.isArray()) {
        return std::nullopt;
    }
    QStringList paths;
    for (const QJsonValue& entry : open.toArray()) {
        if (!entry.isString()) {
            return std::nullopt;
        }
        paths.append(entry.toString());
    }
    return paths;
}

bool SingleInstance::handOver(const QStringList& paths, int timeoutMs) {
    return handOverTo(m_serverName, paths, timeoutMs);
}

bool SingleInstance::handOverTo(const QString& serverName, const QStringList& paths,
                                int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(serverName);
    if (!socket.waitForConnected(timeoutMs)) {
        return false;
    }
    socket.write(encode(paths));
    if (!socket.waitForBytesWritten(timeoutMs)) {
        return false;
    }
    // The running instance answers once it took the message.
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(timeoutMs)) {
            return false;
        }
    }
    return socket.readLine().trimmed() == "ok";
}

bool SingleInstance::listen() {
    if (m_server) {
        return m_server->isListening();
    }
    // A name a live instance answers on (a slow one that missed the hand-over) stays its own:
    // listening with access options would quietly put a new socket file in its place.
    if (isAnswered(m_serverName)) {
        return false;
    }
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_serverName)) {
        // A socket file left by a run that crashed: nobody answers on it, so replace it.
        QLocalServer::removeServer(m_serverName);
        if (!m_server->listen(m_serverName)) {
            return false;
        }
    }
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::accept);
    return true;
}

void SingleInstance::accept() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { read(socket); });
        if (socket->bytesAvailable() > 0) {
            read(socket);
        }
    }
}

void SingleInstance::read(QLocalSocket* socket) {
    if (socket->bytesAvailable() > maxMessageSize) {
        socket->abort();
        return;
    }
    if (!socket->canReadLine()) {
        return;
    }
    const auto paths = decode(socket->readLine(maxMessageSize));
    if (!paths) {
        socket->abort();
        return;
    }
    socket->write("ok\n");
    socket->flush();
    emit activated(*paths);
}

} // namespace velmora
