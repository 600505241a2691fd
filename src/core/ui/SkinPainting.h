#pragma once

#include <QPoint>
#include <QRect>

class QImage;
class QPainter;
class QPixmap;
class QSize;
class QSizeF;

// Drawing skin pictures on any screen scale: nearest neighbour where the
// picture scales to the device by a whole factor, smoothed where it does
// not (see core/SkinScaling.h). The scale is read from the painter's device
// transform, so a window on a 2x screen, a grab of it and a 1x paint all
// follow the same rule. Text is never drawn through here: the painter
// draws it at the device's own resolution.

// Sets the painter's pixmap smoothing for a picture of `picture` pixels
// about to be drawn over `target` (in the painter's logical coordinates).
void setSkinScaling(QPainter &p, const QSize &picture, const QSizeF &target);

// The picture unscaled at `at` (scaled only by the screen's factor).
void drawSkinImage(QPainter &p, const QPoint &at, const QImage &image);
// The picture stretched over `target`.
void drawSkinImage(QPainter &p, const QRect &target, const QImage &image);
// The picture repeated over `target`, its first copy at `offset` of it.
void drawSkinTiles(QPainter &p, const QRect &target, const QPixmap &pixmap, const QPoint &offset);
