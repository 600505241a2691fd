#pragma once

#include <QRect>

// Where windows may stand and where the playlist window docks. Rectangles
// are whole windows in global pixels.
namespace WindowPlacement {

// `KeepInWorkArea`: pulls `window` back so that it ends above the bottom and
// left of the right edge of `workArea` (the screen without panels). Its
// left and top edges are limited by the screen's own (`screen`), so a
// window may stand under a panel on the left or top, never off the screen.
QRect KeepInWorkArea(const QRect &window, const QRect &screen, const QRect &workArea);

// The docking choices of the playlist window.
enum Dock { NoDock = 0, DockBelow = 1, DockAbove = 2 };

// `SnapPlaylist`: the playlist window directly below (DockBelow) or above
// (any other choice) the main window, as wide as it and at its left; its
// height stays. Docking never applies the work-area rule.
QRect SnapPlaylist(const QRect &mainWindow, const QRect &playlist, int dock);

} // namespace WindowPlacement
