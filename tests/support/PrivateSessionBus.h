#pragma once

#ifdef VELMORA_HAVE_DBUS

#include "WaitUntil.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QStandardPaths>
#include <QString>

// A session bus of our own (dbus-daemon), for a test program and the players
// it starts. The test's side needs an application object (coreTestApp()).
class PrivateSessionBus
{
public:
    PrivateSessionBus()
    {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty())
            return;
        m_daemon.start(daemon, {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address")});
        if (m_daemon.waitForStarted(5000))
            waitUntil([this] {
                m_daemon.waitForReadyRead(100);
                m_address += QString::fromUtf8(m_daemon.readAllStandardOutput());
                return m_address.contains(u'\n');
            }, 20000);
        m_address = m_address.trimmed();
    }
    ~PrivateSessionBus()
    {
        for (const QString &name : m_connections)
            QDBusConnection::disconnectFromBus(name);
        m_daemon.terminate();
        m_daemon.waitForFinished(5000);
    }
    PrivateSessionBus(const PrivateSessionBus &) = delete;
    PrivateSessionBus &operator=(const PrivateSessionBus &) = delete;

    // False when dbus-daemon is missing or did not start.
    bool present() const { return !m_address.isEmpty(); }
    // What DBUS_SESSION_BUS_ADDRESS says to a process that should use this bus.
    QString address() const { return m_address; }
    QDBusConnection connect(const QString &name)
    {
        if (!m_connections.contains(name))
            m_connections << name;
        return QDBusConnection::connectToBus(m_address, name);
    }

    // Whether process `pid` owns a name starting with `prefix` on this bus.
    bool ownsNameLike(qint64 pid, const QString &prefix)
    {
        QDBusConnection watcher = connect(QStringLiteral("velmora-test-watcher"));
        QDBusConnectionInterface *bus = watcher.interface();
        if (!bus)
            return false;
        const QStringList names = bus->registeredServiceNames().value();
        for (const QString &name : names)
            if (name.startsWith(prefix) && bus->servicePid(name).value() == uint(pid))
                return true;
        return false;
    }

private:
    QProcess m_daemon;
    QString m_address;
    QStringList m_connections;
};

#endif
