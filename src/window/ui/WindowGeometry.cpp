#include "window/ui/WindowGeometry.h"

#include <QWidget>

void showWithGeometry(QWidget *window, const QRect &geometry)
{
    window->show();
    window->setGeometry(geometry);
}
