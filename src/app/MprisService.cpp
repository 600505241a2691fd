#include "app/MprisService.h"

#include "core/AudioFormats.h"

#include "playback/RemoteControl.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QTimer>

MprisService::MprisService(RemoteControl &control, MprisHost &host, QObject *parent)
    : QObject(parent)
    , m_control(control)
    , m_host(host)
    , m_bus(QString())
{
    new MprisRootAdaptor(this);
    auto *player = new MprisPlayerAdaptor(this);
    connect(&m_control, &RemoteControl::propertiesChanged, this, &MprisService::announce);
    connect(&m_control, &RemoteControl::seeked, player, &MprisPlayerAdaptor::Seeked);
}

MprisService::~MprisService()
{
    if (!m_busName.isEmpty()) {
        m_bus.unregisterService(m_busName);
        m_bus.unregisterObject(ObjectPath);
    }
}

QString MprisService::registerOn(QDBusConnection bus)
{
    if (!bus.isConnected() || !bus.registerObject(ObjectPath, this, QDBusConnection::ExportAdaptors))
        return QString();
    QString name = BusName;
    if (!bus.registerService(name)) {
        name = BusName + QStringLiteral(".instance%1").arg(QCoreApplication::applicationPid());
        if (!bus.registerService(name)) {
            bus.unregisterObject(ObjectPath);
            return QString();
        }
    }
    m_bus = bus;
    m_busName = name;
    return name;
}

QStringList MprisService::supportedMimeTypes()
{
    return AudioFormats::mimeTypes()
           << QStringLiteral("application/zip") << QStringLiteral("audio/x-mpegurl") << QStringLiteral("audio/mpegurl");
}

void MprisService::announce(const QVariantMap &changed)
{
    if (m_busName.isEmpty())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(ObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    signal << QStringLiteral("org.mpris.MediaPlayer2.Player") << MprisPlayerAdaptor::toWire(changed) << QStringList();
    m_bus.send(signal);
}

MprisRootAdaptor::MprisRootAdaptor(MprisService *service)
    : QDBusAbstractAdaptor(service)
    , m_service(service)
{
}

void MprisRootAdaptor::Raise()
{
    m_service->host().raise();
}

void MprisRootAdaptor::Quit()
{
    // After the reply has gone: the shut-down ends the event loop.
    QTimer::singleShot(0, m_service, [service = m_service] { service->host().quit(); });
}

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisService *service)
    : QDBusAbstractAdaptor(service)
    , m_service(service)
{
}

RemoteControl &MprisPlayerAdaptor::control() const
{
    return m_service->control();
}

QVariantMap MprisPlayerAdaptor::toWire(const QVariantMap &properties)
{
    QVariantMap wire = properties;
    const auto it = wire.find(QStringLiteral("Metadata"));
    if (it != wire.end()) {
        QVariantMap metadata = it->toMap();
        const auto id = metadata.find(QStringLiteral("mpris:trackid"));
        if (id != metadata.end())
            *id = QVariant::fromValue(QDBusObjectPath(id->toString()));
        *it = metadata;
    }
    return wire;
}

QString MprisPlayerAdaptor::playbackStatus() const { return control().playbackStatus(); }
QString MprisPlayerAdaptor::loopStatus() const { return control().loopStatus(); }
void MprisPlayerAdaptor::setLoopStatus(const QString &status) { control().setLoopStatus(status); }
bool MprisPlayerAdaptor::shuffle() const { return control().shuffle(); }
void MprisPlayerAdaptor::setShuffle(bool on) { control().setShuffle(on); }
double MprisPlayerAdaptor::volume() const { return control().volume(); }
void MprisPlayerAdaptor::setVolume(double volume) { control().setVolume(volume); }
qlonglong MprisPlayerAdaptor::position() const { return control().positionUs(); }
bool MprisPlayerAdaptor::canGoNext() const { return control().canGoNext(); }
bool MprisPlayerAdaptor::canGoPrevious() const { return control().canGoPrevious(); }
bool MprisPlayerAdaptor::canPlay() const { return control().canPlay(); }
bool MprisPlayerAdaptor::canPause() const { return control().canPause(); }
bool MprisPlayerAdaptor::canSeek() const { return control().canSeek(); }

QVariantMap MprisPlayerAdaptor::metadata() const
{
    return toWire({{QStringLiteral("Metadata"), control().metadata()}}).value(QStringLiteral("Metadata")).toMap();
}

void MprisPlayerAdaptor::Next() { control().next(); }
void MprisPlayerAdaptor::Previous() { control().previous(); }
void MprisPlayerAdaptor::Pause() { control().pause(); }
void MprisPlayerAdaptor::PlayPause() { control().playPause(); }
void MprisPlayerAdaptor::Stop() { control().stop(); }
void MprisPlayerAdaptor::Play() { control().play(); }
void MprisPlayerAdaptor::Seek(qlonglong offset) { control().seek(offset); }

void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath &trackId, qlonglong position)
{
    control().setPosition(trackId.path(), position);
}

void MprisPlayerAdaptor::OpenUri(const QString &uri)
{
    // Other schemes are not supported: nothing happens.
    const QStringList paths = RemoteControl::pathsToOpen(uri);
    if (!paths.isEmpty())
        m_service->host().open(paths);
}
