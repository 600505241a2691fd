#include "window/ui/WindowDrag.h"

#include "window/WindowPlacement.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
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
        const bool keep = m_keepInWorkArea && m_keepInWorkArea();
        QWindow *handle = m_window->windowHandle();
        const bool accepted = !keep && handle && handle->startSystemMove();
        m_gesture.systemMoveStarted(accepted);
        if (!accepted)
            follow(pointer);
        return true;
    }
    case DragGesture::Step::Follow:
        follow(pointer);
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

void WindowDrag::follow(const QPoint &pointer)
{
    QPoint target = m_gesture.followPosition(pointer);
    if (m_keepInWorkArea && m_keepInWorkArea()) {
        const QScreen *screen = QGuiApplication::screenAt(pointer);
        if (!screen)
            screen = m_window->screen();
        if (screen)
            target = WindowPlacement::KeepInWorkArea(QRect(target, m_window->frameGeometry().size()), screen->geometry(),
                                                     screen->availableGeometry())
                         .topLeft();
    }
    m_window->move(target);
}
