#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QLocalServer;
class QLocalSocket;

// One player per program folder. The first player to start on a folder
// holds a lock on it and listens on a local socket; a later start on the
// same folder hands its paths to that player over the socket and ends.
// Lock and socket live in the user's private runtime folder, named by a hash
// of the program folder, so players on other folders never meet. A lock
// left by a player that died is taken over (the process that made it is
// gone).
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    // `runtimeFolder` empty: the user's runtime folder.
    explicit SingleInstance(const QString &programFolder, const QString &runtimeFolder = QString());
    ~SingleInstance() override;

    // Takes the folder's lock and starts listening. False when another
    // player holds the lock. When the lock cannot be made at all (no
    // runtime folder), this player goes on as the only one, unlistened.
    bool claim();

    // Sends `paths` (made absolute against the current folder; empty ones
    // dropped) to the player holding the lock and waits until it has them.
    // Connecting is tried again while that player is still starting, for at
    // most `timeoutMs`. False when it never answered.
    bool handOver(const QStringList &paths, int timeoutMs = 15000);

    // Where requests go, one at a time in order of arrival. Requests that
    // came before a handler was set are delivered to it at once.
    void setHandler(std::function<void(const QStringList &paths)> handler);

    QString lockPath() const { return m_base + QStringLiteral(".lock"); }
    QString socketPath() const { return m_base + QStringLiteral(".socket"); }

private:
    void accept();
    void readFrom(QLocalSocket *socket);
    void deliver(const QStringList &paths);
    void drain();

    QString m_base;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer *m_server = nullptr;
    QHash<QLocalSocket *, QByteArray> m_buffers;
    std::function<void(const QStringList &)> m_handler;
    QList<QStringList> m_waiting;
    bool m_delivering = false;
};
