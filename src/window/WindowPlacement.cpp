#include "window/WindowPlacement.h"

namespace WindowPlacement {

QRect KeepInWorkArea(const QRect &window, const QRect &screen, const QRect &workArea)
{
    QRect r = window;
    if (r.top() < screen.top())
        r.moveTop(screen.top());
    if (r.left() < screen.left())
        r.moveLeft(screen.left());
    // QRect's right and bottom are inclusive: the window ends on the work
    // area's last row and column at most.
    if (r.top() + r.height() > workArea.top() + workArea.height())
        r.moveTop(workArea.top() + workArea.height() - r.height());
    if (r.left() + r.width() > workArea.left() + workArea.width())
        r.moveLeft(workArea.left() + workArea.width() - r.width());
    return r;
}

QRect SnapPlaylist(const QRect &mainWindow, const QRect &playlist, int dock)
{
    QRect r = playlist;
    r.moveTop(dock == DockBelow ? mainWindow.top() + mainWindow.height() : mainWindow.top() - playlist.height());
    r.moveLeft(mainWindow.left());
    r.setWidth(mainWindow.width());
    return r;
}

} // namespace WindowPlacement
