// The built program, asked to quit by a signal at any moment of its start.

#include "TestFiles.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>

namespace {

struct SignalCase {
    const char *name;
    int signal;
    int afterMs;
};

class QuitBySignal : public ::testing::TestWithParam<SignalCase>
{
};

TEST_P(QuitBySignal, EndsPromptlyAndKeepsTheList)
{
#ifdef Q_OS_UNIX
    const SignalCase &c = GetParam();
    QTemporaryDir home;
    const QString track = home.filePath(QStringLiteral("music/a.mp3"));
    writeBytes(track, "not really audio");
    // Long enough that the signal arrives while it loads.
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
    player.setProcessEnvironment(env);
    player.start(QStringLiteral(VELMORA_BINARY), {});
    ASSERT_TRUE(player.waitForStarted(10000));
    QThread::msleep(c.afterMs);
    ::kill(pid_t(player.processId()), c.signal);
    ASSERT_TRUE(player.waitForFinished(20000)) << "the player ignored the quit";
    EXPECT_EQ(player.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(player.exitCode(), 0);
    EXPECT_EQ(readBytes(autoPlaylist).size(), list.size()) << "the list file lost tracks";
    EXPECT_TRUE(QFileInfo::exists(home.filePath(QStringLiteral("Velmora.ini")))) << "the settings were saved";
#endif
}

INSTANTIATE_TEST_SUITE_P(Signals, QuitBySignal,
                         ::testing::Values(SignalCase{"TermEarly", SIGTERM, 400}, SignalCase{"TermDuringLoad", SIGTERM, 700},
                                           SignalCase{"InterruptDuringLoad", SIGINT, 1000},
                                           SignalCase{"HangUpLate", SIGHUP, 2000}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
