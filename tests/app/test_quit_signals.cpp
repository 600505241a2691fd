// The built program, asked to quit by a signal at each stage of its start.
// Each stage is recognised from outside by a fact about the process: it
// catches the quit signals, it has read its list file, its remote control
// is up on the session bus.

#include "TestFiles.h"
#include "WaitUntil.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>

#ifdef VELMORA_HAVE_DBUS
#include "app/MprisService.h"
#include "CoreTestApp.h"
#include "PrivateSessionBus.h"

namespace {

// A field of /proc/<pid>/<file> ("SigCgt:" of status, "rchar:" of io), or
// an empty string when the process or the field is not there.
QByteArray procField(qint64 pid, const char *file, const QByteArray &field)
{
    QFile f(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(file)));
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(field.size()).trimmed();
    return QByteArray();
}

// The process has its own handler for `sig` (before that a quit signal
// would simply kill it).
bool catches(qint64 pid, int sig)
{
    bool ok = false;
    const quint64 mask = procField(pid, "status", "SigCgt:").toULongLong(&ok, 16);
    return ok && (mask >> (sig - 1) & 1);
}

// The process has read at least `bytes` bytes from files so far.
bool hasRead(qint64 pid, qint64 bytes)
{
    return procField(pid, "io", "rchar:").toLongLong() >= bytes;
}

enum class Stage { Catching, ListRead, Started };

struct SignalCase {
    const char *name;
    int signal;
    Stage stage; // the signal comes as soon as the player has reached it
};

class QuitBySignal : public ::testing::TestWithParam<SignalCase>
{
};

TEST_P(QuitBySignal, EndsPromptlyAndKeepsTheList)
{
    const SignalCase &c = GetParam();
    coreTestApp();
    PrivateSessionBus bus;
    ASSERT_TRUE(bus.present()) << "dbus-daemon is missing (Debian package dbus-daemon)";
    QTemporaryDir home;
    const QString track = home.filePath(QStringLiteral("music/a.mp3"));
    writeBytes(track, "not really audio");
    // Long enough that loading it takes a while.
    QByteArray list = "#M3UX\r\n";
    const QByteArray record = track.toUtf8() + "\r\n#Title;Artist;0:05;128kbps\r\n";
    for (int i = 0; i < 300000; ++i)
        list += record;
    const QString autoPlaylist = home.filePath(QStringLiteral("Playlist/AutoPlaylist.m3u"));
    writeBytes(autoPlaylist, list);

    QProcess player;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VELMORA_HOME"), home.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
    env.insert(QStringLiteral("TMPDIR"), home.path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
    player.setProcessEnvironment(env);
    player.start(QStringLiteral(VELMORA_BINARY), {});
    ASSERT_TRUE(player.waitForStarted(10000));
    const qint64 pid = player.processId();

    ASSERT_TRUE(waitUntil([&] { return catches(pid, c.signal); })) << "the player never caught the signal";
    if (c.stage == Stage::ListRead) {
        ASSERT_TRUE(waitUntil([&] { return hasRead(pid, list.size()); })) << "the player never read its list";
    }
    if (c.stage == Stage::Started) {
        ASSERT_TRUE(waitUntil([&] { return bus.ownsNameLike(pid, MprisService::BusName); }, 120000))
            << "the player never finished starting";
    }
    ::kill(pid_t(pid), c.signal);
    ASSERT_TRUE(player.waitForFinished(60000)) << "the player ignored the quit";
    EXPECT_EQ(player.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(player.exitCode(), 0);
    EXPECT_EQ(readBytes(autoPlaylist).size(), list.size()) << "the list file lost tracks";
    EXPECT_TRUE(QFileInfo::exists(home.filePath(QStringLiteral("Velmora.ini")))) << "the settings were saved";
}

INSTANTIATE_TEST_SUITE_P(Signals, QuitBySignal,
                         ::testing::Values(SignalCase{"TermAsSoonAsCaught", SIGTERM, Stage::Catching},
                                           SignalCase{"TermWhileTheListLoads", SIGTERM, Stage::ListRead},
                                           SignalCase{"InterruptWhileTheListLoads", SIGINT, Stage::ListRead},
                                           SignalCase{"HangUpOnceStarted", SIGHUP, Stage::Started}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace

#endif
