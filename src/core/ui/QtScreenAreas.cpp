#include "core/ui/QtScreenAreas.h"

#include <QGuiApplication>
#include <QScreen>

QList<QRect> QtScreenAreas::availableAreas() const
{
    QList<QRect> areas;
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return areas;
    QScreen *primary = QGuiApplication::primaryScreen();
    if (primary)
        areas.append(primary->availableGeometry());
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (QScreen *screen : screens)
        if (screen != primary)
            areas.append(screen->availableGeometry());
    return areas;
}
