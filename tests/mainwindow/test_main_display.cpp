#include "mainwindow/MainDisplay.h"
#include "mainwindow/MainLayout.h"

#include <gtest/gtest.h>

namespace {

const std::array<QSize, 5> buttons22 = {QSize(22, 17), QSize(22, 17), QSize(22, 17), QSize(22, 17), QSize(22, 17)};

TEST(MainLayout, ButtonsFromTheRightAndTheDisplayBesideThem)
{
    const MainLayout l = MainLayout::compute(707, buttons22);
    EXPECT_EQ(l.buttons[4].left(), 707 - 22 - 4);
    for (int i = 3; i >= 0; --i)
        EXPECT_EQ(l.buttons[i].left(), l.buttons[i + 1].left() - 22 - 1) << i;
    EXPECT_EQ(l.display, QRect(6, 4, l.buttons[0].left() - 13, 15));
    EXPECT_EQ(l.frame, QRect(5, 3, l.display.width() + 2, 17));
    const int end = 6 + l.display.width();
    EXPECT_EQ(l.meterLeft, (std::array<int, 3>{end - 21, end - 17, end - 13}));
    EXPECT_EQ(l.playMode.left(), end - 62);
    EXPECT_EQ(l.time.left(), end - 100);
    EXPECT_EQ(l.strip.width(), l.time.left() - 2);
    EXPECT_EQ(l.back.width(), 707);
}

TEST(MainLayout, WideningMovesEverythingOnTheRight)
{
    const MainLayout a = MainLayout::compute(600, buttons22);
    const MainLayout b = MainLayout::compute(640, buttons22);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(b.buttons[i].left() - a.buttons[i].left(), 40);
    EXPECT_EQ(b.display.width() - a.display.width(), 40);
    EXPECT_EQ(b.time.left() - a.time.left(), 40);
    EXPECT_EQ(b.strip.width() - a.strip.width(), 40);
    EXPECT_EQ(b.display.left(), a.display.left());
}

TEST(MainLayout, MissingButtonPicturesStillLayOut)
{
    const MainLayout l = MainLayout::compute(300, {});
    EXPECT_EQ(l.buttons[4], QRect(300 - 16 - 4, MainLayout::ButtonTop, 16, 16));
    EXPECT_GE(l.strip.width(), 0);
}

TEST(DispTime, Texts)
{
    struct Case { int time, length; bool remain; const char *text; };
    const Case cases[] = {
        {0, 0, false, "00:00"},       {59600, 0, false, "00:59"},     {60000, 0, false, "01:00"},
        {65400, 0, false, "01:05"},   {6000000, 0, false, "100:00"},  {0, 210000, true, "03:30"},
        {209500, 210000, true, "00:00"}, {1000, 210000, true, "03:29"}, {-5, 0, false, "00:00"},
    };
    for (const Case &c : cases) {
        MainDisplay d;
        if (c.remain)
            d.toggleRemainTimeMode();
        d.DispTime(c.time, c.length);
        EXPECT_EQ(d.timeText(), QString::fromLatin1(c.text)) << c.time;
    }
    MainDisplay twice;
    twice.toggleRemainTimeMode();
    twice.toggleRemainTimeMode();
    EXPECT_FALSE(twice.remainTimeMode());
}

TEST(TrackInfo, CentredByTheOldWidthThenScrollsAroundThroughTheTimeDisplay)
{
    MainDisplay d;
    d.setTextWidth([](const QString &t) { return int(t.size()) * 5; });
    d.setStripWidth(200);
    d.showIdle();
    EXPECT_EQ(d.trackInfo(), MainDisplay::IdleCaption);
    d.centreTrackInfo();
    const int idleWidth = d.trackInfoWidth();
    EXPECT_EQ(d.trackInfoLeft(), 100 - idleWidth / 2);

    d.ShowTrackInfo(QStringLiteral("  Song "), QStringLiteral(" Singer  "));
    EXPECT_EQ(d.trackInfo(), QStringLiteral("Song - Singer "));
    EXPECT_EQ(d.trackInfoLeft(), 100 - idleWidth / 2) << "centred by the width before the new text";

    // Scrolls 2 px a tick until the text has left the strip, then comes back at the time display.
    const int width = d.trackInfoWidth();
    int ticks = 0;
    while (d.trackInfoLeft() != 230 && ticks < 1000) {
        d.scrollTick(230);
        ++ticks;
    }
    EXPECT_LT(ticks, 1000);
    EXPECT_EQ(ticks, (d.stripWidth() / 2 - idleWidth / 2 + width) / 2 + 1);
}

TEST(LevelMeter, StepTable)
{
    struct Case { int step, bit, shown, next; };
    const Case cases[] = {{0, 0, 0, 1}, {0, 1, 0, 1}, {1, 1, 1, 2}, {1, 0, 0, 0},
                          {2, 1, 3, 3}, {2, 0, 1, 1}, {3, 0, 2, 2}, {3, 1, 2, 2}};
    for (const Case &c : cases) {
        MainDisplay d;
        // Walk to the wanted step with bits that lead there.
        const std::array<std::array<int, 3>, 3> route = {{{0, 0, 0}, {1, 1, 1}, {1, 1, 1}}};
        for (int s = 0; s < c.step; ++s)
            d.meterStep(route[s]);
        ASSERT_EQ(d.meterSteps()[0], c.step);
        d.meterStep({c.bit, c.bit, c.bit});
        EXPECT_EQ(d.meterShown()[0], c.shown) << c.step << "/" << c.bit;
        EXPECT_EQ(d.meterSteps()[0], c.next);
    }
}

TEST(LevelMeter, NeverJumpsFromNoneToAll)
{
    MainDisplay d;
    d.seedRandom(3);
    std::array<int, 3> before = d.meterShown();
    for (int i = 0; i < 5000; ++i) {
        d.MiniLevelMeter();
        const auto now = d.meterShown();
        for (int c = 0; c < 3; ++c) {
            EXPECT_FALSE(before[c] == 0 && now[c] == 3);
            EXPECT_LE(now[c], 3);
        }
        before = now;
    }
}

} // namespace
