#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

class QLocalServer;
class QLocalSocket;

namespace velmora {

// Keeps one running Ostrevo per user: a second start hands its files to the first through a
// local socket and ends; the first reopens its windows (and opens the files). Which start is
// the first is settled by a lock on a file next to the socket, held for the life of the
// process, so two starts at the same moment can never both run.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // The largest message accepted from another start; anything longer is dropped.
    static constexpr qint64 maxMessageSize = 1 << 20;

    // What a start turned out to be.
    enum class Claim {
        // This process is the running instance now and answers later starts.
        primary,
        // The running instance took the files; this process ends.
        handedOver,
        // Another process holds the lock but never answered: this one must not run.
        unanswered,
    };

    explicit SingleInstance(QString serverName, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Takes the lock at `path` instead of the file beside the socket. Every start of one user
    // and home meets there, whatever its display or runtime folder; the running instance
    // writes its socket's name into it, so a start that would name another socket still hands
    // its files over instead of running beside it.
    void setLockPath(const QString& path) { m_lockPath = path; }
    // The lock file in the data folder that the application's starts share.
    [[nodiscard]] static QString lockPathIn(const QString& dataFolder);

    // Who a running instance serves: a start with another user, display or configuration
    // folder (another HOME, say) runs an Ostrevo of its own.
    struct Identity {
        QString user;
        QString display;
        QString configFolder;
    };

    // The socket of this session: in a private folder of the runtime folder (of the temporary
    // folder when there is no runtime folder), named after the session's identity.
    [[nodiscard]] static QString defaultServerName();
    // The identity of this process: its user id, display (the Wayland socket first) and
    // configuration folder.
    [[nodiscard]] static Identity currentIdentity();
    // The socket name of the identity inside `folder`.
    [[nodiscard]] static QString serverName(const QString& folder, const Identity& identity);
    // The folder "ostrevo-<uid>" below `base`, made with mode 0700 when missing; empty when
    // it is not a folder of ours that only we may enter (a link, another owner).
    [[nodiscard]] static QString privateFolder(const QString& base);
    // Whether a live instance answers on the name.
    [[nodiscard]] static bool isAnswered(const QString& serverName, int timeoutMs = 500);

    // Becomes the running instance (taking the lock, then listening), or hands the paths to
    // the process that holds the lock, waiting up to `timeoutMs` for it to listen.
    [[nodiscard]] Claim claim(const QStringList& paths, int timeoutMs = 5000);

    // Sends the absolute paths to a running instance; true when it acknowledged them.
    [[nodiscard]] bool handOver(const QStringList& paths, int timeoutMs = 3000);
    // Starts answering later starts (replacing a socket left by a crashed run, never one a
    // live instance answers on); false when it cannot.
    bool listen();

    // The wire form: one JSON object {"open": [paths]} and a line feed.
    [[nodiscard]] static QByteArray encode(const QStringList& paths);
    // The paths of a message; nothing when it is not a well-formed message.
    [[nodiscard]] static std::optional<QStringList> decode(const QByteArray& message);

signals:
    // Another start asked for the application, with its files (maybe none).
    void activated(const QStringList& paths);

private:
    void accept();
    void read(QLocalSocket* socket);

    // Takes the lock file without waiting; true when this process holds it now.
    bool tryLock();
    // The socket the holder of the lock wrote into it; empty when none.
    [[nodiscard]] QString holderName() const;
    bool handOverTo(const QString& serverName, const QStringList& paths, int timeoutMs);

    QString m_serverName;
    QString m_lockPath;
    QLocalServer* m_server = nullptr;
    int m_lockFile = -1;
};

} // namespace velmora
