#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

class RemoteControl;

// What the remote control asks of the program beyond playback. The
// desktop integration implements it. User-interface thread only.
class MprisHost
{
public:
    virtual ~MprisHost() = default;

    // Brings the windows to the front.
    virtual void raise() = 0;
    // The normal shut-down (everything saved); runs once the call that
    // asked for it has been answered.
    virtual void quit() = 0;
    // Adds the local files `paths` as a drop of them does and plays the
    // first of them; never empty.
    virtual void open(const QStringList &paths) = 0;
};

// The session's media-player interface (MPRIS 2) over D-Bus: a thin
// translation of RemoteControl, which holds every rule. The object lives at
// /org/mpris/MediaPlayer2 under the name org.mpris.MediaPlayer2.velmora, or
// org.mpris.MediaPlayer2.velmora.instance<pid> while another player (one
// with another program folder) holds that name.
class MprisService : public QObject
{
    Q_OBJECT
public:
    static inline const QString ObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
    static inline const QString BusName = QStringLiteral("org.mpris.MediaPlayer2.velmora");

    MprisService(RemoteControl &control, MprisHost &host, QObject *parent = nullptr);
    ~MprisService() override;

    // Puts the object on `bus` and takes a name. Returns the name, or an
    // empty text when the bus is not there (no error: the program runs on
    // without remote control).
    QString registerOn(QDBusConnection bus);

    RemoteControl &control() { return m_control; }
    MprisHost &host() { return m_host; }

    // The file types the player opens, as MIME types.
    static QStringList supportedMimeTypes();

private:
    void announce(const QVariantMap &changed);

    RemoteControl &m_control;
    MprisHost &m_host;
    QString m_busName;
    QDBusConnection m_bus;
};

// org.mpris.MediaPlayer2: the program itself.
class MprisRootAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ canQuit)
    Q_PROPERTY(bool CanRaise READ canRaise)
    Q_PROPERTY(bool Fullscreen READ fullscreen)
    Q_PROPERTY(bool CanSetFullscreen READ fullscreen)
    Q_PROPERTY(bool HasTrackList READ fullscreen)
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ supportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ supportedMimeTypes)
public:
    explicit MprisRootAdaptor(MprisService *service);

    bool canQuit() const { return true; }
    bool canRaise() const { return true; }
    bool fullscreen() const { return false; }
    QString identity() const { return QStringLiteral("Velmora"); }
    QString desktopEntry() const { return QStringLiteral("velmora"); }
    QStringList supportedUriSchemes() const { return {QStringLiteral("file")}; }
    QStringList supportedMimeTypes() const { return MprisService::supportedMimeTypes(); }

public Q_SLOTS:
    void Raise();
    void Quit();

private:
    MprisService *m_service;
};

// org.mpris.MediaPlayer2.Player: playback.
class MprisPlayerAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(QString LoopStatus READ loopStatus WRITE setLoopStatus)
    Q_PROPERTY(double Rate READ rate WRITE setRate)
    Q_PROPERTY(bool Shuffle READ shuffle WRITE setShuffle)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(double Volume READ volume WRITE setVolume)
    Q_PROPERTY(qlonglong Position READ position)
    Q_PROPERTY(double MinimumRate READ rate)
    Q_PROPERTY(double MaximumRate READ rate)
    Q_PROPERTY(bool CanGoNext READ canGoNext)
    Q_PROPERTY(bool CanGoPrevious READ canGoPrevious)
    Q_PROPERTY(bool CanPlay READ canPlay)
    Q_PROPERTY(bool CanPause READ canPause)
    Q_PROPERTY(bool CanSeek READ canSeek)
    Q_PROPERTY(bool CanControl READ canControl)
public:
    explicit MprisPlayerAdaptor(MprisService *service);

    // Values as they travel: the track id as an object path.
    static QVariantMap toWire(const QVariantMap &properties);

    QString playbackStatus() const;
    QString loopStatus() const;
    void setLoopStatus(const QString &status);
    double rate() const { return 1.0; }
    void setRate(double) {} // one speed only
    bool shuffle() const;
    void setShuffle(bool on);
    QVariantMap metadata() const;
    double volume() const;
    void setVolume(double volume);
    qlonglong position() const;
    bool canGoNext() const;
    bool canGoPrevious() const;
    bool canPlay() const;
    bool canPause() const;
    bool canSeek() const;
    bool canControl() const { return true; }

public Q_SLOTS:
    void Next();
    void Previous();
    void Pause();
    void PlayPause();
    void Stop();
    void Play();
    void Seek(qlonglong offset);
    void SetPosition(const QDBusObjectPath &trackId, qlonglong position);
    void OpenUri(const QString &uri);

Q_SIGNALS:
    void Seeked(qlonglong position);

private:
    RemoteControl &control() const;
    MprisService *m_service;
};
