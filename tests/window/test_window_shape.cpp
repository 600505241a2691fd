#include "window/WindowShape.h"

#include <gtest/gtest.h>

namespace {

TEST(WindowShape, RoundedOutlineCutsOnlyTheCorners)
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
