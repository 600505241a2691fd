#include "window/WindowRules.h"

#include <QPainterPath>
#include <QPolygon>

QPoint KeepInWorkArea(const QRect &window, const QRect &area)
{
    QPoint p = window.topLeft();
    if (p.y() < area.top())
        p.setY(area.top());
    if (p.x() < area.left())
        p.setX(area.left());
    if (p.y() + window.height() > area.top() + area.height())
        p.setY(area.top() + area.height() - window.height());
    if (p.x() + window.width() > area.left() + area.width())
        p.setX(area.left() + area.width() - window.width());
    return p;
}

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
