// The remote control as the desktop reaches it: the adaptor on a private
// session bus, driven through QDBusInterface from a second connection.

#ifdef VELMORA_HAVE_DBUS

#include "app/MprisService.h"
#include "playback/PlaybackDisplay.h"
#include "playback/Player.h"
#include "playback/RemoteControl.h"
#include "playlist/TrackList.h"
#include "CoreTestApp.h"
#include "FakeAudioLibrary.h"
#include "NullPlaybackDisplay.h"
#include "PrivateSessionBus.h"
#include "QtPrinters.h"
#include "WaitUntil.h"

#include <QDBusArgument>
#include <QDBusInterface>
#include <QDBusMetaType>
#include <QDBusReply>
#include <QDBusVariant>
#include <QStandardPaths>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace {

using NullDisplay = NullPlaybackDisplay;

const QString PlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString RootInterface = QStringLiteral("org.mpris.MediaPlayer2");

// What arrives on the client's side.
class SignalLog : public QObject
{
    Q_OBJECT
public:
    QList<QVariantMap> changes;
    QList<qlonglong> seeks;
public Q_SLOTS:
    void propertiesChanged(const QString &, const QVariantMap &changed, const QStringList &) { changes << changed; }
    void seeked(qlonglong position) { seeks << position; }
};

// The program as the remote control reaches it: records each request.
struct RecordingHost : MprisHost {
    QStringList calls;
    void raise() override { calls << "raise"; }
    void quit() override { calls << "quit"; }
    void open(const QStringList &paths) override { calls << "open " + paths.join(','); }
};

struct Mpris : ::testing::Test {
    FakeAudioLibrary audio;
    TrackList list;
    NullDisplay display;
    Player player{audio, list, display};
    RemoteControl remote{player, list, audio};
    RecordingHost host;
    QStringList &hooksCalled = host.calls;
    MprisService service{remote, host};
    std::unique_ptr<PrivateSessionBus> bus;
    QDBusConnection client{QString()};

    void SetUp() override
    {
        coreTestApp();
        bus = std::make_unique<PrivateSessionBus>();
        if (!bus->present())
            GTEST_SKIP() << "dbus-daemon is not installed (Debian package dbus-daemon): the adaptor cannot be tried";
        ASSERT_EQ(service.registerOn(bus->connect(QStringLiteral("service"))), MprisService::BusName);
        client = bus->connect(QStringLiteral("client"));
        ASSERT_TRUE(client.isConnected());

        audio.init(44100, 32, 0);
        audio.addFile(QStringLiteral("/m/a.mp3"), 10000, -1,
                      {AudioLibrary::TagField{2, "TIT2", "Song"}, AudioLibrary::TagField{2, "TPE1", "Singer"}});
        audio.addFile(QStringLiteral("/m/b.mp3"), 20000);
        for (const char *path : {"/m/a.mp3", "/m/b.mp3"})
            list.appendRow(list.makeRow(QString::fromUtf8(path)));
        list.RenumberList();
    }
    void TearDown() override
    {
        QDBusConnection::disconnectFromBus(QStringLiteral("client"));
        QDBusConnection::disconnectFromBus(QStringLiteral("service"));
    }

    // The service answers on this thread, so the client waits on another
    // one while events run here.
    QDBusMessage call(const QString &interface, const QString &method, const QVariantList &args = {})
    {
        QDBusMessage reply;
        std::atomic<bool> done = false;
        std::thread caller([&] {
            QDBusInterface iface(MprisService::BusName, MprisService::ObjectPath, interface, client);
            reply = iface.callWithArgumentList(QDBus::Block, method, args);
            done = true;
        });
        while (!done)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        caller.join();
        return reply;
    }
    QVariant get(const QString &interface, const QString &name)
    {
        const QDBusMessage reply = call(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
                                        {interface, name});
        if (reply.type() != QDBusMessage::ReplyMessage)
            return QVariant();
        return reply.arguments().value(0).value<QDBusVariant>().variant();
    }
    QDBusMessage set(const QString &name, const QVariant &value)
    {
        return call(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"),
                    {PlayerInterface, name, QVariant::fromValue(QDBusVariant(value))});
    }
    QVariantMap metadata()
    {
        return qdbus_cast<QVariantMap>(get(PlayerInterface, QStringLiteral("Metadata")).value<QDBusArgument>());
    }
    QString status() { return get(PlayerInterface, QStringLiteral("PlaybackStatus")).toString(); }
};

TEST_F(Mpris, TheProgramItself)
{
    EXPECT_EQ(get(RootInterface, QStringLiteral("Identity")).toString(), QStringLiteral("Velmora"));
    EXPECT_EQ(get(RootInterface, QStringLiteral("DesktopEntry")).toString(), QStringLiteral("velmora"));
    EXPECT_TRUE(get(RootInterface, QStringLiteral("CanQuit")).toBool());
    EXPECT_TRUE(get(RootInterface, QStringLiteral("SupportedMimeTypes")).toStringList().contains("application/zip"));

    EXPECT_EQ(call(RootInterface, QStringLiteral("Raise")).type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(call(RootInterface, QStringLiteral("Quit")).type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(call(PlayerInterface, QStringLiteral("OpenUri"), {QStringLiteral("file:///m/new%20one.mp3")}).type(),
              QDBusMessage::ReplyMessage);
    call(PlayerInterface, QStringLiteral("OpenUri"), {QStringLiteral("https://example.org/a.mp3")});
    // The shut-down runs after its call has been answered.
    EXPECT_TRUE(waitUntil([&] { return hooksCalled.size() >= 3; }));
    hooksCalled.sort();
    EXPECT_EQ(hooksCalled, (QStringList{"open /m/new one.mp3", "quit", "raise"}));

    // A second player on the same bus takes a name of its own.
    RecordingHost otherHost;
    MprisService other(remote, otherHost);
    EXPECT_EQ(other.registerOn(bus->connect(QStringLiteral("other"))),
              MprisService::BusName + QStringLiteral(".instance%1").arg(QCoreApplication::applicationPid()));
    QDBusConnection::disconnectFromBus(QStringLiteral("other"));
}

TEST_F(Mpris, MethodsDrivePlayback)
{
    const struct {
        const char *method;
        const char *status;
        const char *title;
    } steps[] = {
        {"Play", "Playing", "Song"}, {"Pause", "Paused", "Song"}, {"PlayPause", "Playing", "Song"},
        {"Next", "Playing", "b"},    {"Previous", "Playing", "Song"}, {"Stop", "Stopped", nullptr},
    };
    for (const auto &s : steps) {
        SCOPED_TRACE(s.method);
        ASSERT_EQ(call(PlayerInterface, QString::fromLatin1(s.method)).type(), QDBusMessage::ReplyMessage);
        EXPECT_EQ(status(), QString::fromLatin1(s.status));
        EXPECT_EQ(metadata().value("xesam:title").toString(), s.title ? QString::fromUtf8(s.title) : QString());
    }
}

TEST_F(Mpris, MetadataTravelsWithItsTypes)
{
    call(PlayerInterface, QStringLiteral("Play"));
    const QVariantMap m = metadata();
    EXPECT_EQ(m.value("mpris:trackid").value<QDBusObjectPath>().path(), remote.trackId());
    EXPECT_EQ(m.value("mpris:length").metaType(), QMetaType::fromType<qlonglong>());
    EXPECT_EQ(m.value("mpris:length").toLongLong(), 10000000);
    EXPECT_EQ(m.value("xesam:artist").toStringList(), QStringList{"Singer"});
    EXPECT_EQ(m.value("xesam:url").toString(), QStringLiteral("file:///m/a.mp3"));
}

TEST_F(Mpris, WritablePropertiesAndTheirChangeSignals)
{
    SignalLog log;
    ASSERT_TRUE(client.connect(MprisService::BusName, MprisService::ObjectPath,
                               QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"),
                               &log, SLOT(propertiesChanged(QString, QVariantMap, QStringList))));
    ASSERT_TRUE(client.connect(MprisService::BusName, MprisService::ObjectPath, PlayerInterface,
                               QStringLiteral("Seeked"), &log, SLOT(seeked(qlonglong))));

    EXPECT_EQ(set(QStringLiteral("Volume"), 0.25).type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(player.volumePercent(), 25) << "the player's own volume moved";
    set(QStringLiteral("LoopStatus"), QStringLiteral("Track"));
    EXPECT_EQ(player.PlayMode(), int(Player::Repeat));
    set(QStringLiteral("Shuffle"), true);
    EXPECT_EQ(player.PlayMode(), int(Player::Random));
    EXPECT_EQ(get(PlayerInterface, QStringLiteral("LoopStatus")).toString(), QStringLiteral("Playlist"));

    // A change made in the windows is announced too.
    player.setVolumePercent(60);
    call(PlayerInterface, QStringLiteral("Play"));
    const QString id = remote.trackId();
    call(PlayerInterface, QStringLiteral("SetPosition"),
         {QVariant::fromValue(QDBusObjectPath(id)), QVariant::fromValue(qlonglong(3000000))});
    EXPECT_EQ(get(PlayerInterface, QStringLiteral("Position")).toLongLong(), 3000000);
    call(PlayerInterface, QStringLiteral("Seek"), {QVariant::fromValue(qlonglong(-1000000))});
    EXPECT_EQ(get(PlayerInterface, QStringLiteral("Position")).toLongLong(), 2000000);

    EXPECT_TRUE(waitUntil([&] { return log.seeks.size() >= 2 && log.changes.size() >= 5; }));
    QVariantMap last;
    for (const QVariantMap &c : log.changes)
        for (auto it = c.cbegin(); it != c.cend(); ++it)
            last.insert(it.key(), it.value());
    EXPECT_DOUBLE_EQ(last.value("Volume").toDouble(), 0.6);
    EXPECT_EQ(last.value("LoopStatus").toString(), QStringLiteral("Playlist"));
    EXPECT_TRUE(last.value("Shuffle").toBool());
    EXPECT_EQ(last.value("PlaybackStatus").toString(), QStringLiteral("Playing"));
    EXPECT_EQ(log.seeks, (QList<qlonglong>{3000000, 2000000}));
}

TEST(MprisWithoutABus, IsNoError)
{
    coreTestApp();
    FakeAudioLibrary audio;
    TrackList list;
    NullDisplay display;
    Player player{audio, list, display};
    RemoteControl remote{player, list, audio};
    RecordingHost host;
    MprisService service(remote, host);
    EXPECT_TRUE(service.registerOn(QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"),
                                                                 QStringLiteral("nowhere")))
                    .isEmpty());
}

} // namespace

#include "test_mpris.moc"

#endif
