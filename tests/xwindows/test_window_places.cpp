// Windows on a real X server with a window manager, where the window system
// decides places: Qt's idea of a window's place must be where it really is
// after the sizing windows, or menus open at the screen's corner and wrong
// places are saved.

#include "app/Application.h"
#include "app/ui/Windows.h"
#include "archive/LibArchiveArchiver.h"
#include "mainwindow/ui/MainSizeChangeWindow.h"
#include "mainwindow/ui/MainWindow.h"
#include "playlistwindow/ui/ListSizeChangeForm.h"
#include "playlistwindow/ui/PlaylistWindow.h"
#include "FakeAudioLibrary.h"
#include "GuiTestApp.h"
#include "QtPrinters.h"
#include "ScriptedMessageBox.h"

#include <QAction>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMenu>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void settle(int ms = 600)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

struct WindowPlaces : ::testing::Test {
    QTemporaryDir home;
    FakeAudioLibrary audio;
    ScriptedMessageBox box;
    LibArchiveArchiver archiver;
    Windows windows;
    std::unique_ptr<Application> app;

    void SetUp() override
    {
        guiTestApp();
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "needs an X server with a window manager (run through ctest)";
        app = std::make_unique<Application>(AppPaths(home.path(), QStringLiteral(VELMORA_SOURCE_DIR "/assets"), home.path()),
                                            PlatformServices{audio, box, archiver}, windows);
        QFile::link(QStringLiteral(VELMORA_SOURCE_DIR "/assets/Style"), home.path() + "/Style");
        windows.build(*app);
        ASSERT_TRUE(app->StartUp({}));
        windows.main().setGeometry(100, 100, 707, 23);
        settle(300);
    }
    void TearDown() override
    {
        if (app)
            app->ShutDown();
    }
};

TEST_F(WindowPlaces, ThePlaylistWindowStandsWhereItsSizingWindowSaid)
{
    PlaylistWindow &list = windows.playlist();
    list.show();
    list.setGeometry(100, 150, 600, 240);
    settle();
    list.showSizeWindow();
    settle();
    ASSERT_TRUE(list.sizeWindow());
    Q_EMIT list.sizeWindow()->sizeChosen(QRect(140, 190, 700, 300));
    settle();

    EXPECT_TRUE(list.isVisible());
    EXPECT_EQ(list.geometry(), QRect(140, 190, 700, 300));
    EXPECT_EQ(list.mapToGlobal(QPoint(0, 0)), QPoint(140, 190)) << "menus open relative to this";
    list.storeState();
    EXPECT_EQ(app->settings().pixels(SettingId::PlaylistLeft), 140);
    EXPECT_EQ(app->settings().pixels(SettingId::PlaylistTop), 190);
}

TEST_F(WindowPlaces, AWidthChangeKeepsTheMainWindowInPlaceAndTheDock)
{
    app->settings().setValue(SettingId::PlaylistAdsorption, 1);
    MainWindow &main = windows.main();
    windows.showPlaylistWindow();
    settle();
    for (int round = 0; round < 2; ++round) {
        main.popupMenu()->findChild<QAction *>(QStringLiteral("mnuWidthChange"))->trigger();
        settle();
        auto *sizer = main.findChild<MainSizeChangeWindow *>();
        ASSERT_TRUE(sizer);
        Q_EMIT sizer->applied(QRect(100, 100, 800, 23));
        settle();
        EXPECT_EQ(main.geometry(), QRect(100, 100, 800, 23)) << "round " << round;
        EXPECT_EQ(main.mapToGlobal(QPoint(0, 0)), QPoint(100, 100)) << "round " << round;
        EXPECT_EQ(windows.playlist().geometry().topLeft(), QPoint(100, 123)) << "docked below, round " << round;
        EXPECT_EQ(windows.playlist().width(), 800) << "round " << round;
    }
}

} // namespace
