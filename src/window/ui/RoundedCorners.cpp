#include "window/ui/RoundedCorners.h"

#include "window/WindowShape.h"

#include <QEvent>
#include <QWidget>

RoundedCorners::RoundedCorners(QWidget *window)
    : QObject(window)
    , m_window(window)
{
    window->installEventFilter(this);
}

void RoundedCorners::setCorner(int corner)
{
    if (corner == m_corner)
        return;
    m_corner = corner;
    apply();
}

void RoundedCorners::apply()
{
    if (m_corner <= 0)
        m_window->clearMask();
    else
        m_window->setMask(RoundedOutline(m_window->size(), m_corner));
}

bool RoundedCorners::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window && event->type() == QEvent::Resize && m_corner > 0)
        apply();
    return QObject::eventFilter(watched, event);
}
