#pragma once

#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QSize>

// `KeepInWorkArea`: where a window standing at `window` goes so that it lies
// inside `area`: pulled right and down past the area's left and top edges,
// then left and up inside its right and bottom edges (a window larger than
// the area keeps its right and bottom edges inside). Pixels.
QPoint KeepInWorkArea(const QRect &window, const QRect &area);

// The visible outline of a window of `size` with rounded corners whose
// ellipse is `corner` pixels wide and high; the whole rectangle for 0.
QRegion RoundedOutline(const QSize &size, int corner);
