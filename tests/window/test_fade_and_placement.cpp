#include "window/Fade.h"
#include "window/WindowPlacement.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Every opacity a fade gives the window, until it finishes.
std::vector<int> run(Fade &fade, int setting)
{
    std::vector<int> shown;
    for (int guard = 0; guard < 1000; ++guard) {
        const Fade::Step s = fade.tick(setting);
        shown.push_back(s.opacity);
        if (s.finished)
            break;
    }
    return shown;
}

TEST(Fade, InAndOutInStepsOfThree)
{
    struct Case { const char *name; bool in; int setting; size_t steps; int first; int last; };
    const Case cases[] = {
        {"in to opaque: 85 steps", true, 255, 85, 0, 252},
        {"in to 100 stops once the counter reaches 102", true, 100, 34, 0, 99},
        {"in to the lowest setting", true, 5, 2, 0, 3},
        {"out from opaque ends at 3", false, 255, 84, 255, 6},
        {"out from 100", false, 100, 33, 100, 4},
    };
    for (const Case &c : cases) {
        Fade fade;
        if (c.in)
            fade.startIn();
        else
            fade.startOut(c.setting);
        const std::vector<int> shown = run(fade, c.setting);
        EXPECT_EQ(shown.size(), c.steps) << c.name;
        EXPECT_EQ(shown.front(), c.first) << c.name;
        EXPECT_EQ(shown.back(), c.last) << c.name;
        EXPECT_EQ(fade.state(), Fade::State::Idle) << c.name;
    }
}

TEST(Fade, ANewFadeOverwritesTheRunningOne)
{
    Fade fade;
    fade.startIn();
    fade.tick(255);
    fade.tick(255);
    fade.startOut(255);
    EXPECT_EQ(fade.tick(255).opacity, 255);
    EXPECT_EQ(fade.state(), Fade::State::Out);
}

TEST(WindowPlacement, KeepInWorkArea)
{
    // A 1280x800 screen with a 30-pixel panel at the bottom and one of 40 on the left.
    const QRect screen(0, 0, 1280, 800);
    const QRect work(40, 0, 1240, 770);
    struct Case { const char *name; QRect window; QRect expected; };
    const Case cases[] = {
        {"inside stays", QRect(100, 100, 300, 200), QRect(100, 100, 300, 200)},
        {"below the bottom sits on the panel", QRect(100, 700, 300, 200), QRect(100, 570, 300, 200)},
        {"right of the screen comes back", QRect(1200, 10, 300, 200), QRect(980, 10, 300, 200)},
        {"above and left of the screen", QRect(-50, -20, 300, 200), QRect(0, 0, 300, 200)},
        {"under the left panel is allowed", QRect(10, 10, 300, 200), QRect(10, 10, 300, 200)},
        {"exactly on the last pixel", QRect(980, 570, 300, 200), QRect(980, 570, 300, 200)},
    };
    for (const Case &c : cases)
        EXPECT_EQ(WindowPlacement::KeepInWorkArea(c.window, screen, work), c.expected) << c.name;
}

TEST(WindowPlacement, SnapPlaylistBelowOrAbove)
{
    const QRect main(200, 10, 707, 23);
    const QRect playlist(500, 500, 600, 240);
    EXPECT_EQ(WindowPlacement::SnapPlaylist(main, playlist, WindowPlacement::DockBelow), QRect(200, 33, 707, 240));
    // Above a main window near the top: partly off the screen, as docking never clamps.
    EXPECT_EQ(WindowPlacement::SnapPlaylist(main, playlist, WindowPlacement::DockAbove), QRect(200, -230, 707, 240));
}

TEST(WindowPlacement, WorkAreaOfTheScreenAWindowStandsOnMost)
{
    // The primary screen first, a second one to its right and a third below.
    const QList<QRect> areas = {QRect(0, 0, 1280, 770), QRect(1280, 0, 1920, 1200), QRect(0, 800, 1280, 1024)};
    struct Case { const char *name; QRect window; QRect expected; };
    const Case cases[] = {
        {"wholly on the primary screen", QRect(100, 100, 300, 200), areas[0]},
        {"wholly on the second", QRect(1500, 100, 300, 200), areas[1]},
        {"across two: the one with more of it", QRect(1180, 100, 300, 200), areas[1]},
        {"on no screen any more: the primary", QRect(4000, 3000, 300, 200), areas[0]},
        {"in the panel's strip only: the primary", QRect(100, 775, 300, 20), areas[0]},
        {"on the third, below", QRect(100, 1000, 300, 200), areas[2]},
    };
    for (const Case &c : cases)
        EXPECT_EQ(WindowPlacement::WorkAreaOf(c.window, areas), c.expected) << c.name;
    EXPECT_EQ(WindowPlacement::WorkAreaOf(QRect(1, 1, 10, 10), {}), QRect()) << "no screens known";
}

TEST(WindowPlacement, FitInWorkArea)
{
    // A 1280x800 screen at 2x: 640x400 logical, with a 15-pixel panel at the bottom.
    const QRect work(0, 0, 640, 385);
    struct Case { const char *name; QRect window; QSize minimum; QRect expected; };
    const Case cases[] = {
        {"inside keeps its place and size", QRect(10, 20, 300, 200), QSize(1, 1), QRect(10, 20, 300, 200)},
        {"on the last pixel stays", QRect(340, 185, 300, 200), QSize(1, 1), QRect(340, 185, 300, 200)},
        {"saved at the bottom right of a bigger screen", QRect(1500, 1100, 707, 23), QSize(100, 23), QRect(0, 362, 640, 23)},
        {"partly below the panel comes up", QRect(100, 300, 300, 200), QSize(1, 1), QRect(100, 185, 300, 200)},
        {"left of and above the screen", QRect(-50, -20, 300, 200), QSize(1, 1), QRect(0, 0, 300, 200)},
        {"higher than the area is made as high", QRect(50, 50, 300, 900), QSize(1, 1), QRect(50, 0, 300, 385)},
        {"the minimum wins over the area, at the top left", QRect(200, 200, 900, 500), QSize(700, 450), QRect(0, 0, 700, 450)},
    };
    for (const Case &c : cases)
        EXPECT_EQ(WindowPlacement::FitInWorkArea(c.window, work, c.minimum), c.expected) << c.name;
    EXPECT_EQ(WindowPlacement::FitInWorkArea(QRect(5000, 0, 10, 10), QRect()), QRect(5000, 0, 10, 10)) << "no area known";
}

TEST(WindowPlacement, FitDockedPairMovesAsOneBlock)
{
    const QRect work(0, 0, 640, 385);
    const QSize mainMinimum(100, 23);
    const QSize listMinimum(100, 60);
    using WindowPlacement::DockAbove;
    using WindowPlacement::DockBelow;
    struct Case { const char *name; QRect main; QRect playlist; int dock; QRect mainExpected; QRect playlistExpected; };
    const Case cases[] = {
        {"inside stays docked as it was", QRect(10, 10, 500, 23), QRect(10, 33, 500, 200), DockBelow,
         QRect(10, 10, 500, 23), QRect(10, 33, 500, 200)},
        {"docked below past the bottom: the main window comes up", QRect(10, 300, 500, 23), QRect(10, 323, 500, 200),
         DockBelow, QRect(10, 162, 500, 23), QRect(10, 185, 500, 200)},
        {"docked above past the top: the main window goes down", QRect(10, 50, 500, 23), QRect(10, -150, 500, 200),
         DockAbove, QRect(10, 200, 500, 23), QRect(10, 0, 500, 200)},
        {"saved on a bigger screen: narrowed, lowered and pulled in", QRect(1500, 1100, 707, 23),
         QRect(1500, 1123, 707, 500), DockBelow, QRect(0, 0, 640, 23), QRect(0, 23, 640, 362)},
        {"a playlist left at another place joins the main window", QRect(100, 100, 500, 23), QRect(400, 5, 300, 100),
         DockBelow, QRect(100, 100, 500, 23), QRect(100, 123, 500, 100)},
        {"a playlist higher than the area leaves is made lower", QRect(0, 0, 500, 23), QRect(0, 23, 500, 400), DockBelow,
         QRect(0, 0, 500, 23), QRect(0, 23, 500, 362)},
    };
    for (const Case &c : cases) {
        const WindowPlacement::DockedPair pair =
            WindowPlacement::FitDockedPair(c.main, c.playlist, c.dock, work, mainMinimum, listMinimum);
        EXPECT_EQ(pair.main, c.mainExpected) << c.name;
        EXPECT_EQ(pair.playlist, c.playlistExpected) << c.name;
    }
    const WindowPlacement::DockedPair small =
        WindowPlacement::FitDockedPair(QRect(0, 50, 500, 23), QRect(0, 73, 500, 400), DockBelow, QRect(0, 0, 640, 70),
                                       mainMinimum, listMinimum);
    EXPECT_EQ(small.playlist.height(), 60) << "never lower than its minimum";
    EXPECT_EQ(small.main.topLeft(), QPoint(0, 0)) << "a block higher than the area stands at its top";
}

} // namespace
