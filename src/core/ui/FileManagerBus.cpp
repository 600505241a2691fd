#include "core/ui/FileManagerBus.h"

#include <QUrl>

#ifdef VELMORA_HAVE_DBUS
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#endif

namespace FileManagerBus {

namespace {

#ifdef VELMORA_HAVE_DBUS
const QString Service = QStringLiteral("org.freedesktop.FileManager1");

bool presentOn(QDBusConnection bus)
{
    if (!bus.isConnected())
        return false;
    const QDBusConnectionInterface *names = bus.interface();
    return names && (names->isServiceRegistered(Service).value() ||
                     names->activatableServiceNames().value().contains(Service));
}

bool askOnBus(QDBusConnection bus, Request request, const QString &path, const std::function<bool()> &fallback)
{
    // Only a file manager that is there, or that the bus can start, is
    // asked; a call to nobody would wait for its time-out.
    if (!presentOn(bus))
        return fallback();
    QDBusMessage call = QDBusMessage::createMethodCall(
        Service, QStringLiteral("/org/freedesktop/FileManager1"), Service,
        request == Request::ShowItems ? QStringLiteral("ShowItems") : QStringLiteral("ShowItemProperties"));
    call << QStringList{QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded)} << QString();
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, [fallback](QDBusPendingCallWatcher *w) {
        if (w->isError())
            fallback(); // skipped on failure
        w->deleteLater();
    });
    return true;
}
#endif

} // namespace

bool ask(Request request, const QString &path, const std::function<bool()> &fallback)
{
#ifdef VELMORA_HAVE_DBUS
    return askOnBus(QDBusConnection::sessionBus(), request, path, fallback);
#else
    Q_UNUSED(request);
    Q_UNUSED(path);
    return fallback();
#endif
}

bool present()
{
#ifdef VELMORA_HAVE_DBUS
    return presentOn(QDBusConnection::sessionBus());
#else
    return false;
#endif
}

bool askOn(const QString &busAddress, Request request, const QString &path, const std::function<bool()> &fallback)
{
#ifdef VELMORA_HAVE_DBUS
    QDBusConnection bus = QDBusConnection::connectToBus(busAddress, QStringLiteral("velmora ") + busAddress);
    return askOnBus(bus, request, path, fallback);
#else
    Q_UNUSED(busAddress);
    return ask(request, path, fallback);
#endif
}

} // namespace FileManagerBus
