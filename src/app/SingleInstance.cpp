#include "app/SingleInstance.h"

#include "core/HandOver.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

namespace {

// A frame that does not complete within this time is dropped with its connection.
constexpr int ReadTimeoutMs = 10000;

QString folderKey(const QString &programFolder)
{
    QString folder = QDir::cleanPath(QDir(programFolder).absolutePath());
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    if (!canonical.isEmpty())
        folder = canonical;
    return QString::fromLatin1(QCryptographicHash::hash(folder.toUtf8(), QCryptographicHash::Sha256).toHex().left(16));
}

} // namespace

SingleInstance::SingleInstance(const QString &programFolder, const QString &runtimeFolder)
{
    QString folder = runtimeFolder.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation)
                                             : runtimeFolder;
    if (folder.isEmpty())
        folder = QDir::tempPath();
    m_base = QDir(folder).filePath(QStringLiteral("velmora-") + folderKey(programFolder));
}

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close(); // removes the socket file
}

bool SingleInstance::claim()
{
    m_lock = std::make_unique<QLockFile>(lockPath());
    // Only a live process holds the lock, however old the file.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        if (m_lock->error() == QLockFile::LockFailedError)
            return false;
        qWarning("velmora: cannot lock %s; other players are not noticed", qPrintable(lockPath()));
        return true;
    }
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket file left by a player that died would block listening; the
    // lock says nobody listens on it now.
    QLocalServer::removeServer(socketPath());
    if (!m_server->listen(socketPath()))
        qWarning("velmora: cannot listen on %s: %s", qPrintable(socketPath()), qPrintable(m_server->errorString()));
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::accept);
    return true;
}

bool SingleInstance::handOver(const QStringList &paths, int timeoutMs)
{
    QStringList absolute;
    for (const QString &path : paths)
        if (!path.isEmpty())
            absolute << QDir::cleanPath(QDir::current().absoluteFilePath(path));
    const QByteArray frame = HandOver::encode(absolute);

    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(socketPath());
        if (!socket.waitForConnected(int(qMax<qint64>(1, deadline.remainingTime())))) {
            QThread::msleep(100); // the player may be starting: its socket comes soon
            continue;
        }
        socket.write(frame);
        QByteArray reply;
        while (!reply.contains('\n') && !deadline.hasExpired()
               && socket.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime()))))
            reply += socket.readAll();
        return reply == HandOver::Acknowledgement;
    }
    return false;
}

void SingleInstance::setHandler(std::function<void(const QStringList &)> handler)
{
    m_handler = std::move(handler);
    drain();
}

void SingleInstance::accept()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        m_buffers.insert(socket, QByteArray());
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QObject::destroyed, this, [this, socket] { m_buffers.remove(socket); });
        // A client that never finishes its frame does not hold the connection.
        QTimer::singleShot(ReadTimeoutMs, socket, [socket] { socket->abort(); });
        readFrom(socket);
    }
}

void SingleInstance::readFrom(QLocalSocket *socket)
{
    if (!m_buffers.contains(socket))
        return;
    QByteArray &buffer = m_buffers[socket];
    buffer += socket->readAll();
    const HandOver::Decoded d = HandOver::decode(buffer);
    if (d.status == HandOver::Decoded::Incomplete)
        return;
    m_buffers.remove(socket);
    if (d.status == HandOver::Decoded::Bad) {
        socket->abort();
        return;
    }
    socket->write(HandOver::Acknowledgement);
    socket->disconnectFromServer();
    deliver(d.paths);
}

void SingleInstance::deliver(const QStringList &paths)
{
    m_waiting.append(paths);
    drain();
}

void SingleInstance::drain()
{
    // Adding lets events run, and another request may arrive meanwhile: it
    // waits for its turn instead of adding into the middle of this one.
    if (!m_handler || m_delivering)
        return;
    m_delivering = true;
    while (!m_waiting.isEmpty())
        m_handler(m_waiting.takeFirst());
    m_delivering = false;
}
