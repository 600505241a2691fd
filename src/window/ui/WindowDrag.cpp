#include "window/ui/WindowDrag.h"

#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

WindowDrag::WindowDrag(QWidget *window)
    : m_window(window)
{
}

void WindowDrag::press(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_gesture.press(event->globalPosition().toPoint(), m_window->frameGeometry().topLeft());
}

bool WindowDrag::move(QMouseEvent *event)
{
    const QPoint pointer = event->globalPosition().toPoint();
    switch (m_gesture.move(pointer, event->buttons() & Qt::LeftButton)) {
    case DragGesture::Step::StartMove: {
        QWindow *handle = m_window->windowHandle();
        const bool accepted = handle && handle->startSystemMove();
        m_gesture.systemMoveStarted(accepted);
        if (!accepted)
            m_window->move(m_gesture.followPosition(pointer));
        return true;
    }
    case DragGesture::Step::Follow:
        m_window->move(m_gesture.followPosition(pointer));
        return true;
    case DragGesture::Step::None:
        break;
    }
    return m_gesture.isMoving();
}

bool WindowDrag::release(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return false;
    return m_gesture.release();
}
