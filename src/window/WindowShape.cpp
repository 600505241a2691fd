#include "window/WindowShape.h"

#include <QPainterPath>
#include <QPolygon>

QRegion RoundedOutline(const QSize &size, int corner)
{
    const QRect whole(QPoint(0, 0), size);
    if (corner <= 0 || size.isEmpty())
        return QRegion(whole);
    QPainterPath path;
    const qreal radius = qMin<qreal>(corner, qMin(size.width(), size.height())) / 2.0;
    path.addRoundedRect(QRectF(whole), radius, radius);
    return QRegion(path.toFillPolygon().toPolygon());
}
