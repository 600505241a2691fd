#include "core/ui/SkinPainting.h"

#include "core/SkinScaling.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>

#include <cmath>

void setSkinScaling(QPainter &p, const QSize &picture, const QSizeF &target)
{
    const QTransform t = p.deviceTransform();
    // The length of a logical unit on the device in each direction (the
    // device pixel ratio, times any scaling the painter applies itself).
    const qreal sx = std::hypot(t.m11(), t.m12());
    const qreal sy = std::hypot(t.m21(), t.m22());
    const QSizeF device(target.width() * sx, target.height() * sy);
    p.setRenderHint(QPainter::SmoothPixmapTransform, SkinScaling::NeedsSmoothing(QSizeF(picture), device));
}

void drawSkinImage(QPainter &p, const QPoint &at, const QImage &image)
{
    if (image.isNull())
        return;
    const QSizeF logical = QSizeF(image.size()) / image.devicePixelRatio();
    setSkinScaling(p, image.size(), logical);
    p.drawImage(at, image);
}

void drawSkinImage(QPainter &p, const QRect &target, const QImage &image)
{
    if (image.isNull())
        return;
    setSkinScaling(p, image.size(), QSizeF(target.size()));
    p.drawImage(target, image);
}

void drawSkinTiles(QPainter &p, const QRect &target, const QPixmap &pixmap, const QPoint &offset)
{
    if (pixmap.isNull())
        return;
    setSkinScaling(p, pixmap.size(), QSizeF(pixmap.size()) / pixmap.devicePixelRatio());
    p.drawTiledPixmap(target, pixmap, offset);
}
