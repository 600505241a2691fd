#pragma once

#include <QList>
#include <QRect>
#include <QSize>

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

// `WorkAreaOf`: of the work areas of the connected screens (the primary
// screen's first), the one `window` overlaps most; the first when it
// overlaps none, as a place saved on a screen no longer connected. An empty
// rectangle when `areas` is empty (nothing known: nothing is moved).
QRect WorkAreaOf(const QRect &window, const QList<QRect> &areas);

// `FitInWorkArea`: a window the program places itself (restored from the
// settings, opened again) wholly inside `workArea`: first made no larger
// than the area (never smaller than `minimum`, which wins where the area is
// smaller still: the window then stands at the area's top left), then moved
// in by the least distance. A window that fits already keeps its place and
// size. An empty `workArea` leaves the window as it is.
QRect FitInWorkArea(const QRect &window, const QRect &workArea, const QSize &minimum = QSize(1, 1));

// The main window and the playlist window docked to it.
struct DockedPair {
    QRect main;
    QRect playlist;
};

// `FitDockedPair`: the docked pair placed as one block wholly inside
// `workArea`: the main window no wider than the area (nor narrower than
// `mainMinimum`), the playlist window docked to it by `dock` and no higher
// than what the area leaves beside the main window (nor lower than
// `playlistMinimum`), then the block moved in by the least distance.
DockedPair FitDockedPair(const QRect &main, const QRect &playlist, int dock, const QRect &workArea,
                         const QSize &mainMinimum, const QSize &playlistMinimum);

} // namespace WindowPlacement
