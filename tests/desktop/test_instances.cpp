// Two real players on one program folder: the hand-over, the read-only
// second player, and the list's journal after SIGKILL.

#include "PlayerProcess.h"
#include "TestFiles.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Instances : ::testing::Test {
    QTemporaryDir top;
    QString home = top.filePath(QStringLiteral("home"));
    QString runtime = top.filePath(QStringLiteral("run"));
    QString music = top.filePath(QStringLiteral("music"));
    QString autoPlaylist = home + QStringLiteral("/Playlist/AutoPlaylist.m3u");

    QString track(const QString &name) { return touchFile(music + u'/' + name, "not really audio"); }
    // The paths of the automatic playlist (or of `playlist`), in order.
    QStringList savedPaths(const QString &playlist = QString()) const
    {
        QStringList paths;
        for (const QByteArray &line : readBytes(playlist.isEmpty() ? autoPlaylist : playlist).split('\n'))
            if (!line.startsWith('#') && !line.trimmed().isEmpty())
                paths << QString::fromUtf8(line.trimmed());
        return paths;
    }
};

TEST_F(Instances, ALaterStartHandsItsPathsToTheRunningPlayer)
{
    const QString a = track(QStringLiteral("a.mp3")), b = track(QStringLiteral("b c.mp3"));
    const QString inFolder = track(QStringLiteral("album/d.ogg"));
    writeBytes(autoPlaylist, "#M3UX\r\n" + a.toUtf8() + "\r\n#a;;;\r\n");

    PlayerProcess first(home, runtime);
    ASSERT_TRUE(first.start());
    // Whoever takes the folder first is the running player: let it be this one.
    ASSERT_TRUE(waitUntil([&] { return !QDir(runtime).entryList({QStringLiteral("*.socket")}, QDir::System).isEmpty(); }));

    // Relative paths are taken from the later start's own folder; a folder
    // adds its tracks without replacing the list.
    PlayerProcess second(home, runtime, music);
    EXPECT_EQ(second.run({QStringLiteral("b c.mp3"), QStringLiteral("album")}), 0);
    PlayerProcess raiseOnly(home, runtime);
    EXPECT_EQ(raiseOnly.run({}), 0);

    // A player of its own beside the first: it runs, and saves nothing into
    // the shared folder.
    PlayerProcess separate(home, runtime);
    ASSERT_TRUE(separate.start({QStringLiteral("--new-instance"), track(QStringLiteral("x.mp3"))}));
    QThread::msleep(1500);
    EXPECT_EQ(separate.quit(), 0);
    EXPECT_EQ(savedPaths(), QStringList{a}) << "the second player wrote the shared list";

    EXPECT_EQ(first.quit(), 0);
    EXPECT_EQ(savedPaths(), (QStringList{a, b, inFolder}));

    // The folder is free again: the next start is a player of its own.
    PlayerProcess next(home, runtime);
    ASSERT_TRUE(next.start());
    QThread::msleep(500);
    EXPECT_EQ(next.process.state(), QProcess::Running);
    EXPECT_EQ(next.quit(), 0);
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
    const QString journal = home + QStringLiteral("/AutoPlaylist.journal");

    PlayerProcess killed(home, runtime);
    ASSERT_TRUE(killed.start({a, b}));
    ASSERT_TRUE(waitUntil([&] { return QFileInfo::exists(journal); })) << "no journal was written";
    killed.signal(SIGKILL);
    ASSERT_TRUE(killed.process.waitForFinished(5000));
    EXPECT_FALSE(QFileInfo::exists(autoPlaylist)) << "the list was never saved the ordinary way";

    PlayerProcess again(home, runtime);
    ASSERT_TRUE(again.start());
    QThread::msleep(1000);
    EXPECT_EQ(again.quit(), 0);
    // The list of a start with paths is a playlist of its own.
    EXPECT_EQ(savedPaths(home + QStringLiteral("/Playlist/CommandLine.m3u")), (QStringList{a, b}));
    EXPECT_FALSE(QFileInfo::exists(journal)) << "a clean end leaves no journal";
}

} // namespace
