#include "app/shell/single_instance.hpp"

#include <QDir>
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

namespace velmora {

SingleInstance::SingleInstance(QString serverName, QObject* parent)
    : QObject(parent), m_serverName(std::move(serverName)) {}

SingleInstance::~SingleInstance() {
    if (m_lockFile >= 0) {
        ::close(m_lockFile);
    }
}

bool SingleInstance::tryLock() {
    if (m_lockFile < 0) {
        if (!QDir::isAbsolutePath(m_serverName)) {
            return false;
        }
        const QByteArray path = QFile::encodeName(m_serverName + QStringLiteral(".lock"));
        m_lockFile = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_lockFile < 0) {
            return false;
        }
    }
    return ::flock(m_lockFile, LOCK_EX | LOCK_NB) == 0;
}

SingleInstance::Claim SingleInstance::claim(const QStringList& paths, int timeoutMs) {
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        if (tryLock()) {
            // The lock holder alone owns the socket name: a socket file left there is stale.
            listen();
            return Claim::primary;
        }
        if (m_lockFile < 0) {
            // No lock file can be made here (no runtime folder): the socket alone decides.
            return handOver(paths, timeoutMs) ? Claim::handedOver
                                              : (listen(), Claim::primary);
        }
        // The holder may be between taking the lock and listening: ask again shortly.
        if (handOver(paths, 500)) {
            return Claim::handedOver;
        }
        if (waited.elapsed() >= timeoutMs) {
            return Claim::unanswered;
        }
        QThread::msleep(50);
    }
}

QString SingleInstance::defaultServerName() {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty()) {
        return QDir(runtime).filePath(QStringLiteral("ostrevo.socket"));
    }
    return QStringLiteral("ostrevo-") + qEnvironmentVariable("USER", QStringLiteral("user"));
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
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
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
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_serverName)) {
        // A socket file left by a run that crashed: nobody answered handOver, so replace it.
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
