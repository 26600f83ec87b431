#include "app/shell/single_instance.hpp"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace velmora {

SingleInstance::SingleInstance(QString serverName, QObject* parent)
    : QObject(parent), m_serverName(std::move(serverName)) {}

SingleInstance::~SingleInstance() = default;

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
