#pragma once

#include "core/HandOver.h"

#include <QHash>
#include <QList>
#include <QLockFile>
#include <QObject>
#include <QPointer>
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
//
// The runtime folder is $XDG_RUNTIME_DIR, or without it "velmora-<uid>" in
// the system's temporary folder (made with mode 0700). Either is used only
// when it is a real folder owned by this user that no one else may enter;
// otherwise the player runs on its own without hand-over and says why.
//
// Whatever a client sends, the running player holds at most MaxClients
// connections (reading or waiting for their paths to be added) and
// MaxHeldBytes of their messages, and hands paths on only from its event
// loop, never from inside a socket's signal.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    static constexpr int MaxClients = 16;
    static constexpr qint64 MaxHeldBytes = qint64(64) << 20;
    // A message that does not complete within this time is dropped with its connection.
    static constexpr int ReadTimeoutMs = 10000;

    // `runtimeFolder` empty: the user's runtime folder (see above).
    explicit SingleInstance(const QString &programFolder, const QString &runtimeFolder = QString());
    ~SingleInstance() override;

    // Takes the folder's lock and starts listening. False when another
    // player holds the lock. When the lock cannot be made at all (no usable
    // runtime folder), this player goes on as the only one, unlistened, and
    // says so on the standard error.
    bool claim();

    // Sends `paths` (made absolute against the current folder; empty ones
    // dropped) to the player holding the lock and waits until it has added
    // them (at most `answerTimeoutMs` once they are sent). Connecting is
    // tried again while that player is still starting, for at most
    // `timeoutMs`. False when it never answered or did not take them all.
    bool handOver(const QStringList &paths, int timeoutMs = 15000, int answerTimeoutMs = 120000);

    // Where requests go, one at a time in order of arrival, always from the
    // event loop. Requests that came before a handler was set are delivered
    // once it is set and events run. The sender hears "taken" once the
    // handler has returned, unless the program began to end meanwhile.
    void setHandler(std::function<void(const QStringList &paths)> handler);

    // Empty when the runtime folder is unusable.
    QString lockPath() const { return m_base.isEmpty() ? QString() : m_base + QStringLiteral(".lock"); }
    QString socketPath() const { return m_base.isEmpty() ? QString() : m_base + QStringLiteral(".socket"); }
    // Why this player cannot take part in hand-overs; empty when it can.
    QString notice() const { return m_notice; }

    // `folder` when it is a real folder (not a link) owned by this user with
    // no access for others; otherwise empty and `why` says what is wrong.
    static QString privateFolder(const QString &folder, QString &why);

private:
    void accept();
    void readFrom(QLocalSocket *socket);
    void drop(QLocalSocket *socket, const QString &why);
    void deliver(QLocalSocket *socket, const QStringList &paths, qint64 bytes);
    void drain();
    qint64 heldBytes() const;

    struct Request {
        QPointer<QLocalSocket> sender; // answered once the paths are added
        QStringList paths;
        qint64 bytes = 0;
    };

    QString m_base;
    QString m_notice;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer *m_server = nullptr;
    QHash<QLocalSocket *, HandOver::Reader> m_clients;
    std::function<void(const QStringList &)> m_handler;
    QList<Request> m_waiting;
    qint64 m_waitingBytes = 0;
    bool m_delivering = false;
    bool m_drainQueued = false;
};
