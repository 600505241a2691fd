#pragma once

#include <QRegion>
#include <QSize>

// The visible outline of a window of `size` with rounded corners whose
// ellipse is `corner` pixels wide and high; the whole rectangle for 0.
QRegion RoundedOutline(const QSize &size, int corner);
