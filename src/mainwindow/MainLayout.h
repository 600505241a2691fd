#pragma once

#include <QRect>
#include <QSize>

#include <array>

// Where everything of the main window sits, for a given inner width and the
// sizes of the five button pictures. Window elements are in window pixels;
// the elements inside the display (strip, time, play mode, meter columns) are
// in the display's own pixels.
struct MainLayout {
    static constexpr int ButtonCount = 5;
    static constexpr int DisplayTop = 4;
    static constexpr int DisplayLeft = 6;
    static constexpr int DisplayHeight = 15;
    static constexpr int TimeWidth = 32;
    static constexpr int PlayModeWidth = 37;
    static constexpr int ButtonTop = 3;
    // The main window's height (it is not stored; the width is).
    static constexpr int WindowHeight = 23;

    int innerWidth = 0;
    QRect back;                                 // background picture
    QRect display;                              // picDisplayImage
    QRect frame;                                // lblDisplayFrame: the display grown by one pixel
    std::array<QRect, ButtonCount> buttons;     // buttons 1..5 at index 0..4
    // Inside the display:
    QRect strip;                                // picTrackInfoBackImage
    QRect time;                                 // lblTimeInfo
    QRect playMode;                             // lblPlayMode
    std::array<int, 3> meterLeft{};             // left, centre, right meter columns

    // Runs the layout steps for `innerWidth` with the buttons' picture sizes
    // (an empty size counts as 16 x 16).
    static MainLayout compute(int innerWidth, const std::array<QSize, ButtonCount> &buttonSizes);
};
