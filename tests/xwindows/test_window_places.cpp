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
#include "WaitUntil.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QTemporaryDir>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

// The window is mapped and the window manager shows it.
bool exposed(const QWidget *w)
{
    return w && w->isVisible() && w->windowHandle() && w->windowHandle()->isExposed();
}

// The window stands at `place` in the X server's eyes (mapToGlobal asks the
// server) and in Qt's: the window manager has acted on the last request.
bool standsAt(const QWidget &w, const QRect &place)
{
    return w.geometry() == place && w.mapToGlobal(QPoint(0, 0)) == place.topLeft();
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
        ASSERT_TRUE(waitUntil([&] { return exposed(&windows.main()) && standsAt(windows.main(), QRect(100, 100, 707, 23)); }))
            << "the main window never stood in its place";
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
    ASSERT_TRUE(waitUntil([&] { return exposed(&list) && standsAt(list, QRect(100, 150, 600, 240)); }));
    list.showSizeWindow();
    ASSERT_TRUE(waitUntil([&] { return exposed(list.sizeWindow()); })) << "no sizing window";
    Q_EMIT list.sizeWindow()->sizeChosen(QRect(140, 190, 700, 300));
    waitUntil([&] { return standsAt(list, QRect(140, 190, 700, 300)); }); // checked below

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
    ASSERT_TRUE(waitUntil([&] { return exposed(&windows.playlist()); }));
    for (int round = 0; round < 2; ++round) {
        main.popupMenu()->findChild<QAction *>(QStringLiteral("mnuWidthChange"))->trigger();
        MainSizeChangeWindow *sizer = nullptr;
        ASSERT_TRUE(waitUntil([&] {
            sizer = main.findChild<MainSizeChangeWindow *>();
            return exposed(sizer);
        })) << "no sizing window, round " << round;
        Q_EMIT sizer->applied(QRect(100, 100, 800, 23));
        waitUntil([&] { // checked below
            return standsAt(main, QRect(100, 100, 800, 23)) && windows.playlist().geometry().topLeft() == QPoint(100, 123)
                && windows.playlist().mapToGlobal(QPoint(0, 0)) == QPoint(100, 123);
        });
        EXPECT_EQ(main.geometry(), QRect(100, 100, 800, 23)) << "round " << round;
        EXPECT_EQ(main.mapToGlobal(QPoint(0, 0)), QPoint(100, 100)) << "round " << round;
        EXPECT_EQ(windows.playlist().geometry().topLeft(), QPoint(100, 123)) << "docked below, round " << round;
        EXPECT_EQ(windows.playlist().width(), 800) << "round " << round;
    }
}

} // namespace
