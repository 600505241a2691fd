#include "mainwindow/MainLayout.h"

MainLayout MainLayout::compute(int innerWidth, const std::array<QSize, ButtonCount> &buttonSizes)
{
    MainLayout l;
    l.innerWidth = innerWidth;
    l.back = QRect(0, 0, innerWidth, WindowHeight);

    // Buttons from the right: button 5 four pixels from the edge, each other
    // one pixel left of its right-hand neighbour.
    int right = innerWidth - 4;
    for (int i = ButtonCount - 1; i >= 0; --i) {
        const QSize s = buttonSizes[std::size_t(i)].isEmpty() ? QSize(16, 16) : buttonSizes[std::size_t(i)];
        const int left = right - s.width() - (i == ButtonCount - 1 ? 0 : 1);
        l.buttons[std::size_t(i)] = QRect(left, ButtonTop, s.width(), s.height());
        right = left;
    }

    l.display = QRect(DisplayLeft, DisplayTop, l.buttons[0].left() - 13, DisplayHeight);
    l.frame = l.display.adjusted(-1, -1, 1, 1);

    // Inside the display, measured from the display's left edge as the
    // window sees it.
    const int end = l.display.left() + l.display.width();
    l.meterLeft = {end - 21, end - 17, end - 13};
    const int modeLeft = end - 62;
    const int timeLeft = modeLeft - 38;
    l.playMode = QRect(modeLeft, 0, PlayModeWidth, DisplayHeight);
    l.time = QRect(timeLeft, 0, TimeWidth, DisplayHeight);
    l.strip = QRect(0, 0, qMax(0, timeLeft - 2), DisplayHeight);
    return l;
}
