#include "window/ui/WindowDrag.h"

#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

WindowDrag::WindowDrag(QWidget *window)
    : QObject(window)
    , m_window(window)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(250);
    connect(&m_settle, &QTimer::timeout, this, &WindowDrag::finish);
    window->installEventFilter(this);
}

void WindowDrag::press(QMouseEvent *event)
{
    if (m_handedOver)
        finish();
    if (event->button() == Qt::LeftButton)
        m_gesture.press(event->globalPosition().toPoint(), m_window->frameGeometry().topLeft());
}

bool WindowDrag::move(QMouseEvent *event)
{
    if (m_handedOver)
        return true;
    const QPoint pointer = event->globalPosition().toPoint();
    switch (m_gesture.move(pointer, event->buttons() & Qt::LeftButton)) {
    case DragGesture::Step::StartMove: {
        QWindow *handle = m_window->windowHandle();
        const bool accepted = handle && handle->startSystemMove();
        m_gesture.systemMoveStarted(accepted);
        if (accepted) {
            m_handedOver = true;
        } else {
            m_window->move(m_gesture.followPosition(pointer));
        }
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
    if (m_handedOver)
        return false;
    const bool moved = m_gesture.isMoving();
    const bool click = m_gesture.release();
    if (moved)
        finish();
    return click;
}

bool WindowDrag::eventFilter(QObject *watched, QEvent *event)
{
    // Pointer events that arrive while the window manager moves the window
    // are the toolkit's own (it releases the button when it hands the move
    // over): only the window's moves tell where the move is.
    if (watched == m_window && m_handedOver && event->type() == QEvent::Move)
        m_settle.start();
    return QObject::eventFilter(watched, event);
}

void WindowDrag::finish()
{
    m_settle.stop();
    m_handedOver = false;
    Q_EMIT moveFinished();
}
