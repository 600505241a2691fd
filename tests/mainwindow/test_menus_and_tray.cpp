// The main window's popup menu and the tray menu, entry by entry, the tray
// icon's behaviour, and what the windows do together: the work area after a
// drag, docking and fades. The program runs on the fake audio library with
// a fake tray.

#include "app/Application.h"
#include "app/ui/Windows.h"
#include "archive/LibArchiveArchiver.h"
#include "mainwindow/ui/MainSizeChangeWindow.h"
#include "mainwindow/ui/MainWindow.h"
#include "mainwindow/ui/TrayIcon.h"
#include "playback/RemoteControl.h"
#include "playlist/TrackList.h"
#include "playlistwindow/ui/PlaylistWindow.h"
#include "settings/SettingsDialogModel.h"
#include "settings/ui/SettingsDialog.h"
#include "window/WindowPlacement.h"
#include "window/ui/WindowFader.h"
#include "FakeAudioLibrary.h"
#include "FakeTray.h"
#include "GuiTestApp.h"
#include "QtPrinters.h"
#include "RecordingShell.h"
#include "ScriptedMessageBox.h"
#include "TestFiles.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>

namespace {

struct WindowsTest : ::testing::Test {
    QTemporaryDir home;
    FakeAudioLibrary audio;
    ScriptedMessageBox box;
    RecordingShell shell;
    LibArchiveArchiver archiver;
    FakeTray *tray = new FakeTray; // owned by the windows' tray icon
    Windows windows{std::unique_ptr<SystemTray>(tray)};
    std::unique_ptr<Application> app;

    void SetUp() override
    {
        guiTestApp();
        app = std::make_unique<Application>(AppPaths(home.path(), QStringLiteral(VELMORA_SOURCE_DIR "/assets"), home.path()),
                                            PlatformServices{audio, box, archiver, &shell}, windows);
        QFile::link(QStringLiteral(VELMORA_SOURCE_DIR "/assets/Style"), home.path() + "/Style");
        windows.build(*app);
        ASSERT_TRUE(app->StartUp({}));
        app->player().setPlayMode(Player::Normal);
        main().setGeometry(100, 100, 707, 23);
    }
    void TearDown() override
    {
        main().popupMenu()->hide();
        app->ShutDown();
        windows.hideAll();
    }

    MainWindow &main() { return windows.main(); }
    PlaylistWindow &playlist() { return windows.playlist(); }
    TrackList &list() { return app->trackList(); }
    QString addTrack(const QString &name)
    {
        const QString path = home.path() + "/music/" + name;
        touchFile(path);
        audio.addFile(path, 60000, 100000);
        list().appendRow(list().makeRow(path));
        list().RenumberList();
        return path;
    }
    void addTracks()
    {
        for (const char *name : {"a.mp3", "b.mp3", "c.mp3"})
            addTrack(QString::fromLatin1(name));
    }
    void play(int pos)
    {
        list().UnselectAll();
        list().setSelected(pos, true);
        app->player().PlaySelectedTrack();
    }
    QString playingName()
    {
        const int pos = list().PlayingNo();
        return pos ? QFileInfo(list().path(pos)).fileName() : QString();
    }
    bool settingsShown() { return windows.settings().isVisible(); }

    static void send(QWidget *w, QEvent::Type type, QPoint local, QPoint global, Qt::MouseButton button,
                     Qt::MouseButtons held)
    {
        QMouseEvent e(type, QPointF(local), QPointF(global), button, held, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
    // A left-button drag on `w`'s background from `local` by `by`.
    static void drag(QWidget *w, QPoint local, QPoint by)
    {
        const QPoint from = w->mapToGlobal(local);
        send(w, QEvent::MouseButtonPress, local, from, Qt::LeftButton, Qt::LeftButton);
        for (int step = 1; step <= 4; ++step)
            send(w, QEvent::MouseMove, local, from + by * step / 4, Qt::NoButton, Qt::LeftButton);
        send(w, QEvent::MouseButtonRelease, local, from + by, Qt::LeftButton, Qt::NoButton);
    }
    void pressMainButton(int b)
    {
        const QPoint p = main().layoutRects().buttons[std::size_t(b - 1)].center();
        send(&main(), QEvent::MouseButtonPress, p, main().mapToGlobal(p), Qt::LeftButton, Qt::LeftButton);
        send(&main(), QEvent::MouseButtonRelease, p, main().mapToGlobal(p), Qt::LeftButton, Qt::NoButton);
    }
};

struct EntryCase {
    const char *objectName;
    std::function<void(WindowsTest &)> arrange;
    std::function<void(WindowsTest &)> check;
};

void PrintTo(const EntryCase &e, std::ostream *os)
{
    *os << e.objectName;
}

void nothing(WindowsTest &) {}
void playFirst(WindowsTest &t)
{
    t.addTracks();
    t.play(1);
}
void playFirstThenSecond(WindowsTest &t)
{
    playFirst(t);
    t.app->player().AdvanceTrack();
}

// --- the main window's popup menu -----------------------------------------------------

struct MainMenuTest : WindowsTest, ::testing::WithParamInterface<EntryCase> {
};

const EntryCase mainMenuCases[] = {
    {"mnuForemost", nothing,
     [](WindowsTest &t) {
         EXPECT_TRUE(t.app->settings().isOn(SettingId::Foremost));
         EXPECT_TRUE(t.main().popupMenu()->findChild<QAction *>("mnuForemost")->isChecked());
         EXPECT_TRUE(t.main().windowFlags() & Qt::WindowStaysOnTopHint);
     }},
    {"mnuprevious", playFirstThenSecond, [](WindowsTest &t) { EXPECT_EQ(t.playingName(), "a.mp3"); }},
    {"mnudelskip", playFirst,
     [](WindowsTest &t) {
         EXPECT_EQ(t.list().count(), 2);
         EXPECT_EQ(t.playingName(), "b.mp3");
     }},
    {"mnuSetting", nothing, [](WindowsTest &t) { EXPECT_TRUE(t.settingsShown()); }},
    {"mnuTaskTray", nothing,
     [](WindowsTest &t) {
         EXPECT_TRUE(t.windows.inTray());
         EXPECT_TRUE(t.tray->shown);
         EXPECT_FALSE(t.main().isVisible());
     }},
    {"mnuWidthChange", nothing,
     [](WindowsTest &t) {
         auto *sizing = t.main().findChild<MainSizeChangeWindow *>();
         ASSERT_TRUE(sizing);
         EXPECT_TRUE(sizing->isVisible());
         EXPECT_FALSE(t.main().isVisible());
     }},
    {"mnuHelp", nothing,
     [](WindowsTest &t) {
         EXPECT_EQ(t.shell.calls, QStringList{QStringLiteral("open " VELMORA_SOURCE_DIR "/assets/manual.txt")});
     }},
    {"mnuExit", nothing, [](WindowsTest &t) { EXPECT_TRUE(t.app->isEnding()); }},
};

TEST_P(MainMenuTest, TriggeredFromThePopupRunsItsCommand)
{
    const EntryCase &e = GetParam();
    e.arrange(*this);
    // A right press on the background opens the menu.
    const QPoint background(2, 2);
    send(&main(), QEvent::MouseButtonPress, background, main().mapToGlobal(background), Qt::RightButton, Qt::RightButton);
    QMenu *menu = main().popupMenu();
    ASSERT_TRUE(menu->isVisible());
    QAction *action = menu->findChild<QAction *>(QString::fromLatin1(e.objectName));
    ASSERT_TRUE(action);
    ASSERT_TRUE(action->isEnabled());
    action->trigger();
    menu->hide();
    e.check(*this);
}

INSTANTIATE_TEST_SUITE_P(Entries, MainMenuTest, ::testing::ValuesIn(mainMenuCases),
                         [](const ::testing::TestParamInfo<EntryCase> &info) { return std::string(info.param.objectName); });

// --- the tray menu ---------------------------------------------------------------------

struct TrayMenuTest : WindowsTest, ::testing::WithParamInterface<EntryCase> {
};

const EntryCase trayMenuCases[] = {
    {"mnuplay",
     [](WindowsTest &t) {
         t.addTracks();
         t.list().setSelected(2, true);
     },
     [](WindowsTest &t) {
         EXPECT_EQ(t.playingName(), "b.mp3");
         EXPECT_EQ(t.tray->balloons.size(), 1) << "the new track shows in a balloon";
     }},
    {"mnupause", playFirst, [](WindowsTest &t) { EXPECT_TRUE(t.app->player().isPaused()); }},
    {"mnunext", playFirst, [](WindowsTest &t) { EXPECT_EQ(t.playingName(), "b.mp3"); }},
    {"mnuprevious", playFirstThenSecond, [](WindowsTest &t) { EXPECT_EQ(t.playingName(), "a.mp3"); }},
    {"mnudelskip", playFirst,
     [](WindowsTest &t) {
         EXPECT_EQ(t.list().count(), 2);
         EXPECT_EQ(t.playingName(), "b.mp3");
     }},
    {"mnuSetting", nothing, [](WindowsTest &t) { EXPECT_TRUE(t.settingsShown()); }},
    {"mnuTaskTray", nothing,
     [](WindowsTest &t) {
         EXPECT_FALSE(t.windows.inTray());
         EXPECT_FALSE(t.tray->shown);
         EXPECT_TRUE(t.main().isVisible());
     }},
    {"mnuExit", nothing, [](WindowsTest &t) { EXPECT_TRUE(t.app->isEnding()); }},
};

TEST_P(TrayMenuTest, TriggeredFromTheTrayRunsItsCommand)
{
    const EntryCase &e = GetParam();
    e.arrange(*this);
    windows.toggleTray();
    ASSERT_TRUE(tray->shown);
    ASSERT_TRUE(tray->contextMenu);
    QAction *action = tray->contextMenu->findChild<QAction *>(QString::fromLatin1(e.objectName));
    ASSERT_TRUE(action);
    ASSERT_TRUE(action->isEnabled());
    action->trigger();
    e.check(*this);
}

INSTANTIATE_TEST_SUITE_P(Entries, TrayMenuTest, ::testing::ValuesIn(trayMenuCases),
                         [](const ::testing::TestParamInfo<EntryCase> &info) { return std::string(info.param.objectName); });

TEST_F(WindowsTest, PlayWithNothingSelectedStartsTheFirstRow)
{
    const struct {
        const char *name;
        std::function<void(WindowsTest &)> play;
    } cases[] = {
        {"the tray menu's play entry",
         [](WindowsTest &t) {
             t.windows.toggleTray();
             ASSERT_TRUE(t.tray->contextMenu);
             t.tray->contextMenu->findChild<QAction *>("mnuplay")->trigger();
         }},
        {"the remote control's play",
         [](WindowsTest &t) {
             RemoteControl remote(t.app->player(), t.list(), t.audio);
             remote.play();
         }},
    };
    addTracks();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        app->player().StopPlayback();
        list().UnselectAll();
        c.play(*this);
        EXPECT_EQ(playingName(), "a.mp3");
        EXPECT_TRUE(app->player().isPlaying());
        if (windows.inTray())
            windows.toggleTray();
    }
}

TEST_F(WindowsTest, TheDisplayDragsTheMainWindowAndAClickStaysAClick)
{
    const QRect display = main().layoutRects().display;
    const QPoint time = display.topLeft() + main().layoutRects().time.center();
    const QPoint info = display.topLeft() + QPoint(10, 7);
    const struct {
        const char *name;
        QPoint grip, by;
        bool moves;
    } cases[] = {
        {"a drag from the track information", info, QPoint(37, 23), true},
        {"a drag from the time", time, QPoint(-40, 15), true},
        {"a drag from the background", QPoint(2, 2), QPoint(20, 20), true},
        {"a click on the time with a little jitter", time, QPoint(1, 1), false},
    };
    for (const auto &c : cases) {
        main().move(200, 200);
        const QPoint before = main().pos();
        const bool remaining = main().display().remainTimeMode();
        drag(&main(), c.grip, c.by);
        EXPECT_EQ(main().pos(), c.moves ? before + c.by : before) << c.name;
        // Only a click on the time switches between elapsed and remaining.
        EXPECT_EQ(main().display().remainTimeMode(), (c.grip == time && !c.moves) ? !remaining : remaining) << c.name;
    }
}

TEST_F(WindowsTest, ADoubleClickGoesToTheTrayOnlyWhenThePointerStayed)
{
    const struct {
        const char *name;
        QPoint firstBy;  // how far the first press dragged
        QPoint secondAt; // where the second press came, from the first
        bool toTray;
    } cases[] = {
        {"a double click in place", QPoint(0, 0), QPoint(0, 0), true},
        {"a drag and a quick click", QPoint(30, 0), QPoint(30, 0), false},
        {"the pointer moved between the clicks", QPoint(0, 0), QPoint(12, 0), false},
    };
    const QPoint grip(2, 2);
    for (const auto &c : cases) {
        main().move(200, 200);
        drag(&main(), grip, c.firstBy);
        const QPoint second = grip + c.secondAt - (main().pos() - QPoint(200, 200));
        const QPoint global = main().mapToGlobal(second);
        send(&main(), QEvent::MouseButtonPress, second, global, Qt::LeftButton, Qt::LeftButton);
        send(&main(), QEvent::MouseButtonDblClick, second, global, Qt::LeftButton, Qt::LeftButton);
        send(&main(), QEvent::MouseButtonRelease, second, global, Qt::LeftButton, Qt::NoButton);
        EXPECT_EQ(windows.inTray(), c.toTray) << c.name;
        if (windows.inTray())
            windows.toggleTray();
    }
}

TEST_F(WindowsTest, ARestartBringsThePlaylistWindowBackAsItWasLeft)
{
    const struct {
        const char *name;
        bool open;
        QPoint pulledBy; // a drag of the playlist window by the user; 0: stays docked
        bool docked;
    } cases[] = {
        {"closed stays closed", false, QPoint(0, 0), true},
        {"open and docked below the main window", true, QPoint(0, 0), true},
        // (wholly on the test's 800 x 600 screen: a window partly off it
        // comes back inside the screen)
        {"open at a place of its own", true, QPoint(-50, 200), false},
        {"put back near its docked place docks again", true, QPoint(6, 5), true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir otherHome;
        const QString at = otherHome.path();
        QFile::link(QStringLiteral(VELMORA_SOURCE_DIR "/assets/Style"), at + "/Style");
        QRect left; // the playlist window's place when the player ended
        {
            FakeAudioLibrary firstAudio;
            Windows first{std::unique_ptr<SystemTray>(new FakeTray)};
            Application run(AppPaths(at, QStringLiteral(VELMORA_SOURCE_DIR "/assets"), at),
                            PlatformServices{firstAudio, box, archiver, &shell}, first);
            first.build(run);
            ASSERT_TRUE(run.StartUp({}));
            run.settings().setValue(SettingId::PlaylistAdsorption, WindowPlacement::DockBelow);
            first.main().move(120, 100);
            if (c.open) {
                first.main().setPlaylistOpen(true);
                first.showPlaylistWindow();
            }
            if (!c.pulledBy.isNull())
                drag(&first.playlist(), QPoint(300, 2), c.pulledBy);
            left = first.playlist().geometry();
            run.ShutDown();
            first.hideAll();
        }
        FakeAudioLibrary secondAudio;
        Windows second{std::unique_ptr<SystemTray>(new FakeTray)};
        Application again(AppPaths(at, QStringLiteral(VELMORA_SOURCE_DIR "/assets"), at),
                          PlatformServices{secondAudio, box, archiver, &shell}, second);
        second.build(again);
        ASSERT_TRUE(again.StartUp({}));
        EXPECT_EQ(second.playlist().isVisible(), c.open);
        if (c.open) {
            const QRect main = second.main().geometry();
            EXPECT_EQ(second.playlist().pos(), c.docked ? QPoint(main.x(), main.bottom() + 1) : left.topLeft());
        }
        // An open window keeps following the main window only when docked.
        const QPoint was = second.playlist().pos();
        drag(&second.main(), QPoint(2, 2), QPoint(20, 30));
        if (c.open) {
            EXPECT_EQ(second.playlist().pos(), c.docked ? was + QPoint(20, 30) : was);
        }
        again.ShutDown();
        second.hideAll();
    }
}

TEST_F(WindowsTest, EveryEntryOfBothMenusHasACase)
{
    struct Menu {
        const char *name;
        QMenu *menu;
        const EntryCase *cases;
        std::size_t count;
    } menus[] = {
        {"main", main().popupMenu(), mainMenuCases, std::size(mainMenuCases)},
        {"tray", tray->contextMenu, trayMenuCases, std::size(trayMenuCases)},
    };
    for (const Menu &m : menus) {
        QStringList named, cases;
        for (QAction *a : m.menu->actions())
            if (!a->isSeparator())
                named << a->objectName();
        for (std::size_t i = 0; i < m.count; ++i)
            cases << QString::fromLatin1(m.cases[i].objectName);
        named.sort();
        cases.sort();
        EXPECT_EQ(named, cases) << m.name;
    }
}

// --- the tray icon ---------------------------------------------------------------------

TEST_F(WindowsTest, TrayIconTipBalloonsAndRestore)
{
    // A long title: the tip is cut to what the tray holds, on a character.
    const QString longInfo = QString(100, QChar(0x591C)) + QStringLiteral(" - Velmora"); // 3 bytes each
    windows.showTrackInfoText(longInfo);
    addTracks();
    windows.showPlaylistWindow();

    struct Step {
        const char *name;
        std::function<void()> act;
        bool inTray;
        int balloons;
    };
    const Step steps[] = {
        {"a track change outside the tray shows no balloon", [&] { play(1); }, false, 0},
        {"to the tray", [&] { windows.toggleTray(); }, true, 0},
        {"a track change in the tray shows one", [&] { app->player().AdvanceTrack(); }, true, 1},
        {"a click on the icon brings the windows back", [&] { tray->click(); }, false, 1},
        {"no balloons once back", [&] { app->player().AdvanceTrack(); }, false, 1},
    };
    for (const Step &s : steps) {
        s.act();
        EXPECT_EQ(windows.inTray(), s.inTray) << s.name;
        EXPECT_EQ(tray->shown, s.inTray) << s.name;
        EXPECT_EQ(main().isVisible(), !s.inTray) << s.name;
        EXPECT_EQ(playlist().isVisible(), !s.inTray) << s.name << ": the playlist window was open";
        EXPECT_EQ(tray->balloons.size(), s.balloons) << s.name;
    }

    windows.showTrackInfoText(longInfo);
    windows.toggleTray();
    const QByteArray tip = tray->tipText.toUtf8();
    EXPECT_LE(tip.size(), TrayIcon::TipBytes);
    EXPECT_GT(tip.size(), TrayIcon::TipBytes - 3) << "cut at the last whole character";
    EXPECT_TRUE(longInfo.startsWith(tray->tipText));
}

TEST_F(WindowsTest, WithoutATrayNothingGoesToTheTray)
{
    tray->available = false;
    windows.toggleTray();
    EXPECT_TRUE(main().isVisible());
    EXPECT_FALSE(tray->shown);
}

// --- the windows together ---------------------------------------------------------------

TEST_F(WindowsTest, ADragThatEndsOutsideTheWorkAreaIsPulledBack)
{
    const QRect work = main().screen()->availableGeometry();
    struct Case {
        const char *name;
        bool rule;
        QWidget *window;
        QPoint grip, by;
        std::function<QPoint(QRect)> expected; // from the window's place after the drag
    };
    playlist().show();
    playlist().move(200, 200);
    const Case cases[] = {
        {"main window past the right edge", true, &main(), QPoint(2, 2), QPoint(work.width(), 0),
         [&](QRect g) { return QPoint(work.right() + 1 - g.width(), g.y()); }},
        {"main window below the bottom", true, &main(), QPoint(2, 2), QPoint(0, work.height()),
         [&](QRect g) { return QPoint(g.x(), work.bottom() + 1 - g.height()); }},
        {"playlist window past the bottom right", true, &playlist(), QPoint(300, 2), QPoint(work.width(), work.height()),
         [&](QRect g) { return QPoint(work.right() + 1 - g.width(), work.bottom() + 1 - g.height()); }},
        {"with the option off it stays where it was put", false, &main(), QPoint(2, 2), QPoint(work.width(), 0),
         [&](QRect g) { return g.topLeft(); }},
    };
    for (const Case &c : cases) {
        app->settings().setValue(SettingId::MoveWorkArea, c.rule ? 1 : 0);
        c.window->move(50, 50);
        const QRect before = c.window->geometry();
        drag(c.window, c.grip, c.by);
        const QRect dropped = before.translated(c.by);
        EXPECT_EQ(c.window->pos(), c.expected(dropped)) << c.name;
    }
}

TEST_F(WindowsTest, ADockedPairIsPulledBackTogether)
{
    const QRect work = main().screen()->availableGeometry();
    app->settings().setValue(SettingId::MoveWorkArea, 1);
    main().move(100, 100);
    playlist().resize(600, 240);
    const struct {
        const char *name;
        int dock;
        QPoint by;
    } cases[] = {
        {"docked below, dragged past the bottom", WindowPlacement::DockBelow, QPoint(0, work.height())},
        {"docked above, dragged past the top", WindowPlacement::DockAbove, QPoint(0, -work.height())},
        {"docked below, dragged past the right edge", WindowPlacement::DockBelow, QPoint(work.width(), 0)},
    };
    for (const auto &c : cases) {
        app->settings().setValue(SettingId::PlaylistAdsorption, c.dock);
        main().move(100, 300);
        if (!playlist().isVisible())
            pressMainButton(5);
        ASSERT_TRUE(playlist().isVisible());
        drag(&main(), QPoint(2, 2), c.by);
        const QRect pair = main().frameGeometry().united(playlist().frameGeometry());
        EXPECT_TRUE(main().screen()->geometry().contains(pair)) << c.name;
        EXPECT_LE(pair.bottom(), work.bottom()) << c.name;
        EXPECT_LE(pair.right(), work.right()) << c.name;
        EXPECT_EQ(playlist().x(), main().x()) << c.name << ": still docked";
        EXPECT_EQ(playlist().y(), c.dock == WindowPlacement::DockBelow ? main().geometry().bottom() + 1
                                                                        : main().y() - playlist().height())
            << c.name;
    }
}

TEST_F(WindowsTest, TheSettingsDialogOpensWhollyOnTheScreen)
{
    const QRect work = main().screen()->availableGeometry();
    const struct {
        const char *name;
        QPoint at;
    } cases[] = {
        {"a negative saved place", QPoint(-900, -700)},
        {"past the bottom right", QPoint(work.right() - 20, work.bottom() - 10)},
        {"inside stays", QPoint(work.left() + 10, work.top() + 10)},
    };
    for (const auto &c : cases) {
        windows.settings().hide();
        windows.settings().move(c.at);
        windows.showSettingsDialog();
        const QRect frame = windows.settings().frameGeometry();
        EXPECT_TRUE(work.contains(frame)) << c.name;
        if (work.contains(QRect(c.at, frame.size()))) {
            EXPECT_EQ(frame.topLeft(), c.at) << c.name;
        }
    }
    windows.settings().hide();
}

TEST_F(WindowsTest, TheDockedPlaylistWindowFollowsTheMainWindow)
{
    const auto below = [](QRect m, QRect) { return QPoint(m.x(), m.bottom() + 1); };
    const auto above = [](QRect m, QRect l) { return QPoint(m.x(), m.y() - l.height()); };
    app->settings().setValue(SettingId::MoveWorkArea, 0);
    app->settings().setValue(SettingId::PlaylistAdsorption, WindowPlacement::DockBelow);
    main().move(120, 300);
    playlist().setGeometry(500, 20, 600, 240);
    pressMainButton(5); // opens the playlist window
    ASSERT_TRUE(playlist().isVisible());
    EXPECT_EQ(playlist().pos(), below(main().geometry(), playlist().geometry())) << "docked on opening";
    EXPECT_EQ(playlist().width(), main().width());

    struct Case {
        const char *name;
        int dock;
        std::function<QPoint(QRect main, QRect list)> expected;
    };
    const Case cases[] = {
        {"below", WindowPlacement::DockBelow, below},
        {"above", WindowPlacement::DockAbove, above},
        {"not docked: it stays", WindowPlacement::NoDock, [&](QRect, QRect l) { return l.topLeft(); }},
    };
    for (const Case &c : cases) {
        app->settings().setValue(SettingId::PlaylistAdsorption, c.dock);
        const QPoint mainBefore = main().pos();
        const QRect listBefore = playlist().geometry();
        drag(&main(), QPoint(2, 2), QPoint(37, 23));
        EXPECT_EQ(main().pos(), mainBefore + QPoint(37, 23)) << c.name;
        const QRect listNow = c.dock == WindowPlacement::NoDock ? listBefore : playlist().geometry();
        EXPECT_EQ(playlist().pos(), c.expected(main().geometry(), listNow)) << c.name << ", after the drag";
    }
}

TEST_F(WindowsTest, FadesRunAtTheSetSpeedAndEndHidden)
{
    auto *fader = playlist().findChild<WindowFader *>();
    ASSERT_TRUE(fader);
    struct Case {
        const char *name;
        int fade, speed;
    };
    const Case cases[] = {{"fades on, quick", 1, 2}, {"fades on, slower", 1, 5}, {"fades off", 0, 5}};
    for (const Case &c : cases) {
        app->settings().setValue(SettingId::Fade, c.fade);
        app->settings().setValue(SettingId::FadeSpeed, c.speed);
        EXPECT_EQ(fader->interval(), c.speed) << c.name;

        pressMainButton(5);
        EXPECT_TRUE(playlist().isVisible()) << c.name;
        EXPECT_EQ(fader->isFading(), c.fade == 1) << c.name << ": fading in";
        EXPECT_TRUE(QTest::qWaitFor([&] { return !fader->isFading(); }, 10000)) << c.name;
        const int setting = SettingsDialogModel::windowOpacity(app->settings(), TopWindow::Playlist);
        EXPECT_NEAR(playlist().windowOpacity() * 255, setting, 3.5) << c.name << ": faded in up to the setting";

        pressMainButton(5);
        EXPECT_EQ(playlist().isVisible(), c.fade == 1) << c.name << ": a fade-out still shows the window";
        EXPECT_TRUE(QTest::qWaitFor([&] { return !playlist().isVisible(); }, 10000)) << c.name;
        EXPECT_FALSE(fader->isFading()) << c.name;
    }
}

} // namespace
