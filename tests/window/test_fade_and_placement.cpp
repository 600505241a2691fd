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

} // namespace
