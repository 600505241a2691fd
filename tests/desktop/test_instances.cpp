// Two real players on one program folder: the hand-over, the read-only
// second player, and the list's journal after SIGKILL. The players share a
// private session bus, where a player's remote-control name appears once its
// start-up is complete: the tests wait for that, never for a time.

#include "PlayerProcess.h"
#include "TestFiles.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#ifdef VELMORA_HAVE_DBUS
#include "app/MprisService.h"
#include "CoreTestApp.h"
#include "PrivateSessionBus.h"

namespace {

struct Instances : ::testing::Test {
    QTemporaryDir top;
    QString home = top.filePath(QStringLiteral("home"));
    QString runtime = top.filePath(QStringLiteral("run"));
    QString music = top.filePath(QStringLiteral("music"));
    QString autoPlaylist = home + QStringLiteral("/Playlist/AutoPlaylist.m3u");
    QString journal = home + QStringLiteral("/AutoPlaylist.journal");
    std::unique_ptr<PrivateSessionBus> bus;

    void SetUp() override
    {
        coreTestApp();
        bus = std::make_unique<PrivateSessionBus>();
        if (!bus->present())
            GTEST_FAIL() << "dbus-daemon is missing (Debian package dbus-daemon): no way to see a player has started";
    }

    QString track(const QString &name) { return touchFile(music + u'/' + name, "not really audio"); }
    // The paths of a playlist file, in order.
    static QStringList pathsIn(const QString &file)
    {
        QStringList paths;
        for (const QByteArray &line : readBytes(file).split('\n'))
            if (!line.startsWith('#') && !line.trimmed().isEmpty())
                paths << QString::fromUtf8(line.trimmed());
        return paths;
    }
    // The paths of the automatic playlist (or of `playlist`), in order.
    QStringList savedPaths(const QString &playlist = QString()) const { return pathsIn(playlist.isEmpty() ? autoPlaylist : playlist); }

    // A player on the test's bus, started with `args`.
    std::unique_ptr<PlayerProcess> start(const QStringList &args = {}, const QString &workingFolder = QString())
    {
        auto player = std::make_unique<PlayerProcess>(home, runtime, workingFolder);
        player->useBus(bus->address());
        EXPECT_TRUE(player->start(args));
        return player;
    }
    // Its start-up is complete: it has put up its remote control, under the
    // first name or one of its own.
    bool started(PlayerProcess &player)
    {
        return waitUntil([&] { return bus->ownsNameLike(player.process.processId(), MprisService::BusName); });
    }
    // The program folder's lock says who holds the folder.
    bool holdsTheFolder(PlayerProcess &player)
    {
        const QStringList locks = QDir(runtime).entryList({QStringLiteral("*.lock")}, QDir::Files | QDir::Hidden);
        return locks.size() == 1
            && readBytes(runtime + u'/' + locks.first()).split('\n').value(0).toLongLong() == player.process.processId();
    }
};

TEST_F(Instances, ALaterStartHandsItsPathsToTheRunningPlayer)
{
    const QString a = track(QStringLiteral("a.mp3")), b = track(QStringLiteral("b c.mp3"));
    const QString inFolder = track(QStringLiteral("album/d.ogg"));
    writeBytes(autoPlaylist, "#M3UX\r\n" + a.toUtf8() + "\r\n#a;;;\r\n");

    // Whoever takes the folder first is the running player: let it be this one.
    const auto first = start();
    ASSERT_TRUE(started(*first));
    ASSERT_TRUE(holdsTheFolder(*first));

    // Relative paths are taken from the later start's own folder; a folder
    // adds its tracks without replacing the list.
    PlayerProcess second(home, runtime, music);
    EXPECT_EQ(second.run({QStringLiteral("b c.mp3"), QStringLiteral("album")}), 0);
    PlayerProcess raiseOnly(home, runtime);
    EXPECT_EQ(raiseOnly.run({}), 0);
    // The running player has taken them: its journal holds them.
    EXPECT_TRUE(waitUntil([&] { return pathsIn(journal) == QStringList{a, b, inFolder}; }))
        << pathsIn(journal).join(u' ').toStdString();

    // A player of its own beside the first: it starts completely, and saves
    // nothing into the shared folder.
    const auto separate = start({QStringLiteral("--new-instance"), track(QStringLiteral("x.mp3"))});
    ASSERT_TRUE(started(*separate));
    EXPECT_EQ(separate->quit(), 0);
    EXPECT_EQ(savedPaths(), QStringList{a}) << "the second player wrote the shared list";

    EXPECT_EQ(first->quit(), 0);
    EXPECT_EQ(savedPaths(), (QStringList{a, b, inFolder}));

    // The folder is free again: the next start is a player of its own.
    const auto next = start();
    EXPECT_TRUE(waitUntil([&] { return holdsTheFolder(*next); })) << "the next player did not take the folder";
    ASSERT_TRUE(started(*next));
    EXPECT_EQ(next->quit(), 0);
}

// Thousands of paths from a file manager's "open with": the running player
// takes them all and keeps running, and the later start says so.
TEST_F(Instances, ALaterStartWithThousandsOfPathsHandsThemAllOver)
{
    QStringList paths;
    for (int i = 0; i < 5000; ++i)
        paths << track(QStringLiteral("many/track %1.mp3").arg(i, 4, 10, QLatin1Char('0')));

    PlayerProcess first(home, runtime);
    ASSERT_TRUE(first.start());
    ASSERT_TRUE(waitUntil([&] { return !QDir(runtime).entryList({QStringLiteral("*.socket")}, QDir::System).isEmpty(); }));

    PlayerProcess second(home, runtime);
    EXPECT_EQ(second.run(paths, 60000), 0);
    EXPECT_EQ(first.process.state(), QProcess::Running) << "the running player died taking the paths";
    EXPECT_EQ(first.quit(60000), 0);
    const QStringList saved = savedPaths();
    EXPECT_EQ(saved.size(), paths.size());
    EXPECT_TRUE(saved == paths) << "first saved: " << saved.value(0).toStdString();
}

TEST_F(Instances, TheListSurvivesSigkill)
{
    const QString a = track(QStringLiteral("a.mp3")), b = track(QStringLiteral("b.mp3"));

    const auto killed = start({a, b});
    ASSERT_TRUE(waitUntil([&] { return QFileInfo::exists(journal); })) << "no journal was written";
    killed->signal(SIGKILL);
    ASSERT_TRUE(killed->process.waitForFinished(5000));
    EXPECT_FALSE(QFileInfo::exists(autoPlaylist)) << "the list was never saved the ordinary way";

    const auto again = start();
    ASSERT_TRUE(started(*again));
    EXPECT_EQ(again->quit(), 0);
    // The list of a start with paths is a playlist of its own.
    EXPECT_EQ(savedPaths(home + QStringLiteral("/Playlist/CommandLine.m3u")), (QStringList{a, b}));
    EXPECT_FALSE(QFileInfo::exists(journal)) << "a clean end leaves no journal";
}

} // namespace

#endif
