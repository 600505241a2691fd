#include "core/AppWindows.h"
#include "core/Application.h"
#include "FakeAudioLibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct RecordingWindows : AppWindows, MessageBoxService {
    QStringList log;
    int show(const QString &text, int style, const QString &title) override
    {
        log << QStringLiteral("box[%1|%2|%3]").arg(text).arg(style).arg(title);
        return 1;
    }
    void setTopmost(bool on) override { log << QStringLiteral("topmost %1").arg(on); }
    void showMainWindow() override { log << QStringLiteral("show main"); }
    void showTrackInfoText(const QString &text) override { log << QStringLiteral("info ") + text; }
    void hideAll() override { log << QStringLiteral("hide"); }
};

TEST(StartUp, AudioFailureTellsTheUserAndTouchesNothing)
{
    QTemporaryDir home;
    const QString programFolder = home.path() + "/prog";
    FakeAudioLibrary audio;
    audio.failInit(AudioLibrary::ErrInit);
    RecordingWindows ui;
    Application app(AppPaths(programFolder), audio, ui, ui);

    EXPECT_FALSE(app.StartUp({}));
    ASSERT_EQ(ui.log.size(), 1);
    EXPECT_EQ(ui.log.first(),
              QStringLiteral("box[FMOD初期化エラーです\r\nError initializing output device.|0|Velmora]"));
    EXPECT_FALSE(QFileInfo::exists(programFolder)) << "no folder may be created before the audio library starts";
    EXPECT_EQ(audio.initCount(), 1);
}

TEST(StartUp, UnknownErrorCodeHasItsOwnText)
{
    EXPECT_EQ(FmodErrorText(0), QStringLiteral("No errors"));
    EXPECT_EQ(FmodErrorText(12), QStringLiteral("Not enough memory "));
    EXPECT_EQ(FmodErrorText(19), QStringLiteral("An error occured trying to open the specified CD device"));
    EXPECT_EQ(FmodErrorText(20), QStringLiteral("Unknown error"));
    EXPECT_EQ(FmodErrorText(-1), QStringLiteral("Unknown error"));
}

TEST(ShutDown, RunsOnceAndClosesTheAudioLibraryLast)
{
    QTemporaryDir home;
    FakeAudioLibrary audio;
    RecordingWindows ui;
    Application app(AppPaths(home.path()), audio, ui, ui);
    ASSERT_TRUE(app.StartUp({}));
    EXPECT_EQ(audio.initRate(), 44100);
    EXPECT_EQ(audio.initMaxChannels(), 32);
    int ended = 0;
    QObject::connect(&app, &Application::ended, [&](int code) { ended++; EXPECT_EQ(code, 0); });
    app.ShutDown();
    app.ShutDown();
    EXPECT_EQ(ended, 1);
    EXPECT_FALSE(audio.initialized());
    EXPECT_TRUE(ui.log.contains(QStringLiteral("info Now Ending... Temporary Folder Deleting")));
}

} // namespace
