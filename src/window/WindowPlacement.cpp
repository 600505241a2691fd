#include "window/WindowPlacement.h"

#include <algorithm>

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

QRect WorkAreaOf(const QRect &window, const QList<QRect> &areas)
{
    if (areas.isEmpty())
        return QRect();
    const QRect *best = &areas.first();
    qint64 bestShared = 0;
    for (const QRect &area : areas) {
        const QRect shared = window.intersected(area);
        const qint64 size = shared.isEmpty() ? 0 : qint64(shared.width()) * shared.height();
        if (size > bestShared) {
            bestShared = size;
            best = &area;
        }
    }
    return *best;
}

namespace {

// One edge range [start, start + length) moved inside [areaStart, areaStart + areaLength)
// by the least distance; the start edge wins where the range is longer.
int fitStart(int start, int length, int areaStart, int areaLength)
{
    return std::max(areaStart, std::min(start, areaStart + areaLength - length));
}

} // namespace

QRect FitInWorkArea(const QRect &window, const QRect &workArea, const QSize &minimum)
{
    if (workArea.isEmpty())
        return window;
    const int width = std::max(std::min(window.width(), workArea.width()), minimum.width());
    const int height = std::max(std::min(window.height(), workArea.height()), minimum.height());
    return QRect(fitStart(window.left(), width, workArea.left(), workArea.width()),
                 fitStart(window.top(), height, workArea.top(), workArea.height()), width, height);
}

DockedPair FitDockedPair(const QRect &main, const QRect &playlist, int dock, const QRect &workArea,
                         const QSize &mainMinimum, const QSize &playlistMinimum)
{
    if (workArea.isEmpty())
        return {main, SnapPlaylist(main, playlist, dock)};
    QRect m = main;
    m.setWidth(std::max(std::min(main.width(), workArea.width()), mainMinimum.width()));
    QRect p = playlist;
    p.setHeight(std::max(std::min(playlist.height(), workArea.height() - m.height()), playlistMinimum.height()));
    p = SnapPlaylist(m, p, dock);
    const QRect block = m.united(p);
    const QRect fitted = FitInWorkArea(block, workArea, block.size());
    const QPoint shift = fitted.topLeft() - block.topLeft();
    return {m.translated(shift), p.translated(shift)};
}

} // namespace WindowPlacement
