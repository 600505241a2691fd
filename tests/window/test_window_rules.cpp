#include "window/WindowRules.h"

#include <gtest/gtest.h>

namespace {

TEST(WindowRules, KeepInWorkAreaPullsTheWindowInside)
{
    const QRect area(0, 0, 1000, 700); // a panel below: the work area ends at 700
    struct Case {
        const char *name;
        QRect window;
        QPoint expected;
    } cases[] = {
        {"inside stays", QRect(100, 100, 300, 200), QPoint(100, 100)},
        {"below the bottom", QRect(100, 650, 300, 200), QPoint(100, 500)},
        {"past the right", QRect(900, 100, 300, 200), QPoint(700, 100)},
        {"above and left", QRect(-40, -10, 300, 200), QPoint(0, 0)},
        {"taller than the area keeps its bottom inside", QRect(10, 10, 300, 900), QPoint(10, -200)},
    };
    for (const Case &c : cases)
        EXPECT_EQ(KeepInWorkArea(c.window, area), c.expected) << c.name;
    // A work area that does not start at the screen's corner (a panel on the left).
    EXPECT_EQ(KeepInWorkArea(QRect(10, 10, 100, 100), QRect(48, 0, 952, 700)), QPoint(48, 10));
}

TEST(WindowRules, RoundedOutlineCutsOnlyTheCorners)
{
    struct Case {
        int corner;
        QPoint point;
        bool inside;
    } cases[] = {
        {0, QPoint(0, 0), true},    {0, QPoint(99, 49), true},  {20, QPoint(0, 0), false},
        {20, QPoint(99, 49), false}, {20, QPoint(10, 10), true}, {20, QPoint(50, 0), true},
        {20, QPoint(0, 25), true},   {4, QPoint(0, 0), false},   {4, QPoint(2, 2), true},
    };
    for (const Case &c : cases)
        EXPECT_EQ(RoundedOutline(QSize(100, 50), c.corner).contains(c.point), c.inside)
            << c.corner << " at " << c.point.x() << "," << c.point.y();
}

} // namespace
