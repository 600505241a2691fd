#include "core/SkinScaling.h"

#include <gtest/gtest.h>

namespace {

TEST(SkinScaling, SmoothedUnlessBothDirectionsScaleByAWholeFactor)
{
    struct Case { const char *name; QSizeF picture; QSizeF device; bool smoothed; };
    const Case cases[] = {
        {"pixel for pixel", QSizeF(22, 17), QSizeF(22, 17), false},
        {"doubled", QSizeF(22, 17), QSizeF(44, 34), false},
        {"tripled", QSizeF(22, 17), QSizeF(66, 51), false},
        {"at 1.5", QSizeF(22, 17), QSizeF(33, 25.5), true},
        {"at 1.25", QSizeF(16, 16), QSizeF(20, 20), true},
        {"whole across, fractional down", QSizeF(10, 10), QSizeF(20, 15), true},
        {"a background stretched to 2.5x at 1x", QSizeF(100, 100), QSizeF(250, 100), true},
        {"shrunk to half", QSizeF(100, 100), QSizeF(50, 50), true},
        {"a whole factor with rounding noise", QSizeF(4, 4), QSizeF(8.0004, 8.0004), false},
        {"no picture", QSizeF(0, 0), QSizeF(10, 10), false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(SkinScaling::NeedsSmoothing(c.picture, c.device), c.smoothed) << c.name;
}

} // namespace
