#include "app/Application.h"
#include "archive/LibArchiveArchiver.h"
#include "core/ui/Fonts.h"
#include "app/ui/Windows.h"
#include "mainwindow/ui/MainSizeChangeWindow.h"
#include "mainwindow/ui/MainWindow.h"
#include "playlist/TrackList.h"
#include "FakeAudioLibrary.h"
#include "GuiTestApp.h"
#include "QtPrinters.h"
#include "RecordingShell.h"
#include "ScriptedMessageBox.h"
#include "WaitUntil.h"

#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <QToolTip>
#include <gtest/gtest.h>

namespace {

QApplication &qtApp()
{
    return guiTestApp();
}

struct MainWindowTest : ::testing::Test {
    QTemporaryDir home;
    FakeAudioLibrary audio;
    ScriptedMessageBox box;
    RecordingShell shell;
    LibArchiveArchiver archiver;
    Windows windows;
    std::unique_ptr<Application> app;

    void SetUp() override
    {
        qtApp();
        // The bundled style, as a built player finds it beside itself.
        app = std::make_unique<Application>(AppPaths(home.path(), QStringLiteral(VELMORA_SOURCE_DIR "/assets"), home.path()),
                                            PlatformServices{audio, box, archiver, &shell}, windows);
        QFile::link(QStringLiteral(VELMORA_SOURCE_DIR "/assets/Style"), home.path() + "/Style");
        windows.build(*app);
        ASSERT_TRUE(app->StartUp({}));
    }
    void TearDown() override
    {
        app->ShutDown();
        windows.hideAll();
    }
    MainWindow &main() { return windows.main(); }
    void addTrack(const QString &path, int lengthMs)
    {
        audio.addFile(path, lengthMs, -1,
                      {AudioLibrary::TagField{2, "TIT2", "夜明けのワルツ"}, AudioLibrary::TagField{2, "TPE1", "Velmora"}});
        app->trackList().appendRow(app->trackList().makeRow(path));
        app->trackList().RenumberList();
    }
    void mouse(QEvent::Type type, QPoint pos, Qt::MouseButton button = Qt::LeftButton)
    {
        QMouseEvent e(type, QPointF(pos), QPointF(main().mapToGlobal(pos)), button,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button), Qt::NoModifier);
        QApplication::sendEvent(&main(), &e);
    }
    void move(QPoint pos)
    {
        QMouseEvent e(QEvent::MouseMove, QPointF(pos), QPointF(main().mapToGlobal(pos)), Qt::NoButton, Qt::NoButton,
                      Qt::NoModifier);
        QApplication::sendEvent(&main(), &e);
    }
    QPoint buttonCentre(int b) { return main().layoutRects().buttons[std::size_t(b - 1)].center(); }
};

TEST_F(MainWindowTest, StartsAtTheDefaultPlaceAndSize)
{
    EXPECT_EQ(main().geometry(), QRect(67, 67, 707, 23));
    EXPECT_TRUE(main().isVisible());
    EXPECT_EQ(main().display().trackInfo(), MainDisplay::IdleCaption);
}

TEST_F(MainWindowTest, LayoutFollowsResizes)
{
    const MainLayout before = main().layoutRects();
    main().resize(main().width() + 40, main().height());
    const MainLayout after = main().layoutRects();
    for (int b = 0; b < 5; ++b)
        EXPECT_EQ(after.buttons[b].left() - before.buttons[b].left(), 40);
    EXPECT_EQ(after.display.width() - before.display.width(), 40);
    EXPECT_EQ(main().display().stripWidth(), after.strip.width());
}

TEST_F(MainWindowTest, ButtonPicturesFollowThePointer)
{
    move(buttonCentre(2));
    EXPECT_EQ(main().buttonState(1), Style::Hover);
    move(QPoint(2, 2)); // the background
    EXPECT_EQ(main().buttonState(1), Style::Normal);
    mouse(QEvent::MouseButtonPress, buttonCentre(3));
    EXPECT_EQ(main().buttonState(2), Style::Pressed);
    mouse(QEvent::MouseButtonRelease, buttonCentre(3));
    EXPECT_EQ(main().buttonState(2), Style::Normal);
}

TEST_F(MainWindowTest, ButtonsNameThemselvesInTips)
{
    struct Case {
        const char *name;
        std::function<QPoint()> where;
        const char *tip; // empty: none
    } cases[] = {
        {"play", [&] { return buttonCentre(1); }, "Play"},
        {"pause", [&] { return buttonCentre(2); }, "Pause"},
        {"stop", [&] { return buttonCentre(3); }, "Stop"},
        {"next", [&] { return buttonCentre(4); }, "Next"},
        {"playlist window", [&] { return buttonCentre(5); }, "Playlist"},
        {"the display", [&] { return main().layoutRects().display.center(); }, ""},
    };
    main().show();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QPoint pos = c.where();
        QHelpEvent help(QEvent::ToolTip, pos, main().mapToGlobal(pos));
        QApplication::sendEvent(&main(), &help);
        const QString expected = QString::fromLatin1(c.tip);
        EXPECT_TRUE(waitUntil([&] { return expected.isEmpty() ? !QToolTip::isVisible() : QToolTip::text() == expected; }))
            << QToolTip::text().toStdString();
        EXPECT_EQ(main().toolTipAt(pos), expected);
    }
    QToolTip::hideText();
}

TEST_F(MainWindowTest, PlaylistButtonLatchesWhileTheWindowIsOpen)
{
    int toggles = 0;
    bool open = false;
    QObject::connect(&main(), &MainWindow::playlistWindowToggled, [&](bool o) { ++toggles; open = o; });
    mouse(QEvent::MouseButtonPress, buttonCentre(5));
    mouse(QEvent::MouseButtonRelease, buttonCentre(5));
    EXPECT_TRUE(open);
    move(buttonCentre(5));
    EXPECT_EQ(main().buttonState(4), Style::Pressed) << "hovering keeps the pressed picture";
    move(QPoint(2, 2));
    EXPECT_EQ(main().buttonState(4), Style::Pressed) << "leaving keeps it too";
    mouse(QEvent::MouseButtonPress, buttonCentre(5));
    EXPECT_FALSE(open);
    EXPECT_EQ(toggles, 2);
}

TEST_F(MainWindowTest, ButtonsPlayPauseStopAndNext)
{
    app->player().setPlayMode(Player::Normal);
    addTrack(home.path() + "/a.mp3", 4000);
    addTrack(home.path() + "/b.mp3", 4000);
    app->trackList().setSelected(1, true);
    mouse(QEvent::MouseButtonPress, buttonCentre(1));
    EXPECT_EQ(app->trackList().PlayingNo(), 1);
    EXPECT_TRUE(app->player().isTicking());
    EXPECT_EQ(main().display().trackInfo(), QStringLiteral("夜明けのワルツ - Velmora "));

    audio.advance(1500);
    app->player().tick();
    EXPECT_EQ(main().display().timeText(), QStringLiteral("00:01"));

    mouse(QEvent::MouseButtonPress, buttonCentre(2));
    EXPECT_TRUE(app->player().isPaused());
    EXPECT_FALSE(app->player().isTicking());
    mouse(QEvent::MouseButtonPress, buttonCentre(2));
    EXPECT_FALSE(app->player().isPaused());

    mouse(QEvent::MouseButtonPress, buttonCentre(4));
    EXPECT_EQ(app->trackList().PlayingNo(), 2);

    mouse(QEvent::MouseButtonPress, buttonCentre(3));
    EXPECT_EQ(app->trackList().PlayingNo(), 0);
    EXPECT_EQ(main().display().trackInfo(), MainDisplay::IdleCaption);
    EXPECT_FALSE(app->player().isTicking());
}

TEST_F(MainWindowTest, TheMainTimerMovesOnAtTheEndOfATrack)
{
    app->player().setPlayMode(Player::Normal);
    addTrack(home.path() + "/a.mp3", 2000);
    addTrack(home.path() + "/b.mp3", 2000);
    app->trackList().setSelected(1, true);
    app->player().PlaySelectedTrack();
    audio.advance(2100);
    app->player().tick();
    EXPECT_EQ(app->trackList().PlayingNo(), 2);
}

TEST_F(MainWindowTest, DisplayClicks)
{
    const QPoint display = main().layoutRects().display.topLeft();
    const QPoint time = display + main().layoutRects().time.center();
    mouse(QEvent::MouseButtonPress, time);
    mouse(QEvent::MouseButtonRelease, time);
    EXPECT_TRUE(main().display().remainTimeMode());

    const int mode = app->player().PlayMode();
    const QPoint label = display + main().layoutRects().playMode.center();
    mouse(QEvent::MouseButtonPress, label);
    mouse(QEvent::MouseButtonRelease, label);
    EXPECT_EQ(app->player().PlayMode(), (mode + 1) % 5);

    const QPoint info = display + QPoint(10, 7);
    mouse(QEvent::MouseButtonPress, info);
    mouse(QEvent::MouseButtonRelease, info);
    EXPECT_TRUE(main().scrollTimerEnabled());
    EXPECT_EQ(app->settings().value(SettingId::Scroll), 1);
    mouse(QEvent::MouseButtonPress, info);
    mouse(QEvent::MouseButtonRelease, info);
    EXPECT_FALSE(main().scrollTimerEnabled());
    EXPECT_EQ(app->settings().value(SettingId::Scroll), 0);
}

TEST_F(MainWindowTest, PopupMenuEntriesInOrder)
{
    QStringList texts;
    for (QAction *a : main().popupMenu()->actions())
        texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(texts, (QStringList{"常に手前表示", "-", "前のトラック(&B)", "デリートスキップ(&D)", "-", "設定(&S)",
                                  "タスクトレイ(&T)", "サイズ調整(&C)", "ヘルプ(&H)", "終了(&E)"}));
    for (QAction *a : main().popupMenu()->actions()) {
        if (a->text() == QStringLiteral("ヘルプ(&H)")) {
            a->trigger();
            EXPECT_EQ(shell.calls, QStringList{QStringLiteral("open " VELMORA_SOURCE_DIR "/assets/manual.txt")});
        }
        if (a->text() == QStringLiteral("常に手前表示")) {
            a->trigger();
            EXPECT_TRUE(app->settings().isOn(SettingId::Foremost));
            EXPECT_TRUE(a->isChecked());
            EXPECT_TRUE(main().windowFlags() & Qt::WindowStaysOnTopHint);
            a->trigger();
            EXPECT_FALSE(main().windowFlags() & Qt::WindowStaysOnTopHint);
        }
    }
}

TEST(MainSizeChange, NeverNarrowerThan8000Twips)
{
    EXPECT_EQ(MainSizeChangeWindow::appliedGeometry(QRect(5, 6, 100, 23), 23), QRect(5, 6, 533, 23));
    EXPECT_EQ(MainSizeChangeWindow::appliedGeometry(QRect(5, 6, 900, 23), 23), QRect(5, 6, 900, 23));
}

// Writes the idle and the playing main window into one picture for the
// documentation when VELMORA_SCREENSHOT_DIR is set.
TEST_F(MainWindowTest, Screenshot)
{
    const QString dir = qEnvironmentVariable("VELMORA_SCREENSHOT_DIR");
    if (dir.isEmpty())
        GTEST_SKIP() << "set VELMORA_SCREENSHOT_DIR to write docs/screenshots/main-window.png";
    const QImage idle = main().grab().toImage();
    addTrack(home.path() + "/a.mp3", 213000);
    app->trackList().setSelected(1, true);
    app->player().PlaySelectedTrack();
    audio.advance(83000);
    for (int i = 0; i < 3; ++i)
        app->player().tick();
    const QImage playing = main().grab().toImage();
    QImage sheet(idle.width() + 20, idle.height() * 2 + 30, QImage::Format_RGB32);
    sheet.fill(QColor(0xe8, 0xe8, 0xe8));
    QPainter p(&sheet);
    p.drawImage(10, 10, idle);
    p.drawImage(10, 20 + idle.height(), playing);
    p.end();
    ASSERT_TRUE(sheet.scaled(sheet.size() * 2).save(dir + "/main-window.png"));
}

} // namespace
