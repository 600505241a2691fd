#include "app/SingleInstance.h"

#include "core/EventPump.h"
#include "core/InputBounds.h"
#include "core/NativePath.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// What Qt may read ahead from one client before the reader takes it.
constexpr qint64 SocketReadBuffer = qint64(64) << 10;

QString folderKey(const QString &programFolder)
{
    QString folder = QDir::cleanPath(QDir(programFolder).absolutePath());
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    if (!canonical.isEmpty())
        folder = canonical;
    return QString::fromLatin1(QCryptographicHash::hash(folder.toUtf8(), QCryptographicHash::Sha256).toHex().left(16));
}

// The folder for lock and socket, or empty with `why` set.
QString runtimeFolder(const QString &given, QString &why)
{
    if (!given.isEmpty())
        return SingleInstance::privateFolder(given, why);
    const QString xdg = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!xdg.isEmpty())
        return SingleInstance::privateFolder(xdg, why);
    // Made private in one step; one made by someone else is refused below.
    const QString fallback = QDir(QDir::tempPath()).filePath(QStringLiteral("velmora-%1").arg(::geteuid()));
    ::mkdir(NativePath::encode(fallback).constData(), 0700); // an existing one is checked below
    return SingleInstance::privateFolder(fallback, why);
}

} // namespace

QString SingleInstance::privateFolder(const QString &folder, QString &why)
{
    struct stat st {};
    if (::lstat(NativePath::encode(folder).constData(), &st) != 0) {
        why = QStringLiteral("%1 does not exist").arg(folder);
        return QString();
    }
    if (!S_ISDIR(st.st_mode)) {
        why = QStringLiteral("%1 is not a folder").arg(folder);
        return QString();
    }
    if (st.st_uid != ::geteuid()) {
        why = QStringLiteral("%1 belongs to another user").arg(folder);
        return QString();
    }
    if ((st.st_mode & 077) != 0) {
        why = QStringLiteral("%1 is open to other users (mode %2)").arg(folder).arg(st.st_mode & 0777, 3, 8,
                                                                                    QLatin1Char('0'));
        return QString();
    }
    return folder;
}

SingleInstance::SingleInstance(const QString &programFolder, const QString &runtime)
{
    QString why;
    const QString folder = runtimeFolder(runtime, why);
    if (folder.isEmpty())
        m_notice = QStringLiteral("no private runtime folder (%1): started players do not hand over").arg(why);
    else
        m_base = QDir(folder).filePath(QStringLiteral("velmora-") + folderKey(programFolder));
}

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close(); // removes the socket file
}

bool SingleInstance::claim()
{
    if (m_base.isEmpty()) {
        qWarning("velmora: %s", qPrintable(m_notice));
        return true;
    }
    m_lock = std::make_unique<QLockFile>(lockPath());
    // Only a live process holds the lock, however old the file.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        if (m_lock->error() == QLockFile::LockFailedError)
            return false;
        m_notice = QStringLiteral("cannot lock %1; other players are not noticed").arg(lockPath());
        qWarning("velmora: %s", qPrintable(m_notice));
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

bool SingleInstance::handOver(const QStringList &paths, int timeoutMs, int answerTimeoutMs)
{
    if (m_base.isEmpty())
        return false;
    QStringList absolute;
    for (const QString &path : paths) {
        if (path.isEmpty())
            continue;
        const QString full = QDir::cleanPath(QDir::current().absoluteFilePath(path));
        const QString problem = InputBounds::pathProblem(full);
        if (!problem.isEmpty()) {
            qWarning("velmora: left out (%s): %s", qPrintable(problem), qPrintable(full.left(200)));
            continue;
        }
        absolute << full;
    }
    const QByteArray message = HandOver::encode(absolute);

    const QDeadlineTimer deadline(timeoutMs);
    auto remaining = [&deadline] { return int(qMax<qint64>(1, deadline.remainingTime())); };
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(socketPath());
        if (!socket.waitForConnected(remaining())) {
            QThread::msleep(100); // the player may be starting: its socket comes soon
            continue;
        }
        socket.write(message);
        while (socket.bytesToWrite() > 0 && !deadline.hasExpired() && socket.waitForBytesWritten(remaining())) {
        }
        // The player answers once it has added the paths.
        const QDeadlineTimer answerDeadline(answerTimeoutMs);
        QByteArray reply;
        while (!reply.contains('\n') && reply.size() < 16 && !answerDeadline.hasExpired()
               && socket.waitForReadyRead(int(qMax<qint64>(1, answerDeadline.remainingTime()))))
            reply += socket.readAll();
        if (!reply.isEmpty())
            return reply == HandOver::Acknowledgement;
        // Closed without an answer: the player was busy with other clients.
        QThread::msleep(100);
    }
    return false;
}

void SingleInstance::setHandler(std::function<void(const QStringList &)> handler)
{
    m_handler = std::move(handler);
    if (!m_waiting.isEmpty() && !m_drainQueued) {
        m_drainQueued = true;
        QMetaObject::invokeMethod(this, &SingleInstance::drain, Qt::QueuedConnection);
    }
}

void SingleInstance::accept()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (m_clients.size() + m_waiting.size() >= MaxClients) {
            qWarning("velmora: hand-over refused: %d clients are connected already", MaxClients);
            socket->abort();
            socket->deleteLater();
            continue;
        }
        socket->setReadBufferSize(SocketReadBuffer);
        m_clients.insert(socket, HandOver::Reader());
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
        connect(socket, &QObject::destroyed, this, [this, socket] { m_clients.remove(socket); });
        // A client that never finishes its message does not hold the connection.
        QTimer::singleShot(ReadTimeoutMs, socket, [this, socket] {
            if (m_clients.contains(socket))
                drop(socket, QStringLiteral("the message did not complete in time"));
        });
        readFrom(socket);
    }
}

qint64 SingleInstance::heldBytes() const
{
    qint64 sum = m_waitingBytes;
    for (const HandOver::Reader &reader : m_clients)
        sum += reader.heldBytes();
    return sum;
}

void SingleInstance::drop(QLocalSocket *socket, const QString &why)
{
    qWarning("velmora: hand-over refused: %s", qPrintable(why));
    m_clients.remove(socket);
    socket->abort();
    socket->deleteLater();
}

void SingleInstance::readFrom(QLocalSocket *socket)
{
    auto it = m_clients.find(socket);
    if (it == m_clients.end())
        return;
    HandOver::Reader &reader = *it;
    while (reader.state() == HandOver::Reader::State::Reading && socket->bytesAvailable() > 0) {
        reader.feed(socket->read(SocketReadBuffer));
        if (heldBytes() > MaxHeldBytes) {
            drop(socket, QStringLiteral("unfinished messages hold more than %1 bytes").arg(MaxHeldBytes));
            return;
        }
    }
    switch (reader.state()) {
    case HandOver::Reader::State::Reading:
        return;
    case HandOver::Reader::State::Refused:
        drop(socket, reader.error());
        return;
    case HandOver::Reader::State::Complete:
        break;
    }
    const QStringList paths = reader.paths();
    const qint64 bytes = reader.heldBytes();
    m_clients.remove(socket);
    // A player that is ending would drop the paths: the sender hears so.
    if (EventPump::stopRequested()) {
        socket->write(HandOver::Refusal);
        socket->disconnectFromServer();
        return;
    }
    deliver(socket, paths, bytes);
}

void SingleInstance::deliver(QLocalSocket *socket, const QStringList &paths, qint64 bytes)
{
    m_waiting.append(Request{socket, paths, bytes});
    m_waitingBytes += bytes;
    // Adding lets events run (and sockets be deleted): never from inside a
    // socket's signal, always from the event loop.
    if (!m_drainQueued) {
        m_drainQueued = true;
        QMetaObject::invokeMethod(this, &SingleInstance::drain, Qt::QueuedConnection);
    }
}

void SingleInstance::drain()
{
    m_drainQueued = false;
    // Another request may arrive while one is added: it waits for its turn
    // instead of adding into the middle of this one.
    if (!m_handler || m_delivering)
        return;
    m_delivering = true;
    while (!m_waiting.isEmpty()) {
        const Request request = m_waiting.takeFirst();
        m_handler(request.paths);
        m_waitingBytes -= request.bytes;
        // The sender may have given up and gone meanwhile.
        if (request.sender) {
            request.sender->write(EventPump::stopRequested() ? HandOver::Refusal : HandOver::Acknowledgement);
            request.sender->disconnectFromServer();
        }
    }
    m_delivering = false;
}
